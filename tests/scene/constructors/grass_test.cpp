// The grass kind: blades stand on the rectangle's bottom edge, their feet stay put while their
// tops sway by at most the amplitude, and the record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "SpriteKindFixtures.h"
#include "scene/constructors/DS_GrassConstructor.h"

namespace {

class GrassTest : public ::testing::Test {
protected:
    // A clone whose rectangle ends at half the view's height (bottom edge 240).
    std::unique_ptr<DS_GrassConstructor> Grass(float amplitude)
    {
        DS_GrassConstructor d;
        d.bottomFraction = 0.5f;
        d.amplitude = amplitude;
        return CloneOf(d);
    }

    // A blade 40 pixels tall (half height 20) just placed by InitSprite after srand(1).
    DS_Sprite PlacedBlade(DS_GrassConstructor& grass)
    {
        DS_Sprite s = SpriteAt(100, 100);
        s.halfWidth = 10.0f;
        s.halfHeight = 20.0f;
        s.textureAspect = 2.0f;
        std::srand(1);
        grass.InitSprite(&s);
        return s;
    }

    ObjectSpaceScope space{640, 480};
};

TEST(SwayShear, IsTheTangentOfTheLean)
{
    EXPECT_NEAR(std::tan(3.0 * 3.14159265 / 180.0), SwayShear(3.0f, 1.5707964f), 1e-5);
    EXPECT_NEAR(-std::tan(3.0 * 3.14159265 / 180.0), SwayShear(3.0f, -1.5707964f), 1e-5);
    EXPECT_LT(std::fabs(SwayShear(0.0f, 0.7f)), 1e-6f);
}

TEST_F(GrassTest, BladesStandOnTheBottomEdge)
{
    auto grass = Grass(3.0f);
    const DS_Sprite s = PlacedBlade(*grass);
    EXPECT_NEAR(0.80081f, s.position.x, 1e-4);
    EXPECT_EQ(s.position.x, s.swayFactor) << "the root x";
    EXPECT_EQ(220.0f, s.position.y);
    EXPECT_NEAR(0.8852778f, s.velocityY, 1e-6) << "the phase";
    EXPECT_EQ(1.0f, s.axisX.x) << "6334 is even: not mirrored";
}

TEST_F(GrassTest, AboutHalfTheBladesAreMirrored)
{
    auto grass = Grass(3.0f);
    int mirrored = 0;
    std::srand(7);
    for (int i = 0; i < 200; ++i) {
        DS_Sprite s = SpriteAt(0, 0);
        grass->InitSprite(&s);
        mirrored += s.axisX.x < 0.0f ? 1 : 0;
    }
    EXPECT_GT(mirrored, 70);
    EXPECT_LT(mirrored, 130);
}

TEST_F(GrassTest, TheFootStaysWhileTheTopSways)
{
    struct Case {
        float amplitude;
        float maxShear;
    };
    for (const Case c : {Case{3.0f, 0.0524078f}, Case{0.0f, 1e-6f}}) {
        SCOPED_TRACE(c.amplitude);
        auto grass = Grass(c.amplitude);
        DS_Sprite s = PlacedBlade(*grass);
        const float root = s.swayFactor;
        float widest = 0.0f;
        for (int frame = 1; frame <= 200; ++frame) {
            grass->UpdateTime(0.05f * frame);
            grass->UpdateSprite(&s);
            const float k = s.axisY.x;
            EXPECT_LE(std::fabs(k), c.maxShear) << frame;
            widest = std::max(widest, std::fabs(k));
            EXPECT_NEAR(root, s.position.x + s.halfHeight * k, 1e-3) << frame;
            EXPECT_NEAR(240.0f, s.position.y + s.halfHeight * s.axisY.y, 1e-3) << frame;
        }
        if (c.amplitude > 0.0f) {
            EXPECT_GT(widest, 0.05f) << "it sways nearly the whole amplitude";
        }
    }
}

TEST_F(GrassTest, BeforeObjectSpaceHasASizeBladesStayFinite)
{
    auto grass = Grass(3.0f);
    DS_Sprite s = PlacedBlade(*grass);
    ObjectSpaceScope none(0, 0);
    StepFrame(*grass, s, 1);
    EXPECT_TRUE(std::isfinite(s.position.x));
    EXPECT_TRUE(std::isfinite(s.axisY.x));
}

TEST_F(GrassTest, RecordRoundTripAndDamage)
{
    DS_GrassConstructor d;
    d.amplitude = 4.5f;
    d.count.value = 60;
    DocumentWriter hand;
    hand.String(L"DS_GrassConstructor");
    hand.UInt(1);
    hand.Float(4.5f);
    d.WriteRecord(&hand);
    const std::vector<uint8_t> bytes = RecordBytes(d);
    EXPECT_EQ(hand.bytes, bytes);

    auto read = ReadKind<DS_GrassConstructor>(bytes);
    ASSERT_NE(nullptr, read);
    EXPECT_EQ(4.5f, read->amplitude);
    EXPECT_EQ(60u, read->count.value);
    ExpectEveryTruncationFails(bytes);
}

} // namespace
