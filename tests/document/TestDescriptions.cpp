#include "tests/document/TestDescriptions.h"

#include <memory>

#include "tools/docwriter/DocumentWriter.h"

int TestCounted::alive = 0;

bool TestSwimmer::Write(DS_IOF_Virtual* archive)
{
    const std::wstring name = kClassName;
    const uint32_t v = 1;
    archive->WriteString(&name);
    archive->WriteULong(&v);
    archive->WriteFloat(&speedX);
    archive->WriteFloat(&speedY);
    return true;
}

TestSwimmer* TestSwimmer::CreateFromStream(DS_IOF_Virtual* archive, uint32_t version)
{
    std::unique_ptr<TestSwimmer> object(new TestSwimmer);
    object->version = version;
    archive->ReadFloat(&object->speedX);
    archive->ReadFloat(&object->speedY);
    return object.release();
}

bool TestDiver::Write(DS_IOF_Virtual* archive)
{
    const std::wstring name = kClassName;
    const uint32_t v = 1;
    archive->WriteString(&name);
    archive->WriteULong(&v);
    archive->WriteInt(&depth);
    return TestSwimmer::Write(archive);
}

TestDiver* TestDiver::CreateFromStream(DS_IOF_Virtual* archive, uint32_t version)
{
    std::unique_ptr<TestDiver> object(new TestDiver);
    object->version = version;
    archive->ReadInt(&object->depth);
    std::wstring baseName;
    uint32_t baseVersion = 0;
    archive->ReadString(&baseName);
    archive->ReadULong(&baseVersion);
    archive->ReadFloat(&object->speedX);
    archive->ReadFloat(&object->speedY);
    return object.release();
}

bool TestCounted::Write(DS_IOF_Virtual* archive)
{
    const std::wstring name = kClassName;
    const uint32_t v = 1;
    archive->WriteString(&name);
    archive->WriteULong(&v);
    return true;
}

TestCounted* TestCounted::CreateFromStream(DS_IOF_Virtual*, uint32_t)
{
    return new TestCounted;
}

void RegisterTestReaders()
{
    RegisterReader<TestSwimmer>();
    RegisterReader<TestDiver>();
    RegisterReader<TestCounted>();
}

std::vector<uint8_t> ObjectBytes(std::initializer_list<DS_ABObj_Constructor*> objects)
{
    DocumentWriter w;
    for (DS_ABObj_Constructor* object : objects) {
        object->Write(&w);
        delete object;
    }
    return w.bytes;
}
