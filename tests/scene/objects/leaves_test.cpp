// Falling leaves without a device: the drift of one leaf (its step, the wrap at each edge, the
// drift change), the spins and swings, the random draws of a new leaf, the scale guard and the
// leaves object's bookkeeping. Random numbers are pinned with srand and replayed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

#include "../SceneFixtures.h"
#include "document/CurrentDevice.h"
#include "scene/constructors/DS_3D_in_2D_array_Constructor.h"
#include "scene/common/SceneMath.h"
#include "scene/objects/DS_3D_in_2D_array.h"
#include "scene/objects/DS_LeafFallAnim.h"
#include "tests/support/CurrentObjects.h"
#include "tests/support/ProcessHooks.h"

namespace {

// 640 × 480 object space, StreamAnimTime at 0, and leaves of 40 pixels (half size 20) at speed
// 50 without sway.
class LeafDrift : public ::testing::Test {
protected:
    // A leaf at (x, y) with speed factor 0.1 and drift factor 1.
    std::unique_ptr<DS_LeafFallAnim> Leaf(uint32_t angle, float x, float y)
    {
        d.SetAngle(angle);
        auto leaf = std::make_unique<DS_LeafFallAnim>(&d.params);
        D3DXMatrixTranslation(&leaf->drift, x, y, 0.0f);
        leaf->speedFactor = 0.1f;
        leaf->driftFactor = 1.0f;
        return leaf;
    }

    StreamAnimTimeGuard clock{0.0f};
    ObjectSpaceScope space{640, 480};
    DS_3D_in_2D_array_Constructor d = [] {
        DS_3D_in_2D_array_Constructor leaves;
        leaves.params.size = 40;
        return leaves;
    }();
    DS_Frame frame; // radius 0: scale 0, which the drift does not care about
};

} // namespace

TEST_F(LeafDrift, StepIsSpeedTimesSpeedFactorTimesFiftyPixelsASecond)
{
    struct Case {
        uint32_t angle;
        float now;
        float dx, dy;
    };
    const Case cases[] = {
        {270, 0.1f, 0, 25}, // down: dt 0.1, k = 50 × 0.1 × 0.1 × 50 = 25
        {0, 0.1f, 25, 0},   // right
        {90, 0.1f, 0, -25}, // up
        {180, 0.1f, -25, 0},
        {270, 5.0f, 0, 50}, // a long frame counts as 0.2 s
    };
    for (const Case& c : cases) {
        auto leaf = Leaf(c.angle, 320, 240);
        StreamAnimTime = c.now;
        leaf->Update(&frame);
        EXPECT_NEAR(std::min(c.now, 0.2f), leaf->dt, 1e-6f) << c.angle;
        EXPECT_NEAR(320 + c.dx, leaf->X(), 1e-4f) << c.angle << " at " << c.now;
        EXPECT_NEAR(240 + c.dy, leaf->Y(), 1e-4f) << c.angle << " at " << c.now;
        EXPECT_EQ(c.now, leaf->lastTime);
    }
}

TEST_F(LeafDrift, EachLeafKeepsItsOwnClock)
{
    auto leaf = Leaf(270, 320, 100);
    for (float now : {0.1f, 0.15f, 0.15f, 0.1f}) {
        StreamAnimTime = now;
        leaf->Update(&frame);
    }
    // Steps of 0.1, 0.05, 0 and (backwards) 0.05: 0.2 s in all, 50 pixels.
    EXPECT_NEAR(150.0f, leaf->Y(), 1e-3f);
}

TEST_F(LeafDrift, SwayPushesAlongThePerpendicular)
{
    d.params.sway = 50; // c = 50 × 0.02 × drift factor
    for (float driftFactor : {1.0f, -0.5f}) {
        auto leaf = Leaf(270, 320, 240);
        leaf->driftFactor = driftFactor;
        StreamAnimTime = 0.1f;
        leaf->Update(&frame);
        // Down (0, 1) plus c × (1, 0), times 25.
        EXPECT_NEAR(320 + 25 * driftFactor, leaf->X(), 1e-4f);
        EXPECT_NEAR(265, leaf->Y(), 1e-4f);
    }
    // Without sway the drift factor has no effect.
    d.params.sway = 0;
    const D3DXVECTOR2 step = LeafDriftStep(d.params, -1.0f, 0.1f, 0.1f);
    EXPECT_NEAR(0.0f, step.x, 1e-5f);
    EXPECT_NEAR(25.0f, step.y, 1e-4f);
}

// A leaf that has passed the far edge by more than its half size comes back just outside the
// opposite edge, at a random place along it, and does not move in that frame.
TEST_F(LeafDrift, LeavesWrapAtEachEdge)
{
    struct Case {
        uint32_t angle;
        float x, y;
        bool wraps;
        float wrapX, wrapY; // NaN: the random coordinate
    };
    const float R = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {270, 100, 501, true, R, -20},    // below the bottom: back in at the top
        {270, 100, 500, false, 0, 0},     // on the limit: still moves
        {90, 100, -21, true, R, 500},     // above the top: back in at the bottom
        {90, 100, -20, false, 0, 0},
        {0, 661, 100, true, -20, R},      // past the right: back in on the left
        {0, 660, 100, false, 0, 0},
        {180, -21, 100, true, 660, R},    // past the left: back in on the right
        {180, -20, 100, false, 0, 0},
        {270, 100, -300, false, 0, 0},    // far above but moving down: just moves
        {0, -300, 100, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "angle " << c.angle << " at (" << c.x << ", " << c.y << ")");
        auto leaf = Leaf(c.angle, c.x, c.y);
        StreamAnimTime = 0.1f;
        srand(7);
        leaf->Update(&frame);
        srand(7);
        const float random = RandRange(0.0f, (c.angle == 0 || c.angle == 180) ? 480.0f : 640.0f);
        if (c.wraps) {
            EXPECT_FLOAT_EQ(std::isnan(c.wrapX) ? random : c.wrapX, leaf->X());
            EXPECT_FLOAT_EQ(std::isnan(c.wrapY) ? random : c.wrapY, leaf->Y());
        } else {
            const D3DXVECTOR2 step = LeafDriftStep(d.params, 1.0f, 0.1f, 0.1f);
            EXPECT_NEAR(c.x + step.x, leaf->X(), 1e-3f);
            EXPECT_NEAR(c.y + step.y, leaf->Y(), 1e-3f);
        }
    }
}

TEST(LeafDriftChange, ThresholdIsAHundredOverTheFrequency)
{
    struct Case {
        float now, last;
        uint32_t speed, frequency;
        bool due;
    };
    const Case cases[] = {
        {2.0f, 0.0f, 50, 10, false},   // 2 s × 50 × 0.1 = 10, not above 100 / 10
        {2.01f, 0.0f, 50, 10, true},
        {3.0f, 1.0f, 50, 10, false},   // counted from the last change
        {1.1f, 0.0f, 100, 10, true},   // twice the speed, half the time
        {1e6f, 0.0f, 50, 0, false},    // frequency 0: never
        {1e6f, 0.0f, 0, 10, false},    // speed 0: never
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.due, DriftChangeDue(c.now, c.last, c.speed, c.frequency))
            << c.now << " " << c.last << " " << c.speed << " " << c.frequency;
}

TEST_F(LeafDrift, ADueDriftChangeTossesACoinForANewFactor)
{
    d.params.driftChangeFrequency = 10;
    auto leaf = Leaf(270, 320, 240);
    leaf->driftFactor = 0.25f;

    StreamAnimTime = 2.0f; // not yet due: no draw at all
    srand(3);
    leaf->Update(&frame);
    EXPECT_EQ(0.25f, leaf->driftFactor);
    EXPECT_EQ(0.0f, leaf->lastDriftChange);

    // Due: a coin, then, when it is odd, the new factor 2r − 1.
    for (unsigned seed = 1; seed < 12; ++seed) {
        leaf->lastDriftChange = 0.0f;
        leaf->driftFactor = 0.25f;
        StreamAnimTime = 2.1f;
        srand(seed);
        leaf->Update(&frame);
        srand(seed);
        const bool change = CoinToss();
        const float expected = change ? 2.0f * RandUnit() - 1.0f : 0.25f;
        EXPECT_EQ(2.1f, leaf->lastDriftChange);
        EXPECT_EQ(expected, leaf->driftFactor) << seed;
    }
}

TEST_F(LeafDrift, FrequencyZeroNeverChangesTheDrift)
{
    auto leaf = Leaf(270, 320, 240);
    leaf->driftFactor = -0.75f;
    for (int i = 1; i <= 100; ++i) {
        StreamAnimTime = 1000.0f * i;
        leaf->Update(&frame);
    }
    EXPECT_EQ(-0.75f, leaf->driftFactor);
    EXPECT_EQ(0.0f, leaf->lastDriftChange);
}

// A new leaf draws 16 numbers: x, y, drift factor, speed factor, then a sign and a magnitude for
// each spin, then an on/off coin, a sign and a magnitude for each swing.
TEST_F(LeafDrift, ANewLeafDrawsItsPlaceSpeedSpinsAndSwings)
{
    for (unsigned seed : {1u, 2u, 99u}) {
        srand(seed);
        DS_LeafFallAnim leaf(&d.params);
        const int next = rand();

        srand(seed);
        EXPECT_EQ(RandRange(0, 640), leaf.X()) << seed;
        EXPECT_EQ(RandRange(0, 480), leaf.Y());
        EXPECT_EQ(0.0f, leaf.drift._43);
        EXPECT_EQ(2.0f * RandUnit() - 1.0f, leaf.driftFactor);
        EXPECT_EQ(0.07f + RandUnit() * 0.06f, leaf.speedFactor);
        for (const LeafTurn& spin : leaf.spins) {
            const float sign = CoinToss() ? -1.0f : 1.0f;
            const float magnitude = 7.0f + RandUnit() * 3.0f;
            EXPECT_EQ(sign * magnitude, spin.rate);
            EXPECT_EQ(spin.rate, spin.angle);
        }
        for (const LeafTurn& swing : leaf.swings) {
            const float on = CoinToss() ? 1.0f : 0.0f;
            const float sign = CoinToss() ? -1.0f : 1.0f;
            const float magnitude = 3.0f + RandUnit() * 4.0f;
            EXPECT_EQ(on * sign * magnitude, swing.rate);
            EXPECT_EQ(swing.rate, swing.angle);
        }
        EXPECT_EQ(next, rand()) << "a new leaf draws exactly 16 numbers";
        EXPECT_EQ(0.0f, leaf.lastTime);
        EXPECT_EQ(0.0f, leaf.dt);
        EXPECT_EQ(0.0f, leaf.lastDriftChange);
    }
}

TEST_F(LeafDrift, SpinsTurnWithSpinAndSwingsWithSway)
{
    struct Case {
        uint32_t spin, sway;
        float spinTurn, swingTurn; // degrees added in 0.1 s at rate 8 (spin) and 5 (swing)
    };
    const Case cases[] = {
        {100, 0, 32, 0},  // 8 × 0.1 × 100 × 0.4
        {0, 0, 0, 0},     // both frozen
        {0, 50, 0, 10},   // 5 × 0.1 × 50 × 0.4
        {50, 100, 16, 20},
    };
    for (const Case& c : cases) {
        d.params.spin = c.spin;
        d.params.sway = c.sway;
        auto leaf = Leaf(270, 320, 240);
        for (LeafTurn& t : leaf->spins)
            t = {8.0f, 1.0f};
        for (LeafTurn& t : leaf->swings)
            t = {5.0f, 2.0f};
        StreamAnimTime = 0.1f;
        leaf->Update(&frame);
        for (const LeafTurn& t : leaf->spins)
            EXPECT_NEAR(1.0f + c.spinTurn, t.angle, 1e-4f) << c.spin << "/" << c.sway;
        for (const LeafTurn& t : leaf->swings)
            EXPECT_NEAR(2.0f + c.swingTurn, t.angle, 1e-4f) << c.spin << "/" << c.sway;
    }
}

TEST(LeafScale, MakesTheSphereSizePixelsAcrossAndGuardsAMissingMesh)
{
    EXPECT_FLOAT_EQ(10.0f, LeafScale(40, 2.0f));
    EXPECT_FLOAT_EQ(0.5f, LeafScale(1, 1.0f));
    EXPECT_EQ(0.0f, LeafScale(0, 2.0f));
    for (float radius : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity()})
        EXPECT_EQ(0.0f, LeafScale(40, radius)) << radius;
}

TEST(LeafWorld, HangsTheLeafFiftyPixelsFromItsPivotAtItsPlace)
{
    D3DXMATRIX local, drift, world;
    D3DXMatrixTranslation(&local, -1.0f, -2.0f, 0.0f); // minus the sphere's centre (1, 2, 0)
    D3DXMatrixTranslation(&drift, 300.0f, 200.0f, 0.0f);
    LeafTurn still[3] = {};
    const D3DXVECTOR3 centre(1.0f, 2.0f, 0.0f), tip(3.0f, 2.0f, 0.0f);
    D3DXVECTOR3 out;

    // No turns: the centre lands on (x, y, 50); a point 2 to its right lies 2 × scale further.
    LeafWorld(world, local, 10.0f, still, still, drift);
    D3DXVec3TransformCoord(&out, &centre, &world);
    EXPECT_NEAR(300.0f, out.x, 1e-4f);
    EXPECT_NEAR(200.0f, out.y, 1e-4f);
    EXPECT_NEAR(50.0f, out.z, 1e-4f);
    D3DXVec3TransformCoord(&out, &tip, &world);
    EXPECT_NEAR(320.0f, out.x, 1e-4f);

    // A quarter turn of the first swing (about y) carries the pivot's 50 pixels onto x.
    LeafTurn swing[2] = {{0.0f, 90.0f}, {}};
    LeafWorld(world, local, 10.0f, still, swing, drift);
    D3DXVec3TransformCoord(&out, &centre, &world);
    EXPECT_NEAR(350.0f, out.x, 1e-3f);
    EXPECT_NEAR(200.0f, out.y, 1e-3f);
    EXPECT_NEAR(0.0f, out.z, 1e-3f);

    // The spins turn the leaf about its own centre: the centre stays put.
    LeafTurn spun[3] = {{0.0f, 33.0f}, {0.0f, -71.0f}, {0.0f, 140.0f}};
    LeafWorld(world, local, 10.0f, spun, still, drift);
    D3DXVec3TransformCoord(&out, &centre, &world);
    EXPECT_NEAR(300.0f, out.x, 1e-3f);
    EXPECT_NEAR(200.0f, out.y, 1e-3f);
    D3DXVec3TransformCoord(&out, &tip, &world);
    EXPECT_NEAR(20.0f, std::hypot(std::hypot(out.x - 300.0f, out.y - 200.0f), out.z - 50.0f), 1e-3f);
}

TEST_F(LeafDrift, WithoutAMeshTheLeafCollapsesToItsPlaceInsteadOfGoingInfinite)
{
    auto leaf = Leaf(270, 320, 240);
    for (LeafTurn& t : leaf->swings)
        t = {};
    StreamAnimTime = 0.1f;
    leaf->Update(&frame); // frame radius 0
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(std::isfinite(static_cast<const float*>(frame.world)[i])) << i;
    EXPECT_NEAR(320.0f, frame.world._41, 1e-3f);
    EXPECT_NEAR(265.0f, frame.world._42, 1e-3f);
    EXPECT_EQ(0.0f, frame.world._11);
}

// --- The leaves object, without a device: no mesh, no picture, but the leaves are made and move.

namespace {

class LeavesObject : public ::testing::Test {
protected:
    void SetUp() override
    {
        CurrentDevice = nullptr;
    }

    CurrentObjectsGuard currentObjects;
    StreamAnimTimeGuard clock{0.0f};
    CurrentManagerScope current;
    ObjectSpaceScope space{640, 480};
};

DS_LeafFallAnim* AnimationOf(DS_Frame* leaf)
{
    return dynamic_cast<DS_LeafFallAnim*>(leaf->animation);
}

} // namespace

TEST_F(LeavesObject, MakesOneLeafFramePerCountOverItsOwnClone)
{
    DS_3D_in_2D_array_Constructor d;
    d.count = 3;
    d.params.size = 40;
    std::unique_ptr<DS_ABObj> object(d.CreateObject());
    auto* leaves = dynamic_cast<DS_3D_in_2D_array*>(object.get());
    ASSERT_NE(nullptr, leaves);
    ASSERT_NE(&d, leaves->Description());
    EXPECT_EQ(leaves->Description(), leaves->description);
    ASSERT_EQ(3u, leaves->MeshFrame()->children.size());
    for (DS_Frame* leaf : leaves->MeshFrame()->children) {
        ASSERT_NE(nullptr, AnimationOf(leaf));
        // The animation reads the clone's values, not the original's.
        EXPECT_EQ(&leaves->Description()->params, AnimationOf(leaf)->params);
    }
    // Nothing loaded: nothing to draw.
    EXPECT_FALSE(leaves->MeshFrame()->vertices.buffer);
    EXPECT_FALSE(leaves->MeshFrame()->indexBuffer);
    EXPECT_EQ(0u, leaves->MeshFrame()->triangleCount);
    EXPECT_FALSE(leaves->MeshFrame()->texture);

    // The count is fixed at creation; the other values are read live.
    leaves->Description()->count = 10;
    leaves->Description()->SetAngle(0);
    StreamAnimTime = 0.1f;
    DS_LeafFallAnim* first = AnimationOf(leaves->MeshFrame()->children.front());
    const float x = first->X(), y = first->Y();
    leaves->Update(0.1f);
    EXPECT_EQ(3u, leaves->MeshFrame()->children.size());
    EXPECT_GT(first->X(), x);
    EXPECT_FLOAT_EQ(y, first->Y());
}

TEST_F(LeavesObject, ADefaultDescriptionMakesNoLeaves)
{
    DS_3D_in_2D_array_Constructor d;
    std::unique_ptr<DS_ABObj> object(d.CreateObject());
    auto* leaves = dynamic_cast<DS_3D_in_2D_array*>(object.get());
    ASSERT_NE(nullptr, leaves);
    EXPECT_TRUE(leaves->MeshFrame()->children.empty());
    leaves->Update(1.0f);
    EXPECT_EQ(1.0f, StreamAnimTime);
}

TEST_F(LeavesObject, UpdateSetsTheStreamTimeAndMovesEveryLeafUnderTheMeshFrame)
{
    DS_3D_in_2D_array_Constructor d;
    d.count = 5;
    d.params.size = 40;
    d.SetAngle(270);
    DS_3D_in_2D_array leaves(new DS_3D_in_2D_array_Constructor(d));
    std::vector<float> before;
    for (DS_Frame* leaf : leaves.MeshFrame()->children)
        before.push_back(AnimationOf(leaf)->Y());
    leaves.Update(0.05f);
    EXPECT_EQ(0.05f, StreamAnimTime);
    size_t i = 0;
    for (DS_Frame* leaf : leaves.MeshFrame()->children) {
        DS_LeafFallAnim* a = AnimationOf(leaf);
        EXPECT_EQ(0.05f, a->dt);
        EXPECT_NEAR(before[i] + 50.0f * a->speedFactor * 0.05f * 50.0f, a->Y(), 1e-3f);
        // The mesh frame stays where it is, so each leaf's world is its own animation's.
        D3DXMATRIX expected;
        LeafWorld(expected, leaf->local, 0.0f, a->spins, a->swings, a->drift);
        for (int k = 0; k < 16; ++k)
            EXPECT_FLOAT_EQ(static_cast<const float*>(expected)[k], static_cast<const float*>(leaf->world)[k]);
        ++i;
    }
}

TEST_F(LeavesObject, ADamagedCountIsCapped)
{
    DS_3D_in_2D_array_Constructor d;
    d.count = 0xFFFFFFFFu;
    DS_3D_in_2D_array leaves(new DS_3D_in_2D_array_Constructor(d));
    EXPECT_EQ(size_t(DS_3D_in_2D_array_Constructor::kMaxLeaves), leaves.MeshFrame()->children.size());
}
