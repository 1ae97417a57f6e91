// The rain kind: its defaults, drops drawn upright along the fall, the alpha pulse that starts a
// faded drop again, and its record around the flow's.
#include <gtest/gtest.h>

#include <cstdlib>

#include "SpriteKindFixtures.h"
#include "scene/constructors/DS_RainConstructor.h"

namespace {

class RainTest : public ::testing::Test {
protected:
    ObjectSpaceScope space{640, 480};
};

TEST_F(RainTest, DefaultsFallStraightDown)
{
    DS_RainConstructor rain;
    EXPECT_EQ(270u, rain.angle.value);
    EXPECT_EQ(2000.0f, rain.speed);
    EXPECT_EQ(0.5f, rain.scaleMin);
    EXPECT_EQ(1.0f, rain.scaleMax);
    EXPECT_EQ(1, rain.mode.value);
    EXPECT_EQ(0.0f, rain.alphaRate);
    EXPECT_EQ(0.0f, rain.velocity.y) << "the angle is set plainly; only a clone binds it";
    auto clone = CloneOf(rain);
    EXPECT_NEAR(2000.0f, clone->velocity.y, 0.01);
    EXPECT_NEAR(0.0f, clone->velocity.x, 0.01);
}

TEST_F(RainTest, InitSpriteDrawsTheFlowsThreeThenAlphaAndStandsUpright)
{
    auto rain = CloneOf(DS_RainConstructor{});
    DS_Sprite s = SpriteAt(0, 0);
    std::srand(1);
    rain->InitSprite(&s);
    EXPECT_NEAR(-0.9974975f, s.swayFactor, 1e-6);
    EXPECT_NEAR(360.6946f, s.position.x, 1e-3);
    EXPECT_NEAR(92.78603f, s.position.y, 1e-3);
    EXPECT_NEAR(0.8087405f, s.alpha, 1e-6);
    EXPECT_EQ(206u, s.colour >> 24); // opacity 255 × alpha
    EXPECT_NEAR(1.0f, s.axisX.x, 1e-5);
    EXPECT_NEAR(0.0f, s.axisX.y, 1e-5);
    EXPECT_NEAR(0.0f, s.axisY.x, 1e-5);
    EXPECT_NEAR(1.0f, s.axisY.y, 1e-5);
}

TEST_F(RainTest, InModeZeroTheDropsAreNeitherTurnedNorTilted)
{
    // Only mode 1 turns the pictures along the fall; mode 0 keeps them as they are.
    for (unsigned int angle : {270u, 0u, 135u}) {
        SCOPED_TRACE(angle);
        DS_RainConstructor d;
        d.mode.value = 0;
        d.angle.value = angle;
        auto rain = CloneOf(d);
        DS_Sprite s = SpriteAt(0, 0);
        std::srand(1);
        rain->InitSprite(&s);
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(1.0f, s.axisX.x);
            EXPECT_EQ(0.0f, s.axisX.y);
            EXPECT_EQ(0.0f, s.axisY.x);
            EXPECT_EQ(1.0f, s.axisY.y);
            StepFrame(*rain, s, 1);
        }
    }
}

TEST(RainAlpha, PulseTurnsAtItsBounds)
{
    struct Case {
        float alpha, rate;
        bool restart;
        float alphaAfter, rateAfter;
    };
    const Case cases[] = {
        {0.25f, -1.0f, true, 0.125f, -1.0f}, // sinks below 0.2: the caller starts the drop again
        {0.85f, 1.0f, false, 0.9f, -1.0f},   // rises above 0.9: held there, turning down
        {0.5f, 1.0f, false, 0.625f, 1.0f},
        {0.5f, 0.0f, false, 0.5f, 0.0f},
    };
    for (const Case& c : cases) {
        float alpha = c.alpha, rate = c.rate;
        EXPECT_EQ(c.restart, RainAlphaStep(alpha, rate, 0.125f, 0.2f, 0.9f)) << c.alpha;
        EXPECT_EQ(c.alphaAfter, alpha) << c.alpha;
        EXPECT_EQ(c.rateAfter, rate) << c.alpha;
    }
}

TEST_F(RainTest, AFadedDropStartsAgainAtANewPlace)
{
    DS_RainConstructor d;
    d.alphaMin = 0.2f;
    d.alphaMax = 0.9f;
    d.speed = 0.0f;
    auto rain = CloneOf(d);
    DS_Sprite s = SpriteAt(100, 100);
    s.alpha = 0.25f;
    s.alphaRate = -1.0f;
    std::srand(1);
    StepFrame(*rain, s, 1);
    EXPECT_EQ(0.2f, s.alpha);
    EXPECT_EQ(1.0f, s.alphaRate);
    EXPECT_EQ(51u, s.colour >> 24);
    EXPECT_NEAR(360.6946f, s.position.x, 1e-3);
    EXPECT_NEAR(92.78603f, s.position.y, 1e-3);
    EXPECT_EQ(19169, std::rand()) << "four draws: sway, x, y, alpha";
}

TEST_F(RainTest, WithAHigherMinimumAFaintFirstDropStartsAgainOnce)
{
    DS_RainConstructor d;
    d.alphaMin = 0.5f;
    d.speed = 0.0f;
    auto rain = CloneOf(d);
    DS_Sprite s = SpriteAt(100, 100);
    s.alpha = 0.1f; // as InitSprite may draw it
    StepFrame(*rain, s, 1);
    EXPECT_EQ(0.5f, s.alpha);
    StepFrame(*rain, s, 2);
    EXPECT_EQ(0.5f, s.alpha) << "rate 0: it stays at the minimum";
}

// ---- record ------------------------------------------------------------------------------------

std::vector<uint8_t> RainRecord(uint32_t flowVersion)
{
    DocumentWriter w;
    w.String(L"DS_RainConstructor");
    w.UInt(1);
    w.String(L"DS_FlowConstructor");
    w.UInt(flowVersion);
    w.UInt(260);   // angle
    w.UInt(1);     // sway
    w.UInt(0);     // sway frequency
    w.Float(900);  // speed
    if (flowVersion >= 3)
        w.Int(0);  // mode
    DS_RainConstructor base;
    base.count.value = 150;
    static_cast<DS_BaseSpriteProp&>(base).WriteRecord(&w);
    return w.bytes;
}

TEST_F(RainTest, WrittenBytesNestTheFlowRecord)
{
    DS_RainConstructor d;
    d.angle.value = 260;
    d.sway.value = 1;
    d.speed = 900.0f;
    d.mode.value = 0;
    d.count.value = 150;
    EXPECT_EQ(RainRecord(3), RecordBytes(d));
}

TEST_F(RainTest, TheNestedFlowVersionSaysWhatIsThere)
{
    auto v3 = ReadKind<DS_RainConstructor>(RainRecord(3));
    ASSERT_NE(nullptr, v3);
    EXPECT_EQ(0, v3->mode.value);
    EXPECT_EQ(260u, v3->angle.value);
    EXPECT_EQ(900.0f, v3->speed);
    EXPECT_EQ(150u, v3->count.value);

    // A version-1 flow record has no mode: rain keeps its own, along the fall.
    auto v1 = ReadKind<DS_RainConstructor>(RainRecord(1));
    ASSERT_NE(nullptr, v1);
    EXPECT_EQ(1, v1->mode.value);
    EXPECT_EQ(260u, v1->angle.value);
    EXPECT_EQ(1u, v1->sway.value);
    EXPECT_EQ(900.0f, v1->speed);
    EXPECT_EQ(150u, v1->count.value);
}

TEST_F(RainTest, RoundTripAndDamage)
{
    DS_RainConstructor d;
    d.alphaRate = 0.5f;
    d.alphaMin = 0.1f;
    d.title = L"rain";
    const std::vector<uint8_t> bytes = RecordBytes(d);
    auto read = ReadKind<DS_RainConstructor>(bytes);
    ASSERT_NE(nullptr, read);
    EXPECT_EQ(bytes, RecordBytes(*read));
    ExpectEveryTruncationFails(bytes);
}

} // namespace
