#include "document/params/ScaledParam.h"
#include "Recorder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

UINTSclaleTo<unsigned char> OpacityScaler()
{
    UINTSclaleTo<unsigned char> p;
    p.SetScaling(-2.55f, 255.0f);
    return p;
}

}  // namespace

TEST(UINTSclaleTo, ByteScalerFollowsTheValue)
{
    struct Case {
        unsigned int value;
        unsigned char scaled;
    };
    // 101 gives 255 - 257.55 = -2.55, truncated -2, whose low byte is 254.
    const Case cases[] = {{0, 255}, {1, 252}, {50, 127}, {100, 0}, {101, 254}};

    UINTSclaleTo<unsigned char> p = OpacityScaler();
    for (const Case& c : cases) {
        p.SetValue(c.value, nullptr);
        EXPECT_EQ(p.scaled, c.scaled) << "value " << c.value;
    }
}

TEST(UINTSclaleTo, FloatScalerFollowsTheValue)
{
    struct Case {
        float scale, offset;
        unsigned int value;
        float scaled;
    };
    const Case cases[] = {{0.001f, 0.0f, 50, 0.05f}, {0.002f, 0.0f, 25, 0.05f}, {-0.009f, 1.0f, 88, 0.208f}};
    for (const Case& c : cases) {
        MediaSpeedParam p;
        p.SetScaling(c.scale, c.offset);
        p.SetValue(c.value, nullptr);
        EXPECT_NEAR(p.scaled, c.scaled, 1e-6f) << "scale " << c.scale << " value " << c.value;
    }
}

TEST(UINTSclaleTo, StartsAtZeroWithUnitScale)
{
    UINTSclaleTo<float> f;
    EXPECT_EQ(f.value, 0u);
    EXPECT_EQ(f.scale, 1.0f);
    EXPECT_EQ(f.offset, 0.0f);
    EXPECT_EQ(f.scaled, 0.0f);
    // Undo control first, the scaler second.
    ASSERT_EQ(f.Controls().size(), 2u);
    EXPECT_EQ(f.Controls().front(), &f.UndoControl());
    EXPECT_EQ(f.Controls().back(), static_cast<MediaControl*>(&f));
}

TEST(UINTSclaleTo, LaterListenersSeeTheDerivedValueAlreadyCurrent)
{
    std::vector<std::string> log;
    UINTSclaleTo<unsigned char> p = OpacityScaler();
    Recorder<unsigned int> later("later", log, &p);
    unsigned char seenScaled = 0;
    later.onChange = [&] { seenScaled = p.scaled; };
    p.SetValue(50, nullptr);
    EXPECT_EQ(seenScaled, 127);
}

TEST(UINTSclaleTo, SetFromScaledInvertsTheScale)
{
    struct Case {
        float x;
        unsigned int value;
    };
    const Case cases[] = {{127.5f, 50}, {0.0f, 100}, {255.0f, 0}};
    for (const Case& c : cases) {
        UINTSclaleTo<unsigned char> p = OpacityScaler();
        p.value = 7;
        p.SetFromScaled(c.x);
        EXPECT_EQ(p.value, c.value) << "x " << c.x;
    }
}

TEST(UINTSclaleTo, SetFromScaledTakesTheLow32BitsOfANegativeResult)
{
    UINTSclaleTo<float> p;  // scale 1, offset 0
    p.SetFromScaled(-1.5f);
    EXPECT_EQ(p.value, 0xFFFFFFFFu);
    EXPECT_EQ(p.scaled, 4294967295.0f);
}

TEST(UINTSclaleTo, SetFromScaledWithoutAnAnswerLeavesTheValue)
{
    std::vector<std::string> log;
    UINTSclaleTo<float> p;
    p.value = 7;
    Recorder<unsigned int> r("r", log, &p);

    p.SetScaling(0.0f, 1.0f);
    p.SetFromScaled(5.0f);  // no value maps to 5 with scale 0
    EXPECT_EQ(p.value, 7u);

    p.SetScaling(1.0f, 0.0f);
    p.SetFromScaled(std::numeric_limits<float>::quiet_NaN());
    p.SetFromScaled(std::numeric_limits<float>::infinity());
    p.SetFromScaled(1e30f);
    EXPECT_EQ(p.value, 7u);
    EXPECT_TRUE(log.empty());
}

TEST(UINTSclaleTo, SetFromScaledNotifiesThroughSetValue)
{
    std::vector<std::string> log;
    UINTSclaleTo<unsigned char> p = OpacityScaler();
    Recorder<unsigned int> r("r", log, &p);
    p.SetFromScaled(127.5f);
    EXPECT_EQ(log, std::vector<std::string>{"r"});
    EXPECT_EQ(r.lastSource, nullptr);
    EXPECT_EQ(p.scaled, 127);
    EXPECT_EQ(p.UndoControl().Cached(), 50u);
}

TEST(UINTSclaleTo, LowByteOfLargeAndOddValues)
{
    EXPECT_EQ(LowByteTowardZero(255.9f), 255);
    EXPECT_EQ(LowByteTowardZero(256.0f), 0);
    EXPECT_EQ(LowByteTowardZero(-0.9f), 0);
    EXPECT_EQ(LowByteTowardZero(4294967552.0f), 0);  // 2^32 + 256
    EXPECT_EQ(LowByteTowardZero(-2147483904.0f), 0);  // beyond int32, a multiple of 256
    EXPECT_EQ(LowByteTowardZero(1e30f), 0);
    EXPECT_EQ(LowByteTowardZero(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(UINTSclaleTo, CopyRecomputesAndListensToItself)
{
    std::vector<std::string> log;
    UINTSclaleTo<unsigned char> original = OpacityScaler();
    original.SetValue(50, nullptr);
    Recorder<unsigned int> r("r", log, &original);

    UINTSclaleTo<unsigned char> copy(original);
    EXPECT_EQ(copy.value, 50u);
    EXPECT_EQ(copy.scale, -2.55f);
    EXPECT_EQ(copy.offset, 255.0f);
    EXPECT_EQ(copy.scaled, 127);
    ASSERT_EQ(copy.Controls().size(), 2u);
    EXPECT_EQ(copy.param, &copy);

    // A change of the copy moves the copy's derived value only.
    copy.SetValue(0, nullptr);
    EXPECT_EQ(copy.scaled, 255);
    EXPECT_EQ(original.scaled, 127);
    EXPECT_TRUE(log.empty());
}

TEST(UINTSclaleTo, AssignmentTakesValueAndScalingAndKeepsOwnListeners)
{
    std::vector<std::string> log;
    UINTSclaleTo<unsigned char> source = OpacityScaler();
    source.SetValue(100, nullptr);
    UINTSclaleTo<unsigned char> target;
    Recorder<unsigned int> r("r", log, &target);

    target = source;
    EXPECT_EQ(target.value, 100u);
    EXPECT_EQ(target.scaled, 0);
    EXPECT_EQ(target.param, &target);
    EXPECT_EQ(target.Controls().size(), 3u);
    EXPECT_TRUE(log.empty());
}

TEST(MediaFloat, BehavesLikeTheFloatScaler)
{
    MediaFloat<unsigned int> sway;
    sway.SetScaling(3.0f, 0.0f);
    EXPECT_EQ(sway.scaled, 0.0f);
    sway.SetFromScaled(7.5f);
    EXPECT_EQ(sway.value, 2u);
    EXPECT_EQ(sway.scaled, 6.0f);

    MediaFloat<unsigned int> copy(sway);
    EXPECT_EQ(copy.scaled, 6.0f);
    copy.SetValue(3, nullptr);
    EXPECT_EQ(copy.scaled, 9.0f);
    EXPECT_EQ(sway.scaled, 6.0f);
}

TEST(MediaFloat, ListenersOutlivingTheParameterAreDetached)
{
    std::vector<std::string> log;
    auto p = std::make_unique<MediaFloat<unsigned int>>();
    Recorder<unsigned int> r("r", log, p.get());
    p.reset();
    EXPECT_EQ(r.param, nullptr);
}
