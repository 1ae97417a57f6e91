// The resource cache and loaders on a real device: decoding, what is kept per source, the
// library fallbacks, meshes, bump maps and the manager's device paths.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdio>

#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "document/ResourceBuffer.h"
#include "document/SceneDoc.h"
#include "tests/support/DeviceFixture.h"
#include "tests/support/TestPictures.h"
#include "tools/docwriter/DocumentBuilder.h"
#include "tools/effects/TestEffects.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr const wchar_t* kTestLibrary = L"lw_test_res.dll"; // built beside the tests
constexpr const wchar_t* kMissingLibrary = L"lw_no_such_res.dll";

const char kQuadMesh[] =
    "xof 0303txt 0032\n"
    "Mesh { 4; -1.0;-1.0;0.0;, -1.0;1.0;0.0;, 1.0;-1.0;0.0;, 1.0;1.0;0.0;;\n"
    "       2; 3;0,1,2;, 3;2,1,3;;\n"
    "       MeshTextureCoords { 4; 0.0;1.0;, 0.0;0.0;, 1.0;1.0;, 1.0;0.0;; } }\n";

std::wstring TempPath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

void WriteFile(const std::wstring& path, const void* data, size_t size)
{
    FILE* out = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(nullptr, out);
    std::fwrite(data, 1, size, out);
    std::fclose(out);
}

class ResourceCacheTest : public DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        ResourceCache::Create(&cache);
        CurrentResourceCache = &cache;
    }
    // The cache goes before the device; DeviceTest::TearDown puts the current objects back.
    void TearDown() override
    {
        cache.cache.reset();
        DeviceTest::TearDown();
    }

    // A PNG file of the given size, every pixel `argb`.
    Bytes Png(UINT width, UINT height, D3DCOLOR argb)
    {
        const Bytes png = PaintedPng(device(), width, height, [argb](UINT, UINT) { return argb; });
        EXPECT_FALSE(png.empty());
        return png;
    }

    ResourceCacheHandle cache;
};

TEST_F(ResourceCacheTest, PictureSizeIsTheImagesNotTheTextures)
{
    const Bytes png = Png(300, 200, 0xFF336699);
    TextureInfo info = ResourceCache::CreateTextureFromMemory(png.data(), static_cast<uint32_t>(png.size()));
    ASSERT_TRUE(info.texture);
    EXPECT_EQ(300u, info.width);
    EXPECT_EQ(200u, info.height);
    EXPECT_FLOAT_EQ(200.0f / 300.0f, info.aspect);

    const Bytes garbage = {1, 2, 3, 4};
    TextureInfo failed = ResourceCache::CreateTextureFromMemory(garbage.data(), 4);
    EXPECT_FALSE(failed.texture);
    EXPECT_EQ(800u, failed.width);
    EXPECT_EQ(0.75f, failed.aspect);
}

TEST_F(ResourceCacheTest, EmbeddedBytesDecodeEveryTimeAPathOnce)
{
    const Bytes png = Png(16, 8, 0xFFFF0000);
    ResourceRef embedded;
    embedded.name = L"C:\\pictures\\e.png";
    embedded.data = png;
    TextureInfo a = ResourceCache::GetTexture(embedded, &cache);
    TextureInfo b = ResourceCache::GetTexture(embedded, &cache);
    ASSERT_TRUE(a.texture && b.texture);
    EXPECT_NE(a.texture.Get(), b.texture.Get());

    const std::wstring path = TempPath(L"lw_cache_test.png");
    WriteFile(path, png.data(), png.size());
    ResourceRef byPath;
    byPath.name = path;
    TextureInfo c = ResourceCache::GetTexture(byPath, &cache);
    TextureInfo d = ResourceCache::GetTexture(byPath, &cache);
    ASSERT_TRUE(c.texture);
    EXPECT_EQ(c.texture.Get(), d.texture.Get());
    EXPECT_EQ(16u, c.width);
    _wremove(path.c_str());

    // A path that cannot be loaded stays in the map empty and is tried again.
    ResourceRef missing;
    missing.name = L"C:\\no\\such.png";
    EXPECT_FALSE(ResourceCache::GetTexture(missing, &cache).texture);
    EXPECT_EQ(800u, ResourceCache::GetTexture(missing, &cache).width);
    EXPECT_EQ(2u, cache.cache->PathTextureCount());
}

TEST_F(ResourceCacheTest, LibraryPicturesWinOverEmbeddedCopies)
{
    const Bytes copy = Png(16, 16, 0xFF00FF00);
    struct Case {
        const wchar_t* library;
        int32_t id;
        bool withCopy;
        bool texture;
        UINT width, height;
    };
    const Case cases[] = {
        {kTestLibrary, 12, true, true, 4, 2},       // the library's picture
        {kTestLibrary, 13, true, true, 16, 16},     // library without that id: the copy
        {kMissingLibrary, 12, true, true, 16, 16},  // no library: the copy
        {kMissingLibrary, 12, false, false, 800, 600},
        {kTestLibrary, 14, false, false, 800, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << (c.withCopy ? " with copy" : ""));
        ResourceCacheHandle fresh;
        ResourceCache::Create(&fresh);
        ResourceRef ref(c.id, c.library);
        if (c.withCopy)
            ref.data = copy;
        TextureInfo first = ResourceCache::GetTexture(ref, &fresh);
        EXPECT_EQ(c.texture, bool(first.texture));
        EXPECT_EQ(c.width, first.width);
        EXPECT_EQ(c.height, first.height);
        TextureInfo second = ResourceCache::GetTexture(ref, &fresh);
        if (c.texture) {
            EXPECT_EQ(first.texture.Get(), second.texture.Get()); // kept
        }
        EXPECT_EQ(std::wstring(c.library) == kTestLibrary ? 1u : 0u, fresh.cache->LibraryCount());
    }
}

TEST_F(ResourceCacheTest, AMissingLibraryIsLookedForAgain)
{
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder(exe);
    folder.resize(folder.rfind(L'\\') + 1);
    const std::wstring late = folder + L"lw_late_res.dll";
    DeleteFileW(late.c_str());

    const ResourceRef ref(12, L"lw_late_res.dll");
    EXPECT_FALSE(ResourceCache::GetTexture(ref, &cache).texture);
    EXPECT_EQ(0u, cache.cache->LibraryCount());
    ASSERT_TRUE(CopyFileW((folder + kTestLibrary).c_str(), late.c_str(), FALSE));
    TextureInfo found = ResourceCache::GetTexture(ref, &cache);
    EXPECT_TRUE(found.texture);
    EXPECT_EQ(4u, found.width);
    EXPECT_EQ(1u, cache.cache->LibraryCount());
}

// A resource library is mapped as resources only: its pictures, meshes and effects load through
// each of the three ways in, and its entry point, which marks the environment, never runs.
TEST_F(ResourceCacheTest, LibrariesAreMappedAsResourcesNotRun)
{
    const wchar_t* withEntryPoint = L"lw_entry_res.dll"; // the test library's content, plus code
    const wchar_t* mark = L"LW_ENTRY_POINT_RAN";
    ASSERT_EQ(0u, GetEnvironmentVariableW(mark, nullptr, 0));

    TextureInfo picture = ResourceCache::GetTexture(ResourceRef(12, withEntryPoint), &cache);
    EXPECT_TRUE(picture.texture);
    EXPECT_EQ(4u, picture.width);
    ResourceRef mesh(68, withEntryPoint);
    EXPECT_TRUE(mesh.LoadFromLibrary());
    EXPECT_TRUE(mesh.HasBytes());
    DS_DocResManager manager;
    ComRef<ID3DXEffect> effect;
    manager.GetEffect(ResKey(withEntryPoint, 63), effect.Out());
    EXPECT_TRUE(effect);

    EXPECT_EQ(0u, GetEnvironmentVariableW(mark, nullptr, 0)) << "the library's entry point ran";
    EXPECT_EQ(nullptr, GetModuleHandleW(withEntryPoint)) << "the library was loaded as a module";
}

TEST_F(ResourceCacheTest, AReloadReleasesThePreviousDocumentsPictures)
{
    DocumentPlan plan;
    plan.slides.push_back(SlidePlan{});
    ResourceRef picture;
    picture.name = L"C:\\pictures\\p.png";
    picture.data = Png(8, 8, 0xFFFFFFFF);
    const ResKey key(picture.name, 1);
    plan.manager.textureSources[key] = {picture};
    const Bytes bytes = BuildDocument(plan);

    SceneDoc doc;
    ASSERT_TRUE(LoadSceneDocument(bytes.data(), bytes.size(), doc));
    ComRef<IDirect3DTexture9> first = CurrentDocResManager->GetTextureAnim(key).frames.at(0);
    ASSERT_TRUE(first);
    for (int reload = 0; reload < 3; ++reload)
        ASSERT_TRUE(LoadSceneDocument(bytes.data(), bytes.size(), doc));
    EXPECT_NE(first.Get(), CurrentDocResManager->GetTextureAnim(key).frames.at(0).Get());
    // Only this test still holds the first load's picture: its manager and cache are gone.
    first->AddRef();
    EXPECT_EQ(1u, first->Release());
}

TEST_F(ResourceCacheTest, ProgramPicturesThatDoNotExistStayNull)
{
    EXPECT_FALSE(ResourceCache::GetTextureById(&cache, 54));
    EXPECT_FALSE(ResourceCache::GetTextureById(&cache, 54));
    ComRef<IDirect3DTexture9> bump;
    EXPECT_EQ(E_FAIL, LoadBumpTextureFromExeResource(54, bump.Out()));
}

TEST_F(ResourceCacheTest, SlidePicturesFallBackToTheLibraryDefault)
{
    NamedBlob blank, empty;
    blank.name = L"[blank]";
    TextureInfo a = ResolvePictureTexture(blank);
    TextureInfo b = ResolvePictureTexture(empty);
    EXPECT_EQ(a.texture.Get(), b.texture.Get());
    EXPECT_EQ(a.width, b.width);
    NamedBlob embedded;
    embedded.name = L"[blank]";
    embedded.data = Png(8, 4, 0xFF000000);
    EXPECT_EQ(8u, ResolvePictureTexture(embedded).width);
}

TEST_F(ResourceCacheTest, MeshesFromMemoryFileAndLibrary)
{
    MeshRecord record;
    ASSERT_EQ(S_OK, LoadMeshFromMemory(kQuadMesh, sizeof(kQuadMesh) - 1, 32, record));
    EXPECT_EQ(4u, record.vertexCount);
    EXPECT_EQ(2u, record.faceCount);
    EXPECT_NEAR(std::sqrt(2.0f), record.radius, 1e-5f);
    EXPECT_NEAR(0.0f, D3DXVec3Length(&record.centre), 1e-6f);
    D3DINDEXBUFFER_DESC indexDesc;
    D3DVERTEXBUFFER_DESC vertexDesc;
    record.indexBuffer->GetDesc(&indexDesc);
    record.vertexBuffer->GetDesc(&vertexDesc);
    EXPECT_EQ(12u, indexDesc.Size);
    EXPECT_EQ(D3DFMT_INDEX16, indexDesc.Format);
    EXPECT_EQ(128u, vertexDesc.Size);
    // Normals are recomputed: unit length along z.
    float* v = nullptr;
    ASSERT_EQ(D3D_OK, record.vertexBuffer->Lock(0, 0, reinterpret_cast<void**>(&v), D3DLOCK_READONLY));
    EXPECT_NEAR(1.0f, std::fabs(v[5]), 1e-5f);
    record.vertexBuffer->Unlock();

    // Unparseable, empty or absent data gives an empty record.
    const char junk[] = "xof 0303txt 0032\nMesh { 4; broken";
    for (const auto& [bytes, size] : {std::pair<const void*, uint32_t>{junk, sizeof(junk) - 1}, {nullptr, 0u}}) {
        MeshRecord bad;
        EXPECT_NE(S_OK, LoadMeshFromMemory(bytes, size, 32, bad));
        EXPECT_FALSE(bad.Loaded());
        EXPECT_FALSE(bad.vertexBuffer);
    }
    MeshRecord fromMissingResource;
    LoadMeshFromModuleResource(GetModuleHandleW(nullptr), 68, 32, fromMissingResource);
    EXPECT_FALSE(fromMissingResource.Loaded());

    // Library meshes are kept by id alone; file and embedded meshes are loaded at every call.
    MeshRecord lib1 = ResourceCache::GetMesh(ResourceRef(68, kTestLibrary), &cache, 32);
    ASSERT_TRUE(lib1.Loaded());
    MeshRecord lib2 = ResourceCache::GetMesh(ResourceRef(68, L"other_name.dll"), &cache, 32);
    EXPECT_EQ(lib1.vertexBuffer.Get(), lib2.vertexBuffer.Get());

    const std::wstring path = TempPath(L"lw_quad.x");
    WriteFile(path, kQuadMesh, sizeof(kQuadMesh) - 1);
    ResourceRef file;
    file.name = path;
    MeshRecord f1 = ResourceCache::GetMesh(file, &cache, 32);
    MeshRecord f2 = ResourceCache::GetMesh(file, &cache, 32);
    ASSERT_TRUE(f1.Loaded() && f2.Loaded());
    EXPECT_NE(f1.vertexBuffer.Get(), f2.vertexBuffer.Get());
    _wremove(path.c_str());
    EXPECT_EQ(1u, cache.cache->MeshCount());
}

TEST_F(ResourceCacheTest, BumpPicturesBecomeSignedV8U8)
{
    EXPECT_EQ(-128, BumpFromChannel(0));
    EXPECT_EQ(0, BumpFromChannel(128));
    EXPECT_EQ(127, BumpFromChannel(255));

    const Bytes png = Png(8, 4, D3DCOLOR_ARGB(255, 200, 50, 0));
    ComRef<IDirect3DTexture9> bump;
    ASSERT_EQ(S_OK, LoadBumpTextureFromMemory(png.data(), static_cast<uint32_t>(png.size()), bump.Out()));
    D3DSURFACE_DESC desc;
    bump->GetLevelDesc(0, &desc);
    EXPECT_EQ(D3DFMT_V8U8, desc.Format);
    EXPECT_EQ(8u, desc.Width);
    D3DLOCKED_RECT rect;
    ASSERT_EQ(D3D_OK, bump->LockRect(0, &rect, nullptr, D3DLOCK_READONLY));
    const int8_t* texel = static_cast<const int8_t*>(rect.pBits) + rect.Pitch * 3 + 2 * 7;
    EXPECT_EQ(200 - 128, texel[0]);
    EXPECT_EQ(50 - 128, texel[1]);
    bump->UnlockRect(0);
}

TEST_F(ResourceCacheTest, CopiesAndBackBuffer)
{
    EXPECT_FALSE(CopyToNewTexture(16, 16, nullptr, D3DFMT_A8R8G8B8));
    const Bytes png = Png(16, 16, 0xFF0000FF);
    TextureInfo source = ResourceCache::CreateTextureFromMemory(png.data(), static_cast<uint32_t>(png.size()));
    ComRef<IDirect3DTexture9> copy = CopyToNewTexture(32, 8, source.texture.Get(), D3DFMT_A8R8G8B8);
    ASSERT_TRUE(copy);
    D3DSURFACE_DESC desc;
    copy->GetLevelDesc(0, &desc);
    EXPECT_EQ(32u, desc.Width);
    EXPECT_EQ(8u, desc.Height);
    EXPECT_EQ(D3DPOOL_MANAGED, desc.Pool);

    const D3DSURFACE_DESC back = GetBackBufferDesc();
    EXPECT_EQ(kWidth, back.Width);
    EXPECT_EQ(kHeight, back.Height);
}

TEST_F(ResourceCacheTest, ManagerBuildsPicturesAndMeshesOnTheDevice)
{
    const ResKey file(L"C:\\pictures\\a.png", 5), lib(std::wstring(kTestLibrary), 12);
    ManagerPlan plan;
    ResourceRef embedded;
    embedded.name = file.name;
    embedded.data = Png(20, 10, 0xFF808080);
    plan.textureSources[file] = {embedded};
    plan.textureSources[lib] = {ResourceRef(12, kTestLibrary)};
    DocumentWriter w;
    WriteManager(w, plan);
    ResourceBuffer buffer(w.bytes.data(), w.bytes.size());
    DocumentReader archive(&buffer);
    std::unique_ptr<DS_DocResManager> manager(ReadDocResManager(&archive));
    EXPECT_EQ(manager->cache(), CurrentResourceCache);

    TextureAnim& picture = manager->GetTextureAnim(file);
    ASSERT_EQ(1u, picture.frames.size());
    EXPECT_TRUE(picture.frames[0]);
    EXPECT_EQ(20u, picture.width);
    EXPECT_EQ(0.5f, picture.aspect);
    EXPECT_EQ(4u, manager->GetTextureAnim(lib).width);

    const ResKey meshKey(kTestLibrary, 68);
    MeshRecord& mesh = manager->GetMesh(meshKey, 32);
    EXPECT_EQ(4u, mesh.vertexCount);
    EXPECT_EQ(mesh.vertexBuffer.Get(), manager->GetMesh(meshKey, 32).vertexBuffer.Get());

    manager.reset();
    EXPECT_EQ(nullptr, CurrentResourceCache);
}

// --- Effects through the manager ----------------------------------------------------------------
// The test library's effects 63 and 64 are compiled effects (tools/effects/TestEffects.h), which
// D3DX makes without an effect compiler, so every check below runs on every platform.

// The bytes of effect `id` of the test library.
Bytes TestLibraryEffect(int id)
{
    HMODULE library = LoadLibraryW(kTestLibrary);
    HRSRC info = library ? FindResourceW(library, MAKEINTRESOURCEW(id), RT_RCDATA) : nullptr;
    HGLOBAL handle = info ? LoadResource(library, info) : nullptr;
    const uint8_t* bytes = handle ? static_cast<const uint8_t*>(LockResource(handle)) : nullptr;
    return bytes ? Bytes(bytes, bytes + SizeofResource(library, info)) : Bytes();
}

// Every request makes a new effect for the caller: two requests for one key never share one, and
// each key gives the effect of its own bytes.
TEST_F(ResourceCacheTest, ManagerMakesANewEffectAtEveryRequest)
{
    DS_DocResManager manager;
    const ResKey firstKey(kTestLibrary, 63), secondKey(kTestLibrary, 64);
    ComRef<ID3DXEffect> first, again, second;
    manager.GetEffect(firstKey, first.Out());
    manager.GetEffect(firstKey, again.Out());
    manager.GetEffect(secondKey, second.Out());
    ASSERT_TRUE(first) << "effect 63 of the test library";
    ASSERT_TRUE(again) << "effect 63, asked for again";
    ASSERT_TRUE(second) << "effect 64 of the test library";
    EXPECT_EQ(1u, manager.data().sources[firstKey].size()) << "the library is read once per key";

    EXPECT_NE(first.Get(), again.Get());
    EXPECT_NE(first.Get(), second.Get());
    // Each effect keeps values of its own.
    ASSERT_EQ(D3D_OK, first->SetFloat(kTestEffectLevel, 0.5f));
    float level = -1.0f;
    ASSERT_EQ(D3D_OK, again->GetFloat(kTestEffectLevel, &level));
    EXPECT_EQ(0.0f, level);

    EXPECT_NE(nullptr, first->GetTechniqueByName(kFirstTestTechnique));
    EXPECT_NE(nullptr, second->GetTechniqueByName(kSecondTestTechnique));
    EXPECT_EQ(nullptr, second->GetTechniqueByName(kFirstTestTechnique));
}

// A key with several sources makes its effect from the last one; a last source without bytes
// gives no effect, and the library is not looked at.
TEST_F(ResourceCacheTest, ManagerMakesAnEffectFromTheKeysLastSource)
{
    DS_DocResManager manager;
    const ResKey key(kTestLibrary, 63);
    ResourceRef firstCopy, secondCopy;
    firstCopy.data = TestLibraryEffect(63);
    secondCopy.data = TestLibraryEffect(64);
    ASSERT_FALSE(secondCopy.data.empty());
    manager.data().sources[key] = {firstCopy, secondCopy};
    ComRef<ID3DXEffect> effect;
    manager.GetEffect(key, effect.Out());
    ASSERT_TRUE(effect);
    EXPECT_NE(nullptr, effect->GetTechniqueByName(kSecondTestTechnique));

    manager.data().sources[key].push_back(ResourceRef(63, kTestLibrary));
    manager.GetEffect(key, effect.Out());
    EXPECT_FALSE(effect);
    EXPECT_EQ(3u, manager.data().sources[key].size());
    EXPECT_FALSE(manager.data().sources[key].back().HasBytes());
}

} // namespace
