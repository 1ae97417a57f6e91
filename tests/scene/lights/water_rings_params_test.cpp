// The water-ring light's arithmetic without a device: what a slide's levels set, the damping,
// the orthographic extents and the drop timing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <ostream>
#include <vector>

#include "document/SceneDoc.h"
#include "scene/lights/DS_WaterRingLight.h"

namespace {

struct DampingCase {
    uint32_t level;
    float damping;
};

class WaterDampingTest : public ::testing::TestWithParam<DampingCase> {};

TEST_P(WaterDampingTest, RisesInTwoSlopesAndStopsAt100)
{
    EXPECT_NEAR(GetParam().damping, DampingFromLevel(GetParam().level), 1e-6f) << "level " << GetParam().level;
}

INSTANTIATE_TEST_SUITE_P(Levels, WaterDampingTest,
                         ::testing::Values(DampingCase{0, 0.9f}, DampingCase{49, 0.9882f}, DampingCase{50, 0.99f},
                                           DampingCase{60, 0.9918f}, DampingCase{100, 0.999f},
                                           DampingCase{200, 0.999f},         // clamped: never above 1
                                           DampingCase{0xFFFFFFFFu, 0.999f}));

// One level set on a slide, the rest 0, and the field it moves.
struct LevelCase {
    int index;
    uint32_t level;
    float RingsParams::*field;
    float expected;
    const char* name;
};

void PrintTo(const LevelCase& c, std::ostream* os)
{
    *os << c.name << " from levels[" << c.index << "] = " << c.level;
}

class RingsParamsTest : public ::testing::TestWithParam<LevelCase> {};

TEST_P(RingsParamsTest, ComeFromTheSlideLevels)
{
    const LevelCase& c = GetParam();
    SlideRecord slide;
    slide.levels[3] = 30; // so that the other cases have a finite interval
    slide.levels[c.index] = c.level;
    EXPECT_NEAR(c.expected, RingsParamsFromSlide(slide).*c.field, 1e-5f);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, RingsParamsTest,
    ::testing::Values(LevelCase{3, 60, &RingsParams::dropInterval, 1.0f, "one drop a second"},
                      LevelCase{3, 30, &RingsParams::dropInterval, 2.0f, "one drop every 2 s"},
                      LevelCase{8, 50, &RingsParams::specularPower, 40.0f, "specular power"},
                      LevelCase{7, 90, &RingsParams::specularLevel, 0.9f, "specular level"},
                      LevelCase{1, 0, &RingsParams::heightScale, 1.0f, "height scale"},
                      LevelCase{1, 50, &RingsParams::heightScale, 2.0f, "height scale"},
                      LevelCase{4, 0, &RingsParams::dropStrength, 0.1f, "drop strength"},
                      LevelCase{4, 100, &RingsParams::dropStrength, 0.8f, "drop strength"},
                      LevelCase{5, 49, &RingsParams::damping, 0.9882f, "damping"},
                      LevelCase{6, 20, &RingsParams::refractionDepth, 0.2f, "refraction depth"}));

TEST(RingsParamsTest, DensitiesPassThroughAndNoDropsMeansNoInterval)
{
    SlideRecord slide;
    slide.levels[0] = 25;
    slide.levels[2] = 75;
    const RingsParams p = RingsParamsFromSlide(slide);
    EXPECT_EQ(25u, p.rowDensityLevel);
    EXPECT_EQ(75u, p.columnDensityLevel);
    EXPECT_TRUE(std::isinf(p.dropInterval)) << "levels[3] = 0: no drops after the first";
    EXPECT_FALSE(DropDue(1e30f, 0.0f, p.dropInterval));
}

TEST(RingsParamsTest, UnsetParametersKeepTheInitialValues)
{
    const RingsParams p;
    EXPECT_EQ(2.0f, p.dropInterval);
    EXPECT_EQ(0.9f, p.specularLevel);
    EXPECT_EQ(40.0f, p.specularPower);
}

struct ExtentsCase {
    uint32_t width, height;
    float aspect;
    bool stretch;
    float halfWidth, halfHeight;
};

void PrintTo(const ExtentsCase& c, std::ostream* os)
{
    *os << "aspect " << c.aspect << " on " << c.width << " x " << c.height << (c.stretch ? ", stretched" : "");
}

class WaterExtentsTest : public ::testing::TestWithParam<ExtentsCase> {};

TEST_P(WaterExtentsTest, FitTheSurfaceToTheScreen)
{
    const ExtentsCase& c = GetParam();
    const WaterExtents e = WaterOrthoExtents(c.width, c.height, c.aspect, c.stretch);
    EXPECT_NEAR(c.halfWidth, e.halfWidth, 1e-3f);
    EXPECT_NEAR(c.halfHeight, e.halfHeight, 1e-3f);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, WaterExtentsTest,
    ::testing::Values(ExtentsCase{1920, 1080, 0.75f, false, 26.667f, 15.0f}, // 4:3 on 16:9: side margins
                      ExtentsCase{1024, 768, 0.5625f, false, 26.667f, 20.0f}, // 16:9 on 4:3: bands above and below
                      ExtentsCase{1024, 768, 0.75f, false, 20.0f, 15.0f},     // the same proportions: no margins
                      ExtentsCase{1920, 1080, 0.75f, true, 20.0f, 15.0f},     // stretched: the surface fills it
                      ExtentsCase{1024, 768, 0.5625f, true, 26.667f, 15.0f}));

TEST(WaterExtentsTest, APictureWithoutASizeCountsAsFourByThree)
{
    EXPECT_EQ(0.75f, WaterPictureAspect(0, 600));
    EXPECT_EQ(0.75f, WaterPictureAspect(800, 0));
    EXPECT_EQ(0.5f, WaterPictureAspect(512, 256));
}

TEST(WaterDropTimingTest, OneDropPerIntervalAndASingleOneAfterAPause)
{
    float last = 0.0f;
    std::vector<float> drops;
    for (float t : {0.5f, 1.5f, 2.1f, 2.2f, 10.0f, 10.5f}) {
        if (DropDue(t, last, 2.0f)) {
            drops.push_back(t);
            last = t;
        }
    }
    EXPECT_EQ((std::vector<float>{2.1f, 10.0f}), drops);
}

} // namespace
