// The flow kind: direction, motion, wrap and bounce, orientation, sway, and its record in every
// version. Object space is 640 × 480; sprites have half extents 5 and the clock steps 1/8 s.
#include <gtest/gtest.h>

#include <cstdlib>

#include "SpriteKindFixtures.h"
#include "scene/constructors/DS_FlowConstructor.h"

namespace {

class FlowTest : public ::testing::Test {
protected:
    // A clone moving at `angle` with `speed`, in the view rectangle given by fractions.
    std::unique_ptr<DS_FlowConstructor> Flow(unsigned int angle, float speed, float left = 0.0f, float right = 1.0f,
                                             float top = 0.0f, float bottom = 1.0f)
    {
        DS_FlowConstructor d;
        d.angle.value = angle;
        d.speed = speed;
        d.leftFraction = left;
        d.rightFraction = right;
        d.topFraction = top;
        d.bottomFraction = bottom;
        return CloneOf(d);
    }

    ObjectSpaceScope space{640, 480};
};

TEST_F(FlowTest, DirectionFromTheAngle)
{
    struct Case {
        unsigned int angle;
        float vx, vy, px, py, axx, axy, ayx, ayy;
    };
    const Case cases[] = {
        {0, 100, 0, 0, 1, 1, 0, 0, 1},
        {90, 0, -100, 1, 0, 0, -1, 1, 0},
        {180, -100, 0, 0, -1, -1, 0, 0, -1},
        {270, 0, 100, -1, 0, 0, 1, -1, 0},
        // A stored negative angle turns the other way: -90 is 270.
        {0xFFFFFFA6u, 0, 100, -1, 0, 0, 1, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        auto flow = Flow(c.angle, 100.0f);
        EXPECT_NEAR(c.vx, flow->velocity.x, 1e-4);
        EXPECT_NEAR(c.vy, flow->velocity.y, 1e-4);
        EXPECT_NEAR(c.px, flow->perpendicular.x, 1e-4);
        EXPECT_NEAR(c.py, flow->perpendicular.y, 1e-4);

        flow->mode.value = 1; // pictures along the flow
        DS_Sprite s = SpriteAt(0, 0);
        flow->ShapeSprite(&s);
        EXPECT_NEAR(c.axx, s.axisX.x, 1e-4);
        EXPECT_NEAR(c.axy, s.axisX.y, 1e-4);
        EXPECT_NEAR(c.ayx, s.axisY.x, 1e-4);
        EXPECT_NEAR(c.ayy, s.axisY.y, 1e-4);
    }
}

TEST_F(FlowTest, ANewSpeedTakesEffectInTheNextClone)
{
    DS_FlowConstructor d;
    d.angle.SetValue(0, nullptr);
    d.speed = 100.0f;
    EXPECT_EQ(0.0f, d.velocity.x); // the description's own vectors stay as they were bound
    EXPECT_NEAR(100.0f, CloneOf(d)->velocity.x, 1e-4);
}

TEST_F(FlowTest, SpritesMoveByTheirScale)
{
    // One step of 1/8 s at speed 100: 12.5 pixels along the flow for each unit of scale, whichever
    // way it runs.
    struct Case {
        unsigned int angle;
        float dx, dy;
    };
    const Case cases[] = {{90, 0.0f, -12.5f}, {0, 12.5f, 0.0f}};
    for (const Case& c : cases) {
        for (float scale : {1.0f, 2.0f}) {
            SCOPED_TRACE(testing::Message() << "angle " << c.angle << ", scale " << scale);
            auto flow = Flow(c.angle, 100.0f);
            DS_Sprite s = SpriteAt(320, 240);
            s.scale = scale;
            StepFrame(*flow, s, 1);
            EXPECT_NEAR(320.0f + c.dx * scale, s.position.x, 1e-4);
            EXPECT_NEAR(240.0f + c.dy * scale, s.position.y, 1e-4);
        }
    }
}

TEST_F(FlowTest, AFullRectangleWrapsAtANewRandomCrossPosition)
{
    auto flow = Flow(0, 0.0f);
    DS_Sprite below = SpriteAt(100, 490);
    std::srand(1);
    StepFrame(*flow, below, 1);
    EXPECT_EQ(0.0f, below.position.y);
    EXPECT_FLOAT_EQ(41 / 32767.0f * 640.0f, below.position.x);
    EXPECT_EQ(18467, std::rand()) << "exactly one draw";

    // Just touching the edge is not past it.
    DS_Sprite touching = SpriteAt(100, 485);
    StepFrame(*flow, touching, 2);
    EXPECT_EQ(485.0f, touching.position.y);
    EXPECT_EQ(100.0f, touching.position.x);

    // Left of the view: back in from the right, one rectangle width plus its own width along.
    DS_Sprite left = SpriteAt(-6, 50);
    StepFrame(*flow, left, 3);
    EXPECT_EQ(644.0f, left.position.x);
}

TEST_F(FlowTest, AFullRectangleWrapsAboveTheTopAndPastTheRight)
{
    // Moving up out of the top: back in below the bottom at a new random x. Moving right out of
    // the right edge: back in left of the left edge at a new random y. One draw each.
    struct Case {
        unsigned int angle;
        float startX, startY, x, y;
        bool newX;
    };
    const Case cases[] = {
        {90, 100, -5.5f, 0, -5.5f - 12.5f + 480 + 10, true},
        {0, 645.5f, 50, 645.5f + 12.5f - 640 - 10, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        auto flow = Flow(c.angle, 100.0f);
        DS_Sprite s = SpriteAt(c.startX, c.startY);
        const std::vector<int> draws = SeedAndPeek(1, 2);
        StepFrame(*flow, s, 1);
        if (c.newX) {
            EXPECT_FLOAT_EQ(R(draws[0]) * 640.0f, s.position.x);
            EXPECT_NEAR(c.y, s.position.y, 1e-4);
        } else {
            EXPECT_NEAR(c.x, s.position.x, 1e-4);
            EXPECT_FLOAT_EQ(R(draws[0]) * 480.0f, s.position.y);
        }
        EXPECT_EQ(draws[1], std::rand()) << "exactly one draw";
    }
}

TEST_F(FlowTest, APartRectangleBouncesOnePixelInside)
{
    // Rectangle rows 120 to 360: the sprite reflects and keeps the reflection while its base
    // motion stays the same.
    struct Case {
        unsigned int angle;
        float startY, y1, extra1, y2;
    };
    const Case cases[] = {
        {270, 356, 354, -200, 341.5f}, // down onto the bottom edge
        {90, 126, 126, 200, 138.5f},   // up onto the top edge
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        auto flow = Flow(c.angle, 100.0f, 0.0f, 1.0f, 0.25f, 0.75f);
        DS_Sprite s = SpriteAt(320, c.startY);
        StepFrame(*flow, s, 1);
        EXPECT_NEAR(c.y1, s.position.y, 1e-4);
        EXPECT_NEAR(c.extra1, s.extraVelocity.y, 1e-3);
        StepFrame(*flow, s, 2);
        EXPECT_NEAR(c.y2, s.position.y, 1e-4);
        EXPECT_NEAR(c.extra1, s.extraVelocity.y, 1e-3);
    }
}

TEST_F(FlowTest, APartRectangleBouncesSidewaysOnePixelInside)
{
    // Rectangle columns 160 to 480, the whole height: the sprite reflects off the side edges and
    // keeps the reflection while its base motion stays the same.
    struct Case {
        unsigned int angle;
        float startX, x1, extra1, x2;
    };
    const Case cases[] = {
        {0, 476, 474, -200, 461.5f},   // right onto the right edge
        {180, 164, 166, 200, 178.5f},  // left onto the left edge
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        auto flow = Flow(c.angle, 100.0f, 0.25f, 0.75f, 0.0f, 1.0f);
        DS_Sprite s = SpriteAt(c.startX, 240);
        StepFrame(*flow, s, 1);
        EXPECT_NEAR(c.x1, s.position.x, 1e-4);
        EXPECT_NEAR(c.extra1, s.extraVelocity.x, 1e-3);
        EXPECT_NEAR(240.0f, s.position.y, 1e-4);
        StepFrame(*flow, s, 2);
        EXPECT_NEAR(c.x2, s.position.x, 1e-4);
        EXPECT_NEAR(c.extra1, s.extraVelocity.x, 1e-3);
    }
}

TEST(FlowAxis, AReflectionIsDroppedOnceTheMotionChanged)
{
    float pos = 200.0f, extra = -200.0f;
    FlowBounceAxis(pos, extra, 50.0f, 5.0f, 120.0f, 360.0f, false);
    EXPECT_EQ(0.0f, extra);
    EXPECT_EQ(200.0f, pos);
    // Horizontal order: the low edge first.
    pos = 3.0f;
    extra = 0.0f;
    FlowBounceAxis(pos, extra, -10.0f, 5.0f, 0.0f, 320.0f, true);
    EXPECT_EQ(6.0f, pos);
    EXPECT_EQ(20.0f, extra);
    // A rectangle narrower than the sprite: each axis's own edge comes first.
    for (bool lowFirst : {true, false}) {
        pos = 10.0f;
        extra = 0.0f;
        FlowBounceAxis(pos, extra, 0.0f, 5.0f, 8.0f, 12.0f, lowFirst);
        EXPECT_EQ(lowFirst ? 14.0f : 6.0f, pos) << lowFirst;
    }
}

TEST_F(FlowTest, OrientationByMode)
{
    auto flow = Flow(180, 100.0f);
    DS_Sprite s = SpriteAt(320, 240);
    flow->mode.value = 2; // mirrored while it moves left
    StepFrame(*flow, s, 1);
    EXPECT_EQ(-1.0f, s.axisX.x);
    EXPECT_EQ(1.0f, s.axisY.y);

    flow = Flow(90, 100.0f);
    flow->mode.value = 3; // flipped while it moves up
    s = SpriteAt(320, 240);
    StepFrame(*flow, s, 1);
    EXPECT_EQ(1.0f, s.axisX.x);
    EXPECT_EQ(-1.0f, s.axisY.y);

    flow = Flow(135, 100.0f);
    flow->mode.value = 0;
    s = SpriteAt(320, 240);
    flow->InitSprite(&s);
    StepFrame(*flow, s, 1);
    EXPECT_EQ(1.0f, s.axisX.x);
    EXPECT_EQ(0.0f, s.axisX.y);
    EXPECT_EQ(1.0f, s.axisY.y);
}

TEST_F(FlowTest, SwayDriftsAcrossTheFlow)
{
    DS_FlowConstructor d;
    d.angle.value = 270;
    d.sway.SetValue(1, nullptr); // derived 3.0
    auto flow = CloneOf(d);
    DS_Sprite s = SpriteAt(320, 240);
    s.swayFactor = -0.5f;
    std::srand(1);
    for (int k = 1; k <= 8; ++k)
        StepFrame(*flow, s, k);
    // 8 steps of 1/8 s at 3.0 × -0.5 × perpendicular (-1, 0): 1.5 pixels to the right.
    EXPECT_EQ(320.0f + 1.5f, s.position.x);
    EXPECT_EQ(240.0f, s.position.y);
    // The frame's velocity stays within the step: the sprite's own velocity fields are not the
    // flow's.
    EXPECT_EQ(0.0f, s.velocityX);
    EXPECT_EQ(0.0f, s.velocityY);
    EXPECT_EQ(41, std::rand()) << "a frequency of 0 never draws";
}

TEST_F(FlowTest, SwayIsReChosenAfterItsInterval)
{
    DS_FlowConstructor d;
    d.swayFrequency.SetValue(2, nullptr); // every 2 s of object time
    auto flow = CloneOf(d);
    DS_Sprite s = SpriteAt(320, 240);
    for (int k = 1; k <= 16; ++k)
        StepFrame(*flow, s, k);
    EXPECT_EQ(0.0f, s.lastEventTime) << "not at exactly 2 s";
    StepFrame(*flow, s, 17);
    EXPECT_EQ(2.125f, s.lastEventTime);
}

TEST_F(FlowTest, InitSpriteDrawsSwayThenPlace)
{
    auto flow = Flow(0, 0.0f);
    DS_Sprite s = SpriteAt(0, 0);
    s.extraVelocity = SpriteVec3{1, 2, 3};
    std::srand(1);
    flow->InitSprite(&s);
    EXPECT_NEAR(-0.9974975f, s.swayFactor, 1e-6);
    EXPECT_NEAR(360.6946f, s.position.x, 1e-3);
    EXPECT_NEAR(92.78603f, s.position.y, 1e-3);
    EXPECT_EQ(0.0f, s.extraVelocity.x);
    EXPECT_EQ(0.0f, s.extraVelocity.z);
    EXPECT_EQ(5.0f, s.halfWidth);
}

// ---- record ------------------------------------------------------------------------------------

// A flow description's own fields, and its sprite part written by the sprite record writer.
void FlowBody(DocumentWriter& w, uint32_t version, int32_t mode)
{
    w.UInt(135);    // angle
    w.UInt(2);      // sway
    w.UInt(4);      // sway frequency
    w.Float(42.5f); // speed
    if (version >= 2)
        w.Int(mode);
    DS_FlowConstructor base;
    base.count.value = 7;
    base.size.value = 24;
    static_cast<DS_BaseSpriteProp&>(base).WriteRecord(&w);
}

std::vector<uint8_t> FlowRecord(uint32_t version, int32_t mode)
{
    DocumentWriter w;
    w.String(L"DS_FlowConstructor");
    w.UInt(version);
    FlowBody(w, version, mode);
    return w.bytes;
}

TEST_F(FlowTest, WrittenBytesMatchTheRecordLayoutAndReadBack)
{
    DS_FlowConstructor d;
    d.angle.value = 135;
    d.sway.value = 2;
    d.swayFrequency.value = 4;
    d.speed = 42.5f;
    d.mode.value = 3;
    d.count.value = 7;
    d.size.value = 24;
    const std::vector<uint8_t> bytes = RecordBytes(d);
    EXPECT_EQ(FlowRecord(3, 3), bytes);
    auto read = ReadKind<DS_FlowConstructor>(bytes);
    ASSERT_NE(nullptr, read);
    EXPECT_EQ(bytes, RecordBytes(*read));
}

TEST_F(FlowTest, EveryVersionReadsItsMode)
{
    struct Case {
        uint32_t version;
        int32_t stored;
        int32_t read;
    };
    const Case cases[] = {{0, 0, 0}, {1, 0, 0}, {2, 7, 1}, {2, 0, 0}, {3, 3, 3}, {4, 2, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        auto flow = ReadKind<DS_FlowConstructor>(FlowRecord(c.version, c.stored));
        ASSERT_NE(nullptr, flow);
        EXPECT_EQ(c.read, flow->mode.value);
        EXPECT_EQ(135u, flow->angle.value);
        EXPECT_EQ(2u, flow->sway.value);
        EXPECT_EQ(4u, flow->swayFrequency.value);
        EXPECT_EQ(42.5f, flow->speed);
        EXPECT_EQ(7u, flow->count.value);
        EXPECT_EQ(24u, flow->size.value);
    }
}

TEST_F(FlowTest, ReadValuesAreStoredPlainlyAndTheCloneDerives)
{
    auto flow = ReadKind<DS_FlowConstructor>(FlowRecord(3, 0));
    ASSERT_NE(nullptr, flow);
    EXPECT_EQ(0.0f, flow->sway.scaled);
    EXPECT_EQ(0.0f, flow->swayFrequency.scaled);
    auto clone = CloneOf(*flow);
    EXPECT_EQ(6.0f, clone->sway.scaled);
    EXPECT_EQ(1.0f, clone->swayFrequency.scaled);
    EXPECT_NEAR(42.5f * -0.70710678f, clone->velocity.x, 1e-4);
}

TEST_F(FlowTest, ADamagedRecordIsADocumentError)
{
    ExpectEveryTruncationFails(FlowRecord(3, 1));
}

} // namespace
