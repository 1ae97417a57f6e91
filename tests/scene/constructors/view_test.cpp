#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "../SceneFixtures.h"
#include "scene/objects/DS_Sprite.h"
#include "tools/docwriter/DocumentWriter.h"

TEST(ViewObjCtrl, DefaultsAndEdges)
{
    ObjectSpaceScope space(640, 480);
    PlainSpriteKind d;
    EXPECT_EQ(d.speed.value, 50u);
    EXPECT_FALSE(d.viewFlag);
    EXPECT_EQ(d.RightEdge(), 640.0f);
    EXPECT_EQ(d.BottomEdge(), 480.0f);
    EXPECT_EQ(d.pixelRect.right.value, 640);
    EXPECT_EQ(d.pixelRect.bottom.value, 480);
}

TEST(ViewObjCtrl, ChangingAPixelEdgeMovesItsFraction)
{
    ObjectSpaceScope space(400, 200);
    PlainSpriteKind d;
    d.pixelRect.left.SetValue(100, nullptr);
    d.pixelRect.bottom.SetValue(50, nullptr);
    EXPECT_FLOAT_EQ(d.leftFraction, 0.25f);
    EXPECT_FLOAT_EQ(d.bottomFraction, 0.25f);
    EXPECT_FLOAT_EQ(d.LeftEdge(), 100.0f);
}

TEST(ViewObjCtrl, WithoutObjectSpaceTheFractionsStay)
{
    ObjectSpaceScope space(0, 0);
    PlainSpriteKind d;
    d.pixelRect.right.SetValue(300, nullptr);
    d.pixelRect.top.SetValue(20, nullptr);
    EXPECT_EQ(d.rightFraction, 1.0f);
    EXPECT_EQ(d.topFraction, 0.0f);
}

TEST(ViewObjCtrl, CloneSnapsToWholePixelsAndStartsItsClockAtZero)
{
    PlainSpriteKind d;
    d.leftFraction = 0.25f;
    d.topFraction = 0.5f;
    d.speed.value = 70;
    d.viewFlag = true;
    d.title = L"school";
    d.objectTime = 3.0f;
    d.lastAppTime = 9.0f;
    d.frameStep = 0.1f;

    ObjectSpaceScope space(1023, 777);
    std::unique_ptr<DS_BaseSpriteProp> clone(d.Clone());
    EXPECT_EQ(clone->pixelRect.left.value, 255);
    EXPECT_FLOAT_EQ(clone->leftFraction, 255.0f / 1023.0f);
    EXPECT_EQ(clone->pixelRect.top.value, 388);
    EXPECT_FLOAT_EQ(clone->topFraction, 388.0f / 777.0f);
    // Whole fractions stay exact.
    EXPECT_EQ(clone->rightFraction, 1.0f);
    EXPECT_EQ(clone->bottomFraction, 1.0f);
    EXPECT_EQ(clone->speed.value, 70u);
    EXPECT_TRUE(clone->viewFlag);
    EXPECT_EQ(clone->title, L"school");
    EXPECT_EQ(clone->objectTime, 0.0f);
    EXPECT_EQ(clone->lastAppTime, 0.0f);
    EXPECT_EQ(clone->frameStep, 0.0f);

    // The clone listens to its own rectangle, not to the original's.
    clone->pixelRect.left.SetValue(0, nullptr);
    EXPECT_EQ(clone->leftFraction, 0.0f);
    EXPECT_EQ(d.leftFraction, 0.25f);
}

TEST(ViewObjCtrl, DamagedFractionsSnapToDefinedPixels)
{
    PlainSpriteKind d;
    d.leftFraction = std::nanf("");
    d.rightFraction = 1e30f;
    ObjectSpaceScope space(640, 480);
    d.SyncPixelParams();
    EXPECT_EQ(d.pixelRect.left.value, 0);
    EXPECT_EQ(d.pixelRect.right.value, 2147483647);
}

TEST(ViewObjCtrl, ClockFollowsApplicationTime)
{
    PlainSpriteKind d;
    d.UpdateTime(3.0f); // first step after construction: clamped
    EXPECT_FLOAT_EQ(d.objectTime, 0.2f);
    EXPECT_FLOAT_EQ(d.frameStep, 0.2f);
    d.UpdateTime(3.1f);
    EXPECT_NEAR(d.objectTime, 0.3f, 1e-6f);
    d.UpdateTime(3.0f); // backwards
    EXPECT_NEAR(d.objectTime, 0.4f, 1e-6f);
    EXPECT_EQ(d.lastAppTime, 3.0f);

    d.speed.value = 0;
    d.UpdateTime(5.0f);
    EXPECT_NEAR(d.objectTime, 0.4f, 1e-6f);
    EXPECT_EQ(d.lastAppTime, 5.0f);
}

TEST(ViewObjCtrl, RandomPointsDrawXBeforeY)
{
    ObjectSpaceScope space(200, 100);
    PlainSpriteKind d;
    d.pixelRect.left.SetValue(100, nullptr);  // x from 100 to 200
    d.pixelRect.bottom.SetValue(60, nullptr); // y from 0 to 60: not square, so x and y cannot swap

    std::srand(1);
    const float r1 = static_cast<float>(41 / 32767.0), r2 = static_cast<float>(18467 / 32767.0);
    ScenePoint p = d.RandomPoint();
    EXPECT_FLOAT_EQ(p.x, 100.0f + r1 * 100.0f);
    EXPECT_FLOAT_EQ(p.y, r2 * 60.0f);
    EXPECT_EQ(p.z, 0.0f);

    // A sprite wider than the rectangle: the bounds cross and the same formula applies.
    DS_Sprite wide;
    wide.halfWidth = 60.0f;
    wide.halfHeight = 10.0f;
    std::srand(1);
    p = d.RandomPointInset(&wide);
    EXPECT_FLOAT_EQ(p.x, 160.0f + r1 * (140.0f - 160.0f));
    EXPECT_FLOAT_EQ(p.y, 10.0f + r2 * 40.0f);
}

TEST(ViewObjCtrl, RecordRoundTripWithBaseTitle)
{
    ObjectSpaceScope space(0, 0);
    DS_ViewObjCtrl d;
    d.title = std::wstring(300, L'\u00e9') + L"fin"; // long enough for the 3-byte length form
    d.pixelRect.left.value = 12;
    d.pixelRect.right.value = 340;
    d.pixelRect.extra2.value = 5;
    d.leftFraction = 0.1f;
    d.bottomFraction = 0.9f;
    d.viewFlag = true;
    d.speed.value = 80;
    DocumentWriter w;
    ASSERT_TRUE(d.Write(&w));

    ResourceBuffer buffer(w.bytes.data(), w.bytes.size());
    DocumentReader reader(&buffer);
    DS_ViewObjCtrl r;
    r.ReadFields(&reader);
    EXPECT_EQ(buffer.Remaining(), 0u);
    EXPECT_EQ(r.title, d.title);
    EXPECT_EQ(r.pixelRect.left.value, 12);
    EXPECT_EQ(r.pixelRect.right.value, 340);
    EXPECT_EQ(r.pixelRect.extra2.value, 5);
    EXPECT_EQ(r.leftFraction, 0.1f);
    EXPECT_EQ(r.bottomFraction, 0.9f);
    EXPECT_TRUE(r.viewFlag);
    EXPECT_EQ(r.speed.value, 80u);

    // A version-1 view record has no speed: the reader keeps its own.
    DocumentWriter old;
    old.String(L"DS_ViewObjCtrl");
    old.UInt(1);
    for (int i = 0; i < 6; ++i)
        old.Int(0);
    for (float f : {0.0f, 1.0f, 0.0f, 1.0f})
        old.Float(f);
    old.Byte(0);
    old.String(L"DS_ABObj_Constructor");
    old.UInt(1);
    old.String(L"old");
    ResourceBuffer oldBuffer(old.bytes.data(), old.bytes.size());
    DocumentReader oldReader(&oldBuffer);
    DS_ViewObjCtrl v1;
    v1.ReadFields(&oldReader);
    EXPECT_EQ(oldBuffer.Remaining(), 0u);
    EXPECT_EQ(v1.speed.value, 50u);
    EXPECT_EQ(v1.title, L"old");
}
