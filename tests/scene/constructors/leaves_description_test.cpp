// The falling-leaves description: its defaults, the drift directions an angle gives, and its
// record, read from hand-made bytes and written back.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../SceneFixtures.h"
#include "SpriteKindFixtures.h"
#include "scene/constructors/DS_3D_in_2D_array_Constructor.h"
#include "tools/docwriter/DocumentWriter.h"

namespace {

ResourceRef LibraryRef(int32_t id)
{
    return ResourceRef(id, L"common_res.dll");
}

ResourceRef EmbeddedRef(const std::wstring& name, std::vector<uint8_t> bytes)
{
    ResourceRef ref;
    ref.name = name;
    ref.data = std::move(bytes);
    return ref;
}

// The record as the reader expects it, by hand.
std::vector<uint8_t> HandRecord(const std::wstring& bodyTitle, const std::wstring& baseTitle)
{
    DocumentWriter w;
    w.String(L"DS_3D_in_2D_array_Constructor");
    w.UInt(1);
    w.String(bodyTitle);
    w.UInt(12);                                   // count
    w.Ref(LibraryRef(70));                        // mesh
    w.Ref(EmbeddedRef(L"leaf.png", {1, 2, 3, 4})); // texture
    for (uint32_t v : {40u, 60u, 30u, 10u, 80u, 270u}) // size, speed, sway, frequency, spin, angle
        w.UInt(v);
    w.String(L"DS_ABObj_Constructor");
    w.UInt(1);
    w.String(baseTitle);
    return w.bytes;
}

std::vector<uint8_t> WriteOf(DS_IOF_Item& item)
{
    DocumentWriter w;
    item.Write(&w);
    return w.bytes;
}

std::unique_ptr<DS_3D_in_2D_array_Constructor> ReadLeaves(const std::vector<uint8_t>& bytes, size_t* rest = nullptr)
{
    std::unique_ptr<DS_ABObj_Constructor> read(ReadRecord(bytes, rest));
    auto* leaves = dynamic_cast<DS_3D_in_2D_array_Constructor*>(read.get());
    if (leaves)
        read.release();
    return std::unique_ptr<DS_3D_in_2D_array_Constructor>(leaves);
}

} // namespace

TEST(LeavesDescription, Defaults)
{
    DS_3D_in_2D_array_Constructor d;
    EXPECT_EQ(0, d.mesh.resourceId);
    EXPECT_TRUE(d.mesh.libraryName.empty());
    EXPECT_EQ(0, d.texture.resourceId);
    EXPECT_EQ(0u, d.count);
    EXPECT_EQ(0u, d.params.size);
    EXPECT_EQ(0u, d.params.angle);
    EXPECT_EQ(50u, d.params.speed);
    EXPECT_EQ(0u, d.params.sway);
    EXPECT_EQ(0u, d.params.driftChangeFrequency);
    EXPECT_EQ(100u, d.params.spin);
    EXPECT_NEAR(1.0f, d.params.direction.x, 1e-6f);
    EXPECT_NEAR(0.0f, d.params.direction.y, 1e-6f);
    EXPECT_NEAR(0.0f, d.params.perpendicular.x, 1e-6f);
    EXPECT_NEAR(-1.0f, d.params.perpendicular.y, 1e-6f);
}

// Degrees count counter-clockwise on the screen, whose y runs down.
TEST(LeavesDescription, AngleSetsTheDriftDirectionAndItsPerpendicular)
{
    struct Case {
        uint32_t angle;
        float dx, dy, px, py;
    };
    const Case cases[] = {
        {0, 1, 0, 0, -1},   // right
        {90, 0, -1, -1, 0}, // up
        {180, -1, 0, 0, 1}, // left
        {270, 0, 1, 1, 0},  // down
    };
    for (const Case& c : cases) {
        DS_3D_in_2D_array_Constructor d;
        d.SetAngle(c.angle);
        EXPECT_EQ(c.angle, d.params.angle);
        EXPECT_NEAR(c.dx, d.params.direction.x, 1e-5f) << c.angle;
        EXPECT_NEAR(c.dy, d.params.direction.y, 1e-5f) << c.angle;
        EXPECT_NEAR(c.px, d.params.perpendicular.x, 1e-5f) << c.angle;
        EXPECT_NEAR(c.py, d.params.perpendicular.y, 1e-5f) << c.angle;
        EXPECT_NEAR(0.0f, d.params.direction.z, 1e-6f);
        EXPECT_NEAR(0.0f, d.params.direction.w, 1e-6f);
    }
}

TEST(LeavesDescription, ReadsTheRecordLayout)
{
    size_t rest = 1;
    const std::unique_ptr<DS_3D_in_2D_array_Constructor> d = ReadLeaves(HandRecord(L"A", L"autumn"), &rest);
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(0u, rest);
    EXPECT_EQ(L"autumn", d->title);
    EXPECT_EQ(12u, d->count);
    EXPECT_EQ(70, d->mesh.resourceId);
    EXPECT_EQ(L"common_res.dll", d->mesh.libraryName);
    EXPECT_EQ(L"leaf.png", d->texture.name);
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4}), d->texture.data);
    EXPECT_EQ(40u, d->params.size);
    EXPECT_EQ(60u, d->params.speed);
    EXPECT_EQ(30u, d->params.sway);
    EXPECT_EQ(10u, d->params.driftChangeFrequency);
    EXPECT_EQ(80u, d->params.spin);
    // The angle goes through SetAngle: straight down.
    EXPECT_EQ(270u, d->params.angle);
    EXPECT_NEAR(1.0f, d->params.direction.y, 1e-5f);
    EXPECT_NEAR(1.0f, d->params.perpendicular.x, 1e-5f);
}

// The title comes twice; the base record's copy is kept, unless it is empty.
TEST(LeavesDescription, TheBaseRecordsTitleWinsUnlessEmpty)
{
    const struct {
        const wchar_t* body;
        const wchar_t* base;
        const wchar_t* kept;
    } cases[] = {{L"A", L"B", L"B"}, {L"A", L"", L"A"}, {L"", L"B", L"B"}};
    for (const auto& c : cases) {
        const std::unique_ptr<DS_3D_in_2D_array_Constructor> d = ReadLeaves(HandRecord(c.body, c.base));
        ASSERT_NE(nullptr, d);
        EXPECT_EQ(std::wstring(c.kept), d->title);
    }
}

TEST(LeavesDescription, WritesWhatItReads)
{
    const std::vector<uint8_t> hand = HandRecord(L"autumn", L"autumn");
    const std::unique_ptr<DS_3D_in_2D_array_Constructor> d = ReadLeaves(hand);
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(hand, WriteOf(*d));
    // And a copy (what a running object holds) writes the same.
    DS_3D_in_2D_array_Constructor copy(*d);
    EXPECT_EQ(hand, WriteOf(copy));
}

TEST(LeavesDescription, DamagedRecordsAreDocumentErrors)
{
    ExpectEveryTruncationFails(HandRecord(L"A", L"B"));
    // A texture claiming more bytes than the document holds.
    DocumentWriter w;
    w.String(L"DS_3D_in_2D_array_Constructor");
    w.UInt(1);
    w.String(L"A");
    w.UInt(3);
    w.Ref(LibraryRef(70));
    w.Int(0);
    w.String(L"");
    w.UInt(0x7FFFFFF0u);
    EXPECT_TRUE(ReadsAsDocumentError(w.bytes));
}
