// The static-picture and flower kinds: placement at the centre, rotation and flips, the bounding
// box (in single precision), the view quad, the flower's sway about its bottom centre, records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "SpriteKindFixtures.h"
#include "scene/constructors/DS_FlowerConstructor.h"
#include "scene/constructors/DS_StatObjConstructor.h"
#include "scene/objects/DS_SpriteArrayObj.h"
#include "scene/render/QuadTemplate.h"

namespace {

class StaticPictureTest : public ::testing::Test {
protected:
    // A 200 × 100 picture of size 100 (half extents 50 and 25), just placed.
    DS_Sprite Placed(DS_StatObjConstructor& d)
    {
        d.size.value = 100;
        DS_Sprite s = SpriteAt(0, 0);
        s.textureAspect = 0.5f;
        d.InitSprite(&s);
        return s;
    }

    ObjectSpaceScope space{640, 480};
};

TEST_F(StaticPictureTest, TheCentreStartsInTheMiddleOfObjectSpace)
{
    ObjectSpaceScope odd(641, 481);
    DS_StatObjConstructor d;
    EXPECT_EQ(320, d.bounds.extra1.value);
    EXPECT_EQ(240, d.bounds.extra2.value);
}

TEST_F(StaticPictureTest, RotationAndFlipsGiveAxesExtentsAndBounds)
{
    struct Case {
        unsigned int rotation;
        int flips; // 0 none, 3 both
        float axx, axy, ayx, ayy;
        int left, right, top, bottom;
    };
    const Case cases[] = {
        {0, 0, 1, 0, 0, 1, 270, 370, 215, 265},
        {0, 3, 1, 0, 0, 1, 270, 370, 215, 265},
        // A quarter turn counter-clockwise on the screen; 294 or 189 would betray evaluation in
        // double precision.
        {90, 0, 0, -1, 1, 0, 295, 345, 190, 290},
        // Stored as -90: a quarter turn the other way, as 270 is.
        {0xFFFFFFA6u, 0, 0, 1, -1, 0, 295, 345, 190, 290},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rotation);
        DS_StatObjConstructor d;
        d.rotation.value = c.rotation;
        d.horizontalFlip.value = c.flips & 1;
        d.verticalFlip.value = (c.flips >> 1) & 1;
        const DS_Sprite s = Placed(d);
        EXPECT_EQ(320.0f, s.position.x);
        EXPECT_EQ(240.0f, s.position.y);
        EXPECT_NEAR(c.axx, s.axisX.x, 1e-5);
        EXPECT_NEAR(c.axy, s.axisX.y, 1e-5);
        EXPECT_NEAR(c.ayx, s.axisY.x, 1e-5);
        EXPECT_NEAR(c.ayy, s.axisY.y, 1e-5);
        EXPECT_EQ(c.flips & 1 ? -50.0f : 50.0f, s.halfWidth);
        EXPECT_EQ(c.flips & 2 ? -25.0f : 25.0f, s.halfHeight);
        EXPECT_EQ(c.left, d.bounds.left.value);
        EXPECT_EQ(c.right, d.bounds.right.value);
        EXPECT_EQ(c.top, d.bounds.top.value);
        EXPECT_EQ(c.bottom, d.bounds.bottom.value);
    }
}

TEST_F(StaticPictureTest, ViewQuadAndHitTestUseTheBounds)
{
    DS_StatObjConstructor d;
    Placed(d);
    QuadTemplate quad;
    d.GetViewQuad(reinterpret_cast<float*>(&quad));
    EXPECT_EQ(270.0f, quad.v[QuadTemplate::BottomLeft].x);
    EXPECT_EQ(265.0f, quad.v[QuadTemplate::BottomLeft].y);
    EXPECT_EQ(215.0f, quad.v[QuadTemplate::TopLeft].y);
    EXPECT_EQ(370.0f, quad.v[QuadTemplate::BottomRight].x);
    EXPECT_EQ(265.0f, quad.v[QuadTemplate::BottomRight].y);
    EXPECT_EQ(370.0f, quad.v[QuadTemplate::TopRight].x);
    EXPECT_EQ(215.0f, quad.v[QuadTemplate::TopRight].y);
    EXPECT_EQ(1.0f, quad.v[QuadTemplate::TopRight].z);
    EXPECT_FALSE(d.HitTest(0.0f, 0.0f)) << "no layout: no point maps into the view";
}

TEST_F(StaticPictureTest, ItsRuntimeObjectStartsSelectedState1)
{
    CurrentManagerScope current; // no device: the object has no buffers
    for (bool flower : {false, true}) {
        std::unique_ptr<DS_StatObjConstructor> d(flower ? new DS_FlowerConstructor : new DS_StatObjConstructor);
        std::unique_ptr<DS_ABObj> object(d->CreateObject());
        auto* sprites = dynamic_cast<DS_SpriteArrayObj*>(object.get());
        ASSERT_NE(nullptr, sprites) << flower;
        EXPECT_EQ(1, sprites->selectionState) << flower;
        EXPECT_EQ(flower, dynamic_cast<DS_FlowerConstructor*>(sprites->Description()) != nullptr) << "the clone's kind";
    }
}

TEST_F(StaticPictureTest, UpdateLeavesTheSpriteAsPlaced)
{
    DS_StatObjConstructor d;
    d.rotation.value = 30;
    DS_Sprite s = Placed(d);
    const DS_Sprite before = s;
    for (int k = 1; k < 10; ++k)
        StepFrame(d, s, k);
    EXPECT_EQ(0, std::memcmp(&before, &s, sizeof s));
}

TEST_F(StaticPictureTest, AFlowerSwaysAboutItsBottomCentre)
{
    for (unsigned int rotation : {0u, 30u}) {
        SCOPED_TRACE(rotation);
        DS_FlowerConstructor d;
        d.rotation.value = rotation;
        DS_Sprite s = Placed(d);
        const int bounds[4] = {d.bounds.left.value, d.bounds.right.value, d.bounds.top.value, d.bounds.bottom.value};
        const float footX = s.position.x + s.halfHeight * s.axisY.x;
        const float footY = s.position.y + s.halfHeight * s.axisY.y;
        float widest = 0.0f;
        for (int frame = 1; frame <= 120; ++frame) {
            d.UpdateTime(0.05f * frame);
            d.UpdateSprite(&s);
            EXPECT_NEAR(footX, s.position.x + s.halfHeight * s.axisY.x, 1e-3) << frame;
            EXPECT_NEAR(footY, s.position.y + s.halfHeight * s.axisY.y, 1e-3) << frame;
            // The lean, measured against the picture's own axes.
            const float k = s.axisY.x * s.axisX.x + s.axisY.y * s.axisX.y;
            EXPECT_LE(std::fabs(k), 0.0261859f + 1e-6f) << frame;
            widest = std::max(widest, std::fabs(k));
        }
        EXPECT_GT(widest, 0.025f);
        const int after[4] = {d.bounds.left.value, d.bounds.right.value, d.bounds.top.value, d.bounds.bottom.value};
        EXPECT_EQ(0, std::memcmp(bounds, after, sizeof bounds)) << "the bounds stay those of the placement";
    }
}

// ---- records -----------------------------------------------------------------------------------

void StaticBody(DocumentWriter& w)
{
    for (int v : {1, 2, 3, 4, 100, 50})
        w.Int(v);
    w.UInt(30); // rotation
    w.Int(1);   // vertical flip
    w.Int(0);   // horizontal flip
    DS_StatObjConstructor base;
    base.size.value = 64;
    static_cast<DS_BaseSpriteProp&>(base).WriteRecord(&w);
}

void ExpectStaticBody(const DS_StatObjConstructor& d)
{
    EXPECT_EQ(1, d.bounds.left.value);
    EXPECT_EQ(2, d.bounds.right.value);
    EXPECT_EQ(3, d.bounds.top.value);
    EXPECT_EQ(4, d.bounds.bottom.value);
    EXPECT_EQ(100, d.bounds.extra1.value);
    EXPECT_EQ(50, d.bounds.extra2.value);
    EXPECT_EQ(30u, d.rotation.value);
    EXPECT_EQ(1, d.verticalFlip.value);
    EXPECT_EQ(0, d.horizontalFlip.value);
    EXPECT_EQ(64u, d.size.value);
}

TEST_F(StaticPictureTest, StaticRecordReadsExactlyAndRoundTrips)
{
    DocumentWriter w;
    w.String(L"DS_StatObjConstructor");
    w.UInt(1);
    StaticBody(w);
    auto read = ReadKind<DS_StatObjConstructor>(w.bytes);
    ASSERT_NE(nullptr, read);
    ExpectStaticBody(*read);
    EXPECT_EQ(w.bytes, RecordBytes(*read));
    ExpectEveryTruncationFails(w.bytes);
}

TEST_F(StaticPictureTest, FlowerRecordNestsTheStaticOneWhoseTagIsNotExamined)
{
    for (const wchar_t* innerTag : {L"DS_StatObjConstructor", L"something else"}) {
        DocumentWriter w;
        w.String(L"DS_FlowerConstructor");
        w.UInt(1);
        w.Float(2.25f);
        w.String(innerTag);
        w.UInt(1);
        StaticBody(w);
        auto read = ReadKind<DS_FlowerConstructor>(w.bytes);
        ASSERT_NE(nullptr, read);
        EXPECT_EQ(2.25f, read->amplitude);
        ExpectStaticBody(*read);
        if (innerTag[0] == L'D') {
            EXPECT_EQ(w.bytes, RecordBytes(*read));
        } else {
            ExpectEveryTruncationFails(w.bytes);
        }
    }
}

} // namespace
