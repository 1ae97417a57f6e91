// The document resource manager without a device: its record, key bookkeeping and fallbacks.
// Every texture stays null here, so these tests see only which sources and frames exist.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "document/ResourceBuffer.h"
#include "tests/support/CurrentObjects.h"
#include "tools/docwriter/DocumentBuilder.h"

namespace {

using Bytes = std::vector<uint8_t>;

ResourceRef Embedded(const wchar_t* name, Bytes data)
{
    ResourceRef ref;
    ref.name = name;
    ref.data = std::move(data);
    return ref;
}

class DocResManagerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(nullptr, CurrentDevice); }

    // Reads a manager record (after its tag and version) written from `plan`; `sentinel` follows it.
    std::unique_ptr<DS_DocResManager> Read(const ManagerPlan& plan, size_t* left = nullptr)
    {
        DocumentWriter w;
        WriteManager(w, plan);
        w.UInt(0x5E5E5E5E);
        bytes = w.bytes;
        ResourceBuffer buffer(bytes.data(), bytes.size());
        DocumentReader archive(&buffer);
        std::unique_ptr<DS_DocResManager> manager(ReadDocResManager(&archive));
        if (left)
            *left = buffer.Remaining();
        return manager;
    }

    Bytes bytes;
};

TEST_F(DocResManagerTest, MakesItsCacheCurrentAndLetsGoOfIt)
{
    const CurrentObjectsGuard current;
    {
        DS_DocResManager manager;
        EXPECT_EQ(manager.cache(), CurrentResourceCache);
        ASSERT_NE(nullptr, manager.cache()->cache);
    }
    EXPECT_EQ(nullptr, CurrentResourceCache);
}

TEST_F(DocResManagerTest, RecordVersionsAndEntries)
{
    const ResKey file(L"C:\\p\\a.png", 1000), anim(L"anim.png", 3), single(L"one.png", 4), mesh(L"m.x", 5);
    ManagerPlan plan;
    plan.textureSources[file] = {Embedded(L"C:\\p\\a.png", {1, 2, 3})};
    plan.textureSources[anim] = {Embedded(L"f0", {1}), Embedded(L"f1", {2}), Embedded(L"f2", {3})};
    plan.textureSources[single] = {Embedded(L"s", {4})};
    plan.frameDurations[single] = {0.5f, 0.25f};
    plan.meshSources[mesh] = {Embedded(L"m.x", {9})};
    plan.meshSources[file] = {Embedded(L"other", {8})};

    for (uint32_t version : {1u, 2u, 3u}) {
        SCOPED_TRACE(version);
        plan.version = version;
        size_t left = 0;
        auto manager = Read(plan, &left);
        EXPECT_EQ(4u, left);
        DocResData& data = manager->data();
        EXPECT_TRUE(data.savedTextureSources.empty());
        EXPECT_EQ(3u, data.textureAnims[anim].frames.size());
        EXPECT_TRUE(data.textureAnims[anim].frameDurations.empty());
        EXPECT_EQ(1u, data.textureAnims[single].frames.size());
        EXPECT_TRUE(data.textureAnims[single].frameDurations.empty());
        // A picture that cannot be made has the stand-in size.
        EXPECT_EQ(800u, data.textureAnims[file].width);
        EXPECT_EQ(0.75f, data.textureAnims[file].aspect);
        // Mesh sources join the known sources only where a key has none yet.
        ASSERT_EQ(1u, data.sources[file].size());
        EXPECT_EQ(L"C:\\p\\a.png", data.sources[file][0].name);
        EXPECT_EQ(version == 1 ? 0u : 1u, data.sources.count(mesh));
    }
}

TEST_F(DocResManagerTest, DurationsOfMultiFramePicturesAndDuplicateKeys)
{
    const ResKey anim(L"anim.png", 3);
    DocumentWriter w;
    w.UInt(2); // texture sources: the same key twice, the second entry dropped
    for (int copy = 0; copy < 2; ++copy) {
        w.Key(anim);
        w.UInt(copy == 0 ? 2 : 1);
        for (int i = 0; i < (copy == 0 ? 2 : 1); ++i)
            w.Ref(Embedded(L"f", {uint8_t(i)}));
    }
    w.UInt(1);
    w.Key(anim);
    w.UInt(2);
    w.Float(0.1f);
    w.Float(0.2f);
    w.UInt(0);
    ResourceBuffer buffer(w.bytes.data(), w.bytes.size());
    DocumentReader archive(&buffer);
    DS_DocResManager manager;
    manager.Read(&archive, 2);
    EXPECT_EQ(0u, buffer.Remaining());
    EXPECT_EQ(2u, manager.data().textureAnims[anim].frames.size());
    EXPECT_EQ((std::vector<float>{0.1f, 0.2f}), manager.data().textureAnims[anim].frameDurations);
}

TEST_F(DocResManagerTest, WriteRoundTripsThroughPrepareSave)
{
    const ResKey lib(L"common_res.dll", 10), anim(L"anim.png", 3), mesh(L"m.x", 5);
    ManagerPlan plan;
    ResourceRef copy(10, L"common_res.dll");
    copy.data = {0xAA, 0xBB};
    plan.textureSources[lib] = {copy};
    plan.textureSources[anim] = {Embedded(L"f0", {1}), Embedded(L"f1", {2})};
    plan.frameDurations[anim] = {0.5f, 1.5f};
    plan.meshSources[mesh] = {Embedded(L"m.x", {9, 9})};
    auto manager = Read(plan);

    for (const auto& entry : plan.textureSources)
        ASSERT_TRUE(manager->PrepareSave(entry.first));
    EXPECT_TRUE(manager->PrepareSave(ResKey()));
    DocumentWriter written;
    ASSERT_TRUE(manager->Write(&written));
    DocumentWriter expected;
    WriteManager(expected, plan);
    EXPECT_EQ(expected.bytes, written.bytes);

    // The manager's own bytes hold the library key's texture-source entry exactly as a document
    // stores it, 90 bytes written out by hand: key, one reference, the reference's two bytes.
    std::vector<uint8_t> entry;
    auto text = [&](const char* ascii) {
        entry.insert(entry.end(), {0xFF, 0xFE, 0xFF, static_cast<uint8_t>(std::strlen(ascii))});
        for (const char* c = ascii; *c; ++c)
            entry.insert(entry.end(), {static_cast<uint8_t>(*c), 0});
    };
    auto bytes = [&](std::initializer_list<uint8_t> b) { entry.insert(entry.end(), b); };
    text("common_res.dll");
    bytes({0x0A, 0, 0, 0, 0, 0, 0, 0}); // id 10, modification time 0
    bytes({1, 0, 0, 0});                // one reference
    bytes({0x0A, 0, 0, 0});             // its resource id
    text("common_res.dll");
    bytes({2, 0, 0, 0, 0xAA, 0xBB});    // its bytes
    text("");                           // its name
    ASSERT_EQ(90u, entry.size());
    EXPECT_NE(std::search(written.bytes.begin(), written.bytes.end(), entry.begin(), entry.end()), written.bytes.end());
}

TEST_F(DocResManagerTest, LibraryKeysLoadOnceOtherKeysNever)
{
    DS_DocResManager manager;
    const ResKey five(L"common_res.dll", 5), upper(L"COMMON_RES.DLL", 7), png(L"pic.png", 1);
    for (int call = 0; call < 2; ++call) {
        EXPECT_EQ(1u, manager.GetTextureAnim(five).frames.size());
        EXPECT_EQ(1u, manager.data().sources[five].size());
        EXPECT_EQ(5, manager.data().sources[five][0].resourceId);
        EXPECT_EQ(1u, manager.GetTextureAnim(upper).frames.size());
        EXPECT_TRUE(manager.GetTextureAnim(png).frames.empty());
    }
    // The library is missing here: one null frame of the stand-in size.
    const TextureAnim& anim = manager.GetTextureAnim(five);
    EXPECT_EQ(nullptr, anim.frames[0].Get());
    EXPECT_EQ(800u, anim.width);
    EXPECT_EQ(600u, anim.height);
    EXPECT_EQ(0.75f, anim.aspect);
}

TEST_F(DocResManagerTest, RegisteringReferences)
{
    DS_DocResManager manager;
    const ResourceRef embedded = Embedded(L"pic.png", {1, 2});
    const ResKey a = manager.RegisterRef(embedded);
    const ResKey b = manager.RegisterRef(embedded);
    EXPECT_EQ(L"pic.png", a.name);
    EXPECT_LT(a.stamp, b.stamp);

    const ResourceRef library(12, L"common_res.dll");
    EXPECT_EQ(ResKey(L"common_res.dll", 12), manager.RegisterRef(library));
    EXPECT_EQ(ResKey(L"common_res.dll", 12), manager.RegisterRef(library));
    EXPECT_EQ(1u, manager.data().textureAnims[ResKey(L"common_res.dll", 12)].frames.size());
    EXPECT_EQ(1u, manager.data().sources[ResKey(L"common_res.dll", 12)].size());

    const std::vector<ResourceRef> list = {ResourceRef(20, L"lib.dll"), ResourceRef(21, L"lib.dll")};
    const ResKey animKey = manager.RegisterRefList(list, {0.1f, 0.2f});
    EXPECT_EQ(ResKey(L"lib.dll", 20), animKey);
    EXPECT_EQ(2u, manager.data().textureAnims[animKey].frames.size());
    EXPECT_EQ(manager.RegisterRefList({ResourceRef(20, L"lib.dll")}, {}), animKey);
    EXPECT_EQ(2u, manager.data().textureAnims[animKey].frames.size());
    EXPECT_EQ(2u, manager.data().sources[animKey].size());
    EXPECT_EQ((std::vector<float>{0.1f, 0.2f}), manager.data().textureAnims[animKey].frameDurations);

    const size_t keys = manager.data().textureAnims.size();
    EXPECT_EQ(ResKey(), manager.RegisterRefList({}, {1.0f}));
    EXPECT_EQ(keys, manager.data().textureAnims.size());
}

TEST_F(DocResManagerTest, MissingMeshesAndEffectsGiveEmptyResults)
{
    DS_DocResManager manager;
    const ResKey key(L"lw_missing_res.dll", 68);
    MeshRecord& mesh = manager.GetMesh(key, 32);
    EXPECT_FALSE(mesh.Loaded());
    EXPECT_EQ(nullptr, mesh.vertexBuffer.Get());
    EXPECT_EQ(1u, manager.data().sources[key].size());

    const ResKey effectKey(L"lw_missing_res.dll", 63);
    for (int call = 0; call < 2; ++call) {
        ID3DXEffect* effect = reinterpret_cast<ID3DXEffect*>(1);
        manager.GetEffect(effectKey, &effect);
        EXPECT_EQ(nullptr, effect);
        ASSERT_EQ(1u, manager.data().sources[effectKey].size());
        EXPECT_FALSE(manager.data().sources[effectKey][0].HasBytes());
    }
}

} // namespace
