#include "tools/docwriter/DocumentWriter.h"

void DocumentWriter::Raw(const void* data, size_t size)
{
    const uint8_t* first = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), first, first + size);
}

void DocumentWriter::String(const std::wstring& text)
{
    const uint8_t prefix[3] = {0xFF, 0xFE, 0xFF};
    Raw(prefix, 3);
    const size_t length = text.size();
    if (length < 0xFF) {
        Byte(static_cast<uint8_t>(length));
    } else if (length < 0xFFFF) {
        Byte(0xFF);
        const uint16_t middle = static_cast<uint16_t>(length);
        Raw(&middle, 2);
    } else {
        Byte(0xFF);
        const uint16_t middle = 0xFFFF;
        Raw(&middle, 2);
        UInt(static_cast<uint32_t>(length));
    }
    Raw(text.data(), length * 2);
}

void DocumentWriter::Blob(const NamedBlob& blob)
{
    UInt(blob.Size());
    Raw(blob.data.data(), blob.data.size());
    String(blob.name);
}

void DocumentWriter::Ref(const ResourceRef& ref)
{
    Int(ref.resourceId);
    String(ref.libraryName);
    Blob(ref);
}

void DocumentWriter::Key(const ResKey& key)
{
    String(key.name);
    Int64(key.stamp);
}

void DocumentWriter::VersionBlock(const std::wstring& text, int32_t version)
{
    Int(static_cast<int32_t>(text.size()));
    Raw(text.data(), text.size() * 2);
    Int(version);
}
