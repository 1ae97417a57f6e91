// Motion and shape of the light and haze kinds, fog, sparkle, light ray and lightning, with
// known random draws. D3DX turns the axes, so those results are compared within 1e-5.
#include <gtest/gtest.h>

#include <cmath>

#include "../SceneFixtures.h"
#include "SpriteKindFixtures.h"
#include "scene/constructors/DS_FogConstructor.h"
#include "scene/constructors/DS_GodRayConstructor.h"
#include "scene/constructors/DS_LightingConstructor.h"
#include "scene/constructors/DS_SparkleConstructor.h"

namespace {

constexpr float kTurnTolerance = 1e-5f;

class LightMotion : public ::testing::Test {
protected:
    ObjectSpaceScope space{640, 480};
};

TEST_F(LightMotion, KindDefaults)
{
    DS_FogConstructor fog;
    EXPECT_EQ(fog.maxSpeedX, 40.0f);
    EXPECT_EQ(fog.maxSpeedY, 40.0f);
    EXPECT_EQ(fog.alphaMin, 0.2f);
    EXPECT_EQ(fog.alphaMax, 1.0f);
    EXPECT_EQ(fog.transparency.scaled, 127);
    EXPECT_TRUE(DS_SparkleConstructor().viewFlag);
    EXPECT_EQ(DS_GodRayConstructor().rayAngle.value, 80u);
    DS_LightingConstructor lightning;
    EXPECT_EQ(lightning.blendMode.value, 1);
    EXPECT_TRUE(lightning.viewFlag);
}

TEST_F(LightMotion, FogStartsAtARandomPlaceSpeedAlphaAndTurn)
{
    DS_FogConstructor fog;
    DS_Sprite s;
    const std::vector<int> v = SeedAndPeek(11, 6);
    fog.InitSprite(&s);
    EXPECT_FLOAT_EQ(s.position.x, R(v[0]) * 640.0f);
    EXPECT_FLOAT_EQ(s.position.y, R(v[1]) * 480.0f);
    EXPECT_FLOAT_EQ(s.velocityX, -40.0f + R(v[2]) * 80.0f);
    EXPECT_FLOAT_EQ(s.velocityY, -40.0f + R(v[3]) * 80.0f);
    EXPECT_FLOAT_EQ(s.alpha, R(v[4]));
    const float turn = R(v[5]) * 0.008f - 0.004f;
    EXPECT_NEAR(s.spin._11, std::cos(turn), kTurnTolerance);
    EXPECT_NEAR(s.spin._12, std::sin(turn), kTurnTolerance);
}

TEST_F(LightMotion, FogBouncesByItsCentreOnEachEdgeOnItsOwn)
{
    struct Case {
        float x, y, vx, vy;
        float vxAfter, vyAfter;
    } cases[] = {
        {640.5f, 240.0f, 5.0f, 3.0f, -5.0f, 3.0f},  // centre past the right edge
        {639.5f, 240.0f, 5.0f, 3.0f, 5.0f, 3.0f},   // its border is past, its centre is not
        {-0.5f, 480.5f, -5.0f, 3.0f, 5.0f, -3.0f},  // left and bottom at once
        {320.0f, -0.5f, -5.0f, -3.0f, -5.0f, 3.0f}, // top
    };
    for (const Case& c : cases) {
        DS_FogConstructor fog;
        SetClock(fog, 0.0f, 0.0f);
        DS_Sprite s = SpriteAt(c.x, c.y, 100.0f, 50.0f, c.vx, c.vy);
        s.alpha = 0.5f;
        fog.UpdateSprite(&s);
        EXPECT_EQ(s.velocityX, c.vxAfter) << c.x << ", " << c.y;
        EXPECT_EQ(s.velocityY, c.vyAfter) << c.x << ", " << c.y;
    }
}

TEST_F(LightMotion, FogPulsesWithoutRespawning)
{
    struct Case {
        float alpha, rate, alphaAfter, rateAfter;
    } cases[] = {
        {0.5f, 0.0f, 0.5f, 0.0f},   // rate 0: every patch keeps its alpha
        {0.9f, 0.4f, 1.0f, -0.4f},  // past the maximum
        {0.3f, -0.4f, 0.2f, 0.4f},  // past the minimum: held, no new place
        {0.5f, 0.4f, 0.7f, 0.4f},
    };
    for (const Case& c : cases) {
        DS_FogConstructor fog;
        fog.colour.value = 0x00FFFFFF;
        SetClock(fog, 0.5f, 0.5f);
        DS_Sprite s = SpriteAt(320.0f, 240.0f, 100.0f, 50.0f);
        s.alpha = c.alpha;
        s.alphaRate = c.rate;
        fog.UpdateSprite(&s);
        EXPECT_FLOAT_EQ(s.alpha, c.alphaAfter) << c.alpha << " " << c.rate;
        EXPECT_EQ(s.alphaRate, c.rateAfter);
        EXPECT_EQ(s.position.x, 320.0f);
        EXPECT_EQ(s.colour >> 24, static_cast<uint32_t>(127.0f * s.alpha));
    }
}

TEST_F(LightMotion, FogTurnsBySameAngleEveryFrameWhateverTheStep)
{
    DS_FogConstructor fog;
    DS_Sprite s = SpriteAt(320.0f, 240.0f, 100.0f, 50.0f);
    D3DXMatrixRotationZ(&s.spin, 0.004f); // the largest turn
    for (int frame = 0; frame < 30; ++frame) {
        SetClock(fog, frame % 2 ? 0.01f : 0.2f, 0.0f);
        fog.UpdateSprite(&s);
    }
    EXPECT_NEAR(std::atan2(s.axisX.y, s.axisX.x), 0.12f, kTurnTolerance);
    EXPECT_NEAR(std::atan2(-s.axisY.x, s.axisY.y), 0.12f, kTurnTolerance);
}

TEST_F(LightMotion, SparkleGrowsWithItsAlpha)
{
    struct Case {
        float alpha, halfWidth, halfHeight;
    } cases[] = {{0.5f, 7.5f, 6.875f}, {0.0f, 5.0f, 5.0f}, {1.0f, 10.0f, 10.0f}};
    for (const Case& c : cases) {
        DS_SparkleConstructor sparkle;
        sparkle.size.value = 20; // d = 10 at scale 1
        SetClock(sparkle, 0.0f, 0.0f);
        DS_Sprite s = SpriteAt(320.0f, 240.0f, 1.0f, 1.0f);
        s.textureAspect = 3.0f; // not used
        s.alpha = c.alpha;
        sparkle.UpdateSprite(&s);
        EXPECT_FLOAT_EQ(s.halfWidth, c.halfWidth) << c.alpha;
        EXPECT_FLOAT_EQ(s.halfHeight, c.halfHeight) << c.alpha;
    }
}

TEST_F(LightMotion, SparkleRespawnsWhenFadedOut)
{
    DS_SparkleConstructor sparkle;
    sparkle.size.value = 20;
    SetClock(sparkle, 0.2f, 0.2f);
    DS_Sprite s = SpriteAt(320.0f, 240.0f, 1.0f, 1.0f, 10.0f, 10.0f);
    s.alpha = 0.1f;
    s.alphaRate = -1.0f;
    const std::vector<int> v = SeedAndPeek(13, 5);
    sparkle.UpdateSprite(&s);
    EXPECT_FLOAT_EQ(s.velocityX, R(v[0]) * 50.0f - 25.0f);
    EXPECT_FLOAT_EQ(s.velocityY, R(v[1]) * 50.0f - 25.0f);
    EXPECT_FLOAT_EQ(s.position.x, R(v[2]) * 640.0f);
    EXPECT_FLOAT_EQ(s.position.y, R(v[3]) * 480.0f);
    EXPECT_EQ(s.alpha, 0.0f);
    EXPECT_EQ(s.alphaRate, 1.0f);
    EXPECT_EQ(s.halfWidth, 5.0f);
}

TEST(GodRayShear, SlantOfTheRayAngle)
{
    struct Case {
        unsigned angle;
        float shear;
    } cases[] = {
        {90, 0.0f}, {270, 0.0f}, {45, -1.0f}, {225, -1.0f}, {135, 1.0f}, {80, -0.17633f}, {260, -0.17633f},
        // Taken modulo 360: 360 and above repeat 0 to 359 instead of dividing by tan 0.
        {450, 0.0f}, {405, -1.0f}, {4294967295u, GodRayShear(4294967295u % 360u)},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(GodRayShear(c.angle), c.shear, kTurnTolerance) << c.angle;
    EXPECT_EQ(GodRayShear(360), GodRayShear(0));
    EXPECT_TRUE(std::isfinite(GodRayShear(360)));
}

TEST_F(LightMotion, GodRayIsAsTallAsThePictureAndCentredFromTheTop)
{
    DS_GodRayConstructor ray;
    ray.size.value = 40;
    ray.scaleMin = ray.scaleMax = 3.0f; // not used
    ray.rayAngle.value = 45;
    ray.pixelRect.top.SetValue(240, nullptr); // the lower half of the picture
    DS_Sprite s;
    const std::vector<int> v = SeedAndPeek(17, 3);
    ray.InitSprite(&s);
    EXPECT_FLOAT_EQ(s.position.x, R(v[0]) * 640.0f);
    EXPECT_FLOAT_EQ(s.velocityX, R(v[1]) * 20.0f - 10.0f);
    EXPECT_EQ(s.velocityY, 0.0f);
    EXPECT_EQ(s.position.y, 120.0f) << "half the rectangle's height, from 0";
    EXPECT_EQ(s.halfWidth, 20.0f);
    EXPECT_EQ(s.halfHeight, 240.0f);
    EXPECT_NEAR(s.axisY.x, -1.0f, kTurnTolerance);
    EXPECT_EQ(s.axisY.y, 1.0f);
    EXPECT_FLOAT_EQ(s.alpha, R(v[2]));
}

TEST_F(LightMotion, GodRayChangesDriftOnObjectTime)
{
    struct Case {
        float lastEvent;
        bool coin;
        bool changes;
    } cases[] = {{0.75f, true, false}, {0.74f, true, true}, {0.74f, false, false}};
    for (const Case& c : cases) {
        DS_GodRayConstructor ray;
        SetClock(ray, 0.1f, 1.0f, 50.0f);
        DS_Sprite s = SpriteAt(320.0f, 240.0f, 20.0f, 240.0f, 5.0f, 0.0f);
        s.alpha = 0.5f;
        s.lastEventTime = c.lastEvent;
        const std::vector<int> v = SeedWhere(2, [&](const std::vector<int>& r) { return Odd(r[0]) == c.coin; });
        ray.UpdateSprite(&s);
        const float vx = c.changes ? R(v[1]) * 20.0f - 10.0f : 5.0f;
        EXPECT_FLOAT_EQ(s.velocityX, vx) << c.lastEvent << " " << c.coin;
        EXPECT_FLOAT_EQ(s.position.x, 320.0f + 0.1f * vx);
        EXPECT_EQ(s.lastEventTime, c.lastEvent == 0.75f ? 0.75f : 1.0f);
    }
}

TEST_F(LightMotion, AFadedOutRayStartsAgainElsewhere)
{
    // Fading below its minimum, the ray is made anew: a new place and drift, then the minimum
    // alpha, and it turns to fade in.
    DS_GodRayConstructor ray;
    ray.size.value = 40;
    ray.alphaMin = 0.1f;
    SetClock(ray, 0.2f, 0.2f);
    DS_Sprite s = SpriteAt(100.0f, 300.0f, 3.0f, 3.0f, 5.0f, 0.0f);
    s.alpha = 0.15f;
    s.alphaRate = -1.0f;
    s.lastEventTime = 0.2f; // no drift change this frame
    const std::vector<int> v = SeedAndPeek(23, 4);
    ray.UpdateSprite(&s);
    EXPECT_FLOAT_EQ(R(v[0]) * 640.0f, s.position.x);
    EXPECT_EQ(240.0f, s.position.y);
    EXPECT_FLOAT_EQ(R(v[1]) * 20.0f - 10.0f, s.velocityX);
    EXPECT_EQ(20.0f, s.halfWidth);
    EXPECT_EQ(240.0f, s.halfHeight);
    EXPECT_EQ(0.1f, s.alpha);
    EXPECT_EQ(1.0f, s.alphaRate);
    EXPECT_EQ(v[3], std::rand()) << "three draws: place, drift and the alpha that the minimum replaces";

    // Above its minimum it only fades and drifts.
    s.alpha = 0.5f;
    ray.UpdateSprite(&s);
    EXPECT_FLOAT_EQ(0.7f, s.alpha);
    EXPECT_FLOAT_EQ(R(v[0]) * 640.0f + 0.2f * s.velocityX, s.position.x);
}

TEST_F(LightMotion, LightningStrikesInsideTheRectangleTiltedAndSometimesMirrored)
{
    for (bool mirrored : {false, true}) {
        DS_LightingConstructor lightning;
        lightning.size.value = 100;
        DS_Sprite s;
        s.scale = 1.0f;
        s.textureAspect = 2.0f; // a tall bolt: 50 × 100
        s.alpha = 1.0f;
        const std::vector<int> v = SeedWhere(4, [&](const std::vector<int>& r) { return Odd(r[3]) == mirrored; });
        lightning.InitSprite(&s);
        EXPECT_EQ(s.halfWidth, 25.0f);
        EXPECT_EQ(s.halfHeight, 50.0f);
        EXPECT_FLOAT_EQ(s.position.x, 25.0f + R(v[0]) * 590.0f);
        EXPECT_FLOAT_EQ(s.position.y, 50.0f + R(v[1]) * 380.0f);
        const float tilt = R(v[2]) * 0.7853982f - 0.3926991f;
        const float sign = mirrored ? -1.0f : 1.0f;
        EXPECT_NEAR(s.axisX.x, sign * std::cos(tilt), kTurnTolerance);
        EXPECT_NEAR(s.axisX.y, sign * std::sin(tilt), kTurnTolerance);
        EXPECT_NEAR(s.axisY.x, -std::sin(tilt), kTurnTolerance);
        EXPECT_NEAR(s.axisY.y, std::cos(tilt), kTurnTolerance);
        EXPECT_EQ(s.alpha, 0.0f) << "dark until it strikes";
    }
}

TEST_F(LightMotion, LightningFadesInASixthOfASecondThenStaysDark)
{
    DS_LightingConstructor lightning;
    lightning.colour.value = 0x00FFC0A0;
    DS_Sprite s = SpriteAt(320.0f, 240.0f, 25.0f, 50.0f);
    s.alpha = 1.0f; // struck at T 0
    s.lastEventTime = 0.0f;
    SeedWhere(1, [](const std::vector<int>& r) { return !Odd(r[0]); }); // no flicker at T 0.16
    const float expected[] = {0.76f, 0.52f, 0.28f, 0.04f, 0.0f};
    float t = 0.0f;
    for (float alpha : expected) {
        t += 0.04f;
        SetClock(lightning, 0.04f, t);
        lightning.UpdateSprite(&s);
        EXPECT_NEAR(s.alpha, alpha, 1e-5f) << t;
    }
    EXPECT_EQ(s.alpha, 0.0f);
    EXPECT_EQ(s.lastEventTime, t) << "the dark pause starts when the flash is out";
    EXPECT_EQ(s.colour, 0x00A0C0FFu);
}

TEST_F(LightMotion, LightningFlickersBackToFullOnACoin)
{
    DS_LightingConstructor lightning;
    DS_Sprite s = SpriteAt(320.0f, 240.0f, 25.0f, 50.0f);
    s.alpha = 0.28f;
    SetClock(lightning, 0.04f, 0.16f);
    SeedWhere(1, [](const std::vector<int>& r) { return Odd(r[0]); });
    lightning.UpdateSprite(&s);
    EXPECT_EQ(s.alpha, 1.0f);
    EXPECT_EQ(s.lastEventTime, 0.16f);
}

TEST_F(LightMotion, DarkLightningStrikesAgainOnACoinEachSecond)
{
    struct Case {
        float sinceLast;
        bool coin;
        bool strikes;
    } cases[] = {{1.0f, true, false}, {1.01f, false, false}, {1.01f, true, true}};
    for (const Case& c : cases) {
        DS_LightingConstructor lightning;
        lightning.size.value = 100;
        SetClock(lightning, 0.01f, 5.0f);
        DS_Sprite s = SpriteAt(-1000.0f, -1000.0f, 25.0f, 50.0f);
        s.alpha = 0.0f;
        s.lastEventTime = 5.0f - c.sinceLast;
        SeedWhere(1, [&](const std::vector<int>& r) { return Odd(r[0]) == c.coin; });
        lightning.UpdateSprite(&s);
        EXPECT_EQ(s.alpha, c.strikes ? 1.0f : 0.0f) << c.sinceLast << " " << c.coin;
        EXPECT_EQ(s.position.x > 0.0f, c.strikes) << "a strike comes at a new place";
        EXPECT_EQ(s.lastEventTime, c.sinceLast == 1.0f ? 4.0f : 5.0f);
    }
}

} // namespace
