#include "document/ObjectReader.h"

#include "document/DocumentError.h"
#include "document/ResourceBuffer.h"

std::map<std::wstring, IOF_Virtual_Reader*>& IOF_Virtual_Reader::GetReaderMap()
{
    static std::map<std::wstring, IOF_Virtual_Reader*> readers;
    return readers;
}

DS_ABObj_Constructor* ReadDocumentObject(DS_IOF_Virtual* archive)
{
    std::wstring className;
    uint32_t version = 0;
    archive->ReadString(&className);
    archive->ReadULong(&version);
    auto& readers = IOF_Virtual_Reader::GetReaderMap();
    auto found = readers.find(className);
    if (found == readers.end())
        return nullptr;
    return found->second->Create(archive, version);
}

void ReadObjectList(DS_IOF_Virtual* archive, ObjectList& list)
{
    uint32_t count = 0;
    archive->ReadULong(&count);
    // Every record holds at least a class name (4 bytes) and a version (4 bytes).
    if (auto* reader = dynamic_cast<DocumentReader*>(archive))
        reader->buffer()->Require(uint64_t(count) * 8);
    for (uint32_t i = 0; i < count; ++i) {
        std::unique_ptr<DS_ABObj_Constructor> object(ReadDocumentObject(archive));
        if (!object)
            ThrowDocumentError();
        list.push_back(object.get());
        object.release();
    }
}
