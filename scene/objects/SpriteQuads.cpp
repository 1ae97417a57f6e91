#include "scene/objects/SpriteQuads.h"

#include <algorithm>

void FillQuadIndices(uint32_t quadCount, uint16_t* out)
{
    for (uint32_t i = 0; i < quadCount; ++i) {
        const uint16_t v = static_cast<uint16_t>(4 * i);
        uint16_t* q = out + 6 * i;
        q[0] = v;
        q[1] = static_cast<uint16_t>(v + 1);
        q[2] = static_cast<uint16_t>(v + 2);
        q[3] = static_cast<uint16_t>(v + 2);
        q[4] = static_cast<uint16_t>(v + 1);
        q[5] = static_cast<uint16_t>(v + 3);
    }
}

void StripStep(StripState& strip, uint32_t frames, float rate, float appTime, float& u0, float& u1)
{
    const uint32_t n = frames == 0 ? 1 : frames;
    const float period = 1.0f / rate; // a rate of 0 never moves on
    if (period < appTime - strip.time) {
        strip.frame = (strip.frame + 1) % n;
        strip.time = appTime;
    } else if (strip.time > appTime) {
        strip.time = 0.0f;
    }
    const float width = 1.0f / static_cast<float>(n);
    u0 = static_cast<float>(strip.frame) * width;
    u1 = static_cast<float>(strip.frame + 1) * width;
}

void AdvanceFrameIndex(uint32_t& current, float& lastSwitch, float t, const float* frameTimes, size_t timeCount,
                       size_t frameCount)
{
    const size_t wrap = std::min(timeCount, frameCount);
    if (wrap == 0)
        return;
    if (current >= wrap)
        current = 0;
    if (t - lastSwitch > frameTimes[current]) {
        lastSwitch = t;
        current = static_cast<uint32_t>((current + 1) % wrap);
    }
}
