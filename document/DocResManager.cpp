#include "document/DocResManager.h"

#include <memory>

#include "document/CurrentDevice.h"
#include "document/ResourceBuffer.h"
#include "document/ResourceLibrary.h"

DS_DocResManager* CurrentDocResManager = nullptr;

namespace {

// Bounds a count read from the document by what is left of it (each entry takes `perEntry`
// bytes at least), before anything is allocated for it.
void RequireEntries(DS_IOF_Virtual* archive, uint32_t count, uint64_t perEntry)
{
    if (auto* reader = dynamic_cast<DocumentReader*>(archive))
        reader->buffer()->Require(uint64_t(count) * perEntry);
}

// One map of the record: uint32 n; n × {key, uint32 k, k × value}. A key that comes twice keeps
// its first entry.
template <class T, class ReadOne>
void ReadKeyedMap(DS_IOF_Virtual* archive, std::map<ResKey, std::vector<T>>& map, uint64_t valueBytes,
                  ReadOne readOne)
{
    uint32_t n = 0;
    archive->ReadULong(&n);
    RequireEntries(archive, n, 4 + 8 + 4);
    for (uint32_t i = 0; i < n; ++i) {
        ResKey key;
        ReadResKey(*archive, key);
        uint32_t k = 0;
        archive->ReadULong(&k);
        RequireEntries(archive, k, valueBytes);
        std::vector<T> values(k);
        for (T& value : values)
            readOne(value);
        map.emplace(std::move(key), std::move(values));
    }
}

void ReadRefMap(DS_IOF_Virtual* archive, std::map<ResKey, std::vector<ResourceRef>>& map)
{
    // A reference takes 4 + 4 + 4 + 4 bytes at least.
    ReadKeyedMap(archive, map, 16, [archive](ResourceRef& ref) { archive->ReadResourceRef(&ref); });
}

template <class T, class WriteOne>
void WriteKeyedMap(DS_IOF_Virtual* archive, const std::map<ResKey, std::vector<T>>& map, WriteOne writeOne)
{
    const uint32_t n = static_cast<uint32_t>(map.size());
    archive->WriteULong(&n);
    for (const auto& [key, values] : map) {
        WriteResKey(*archive, key);
        const uint32_t k = static_cast<uint32_t>(values.size());
        archive->WriteULong(&k);
        for (const T& value : values)
            writeOne(value);
    }
}

} // namespace

DS_DocResManager::DS_DocResManager()
{
    ResourceCache::Create(&cache_);
    CurrentResourceCache = &cache_;
}

DS_DocResManager::~DS_DocResManager()
{
    // Textures and meshes handed out keep their own references; the cache goes with the manager.
    if (CurrentResourceCache == &cache_)
        CurrentResourceCache = nullptr;
    if (CurrentDocResManager == this)
        CurrentDocResManager = nullptr;
}

bool DS_DocResManager::Read(DS_IOF_Virtual* archive, uint32_t version)
{
    ReadRefMap(archive, data_.savedTextureSources);
    ReadKeyedMap(archive, data_.savedFrameDurations, 4, [archive](float& f) { archive->ReadFloat(&f); });

    for (const auto& [key, refs] : data_.savedTextureSources) {
        data_.sources[key] = refs;
        TextureAnim& anim = data_.textureAnims[key];
        anim.frames.assign(refs.size(), nullptr);
        for (size_t i = 0; i < refs.size(); ++i) {
            TextureInfo info = ResourceCache::GetTexture(refs[i], CurrentResourceCache);
            anim.frames[i] = info.texture;
            anim.width = info.width;
            anim.height = info.height;
            anim.aspect = info.aspect;
        }
        if (refs.size() > 1)
            anim.frameDurations = data_.savedFrameDurations[key];
    }
    data_.savedTextureSources.clear();

    if (version == 1)
        return true;
    ReadRefMap(archive, data_.savedMeshSources);
    for (const auto& [key, refs] : data_.savedMeshSources)
        data_.sources.emplace(key, refs); // existing entries stay
    return true;
}

bool DS_DocResManager::Write(DS_IOF_Virtual* archive)
{
    const std::wstring tag = kClassName;
    const uint32_t version = kWriteVersion;
    archive->WriteString(&tag);
    archive->WriteULong(&version);
    auto writeRef = [archive](const ResourceRef& ref) { archive->WriteResourceRef(&ref); };
    WriteKeyedMap(archive, data_.savedTextureSources, writeRef);
    WriteKeyedMap(archive, data_.savedFrameDurations, [archive](const float& f) { archive->WriteFloat(&f); });
    WriteKeyedMap(archive, data_.savedMeshSources, writeRef);
    return true;
}

TextureAnim& DS_DocResManager::GetTextureAnim(const ResKey& key)
{
    TextureAnim& anim = data_.textureAnims[key];
    if (anim.frames.empty() && LowerCaseExtension(key.name) == L".dll")
        LoadLibraryTexture(key, anim);
    return anim;
}

ComRef<IDirect3DTexture9> FirstTexture(const ResKey& key)
{
    if (!CurrentDocResManager)
        return nullptr;
    const TextureAnim& anim = CurrentDocResManager->GetTextureAnim(key);
    return anim.frames.empty() ? nullptr : anim.frames.front();
}

bool DS_DocResManager::LoadLibraryTexture(const ResKey& key, TextureAnim& target)
{
    ResourceRef ref(static_cast<int32_t>(static_cast<uint32_t>(key.stamp)), key.name);
    data_.sources[key].push_back(ref);
    TextureAnim::AssignSingle(ResourceCache::GetTexture(ref, CurrentResourceCache), target);
    return true;
}

MeshRecord& DS_DocResManager::GetMesh(const ResKey& key, uint32_t stride)
{
    MeshRecord& mesh = data_.meshes[key];
    if (mesh.Loaded())
        return mesh;
    std::vector<ResourceRef>& refs = data_.sources[key];
    if (refs.empty()) {
        refs.emplace_back(static_cast<int32_t>(static_cast<uint32_t>(key.stamp)), key.name);
        refs.back().LoadFromLibrary();
    }
    const ResourceRef& first = refs.front();
    if (first.HasBytes())
        LoadMeshFromMemory(first.Bytes(), first.Size(), stride, mesh);
    return mesh;
}

void DS_DocResManager::GetEffect(const ResKey& key, ID3DXEffect** effect)
{
    *effect = nullptr;
    std::vector<ResourceRef>& refs = data_.sources[key];
    if (refs.empty()) {
        refs.emplace_back(static_cast<int32_t>(static_cast<uint32_t>(key.stamp)), key.name);
        ResourceRef& ref = refs.back();
        HMODULE module = LoadResourceLibrary(key.name);
        HRSRC info = module ? FindResourceW(module, MAKEINTRESOURCEW(static_cast<WORD>(ref.resourceId)), RT_RCDATA)
                            : nullptr;
        if (info) {
            const DWORD size = SizeofResource(module, info);
            HGLOBAL handle = LoadResource(module, info);
            const uint8_t* bytes = handle ? static_cast<const uint8_t*>(LockResource(handle)) : nullptr;
            if (bytes)
                ref.data.assign(bytes, bytes + size);
        }
    }
    const ResourceRef& last = refs.back();
    if (!CurrentDevice || !last.HasBytes())
        return;
    if (FAILED(D3DXCreateEffect(CurrentDevice, last.Bytes(), last.Size(), nullptr, nullptr, 0, nullptr, effect,
                                nullptr)))
        ReleaseAndNull(*effect);
}

ResKey DS_DocResManager::RegisterRef(const ResourceRef& ref)
{
    ResKey key = ref.GetKey();
    std::vector<ResourceRef>& refs = data_.sources[key];
    if (refs.empty())
        refs.push_back(ref);
    TextureAnim::AssignSingle(ResourceCache::GetTexture(ref, CurrentResourceCache), data_.textureAnims[key]);
    return key;
}

ResKey DS_DocResManager::RegisterRefList(const std::vector<ResourceRef>& list, const std::vector<float>& durations)
{
    if (list.empty())
        return ResKey(); // nothing to register
    ResKey key = list.front().GetKey();
    TextureAnim& anim = data_.textureAnims[key];
    if (!anim.frames.empty())
        return key;
    std::vector<ResourceRef>& refs = data_.sources[key];
    for (const ResourceRef& ref : list) {
        TextureInfo info = ResourceCache::GetTexture(ref, CurrentResourceCache);
        anim.frames.push_back(info.texture);
        anim.width = info.width;
        anim.height = info.height;
        anim.aspect = info.aspect;
        refs.push_back(ref);
    }
    anim.frameDurations = durations;
    return key;
}

bool DS_DocResManager::PrepareSave(const ResKey& key)
{
    if (key.name.empty())
        return true;
    TextureAnim& anim = data_.textureAnims[key];
    if (!anim.frameDurations.empty())
        data_.savedFrameDurations[key] = anim.frameDurations;
    data_.savedTextureSources[key] = data_.sources[key];
    return true;
}

DS_DocResManager* ReadDocResManager(DS_IOF_Virtual* archive)
{
    std::wstring tag;
    uint32_t version = 0;
    archive->ReadString(&tag);
    archive->ReadULong(&version);
    std::unique_ptr<DS_DocResManager> manager(new DS_DocResManager);
    manager->Read(archive, version);
    return manager.release();
}
