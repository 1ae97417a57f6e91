// DS_WaterRingLight: the light of water-ring slides. The slide picture is the texture of a lit,
// rippling water surface seen straight from above; drops fall at a set rate, rings spread and
// fade, the picture is refracted through the moving surface and a directional light adds
// specular glints.
//
// Also here, free of the device: what a slide's levels set, the damping of a damping level, the
// half extents of the orthographic view onto the water, and when the next drop is due.
#pragma once

#include <cstdint>

struct SlideRecord;

// What the levels of a water-ring slide set.
struct RingsParams {
    uint32_t rowDensityLevel = 0;    // levels[0]: rows per column, 1 + level / 100 times square
    float heightScale = 1.0f;        // levels[1] × 0.02 + 1
    uint32_t columnDensityLevel = 0; // levels[2]: columns, 128 × (1 + level / 100)
    float dropInterval = 2.0f;       // 60 ÷ levels[3] (drops per minute); infinite for 0
    float dropStrength = 0.5f;       // levels[4] × 0.01 × 0.7 + 0.1
    float damping = 0.99f;           // DampingFromLevel(levels[5])
    float refractionDepth = 0.2f;    // levels[6] × 0.01
    float specularLevel = 0.9f;      // levels[7] × 0.01
    float specularPower = 40.0f;     // levels[8] × 80 × 0.01
};
RingsParams RingsParamsFromSlide(const SlideRecord& slide);

// The share of velocity the water keeps per sub-step: 0.9 at level 0, 0.99 at 50, 0.999 at 100.
// Levels above 100 count as 100, so the water never gains energy.
float DampingFromLevel(uint32_t level);

// Half the width (f) and half the height (e) of the orthographic view onto the water, in world
// units, for a width × height back buffer (neither 0) and a picture of the given aspect
// (height ÷ width). The surface is 30 ÷ aspect by 30: stretched it fills the screen; otherwise
// it is centred, as large as fits, with margins that the bars cover.
struct WaterExtents {
    float halfWidth;
    float halfHeight;
};
WaterExtents WaterOrthoExtents(uint32_t width, uint32_t height, float aspect, bool stretch);

// The aspect the water takes from a picture of width × height pixels; 0.75 for a picture with
// no size (one that could not be loaded).
float WaterPictureAspect(uint32_t width, uint32_t height);

// True when more than `interval` has passed since the last drop.
bool DropDue(float time, float lastDropTime, float interval);
