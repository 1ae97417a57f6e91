// The arithmetic of a sprite array's mesh, kept apart from the device so it can be checked
// on its own: the four vertices of a sprite's quad, the index pattern, the strip-frame step and
// the texture-frame advance.
//
// Quad i uses vertices 4i to 4i + 3 and indices 6i to 6i + 5 (4i, 4i+1, 4i+2, 4i+2, 4i+1, 4i+3):
// a triangle list of 4n vertices and 2n triangles.
#pragma once

#include <cstddef>
#include <cstdint>

#include "scene/objects/DS_Sprite.h"

// Writes the quad of `sprite` into out[0..3] (any vertex type with x, y, z, colour, u, v):
// corner = TopLeft, A = axisX × 2 halfWidth, B = axisY × 2 halfHeight; the vertices are
// corner + B, corner, corner + A + B, corner + A, with texture coordinates (u0, 1), (u0, 0),
// (u1, 1), (u1, 0), all in the sprite's colour.
template <class V>
void WriteSpriteQuad(const DS_Sprite& sprite, float u0, float u1, V out[4])
{
    const SpriteVec3 c = sprite.TopLeft();
    const float w = 2.0f * sprite.halfWidth;
    const float h = 2.0f * sprite.halfHeight;
    const SpriteVec3 a{sprite.axisX.x * w, sprite.axisX.y * w, sprite.axisX.z * w};
    const SpriteVec3 b{sprite.axisY.x * h, sprite.axisY.y * h, sprite.axisY.z * h};

    const SpriteVec3 corners[4] = {
        {c.x + b.x, c.y + b.y, c.z + b.z},
        c,
        {c.x + a.x + b.x, c.y + a.y + b.y, c.z + a.z + b.z},
        {c.x + a.x, c.y + a.y, c.z + a.z},
    };
    const float us[4] = {u0, u0, u1, u1};
    const float vs[4] = {1.0f, 0.0f, 1.0f, 0.0f};
    for (int k = 0; k < 4; ++k) {
        out[k].x = corners[k].x;
        out[k].y = corners[k].y;
        out[k].z = corners[k].z;
        out[k].colour = sprite.colour;
        out[k].u = us[k];
        out[k].v = vs[k];
    }
}

// Fills out[0 .. 6n − 1] with the index pattern of n quads (n at most 16384).
void FillQuadIndices(uint32_t quadCount, uint16_t* out);

// The strip frame shown by every sprite of an array, and the time it last changed.
struct StripState {
    uint32_t frame = 0;
    float time = 0.0f; // application time of the last change
};

// One strip step at application time `appTime` for `frames` frames (0 counts as 1) shown
// `rate` per second: the frame moves on once more than 1 / rate seconds have passed; a clock
// that went back restarts the timing. Gives the frame's texture range [u0, u1].
void StripStep(StripState& strip, uint32_t frames, float rate, float appTime, float& u0, float& u1);

// The texture frame shown after one advance at object time t. Moves on by one, wrapping at the
// smaller of the frame and frame-time counts, when more than frameTimes[current] seconds have
// passed since lastSwitch (which it then sets to t). Nothing happens without frame times or
// without frames.
void AdvanceFrameIndex(uint32_t& current, float& lastSwitch, float t, const float* frameTimes, size_t timeCount,
                       size_t frameCount);
