// The document archive: ten value kinds, each with a write and a read operation.
//
// DS_IOF_Virtual's writes do nothing and its reads are abstract; DS_IOF_R<ResourceBuffer> reads
// the values from a ResourceBuffer. It keeps no position of its own, so any number of archives
// made over one buffer read one continuous sequence. The program itself never writes a document;
// the write operations exist so that a writing archive (a tool's) can produce the same bytes.
#pragma once

#include <cstdint>
#include <string>

class ResourceBuffer;
class NamedBlob;
class ResourceRef;

class DS_IOF_Virtual {
public:
    virtual ~DS_IOF_Virtual() = default;

    virtual void WriteResourceRef(const ResourceRef*) {}
    virtual void WriteNamedBlob(const NamedBlob*) {}
    virtual void WriteString(const std::wstring*) {}
    virtual void WriteInt64(const int64_t*) {}
    virtual void WriteFloat(const float*) {}
    virtual void WriteULong(const uint32_t*) {}
    virtual void WriteUInt(const uint32_t*) {}
    virtual void WriteByte(const uint8_t*) {}
    virtual void WriteBool(const bool*) {}
    virtual void WriteInt(const int32_t*) {}

    virtual void ReadResourceRef(ResourceRef* target) = 0;
    virtual void ReadNamedBlob(NamedBlob* target) = 0;
    virtual void ReadString(std::wstring* target) = 0;
    virtual void ReadInt64(int64_t* target) = 0;
    virtual void ReadFloat(float* target) = 0;
    virtual void ReadULong(uint32_t* target) = 0;
    virtual void ReadUInt(uint32_t* target) = 0;
    virtual void ReadByte(uint8_t* target) = 0;
    virtual void ReadBool(bool* target) = 0;
    virtual void ReadInt(int32_t* target) = 0;
};

template <class Source>
class DS_IOF_R;

template <>
class DS_IOF_R<ResourceBuffer> : public DS_IOF_Virtual {
public:
    explicit DS_IOF_R(ResourceBuffer* buffer) : buffer_(buffer) {}

    void ReadResourceRef(ResourceRef* target) override;
    void ReadNamedBlob(NamedBlob* target) override;
    void ReadString(std::wstring* target) override;
    void ReadInt64(int64_t* target) override;
    void ReadFloat(float* target) override;
    void ReadULong(uint32_t* target) override;
    void ReadUInt(uint32_t* target) override;
    void ReadByte(uint8_t* target) override;
    void ReadBool(bool* target) override;
    void ReadInt(int32_t* target) override;

    ResourceBuffer* buffer() const { return buffer_; }

private:
    ResourceBuffer* buffer_; // not owned
};

using DocumentReader = DS_IOF_R<ResourceBuffer>;

// Root of every class that stores itself in a document.
class DS_IOF_Item {
public:
    virtual ~DS_IOF_Item() = default;
    // Writes the object's record: class name, record version, own fields, then its base's record.
    virtual bool Write(DS_IOF_Virtual* archive) = 0;
};
