#include "host/player/SlideTiming.h"

#include "document/SceneDoc.h"

float SlideSeconds(int32_t stored)
{
    return static_cast<float>(static_cast<uint32_t>(stored));
}

SlideTimes SlideTimesOf(const SlideRecord& slide)
{
    SlideTimes times;
    times.fadeIn = SlideSeconds(slide.fadeInSeconds);
    times.hold = SlideSeconds(slide.holdSeconds);
    times.fadeOut = SlideSeconds(slide.fadeOutSeconds);
    return times;
}

bool SlideExpired(const SlideTimes& times, float elapsed)
{
    const float clearEnd = times.fadeIn + times.hold;
    return elapsed > clearEnd + times.fadeOut;
}

float FadeLevel(const SlideTimes& times, float elapsed)
{
    const float clearEnd = times.fadeIn + times.hold;
    if (elapsed < times.fadeIn)
        return (times.fadeIn - elapsed) / times.fadeIn;
    if (elapsed > clearEnd)
        return times.fadeOut > 0 ? (elapsed - clearEnd) / times.fadeOut : 1.0f;
    return 0.0f;
}

uint32_t NextSlideIndex(uint32_t index, uint32_t slideCount)
{
    const uint32_t next = index + 1;
    return next >= slideCount ? 0 : next;
}

float SpeedFactor(uint32_t speed)
{
    return static_cast<float>(speed) / 50.0f;
}
