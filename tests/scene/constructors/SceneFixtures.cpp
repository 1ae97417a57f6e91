#include "SceneFixtures.h"

bool PlainSpriteKind::Write(DS_IOF_Virtual* archive)
{
    const std::wstring tag = kClassName;
    const uint32_t version = 1;
    archive->WriteString(&tag);
    archive->WriteULong(&version);
    WriteRecord(archive);
    return true;
}

PlainSpriteKind* PlainSpriteKind::CreateFromStream(DS_IOF_Virtual* archive, uint32_t)
{
    auto* kind = new PlainSpriteKind;
    kind->ReadWithHeader(archive);
    return kind;
}

DS_ABObj_Constructor* ReadRecord(const std::vector<uint8_t>& bytes, size_t* rest)
{
    RegisterReader<PlainSpriteKind>();
    ResourceBuffer buffer(bytes.data(), bytes.size());
    DocumentReader reader(&buffer);
    DS_ABObj_Constructor* object = ReadDocumentObject(&reader);
    if (rest)
        *rest = buffer.Remaining();
    return object;
}
