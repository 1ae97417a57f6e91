#include <gtest/gtest.h>

#include <cstdint>

#include "document/SceneDoc.h"
#include "host/player/SlideTiming.h"
#include "scene/render/ScreenQuad.h"

namespace {

struct FadeCase {
    float fadeIn, hold, fadeOut;
    float elapsed;
    bool expired;
    float level;
    uint8_t alpha;
};

// Fade-in 2, hold 5, fade-out 3 unless a row says otherwise.
const FadeCase kFadeCases[] = {
    {2, 5, 3, 0.0f, false, 1.0f, 255},
    {2, 5, 3, 1.0f, false, 0.5f, 127},
    {2, 5, 3, 1.5f, false, 0.25f, 63},
    {2, 5, 3, 2.0f, false, 0.0f, 0},
    {2, 5, 3, 4.0f, false, 0.0f, 0},
    {2, 5, 3, 7.0f, false, 0.0f, 0},     // end of the hold: still clear
    {2, 5, 3, 8.5f, false, 0.5f, 127},
    {2, 5, 3, 10.0f, false, 1.0f, 255},  // exactly the whole length: no switch yet
    {2, 5, 3, 10.25f, true, 1.0f, 255},
    {0, 5, 0, 0.0f, false, 0.0f, 0},     // no fades: clear from the first frame
    {0, 5, 0, 5.0f, false, 0.0f, 0},
    {0, 5, 0, 5.01f, true, 1.0f, 255},
    {0, 5, 3, 0.0f, false, 0.0f, 0},
    {2, 5, 0, 7.0f, false, 0.0f, 0},     // fade-out 0: clear to the end
    {2, 5, 0, 7.1f, true, 1.0f, 255},
};

TEST(SlideTiming, FadeLevelAndExpiryThroughOneSlide)
{
    for (const FadeCase& c : kFadeCases) {
        SCOPED_TRACE(testing::Message() << "in " << c.fadeIn << " hold " << c.hold << " out " << c.fadeOut
                                        << " at " << c.elapsed);
        const SlideTimes times{c.fadeIn, c.hold, c.fadeOut};
        EXPECT_EQ(SlideExpired(times, c.elapsed), c.expired);
        if (!c.expired) {
            EXPECT_FLOAT_EQ(FadeLevel(times, c.elapsed), c.level);
            EXPECT_EQ(AlphaByte(FadeLevel(times, c.elapsed)), c.alpha);
        }
    }
}

TEST(SlideTiming, StoredTimesAreReadAsUnsigned)
{
    EXPECT_FLOAT_EQ(SlideSeconds(3), 3.0f);
    EXPECT_FLOAT_EQ(SlideSeconds(0), 0.0f);
    EXPECT_FLOAT_EQ(SlideSeconds(-1), 4294967295.0f);

    SlideRecord slide;
    slide.fadeInSeconds = -1;
    slide.holdSeconds = 5;
    slide.fadeOutSeconds = 3;
    const SlideTimes times = SlideTimesOf(slide);
    EXPECT_FLOAT_EQ(times.hold, 5.0f);
    EXPECT_FLOAT_EQ(times.fadeOut, 3.0f);
    // A fade-in of "-1" never clears within any real run.
    EXPECT_GT(FadeLevel(times, 3600.0f * 24 * 365), 0.99f);
    EXPECT_FALSE(SlideExpired(times, 3600.0f * 24 * 365));
}

TEST(SlideTiming, NextSlideWrapsToTheFirst)
{
    EXPECT_EQ(NextSlideIndex(0, 3), 1u);
    EXPECT_EQ(NextSlideIndex(1, 3), 2u);
    EXPECT_EQ(NextSlideIndex(2, 3), 0u);
    EXPECT_EQ(NextSlideIndex(0, 2), 1u);
    EXPECT_EQ(NextSlideIndex(1, 2), 0u);
}

TEST(SlideTiming, SpeedFiftyIsNormal)
{
    EXPECT_FLOAT_EQ(SpeedFactor(50), 1.0f);
    EXPECT_FLOAT_EQ(SpeedFactor(100), 2.0f);
    EXPECT_FLOAT_EQ(SpeedFactor(0), 0.0f);
    EXPECT_FLOAT_EQ(SpeedFactor(1), 0.02f);
}

} // namespace
