// Helpers of the sprite-kind tests: a sprite of known extents, the object clock stepped in exact
// binary eighths of a second or set by hand, known random draws, records written to bytes and
// read back through the registry.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "../SceneFixtures.h"
#include "document/DocumentError.h"
#include "scene/objects/DS_Sprite.h"
#include "tools/docwriter/DocumentWriter.h"

// A sprite at (x, y) with scale 1, half extents 5 (size 10 over a square picture) and the default
// axes, as the runtime object hands it to a kind.
inline DS_Sprite SpriteAt(float x, float y, float half = 5.0f)
{
    DS_Sprite s;
    s.position = SpriteVec3{x, y, 0.0f};
    s.scale = 1.0f;
    s.halfWidth = half;
    s.halfHeight = half;
    s.textureAspect = 1.0f;
    return s;
}

// Frame k of a clock that runs at normal speed in steps of 1/8 s: dt = 0.125 and T = k / 8, both
// exact in binary.
inline void StepFrame(DS_BaseSpriteProp& kind, DS_Sprite& sprite, int k)
{
    kind.UpdateTime(static_cast<float>(k) / 8.0f);
    kind.UpdateSprite(&sprite);
}

// A heap copy of a kind as the runtime object makes it, typed as the kind.
template <class Kind>
std::unique_ptr<Kind> CloneOf(const Kind& kind)
{
    return std::unique_ptr<Kind>(static_cast<Kind*>(kind.Clone()));
}

inline std::vector<uint8_t> RecordBytes(DS_IOF_Item& item)
{
    DocumentWriter w;
    item.Write(&w);
    return w.bytes;
}

// Reads a record through the registry as the kind expected; fails the test when another kind,
// or nothing, comes back, or bytes are left over.
template <class Kind>
std::unique_ptr<Kind> ReadKind(const std::vector<uint8_t>& bytes)
{
    size_t rest = 0;
    std::unique_ptr<DS_ABObj_Constructor> read(ReadRecord(bytes, &rest));
    EXPECT_EQ(0u, rest) << "bytes left after the record";
    auto* kind = dynamic_cast<Kind*>(read.get());
    EXPECT_NE(nullptr, kind) << "the record did not read as the expected kind";
    if (kind)
        read.release();
    return std::unique_ptr<Kind>(kind);
}

// Whether reading the bytes ends in the document error (and nothing else).
inline bool ReadsAsDocumentError(const std::vector<uint8_t>& bytes)
{
    try {
        std::unique_ptr<DS_ABObj_Constructor> read(ReadRecord(bytes));
    } catch (uint32_t code) {
        return code == kDocumentError;
    }
    return false;
}

// Every record cut short, at each length from its header on, ends in the document error.
inline void ExpectEveryTruncationFails(const std::vector<uint8_t>& bytes)
{
    for (size_t n = 8; n < bytes.size(); ++n) {
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_TRUE(ReadsAsDocumentError(cut)) << "cut to " << n << " of " << bytes.size() << " bytes";
    }
}

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
    DS_Sprite s = SpriteAt(x, y);
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
