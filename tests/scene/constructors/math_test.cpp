#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

#include "scene/common/SceneMath.h"

TEST(SceneMath, RandomDrawsFollowTheSeededSequence)
{
    // srand(1) gives 41, 18467, 6334, ...
    std::srand(1);
    EXPECT_FLOAT_EQ(RandUnit(), static_cast<float>(41 / 32767.0));
    EXPECT_FLOAT_EQ(RandRange(10.0f, 20.0f), 10.0f + static_cast<float>(18467 / 32767.0) * 10.0f);
    EXPECT_FALSE(CoinToss()); // 6334 is even
}

TEST(SceneMath, RandRangeMayRunBackwards)
{
    std::srand(1);
    const float r = static_cast<float>(41 / 32767.0);
    EXPECT_FLOAT_EQ(RandRange(5.0f, -5.0f), 5.0f + r * -10.0f);
}

TEST(SceneMath, TruncationIsTowardZeroAndChecked)
{
    struct Case {
        double in;
        int32_t out;
    } cases[] = {
        {255.75, 255},
        {-0.9, 0},
        {-3.5, -3},
        {2147483647.0, 2147483647},
        {1e30, std::numeric_limits<int32_t>::max()},
        {-1e30, std::numeric_limits<int32_t>::min()},
        {std::numeric_limits<double>::infinity(), std::numeric_limits<int32_t>::max()},
        {std::nan(""), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TruncToInt32(c.in), c.out) << c.in;
}

TEST(SceneMath, ObjectClockStepIsClampedAndScaledBySpeed)
{
    struct Case {
        float appTime, last;
        unsigned speed;
        float step;
    } cases[] = {
        {3.0f, 0.0f, 50, 0.2f},   // a jump is clamped to 0.2 s
        {0.1f, 0.0f, 100, 0.2f},  // twice as fast
        {1.0f, 0.5f, 0, 0.0f},    // speed 0 stands still
        {4.9f, 5.0f, 50, 0.1f},   // time running back still advances
        {0.05f, 0.0f, 25, 0.025f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(ObjectClockStep(c.appTime, c.last, c.speed), c.step, 1e-6f) << c.appTime << " " << c.speed;
}
