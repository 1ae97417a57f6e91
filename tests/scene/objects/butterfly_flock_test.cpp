// The butterfly description and its flock, without a device: the record against hand-made bytes,
// the round trip, damaged records, and the flock's frame trees and instance lists as the count
// changes. Meshes and textures cannot be made without a device, so the flock's meshes stay empty.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "../SceneFixtures.h"
#include "../constructors/SpriteKindFixtures.h"
#include "scene/constructors/DS_ButterflyConstructor.h"
#include "scene/objects/AC_Butterfly.h"
#include "scene/objects/DS_3DObjArray.h"
#include "scene/objects/DS_ABRender.h"
#include "tools/docwriter/DocumentWriter.h"

namespace {

const ResKey kPicture(L"common_res.dll", 6);
const ResKey kBody(L"common_res.dll", 68);
const ResKey kWing(L"common_res.dll", 69);

std::vector<uint8_t> WriteOf(DS_IOF_Item& item)
{
    DocumentWriter w;
    item.Write(&w);
    return w.bytes;
}

// The butterfly record of the tables, by hand: reserved values 70 and 80, count 3, size 120,
// wing keys (picture 6, mesh 69), a version-2 view record with speed 75.
std::vector<uint8_t> HandRecord(const ResKey& bodyTexture = kPicture)
{
    DocumentWriter w;
    w.String(L"DS_ButterflyConstructor");
    w.UInt(1);
    w.Key(bodyTexture);
    w.Key(kBody);
    w.UInt(70);
    w.UInt(80);
    w.String(L"DS_3D_Obj_Ctrl");
    w.UInt(1);
    w.UInt(3);
    w.UInt(120);
    w.Key(kPicture);
    w.Key(kWing);
    const int rect[6] = {};
    const float fractions[4] = {0.25f, 0.75f, 0.125f, 0.5f};
    HandViewRecord(w, 2, rect, fractions, true, 75, L"meadow flock");
    return w.bytes;
}

std::unique_ptr<DS_ButterflyConstructor> Read(const std::vector<uint8_t>& bytes, size_t* rest = nullptr)
{
    std::unique_ptr<DS_ABObj_Constructor> read(ReadRecord(bytes, rest));
    auto* butterfly = dynamic_cast<DS_ButterflyConstructor*>(read.get());
    if (butterfly)
        read.release();
    return std::unique_ptr<DS_ButterflyConstructor>(butterfly);
}

// A renderer that writes down the elements it is asked to draw, in order.
class ElementRecorder : public DS_ABRender {
public:
    void DrawSelection(OutlineQuad*, int, bool) override {}
    void Draw3DObject(DS_MeshElement* element) override { drawn.push_back(element); }
    void DrawSpriteArray(DS_SpriteArrayObj*) override {}
    void Draw3DArray(DS_MeshElement*) override {}
    std::vector<DS_MeshElement*> drawn;
};

// A flock of a default butterfly description, made as a slide makes it, in object space 640 × 480
// with a document resource manager that has no device.
class ButterflyFlock : public ::testing::Test {
protected:
    std::unique_ptr<DS_3DObjArray> MakeFlock(unsigned int count)
    {
        DS_ButterflyConstructor description;
        description.count.value = count;
        description.secondTextureKey = kPicture;
        std::unique_ptr<DS_ABObj> object(description.CreateObject());
        auto* flock = dynamic_cast<DS_3DObjArray*>(object.get());
        EXPECT_NE(nullptr, flock);
        if (flock)
            object.release();
        return std::unique_ptr<DS_3DObjArray>(flock);
    }

    static std::vector<DS_Frame*> Roots(const DS_3DObjArray& flock)
    {
        std::vector<DS_Frame*> roots;
        for (const FrameTreePtr<>& root : flock.roots)
            roots.push_back(root.get());
        return roots;
    }

    static std::vector<DS_Frame*> Wings(const std::vector<DS_Frame*>& roots)
    {
        std::vector<DS_Frame*> wings;
        for (DS_Frame* root : roots)
            wings.insert(wings.end(), root->children.begin(), root->children.end());
        return wings;
    }

    // The instance lists follow the roots: element 0 the bodies, element 1 their wings.
    static void ExpectInstances(const DS_3DObjArray& flock)
    {
        const std::vector<DS_Frame*> roots = Roots(flock);
        ASSERT_EQ(2u, flock.elements.size());
        EXPECT_EQ(roots, flock.elements[0]->instances);
        EXPECT_EQ(Wings(roots), flock.elements[1]->instances);
    }

    ObjectSpaceScope space{640, 480};
    CurrentManagerScope current;
};

} // namespace

TEST(ButterflyDescription, Defaults)
{
    DS_ButterflyConstructor d;
    EXPECT_EQ(kPicture, d.bodyTextureKey);
    EXPECT_EQ(kBody, d.bodyMeshKey);
    EXPECT_EQ(kWing, d.secondMeshKey);
    EXPECT_EQ(ResKey(), d.secondTextureKey) << "the wing picture comes from the record";
    EXPECT_EQ(1u, d.count.value);
    EXPECT_EQ(100u, d.size.value);
    EXPECT_EQ(50u, d.speed.value);
    EXPECT_TRUE(d.viewFlag);
    EXPECT_EQ(50u, d.reserved1.value);
    EXPECT_EQ(50.0f, d.reserved2.scaled);
}

TEST(ButterflyDescription, ReadsTheRecordOfTheTables)
{
    ObjectSpaceScope space(0, 0); // pixel edges stay as read
    size_t rest = 1;
    auto d = Read(HandRecord(), &rest);
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(0u, rest);
    EXPECT_EQ(kPicture, d->bodyTextureKey);
    EXPECT_EQ(kBody, d->bodyMeshKey);
    EXPECT_EQ(70.0f, d->reserved1.scaled);
    EXPECT_EQ(80.0f, d->reserved2.scaled);
    EXPECT_EQ(3u, d->count.value);
    EXPECT_EQ(120u, d->size.value);
    EXPECT_EQ(kPicture, d->secondTextureKey);
    EXPECT_EQ(kWing, d->secondMeshKey);
    EXPECT_EQ(0.25f, d->leftFraction);
    EXPECT_EQ(0.5f, d->bottomFraction);
    EXPECT_TRUE(d->viewFlag);
    EXPECT_EQ(75u, d->speed.value);
    EXPECT_EQ(L"meadow flock", d->title);

    // A key name of length 0 keeps the name held before and takes the stamp.
    auto renamed = Read(HandRecord(ResKey(L"", 9)));
    ASSERT_NE(nullptr, renamed);
    EXPECT_EQ(ResKey(L"common_res.dll", 9), renamed->bodyTextureKey);
}

TEST(ButterflyDescription, WritesTheBytesItReads)
{
    ObjectSpaceScope space(0, 0);
    auto d = Read(HandRecord());
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(HandRecord(), WriteOf(*d));

    // And a clone carries every field.
    std::unique_ptr<DS_3D_Obj_Ctrl> clone(d->Clone());
    EXPECT_EQ(HandRecord(), WriteOf(*clone));
}

TEST(ButterflyDescription, WritingRegistersTexturesAndMeshesWithTheDocument)
{
    ObjectSpaceScope space(0, 0);
    CurrentManagerScope current;
    DocResData& data = current.manager.data();
    const ResourceRef bodySource(68, L"common_res.dll");
    data.sources[kBody] = {bodySource};
    data.sources[kPicture] = {ResourceRef(6, L"common_res.dll")};
    auto d = Read(HandRecord());
    ASSERT_NE(nullptr, d);
    WriteOf(*d);
    EXPECT_EQ(1u, data.savedTextureSources.count(kPicture));
    ASSERT_EQ(1u, data.savedMeshSources.count(kBody));
    EXPECT_EQ(1u, data.savedMeshSources[kBody].size());
    EXPECT_EQ(1u, data.savedMeshSources.count(kWing)) << "the wing mesh goes with the document too";
}

TEST(ButterflyDescription, DamagedRecordsAreDocumentErrors)
{
    ExpectEveryTruncationFails(HandRecord());
}

TEST_F(ButterflyFlock, OneButterflyIsABodyWithTwoWings)
{
    auto flock = MakeFlock(1);
    ASSERT_NE(nullptr, flock);
    ASSERT_EQ(1u, flock->roots.size());
    DS_Frame* root = flock->roots.front().get();
    ASSERT_EQ(2u, root->children.size());
    EXPECT_NE(nullptr, dynamic_cast<AC_Butterfly*>(root->animation));
    EXPECT_NE(nullptr, dynamic_cast<AC_ButterflyWing*>(root->children[0]->animation));
    EXPECT_NE(nullptr, dynamic_cast<AC_ButterflyWing*>(root->children[1]->animation));
    ExpectInstances(*flock);
    EXPECT_FALSE(flock->elements[0]->alpha);
    EXPECT_TRUE(flock->elements[1]->alpha);

    // Half size, turned so the nose (+z) points along +x.
    const float expected[3][3] = {{0, 0, -0.5f}, {0, 0.5f, 0}, {0.5f, 0, 0}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(expected[r][c], root->local(r, c), 1e-6f) << r << ", " << c;
}

TEST_F(ButterflyFlock, CountChangesAddAtTheBackAndRemoveTheOldest)
{
    auto flock = MakeFlock(2);
    ASSERT_NE(nullptr, flock);
    const std::vector<DS_Frame*> two = Roots(*flock);

    flock->Description()->count.SetValue(5, nullptr);
    const std::vector<DS_Frame*> five = Roots(*flock);
    ASSERT_EQ(5u, five.size());
    EXPECT_EQ(two[0], five[0]);
    EXPECT_EQ(two[1], five[1]);
    ExpectInstances(*flock);

    flock->Description()->count.SetValue(2, nullptr);
    EXPECT_EQ((std::vector<DS_Frame*>{five[3], five[4]}), Roots(*flock));
    ExpectInstances(*flock);

    flock->Description()->count.SetValue(0, nullptr);
    EXPECT_TRUE(flock->roots.empty());
    EXPECT_TRUE(flock->elements[0]->instances.empty());
    EXPECT_TRUE(flock->elements[1]->instances.empty());
}

TEST_F(ButterflyFlock, AHugeCountIsCapped)
{
    auto flock = MakeFlock(0xFFFFFFFFu);
    ASSERT_NE(nullptr, flock);
    EXPECT_EQ(DS_3D_Obj_Ctrl::kMaxInstances, flock->roots.size());
    ExpectInstances(*flock);
}

TEST_F(ButterflyFlock, UpdateFliesEveryButterflyAndItsWings)
{
    auto flock = MakeFlock(3);
    ASSERT_NE(nullptr, flock);
    for (int i = 1; i <= 8; ++i)
        flock->Update(i / 64.0f);
    EXPECT_EQ(8.0f / 64.0f, flock->Description()->objectTime);
    for (const FrameTreePtr<>& root : flock->roots) {
        const auto* flight = static_cast<AC_Butterfly*>(root->animation);
        // The body's origin lies at the butterfly's position, give or take its bob.
        EXPECT_NEAR(flight->x, root->world(3, 0), 2.0f);
        EXPECT_NEAR(flight->y, root->world(3, 1), 2.0f);
        // A wing hangs on the body: its world is its wing matrix times the body's world.
        DS_Frame* wing = root->children[0];
        const D3DXMATRIX expected = static_cast<AC_ButterflyWing*>(wing->animation)->wingMatrix * root->world;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(expected(r, c), wing->world(r, c), 1e-4f);
    }
}

TEST_F(ButterflyFlock, EveryBodyIsDrawnBeforeEveryWing)
{
    // One call per shared element: the bodies of the whole flock, then all of their wings, so
    // that the blended wings are drawn over every body.
    auto flock = MakeFlock(3);
    ASSERT_NE(nullptr, flock);
    ElementRecorder renderer;
    flock->Render(&renderer);
    ASSERT_EQ(2u, flock->elements.size());
    EXPECT_EQ((std::vector<DS_MeshElement*>{flock->elements[0].get(), flock->elements[1].get()}), renderer.drawn);
    EXPECT_EQ(3u, flock->elements[0]->instances.size());
    EXPECT_EQ(6u, flock->elements[1]->instances.size());
}

TEST_F(ButterflyFlock, WithoutMeshesOrTexturesTheFlockStillFlies)
{
    // No device: neither mesh nor picture can be made; the elements hold nothing to draw.
    auto flock = MakeFlock(3);
    ASSERT_NE(nullptr, flock);
    for (const auto& element : flock->elements) {
        EXPECT_FALSE(element->Bind());
        EXPECT_EQ(0u, element->triangleCount);
        EXPECT_EQ(nullptr, element->texture.Get());
    }
    flock->Update(0.1f);
    EXPECT_EQ(3u, flock->roots.size());
}
