// The glass ball's arithmetic without a device: the bump map, mask and gradient texels, the lens
// parameters, the lens camera and its texture matrix, the backdrop layout, the scroll quads, the
// swing and the shared scroll clock.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "scene/lights/DS_GlassBallLight.h"
#include "scene/lights/GlassBallLens.h"

namespace {

int16_t U(uint32_t texel) { return static_cast<int16_t>(texel & 0xFFFF); }
int16_t V(uint32_t texel) { return static_cast<int16_t>(texel >> 16); }

TEST(SphereBump, TexelsAtTheCentreTheRimAndOutside)
{
    struct Case {
        uint32_t x, y;
        int u, v;
    };
    const Case cases[] = {
        {128, 128, 63, 63},        // the top of the hemisphere: nearly flat
        {64, 64, -9941, -9941},
        {0, 128, -24580, 0},       // on the rim: the steepest slope
        {128, 0, 0, -24580},
        {254, 128, 23138, 361},
        {255, 128, 0, 0},          // the last column is flat
        {255, 0, 0, 0},
        {10, 10, 0, 0},            // outside the hemisphere
    };
    for (const Case& c : cases) {
        const uint32_t texel = SphereBumpTexel(c.x, c.y);
        EXPECT_EQ(c.u, U(texel)) << c.x << ", " << c.y;
        EXPECT_EQ(c.v, V(texel)) << c.x << ", " << c.y;
    }
    // U in the low 16 bits, V in the high ones.
    EXPECT_EQ(0x00009FFCu, SphereBumpTexel(0, 128));
    EXPECT_EQ(0x9FFC0000u, SphereBumpTexel(128, 0));
}

TEST(SphereBump, FillsEveryRowAtThePitchWithinTheSlopeBound)
{
    constexpr int32_t kPitch = 1040; // past the 1024 bytes of a row
    std::vector<uint8_t> bytes(size_t(kPitch) * kSphereBumpSide, 0xCD);
    FillSphereBump(bytes.data(), kPitch);
    int largest = 0;
    for (uint32_t y = 0; y < kSphereBumpSide; ++y) {
        for (uint32_t x = 0; x < kSphereBumpSide; ++x) {
            uint32_t texel;
            std::memcpy(&texel, &bytes[size_t(y) * kPitch + 4 * x], 4);
            ASSERT_EQ(SphereBumpTexel(x, y), texel) << x << ", " << y;
            largest = std::max({largest, std::abs(int(U(texel))), std::abs(int(V(texel)))});
        }
        for (int32_t i = 1024; i < kPitch; ++i)
            ASSERT_EQ(0xCD, bytes[size_t(y) * kPitch + i]) << "row " << y;
    }
    EXPECT_EQ(24580, largest);
}

TEST(CircleMask, DiscOfRadius508IsClearAndTheRestOpaque)
{
    struct Case {
        uint32_t column, row;
        int alpha;
    };
    const Case cases[] = {
        {512, 512, 0}, {1020, 512, 0}, {4, 512, 0}, {512, 4, 0},  // inside, the boundary included
        {1021, 512, 255}, {3, 512, 255}, {512, 3, 255}, {0, 0, 255}, {1023, 1023, 255},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.alpha, CircleMaskTexel(c.column, c.row)) << c.column << ", " << c.row;

    constexpr int32_t kPitch = 1056;
    std::vector<uint8_t> bytes(size_t(kPitch) * kCircleMaskSide, 0xCD);
    FillCircleMask(bytes.data(), kPitch);
    for (const Case& c : cases)
        EXPECT_EQ(c.alpha, bytes[size_t(c.row) * kPitch + c.column]) << c.column << ", " << c.row;
    EXPECT_EQ(0xCD, bytes[size_t(700) * kPitch + 1024]);
}

TEST(Gradient, RowsRunFromTopToBottomColourWithAlphaZero)
{
    struct Case {
        uint32_t y;
        uint32_t top, bottom; // COLORREF
        uint32_t expected;    // 0xAARRGGBB
    };
    const Case cases[] = {
        {0, 0x000000C8, 0x00000064, 0x00C80000},
        {128, 0x000000C8, 0x00000064, 0x00950000}, // 149.8 truncated
        {255, 0x000000C8, 0x00000064, 0x00640000},
        {0, 0x00102030, 0x00F0E0D0, 0x00302010},   // red from byte 0, blue from byte 2
        {255, 0x00102030, 0x00F0E0D0, 0x00D0E0F0},
        {128, 0x00FF0000, 0x00100000, 0x00000087}, // blue 255 − 128/255 × 239 = 135.03
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, GradientRowColour(c.y, c.top, c.bottom)) << "row " << c.y << std::hex << " " << c.top;

    constexpr int32_t kPitch = 1040;
    std::vector<uint8_t> bytes(size_t(kPitch) * kGradientSide, 0xCD);
    FillGradient(bytes.data(), kPitch, 0x000000C8, 0x00000064);
    uint32_t texel;
    std::memcpy(&texel, &bytes[size_t(128) * kPitch + 4 * 200], 4);
    EXPECT_EQ(0x00950000u, texel);
    EXPECT_EQ(0xCD, bytes[size_t(128) * kPitch + 1024]);
}

TEST(LensGeometry, SquareAndStandVertices)
{
    const float lensX[4] = {-256, -256, 256, 256}, lensY[4] = {-256, 256, -256, 256};
    const float standX[4] = {-230.4f, -230.4f, 232.9f, 232.9f};
    const float standY[4] = {-372.19293f, -185.61412f, -372.19293f, -185.61412f};
    const float u[4] = {0, 0, 1, 1}, v[4] = {1, 0, 1, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(lensX[i], kLensQuadVertices[i].x);
        EXPECT_EQ(lensY[i], kLensQuadVertices[i].y);
        EXPECT_EQ(standX[i], kStandQuadVertices[i].x);
        EXPECT_EQ(standY[i], kStandQuadVertices[i].y);
        for (const DX_V::PTT* q : {kLensQuadVertices, kStandQuadVertices}) {
            EXPECT_EQ(0.0f, q[i].z);
            EXPECT_EQ(u[i], q[i].u0);
            EXPECT_EQ(v[i], q[i].v0);
        }
    }
}

TEST(LensParams, FollowBallSizeZoomAndCover)
{
    struct Case {
        uint32_t size, zoom;
        float coverY;
        float distance, scale, swing;
    };
    const Case cases[] = {
        {0, 0, 1.0f, -2400.0f, 0.40425f, 0.125f},
        {100, 0, 1.0f, -600.0f, 1.5645f, 0.125f},
        {0, 0, 768.0f / 770.0f, -2406.25f, 0.40425f, 0.125f},
        {50, 20, 768.0f / 770.0f, -962.5f, 1.1794418f, 0.15f},
        {100, 50, 1.0f, -600.0f, 2.34675f, 0.1875f},
    };
    for (const Case& c : cases) {
        const LensParams p = ComputeLensParams(c.size, c.zoom, c.coverY);
        EXPECT_NEAR(c.distance, p.lensDistance, 1e-3f) << c.size << " " << c.zoom;
        EXPECT_NEAR(c.scale, p.lensScale, 1e-5f) << c.size << " " << c.zoom;
        EXPECT_NEAR(c.swing, p.swingAmplitude, 1e-6f) << c.size << " " << c.zoom;
    }
}

// The common inputs: lens camera 600 units away, a 1024 × 768 back buffer and layout, an
// 800 × 600 slide picture.
LensProjectionInput LensPass()
{
    LensProjectionInput in;
    in.lensPass = true;
    in.lens = {-600.0f, 1.0f, 0.125f};
    in.layoutWidth = in.backWidth = 1024;
    in.layoutHeight = in.backHeight = 768;
    in.pictureWidth = 800;
    in.pictureHeight = 600;
    return in;
}

TEST(LensProjection, TextureMatrixProjectsTheSceneFromTheScaledDepth)
{
    struct Case {
        const char* name;
        LensProjectionInput in;
        float t41, t42;
    };
    std::vector<Case> cases;
    cases.push_back({"centred", LensPass(), 0.5f, 0.5f});
    LensProjectionInput ball = LensPass();
    ball.ballX = 100.0f;
    ball.ballY = -50.0f; // points (100, 50)
    cases.push_back({"ball off centre", ball, 1.353515625f, 0.40234375f});
    LensProjectionInput wide = ball;
    wide.pictureWidth = 2000;
    wide.pictureHeight = 1000; // two picture widths per height
    cases.push_back({"2:1 picture", wide, 1.4267578125f, 0.40234375f});
    LensProjectionInput swing = LensPass();
    swing.swing = 1.0f;
    cases.push_back({"full swing", swing, 0.625f, 0.5f});
    LensProjectionInput rim = ball;
    rim.lensPass = false;
    cases.push_back({"rim pass", rim, 0.5f, 0.5f});
    LensProjectionInput portrait = ball;
    portrait.pictureWidth = 300; // narrower than high: one width per height
    cases.push_back({"portrait picture", portrait, 1.353515625f, 0.40234375f});
    LensProjectionInput empty = ball;
    empty.pictureWidth = empty.pictureHeight = 0;
    cases.push_back({"picture of zero size", empty, 1.353515625f, 0.40234375f});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LensProjection p = ComputeLensProjection(c.in);
        EXPECT_NEAR(c.t41, p.texture._41, 1e-5f);
        EXPECT_NEAR(c.t42, p.texture._42, 1e-5f);
        EXPECT_EQ(0.0f, p.texture._21);
        EXPECT_EQ(0.0f, p.texture._31);
        EXPECT_EQ(0.0f, p.texture._12);
        EXPECT_EQ(0.0f, p.texture._32);
        EXPECT_TRUE(std::isfinite(p.texture._11) && std::isfinite(p.texture._22));
    }
    // w = P33 × 600 + 1 = 601.20007 with the picture's 4:3 aspect.
    const LensProjection centred = ComputeLensProjection(LensPass());
    EXPECT_NEAR(0.00150587f, centred.texture._11, 1e-7f);
    EXPECT_NEAR(-0.00200783f, centred.texture._22, 1e-7f);
}

TEST(LensProjection, CameraLooksFromTheLensDistanceAtTheBall)
{
    LensProjectionInput in = LensPass();
    in.lens.lensDistance = -962.5f;
    in.ballX = 100.0f;
    in.ballY = -50.0f;
    const LensProjection p = ComputeLensProjection(in);
    // The view's translation row is as long as the lens distance.
    EXPECT_NEAR(962.5f, std::sqrt(p.view._41 * p.view._41 + p.view._42 * p.view._42 + p.view._43 * p.view._43),
                1e-3f);
    // The ball's offset is scaled by the distance over 600.
    EXPECT_NEAR(100.0f * 962.5f / 600.0f, p.world._41, 1e-3f);
    EXPECT_NEAR(-50.0f * 962.5f / 600.0f, p.world._42, 1e-3f);
    // 45 degrees, the layout's aspect.
    EXPECT_NEAR(2.4142136f, p.projection._22, 1e-5f);
    EXPECT_NEAR(2.4142136f * 768.0f / 1024.0f, p.projection._11, 1e-5f);
}

// Only glass mode 1 (the backdrop picture) scales the ball's offset by the cover shares.
TEST(LensProjection, GlassModeOneScalesTheBallOffsetByTheCover)
{
    for (int32_t mode : {0, 1, 2}) {
        LensProjectionInput in = LensPass();
        in.ballX = 100.0f;
        in.ballY = -50.0f;
        in.glassMode = mode;
        in.coverX = 1024.0f / 1026.0f;
        in.coverY = 512.0f / 770.0f;
        const LensProjection p = ComputeLensProjection(in);
        const float tx = mode == 1 ? 100.0f * (1024.0f / 768.0f) * in.coverX : 100.0f;
        const float ty = mode == 1 ? -50.0f * in.coverY : -50.0f;
        EXPECT_NEAR(tx, p.world._41, 1e-3f) << "mode " << mode;
        EXPECT_NEAR(ty, p.world._42, 1e-3f) << "mode " << mode;
    }
}

// The rim pass projects the backdrop with the backdrop's aspect: the layout's when it is
// stretched or of zero size, else its own; the gradient (mode 0) takes the slide picture's.
TEST(LensProjection, RimPassTakesTheBackdropsAspect)
{
    struct Case {
        int32_t mode;
        bool stretch;
        uint32_t w, h;
        float aspect;
    };
    const Case cases[] = {
        {0, false, 800, 400, 800.0f / 600.0f}, // the slide picture's
        {1, false, 800, 400, 2.0f},
        {1, true, 800, 400, 1024.0f / 768.0f},
        {1, false, 0, 0, 1024.0f / 768.0f},
    };
    for (const Case& c : cases) {
        LensProjectionInput in = LensPass();
        in.lensPass = false;
        in.glassMode = c.mode;
        in.backdropStretch = c.stretch;
        in.backdropWidth = c.w;
        in.backdropHeight = c.h;
        const LensProjection p = ComputeLensProjection(in);
        // T11 / −T22 = P11 / P22 = 1 / aspect.
        EXPECT_NEAR(1.0f / c.aspect, p.texture._11 / -p.texture._22, 1e-5f) << c.mode << " " << c.w;
    }
}

TEST(GlassLayout, BackdropRectangleBarsAndCoverShares)
{
    struct Case {
        const char* name;
        int32_t mode;
        bool stretch;
        uint32_t w, h;
        float top, bottom;
        ScreenRect bars[4];
        float coverX, coverY;
    };
    const Case cases[] = {
        {"gradient", 0, false, 800, 400, 0, 768,
         {{0, 0, 1, 768}, {1024, 0, 1025, 768}, {0, 0, 1024, 1}, {0, 768, 1024, 769}}, 1024.0f / 1026, 768.0f / 770},
        {"backdrop letterboxed", 1, false, 800, 400, 128, 640,
         {{0, 0, 1, 512}, {1024, 0, 1025, 512}, {0, 0, 1024, 129}, {0, 640, 1024, 769}}, 1024.0f / 1026, 512.0f / 770},
        {"backdrop stretched", 1, true, 800, 400, 0, 768,
         {{0, 0, 1, 768}, {1024, 0, 1025, 768}, {0, 0, 1024, 1}, {0, 768, 1024, 769}}, 1024.0f / 1026, 768.0f / 770},
        // A backdrop that failed to load is laid out as 800 × 600: finite, and here a full fit.
        {"backdrop of zero size", 1, false, 0, 0, 0, 768,
         {{0, 0, 1, 768}, {1024, 0, 1025, 768}, {0, 0, 1024, 1}, {0, 768, 1024, 769}}, 1024.0f / 1026, 768.0f / 770},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GlassLayout g = ComputeGlassLayout(1024, 768, c.mode, c.stretch, c.w, c.h);
        EXPECT_FLOAT_EQ(0.0f, g.backdrop.Left());
        EXPECT_FLOAT_EQ(1024.0f, g.backdrop.Right());
        EXPECT_FLOAT_EQ(c.top, g.backdrop.Top());
        EXPECT_FLOAT_EQ(c.bottom, g.backdrop.Bottom());
        for (int i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(c.bars[i].x0, g.bars.bar[i].x0) << "bar " << i;
            EXPECT_FLOAT_EQ(c.bars[i].y0, g.bars.bar[i].y0) << "bar " << i;
            EXPECT_FLOAT_EQ(c.bars[i].x1, g.bars.bar[i].x1) << "bar " << i;
            EXPECT_FLOAT_EQ(c.bars[i].y1, g.bars.bar[i].y1) << "bar " << i;
        }
        EXPECT_FLOAT_EQ(c.coverX, g.coverX);
        EXPECT_FLOAT_EQ(c.coverY, g.coverY);
    }
}

TEST(GlassScroll, QuadsSideBySideWrapAndRunInOppositeDirections)
{
    struct Case {
        int32_t mode;
        float phase;
        float x0, x1; // quad 0; quad 1 lies a whole width to its left
    };
    const Case cases[] = {
        {1, 1.5f, 256, 1280},  // frac(−0.75) = 0.25
        {2, 1.5f, 768, 1792},  // frac(0.75) = 0.75
        {1, 0.0f, 0, 1024},
        {2, 2.0f, 0, 1024},    // a whole period later the same
    };
    for (const Case& c : cases) {
        const ScrollRects r = ScrollQuadRects(c.mode, c.phase, 1024, 768);
        EXPECT_FLOAT_EQ(c.x0, r.quad[0].Left()) << c.mode << " " << c.phase;
        EXPECT_FLOAT_EQ(c.x1, r.quad[0].Right()) << c.mode << " " << c.phase;
        EXPECT_FLOAT_EQ(c.x0 - 1024, r.quad[1].Left()) << c.mode << " " << c.phase;
        EXPECT_FLOAT_EQ(c.x0, r.quad[1].Right()) << c.mode << " " << c.phase;
        for (const QuadTemplate& q : r.quad) {
            EXPECT_FLOAT_EQ(0.0f, q.Top());
            EXPECT_FLOAT_EQ(768.0f, q.Bottom());
        }
    }
}

TEST(GlassScroll, SwingIsATriangleWaveOfPeriodTwo)
{
    const float table[][2] = {{0, 1}, {0.5f, 0}, {1, -1}, {1.5f, 0}, {2, 1}, {0.25f, 0.5f}, {3, -1}};
    for (const auto& row : table)
        EXPECT_NEAR(row[1], SwingFromPhase(row[0]), 1e-6f) << "phase " << row[0];
}

// One light through modes and times; the shared clock starts with the first moving update, a
// still mode leaves it alone, and a mode above 3 advances it without touching the swing.
TEST(GlassScroll, UpdateSequenceSharesOnePhase)
{
    GlassScrollClock::Reset();
    DS_GlassBallLight light;
    light.layoutWidth = 1024;
    light.layoutHeight = 768;
    light.scrollSpeed = 1.0f;
    struct Step {
        int32_t mode;
        float t, phase, swing;
    };
    const Step steps[] = {
        {3, 10, 0.0f, 1.0f}, {3, 18, 0.5f, 0.0f}, {3, 26, 1.0f, -1.0f}, {0, 30, 1.0f, 0.0f},
        {1, 34, 1.5f, 0.0f}, {2, 34, 1.5f, 0.0f}, {3, 42, 2.0f, 1.0f},  {5, 50, 2.5f, 1.0f},
    };
    for (const Step& s : steps) {
        light.scrollMode = s.mode;
        light.Update(s.t);
        EXPECT_FLOAT_EQ(s.phase, GlassScrollClock::Phase()) << "mode " << s.mode << " t " << s.t;
        EXPECT_FLOAT_EQ(s.swing, light.swing) << "mode " << s.mode << " t " << s.t;
    }
    // A second light continues the same phase.
    DS_GlassBallLight other;
    other.scrollSpeed = 2.0f;
    other.scrollMode = 3;
    other.Update(54);
    EXPECT_FLOAT_EQ(3.0f, GlassScrollClock::Phase());
    GlassScrollClock::Reset();
}

} // namespace
