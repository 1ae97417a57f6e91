// The small value records the archive moves as units: NamedBlob, ResourceRef and ResKey,
// with the path helpers that the loaders use.
#pragma once

#include <d3dx9.h>

#include <cstdint>
#include <string>
#include <vector>

class ResourceBuffer;
class DS_IOF_Virtual;

// Identity of one document resource: a name and a signed 64-bit stamp.
struct ResKey {
    std::wstring name;
    int64_t stamp = 0;

    ResKey() = default;
    ResKey(std::wstring n, int64_t s) : name(std::move(n)), stamp(s) {}

    // (path, last modification time of the file in seconds); stamp 0 when it cannot be examined.
    static ResKey FromFile(const std::wstring& path);

    bool operator<(const ResKey& other) const
    {
        if (name != other.name)
            return name < other.name;
        return stamp < other.stamp;
    }
    bool operator==(const ResKey& other) const { return name == other.name && stamp == other.stamp; }
    bool operator!=(const ResKey& other) const { return !(*this == other); }
};

// A name (a file path or file name, may be empty) with a block of bytes (may be empty).
// Copies are deep. Record: uint32 size, size bytes, document string name.
class NamedBlob {
public:
    std::wstring name;
    std::vector<uint8_t> data;

    bool HasBytes() const { return !data.empty(); }
    const uint8_t* Bytes() const { return data.empty() ? nullptr : data.data(); }
    uint32_t Size() const { return static_cast<uint32_t>(data.size()); }
    void ReleaseBytes() { std::vector<uint8_t>().swap(data); }

    // Replaces the bytes (any held before are released) and, when the record's name is not
    // empty, the name. Returns the bytes consumed.
    static size_t Read(ResourceBuffer& buffer, NamedBlob& blob);
    static void Write(DS_IOF_Virtual& archive, const NamedBlob& blob);
};

// Where a resource's bytes come from: a file path or name with embedded bytes (the NamedBlob
// part), a resource id in a resource library (0 for none) and the library's file name.
// Record: int32 resourceId, string libraryName, then the NamedBlob record.
class ResourceRef : public NamedBlob {
public:
    int32_t resourceId = 0;
    std::wstring libraryName;

    ResourceRef() = default;
    ResourceRef(int32_t id, std::wstring library) : resourceId(id), libraryName(std::move(library)) {}

    static size_t Read(ResourceBuffer& buffer, ResourceRef& ref);
    static void Write(DS_IOF_Virtual& archive, const ResourceRef& ref);

    // Replaces the bytes with a copy of the "DDS" resource `resourceId` of the library
    // `libraryName`. The library stays loaded for the rest of the run. False (and the bytes
    // unchanged) when the library or resource is missing.
    bool LoadFromLibrary();

    // (library, id) for a library reference; otherwise (name, next value of a process-wide
    // counter), so every id-less reference gets a key of its own each time one is asked for.
    ResKey GetKey() const;
};

void ReadResKey(DS_IOF_Virtual& archive, ResKey& key);
void WriteResKey(DS_IOF_Virtual& archive, const ResKey& key);

// From the last "." of `path` to the end, A-Z lowered; empty without a dot.
std::wstring LowerCaseExtension(const std::wstring& path);
// The text after the last backslash; empty when there is none.
std::wstring FileNamePart(const std::wstring& path);
// Three consecutive 4-byte floats into x, y, z.
void ReadVec3(ResourceBuffer& buffer, D3DXVECTOR3& v);
