// The arithmetic of the slide show: how long a slide lasts, how dark its fade quad is at a given
// moment, which slide follows, and the time a slide's light is handed.
//
// A slide is black at its start (when it has a fade-in), clears over its fade-in, stays clear for
// its hold time, darkens over its fade-out and is then replaced. The times are stored as int32
// but read as unsigned, so a stored -1 lasts 4294967295 seconds.
#pragma once

#include <cstdint>

struct SlideRecord;

// A stored slide time as the player reads it: taken as unsigned 32-bit, then made a float.
float SlideSeconds(int32_t stored);

struct SlideTimes {
    float fadeIn = 0;
    float hold = 0;
    float fadeOut = 0;
};

SlideTimes SlideTimesOf(const SlideRecord& slide);

// True once `elapsed` seconds since the slide began lie strictly beyond fade-in + hold + fade-out.
bool SlideExpired(const SlideTimes& times, float elapsed);

// The fade level (0 clear, 1 black) `elapsed` seconds into a slide: (in - a) / in during the
// fade-in, (a - (in + hold)) / out during the fade-out, 0 in between.
float FadeLevel(const SlideTimes& times, float elapsed);

// The slide after `index`, back to 0 after the last one.
uint32_t NextSlideIndex(uint32_t index, uint32_t slideCount);

// A slide's speed as the factor its light runs at: 50 is normal speed.
float SpeedFactor(uint32_t speed);
