#include "document/ResourceCache.h"

#include <cstring>

#include "document/CurrentDevice.h"
#include "document/ResourceLibrary.h"

ResourceCacheHandle* CurrentResourceCache = nullptr;

namespace {

// Bytes and size of a "DDS" resource of `module`; false when it is missing or cannot be locked.
bool LockDdsResource(HMODULE module, int32_t id, const void** bytes, DWORD* size)
{
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(static_cast<WORD>(id)), L"DDS");
    if (!info)
        return false;
    *size = SizeofResource(module, info);
    HGLOBAL handle = LoadResource(module, info);
    *bytes = handle ? LockResource(handle) : nullptr;
    return *bytes != nullptr && *size != 0;
}

HRESULT CreateTexture(const void* bytes, UINT size, UINT mipLevels, D3DFORMAT format, DWORD filter,
                      DWORD mipFilter, D3DXIMAGE_INFO* info, IDirect3DTexture9** texture)
{
    *texture = nullptr;
    if (!CurrentDevice || !bytes || size == 0)
        return E_FAIL;
    HRESULT hr = D3DXCreateTextureFromFileInMemoryEx(CurrentDevice, bytes, size, D3DX_DEFAULT, D3DX_DEFAULT,
                                                     mipLevels, 0, format, D3DPOOL_MANAGED, filter, mipFilter,
                                                     0, info, nullptr, texture);
    if (FAILED(hr)) {
        ReleaseAndNull(*texture);
        return hr;
    }
    return *texture ? S_OK : E_FAIL;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Records

void TextureAnim::AssignSingle(const TextureInfo& info, TextureAnim& anim)
{
    anim.frames.assign(1, info.texture);
    anim.width = info.width;
    anim.height = info.height;
    anim.aspect = info.aspect;
}

void MeshRecord::Release()
{
    indexBuffer.Reset();
    vertexBuffer.Reset();
    vertexCount = 0;
    faceCount = 0;
    radius = 0.0f;
    centre = D3DXVECTOR3(0, 0, 0);
}

D3DXIMAGE_INFO StandInImageInfo()
{
    D3DXIMAGE_INFO info = {};
    info.Width = 800;
    info.Height = 600;
    return info;
}

// ---------------------------------------------------------------------------------------------
// Texture loaders

HRESULT LoadTextureFromExeResource(int32_t id, bool fullMipChain, IDirect3DTexture9** texture)
{
    *texture = nullptr;
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!LockDdsResource(GetModuleHandleW(nullptr), id, &bytes, &size))
        return E_FAIL;
    return CreateTexture(bytes, size, fullMipChain ? D3DX_DEFAULT : 1, D3DFMT_UNKNOWN, D3DX_FILTER_NONE,
                         fullMipChain ? D3DX_DEFAULT : D3DX_FILTER_NONE, nullptr, texture);
}

HRESULT LoadTextureFromModuleResource(HMODULE module, int32_t id, IDirect3DTexture9** texture, D3DXIMAGE_INFO* info)
{
    *texture = nullptr;
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!module || !LockDdsResource(module, id, &bytes, &size))
        return E_FAIL;
    return CreateTexture(bytes, size, 1, D3DFMT_UNKNOWN, D3DX_FILTER_TRIANGLE, D3DX_FILTER_NONE, info, texture);
}

HRESULT LoadTextureFromMemory(const void* bytes, uint32_t size, IDirect3DTexture9** texture, D3DXIMAGE_INFO* info)
{
    return CreateTexture(bytes, size, 1, D3DFMT_UNKNOWN, D3DX_FILTER_POINT, D3DX_FILTER_NONE, info, texture);
}

// D3DX cannot convert pictures to D3DFMT_V8U8 everywhere, so the picture is decoded into
// A8R8G8B8 and the bump texture is filled here: red gives u, green gives v, each re-centred
// on 128 as a signed value.
HRESULT LoadBumpTextureFromMemory(const void* bytes, uint32_t size, IDirect3DTexture9** texture)
{
    *texture = nullptr;
    ComRef<IDirect3DTexture9> decoded;
    HRESULT hr = CreateTexture(bytes, size, 1, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE, D3DX_FILTER_NONE, nullptr,
                               decoded.Out());
    if (FAILED(hr))
        return hr;
    // The loop below reads four bytes a texel, blue, green, red, alpha: D3DX may pick another
    // format than the one asked for, and then the texels are not what the loop reads.
    D3DSURFACE_DESC desc;
    if (FAILED(hr = decoded->GetLevelDesc(0, &desc)))
        return hr;
    if (desc.Format != D3DFMT_A8R8G8B8 && desc.Format != D3DFMT_X8R8G8B8)
        return D3DERR_WRONGTEXTUREFORMAT;
    ComRef<IDirect3DTexture9> bump;
    hr = CurrentDevice->CreateTexture(desc.Width, desc.Height, 1, 0, D3DFMT_V8U8, D3DPOOL_MANAGED, bump.Out(),
                                      nullptr);
    if (FAILED(hr))
        return hr;
    D3DLOCKED_RECT source, target;
    if (FAILED(hr = decoded->LockRect(0, &source, nullptr, D3DLOCK_READONLY)))
        return hr;
    if (FAILED(hr = bump->LockRect(0, &target, nullptr, 0))) {
        decoded->UnlockRect(0);
        return hr;
    }
    for (UINT y = 0; y < desc.Height; ++y) {
        const uint8_t* in = static_cast<const uint8_t*>(source.pBits) + size_t(y) * source.Pitch;
        int8_t* out = reinterpret_cast<int8_t*>(static_cast<uint8_t*>(target.pBits) + size_t(y) * target.Pitch);
        for (UINT x = 0; x < desc.Width; ++x) {
            const uint8_t red = in[4 * x + 2];
            const uint8_t green = in[4 * x + 1];
            out[2 * x + 0] = BumpFromChannel(red);   // U
            out[2 * x + 1] = BumpFromChannel(green); // V
        }
    }
    bump->UnlockRect(0);
    decoded->UnlockRect(0);
    *texture = bump.Detach();
    return S_OK;
}

HRESULT LoadBumpTextureFromExeResource(int32_t id, IDirect3DTexture9** texture)
{
    *texture = nullptr;
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!LockDdsResource(GetModuleHandleW(nullptr), id, &bytes, &size))
        return E_FAIL;
    return LoadBumpTextureFromMemory(bytes, size, texture);
}

// ---------------------------------------------------------------------------------------------
// The cache

ResourceCacheHandle* ResourceCache::Create(ResourceCacheHandle* cell)
{
    cell->cache.reset(new ResourceCache);
    return cell;
}

bool ResourceCache::GetLibrary(const std::wstring& name, ResourceCache* cache, HMODULE* module)
{
    auto found = cache->libraries_.find(name);
    if (found != cache->libraries_.end()) {
        *module = found->second;
        return true;
    }
    HMODULE loaded = LoadResourceLibrary(name);
    if (!loaded)
        return false;
    cache->libraries_[name] = loaded;
    *module = loaded;
    return true;
}

TextureInfo& ResourceCache::GetLibraryTexture(ResourceCache* cache, const std::wstring& library, int32_t id)
{
    return cache->byLibraryName_[{library, id}];
}

TextureInfo ResourceCache::CreateTextureFromMemory(const void* bytes, uint32_t size)
{
    TextureInfo result;
    D3DXIMAGE_INFO info = StandInImageInfo();
    ComRef<IDirect3DTexture9> texture;
    LoadTextureFromMemory(bytes, size, texture.Out(), &info);
    TextureInfo::Assign(result, texture.Get(), info);
    return result;
}

TextureInfo ResourceCache::GetTextureByPath(const NamedBlob& blob, ResourceCacheHandle* handle)
{
    if (!handle || !handle->cache)
        return TextureInfo();
    TextureInfo& entry = handle->cache->byPath_[blob.name];
    if (entry.texture)
        return entry;
    D3DXIMAGE_INFO info = StandInImageInfo();
    ComRef<IDirect3DTexture9> texture;
    if (CurrentDevice && !blob.name.empty()) {
        if (FAILED(D3DXCreateTextureFromFileExW(CurrentDevice, blob.name.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                                D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE,
                                                D3DX_FILTER_NONE, 0, &info, nullptr, texture.Out())))
        {
            texture.Reset();
            info = StandInImageInfo();
        }
    }
    TextureInfo::Assign(entry, texture.Get(), info);
    return entry;
}

TextureInfo ResourceCache::GetTexture(const ResourceRef& ref, ResourceCacheHandle* handle)
{
    if (!ref.name.empty()) {
        if (!ref.HasBytes())
            return GetTextureByPath(ref, handle);
        return CreateTextureFromMemory(ref.Bytes(), ref.Size()); // decoded anew every time
    }
    if (!handle || !handle->cache)
        return TextureInfo();
    ResourceCache* cache = handle->cache.get();

    HMODULE module = nullptr;
    const bool haveLibrary = GetLibrary(ref.libraryName, cache, &module);
    TextureInfo& entry = haveLibrary ? cache->byModule_[{module, ref.resourceId}]
                                     : GetLibraryTexture(cache, ref.libraryName, ref.resourceId);
    if (entry.texture)
        return entry;

    D3DXIMAGE_INFO info = StandInImageInfo();
    ComRef<IDirect3DTexture9> texture;
    // A picture the library holds wins over the copy the document embeds.
    if (!haveLibrary || LoadTextureFromModuleResource(module, ref.resourceId, texture.Out(), &info) != S_OK) {
        texture.Reset();
        info = StandInImageInfo();
        if (LoadTextureFromMemory(ref.Bytes(), ref.Size(), texture.Out(), &info) != S_OK) {
            texture.Reset();
            info = StandInImageInfo();
        }
    }
    TextureInfo::Assign(entry, texture.Get(), info);
    return entry;
}

ComRef<IDirect3DTexture9> ResourceCache::GetTextureById(ResourceCacheHandle* handle, int32_t id)
{
    if (!handle || !handle->cache)
        return nullptr;
    ComRef<IDirect3DTexture9>& entry = handle->cache->byExeId_[id];
    if (!entry)
        LoadTextureFromExeResource(id, true, entry.Out());
    return entry;
}

MeshRecord ResourceCache::GetMesh(const ResourceRef& ref, ResourceCacheHandle* handle, uint32_t stride)
{
    if (!handle || !handle->cache)
        return MeshRecord();
    ResourceCache* cache = handle->cache.get();
    auto found = cache->meshes_.find(ref.resourceId);
    if (found != cache->meshes_.end() && !found->second.empty())
        return found->second.front();

    MeshRecord record;
    HMODULE module = nullptr;
    if (GetLibrary(ref.libraryName, cache, &module)) {
        LoadMeshFromModuleResource(module, ref.resourceId, stride, record);
        cache->meshes_[ref.resourceId].assign(1, record);
    } else if (!ref.HasBytes()) {
        LoadMeshFromFile(ref.name, stride, record);
    } else {
        LoadMeshFromMemory(ref.Bytes(), ref.Size(), stride, record);
    }
    return record;
}

// ---------------------------------------------------------------------------------------------
// Meshes

namespace {

constexpr DWORD kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1; // 32 bytes a vertex

HRESULT CopyIndexBuffer(ID3DXMesh* mesh, ComRef<IDirect3DIndexBuffer9>& out)
{
    const UINT bytes = mesh->GetNumFaces() * 6;
    ComRef<IDirect3DIndexBuffer9> target;
    HRESULT hr = CurrentDevice->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                                  target.Out(), nullptr);
    if (FAILED(hr))
        return hr;
    void* from = nullptr;
    void* to = nullptr;
    if (FAILED(hr = mesh->LockIndexBuffer(D3DLOCK_READONLY, &from)))
        return hr;
    if (FAILED(hr = target->Lock(0, 0, &to, 0))) {
        mesh->UnlockIndexBuffer();
        return hr;
    }
    std::memcpy(to, from, bytes);
    target->Unlock();
    mesh->UnlockIndexBuffer();
    out = target;
    return S_OK;
}

HRESULT CopyVertexBuffer(ID3DXMesh* mesh, uint32_t stride, ComRef<IDirect3DVertexBuffer9>& out)
{
    const UINT count = mesh->GetNumVertices();
    const UINT sourceStride = mesh->GetNumBytesPerVertex();
    ComRef<IDirect3DVertexBuffer9> target;
    HRESULT hr = CurrentDevice->CreateVertexBuffer(count * stride, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED,
                                                   target.Out(), nullptr);
    if (FAILED(hr))
        return hr;
    void* from = nullptr;
    void* to = nullptr;
    if (FAILED(hr = mesh->LockVertexBuffer(D3DLOCK_READONLY, &from)))
        return hr;
    if (FAILED(hr = target->Lock(0, 0, &to, 0))) {
        mesh->UnlockVertexBuffer();
        return hr;
    }
    // Vertex by vertex, so a stride other than the clone's own never reads past its buffer.
    const UINT copy = stride < sourceStride ? stride : sourceStride;
    for (UINT i = 0; i < count; ++i) {
        uint8_t* dst = static_cast<uint8_t*>(to) + size_t(i) * stride;
        std::memset(dst, 0, stride);
        std::memcpy(dst, static_cast<const uint8_t*>(from) + size_t(i) * sourceStride, copy);
    }
    target->Unlock();
    mesh->UnlockVertexBuffer();
    out = target;
    return S_OK;
}

// Turns a freshly loaded mesh into the record: 32-byte vertices, recomputed normals, buffers, sphere.
HRESULT FillMeshRecord(ID3DXMesh* loaded, ID3DXBuffer* adjacency, uint32_t stride, MeshRecord& record)
{
    ComRef<ID3DXMesh> clone;
    HRESULT hr = loaded->CloneMeshFVF(D3DXMESH_SYSTEMMEM, kMeshFvf, CurrentDevice, clone.Out());
    if (FAILED(hr) || !clone)
        return FAILED(hr) ? hr : E_FAIL;
    D3DXComputeNormals(clone.Get(), nullptr);
    // Not every D3DX optimises in place; the mesh stays usable either way.
    clone->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
                           adjacency ? static_cast<const DWORD*>(adjacency->GetBufferPointer()) : nullptr,
                           nullptr, nullptr, nullptr);
    if (clone->GetNumVertices() == 0 || clone->GetNumFaces() == 0 || stride == 0)
        return E_FAIL;

    MeshRecord made;
    made.vertexCount = clone->GetNumVertices();
    made.faceCount = clone->GetNumFaces();
    if (FAILED(hr = CopyIndexBuffer(clone.Get(), made.indexBuffer)))
        return hr;
    if (FAILED(hr = CopyVertexBuffer(clone.Get(), stride, made.vertexBuffer)))
        return hr;
    void* vertices = nullptr;
    if (SUCCEEDED(clone->LockVertexBuffer(D3DLOCK_READONLY, &vertices))) {
        D3DXComputeBoundingSphere(static_cast<const D3DXVECTOR3*>(vertices), made.vertexCount,
                                  D3DXGetFVFVertexSize(kMeshFvf), &made.centre, &made.radius);
        clone->UnlockVertexBuffer();
    }
    record = made;
    return S_OK;
}

} // namespace

HRESULT LoadMeshFromMemory(const void* bytes, uint32_t size, uint32_t stride, MeshRecord& record)
{
    record.Release();
    if (!CurrentDevice || !bytes || size == 0)
        return E_FAIL;
    ComRef<ID3DXBuffer> adjacency, materials, effects;
    ComRef<ID3DXMesh> loaded;
    DWORD materialCount = 0;
    HRESULT hr = D3DXLoadMeshFromXInMemory(bytes, size, D3DXMESH_SYSTEMMEM, CurrentDevice, adjacency.Out(),
                                           materials.Out(), effects.Out(), &materialCount, loaded.Out());
    if (FAILED(hr) || !loaded)
        return FAILED(hr) ? hr : E_FAIL;
    return FillMeshRecord(loaded.Get(), adjacency.Get(), stride, record);
}

HRESULT LoadMeshFromFile(const std::wstring& path, uint32_t stride, MeshRecord& record)
{
    record.Release();
    if (!CurrentDevice || path.empty())
        return E_FAIL;
    ComRef<ID3DXBuffer> adjacency, materials, effects;
    ComRef<ID3DXMesh> loaded;
    DWORD materialCount = 0;
    HRESULT hr = D3DXLoadMeshFromXW(path.c_str(), D3DXMESH_SYSTEMMEM, CurrentDevice, adjacency.Out(),
                                    materials.Out(), effects.Out(), &materialCount, loaded.Out());
    if (FAILED(hr) || !loaded)
        return FAILED(hr) ? hr : E_FAIL;
    return FillMeshRecord(loaded.Get(), adjacency.Get(), stride, record);
}

void LoadMeshFromModuleResource(HMODULE module, int32_t id, uint32_t stride, MeshRecord& record)
{
    record.Release();
    const void* bytes = nullptr;
    DWORD size = 0;
    if (module && LockDdsResource(module, id, &bytes, &size))
        LoadMeshFromMemory(bytes, size, stride, record);
}

// ---------------------------------------------------------------------------------------------
// Helpers

TextureInfo ResolvePictureTexture(const NamedBlob& picture)
{
    if (picture.HasBytes())
        return ResourceCache::CreateTextureFromMemory(picture.Bytes(), picture.Size());
    if (!picture.name.empty() && picture.name != L"[blank]")
        return ResourceCache::GetTextureByPath(picture, CurrentResourceCache);
    return ResourceCache::GetTexture(ResourceRef(5, L"common_res.dll"), CurrentResourceCache);
}

ComRef<IDirect3DTexture9> CopyToNewTexture(UINT width, UINT height, IDirect3DTexture9* source, D3DFORMAT format)
{
    ComRef<IDirect3DTexture9> result;
    if (!source || !CurrentDevice)
        return result;
    if (FAILED(D3DXCreateTexture(CurrentDevice, width, height, 0, 0, format, D3DPOOL_MANAGED, result.Out())))
        return nullptr;
    ComRef<IDirect3DSurface9> from, to;
    if (SUCCEEDED(source->GetSurfaceLevel(0, from.Out())) && SUCCEEDED(result->GetSurfaceLevel(0, to.Out())))
        D3DXLoadSurfaceFromSurface(to.Get(), nullptr, nullptr, from.Get(), nullptr, nullptr, D3DX_FILTER_TRIANGLE, 0);
    // The lower levels are filled from level 0, so a mip-filtered sampler never reads garbage.
    D3DXFilterTexture(result.Get(), nullptr, 0, D3DX_FILTER_TRIANGLE);
    return result;
}

D3DSURFACE_DESC GetBackBufferDesc()
{
    D3DSURFACE_DESC desc = {};
    if (!CurrentDevice)
        return desc;
    ComRef<IDirect3DSurface9> back;
    if (SUCCEEDED(CurrentDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Out())))
        back->GetDesc(&desc);
    return desc;
}
