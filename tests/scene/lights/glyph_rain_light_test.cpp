// The glyph-rain mode on a real device: what the first frame shows, the glyphs over the picture
// in colour mode 0 and drawing the picture on black in colour mode 1, the slide's values, a
// restart by SetStretch, and letting go of the device before a reset.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "document/CurrentDevice.h"
#include "scene/lights/MutableMatrix.h"
#include "tests/scene/lights/LightFixture.h"
#include "tests/support/TestPictures.h"

namespace {

constexpr D3DCOLOR kBlue = 0xFF0000FFu;
constexpr uint32_t kRedRef = 0x000000FFu;   // COLORREF
constexpr uint32_t kGreenRef = 0x0000FF00u; // COLORREF

class GlyphRainLightTest : public LightTest {
protected:
    // A kind-5 slide over `picture` with an opaque white glyph strip of 4 × 8 (4 glyph slots):
    // every glyph is a solid square in its slide colour. Glyph size 4: a 17 × 13 grid over the
    // 64 × 48 picture. Density 100: every free column spawns each frame.
    std::unique_ptr<SlideRecord> GlyphSlide(const Bytes& picture, int32_t colourMode, int32_t direction,
                                            uint32_t flicker)
    {
        auto slide = Slide(picture, kSlideGlyphs);
        slide->resourceRefs[0].name = L"strip.png";
        slide->resourceRefs[0].data = PaintedPng(device(), 4, 8, [](UINT, UINT) { return 0xFFFFFFFFu; });
        slide->levels[0] = 4;
        slide->levels[1] = 100;
        slide->levels[2] = flicker;
        slide->levels[3] = 0;
        slide->colours[0] = kRedRef;
        slide->colours[1] = kGreenRef;
        slide->options[0] = direction;
        slide->options[1] = colourMode;
        return slide;
    }

    std::unique_ptr<MutableMatrix> MakeLight(const SlideRecord& slide)
    {
        std::unique_ptr<MutableLight> light(CreateMutableLight(&slide));
        auto* matrix = dynamic_cast<MutableMatrix*>(light.get());
        EXPECT_NE(nullptr, matrix) << "kind 5 is not the glyph rain";
        if (!matrix)
            return nullptr;
        light.release();
        std::unique_ptr<MutableMatrix> owned(matrix);
        owned->SetStretch(1); // the picture over the whole back buffer
        return owned;
    }

    // Pixels of colour rgb inside the bars, which reach one pixel into the picture along its left
    // and top edges.
    static size_t Inside(const PixelImage& image, uint32_t rgb)
    {
        return image.width == kWidth ? image.Count(rgb, 1, 1, kWidth, kHeight) : 0;
    }
    static constexpr size_t kInside = size_t(kWidth - 1) * (kHeight - 1);

    void DrawFrames(MutableLight& light, int frames)
    {
        for (int i = 0; i < frames; ++i)
            ASSERT_NO_FATAL_FAILURE(DrawFrame(light, nullptr, i == 0));
    }

    // The screen after `frames` frames of the slide's rain (the first on magenta), saved under
    // `name` when one is given.
    PixelImage Rain(const SlideRecord& slide, int frames, const wchar_t* name = nullptr)
    {
        auto light = MakeLight(slide);
        if (!light)
            return PixelImage{};
        DrawFrames(*light, frames);
        if (name)
            SaveBackBufferPng(device(), name);
        return ReadBackBuffer();
    }
};

bool Near(uint32_t a, uint32_t b, int tolerance = 3)
{
    for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

TEST_F(GlyphRainLightTest, SlideValuesBecomeTheLightsSettings)
{
    auto slide = GlyphSlide(Picture(64, 48, kBlue), 0, 1, 7);
    slide->levels[0] = 0;   // glyph size 0 counts as 1
    slide->levels[1] = 250; // density above 100 counts as 100
    slide->levels[3] = 30;
    auto light = MakeLight(*slide);
    ASSERT_TRUE(light);
    const DS_MatrixLight& m = *light->light();
    EXPECT_EQ(1u, m.settings.glyphSize);
    EXPECT_EQ(100u, m.settings.density);
    EXPECT_EQ(7, m.settings.flickerCount);
    EXPECT_EQ(1, m.settings.direction);
    EXPECT_EQ(4, m.settings.glyphCount); // 8 / 4 + 2
    EXPECT_EQ(0.7f, m.intensity);
    EXPECT_EQ(kRedRef, m.glyphColour);
    EXPECT_EQ(kGreenRef, m.headColour);
    EXPECT_EQ(65, m.cursor->Grid().Columns());
    EXPECT_EQ(49, m.cursor->Grid().Rows());
    EXPECT_EQ(65 * 49, m.batch.QuadCount());
    EXPECT_TRUE(m.luminanceMap.empty());
}

// The first step writes only empty cells, so the first frame shows the background alone: the
// picture in colour mode 0, black in colour mode 1, and in any other mode nothing at all.
TEST_F(GlyphRainLightTest, FirstFrameShowsOnlyTheBackgroundOfItsColourMode)
{
    const struct {
        int32_t mode;
        uint32_t rgb;
    } cases[] = {{0, 0x0000FF}, {1, 0x000000}, {2, kMagenta}};
    for (const auto& c : cases)
        EXPECT_EQ(kInside, Inside(Rain(*GlyphSlide(Picture(64, 48, kBlue), c.mode, 1, 10), 1), c.rgb)) << c.mode;
}

// Colour mode 0: the picture stays behind the glyphs, which take the slide's colours: red when
// steady, half red when dying, green when bright.
TEST_F(GlyphRainLightTest, ColourModeZeroDrawsGlyphsOverThePicture)
{
    const PixelImage image = Rain(*GlyphSlide(Picture(64, 48, kBlue), 0, 2, 20), 60, L"glyph_rain_mode_0");
    ASSERT_EQ(kWidth, image.width);
    size_t blue = 0, red = 0, other = 0;
    for (UINT y = 0; y < kHeight; ++y)
        for (UINT x = 0; x < kWidth; ++x) {
            const uint32_t c = image.Rgb(x, y);
            if (c == 0x0000FF)
                ++blue;
            else if (Near(c, 0xFF0000))
                ++red;
            else if (!Near(c, 0x00FF00) && !Near(c, 0x7F0080) && !Near(c, 0x7F7F00) && !Near(c, 0x00FF7F))
                ++other; // filtered edges between neighbouring glyphs of different colours
        }
    EXPECT_GT(blue, kWidth * kHeight / 20) << "no picture left behind the glyphs";
    EXPECT_GT(red, kWidth * kHeight / 20) << "no steady glyphs";
    EXPECT_LT(other, kWidth * kHeight / 20);
}

// Colour mode 1 on a picture black on the left and white on the right: with neither bright nor
// flickering glyphs (scrolling streams, no flicker cells) glyphs light only over the white half.
TEST_F(GlyphRainLightTest, ColourModeOneLightsGlyphsOnlyWhereThePictureIsBright)
{
    const Bytes picture =
        PaintedPng(device(), 64, 48, [](UINT x, UINT) { return x < 32 ? 0xFF000000u : 0xFFFFFFFFu; });
    auto light = MakeLight(*GlyphSlide(picture, 1, 0, 0));
    ASSERT_TRUE(light);
    ASSERT_EQ(65536u, light->light()->luminanceMap.size());
    DrawFrames(*light, 60);
    const PixelImage image = ReadBackBuffer();
    SaveBackBufferPng(device(), L"glyph_rain_mode_1");
    EXPECT_EQ(0u, image.Count(kMagenta)) << "the back buffer was not cleared";
    // The left quarter stays black; the right quarter has red glyphs.
    EXPECT_EQ(size_t(kWidth / 4) * kHeight, image.Count(0x000000, 0, 0, kWidth / 4, kHeight));
    EXPECT_GT(image.Count(0xFF0000, kWidth * 3 / 4, 0, kWidth, kHeight), size_t(kWidth / 4) * kHeight / 10);
}

TEST_F(GlyphRainLightTest, FullTransparencyHidesEveryGlyph)
{
    auto slide = GlyphSlide(Picture(64, 48, kBlue), 0, 2, 20);
    slide->levels[3] = 100;
    EXPECT_EQ(kInside, Inside(Rain(*slide, 40), 0x0000FF));
}

TEST_F(GlyphRainLightTest, StretchRestartsTheRainWithOneQuadPerCell)
{
    auto light = MakeLight(*GlyphSlide(Picture(64, 48, kBlue), 0, 1, 0));
    ASSERT_TRUE(light);
    DrawFrames(*light, 30);
    light->SetStretch(0);
    // A new grid: every cell empty again (a new cursor may well live where the old one did, so
    // its address tells nothing).
    const DS_MatrixLight& m = *light->light();
    ASSERT_TRUE(m.cursor);
    for (uint32_t cell : m.cursor->Grid().Cells())
        EXPECT_EQ(0u, GlyphCell::Glyph(cell));
    EXPECT_EQ(int32_t(m.cursor->Grid().Cells().size()), m.batch.QuadCount());
}

// Before a reset the light lets go of what its frame left bound: the glyph strip on stage 0, the
// batch's vertex stream and its indices.
TEST_F(GlyphRainLightTest, ReleaseUnbindsAndTheDeviceResets)
{
    auto light = MakeLight(*GlyphSlide(Picture(64, 48, kBlue), 0, 1, 10));
    ASSERT_TRUE(light);
    DrawFrames(*light, 10); // glyphs show by then: a frame without any draws no quad at all
    ASSERT_EQ("stage 0 texture, stream 0, indices", BoundDrawingResources(device(), 1)) << "after the frame";
    light->ReleaseDeviceResources();
    EXPECT_EQ("", BoundDrawingResources(device(), 1)) << "after the release";
    EXPECT_EQ(D3D_OK, test_device().Reset(kWidth, kHeight));
}

} // namespace
