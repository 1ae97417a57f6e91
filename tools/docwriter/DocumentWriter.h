// DocumentWriter: an archive that writes the ten value kinds into a byte vector, in exactly the
// layout the document reader reads. Its read operations do nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/Archive.h"
#include "document/ValueRecords.h"

class DocumentWriter : public DS_IOF_Virtual {
public:
    std::vector<uint8_t> bytes;

    // Plain values.
    void Raw(const void* data, size_t size);
    void Raw(const std::vector<uint8_t>& data) { Raw(data.data(), data.size()); }
    void Byte(uint8_t value) { Raw(&value, 1); }
    void Int(int32_t value) { Raw(&value, 4); }
    void UInt(uint32_t value) { Raw(&value, 4); }
    void Int64(int64_t value) { Raw(&value, 8); }
    void Float(float value) { Raw(&value, 4); }
    // A document string in the shortest length form that holds it.
    void String(const std::wstring& text);
    void Blob(const NamedBlob& blob);
    void Ref(const ResourceRef& ref);
    void Key(const ResKey& key);
    // int32 unit count, the text's units, int32 version.
    void VersionBlock(const std::wstring& text, int32_t version);

    void WriteResourceRef(const ResourceRef* value) override { Ref(*value); }
    void WriteNamedBlob(const NamedBlob* value) override { Blob(*value); }
    void WriteString(const std::wstring* value) override { String(*value); }
    void WriteInt64(const int64_t* value) override { Int64(*value); }
    void WriteFloat(const float* value) override { Float(*value); }
    void WriteULong(const uint32_t* value) override { UInt(*value); }
    void WriteUInt(const uint32_t* value) override { UInt(*value); }
    void WriteByte(const uint8_t* value) override { Byte(*value); }
    void WriteBool(const bool* value) override { Byte(*value ? 1 : 0); }
    void WriteInt(const int32_t* value) override { Int(*value); }

    void ReadResourceRef(ResourceRef*) override {}
    void ReadNamedBlob(NamedBlob*) override {}
    void ReadString(std::wstring*) override {}
    void ReadInt64(int64_t*) override {}
    void ReadFloat(float*) override {}
    void ReadULong(uint32_t*) override {}
    void ReadUInt(uint32_t*) override {}
    void ReadByte(uint8_t*) override {}
    void ReadBool(bool*) override {}
    void ReadInt(int32_t*) override {}
};
