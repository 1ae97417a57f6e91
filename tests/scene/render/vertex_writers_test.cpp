// What the quads write into their vertices, checked on the values themselves (no device: a quad
// without a buffer still keeps its corners, and the writers fill plain arrays).
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>

#include "scene/render/LakeGround.h"
#include "scene/render/PictureQuad.h"
#include "scene/render/ScreenPictureQuad.h"
#include "scene/render/ScreenQuad.h"

namespace {

uint8_t Alpha(D3DCOLOR c) { return static_cast<uint8_t>(c >> 24); }

TEST(ScreenQuadTest, CreateTakesPositionsFromTheTemplateAndRhwFromItsZ)
{
    QuadTemplate q;
    MakeSizedQuad(q, 10, 20);
    DS_ScreenQuad quad;
    quad.Create(0x88000000u, q);
    const float expected[4][2] = {{0, 20}, {0, 0}, {10, 20}, {10, 0}};
    for (int i = 0; i < 4; ++i) {
        const DX_V::SC& v = quad.Corners()[i];
        EXPECT_EQ(expected[i][0], v.x) << i;
        EXPECT_EQ(expected[i][1], v.y) << i;
        EXPECT_EQ(0.0f, v.z) << i;
        EXPECT_EQ(1.0f, v.rhw) << i;
        EXPECT_EQ(0x88000000u, v.colour) << i;
    }
    EXPECT_EQ(4u, quad.vertices.count);
    EXPECT_EQ(D3DPT_TRIANGLESTRIP, quad.primitiveType);
    EXPECT_EQ(2u, quad.primitiveCount);
}

TEST(ScreenQuadTest, SetRgbKeepsEachAlpha)
{
    QuadTemplate q;
    MakeSizedQuad(q, 10, 20);
    DS_ScreenQuad quad;
    quad.Create(0x88000000u, q);
    quad.SetVertexAlphas(1.0f, 0.0f, 0.5f, 0.25f);
    quad.SetRGB(0xFF123456u); // the high byte of the argument is not an alpha
    const uint8_t alphas[4] = {255, 127, 0, 63};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ((static_cast<D3DCOLOR>(alphas[i]) << 24) | 0x123456u, quad.Corners()[i].colour) << i;
}

TEST(ScreenQuadTest, VertexAlphasGoToTheRightCorners)
{
    // The arguments run bottom-left, bottom-right, top-left, top-right; the vertices run
    // bottom-left, top-left, bottom-right, top-right.
    QuadTemplate q;
    MakeSizedQuad(q, 4, 4);
    DS_ScreenQuad quad;
    quad.Create(0x88ABCDEFu, q);
    quad.SetVertexAlphas(1.0f, 0.0f, 0.5f, 0.25f);
    EXPECT_EQ(255, Alpha(quad.Corners()[0].colour));
    EXPECT_EQ(127, Alpha(quad.Corners()[1].colour));
    EXPECT_EQ(0, Alpha(quad.Corners()[2].colour));
    EXPECT_EQ(63, Alpha(quad.Corners()[3].colour));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(0xABCDEFu, quad.Corners()[i].colour & 0xFFFFFFu) << i;
}

struct AlphaCase {
    float value;
    int expected;
};

void PrintTo(const AlphaCase& c, std::ostream* os) { *os << c.value; }

class AlphaByteTest : public ::testing::TestWithParam<AlphaCase> {};

TEST_P(AlphaByteTest, TruncatesAndClampsToZeroTo255)
{
    EXPECT_EQ(GetParam().expected, AlphaByte(GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(Values, AlphaByteTest,
                         ::testing::Values(AlphaCase{0.0f, 0}, AlphaCase{1.0f, 255}, AlphaCase{0.5f, 127},
                                           AlphaCase{0.999f, 254}, AlphaCase{-0.5f, 0}, AlphaCase{1.5f, 255},
                                           AlphaCase{-1000.0f, 0}, AlphaCase{1e9f, 255},
                                           AlphaCase{std::numeric_limits<float>::quiet_NaN(), 0}));

TEST(ScreenQuadTest, SetRectMovesTheCornersAndKeepsColours)
{
    QuadTemplate q;
    MakeSizedQuad(q, 100, 100);
    DS_ScreenQuad quad;
    quad.Create(0xFF000000u, q);
    quad.SetRGB(0x00FF00u);
    quad.SetRect({10, 20, 30, 40});
    const float expected[4][2] = {{10, 40}, {10, 20}, {30, 40}, {30, 20}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i][0], quad.Corners()[i].x) << i;
        EXPECT_EQ(expected[i][1], quad.Corners()[i].y) << i;
        EXPECT_EQ(1.0f, quad.Corners()[i].rhw) << i;
        EXPECT_EQ(0xFF00FF00u, quad.Corners()[i].colour) << i;
    }
}

TEST(VertexWritersTest, ScreenPictureQuadTakesTemplateUvAndLeavesColour)
{
    QuadTemplate q;
    SetQuadCorners(q, 5, 6, 7, 8);
    DX_V::SCT v[4];
    for (DX_V::SCT& vertex : v)
        vertex.colour = 0x11223344u;
    FillScreenQuad(q, v);
    const float expected[4][4] = {{5, 8, 0, 1}, {5, 6, 0, 0}, {7, 8, 1, 1}, {7, 6, 1, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i][0], v[i].x) << i;
        EXPECT_EQ(expected[i][1], v[i].y) << i;
        EXPECT_EQ(0.0f, v[i].z) << i;
        EXPECT_EQ(1.0f, v[i].rhw) << i;
        EXPECT_EQ(expected[i][2], v[i].u) << i;
        EXPECT_EQ(expected[i][3], v[i].v) << i;
        EXPECT_EQ(0x11223344u, v[i].colour) << i;
    }
}

TEST(VertexWritersTest, PTQuadTakesTheTwentyFloatsAsTheyStand)
{
    QuadTemplate q;
    for (int i = 0; i < 4; ++i)
        q.v[i] = {i * 5.0f + 1, i * 5.0f + 2, i * 5.0f + 3, i * 5.0f + 4, i * 5.0f + 5};
    DX_V::PT v[4];
    FillPTVertices(v, q);
    const float* out = &v[0].x;
    for (int k = 0; k < 20; ++k)
        EXPECT_EQ(static_cast<float>(k + 1), out[k]) << k;
}

TEST(VertexWritersTest, OutlineIsTranslucentBlackAtZDepthZero)
{
    QuadTemplate q;
    SetQuadCorners(q, 1, 2, 3, 4);
    DX_V::PC v[4];
    FillOutlineVertices(v, q);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(q.v[i].x, v[i].x);
        EXPECT_EQ(q.v[i].y, v[i].y);
        EXPECT_EQ(0.0f, v[i].z);
        EXPECT_EQ(0x88000000u, v[i].colour);
    }
}

TEST(VertexWritersTest, PictureQuadIsWhiteWithCornersAtThePictureSize)
{
    DX_V::PCT v[4];
    FillPictureQuadVertices(v);
    SetPictureQuadCorners(v, 300, 200);
    const float expected[4][4] = {{0, 200, 0, 1}, {0, 0, 0, 0}, {300, 200, 1, 1}, {300, 0, 1, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i][0], v[i].x) << i;
        EXPECT_EQ(expected[i][1], v[i].y) << i;
        EXPECT_EQ(0.0f, v[i].z) << i;
        EXPECT_EQ(expected[i][2], v[i].u) << i;
        EXPECT_EQ(expected[i][3], v[i].v) << i;
        EXPECT_EQ(0xFFFFFFFFu, v[i].colour) << i;
    }
}

TEST(LakeGroundTest, FitTakesTopLeftBottomLeftBottomRightThenTopLeftBottomRightTopRight)
{
    DX_V::PTT v[kLakeGroundVertices];
    FillInitialLakeGround(v);
    QuadTemplate q;
    MakeSizedQuad(q, 100, 50);
    FitLakeGroundVertices(v, q);
    const float position[6][2] = {{0, 0}, {0, 50}, {100, 50}, {0, 0}, {100, 50}, {100, 0}};
    const float second[6][2] = {{0, 0}, {0, 1}, {1, 1}, {0, 0}, {1, 1}, {1, 0}};
    const float first[6][2] = {{0, 0.7f}, {0, 0}, {1, 0}, {0, 0.7f}, {1, 0}, {1, 0.7f}}; // untouched
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(position[i][0], v[i].x) << i;
        EXPECT_EQ(position[i][1], v[i].y) << i;
        EXPECT_EQ(0.0f, v[i].z) << i;
        EXPECT_EQ(second[i][0], v[i].u1) << i;
        EXPECT_EQ(second[i][1], v[i].v1) << i;
        EXPECT_EQ(first[i][0], v[i].u0) << i;
        EXPECT_EQ(first[i][1], v[i].v0) << i;
    }
}

TEST(LakeGroundTest, TexRangeSpansFromOneHundredthToS)
{
    DX_V::PTT v[kLakeGroundVertices];
    FillInitialLakeGround(v);
    SetLakeGroundTexRangeVertices(v, 0.7f);
    const float first[6][2] = {{0.01f, 0.01f}, {0.01f, 0.7f}, {0.7f, 0.7f},
                               {0.01f, 0.01f}, {0.7f, 0.7f},  {0.7f, 0.01f}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(first[i][0], v[i].u0) << i;
        EXPECT_EQ(first[i][1], v[i].v0) << i;
    }
    EXPECT_EQ(-1000.0f, v[0].x); // positions untouched
    EXPECT_EQ(10.0f, v[5].z);
}

TEST(LakeGroundTest, WithoutABufferNothingIsWritten)
{
    LakeGround ground; // no device, no buffer
    QuadTemplate q;
    MakeSizedQuad(q, 100, 50);
    FitLakeGround(ground, q);
    SetLakeGroundTexRange(ground, 0.5f);
    EXPECT_FALSE(ground.vertices.buffer);
}

} // namespace
