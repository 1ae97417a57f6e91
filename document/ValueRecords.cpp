#include "document/ValueRecords.h"

#include <windows.h>

#include <sys/stat.h>
#include <cstring>

#include "document/Archive.h"
#include "document/ResourceBuffer.h"
#include "document/ResourceLibrary.h"

namespace {

int32_t keyCounter = 0; // stamps of id-less keys; never reset during a run

} // namespace

size_t NamedBlob::Read(ResourceBuffer& buffer, NamedBlob& blob)
{
    if (!buffer.HasSource())
        return 0; // nothing to read: the blob keeps its bytes and its name
    uint32_t size = 0;
    buffer.ReadValue(size);
    size_t consumed = 4;
    if (size != 0) {
        buffer.Require(size);
        std::vector<uint8_t> bytes(size);
        buffer.Read(bytes.data(), size);
        blob.data.swap(bytes);
        consumed += size;
    } else {
        blob.ReleaseBytes();
    }
    consumed += ReadDocString(buffer, blob.name);
    return consumed;
}

void NamedBlob::Write(DS_IOF_Virtual& archive, const NamedBlob& blob)
{
    archive.WriteNamedBlob(&blob);
}

size_t ResourceRef::Read(ResourceBuffer& buffer, ResourceRef& ref)
{
    buffer.ReadValue(ref.resourceId);
    size_t consumed = 4 + ReadDocString(buffer, ref.libraryName);
    return consumed + NamedBlob::Read(buffer, ref);
}

void ResourceRef::Write(DS_IOF_Virtual& archive, const ResourceRef& ref)
{
    archive.WriteResourceRef(&ref);
}

bool ResourceRef::LoadFromLibrary()
{
    HMODULE module = LoadResourceLibrary(libraryName);
    if (!module)
        return false;
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(static_cast<WORD>(resourceId)), L"DDS");
    if (!info)
        return false;
    const DWORD size = SizeofResource(module, info);
    HGLOBAL handle = LoadResource(module, info);
    const void* bytes = handle ? LockResource(handle) : nullptr;
    if (!bytes)
        return false;
    const uint8_t* first = static_cast<const uint8_t*>(bytes);
    data.assign(first, first + size);
    return true;
}

ResKey ResourceRef::GetKey() const
{
    if (resourceId != 0)
        return ResKey(libraryName, static_cast<int64_t>(static_cast<uint32_t>(resourceId)));
    return ResKey(name, static_cast<int64_t>(keyCounter++));
}

ResKey ResKey::FromFile(const std::wstring& path)
{
    struct _stat64i32 info;
    if (_wstat64i32(path.c_str(), &info) != 0)
        return ResKey(path, 0);
    return ResKey(path, static_cast<int64_t>(info.st_mtime));
}

void ReadResKey(DS_IOF_Virtual& archive, ResKey& key)
{
    archive.ReadString(&key.name);
    archive.ReadInt64(&key.stamp);
}

void WriteResKey(DS_IOF_Virtual& archive, const ResKey& key)
{
    archive.WriteString(&key.name);
    archive.WriteInt64(&key.stamp);
}

std::wstring LowerCaseExtension(const std::wstring& path)
{
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos)
        return std::wstring();
    std::wstring result = path.substr(dot);
    for (wchar_t& c : result)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return result;
}

std::wstring FileNamePart(const std::wstring& path)
{
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos)
        return std::wstring();
    return path.substr(slash + 1);
}

void ReadVec3(ResourceBuffer& buffer, D3DXVECTOR3& v)
{
    buffer.ReadValue(v.x);
    buffer.ReadValue(v.y);
    buffer.ReadValue(v.z);
}
