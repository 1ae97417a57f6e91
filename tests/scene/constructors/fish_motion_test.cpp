// Motion of the wandering kinds, fish, bird and ghost, with known random draws.
#include <gtest/gtest.h>

#include <cmath>

#include "../SceneFixtures.h"
#include "SpriteKindFixtures.h"
#include "scene/constructors/DS_BirdConstructor.h"
#include "scene/constructors/DS_FishConstructor.h"
#include "scene/constructors/DS_GhostConstructor.h"

namespace {

class FishMotion : public ::testing::Test {
protected:
    ObjectSpaceScope space{640, 480};
};

TEST_F(FishMotion, InitDrawsVelocityThenPlaceAndFacesTheWayItSwims)
{
    for (bool left : {true, false}) {
        DS_FishConstructor fish;
        fish.size.value = 64;
        fish.colour.value = 0x00336699;
        DS_Sprite s;
        s.textureAspect = 0.5f; // 128 × 64
        s.scale = 1.0f;
        const std::vector<int> v = SeedWhere(4, [&](const std::vector<int>& r) { return (r[0] < 16383) == left; });
        fish.InitSprite(&s);
        EXPECT_FLOAT_EQ(s.velocityX, -80.0f + R(v[0]) * 160.0f);
        EXPECT_FLOAT_EQ(s.velocityY, -50.0f + R(v[1]) * 100.0f);
        EXPECT_FLOAT_EQ(s.position.x, R(v[2]) * 640.0f);
        EXPECT_FLOAT_EQ(s.position.y, R(v[3]) * 480.0f);
        EXPECT_EQ(s.halfWidth, left ? -32.0f : 32.0f) << "mirrored when it swims left";
        EXPECT_EQ(s.halfHeight, 16.0f);
        EXPECT_EQ(s.colour, 0xFF996633u);
    }
}

TEST_F(FishMotion, TurnsSidewaysOnlyOnceWhollyOutside)
{
    struct Case {
        float x, vx, halfWidth;
        float vxAfter, halfWidthAfter;
    } cases[] = {
        {-20.5f, -30.0f, -20.0f, 30.0f, 20.0f},   // left of the picture: turns and faces right
        {-19.5f, -30.0f, -20.0f, -30.0f, -20.0f}, // still overlapping: swims on
        {660.5f, 30.0f, 20.0f, -30.0f, -20.0f},   // right of it: turns and faces left
        {659.5f, 30.0f, 20.0f, 30.0f, 20.0f},
    };
    for (const Case& c : cases) {
        DS_FishConstructor fish;
        SetClock(fish, 0.0f, 0.0f);
        DS_Sprite s = SpriteAt(c.x, 240.0f, c.halfWidth, 10.0f, c.vx, 0.0f);
        fish.UpdateSprite(&s);
        EXPECT_EQ(s.velocityX, c.vxAfter) << c.x;
        EXPECT_EQ(s.halfWidth, c.halfWidthAfter) << c.x;
    }
}

TEST_F(FishMotion, TurnsVerticallyAsSoonAsItsEdgeCrosses)
{
    struct Case {
        float y, vy, vyAfter;
    } cases[] = {
        {9.9f, -5.0f, 5.0f},    // its top 0.1 above the picture
        {10.1f, -5.0f, -5.0f},  // still inside
        {470.1f, 5.0f, -5.0f},  // its bottom past the picture's
        {469.9f, 5.0f, 5.0f},
    };
    for (const Case& c : cases) {
        DS_FishConstructor fish;
        SetClock(fish, 0.0f, 0.0f);
        DS_Sprite s = SpriteAt(320.0f, c.y, 20.0f, 10.0f, 30.0f, c.vy);
        fish.UpdateSprite(&s);
        EXPECT_EQ(s.velocityY, c.vyAfter) << c.y;
    }
}

TEST_F(FishMotion, MovesByTheFrameStep)
{
    DS_FishConstructor fish;
    SetClock(fish, 0.5f, 0.5f);
    DS_Sprite s = SpriteAt(100.0f, 200.0f, 20.0f, 10.0f, 30.0f, -8.0f);
    fish.UpdateSprite(&s);
    EXPECT_EQ(s.position.x, 115.0f);
    EXPECT_EQ(s.position.y, 196.0f);
}

TEST_F(FishMotion, ChangesCourseOnACoinOnceASecondOfApplicationTime)
{
    struct Case {
        const char* what;
        float lastEvent;
        bool coin;
        float vx;
        bool changes;
        float lastEventAfter;
    } cases[] = {
        {"exactly a second", 1.0f, true, -30.0f, false, 1.0f},
        {"more than a second, coin", 0.99f, true, -30.0f, true, 2.0f},
        {"more than a second, no coin", 0.99f, false, -30.0f, false, 2.0f},
        {"standing still, coin", 0.99f, true, 0.0f, true, 2.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DS_FishConstructor fish;
        SetClock(fish, 0.0f, 0.0f, 2.0f);
        DS_Sprite s = SpriteAt(320.0f, 240.0f, 20.0f, 10.0f, c.vx, 7.0f);
        s.lastEventTime = c.lastEvent;
        s.swayFactor = 3.0f;
        const std::vector<int> v = SeedWhere(3, [&](const std::vector<int>& r) { return Odd(r[0]) == c.coin; });
        fish.UpdateSprite(&s);
        if (!c.changes) {
            EXPECT_EQ(s.velocityX, c.vx);
            EXPECT_EQ(s.velocityY, 7.0f);
            EXPECT_EQ(s.lastEventTime, c.lastEventAfter);
            continue;
        }
        // The new speed keeps the old direction; a fish at +0 swims right.
        const float speed = std::fabs(-80.0f + R(v[1]) * 160.0f);
        EXPECT_FLOAT_EQ(s.velocityX, c.vx < 0.0f ? -speed : speed);
        EXPECT_FLOAT_EQ(s.velocityY, -50.0f + R(v[2]) * 100.0f);
        EXPECT_EQ(s.swayFactor, 0.0f);
        EXPECT_EQ(s.lastEventTime, c.lastEventAfter);
    }
}

TEST_F(FishMotion, BirdsKeepUpSpeedAndGlideDownwards)
{
    struct Case {
        float vx, vy;
        float vyAfter;
    } cases[] = {
        {70.0f, -34.99f, 35.0f + -34.99f * 0.3f / 0.7f}, // just above 0.4 × maximum y
        {70.0f, 0.0f, 35.0f},
        {70.0f, -45.0f, -45.0f}, // fast enough: left alone
        {70.0f, 40.0f, 40.0f},
    };
    for (const Case& c : cases) {
        DS_BirdConstructor bird;
        SetClock(bird, 0.0f, 0.0f);
        DS_Sprite s = SpriteAt(320.0f, 240.0f, 20.0f, 10.0f, c.vx, c.vy);
        bird.UpdateSprite(&s);
        EXPECT_FLOAT_EQ(s.velocityY, c.vyAfter) << c.vy;
        EXPECT_EQ(s.velocityX, c.vx) << "fast enough sideways";
    }
    EXPECT_NEAR(35.0f + -34.99f * 0.3f / 0.7f, 20.004f, 1e-3f);

    for (float vx : {0.0f, 10.0f, -10.0f}) {
        DS_BirdConstructor bird;
        SetClock(bird, 0.0f, 0.0f);
        DS_Sprite s = SpriteAt(320.0f, 240.0f, 20.0f, 10.0f, vx, 40.0f);
        const std::vector<int> v = SeedAndPeek(7, 1);
        bird.UpdateSprite(&s);
        const float speed = 56.0f + R(v[0]) * 24.0f;
        EXPECT_FLOAT_EQ(s.velocityX, vx < 0.0f ? -speed : speed) << vx;
    }
}

TEST_F(FishMotion, GhostDefaults)
{
    DS_GhostConstructor ghost;
    EXPECT_EQ(ghost.maxSpeedX, 50.0f);
    EXPECT_EQ(ghost.maxSpeedY, 50.0f);
    EXPECT_EQ(ghost.alphaRate, 0.66f);
    EXPECT_EQ(ghost.transparency.value, 50u);
    EXPECT_EQ(ghost.transparency.scaled, 127);
    EXPECT_EQ(ghost.scaleMin, 1.0f);
    EXPECT_EQ(ghost.scaleMax, 1.0f);
    DS_FishConstructor fish;
    EXPECT_EQ(fish.maxSpeedX, 80.0f);
    EXPECT_EQ(fish.maxSpeedY, 50.0f);
    EXPECT_EQ(fish.transparency.scaled, 255);
}

TEST_F(FishMotion, GhostStartsAtARandomAlpha)
{
    DS_GhostConstructor ghost;
    DS_Sprite s;
    const std::vector<int> v = SeedAndPeek(3, 5);
    ghost.InitSprite(&s);
    EXPECT_FLOAT_EQ(s.position.x, R(v[2]) * 640.0f);
    EXPECT_FLOAT_EQ(s.alpha, R(v[4]));
}

TEST_F(FishMotion, GhostFadesBetweenItsBoundsAndRespawnsWhenFadedOut)
{
    DS_GhostConstructor ghost;
    ghost.colour.value = 0x000000FF;

    // Fading in past the maximum: held there, and it turns to fade out.
    SetClock(ghost, 0.5f, 0.5f);
    DS_Sprite s = SpriteAt(320.0f, 240.0f, 20.0f, 10.0f);
    s.alpha = 0.9f;
    s.alphaRate = 0.66f;
    ghost.UpdateSprite(&s);
    EXPECT_EQ(s.alpha, 1.0f);
    EXPECT_EQ(s.alphaRate, -0.66f);
    EXPECT_EQ(s.colour, 0x7FFF0000u);
    EXPECT_EQ(s.position.x, 320.0f);

    // Fading out past the minimum: a new course and place, alpha at the minimum, fading in.
    s.alpha = 0.1f;
    const std::vector<int> v = SeedAndPeek(5, 5);
    ghost.UpdateSprite(&s);
    EXPECT_EQ(s.alpha, 0.0f);
    EXPECT_EQ(s.alphaRate, 0.66f);
    EXPECT_FLOAT_EQ(s.velocityX, -50.0f + R(v[0]) * 100.0f);
    EXPECT_FLOAT_EQ(s.position.x, R(v[2]) * 640.0f);
    EXPECT_FLOAT_EQ(s.position.y, R(v[3]) * 480.0f);
    EXPECT_EQ(s.colour, 0x00FF0000u);
}

// Which way a sprite faces is the sign of its half width: negative faces left.
TEST_F(FishMotion, ACourseChangeKeepsTheFacing)
{
    // A course change keeps the horizontal direction, so the sprite keeps facing the way it
    // swims, for the fish and for the ghost that moves like it.
    DS_FishConstructor fish;
    DS_GhostConstructor ghost;
    for (DS_FishConstructor* kind : {&fish, static_cast<DS_FishConstructor*>(&ghost)}) {
        for (float vx : {-30.0f, 30.0f}) {
            SCOPED_TRACE(testing::Message() << (kind == &fish ? "fish" : "ghost") << ", velocity x " << vx);
            SetClock(*kind, 0.0f, 0.0f, 2.0f);
            const float halfWidth = vx < 0.0f ? -20.0f : 20.0f;
            DS_Sprite s = SpriteAt(320.0f, 240.0f, halfWidth, 10.0f, vx, 7.0f);
            s.alpha = 0.5f;
            s.lastEventTime = 0.99f;
            // The course changes, and a new speed drawn without its direction would turn it round.
            SeedWhere(3, [&](const std::vector<int>& r) { return Odd(r[0]) && (R(r[1]) < 0.5f) != (vx < 0.0f); });
            kind->UpdateSprite(&s);
            EXPECT_EQ(2.0f, s.lastEventTime);
            EXPECT_EQ(vx < 0.0f, s.velocityX < 0.0f);
            EXPECT_EQ(halfWidth, s.halfWidth);
        }
    }
}

TEST_F(FishMotion, ARespawnedGhostFacesItsNewCourse)
{
    // A ghost that fades out starts again with a new course, and faces the way it now swims,
    // whichever way it faced before.
    for (bool left : {true, false}) {
        SCOPED_TRACE(left ? "new course to the left" : "new course to the right");
        DS_GhostConstructor ghost;
        ghost.size.value = 40;
        SetClock(ghost, 0.5f, 0.5f);
        DS_Sprite s = SpriteAt(320.0f, 240.0f, left ? 20.0f : -20.0f, 20.0f, left ? 10.0f : -10.0f, 0.0f);
        s.alpha = 0.1f;
        s.alphaRate = -0.66f;
        const std::vector<int> v =
            SeedWhere(5, [&](const std::vector<int>& r) { return (R(r[0]) < 0.5f) == left && R(r[0]) != 0.5f; });
        ghost.UpdateSprite(&s);
        EXPECT_FLOAT_EQ(-50.0f + R(v[0]) * 100.0f, s.velocityX);
        EXPECT_FLOAT_EQ(R(v[2]) * 640.0f, s.position.x);
        EXPECT_EQ(left ? -20.0f : 20.0f, s.halfWidth);
        EXPECT_EQ(20.0f, s.halfHeight);
    }
}

} // namespace
