// ResourceCache: the textures and meshes made on one device, kept by source so that a source
// is decoded once per cache. With the records it hands out (TextureInfo, TextureAnim,
// MeshRecord) and the free loaders the drawing code also calls directly.
//
// Every loader works on CurrentDevice. With no current device nothing is made: textures stay
// null and meshes empty, so the document readers run without a device.
#pragma once

#include <windows.h>
#include <d3dx9.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "document/ComRef.h"
#include "document/TextureInfo.h"
#include "document/ValueRecords.h"

// The picture of one resource key: its frames and how long each stays.
struct TextureAnim {
    std::vector<ComRef<IDirect3DTexture9>> frames;
    std::vector<float> frameDurations; // seconds
    uint32_t width = 0;                // of the frame loaded last
    uint32_t height = 0;
    float aspect = 0.0f;

    // Exactly one frame, `info`'s texture; size copied; durations untouched.
    static void AssignSingle(const TextureInfo& info, TextureAnim& anim);
};

// A mesh copied into managed vertex and index buffers (16-bit indices, three per face).
struct MeshRecord {
    ComRef<IDirect3DVertexBuffer9> vertexBuffer;
    ComRef<IDirect3DIndexBuffer9> indexBuffer;
    uint32_t vertexCount = 0;
    uint32_t faceCount = 0;
    float radius = 0.0f;                      // bounding sphere, model units
    D3DXVECTOR3 centre = D3DXVECTOR3(0, 0, 0);

    bool Loaded() const { return vertexCount > 0; }
    // Releases the index buffer, then the vertex buffer, and clears the record.
    void Release();
};

class ResourceCache;

// The heap cell that holds one cache. Whoever made the cell owns it and the cache in it.
struct ResourceCacheHandle {
    std::unique_ptr<ResourceCache> cache;
};

// The cache in use: the serving player's, or the manager's while a document is read.
extern ResourceCacheHandle* CurrentResourceCache;

class ResourceCache {
public:
    static ResourceCacheHandle* Create(ResourceCacheHandle* cell);

    // A reference's picture: by path, from embedded bytes (never cached) or from its library
    // (falling back to the embedded bytes). The caller gets its own reference.
    static TextureInfo GetTexture(const ResourceRef& ref, ResourceCacheHandle* handle);
    static TextureInfo GetTextureByPath(const NamedBlob& blob, ResourceCacheHandle* handle);
    static TextureInfo CreateTextureFromMemory(const void* bytes, uint32_t size);
    // A "DDS" picture of the program's own module, full mip chain (may be null).
    static ComRef<IDirect3DTexture9> GetTextureById(ResourceCacheHandle* handle, int32_t id);
    // A reference's mesh; kept only when it came from a library (keyed by id alone).
    static MeshRecord GetMesh(const ResourceRef& ref, ResourceCacheHandle* handle, uint32_t stride);
    // The module of a library by file name; a library that fails to load is not remembered.
    static bool GetLibrary(const std::wstring& name, ResourceCache* cache, HMODULE* module);
    static TextureInfo& GetLibraryTexture(ResourceCache* cache, const std::wstring& library, int32_t id);

    // Counts for tests and diagnostics.
    size_t PathTextureCount() const { return byPath_.size(); }
    size_t MeshCount() const { return meshes_.size(); }
    size_t LibraryCount() const { return libraries_.size(); }

private:
    std::map<int32_t, ComRef<IDirect3DTexture9>> byExeId_;
    std::map<std::wstring, TextureInfo> byPath_;
    std::map<std::pair<HMODULE, int32_t>, TextureInfo> byModule_;
    std::map<std::pair<std::wstring, int32_t>, TextureInfo> byLibraryName_;
    std::map<int32_t, std::vector<MeshRecord>> meshes_; // at most one record each
    std::map<std::wstring, HMODULE> libraries_;         // never freed
};

// The picture every failed load reports: 800 × 600.
D3DXIMAGE_INFO StandInImageInfo();

// Texture loaders: 0 when a texture was made, the D3DX result when D3DX failed, E_FAIL when the
// resource is missing or no device is current.
HRESULT LoadTextureFromExeResource(int32_t id, bool fullMipChain, IDirect3DTexture9** texture);
HRESULT LoadTextureFromModuleResource(HMODULE module, int32_t id, IDirect3DTexture9** texture,
                                      D3DXIMAGE_INFO* info);
HRESULT LoadTextureFromMemory(const void* bytes, uint32_t size, IDirect3DTexture9** texture,
                              D3DXIMAGE_INFO* info);
// A bump map (D3DFMT_V8U8) from a "DDS" picture of the program's own module.
HRESULT LoadBumpTextureFromExeResource(int32_t id, IDirect3DTexture9** texture);
HRESULT LoadBumpTextureFromMemory(const void* bytes, uint32_t size, IDirect3DTexture9** texture);
// Signed bump value of one 8-bit channel: 0 -> -128, 128 -> 0, 255 -> 127.
inline int8_t BumpFromChannel(uint8_t c) { return static_cast<int8_t>(int(c) - 128); }

// Mesh loaders: on any failure the record is left empty (null buffers, counts 0).
void LoadMeshFromModuleResource(HMODULE module, int32_t id, uint32_t stride, MeshRecord& record);
HRESULT LoadMeshFromMemory(const void* bytes, uint32_t size, uint32_t stride, MeshRecord& record);
HRESULT LoadMeshFromFile(const std::wstring& path, uint32_t stride, MeshRecord& record);

// A slide's background picture: embedded bytes, else a path, else (empty or "[blank]")
// picture 5 of "common_res.dll".
TextureInfo ResolvePictureTexture(const NamedBlob& picture);

// A new managed texture of the given size and format with `source`'s level 0 copied into it.
ComRef<IDirect3DTexture9> CopyToNewTexture(UINT width, UINT height, IDirect3DTexture9* source,
                                           D3DFORMAT format);
// Back buffer 0 of CurrentDevice; zeroed when there is none.
D3DSURFACE_DESC GetBackBufferDesc();
