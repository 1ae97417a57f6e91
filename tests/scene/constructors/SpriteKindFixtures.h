// Helpers of the sprite-kind motion tests: known random draws, a sprite placed by hand and a
// description whose clock is set by hand.
#pragma once

#include <cstdlib>
#include <functional>
#include <vector>

#include "scene/constructors/DS_BaseSpriteProp.h"
#include "scene/objects/DS_Sprite.h"

// The next `n` values of rand() after srand(seed); rand() is seeded again, so the code under test
// draws the same values in the same order.
inline std::vector<int> SeedAndPeek(unsigned seed, int n)
{
    std::srand(seed);
    std::vector<int> values(n);
    for (int& v : values)
        v = std::rand();
    std::srand(seed);
    return values;
}

// Seeds rand() with the first seed whose next `n` values satisfy `wanted`, and gives those values.
inline std::vector<int> SeedWhere(int n, const std::function<bool(const std::vector<int>&)>& wanted)
{
    for (unsigned seed = 1;; ++seed) {
        const std::vector<int> values = SeedAndPeek(seed, n);
        if (wanted(values))
            return values;
    }
}

// A random draw as the code makes it: rand() / 32767.0 in single precision.
inline float R(int value) { return static_cast<float>(value / 32767.0); }
inline bool Odd(int value) { return (value & 1) != 0; }

// A sprite at (x, y) with the given half extents and velocity, unturned, alpha 1.
inline DS_Sprite SpriteAt(float x, float y, float halfWidth, float halfHeight, float vx = 0.0f, float vy = 0.0f)
{
    DS_Sprite s;
    s.position = SpriteVec3{x, y, 0.0f};
    s.halfWidth = halfWidth;
    s.halfHeight = halfHeight;
    s.velocityX = vx;
    s.velocityY = vy;
    return s;
}

// Sets a description's clock as UpdateTime would have left it.
inline void SetClock(DS_BaseSpriteProp& d, float frameStep, float objectTime, float lastAppTime = 0.0f)
{
    d.frameStep = frameStep;
    d.objectTime = objectTime;
    d.lastAppTime = lastAppTime;
}
