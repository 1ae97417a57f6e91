// The butterfly flight model, step by step and over whole flights, without a device: object space
// 640 × 480, the flock description's clock driven at 1/64 s steps (exact in binary) and the
// random numbers pinned with srand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "../SceneFixtures.h"
#include "scene/constructors/DS_ButterflyConstructor.h"
#include "scene/objects/AC_Butterfly.h"

namespace {

constexpr float kStep = 1.0f / 64.0f;

// The rand() value that follows srand(seed).
int FirstDraw(unsigned int seed)
{
    std::srand(seed);
    return std::rand();
}

// A seed whose first draw gives k for rand() mod 5.
unsigned int SeedForDecision(int k)
{
    unsigned int seed = 1;
    while (FirstDraw(seed) % 5 != k)
        ++seed;
    return seed;
}

// One butterfly of a flock description, with its wings held by the test, and its body frame.
class ButterflyFlight : public ::testing::Test {
protected:
    void SetUp() override
    {
        butterfly = std::make_unique<AC_Butterfly>(&description);
        wings[0].reset(butterfly->TakeWing(0));
        wings[1].reset(butterfly->TakeWing(1));
        PlaceAtCentre();
    }

    void PlaceAtCentre()
    {
        butterfly->x = 320.0f;
        butterfly->y = 240.0f;
        butterfly->heading = EasedValue(0.0f, 0.0f, 350.0f);
    }

    // The next frame: the clock one step on, then the body's animation.
    void Frame()
    {
        ++frames;
        description.UpdateTime(frames * kStep);
        butterfly->Update(&body);
    }

    ObjectSpaceScope space{640, 480};
    DS_ButterflyConstructor description;
    std::unique_ptr<AC_Butterfly> butterfly;
    std::unique_ptr<AC_ButterflyWing> wings[2];
    DS_Frame body;
    int frames = 0;
};

void ExpectMatrixNear(const D3DXMATRIX& expected, const D3DXMATRIX& actual, float tolerance)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(expected(r, c), actual(r, c), tolerance) << "row " << r << " column " << c;
}

} // namespace

TEST(EasedValue, MovesTowardsItsTargetAndStopsThere)
{
    struct Case {
        EasedValue start;
        float target, rate;
        float rateAfter;
        float steps[2];
        float after[2];
    } cases[] = {
        {{0, 0, 50}, 25, 0, 50, {0.25f, 1.0f}, {12.5f, 25.0f}},
        {{25, 25, 50}, 0, 0, -50, {1.0f, 0.0f}, {0.0f, 0.0f}},
        {{10, 10, 50}, 10, 70, -70, {1.0f, 1.0f}, {10.0f, 10.0f}}, // at the target: no move
        {{0, 0, 350}, -180, 350, -350, {0.5f, 0.1f}, {-175.0f, -180.0f}},
        {{0, 0, -350}, 180, 0, 350, {0.25f, 1.0f}, {87.5f, 180.0f}},
    };
    for (const Case& c : cases) {
        EasedValue v = c.start;
        v.SetTarget(c.target, c.rate);
        EXPECT_EQ(c.rateAfter, v.rate) << "target " << c.target;
        for (int i = 0; i < 2; ++i) {
            v.Update(c.steps[i]);
            EXPECT_FLOAT_EQ(c.after[i], v.current) << "target " << c.target << ", step " << i;
        }
    }
}

TEST_F(ButterflyFlight, StartsAtARandomPointWithARandomHeading)
{
    std::srand(1);
    AC_Butterfly b(&description);
    std::unique_ptr<AC_ButterflyWing> w0(b.TakeWing(0)), w1(b.TakeWing(1));
    std::srand(1);
    const float x = 640.0f * (std::rand() / 32767.0f);
    const float y = 480.0f * (std::rand() / 32767.0f);
    const float h = 360.0f * (std::rand() / 32767.0f);
    EXPECT_FLOAT_EQ(x, b.x);
    EXPECT_FLOAT_EQ(y, b.y);
    EXPECT_FLOAT_EQ(h, b.heading.current);
    EXPECT_EQ(b.heading.current, b.heading.target);
    EXPECT_EQ(0.0f, b.z);
    EXPECT_EQ(50.0f, b.vertical.current);
    EXPECT_EQ(50.0f, b.forward.current);
    EXPECT_EQ(nullptr, b.TakeWing(0)) << "a wing is handed over once";
}

TEST_F(ButterflyFlight, WingsBeatBetweenTheirLimits)
{
    const float expected[14] = {10.9375f, 21.875f,  32.8125f, 43.75f,   54.6875f,  65.625f,   48.125f,
                                30.625f,  13.125f,  -4.375f,  -21.875f, -39.375f, -56.875f, -45.9375f};
    for (int i = 0; i < 14; ++i) {
        Frame();
        const float flap = butterfly->flapAngle;
        EXPECT_EQ(expected[i], flap) << "frame " << i + 1;
        EXPECT_EQ(flap > 0.0f, wings[0]->cull) << "frame " << i + 1;
        EXPECT_EQ(flap < 0.0f, wings[1]->cull) << "frame " << i + 1;
        D3DXMATRIX rotation, mirror;
        D3DXMatrixRotationZ(&rotation, flap * 2.0f * D3DX_PI / 360.0f);
        D3DXMatrixScaling(&mirror, -1.0f, 1.0f, 1.0f);
        ExpectMatrixNear(rotation, wings[0]->wingMatrix, 1e-6f);
        ExpectMatrixNear(rotation * mirror, wings[1]->wingMatrix, 1e-6f);
    }
    EXPECT_EQ(AC_Butterfly::kFlapRateUp, butterfly->flapRate);
    EXPECT_EQ(0, butterfly->gliding) << "no decision within the first quarter second";
}

TEST_F(ButterflyFlight, WingFramesFollowTheirWingMatrix)
{
    DS_Frame wing;
    D3DXMatrixTranslation(&wing.local, 1.0f, 2.0f, 3.0f);
    D3DXMatrixRotationZ(&wings[0]->wingMatrix, 0.5f);
    wings[0]->cull = false;
    wings[0]->Update(&wing);
    ExpectMatrixNear(wing.local * wings[0]->wingMatrix, wing.world, 0.0f);
    EXPECT_FALSE(wing.cullCounterClockwise);
}

TEST_F(ButterflyFlight, AtSpeedZeroNothingMovesAndNoDecisionIsTaken)
{
    description.speed.value = 0;
    const int first = FirstDraw(7);
    std::srand(7);
    for (int i = 0; i < 100; ++i)
        Frame();
    EXPECT_EQ(first, std::rand()) << "a standing flight draws no random number";
    EXPECT_EQ(320.0f, butterfly->x);
    EXPECT_EQ(240.0f, butterfly->y);
    EXPECT_EQ(0.0f, butterfly->flapAngle);
    EXPECT_EQ(50.0f, butterfly->vertical.current);
    EXPECT_EQ(0.0f, description.objectTime);
    EXPECT_EQ(320.0f, body.world(3, 0));
    EXPECT_EQ(240.0f, body.world(3, 1));
    EXPECT_EQ(0.0f, body.world(3, 2));
}

TEST_F(ButterflyFlight, SizeScalesTheBody)
{
    description.speed.value = 0;
    Frame();
    const D3DXMATRIX full = body.world;
    description.size.SetValue(50, nullptr); // the listener rebuilds the size matrix
    Frame();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(0.5f * full(r, c), body.world(r, c), 1e-6f);
}

TEST_F(ButterflyFlight, BodyWorldIsTheFlightChain)
{
    // A frame in level flight facing 30°, forward 60: no roll, the slow-flight pitch of 6°. The
    // size scales the model first, so it changes neither where the butterfly is nor how it flies.
    for (unsigned int sizePercent : {100u, 50u, 200u}) {
        SCOPED_TRACE(testing::Message() << "size " << sizePercent);
        description.size.SetValue(sizePercent, nullptr);
        PlaceAtCentre();
        butterfly->heading = EasedValue(30.0f, 30.0f, 350.0f);
        butterfly->forward = EasedValue(60.0f, 60.0f, 350.0f);
        D3DXMatrixScaling(&body.local, 0.5f, 0.5f, 0.5f);
        Frame();
        const float flap = butterfly->flapAngle;
        const float deg = 2.0f * D3DX_PI / 360.0f;
        const float s = sizePercent / 100.0f;
        D3DXMATRIX size, bob, tilt, pitch, heading, position;
        D3DXMatrixScaling(&size, s, s, s);
        D3DXMatrixTranslation(&bob, 0.0f, flap * -3.0f / 45.0f, 0.0f);
        D3DXMatrixRotationX(&tilt, 10.0f * deg);
        D3DXMatrixRotationX(&pitch, 6.0f * deg);
        D3DXMatrixRotationY(&heading, 30.0f * deg);
        D3DXMatrixTranslation(&position, butterfly->x, butterfly->y, 0.0f);
        ExpectMatrixNear(size * bob * tilt * pitch * heading * body.local * position, body.world, 1e-4f);
        // One step along the heading: x by cos 30° × 60 / 64, y by the vertical speed 50 / 64.
        EXPECT_NEAR(320.0f + std::cos(30.0f * deg) * 60.0f * kStep, butterfly->x, 1e-4f);
        EXPECT_NEAR(240.0f + 50.0f * kStep, butterfly->y, 1e-4f);
    }
}

TEST_F(ButterflyFlight, TurningBanksIntoTheTurnAndLevelsOut)
{
    butterfly->lastDecisionTime = 1e6f; // no random decision interferes
    butterfly->heading.SetTarget(90.0f, 350.0f);
    Frame();
    EXPECT_EQ(25.0f, butterfly->bank.target) << "turning to a higher heading";
    for (int i = 0; i < 64 && butterfly->heading.current != butterfly->heading.target; ++i)
        Frame();
    EXPECT_EQ(90.0f, butterfly->heading.current);
    for (int i = 0; i < 64 && butterfly->bank.current != 0.0f; ++i)
        Frame();
    EXPECT_EQ(0.0f, butterfly->bank.current) << "the roll returns to level";

    butterfly->heading.SetTarget(0.0f, 350.0f);
    Frame();
    EXPECT_EQ(-25.0f, butterfly->bank.target) << "turning to a lower heading";
}

TEST_F(ButterflyFlight, SteeringBackIntoTheViewRectangle)
{
    description.leftFraction = 0.25f;  // 160
    description.rightFraction = 0.75f; // 480
    description.topFraction = 0.25f;   // 120
    description.bottomFraction = 0.75f; // 360
    struct Case {
        float x, y;
        float headingTarget, headingRate;
        float forwardTarget;
        int glideRequested;
        float verticalTarget;
    } cases[] = {
        {100, 240, 0, -350, 300, 0, 50},     // left: face right, hurry
        {500, 240, -180, -350, 300, 0, 50},  // right: face left, hurry
        {320, 100, 90, 350, 50, 1, 100},     // above: glide down
        {320, 400, 90, 350, 50, 0, -190},    // below: climb
        {100, 100, 0, -350, 300, 1, 100},    // above and left
        {320, 240, 90, 350, 50, 0, 50},      // inside: nothing changes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.x << ", " << c.y);
        AC_Butterfly& b = *butterfly;
        b.x = c.x;
        b.y = c.y;
        b.heading = EasedValue(90.0f, 90.0f, 350.0f);
        b.forward = EasedValue(50.0f, 50.0f, 350.0f);
        b.vertical = EasedValue(50.0f, 50.0f, 250.0f);
        b.glideRequested = 0;
        b.SteerToArea();
        EXPECT_EQ(c.headingTarget, b.heading.target);
        EXPECT_EQ(c.headingRate, b.heading.rate);
        EXPECT_EQ(c.forwardTarget, b.forward.target);
        EXPECT_EQ(350.0f, b.forward.rate);
        EXPECT_EQ(c.glideRequested, b.glideRequested);
        EXPECT_EQ(c.verticalTarget, b.vertical.target);
    }
}

TEST_F(ButterflyFlight, ALostButterflyTurnsAndComesBack)
{
    butterfly->x = -40.0f;
    butterfly->heading = EasedValue(180.0f, 180.0f, 350.0f); // flying away, to the left
    int frame = 0;
    while (butterfly->x < 0.0f && frame < 64 * 5) {
        Frame();
        ++frame;
    }
    EXPECT_GE(butterfly->x, 0.0f) << "still outside after five seconds";
    EXPECT_EQ(0.0f, butterfly->heading.target);
    EXPECT_EQ(300.0f, butterfly->forward.target);
}

TEST_F(ButterflyFlight, ALongFlightStaysNearTheRectangle)
{
    // Rectangle 160..480 × 120..360; a minute of flight from several seeds.
    description.leftFraction = 0.25f;
    description.rightFraction = 0.75f;
    description.topFraction = 0.25f;
    description.bottomFraction = 0.75f;
    for (unsigned int seed : {1u, 2u, 3u, 4u}) {
        std::srand(seed);
        PlaceAtCentre();
        int inside = 0;
        float farthest = 0.0f;
        const int count = 64 * 60;
        for (int i = 0; i < count; ++i) {
            Frame();
            const float dx = std::fmax(160.0f - butterfly->x, butterfly->x - 480.0f);
            const float dy = std::fmax(120.0f - butterfly->y, butterfly->y - 360.0f);
            const float out = std::fmax(dx, dy);
            if (out <= 0.0f)
                ++inside;
            farthest = std::fmax(farthest, out);
        }
        EXPECT_GT(inside, count / 2) << "seed " << seed;
        EXPECT_LT(farthest, 200.0f) << "seed " << seed;
    }
}

TEST_F(ButterflyFlight, GlidingWaitsForTheWingsToSink)
{
    AC_Butterfly& b = *butterfly;
    b.glideRequested = 1;
    b.flapAngle = -20.0f; // above half the lower limit: keeps beating
    b.flapRate = -160.0f;
    b.ChooseFlightMode();
    EXPECT_EQ(0, b.gliding);
    EXPECT_EQ(0.0f, b.flapMax);
    EXPECT_EQ(-160.0f, b.flapRate);

    b.flapAngle = -30.0f;
    b.ChooseFlightMode();
    EXPECT_EQ(1, b.gliding);
    EXPECT_FLOAT_EQ(-1.6f, b.flapRate) << "the wings sink slowly";
}

TEST_F(ButterflyFlight, FlappingResumesAtOnce)
{
    struct Case {
        float forward;
        float low, high; // the new flap rate lies in [low, high]
    } cases[] = {{50.0f, -160.0f, 50.0f / 3.0f - 50.0f}, {10.0f, 160.0f, 160.0f}};
    for (const Case& c : cases) {
        AC_Butterfly& b = *butterfly;
        b.glideRequested = 0;
        b.gliding = 1;
        b.flapMax = 0.0f;
        b.forward = EasedValue(c.forward, c.forward, 350.0f);
        b.ChooseFlightMode();
        EXPECT_EQ(0, b.gliding);
        EXPECT_EQ(55.0f, b.flapMax);
        EXPECT_GE(b.flapRate, c.low) << "forward " << c.forward;
        EXPECT_LE(b.flapRate, c.high) << "forward " << c.forward;
    }
}

TEST_F(ButterflyFlight, RandomDecisionsEveryQuarterSecond)
{
    // Each decision from a seed whose first draw picks it; the draws that follow are replayed.
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(testing::Message() << "decision " << k);
        AC_Butterfly& b = *butterfly;
        b.glideRequested = 0;
        b.gliding = 0;
        b.lastDecisionTime = 0.0f;
        b.vertical = EasedValue(50.0f, 50.0f, 250.0f);
        b.forward = EasedValue(50.0f, 50.0f, 350.0f);
        b.heading = EasedValue(10.0f, 10.0f, 350.0f);
        const unsigned int seed = SeedForDecision(k);

        const int first = FirstDraw(seed);
        description.objectTime = 0.25f; // not past the quarter second yet
        std::srand(seed);
        b.ChooseFlightMode();
        EXPECT_EQ(first, std::rand()) << "no draw before the quarter second";
        EXPECT_EQ(0.0f, b.lastDecisionTime);

        description.objectTime = 0.25f + kStep;
        std::srand(seed);
        b.ChooseFlightMode();
        EXPECT_EQ(0.25f + kStep, b.lastDecisionTime);

        std::srand(seed);
        std::rand(); // the decision itself
        const int d1 = std::rand();
        const int d2 = std::rand();
        const int d3 = std::rand();
        const float r1 = d1 / 32767.0f;
        switch (k) {
        case 0: // climb
            EXPECT_EQ(0, b.glideRequested);
            EXPECT_FLOAT_EQ(-190.0f + r1 * 190.0f, b.vertical.target);
            break;
        case 1: // glide down
            EXPECT_EQ(1, b.glideRequested);
            EXPECT_FLOAT_EQ(100.0f + r1 * 50.0f, b.vertical.target);
            break;
        case 2: // another forward speed
            EXPECT_EQ(0, b.glideRequested);
            EXPECT_FLOAT_EQ(-25.0f + r1 * 325.0f, b.forward.target);
            break;
        default: { // face right on an odd coin, left on an even one
            const float rate = 50.0f + (d2 / 32767.0f) * 300.0f;
            const float r = d3 / 32767.0f;
            const float target = (d1 & 1) ? -25.0f + r * 50.0f : 155.0f + r * 50.0f;
            EXPECT_FLOAT_EQ(target, b.heading.target);
            EXPECT_FLOAT_EQ(target > 10.0f ? rate : -rate, b.heading.rate);
            break;
        }
        }
    }
}

TEST_F(ButterflyFlight, TheFirstDecisionOfSeedOneGlidesDown)
{
    // srand(1) draws 41 (41 mod 5 = 1), then 18467: a glide down at 128.17926 pixels per second.
    description.objectTime = 0.25f + kStep;
    std::srand(1);
    butterfly->ChooseFlightMode();
    EXPECT_EQ(1, butterfly->glideRequested);
    EXPECT_NEAR(128.17926f, butterfly->vertical.target, 1e-4f);
}

TEST_F(ButterflyFlight, NoTurnIsChosenWhileTurningOrGliding)
{
    const unsigned int seed = SeedForDecision(3);
    struct Case {
        int gliding;
        float headingTarget;
    } cases[] = {{0, 40.0f}, {1, 10.0f}};
    for (const Case& c : cases) {
        AC_Butterfly& b = *butterfly;
        b.gliding = c.gliding;
        b.glideRequested = c.gliding;
        b.lastDecisionTime = 0.0f;
        b.heading = EasedValue(10.0f, c.headingTarget, 350.0f);
        description.objectTime = 1.0f;
        std::srand(seed);
        b.ChooseFlightMode();
        EXPECT_EQ(c.headingTarget, b.heading.target) << "gliding " << c.gliding;
        EXPECT_EQ(1.0f, b.lastDecisionTime);
    }
}
