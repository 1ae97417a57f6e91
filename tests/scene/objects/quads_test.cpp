#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "../SceneFixtures.h"
#include "scene/objects/SpriteQuads.h"
#include "scene/render/VertexLayouts.h"

namespace {

DS_Sprite SpriteAt(float x, float y, float hw, float hh)
{
    DS_Sprite s;
    s.position = SpriteVec3{x, y, 0.0f};
    s.halfWidth = hw;
    s.halfHeight = hh;
    s.colour = 0x80112233;
    return s;
}

} // namespace

TEST(SpriteQuad, CornersTextureCoordinatesAndColour)
{
    struct Expect {
        float x, y, u, v;
    };
    struct Case {
        float hw;
        float u0, u1;
        Expect v[4];
    } cases[] = {
        {50.0f, 0.0f, 1.0f, {{50, 112.5f, 0, 1}, {50, 87.5f, 0, 0}, {150, 112.5f, 1, 1}, {150, 87.5f, 1, 0}}},
        // A negative half width mirrors: the u0 vertices lie on the right.
        {-50.0f, 0.0f, 1.0f, {{150, 112.5f, 0, 1}, {150, 87.5f, 0, 0}, {50, 112.5f, 1, 1}, {50, 87.5f, 1, 0}}},
        {50.0f, 0.25f, 0.5f, {{50, 112.5f, 0.25f, 1}, {50, 87.5f, 0.25f, 0}, {150, 112.5f, 0.5f, 1}, {150, 87.5f, 0.5f, 0}}},
    };
    for (const Case& c : cases) {
        const DS_Sprite s = SpriteAt(100.0f, 100.0f, c.hw, 12.5f);
        DX_V::PCT out[4];
        WriteSpriteQuad(s, c.u0, c.u1, out);
        for (int k = 0; k < 4; ++k) {
            EXPECT_FLOAT_EQ(out[k].x, c.v[k].x) << "hw " << c.hw << " vertex " << k;
            EXPECT_FLOAT_EQ(out[k].y, c.v[k].y) << "hw " << c.hw << " vertex " << k;
            EXPECT_EQ(out[k].z, 0.0f);
            EXPECT_EQ(out[k].u, c.v[k].u);
            EXPECT_EQ(out[k].v, c.v[k].v);
            EXPECT_EQ(out[k].colour, 0x80112233u);
        }
    }
}

TEST(SpriteQuad, TurnedAxesTurnTheQuad)
{
    DS_Sprite s = SpriteAt(0.0f, 0.0f, 10.0f, 5.0f);
    s.axisX = SpriteVec3{0.0f, 1.0f, 0.0f};
    s.axisY = SpriteVec3{-1.0f, 0.0f, 0.0f};
    DX_V::PCT out[4];
    WriteSpriteQuad(s, 0.0f, 1.0f, out);
    // corner = (5, -10); A = (0, 20); B = (-10, 0).
    EXPECT_FLOAT_EQ(out[1].x, 5.0f);
    EXPECT_FLOAT_EQ(out[1].y, -10.0f);
    EXPECT_FLOAT_EQ(out[0].x, -5.0f);
    EXPECT_FLOAT_EQ(out[3].y, 10.0f);
    EXPECT_FLOAT_EQ(out[2].x, -5.0f);
    EXPECT_FLOAT_EQ(out[2].y, 10.0f);
}

TEST(SpriteQuad, IndexPattern)
{
    std::vector<uint16_t> idx(12, 0xFFFF);
    FillQuadIndices(2, idx.data());
    EXPECT_EQ(idx, (std::vector<uint16_t>{0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7}));

    // The last quad a 16-bit index can reach.
    std::vector<uint16_t> big(6 * 16384);
    FillQuadIndices(16384, big.data());
    EXPECT_EQ(big[6 * 16383 + 5], 65535);
}

TEST(SpriteStrip, StepsAfterItsPeriodOfApplicationTime)
{
    struct Case {
        uint32_t frames;
        float rate;
        uint32_t frame0;
        float time0;
        float appTime;
        uint32_t frame;
        float time;
        float u0, u1;
    } cases[] = {
        {4, 10.0f, 0, 0.0f, 0.1f, 0, 0.0f, 0.0f, 0.25f},   // 0.1 is not more than 1/10
        {4, 10.0f, 0, 0.0f, 0.15f, 1, 0.15f, 0.25f, 0.5f},
        {4, 10.0f, 3, 0.0f, 0.5f, 0, 0.5f, 0.0f, 0.25f},   // wraps
        {4, 0.0f, 2, 0.0f, 1000.0f, 2, 0.0f, 0.5f, 0.75f}, // rate 0 never moves on
        {4, 10.0f, 2, 5.0f, 1.0f, 2, 0.0f, 0.5f, 0.75f},   // the clock went back: timing restarts
        {0, 10.0f, 0, 0.0f, 0.5f, 0, 0.5f, 0.0f, 1.0f},    // no frame count counts as one frame
    };
    for (const Case& c : cases) {
        StripState strip;
        strip.frame = c.frame0;
        strip.time = c.time0;
        float u0 = -1.0f, u1 = -1.0f;
        StripStep(strip, c.frames, c.rate, c.appTime, u0, u1);
        EXPECT_EQ(strip.frame, c.frame) << c.frames << " " << c.rate << " " << c.appTime;
        EXPECT_EQ(strip.time, c.time) << c.appTime;
        EXPECT_FLOAT_EQ(u0, c.u0);
        EXPECT_FLOAT_EQ(u1, c.u1);
    }
}

TEST(TextureFrames, AdvanceOnObjectTimeAndWrapAtTheShorterList)
{
    const float times[3] = {0.5f, 0.5f, 0.5f};
    struct Step {
        float t;
        uint32_t frame;
    };
    // Two frames, two times.
    {
        uint32_t frame = 0;
        float last = 0.0f;
        for (Step s : {Step{0.4f, 0}, Step{0.6f, 1}, Step{0.7f, 1}, Step{1.2f, 0}}) {
            AdvanceFrameIndex(frame, last, s.t, times, 2, 2);
            EXPECT_EQ(frame, s.frame) << s.t;
        }
    }
    // Three frame times but two frames: the index never passes the frames.
    {
        uint32_t frame = 0;
        float last = 0.0f;
        for (Step s : {Step{0.6f, 1}, Step{1.2f, 0}}) {
            AdvanceFrameIndex(frame, last, s.t, times, 3, 2);
            EXPECT_EQ(frame, s.frame) << s.t;
        }
    }
    // No frames or no frame times: nothing moves.
    uint32_t frame = 0;
    float last = 0.0f;
    AdvanceFrameIndex(frame, last, 5.0f, times, 3, 0);
    AdvanceFrameIndex(frame, last, 5.0f, nullptr, 0, 2);
    EXPECT_EQ(frame, 0u);
    EXPECT_EQ(last, 0.0f);
}

TEST(SpriteInit, ShapeFollowsThePictureAspect)
{
    struct Case {
        uint32_t w, h;
        bool strip;
        uint32_t stripFrames;
        float hw, hh;
    } cases[] = {
        {200, 50, false, 1, 50.0f, 12.5f}, // wide: half width is half the size
        {200, 50, true, 4, 50.0f, 50.0f},  // one frame of a 4-frame strip is square
        {50, 200, false, 1, 12.5f, 50.0f}, // tall
        {200, 50, true, 0, 50.0f, 12.5f},  // a strip count of 0 counts as 1
    };
    for (const Case& c : cases) {
        CurrentManagerScope current;
        const ResKey key(L"pic.png", 1);
        PutTextureAnim(current.manager, key, c.w, c.h, 1);
        PlainSpriteKind d;
        d.pictureKey = key;
        d.size.value = 100;
        d.stripOn = c.strip;
        d.stripFrameCount = c.stripFrames;
        DS_Sprite s;
        s.velocityX = 9.0f;
        DS_Sprite::Init(&s, &d);
        EXPECT_FLOAT_EQ(s.halfWidth, c.hw) << c.w << "x" << c.h << " strip " << c.stripFrames;
        EXPECT_FLOAT_EQ(s.halfHeight, c.hh) << c.w << "x" << c.h << " strip " << c.stripFrames;
        EXPECT_EQ(s.velocityX, 0.0f);
        EXPECT_EQ(s.position.x, 100.0f);
        EXPECT_EQ(s.position.y, 100.0f);
        EXPECT_EQ(s.scale, 1.0f);
    }
}

TEST(SpriteInit, ScaleIsDrawnBetweenTheBounds)
{
    CurrentManagerScope current;
    const ResKey key(L"pic.png", 1);
    PutTextureAnim(current.manager, key, 100, 100, 1);
    PlainSpriteKind d;
    d.pictureKey = key;
    d.size.value = 40;
    d.scaleMin = 0.5f;
    d.scaleMax = 1.5f;
    std::srand(1);
    DS_Sprite s;
    DS_Sprite::Init(&s, &d);
    const float scale = 0.5f + static_cast<float>(41 / 32767.0) * 1.0f;
    EXPECT_FLOAT_EQ(s.scale, scale);
    EXPECT_FLOAT_EQ(s.halfHeight, scale * 40.0f * 0.5f);
}

TEST(SpriteEdges, TestsAgainstTheViewRectangle)
{
    ObjectSpaceScope space(100, 100);
    PlainSpriteKind d; // rectangle 0..100 × 0..100
    struct Case {
        float x, y, hw, hh;
        bool left, right, below, above, top, bottom, crossRight;
    } cases[] = {
        {50, 50, 10, 10, false, false, false, false, false, false, false},
        {-10.5f, 50, 10, 10, true, false, false, false, false, false, false},
        {-10.5f, 50, -10, 10, true, false, false, false, false, false, false}, // mirrored: abs
        {-9.5f, 50, 10, 10, false, false, false, false, false, false, false},
        {110.5f, 50, 10, 10, false, true, false, false, false, false, true},
        {50, 110.5f, 10, 10, false, false, true, false, false, true, false},
        {50, -10.5f, 10, 10, false, false, false, true, true, false, false},
        {50, 5, 10, 10, false, false, false, false, true, false, false},
        {95, 95, 10, 10, false, false, false, false, false, true, true},
    };
    for (const Case& c : cases) {
        const DS_Sprite s = SpriteAt(c.x, c.y, c.hw, c.hh);
        EXPECT_EQ(s.IsLeftOfView(&d), c.left) << c.x << "," << c.y;
        EXPECT_EQ(s.IsRightOfView(&d), c.right) << c.x << "," << c.y;
        EXPECT_EQ(s.IsBelowView(&d), c.below) << c.x << "," << c.y;
        EXPECT_EQ(s.IsAboveView(&d), c.above) << c.x << "," << c.y;
        EXPECT_EQ(s.CrossesViewTop(&d), c.top) << c.x << "," << c.y;
        EXPECT_EQ(s.CrossesViewBottom(&d), c.bottom) << c.x << "," << c.y;
        EXPECT_EQ(s.CrossesViewRight(&d), c.crossRight) << c.x << "," << c.y;
    }
}
