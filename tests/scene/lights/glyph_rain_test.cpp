// The glyph-rain light's arithmetic: slide values, sizes, quad colours, the luminance map, and
// one frame of the rain filled into a recording sink.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <vector>

#include "document/CurrentDevice.h"
#include "scene/lights/DS_MatrixLight.h"
#include "tests/support/DeviceFixture.h"
#include "tests/support/TestPictures.h"

namespace {

TEST(GlyphRainSettingsTest, SlideLevelsBecomeGridSettings)
{
    EXPECT_EQ(1u, GlyphSizeFromLevel(0));
    EXPECT_EQ(16u, GlyphSizeFromLevel(16));
    const uint32_t densities[][2] = {{0, 1}, {1, 1}, {55, 55}, {100, 100}, {250, 100}, {0xFFFFFFFFu, 100}};
    for (const auto& d : densities)
        EXPECT_EQ(d[1], GlyphDensityFromLevel(d[0])) << d[0];
}

TEST(GlyphRainSettingsTest, TransparencyBecomesIntensity)
{
    EXPECT_EQ(1.0f, GlyphIntensityFromTransparency(0));
    EXPECT_EQ(0.7f, GlyphIntensityFromTransparency(30));
    EXPECT_EQ(0.5f, GlyphIntensityFromTransparency(50));
    EXPECT_EQ(0.0f, GlyphIntensityFromTransparency(100));
    EXPECT_GT(GlyphIntensityFromTransparency(101), 1e7f); // the difference wraps around
}

TEST(GlyphRainSettingsTest, GlyphCountIsTheStripsHeightInWidthsPlusTwo)
{
    const uint32_t cases[][3] = {{16, 256, 18}, {16, 16, 3}, {32, 16, 2}, {800, 600, 2}, {32, 448, 16},
                                 {0, 600, 2}}; // a strip that did not load
    for (const auto& c : cases)
        EXPECT_EQ(int32_t(c[2]), GlyphCountFromTextureSize(c[0], c[1])) << c[0] << " x " << c[1];
}

TEST(GlyphRainSettingsTest, BatchHasOneQuadPerGridCell)
{
    EXPECT_EQ(51 * 38, GlyphBatchSize(800, 600, 16));
    EXPECT_EQ(65 * 49, GlyphBatchSize(1024, 768, 16));
    EXPECT_EQ(121 * 68, GlyphBatchSize(1920, 1080, 16));
    EXPECT_EQ(1, GlyphBatchSize(10, 10, 16)); // one cell reaching past the picture
    EXPECT_EQ(1, GlyphBatchSize(0, 0, 16));
    GlyphGridSettings s;
    s.glyphSize = 12;
    auto grid = GlyphGrid::Create(s, 1920, 1080);
    EXPECT_EQ(int32_t(grid->Cells().size()), GlyphBatchSize(1920, 1080, 12));
}

TEST(GlyphRainSettingsTest, CellHalfSizeScalesLikeThePicture)
{
    QuadTemplate fitted;
    SetQuadCorners(fitted, 0, 0, 1024, 768);
    GlyphHalfSize h = GlyphCellHalfSize(fitted, 800, 600, 16);
    EXPECT_FLOAT_EQ(10.24f, h.hx);
    EXPECT_FLOAT_EQ(10.24f, h.hy);
    QuadTemplate stretched;
    SetQuadCorners(stretched, 0, 0, 1280, 720);
    h = GlyphCellHalfSize(stretched, 800, 600, 16);
    EXPECT_FLOAT_EQ(12.8f, h.hx);
    EXPECT_FLOAT_EQ(9.6f, h.hy);
    h = GlyphCellHalfSize(stretched, 0, 600, 16); // a picture of no size places nothing
    EXPECT_EQ(0.0f, h.hx);
    EXPECT_EQ(0.0f, h.hy);
}

struct ColourCase {
    int32_t brightness, mode;
    float intensity, luminance;
    uint32_t mask;
    D3DCOLOR expected;
};

void PrintTo(const ColourCase& c, std::ostream* os)
{
    *os << "class " << c.brightness << " mode " << c.mode << " intensity " << c.intensity << " L " << c.luminance;
}

class GlyphQuadColourTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(GlyphQuadColourTest, FromClassModeAndLuminance)
{
    const ColourCase& c = GetParam();
    // Glyph colour COLORREF 0x00336699 (red 0x99), head colour pure green.
    EXPECT_EQ(c.expected, GlyphQuadColour(c.brightness, c.mode, c.intensity, c.luminance, 0x00336699u, 0x0000FF00u,
                                          c.mask));
}

constexpr uint32_t kAll = 0xFFFFFFFFu;
INSTANTIATE_TEST_SUITE_P(
    Cases, GlyphQuadColourTest,
    ::testing::Values(ColourCase{1, 0, 1.0f, 0.0f, kAll, 0xFF996633u}, // steady
                      ColourCase{0, 0, 1.0f, 0.0f, kAll, 0x7F996633u}, // dying: half
                      ColourCase{2, 0, 1.0f, 0.0f, kAll, 0xFF00FF00u}, // bright: head colour
                      ColourCase{1, 1, 1.0f, 0.587f, kAll, 0x95996633u}, // luminance of pure green
                      ColourCase{0, 1, 1.0f, 0.587f, kAll, 0x95996633u}, // not halved in mode 1
                      ColourCase{2, 1, 1.0f, 0.587f, kAll, 0xFF00FF00u}, // bright ignores the picture
                      ColourCase{1, 0, 0.7f, 0.0f, kAll, 0xB2996633u},   // transparency 30: 178
                      ColourCase{0, 0, 0.7f, 0.0f, kAll, 0x59996633u},   // 89
                      ColourCase{1, 1, 0.0f, 1.0f, kAll, 0x00996633u},   // transparency 100
                      ColourCase{2, 0, 1.0f, 0.0f, 0x00FFFFFFu, 0x0000FF00u}, // past the last glyph
                      ColourCase{0, 2, 1.0f, 0.0f, kAll, 0x7F996633u},   // other modes colour as mode 0
                      ColourCase{1, 0, 42949672.0f, 0.0f, kAll, 0xFF996633u})); // saturated

TEST(GlyphLuminanceTest, IndexSpreadsTheGridOverTheMap)
{
    EXPECT_EQ(0, LuminanceIndex(0, 0, 3, 2));
    EXPECT_EQ(85, LuminanceIndex(1, 0, 3, 2));
    EXPECT_EQ(170, LuminanceIndex(2, 0, 3, 2));
    EXPECT_EQ(128 * 256 + 170, LuminanceIndex(2, 1, 3, 2));
    EXPECT_EQ(0, LuminanceIndex(0, 0, 1, 1));
    EXPECT_EQ(255 * 256 + 255, LuminanceIndex(1920, 1080, 1921, 1081));
}

TEST(GlyphLuminanceTest, WeighsRedGreenAndBlueAndStepsRowsByThePitch)
{
    constexpr int32_t kPitch = 1040;
    std::vector<uint8_t> bits(size_t(kPitch) * 256, 0xEE); // the padding must not be read
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            uint8_t* p = &bits[size_t(y) * kPitch + size_t(x) * 4];
            const int part = x / 86; // blue, green, red columns; white bottom rows
            p[0] = y >= 250 || part == 0 ? 255 : 0;
            p[1] = y >= 250 || part == 1 ? 255 : 0;
            p[2] = y >= 250 || part == 2 ? 255 : 0;
            p[3] = 0x55;
        }
    std::vector<float> map(65536, -1.0f);
    LuminanceFromBgrx(bits.data(), kPitch, map.data());
    EXPECT_FLOAT_EQ(0.114f, map[10]);
    EXPECT_FLOAT_EQ(0.587f, map[100 * 256 + 100]);
    EXPECT_FLOAT_EQ(0.299f, map[249 * 256 + 255]);
    EXPECT_NEAR(1.0f, map[255 * 256 + 3], 1e-6f);
}

// What FillGlyphQuads writes, quad by quad.
struct RecordedQuad {
    D3DXVECTOR3 centre{0, 0, 0}, a{0, 0, 0}, b{0, 0, 0};
    D3DCOLOR colour = 0xDEADBEEF;
    float uv[4] = {};
};

struct RecordingSink {
    std::vector<RecordedQuad> quads;
    explicit RecordingSink(size_t n) : quads(n) {}
    void SetQuadPosition(int32_t q, const D3DXVECTOR3& c, const D3DXVECTOR3& a, const D3DXVECTOR3& b)
    {
        quads.at(size_t(q)).centre = c;
        quads.at(size_t(q)).a = a;
        quads.at(size_t(q)).b = b;
    }
    void SetQuadColour(int32_t q, D3DCOLOR colour) { quads.at(size_t(q)).colour = colour; }
    void SetQuadUV(int32_t q, float u0, float u1, float v0, float v1)
    {
        const float uv[4] = {u0, u1, v0, v1};
        std::memcpy(quads.at(size_t(q)).uv, uv, sizeof uv);
    }
};

// A 3 × 2 grid with a steady glyph 1 at (2, 0) and a dying glyph 2 at (0, 1), N = 4.
std::unique_ptr<GlyphCursor> TwoGlyphs()
{
    GlyphGridSettings s;
    s.glyphSize = 16;
    s.glyphCount = 4;
    s.flickerCount = 0;
    auto grid = GlyphGrid::Create(s, 32, 16, [] { return 1; });
    grid->Cell(2, 0) = GlyphCell::WithGlyph(0, 1);
    grid->Cell(0, 1) = GlyphCell::WithFade(GlyphCell::WithGlyph(0, 2), -1);
    return std::make_unique<GlyphCursor>(std::move(grid));
}

TEST(GlyphRainFillTest, VisibleCellsFirstThenInvisibleQuads)
{
    auto cursor = TwoGlyphs();
    GlyphFrame frame;
    frame.half = {4.0f, 5.0f};
    frame.left = 10.0f;
    frame.top = 20.0f;
    frame.intensity = 1.0f;
    frame.glyphColour = 0x000000FFu; // red
    frame.headColour = 0x00FFFFFFu;
    RecordingSink sink(6);
    FillGlyphQuads(*cursor, frame, 6, sink);

    EXPECT_EQ(D3DXVECTOR3(30, 25, 0), sink.quads[0].centre);
    EXPECT_EQ(D3DXVECTOR3(4, 0, 0), sink.quads[0].a);
    EXPECT_EQ(D3DXVECTOR3(0, 5, 0), sink.quads[0].b);
    EXPECT_EQ(0xFFFF0000u, sink.quads[0].colour);
    const float band1[4] = {0, 1, 0, 0.25f};
    EXPECT_EQ(0, std::memcmp(band1, sink.quads[0].uv, sizeof band1));
    EXPECT_EQ(D3DXVECTOR3(14, 35, 0), sink.quads[1].centre);
    EXPECT_EQ(0x7FFF0000u, sink.quads[1].colour); // dying: half
    for (size_t q = 2; q < 6; ++q) {
        EXPECT_EQ(sink.quads[1].centre, sink.quads[q].centre) << q; // the last record, unseen
        EXPECT_EQ(0u, sink.quads[q].colour >> 24) << q;
    }
    EXPECT_EQ(2, cursor->visible);
}

TEST(GlyphRainFillTest, ColourModeOneReadsTheMapAtEachCell)
{
    auto cursor = TwoGlyphs();
    std::vector<float> map(65536, 0.0f);
    map[170] = 0.5f;          // cell (2, 0)
    map[128 * 256] = 0.25f;   // cell (0, 1)
    GlyphFrame frame;
    frame.intensity = 1.0f;
    frame.colourMode = 1;
    frame.luminanceMap = map.data();
    RecordingSink sink(6);
    FillGlyphQuads(*cursor, frame, 6, sink);
    EXPECT_EQ(127u, sink.quads[0].colour >> 24);
    EXPECT_EQ(63u, sink.quads[1].colour >> 24); // not halved
}

TEST(GlyphRainFillTest, FirstQuadOfAnEmptyGridIsInvisible)
{
    GlyphGridSettings s;
    s.flickerCount = 0;
    GlyphCursor cursor(GlyphGrid::Create(s, 16, 16, [] { return 1; }));
    GlyphFrame frame;
    frame.intensity = 1.0f;
    RecordingSink sink(4);
    FillGlyphQuads(cursor, frame, 4, sink);
    for (const RecordedQuad& q : sink.quads)
        EXPECT_EQ(0u, q.colour >> 24);
}

TEST(GlyphRainFillTest, StepWritesEmptyCellsAfterAFrameWithEveryCellVisible)
{
    GlyphGridSettings s;
    s.flickerCount = 0;
    s.glyphCount = 4;
    s.direction = 1;
    GlyphCursor cursor(GlyphGrid::Create(s, 0, 16, [] { return 1; })); // 1 × 2
    cursor.Grid().Stream(0) = GlyphColumn{5, 0, 0};
    cursor.visible = 2; // both cells were visible
    StepGlyphRain(cursor, 2);
    EXPECT_EQ(2, cursor.previousVisible);
    EXPECT_EQ(0u, GlyphCell::Glyph(cursor.Grid().Cell(0, 0)));
    EXPECT_EQ(4, cursor.Grid().Stream(0).remaining);

    cursor.visible = 1; // now one cell was empty: glyphs again
    StepGlyphRain(cursor, 2);
    EXPECT_EQ(2u, GlyphCell::Glyph(cursor.Grid().Cell(0, 1)));
}

class GlyphLuminanceDeviceTest : public DeviceTest {};

TEST_F(GlyphLuminanceDeviceTest, MapOfAHalfBlackHalfWhitePicture)
{
    ComRef<IDirect3DTexture9> picture =
        PaintedTexture(device(), 256, 256, [](UINT x, UINT) { return x < 128 ? 0xFF000000u : 0xFFFFFFFFu; });
    ASSERT_TRUE(picture);
    const std::vector<float> map = PictureLuminanceMap(picture.Get());
    ASSERT_EQ(65536u, map.size());
    for (int y : {0, 100, 255}) {
        EXPECT_NEAR(0.0f, map[size_t(y) * 256 + 10], 1e-6f) << y;
        EXPECT_NEAR(0.0f, map[size_t(y) * 256 + 120], 1e-6f) << y;
        EXPECT_NEAR(1.0f, map[size_t(y) * 256 + 136], 1e-6f) << y;
        EXPECT_NEAR(1.0f, map[size_t(y) * 256 + 255], 1e-6f) << y;
    }
}

TEST_F(GlyphLuminanceDeviceTest, MissingPictureGivesAMapOfOnes)
{
    const std::vector<float> map = PictureLuminanceMap(nullptr);
    ASSERT_EQ(65536u, map.size());
    for (float v : map)
        ASSERT_EQ(1.0f, v);
}

} // namespace
