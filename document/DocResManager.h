// DS_DocResManager: the resources of one scene document, by ResKey.
//
// It reads the document's resource record (embedded copies of pictures, library pictures,
// frame durations, mesh sources), turns the picture sources into textures at once, and hands
// out texture animations, meshes and effects by key, loading from the resource library what the
// document does not carry. It owns a ResourceCache of its own, which it makes current when it is
// made, so everything decoded while its document is read lands there.
#pragma once

#include <d3dx9.h>

#include <map>
#include <vector>

#include "document/Archive.h"
#include "document/ResourceCache.h"
#include "document/ValueRecords.h"

struct DocResData {
    std::map<ResKey, std::vector<ResourceRef>> savedMeshSources;
    std::map<ResKey, std::vector<ResourceRef>> savedTextureSources;
    std::map<ResKey, std::vector<float>> savedFrameDurations;
    std::map<ResKey, TextureAnim> textureAnims;
    std::map<ResKey, MeshRecord> meshes;
    std::map<ResKey, std::vector<ResourceRef>> sources; // every known source, in order added
};

class DS_DocResManager : public DS_IOF_Item {
public:
    static constexpr const wchar_t* kClassName = L"DS_DocResManager";
    static constexpr uint32_t kWriteVersion = 2;

    DS_DocResManager();
    ~DS_DocResManager() override;
    DS_DocResManager(const DS_DocResManager&) = delete;
    DS_DocResManager& operator=(const DS_DocResManager&) = delete;

    // Items after the class tag and version: texture sources, frame durations and (for any
    // version but 1) mesh sources. Builds every picture key's frames.
    bool Read(DS_IOF_Virtual* archive, uint32_t version);
    bool Write(DS_IOF_Virtual* archive) override;

    TextureAnim& GetTextureAnim(const ResKey& key);
    bool LoadLibraryTexture(const ResKey& key, TextureAnim& target);
    MeshRecord& GetMesh(const ResKey& key, uint32_t stride);
    // A new effect for the caller to release, or null (no bytes, or none can be made from them).
    void GetEffect(const ResKey& key, ID3DXEffect** effect);

    ResKey RegisterRef(const ResourceRef& ref);
    ResKey RegisterRefList(const std::vector<ResourceRef>& list, const std::vector<float>& durations);
    bool PrepareSave(const ResKey& key);

    ResourceCacheHandle* cache() { return &cache_; }
    DocResData& data() { return data_; }

private:
    ResourceCacheHandle cache_;
    DocResData data_;
};

// The manager of the document read last.
extern DS_DocResManager* CurrentDocResManager;

// The first frame of a key's texture in CurrentDocResManager, or null when there is no manager
// or the key has no frames.
ComRef<IDirect3DTexture9> FirstTexture(const ResKey& key);

// The whole record: class tag (not compared), version, then DS_DocResManager::Read.
DS_DocResManager* ReadDocResManager(DS_IOF_Virtual* archive);
