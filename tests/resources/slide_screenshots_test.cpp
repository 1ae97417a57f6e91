// Screenshots of the default show: every slide of the generated scene document drawn through its
// own light mode, two frames as the player draws them, on a 4:3 back buffer larger than the
// device fixture's. Each is saved as slide_<n>_<title>.png in the test-artifact folder, for a
// person to look at, and checked for what must hold on any slide: no clear colour left, the
// slide's own picture on the screen, and more than a black screen. Then the whole show on the
// back buffers of real screens, 1024 x 768 and 1280 x 720, stretched and letterboxed, saved as
// slide_<n>_<title>_<size>_<fit>.png. Last, each slide's light across a device reset.
#include <d3dx9.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <typeinfo>
#include <vector>

#include "document/ComRef.h"
#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "document/SceneDoc.h"
#include "scene/constructors/DS_BirdConstructor.h"
#include "scene/constructors/DS_ButterflyConstructor.h"
#include "scene/constructors/DS_FishConstructor.h"
#include "scene/constructors/DS_FlowConstructor.h"
#include "scene/constructors/DS_FlowerConstructor.h"
#include "scene/constructors/DS_FogConstructor.h"
#include "scene/constructors/DS_GhostConstructor.h"
#include "scene/constructors/DS_GodRayConstructor.h"
#include "scene/constructors/DS_GrassConstructor.h"
#include "scene/constructors/DS_LightingConstructor.h"
#include "scene/constructors/DS_SparkleConstructor.h"
#include "scene/constructors/DS_StatObjConstructor.h"
#include "scene/constructors/SceneReaders.h"
#include "scene/lights/DS_EffectLightBase.h"
#include "scene/lights/DS_GlassBallLight.h"
#include "scene/lights/DS_WaterRingLight.h"
#include "scene/lights/MutableAqua.h"
#include "scene/lights/MutableFire.h"
#include "scene/lights/MutableGlassBall.h"
#include "scene/lights/MutableLight.h"
#include "scene/lights/MutableNone.h"
#include "scene/lights/MutableRings.h"
#include "scene/objects/DS_3D_in_2D_array.h"
#include "scene/objects/DS_SpriteArrayObj.h"
#include "scene/render/DeviceBindings.h"
#include "scene/render/QuadTemplate.h"
#include "scene/render/ScreenQuad.h"
#include "scene/render/ViewMetrics.h"
#include "tests/resources/PictureChecks.h"
#include "tests/scene/PictureFit.h"
#include "tests/support/DeviceFixture.h"
#include "tests/support/CountedEffectTextures.h"
#include "tests/support/CurrentObjects.h"
#include "tests/support/FabricatedDevice.h"
#include "tests/support/ErrorBoxLook.h"

namespace {

constexpr uint32_t kMagenta = 0xFF00FF;

// The show's slides in order; the titles name the saved screenshots.
struct ShowSlide {
    int32_t kind;
    const wchar_t* title;
};
const ShowSlide kSlides[] = {
    {kSlidePicture, L"summer_meadow"},  {kSlideGlassBall, L"island_in_a_glass_ball"},
    {kSlideUnderwater, L"coral_reef"},  {kSlideRings, L"pond_in_the_rain"},
    {kSlideLake, L"lake_at_dusk"},      {kSlideFire, L"night_by_the_fire"},
    {kSlideGlyphs, L"northern_lights"},
};

// A picture decoded at its own size, without resampling, as 0xAARRGGBB values.
PixelImage DecodePicture(IDirect3DDevice9* device, const NamedBlob& picture)
{
    PixelImage image;
    D3DXIMAGE_INFO info = {};
    if (FAILED(D3DXGetImageInfoFromFileInMemory(picture.Bytes(), picture.Size(), &info)))
        return image;
    ComRef<IDirect3DSurface9> surface;
    if (FAILED(device->CreateOffscreenPlainSurface(info.Width, info.Height, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                   surface.Out(), nullptr)) ||
        FAILED(D3DXLoadSurfaceFromFileInMemory(surface.Get(), nullptr, nullptr, picture.Bytes(), picture.Size(),
                                               nullptr, D3DX_FILTER_NONE, 0, nullptr)))
        return image;
    D3DLOCKED_RECT rect;
    if (FAILED(surface->LockRect(&rect, nullptr, D3DLOCK_READONLY)))
        return image;
    image.width = info.Width;
    image.height = info.Height;
    image.pixels.resize(size_t(info.Width) * info.Height);
    for (UINT y = 0; y < info.Height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(rect.pBits) + y * rect.Pitch);
        std::copy(row, row + info.Width, &image.pixels[size_t(y) * info.Width]);
    }
    surface->UnlockRect();
    return image;
}

// Mean colour of a picture over the block of texels that lands on screen pixel (x, y), when the
// picture fills a screen of the given size exactly.
uint32_t PictureColourAt(const PixelImage& picture, UINT x, UINT y, UINT screenWidth, UINT screenHeight)
{
    const UINT x0 = x * picture.width / screenWidth;
    const UINT y0 = y * picture.height / screenHeight;
    const UINT x1 = std::max(x0 + 1, (x + 1) * picture.width / screenWidth);
    const UINT y1 = std::max(y0 + 1, (y + 1) * picture.height / screenHeight);
    uint32_t sum[3] = {};
    for (UINT py = y0; py < y1; ++py)
        for (UINT px = x0; px < x1; ++px)
            for (int c = 0; c < 3; ++c)
                sum[c] += (picture.At(px, py) >> (8 * c)) & 0xFF;
    const uint32_t n = (x1 - x0) * (y1 - y0);
    return (sum[2] / n) << 16 | (sum[1] / n) << 8 | (sum[0] / n);
}

bool CloseColours(uint32_t a, uint32_t b, int tolerance)
{
    for (int c = 0; c < 3; ++c)
        if (std::abs(int((a >> (8 * c)) & 0xFF) - int((b >> (8 * c)) & 0xFF)) > tolerance)
            return false;
    return true;
}

// Clearly brighter than black.
bool Lit(uint32_t pixel) { return !CloseColours(pixel, 0, 16); }

size_t LitPixels(const PixelImage& image)
{
    return static_cast<size_t>(std::count_if(image.pixels.begin(), image.pixels.end(), Lit));
}

// The share of a grid of screen points, inside the one-pixel edge strips and above row `below`,
// whose colour matches the picture stretched over the whole screen.
double PictureMatch(const PixelImage& screen, const PixelImage& picture, UINT below = 0)
{
    int matched = 0;
    int total = 0;
    const UINT bottom = below ? below : screen.height - 8;
    for (UINT y = 8; y < bottom; y += 16)
        for (UINT x = 8; x < screen.width - 8; x += 16) {
            ++total;
            if (CloseColours(screen.Rgb(x, y), PictureColourAt(picture, x, y, screen.width, screen.height), 32))
                ++matched;
        }
    return double(matched) / total;
}

// The pixels of two screens of one size that differ by more than `tolerance` levels in some
// channel. Between frames drawn at one time with and without some objects: where those objects are.
std::vector<bool> DifferenceMask(const PixelImage& a, const PixelImage& b, int tolerance = 8)
{
    std::vector<bool> mask(std::min(a.pixels.size(), b.pixels.size()));
    for (size_t i = 0; i < mask.size(); ++i)
        mask[i] = !CloseColours(a.pixels[i], b.pixels[i], tolerance);
    return mask;
}

// How many pixels of two screens differ by more than a few levels.
size_t DifferentPixels(const PixelImage& a, const PixelImage& b)
{
    const std::vector<bool> mask = DifferenceMask(a, b, 4);
    return std::count(mask.begin(), mask.end(), true);
}

// Which of a slide's object descriptions a test draws.
using ObjectFilter = bool (*)(const DS_ABObj_Constructor*);

template <class Kind>
bool OfKind(const DS_ABObj_Constructor* d)
{
    return dynamic_cast<const Kind*>(d) != nullptr;
}
// Flows, rain, grass, static pictures and flowers (rain is a flow, a flower a static picture).
bool IsFlowOrPlant(const DS_ABObj_Constructor* d)
{
    return OfKind<DS_FlowConstructor>(d) || OfKind<DS_GrassConstructor>(d) || OfKind<DS_StatObjConstructor>(d);
}
bool IsStaticPictureOnly(const DS_ABObj_Constructor* d)
{
    return OfKind<DS_StatObjConstructor>(d) && !OfKind<DS_FlowerConstructor>(d);
}
bool NoObject(const DS_ABObj_Constructor*) { return false; }

// The default show loaded on a device of its own size, current while the test runs, and the
// player's way of drawing its slides.
class ShowOnDevice : public ::testing::Test {
protected:
    ShowOnDevice(UINT width, UINT height) : testDevice(width, height) {}

    void SetUp() override
    {
        ASSERT_TRUE(testDevice.Ok()) << "no Direct3D 9 device could be made";
        CurrentDevice = testDevice.device();
        const std::vector<unsigned char> bytes =
            ReadFileBytes(ProgramFolder() + L"..\\generated\\scene\\scene107.dds");
        ASSERT_FALSE(bytes.empty()) << "generated\\scene\\scene107.dds is missing";
        RegisterSceneReaders(); // the slides hold objects of the program's kinds
        ASSERT_TRUE(LoadSceneDocument(bytes.data(), bytes.size(), doc)); // makes its manager current
        fade.Create(0xFF000000u, MakeBackBufferQuad());
        fade.SetVertexAlphas(0.0f, 0.0f, 0.0f, 0.0f);
    }

    void TearDown() override
    {
        doc.Destroy();
        doc.resources.reset();
    }

    // The slide's light as the player makes it, with the picture letterboxed (0) or stretched (1).
    static std::unique_ptr<MutableLight> MakeLight(const SlideRecord& slide, int stretch = 0)
    {
        std::unique_ptr<MutableLight> light(CreateMutableLight(&slide));
        if (light)
            light->SetStretch(stretch);
        return light;
    }

    // One frame as the player draws it, with the fade quad fully clear.
    void DrawFrame(MutableLight& light, DS_ScreenQuad& fade, float time)
    {
        IDirect3DDevice9* device = testDevice.device();
        ASSERT_EQ(D3D_OK, device->BeginScene());
        light.UpdateObjects(time);
        light.Update(time);
        light.BeginFrame();
        light.DrawObjects();
        light.EndFrame();
        light.DrawFadeQuad(&fade);
        device->EndScene();
    }

    // A light for `slide` that holds only the slide's objects that `keep` accepts; the slide
    // keeps all of its own.
    static std::unique_ptr<MutableLight> LightWithOnly(SlideRecord& slide, ObjectFilter keep, int stretch = 0)
    {
        ObjectList all;
        all.swap(slide.objects);
        for (DS_ABObj_Constructor* object : all)
            if (keep(object))
                slide.objects.push_back(object);
        std::unique_ptr<MutableLight> light = MakeLight(slide, stretch);
        slide.objects.swap(all);
        return light;
    }

    // The screen after frames `step` seconds apart (20 ms by default) from `from` up to `until`
    // seconds of application time.
    PixelImage DrawFrames(MutableLight& light, float from, float until, float step = 0.02f)
    {
        for (float t = from; t <= until + 1e-4f; t += step)
            DrawFrame(light, fade, t);
        return ReadRenderTarget(testDevice.device());
    }

    TestDevice testDevice;
    SceneDoc doc;
    DS_ScreenQuad fade; // fully clear

private:
    CurrentObjectsGuard current_; // the last member: the current objects come back first
};

class SlideScreenshots : public ShowOnDevice {
protected:
    static constexpr UINT kWidth = 512; // 4:3 like the slide pictures, so the picture fills it
    static constexpr UINT kHeight = 384;

    SlideScreenshots() : ShowOnDevice(kWidth, kHeight) {}
};

TEST_F(SlideScreenshots, EachSlideShowsItsPictureThroughItsLight)
{
    IDirect3DDevice9* device = testDevice.device();
    ASSERT_EQ(std::size(kSlides), doc.slideCount);
    for (uint32_t i = 0; i < doc.slideCount; ++i) {
        SlideRecord& slide = doc.slides[i];
        const std::wstring name = L"slide_" + std::to_wstring(i) + L"_" + kSlides[i].title;
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        EXPECT_EQ(kSlides[i].kind, slide.kind);
        // The glyph slide starts black and its glyphs draw the picture: its own test is below.
        if (slide.kind == kSlideGlyphs)
            continue;

        // The picture through the light alone; the slides' objects have tests of their own below.
        std::unique_ptr<MutableLight> light = LightWithOnly(slide, NoObject);
        ASSERT_NE(nullptr, light);

        // The first frame on a magenta back buffer, the second over the first.
        device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 0, 255), 1.0f, 0);
        ASSERT_NO_FATAL_FAILURE(DrawFrame(*light, fade, 0.01f));
        ASSERT_NO_FATAL_FAILURE(DrawFrame(*light, fade, 0.02f));
        const PixelImage screen = ReadRenderTarget(device);
        EXPECT_FALSE(SaveBackBufferPng(device, name).empty());

        EXPECT_EQ(0u, screen.Count(kMagenta)) << "clear colour left";
        EXPECT_GT(LitPixels(screen), screen.pixels.size() / 4) << "mostly black";

        // The glass ball shows its picture only inside the ball (IslandSwaysInTheGlassBall).
        if (slide.kind == kSlideGlassBall)
            continue;
        // The slide's own picture fills the screen (its matches measure 0.93 to 1 here), and not
        // the next slide's picture (up to 0.4, between the two night slides).
        const PixelImage picture = DecodePicture(device, slide.picture);
        ASSERT_GT(picture.width, 0u) << "the slide picture does not decode";
        ASSERT_EQ(4 * picture.height, 3 * picture.width) << "not a 4:3 picture";
        // A lake covers the band under its water line with its own mirror, checked on its own below.
        const UINT shown = slide.kind == kSlideLake ? kHeight * UINT(100 + std::min(99, std::max(0, slide.amount))) / 200
                                                    : 0;
        EXPECT_GE(PictureMatch(screen, picture, shown), 0.85);
        const PixelImage other = DecodePicture(device, doc.slides[(i + 1) % doc.slideCount].picture);
        EXPECT_LT(PictureMatch(screen, other), 0.6);
    }
}

// What the glyph slide shows after four seconds of rain, at least: the share of the screen its
// glyphs light and the screen's mean brightness (0 to 1).
constexpr double kGlyphLitShare = 0.18;
constexpr double kGlyphBrightness = 0.045;

// The northern lights drawn by glyphs on black: after four seconds of rain the glyphs light up
// where the picture is bright (the aurora, the snow) and hardly where it is dark (the night sky),
// all of them in the slide's pale greens.
TEST_F(SlideScreenshots, GlyphRainDrawsTheNorthernLights)
{
    IDirect3DDevice9* device = testDevice.device();
    const size_t index = std::find_if(std::begin(kSlides), std::end(kSlides),
                                      [](const ShowSlide& s) { return s.kind == kSlideGlyphs; }) -
                         std::begin(kSlides);
    ASSERT_LT(index, size_t(doc.slideCount));
    const SlideRecord& slide = doc.slides[index];
    ASSERT_EQ(kSlideGlyphs, slide.kind);
    ASSERT_EQ(1, slide.options[1]) << "the glyphs do not draw the picture";
    std::unique_ptr<MutableLight> light(CreateMutableLight(&slide));
    light->SetStretch(0);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 0, 255), 1.0f, 0);
    const PixelImage screen = DrawFrames(*light, 0.02f, 4.0f);
    EXPECT_FALSE(SaveBackBufferPng(device, L"slide_" + std::to_wstring(index) + L"_" + kSlides[index].title).empty());
    EXPECT_EQ(0u, screen.Count(kMagenta)) << "clear colour left";

    const PixelImage picture = DecodePicture(device, slide.picture);
    ASSERT_GT(picture.width, 0u) << "the slide picture does not decode";
    size_t bright = 0, brightLit = 0, dark = 0, darkLit = 0, lit = 0, green = 0;
    for (UINT y = 0; y < screen.height; ++y)
        for (UINT x = 0; x < screen.width; ++x) {
            const uint32_t p = PictureColourAt(picture, x, y, screen.width, screen.height);
            const double luminance =
                (0.299 * ((p >> 16) & 0xFF) + 0.587 * ((p >> 8) & 0xFF) + 0.114 * (p & 0xFF)) / 255.0;
            const uint32_t s = screen.Rgb(x, y);
            const bool on = !CloseColours(s, 0, 24);
            lit += on;
            green += on && ((s >> 8) & 0xFF) >= ((s >> 16) & 0xFF) && ((s >> 8) & 0xFF) >= (s & 0xFF);
            if (luminance > 0.45) {
                ++bright;
                brightLit += on;
            } else if (luminance < 0.1) {
                ++dark;
                darkLit += on;
            }
        }
    ASSERT_GT(bright, 0u);
    ASSERT_GT(dark, 0u);
    // Enough of the picture comes through the rain to be seen as northern lights, not as an
    // empty night: glyphs over nearly a fifth of the screen, and the screen's mean brightness
    // that of a dim picture rather than of black.
    double brightness = 0;
    for (UINT y = 0; y < screen.height; ++y)
        for (UINT x = 0; x < screen.width; ++x) {
            const uint32_t s = screen.Rgb(x, y);
            brightness += ((s >> 16) & 0xFF) + ((s >> 8) & 0xFF) + (s & 0xFF);
        }
    brightness /= 3.0 * 255.0 * double(screen.pixels.size());
    const double litShare = double(lit) / double(screen.pixels.size());
    printf("[glyphs] lit %.3f of the screen, mean brightness %.3f\n", litShare, brightness);
    EXPECT_GT(litShare, kGlyphLitShare) << "the rain hardly draws the picture";
    EXPECT_GT(brightness, kGlyphBrightness) << "the slide reads as an empty screen";
    const double brightShare = double(brightLit) / bright, darkShare = double(darkLit) / dark;
    EXPECT_GT(brightShare, 0.1) << "hardly a glyph over the aurora";
    EXPECT_GT(brightShare, 3 * darkShare) << "the glyphs do not follow the picture";
    EXPECT_GT(double(green), 0.9 * double(lit)) << "glyphs not in the slide's greens";
}

// ---- Flows, rain, grass, static pictures and flowers ------------------------------------------

class FlowAndPlantScreenshots : public SlideScreenshots {
protected:
    // The slide drawn with the objects `keep` accepts, with the same random numbers each time:
    // the screen after two frames and after `laterFrames` more, a tenth of a second apart.
    void Draw(SlideRecord& slide, ObjectFilter keep, int laterFrames, PixelImage& first,
              PixelImage& later, size_t* kept = nullptr)
    {
        std::srand(16);
        std::unique_ptr<MutableLight> light = LightWithOnly(slide, keep);
        ASSERT_NE(nullptr, light);
        if (kept)
            *kept = light->objects.size();
        float t = 0.01f;
        for (int frame = 0; frame < 2; ++frame, t += 0.1f)
            ASSERT_NO_FATAL_FAILURE(DrawFrame(*light, fade, t));
        first = ReadRenderTarget(testDevice.device());
        for (int frame = 0; frame < laterFrames; ++frame, t += 0.1f)
            ASSERT_NO_FATAL_FAILURE(DrawFrame(*light, fade, t));
        later = ReadRenderTarget(testDevice.device());
    }
};

TEST_F(FlowAndPlantScreenshots, TheyShowOnTheirSlidesAndMove)
{
    const struct {
        uint32_t slide;
        size_t minObjects;
    } slides[] = {
        {0, 7}, // meadow: stone, five flowers, grass
        {2, 1}, // reef: bubbles
        {3, 1}, // pond: rain
        {5, 1}, // fire: smoke
    };
    for (const auto& c : slides) {
        SlideRecord& slide = doc.slides[c.slide];
        SCOPED_TRACE("slide " + std::to_string(c.slide));
        PixelImage bare, bareLater, shown, shownLater;
        size_t kept = 0;
        ASSERT_NO_FATAL_FAILURE(Draw(slide, NoObject, 0, bare, bareLater));
        ASSERT_NO_FATAL_FAILURE(Draw(slide, IsFlowOrPlant, 15, shown, shownLater, &kept));
        EXPECT_GE(kept, c.minObjects);
        EXPECT_GT(DifferentPixels(bare, shown), 400u) << "the objects do not show";
        EXPECT_GT(DifferentPixels(shown, shownLater), 200u) << "the objects do not move";
        SaveBackBufferPng(testDevice.device(), L"flows_and_plants_slide_" + std::to_wstring(c.slide));
    }
}

TEST_F(FlowAndPlantScreenshots, TheMeadowsStoneShowsAndStaysStill)
{
    SlideRecord& slide = doc.slides[0];
    PixelImage bare, bareLater, shown, shownLater;
    size_t kept = 0;
    ASSERT_NO_FATAL_FAILURE(Draw(slide, NoObject, 10, bare, bareLater));
    ASSERT_NO_FATAL_FAILURE(Draw(slide, IsStaticPictureOnly, 10, shown, shownLater, &kept));
    EXPECT_EQ(1u, kept);
    EXPECT_GT(DifferentPixels(bare, shown), 2000u) << "the stone does not show";
    EXPECT_EQ(0u, DifferentPixels(shown, shownLater)) << "the stone moved";
}

// --- The objects of the slides ------------------------------------------------------------------

// A light's objects of one kind, which a test takes out of the light and puts back.
template <class Kind>
class ObjectsOfKind {
public:
    explicit ObjectsOfKind(MutableLight& light) : light_(light)
    {
        for (DS_ABObj* object : light.objects)
            if (auto* found = dynamic_cast<Kind*>(object))
                found_.push_back(found);
    }
    const std::vector<Kind*>& found() const { return found_; }
    void TakeOut()
    {
        others_.clear();
        for (DS_ABObj* object : light_.objects)
            if (!dynamic_cast<Kind*>(object))
                others_.push_back(object);
        all_ = light_.objects;
        light_.objects = others_;
    }
    void PutBack() { light_.objects = all_; }

private:
    MutableLight& light_;
    std::vector<Kind*> found_;
    std::vector<DS_ABObj*> others_, all_;
};

// Leaves drift down across the pond: they show over the slide and move from one moment to the
// next.
TEST_F(SlideScreenshots, LeavesFallOnThePond)
{
    IDirect3DDevice9* device = testDevice.device();
    ASSERT_EQ(kSlideRings, kSlides[3].kind);
    std::unique_ptr<MutableLight> light = MakeLight(doc.slides[3]);
    ASSERT_NE(nullptr, light);

    ObjectsOfKind<DS_3D_in_2D_array> leaves(*light);
    ASSERT_EQ(2u, leaves.found().size()) << "the pond holds a drift of red and one of golden leaves";
    size_t leafCount = 0;
    for (const DS_3D_in_2D_array* drift : leaves.found()) {
        const DS_MeshElement* mesh = drift->MeshFrame();
        EXPECT_TRUE(mesh->texture) << "a leaf picture (library 30 or 31) did not load";
        EXPECT_GT(mesh->triangleCount, 0u) << "the leaf mesh (library 70) did not load";
        leafCount += mesh->children.size();
    }
    EXPECT_GE(leafCount, 10u);

    // At two moments a second apart: the frame with the leaves and the same moment without them.
    std::vector<bool> masks[2];
    for (int k = 0; k < 2; ++k) {
        const float t = 2.0f + k;
        ASSERT_NO_FATAL_FAILURE(DrawFrame(*light, fade, t));
        const PixelImage with = ReadRenderTarget(device);
        if (k == 0) {
            EXPECT_FALSE(SaveBackBufferPng(device, L"slide_3_pond_leaves").empty());
        }
        leaves.TakeOut();
        ASSERT_NO_FATAL_FAILURE(DrawFrame(*light, fade, t));
        leaves.PutBack();
        masks[k] = DifferenceMask(with, ReadRenderTarget(device));
    }
    const size_t shown = std::count(masks[0].begin(), masks[0].end(), true);
    EXPECT_GT(shown, 400u) << "hardly any leaf on the screen";
    EXPECT_LT(shown, masks[0].size() / 4) << "the leaves cover too much of the pond";
    size_t moved = 0;
    for (size_t i = 0; i < masks[0].size(); ++i)
        moved += masks[0][i] && !masks[1][i];
    EXPECT_GT(moved, shown / 2) << "the leaves stay where they were";
}

// Drops fall on the pond and their rings bend the picture around them, while the rest of the
// pond lies calm; ten seconds on, the water has neither run wild nor lost the picture.
TEST_F(SlideScreenshots, RingsSpreadOnThePond)
{
    IDirect3DDevice9* device = testDevice.device();
    SlideRecord& pond = doc.slides[3];
    ASSERT_EQ(kSlideRings, pond.kind);
    std::unique_ptr<MutableLight> light(LightWithOnly(pond, NoObject));
    ASSERT_TRUE(light);
    const float interval = RingsParamsFromSlide(pond).dropInterval;
    ASSERT_GT(interval, 1.0f);

    // Just before the second drop the ring of the first has faded; five frames after it the new
    // ring shows.
    const PixelImage calm = DrawFrames(*light, 0.02f, interval - 0.02f);
    const PixelImage ring = DrawFrames(*light, interval, interval + 0.1f);
    SaveBackBufferPng(device, L"slide_3_pond_rings");
    size_t bent = 0;
    for (size_t i = 0; i < calm.pixels.size(); ++i)
        bent += !CloseColours(calm.pixels[i] & 0xFFFFFF, ring.pixels[i] & 0xFFFFFF, 24);
    EXPECT_GT(bent, 300u) << "the new ring should bend the picture";
    EXPECT_LT(bent, calm.pixels.size() / 4) << "most of the pond should lie calm";

    const PixelImage later = DrawFrames(*light, interval + 0.12f, interval + 10.0f);
    const PixelImage picture = DecodePicture(device, pond.picture);
    ASSERT_GT(picture.width, 0u);
    EXPECT_GE(PictureMatch(later, picture), 0.85) << "the water ran wild";
}

// The meadow's butterflies: drawn alone over the picture they change pixels in the meadow's
// middle band, and a second later they are somewhere else.
TEST_F(SlideScreenshots, ButterfliesFlyOverTheMeadow)
{
    IDirect3DDevice9* device = testDevice.device();
    SlideRecord& meadow = doc.slides[0];
    ASSERT_EQ(kSlidePicture, meadow.kind);
    size_t flocks = 0;
    for (DS_ABObj_Constructor* object : meadow.objects)
        if (dynamic_cast<DS_ButterflyConstructor*>(object))
            ++flocks;
    ASSERT_EQ(1u, flocks) << "the meadow holds one butterfly flock";

    std::unique_ptr<MutableLight> bare(LightWithOnly(meadow, NoObject));
    ASSERT_TRUE(bare);
    ASSERT_TRUE(bare->objects.empty());
    const PixelImage picture = DrawFrames(*bare, 0.02f, 0.02f);

    std::unique_ptr<MutableLight> light(LightWithOnly(meadow, OfKind<DS_ButterflyConstructor>));
    ASSERT_TRUE(light);
    ASSERT_EQ(1u, light->objects.size());
    const PixelImage first = DrawFrames(*light, 0.02f, 1.0f);
    SaveBackBufferPng(device, L"meadow_butterflies_1s");
    const PixelImage second = DrawFrames(*light, 1.02f, 2.0f);
    SaveBackBufferPng(device, L"meadow_butterflies_2s");

    auto changed = [&](const PixelImage& screen, UINT x, UINT y) {
        return !CloseColours(screen.Rgb(x, y), picture.Rgb(x, y), 24);
    };
    size_t inBand = 0, elsewhere = 0, moved = 0, shown = 0;
    for (UINT y = 0; y < kHeight; ++y)
        for (UINT x = 0; x < kWidth; ++x) {
            const bool a = changed(first, x, y), b = changed(second, x, y);
            if (!a)
                continue;
            ++shown;
            // The flock's rectangle is y 0.45 to 0.85 of the picture; wings reach a little beyond.
            const bool band = y >= kHeight * 35 / 100 && y <= kHeight * 95 / 100;
            ++(band ? inBand : elsewhere);
            if (!b)
                ++moved;
        }
    EXPECT_GT(shown, 300u) << "five butterflies should show";
    EXPECT_LT(elsewhere, shown / 10) << "the butterflies keep to the meadow's middle band";
    EXPECT_GT(moved, shown / 3) << "a second later the butterflies should be elsewhere";
}

// The reef slide is seen through water: the same slide a light-second later has moved, but only
// a little, so the two frames differ in many places while the picture stays where it was.
TEST_F(SlideScreenshots, CoralReefWaversUnderWater)
{
    IDirect3DDevice9* device = testDevice.device();
    ASSERT_GT(doc.slideCount, 2u);
    SlideRecord& slide = doc.slides[2];
    ASSERT_EQ(kSlideUnderwater, slide.kind);
    // The water alone: the reef's bubbles would count as moved pixels of their own.
    std::unique_ptr<MutableLight> light = LightWithOnly(slide, NoObject);
    ASSERT_NE(nullptr, light);

    ASSERT_NO_FATAL_FAILURE(DrawFrame(*light, fade, 0.5f));
    const PixelImage early = ReadRenderTarget(device);
    ASSERT_NO_FATAL_FAILURE(DrawFrame(*light, fade, 1.5f));
    const PixelImage later = ReadRenderTarget(device);
    EXPECT_FALSE(SaveBackBufferPng(device, L"slide_2_coral_reef_later").empty());

    size_t moved = 0, jumped = 0;
    for (size_t i = 0; i < early.pixels.size(); ++i) {
        if ((early.pixels[i] & 0xFFFFFF) != (later.pixels[i] & 0xFFFFFF))
            ++moved;
        if (!CloseColours(early.pixels[i], later.pixels[i], 96))
            ++jumped;
    }
    EXPECT_GT(moved, early.pixels.size() / 10) << "the water does not move";
    EXPECT_LT(jumped, early.pixels.size() / 50) << "the picture moves too far";
}

// The island slide is a glass ball on its stand over the evening gradient. Drawn without its
// objects: the gradient shows in the corners and beside the ball, the island's sea and sky
// inside it, the wooden stand below; eight seconds later the island has swung sideways while
// everything outside the ball stays as it was.
TEST_F(SlideScreenshots, IslandSwaysInTheGlassBall)
{
    ASSERT_GT(doc.slideCount, 1u);
    SlideRecord& slide = doc.slides[1];
    ASSERT_EQ(kSlideGlassBall, slide.kind);
    std::unique_ptr<MutableLight> light = LightWithOnly(slide, NoObject);
    ASSERT_NE(nullptr, light);
    GlassScrollClock::Reset();
    const PixelImage early = DrawFrames(*light, 10.0f, 10.04f);
    EXPECT_FALSE(SaveBackBufferPng(testDevice.device(), L"glass_ball_island").empty());
    const PixelImage later = DrawFrames(*light, 18.0f, 18.04f);
    EXPECT_FALSE(SaveBackBufferPng(testDevice.device(), L"glass_ball_island_8s").empty());
    GlassScrollClock::Reset();

    // The gradient's rows, from deep evening blue to mauve (the slide's COLORREF colours).
    auto gradientAt = [&](UINT y) {
        const uint32_t top = slide.colours[0], bottom = slide.colours[1];
        const double t = (y + 0.5) / kHeight;
        uint32_t rgb = 0;
        for (int c = 0; c < 3; ++c) {
            const double a = (top >> (8 * c)) & 0xFF, b = (bottom >> (8 * c)) & 0xFF;
            rgb |= uint32_t(a + t * (b - a)) << (8 * (2 - c));
        }
        return rgb;
    };
    for (UINT y : {4u, kHeight / 2, kHeight - 5})
        for (UINT x : {4u, kWidth - 5})
            EXPECT_TRUE(CloseColours(early.Rgb(x, y), gradientAt(y), 12)) << x << ", " << y << std::hex << " "
                                                                             << early.Rgb(x, y);

    // The ball: 137 pixels round (256, 161), lifted above the stand.
    const int cx = 256, cy = 161;
    for (int dx : {-150, 150})
        EXPECT_TRUE(CloseColours(early.Rgb(cx + dx, cy), gradientAt(cy), 12)) << "beside the ball at " << dx;
    size_t scene = 0, inside = 0, moved = 0, outsideMoved = 0;
    for (UINT y = 0; y < kHeight; ++y)
        for (UINT x = 0; x < kWidth; ++x) {
            const int dx = int(x) - cx, dy = int(y) - cy;
            const bool core = dx * dx + dy * dy < 100 * 100;
            const bool changed = !CloseColours(early.Rgb(x, y), later.Rgb(x, y), 24);
            if (core) {
                ++inside;
                if (!CloseColours(early.Rgb(x, y), gradientAt(y), 40))
                    ++scene;
                if (changed)
                    ++moved;
            } else if (dx * dx + dy * dy > 145 * 145 && y < kHeight * 3 / 4 && changed) {
                ++outsideMoved;
            }
        }
    EXPECT_GT(scene, inside * 9 / 10) << "the island does not show in the ball";
    EXPECT_GT(moved, inside / 10) << "the island does not swing";
    EXPECT_EQ(0u, outsideMoved) << "the backdrop moves";

    // The stand is wood: red over green over blue.
    const uint32_t stand = early.Rgb(cx, kHeight - 30);
    EXPECT_GT((stand >> 16) & 0xFF, (stand >> 8) & 0xFF) << std::hex << stand;
    EXPECT_GT((stand >> 8) & 0xFF, stand & 0xFF) << std::hex << stand;
}


// The lake at dusk, its objects left out: the water under the picture's shore line (70 % of its
// height) mirrors the band above it and ripples from one moment to the next, while the sky and
// the hills above stay still.
TEST_F(SlideScreenshots, LakeAtDuskMirrorsAndRipplesBelowItsShore)
{
    IDirect3DDevice9* device = testDevice.device();
    ASSERT_GT(doc.slideCount, 4u);
    SlideRecord& slide = doc.slides[4];
    ASSERT_EQ(kSlideLake, slide.kind);
    std::unique_ptr<MutableLight> light = LightWithOnly(slide, NoObject);
    ASSERT_TRUE(light);

    const PixelImage early = DrawFrames(*light, 0.5f, 0.5f);
    EXPECT_FALSE(SaveBackBufferPng(device, L"slide_4_lake_at_dusk_water").empty());
    const PixelImage later = DrawFrames(*light, 0.9f, 0.9f);

    const UINT shore = kHeight * 70 / 100;
    size_t skyMoved = 0, waterMoved = 0;
    for (UINT y = 0; y < kHeight; ++y)
        for (UINT x = 0; x < kWidth; ++x)
            if (early.Rgb(x, y) != later.Rgb(x, y))
                ++(y + 2 < shore ? skyMoved : waterMoved);
    EXPECT_EQ(0u, skyMoved) << "the sky moves";
    EXPECT_GT(waterMoved, size_t(kWidth) * (kHeight - shore) / 10) << "the water does not ripple";

    // The mirror: each water row near the shore looks like the picture row as far above it,
    // column by column (the ripples move a few pixels, the shade darkens a little).
    size_t matched = 0, total = 0;
    for (UINT d = 4; d < 40; d += 4)
        for (UINT x = 8; x < kWidth - 8; x += 8) {
            ++total;
            if (CloseColours(early.Rgb(x, shore + d), early.Rgb(x, shore - d), 48))
                ++matched;
        }
    EXPECT_GT(matched, total * 6 / 10) << matched << " of " << total << " water points mirror the shore";
}

// The fire, without the slide's objects: flames flicker along the foot of the picture and the
// heat haze makes the whole frame shimmer a little, without tearing it apart.
TEST_F(SlideScreenshots, NightByTheFireFlickersAndShimmers)
{
    IDirect3DDevice9* device = testDevice.device();
    ASSERT_GT(doc.slideCount, 5u);
    SlideRecord& slide = doc.slides[5];
    ASSERT_EQ(kSlideFire, slide.kind);
    ASSERT_NE(0, slide.switches[0]) << "the haze is on";
    std::unique_ptr<MutableLight> light = LightWithOnly(slide, NoObject);
    ASSERT_NE(nullptr, light);
    ASSERT_TRUE(light->objects.empty());

    const PixelImage early = DrawFrames(*light, 0.5f, 0.5f);
    const PixelImage later = DrawFrames(*light, 1.3f, 1.3f);
    EXPECT_FALSE(SaveBackBufferPng(device, L"slide_5_night_by_the_fire_later").empty());

    // The flames sit from 55 % of the height down; the band below 70 % is mostly fire.
    const UINT flameTop = kHeight * 70 / 100, skyBottom = kHeight * 40 / 100;
    size_t flickered = 0, shimmered = 0, jumped = 0;
    for (UINT y = 0; y < kHeight; ++y)
        for (UINT x = 0; x < kWidth; ++x) {
            const uint32_t a = early.Rgb(x, y), b = later.Rgb(x, y);
            if (y >= flameTop && !CloseColours(a, b, 24))
                ++flickered;
            if (y < skyBottom && a != b)
                ++shimmered;
            if (y < skyBottom && !CloseColours(a, b, 96))
                ++jumped;
        }
    const size_t band = size_t(kWidth) * (kHeight - flameTop), sky = size_t(kWidth) * skyBottom;
    EXPECT_GT(flickered, band / 10) << "the flames do not move";
    EXPECT_GT(shimmered, sky / 50) << "no haze over the sky";
    EXPECT_LT(jumped, sky / 50) << "the haze moves the sky too far";
}

// --- The sprite objects of the fish and light kinds ---------------------------------------------

// Whether a description is of the kind K itself (a bird or a ghost is no fish here).
template <class K>
bool IsExactly(const DS_ABObj_Constructor* d)
{
    return d != nullptr && typeid(*d) == typeid(K);
}

// The slides that hold sprites of these kinds, and which kinds each must hold.
struct SpriteSlide {
    uint32_t index;
    std::vector<ObjectFilter> kinds;
};
const SpriteSlide kSpriteSlides[] = {
    {1, {IsExactly<DS_BirdConstructor>}},
    {2, {IsExactly<DS_GodRayConstructor>, IsExactly<DS_FishConstructor>, IsExactly<DS_GhostConstructor>}},
    {4, {IsExactly<DS_FogConstructor>, IsExactly<DS_SparkleConstructor>, IsExactly<DS_BirdConstructor>}},
    {5, {IsExactly<DS_SparkleConstructor>, IsExactly<DS_LightingConstructor>}},
};

// Screen rectangles (x0, y0, x1, y1) around every drawn sprite of a light's sprite arrays, for a
// picture that fills the back buffer.
struct ScreenBox {
    float x0, y0, x1, y1;
};
std::vector<ScreenBox> SpriteBoxes(const MutableLight& light, float screenWidth)
{
    const float k = screenWidth / static_cast<float>(ViewMetrics.Width);
    std::vector<ScreenBox> boxes;
    for (DS_ABObj* object : light.objects) {
        auto* array = dynamic_cast<DS_SpriteArrayObj*>(object);
        if (!array)
            continue;
        uint32_t drawn = 0;
        for (const auto& sprite : array->Sprites()) {
            if (drawn++ == array->QuadCount())
                break;
            const float dx = std::fabs(sprite->halfWidth * sprite->axisX.x) + std::fabs(sprite->halfHeight * sprite->axisY.x);
            const float dy = std::fabs(sprite->halfWidth * sprite->axisX.y) + std::fabs(sprite->halfHeight * sprite->axisY.y);
            boxes.push_back({(sprite->position.x - dx) * k - 2, (sprite->position.y - dy) * k - 2,
                             (sprite->position.x + dx) * k + 2, (sprite->position.y + dy) * k + 2});
        }
    }
    return boxes;
}

bool InAnyBox(const std::vector<ScreenBox>& boxes, UINT x, UINT y)
{
    for (const ScreenBox& b : boxes)
        if (x >= b.x0 && x <= b.x1 && y >= b.y0 && y <= b.y1)
            return true;
    return false;
}

// The slides' sprites show on each slide's own light, and they move: drawn over the still picture
// (the picture mode), two frames a second apart differ where the sprites are and nowhere else.
TEST_F(SlideScreenshots, SpriteSlidesShowTheirObjectsMoving)
{
    ASSERT_EQ(std::size(kSlides), doc.slideCount);
    for (const SpriteSlide& planned : kSpriteSlides) {
        SlideRecord& slide = doc.slides[planned.index];
        const std::wstring name = L"slide_" + std::to_wstring(planned.index) + L"_" + kSlides[planned.index].title;
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        for (auto isKind : planned.kinds)
            EXPECT_TRUE(std::any_of(slide.objects.begin(), slide.objects.end(), isKind)) << "a planned kind is missing";

        // On the slide's own light: the frame with the sprites against the same moment without.
        {
            std::unique_ptr<MutableLight> light(LightWithOnly(slide, OfKind<DS_BaseSpriteProp>));
            ASSERT_TRUE(light);
            const PixelImage with = DrawFrames(*light, 0.02f, 2.0f);
            EXPECT_FALSE(SaveBackBufferPng(testDevice.device(), name + L"_sprites").empty());
            ObjectsOfKind<DS_SpriteArrayObj> sprites(*light);
            sprites.TakeOut();
            const PixelImage without = DrawFrames(*light, 2.0f, 2.0f);
            sprites.PutBack();
            const std::vector<bool> shown = DifferenceMask(with, without);
            EXPECT_GT(std::count(shown.begin(), shown.end(), true), 300) << "the sprites do not show";
        }

        // Over the still picture: what changes in a second lies where the sprites are.
        const int32_t kind = slide.kind;
        slide.kind = kSlidePicture;
        std::unique_ptr<MutableLight> light(LightWithOnly(slide, OfKind<DS_BaseSpriteProp>));
        slide.kind = kind;
        ASSERT_TRUE(light);
        const PixelImage first = DrawFrames(*light, 0.02f, 2.0f);
        std::vector<ScreenBox> boxes = SpriteBoxes(*light, static_cast<float>(kWidth));
        const PixelImage second = DrawFrames(*light, 2.02f, 3.0f);
        const std::vector<ScreenBox> later = SpriteBoxes(*light, static_cast<float>(kWidth));
        boxes.insert(boxes.end(), later.begin(), later.end());
        const std::vector<bool> changed = DifferenceMask(first, second);
        size_t moved = 0, outside = 0;
        for (size_t i = 0; i < changed.size(); ++i)
            if (changed[i]) {
                ++moved;
                outside += !InAnyBox(boxes, UINT(i % kWidth), UINT(i / kWidth));
            }
        EXPECT_GT(moved, 300u) << "the sprites stand still";
        EXPECT_LE(outside, moved / 100) << "the picture changes away from the sprites";
    }
}

// --- The show on the back buffers of real screens ------------------------------------------------

// The show at the test bed's screen size, the picture filling it.
// What a new ring in the middle of the pond changes at least, in levels, and how many times the
// background's shift. (Measured there: 7.5 levels over a shift of 0.22; the show's earlier, fainter
// pond gave 3.9 over 0.13.)
constexpr double kRingChange = 6.0;
constexpr double kRingOverBackground = 12.0;

class ShowAtScreenSize : public ShowOnDevice {
protected:
    static constexpr UINT kWidth = 1024;
    static constexpr UINT kHeight = 768;

    ShowAtScreenSize() : ShowOnDevice(kWidth, kHeight) {}
};

// The mean brightness (the mean of the three channels) of each 16 x 16 block of a screen. A
// shift of the picture under the water, as refraction makes it, leaves a block's mean much as
// it was; a ring that shades the water or catches the light changes it.
std::vector<double> BlockBrightness(const PixelImage& screen)
{
    constexpr UINT kBlock = 16;
    std::vector<double> blocks;
    for (UINT by = 0; by + kBlock <= screen.height; by += kBlock)
        for (UINT bx = 0; bx + kBlock <= screen.width; bx += kBlock) {
            double sum = 0;
            for (UINT y = by; y < by + kBlock; ++y)
                for (UINT x = bx; x < bx + kBlock; ++x) {
                    const uint32_t p = screen.Rgb(x, y);
                    sum += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
                }
            blocks.push_back(sum / (3.0 * kBlock * kBlock));
        }
    return blocks;
}

// A drop's ring stands out in a single screenshot of the pond: half a second after the drop,
// at the saver's frame rate, the tiles the ring crosses have changed far more than the rest of
// the pond, where only the refraction of the older, fading waves shifts the pebbles a little.
TEST_F(ShowAtScreenSize, APondRingStandsOutInOneScreenshot)
{
    SlideRecord& pond = doc.slides[3];
    ASSERT_EQ(kSlideRings, pond.kind);
    std::srand(16);
    std::unique_ptr<MutableLight> light(LightWithOnly(pond, NoObject, 1));
    ASSERT_TRUE(light);
    // The drop measured falls in the middle of the pond, however many random numbers the
    // making of the light took.
    auto* rings = dynamic_cast<MutableRings*>(light.get());
    ASSERT_NE(nullptr, rings);
    RippleSurface& water = *rings->light()->surface;
    const int picks[2] = {static_cast<int>(water.columns / 2 - 1), static_cast<int>(water.rows / 2 - 1)};
    water.random = [picks, n = 0]() mutable { return picks[n++ % 2]; };
    const float interval = RingsParamsFromSlide(pond).dropInterval;
    constexpr float kFrameStep = 0.05f;
    const PixelImage calm = DrawFrames(*light, kFrameStep, interval - kFrameStep, kFrameStep);
    const PixelImage ring = DrawFrames(*light, interval, interval + 0.5f, kFrameStep);
    EXPECT_FALSE(SaveBackBufferPng(testDevice.device(), L"pond_ring_1024x768").empty());

    // How much each block's brightness changed with the new ring; the ring is the few blocks
    // that changed most (the hundredth of the screen it crosses), the background the middle one.
    const std::vector<double> before = BlockBrightness(calm), after = BlockBrightness(ring);
    ASSERT_EQ(before.size(), after.size());
    std::vector<double> changes;
    for (size_t i = 0; i < before.size(); ++i)
        changes.push_back(std::fabs(after[i] - before[i]));
    std::sort(changes.begin(), changes.end());
    const double background = changes[changes.size() / 2];
    const double ringChange = changes[changes.size() - 1 - changes.size() / 100];
    printf("[rings] ring blocks change by %.2f levels, the rest of the pond by %.2f\n", ringChange, background);
    EXPECT_GT(ringChange, kRingChange) << "the ring is too faint to see";
    EXPECT_GT(ringChange, kRingOverBackground * std::max(background, 0.5)) << "the ring is lost in the water";
}

// A back-buffer size and how the slide pictures are fitted to it ("StretchPicture").
struct ScreenFit {
    UINT width, height;
    int stretch; // 1: the picture stretched over the whole back buffer; 0: letterboxed
    const wchar_t* name;
};
const ScreenFit kScreenFits[] = {
    {1024, 768, 1, L"1024x768_stretched"},
    {1024, 768, 0, L"1024x768_letterboxed"},
    {1280, 720, 1, L"1280x720_stretched"},
    {1280, 720, 0, L"1280x720_letterboxed"},
};

// Names the fit in the test's output.
void PrintTo(const ScreenFit& fit, std::ostream* out)
{
    const std::wstring name = fit.name;
    *out << std::string(name.begin(), name.end());
}

// The show on a device of the fit's size. (The parameter base comes first, so that the device's
// size can be read while the fixture is made.)
class ShowOnScreens : public ::testing::WithParamInterface<ScreenFit>, public ShowOnDevice {
protected:
    ShowOnScreens() : ShowOnDevice(GetParam().width, GetParam().height) {}
};

// Every slide at the fit's size, with all its objects, as the player draws it: saved as
// slide_<n>_<title>_<fit>.png; not black, not the error display, the picture where the fit puts
// it with nothing but black around it, and its objects (on the northern lights, the light's own
// glyphs) moving.
TEST_P(ShowOnScreens, EverySlideShowsItsObjectsMovingWhereTheFitPutsThePicture)
{
    const ScreenFit& fit = GetParam();
    IDirect3DDevice9* device = testDevice.device();
    ASSERT_EQ(std::size(kSlides), doc.slideCount);
    for (uint32_t i = 0; i < doc.slideCount; ++i) {
        SlideRecord& slide = doc.slides[i];
        const std::wstring name = L"slide_" + std::to_wstring(i) + L"_" + kSlides[i].title + L"_" + fit.name;
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        std::srand(16);
        GlassScrollClock::Reset();
        std::unique_ptr<MutableLight> light = MakeLight(slide, fit.stretch);
        ASSERT_NE(nullptr, light) << "the slide has no light";

        // Four seconds into the slide and one more, each time the frame with the objects and the
        // same moment without them. The objects move by the time that passes, so frames a tenth
        // of a second apart do; the glyphs move one step a frame and get the player's 50 a second.
        const float step = slide.kind == kSlideGlyphs ? 0.02f : 0.1f;
        device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 0, 255), 1.0f, 0);
        ObjectsOfKind<DS_ABObj> objects(*light);
        PixelImage with[2], without[2];
        for (int k = 0; k < 2; ++k) {
            const float until = 4.0f + k;
            with[k] = DrawFrames(*light, k == 0 ? step : 4.0f + step, until, step);
            if (k == 0) {
                EXPECT_FALSE(SaveBackBufferPng(device, name).empty());
            }
            objects.TakeOut();
            without[k] = DrawFrames(*light, until, until);
            objects.PutBack();
        }
        const PixelImage& screen = with[0];

        // The saver's error state (a document that does not load, a device that cannot be made)
        // shows its white box instead of the slide; a light that could not be made leaves the
        // slide black.
        EXPECT_EQ(0u, screen.Count(kMagenta)) << "clear colour left";
        EXPECT_FALSE(ShowsErrorBox(screen)) << "a white field the size of the error box";

        // The picture fills the fit's rectangle, black bars the rest.
        const PictureFitLook look =
            LookAtPictureFit(screen, ExpectedPictureRect(slide, fit.width, fit.height, fit.stretch));
        ASSERT_TRUE(look.RectangleFits(fit.width, fit.height));
        const size_t area = look.area;
        // The glyphs light only the bright parts of the night: an eighth of the screen after four
        // seconds, where the other slides light nearly all of it.
        EXPECT_GT(look.lit, slide.kind == kSlideGlyphs ? area / 20 : area / 4) << "mostly black";
        EXPECT_EQ(0u, look.outside) << "drawn over the bars";
        EXPECT_LE(look.litLeft, look.left + 4) << "the picture does not reach its left edge";
        EXPECT_GE(look.litRight + 4, look.right) << "the picture does not reach its right edge";
        EXPECT_LE(look.litTop, look.top + 4) << "the picture does not reach its top edge";
        EXPECT_GE(look.litBottom + 4, look.bottom) << "the picture does not reach its bottom edge";

        // Its objects move: a second apart, the frames differ where an object is at one moment
        // and not at the other.
        const std::vector<bool> changed = DifferenceMask(with[0], with[1]);
        if (objects.found().empty()) {
            EXPECT_GT(std::count(changed.begin(), changed.end(), true), std::ptrdiff_t(area / 100))
                << "the slide stands still";
            continue;
        }
        const std::vector<bool> shown[2] = {DifferenceMask(with[0], without[0]), DifferenceMask(with[1], without[1])};
        size_t objectPixels = 0, moved = 0;
        for (size_t p = 0; p < changed.size(); ++p) {
            objectPixels += shown[0][p];
            moved += changed[p] && shown[0][p] != shown[1][p];
        }
        EXPECT_GT(objectPixels, 300u) << "the objects do not show";
        EXPECT_GT(moved, 300u) << "the objects stand still";
    }
}

INSTANTIATE_TEST_SUITE_P(DefaultShow, ShowOnScreens, ::testing::ValuesIn(kScreenFits),
                         [](const ::testing::TestParamInfo<ScreenFit>& info) {
                             const std::wstring name = info.param.name;
                             return std::string(name.begin(), name.end());
                         });

// ---- A device reset under each light ----

// The default-pool objects a light holds (render-target textures, the water's buffers), each
// with a reference of the caller's own.
using HeldObjects = std::vector<ComRef<IUnknown>>;

template <class Mode>
Mode* AsMode(MutableLight& light)
{
    return dynamic_cast<Mode*>(&light);
}

HeldObjects DefaultPoolObjects(MutableLight& light)
{
    HeldObjects held;
    auto hold = [&](IUnknown* object) {
        if (object)
            held.push_back(ComRef<IUnknown>::Share(object));
    };
    if (auto* mode = AsMode<MutableNone>(light))
        hold(mode->light()->target.texture.Get());
    if (auto* mode = AsMode<MutableAqua>(light))
        hold(mode->light()->target.texture.Get());
    if (auto* mode = AsMode<MutableFire>(light))
        hold(mode->light()->sceneTarget.texture.Get());
    // The water's index buffer is managed: it stays across a reset.
    if (auto* mode = AsMode<MutableRings>(light))
        hold(mode->light()->surface->vertexBuffer.Get());
    if (auto* mode = AsMode<MutableGlassBall>(light)) {
        hold(mode->light()->sceneTarget.texture.Get());
        hold(mode->light()->scrollTarget.texture.Get());
    }
    return held;
}

// The effect a light draws through (the fire's heat haze), or null.
ID3DXEffect* EffectOf(MutableLight& light)
{
    if (auto* mode = AsMode<MutableFire>(light))
        return mode->light()->distortion.effect.Get();
    return nullptr;
}

struct ResetCase {
    int32_t kind;
    const char* name;
    size_t defaultPoolObjects; // what the light holds in the default pool after a frame
    bool makesRenderTargets;   // it draws through A8R8G8B8 render-target textures
};

void PrintTo(const ResetCase& c, std::ostream* out)
{
    *out << c.name;
}

const ResetCase kResetCases[] = {
    {kSlidePicture, "Picture", 1, true}, {kSlideUnderwater, "Underwater", 1, true}, {kSlideLake, "Lake", 0, true},
    {kSlideFire, "Fire", 1, true},       {kSlideRings, "WaterRings", 1, false},     {kSlideGlyphs, "GlyphRain", 0, false},
    {kSlideGlassBall, "GlassBall", 2, true},
};

class LightAcrossAReset : public ::testing::WithParamInterface<ResetCase>, public ShowOnDevice {
protected:
    static constexpr UINT kWidth = 512;
    static constexpr UINT kHeight = 384;

    LightAcrossAReset() : ShowOnDevice(kWidth, kHeight) {}

    SlideRecord* SlideOfKind(int32_t kind)
    {
        for (uint32_t i = 0; i < doc.slideCount; ++i)
            if (doc.slides[i].kind == kind)
                return &doc.slides[i];
        return nullptr;
    }

    // The light's first frames over a magenta back buffer show its slide: no clear colour left,
    // and mostly lit (the glyph rain starts black, and its glyphs draw the picture in a second or
    // two, so it is drawn for longer and a hundredth lit will do).
    void ExpectItsSlideShown(MutableLight& light, int32_t kind)
    {
        testDevice.device()->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 0, 255), 1.0f, 0);
        const bool glyphs = kind == kSlideGlyphs;
        const PixelImage screen = DrawFrames(light, 0.01f, glyphs ? 2.0f : 0.05f);
        EXPECT_EQ(0u, screen.Count(kMagenta)) << "clear colour left";
        EXPECT_GT(LitPixels(screen), screen.pixels.size() / (glyphs ? 100 : 4)) << "mostly black";
    }
};

// Windows refuses to reset a device while a default-pool object lives or something is still
// bound to it; Wine unbinds by itself. Each light, drawn on its slide of the show with its
// objects, lets go of both when it releases its device resources: nothing stays bound, each of
// its default-pool objects is freed (the reference taken here is the last one; an effect holds
// its textures counted, as on Windows), the device resets while the light still exists (the
// player deletes it only after the reset), and a new light of the slide draws its picture again.
TEST_P(LightAcrossAReset, ReleasesEverythingAndANewLightDrawsAfterIt)
{
    const ResetCase& c = GetParam();
    IDirect3DDevice9* device = testDevice.device();
    SlideRecord* slide = SlideOfKind(c.kind);
    ASSERT_NE(nullptr, slide) << "the show has no slide of this kind";

    std::unique_ptr<MutableLight> light = MakeLight(*slide);
    ASSERT_NE(nullptr, light);
    std::unique_ptr<CountedEffectTextures> counted;
    if (ID3DXEffect* effect = EffectOf(*light))
        counted = std::make_unique<CountedEffectTextures>(effect);
    DrawFrames(*light, 0.01f, 0.05f);
    HeldObjects held = DefaultPoolObjects(*light);
    EXPECT_EQ(c.defaultPoolObjects, held.size());

    light->ReleaseDeviceResources();
    EXPECT_EQ("", BoundDrawingResources(device, kMaxTextureStages));
    EXPECT_EQ(0u, DefaultPoolObjects(*light).size()) << "the light still holds a default-pool object";
    for (size_t i = 0; i < held.size(); ++i)
        EXPECT_EQ(0u, ReleaseAndNull(held[i])) << "default-pool object " << i << " is still referenced";

    ASSERT_EQ(D3D_OK, testDevice.Reset(kWidth, kHeight));
    counted.reset();
    light.reset();

    std::unique_ptr<MutableLight> next = MakeLight(*slide);
    ASSERT_NE(nullptr, next);
    ExpectItsSlideShown(*next, c.kind);
    next->ReleaseDeviceResources();
}

INSTANTIATE_TEST_SUITE_P(DefaultShow, LightAcrossAReset, ::testing::ValuesIn(kResetCases),
                         [](const ::testing::TestParamInfo<ResetCase>& info) { return std::string(info.param.name); });

// The device check asks for bump mapping and V8U8 textures, not for A8R8G8B8 render targets.
// On a device without them each light that draws through one draws its slide without it (onto
// the back buffer straight; the lake, whose bump map is made through one, as a still mirror),
// without a refused call.
class LightWithoutRenderTargets : public LightAcrossAReset {};

TEST_P(LightWithoutRenderTargets, DrawsItsSlideStraight)
{
    const ResetCase& c = GetParam();
    SlideRecord* slide = SlideOfKind(c.kind);
    ASSERT_NE(nullptr, slide) << "the show has no slide of this kind";
    FabricatedDevice lacking(testDevice.device());
    lacking.missingRenderTargetFormats = {D3DFMT_A8R8G8B8};
    std::unique_ptr<MutableLight> light = MakeLight(*slide);
    ASSERT_NE(nullptr, light);
    ExpectItsSlideShown(*light, c.kind);
    EXPECT_EQ(c.makesRenderTargets, lacking.refusedTextures > 0);
    EXPECT_EQ(0, lacking.refusedDraws);
    light->ReleaseDeviceResources();
    light.reset();
}

INSTANTIATE_TEST_SUITE_P(DefaultShow, LightWithoutRenderTargets, ::testing::ValuesIn(kResetCases),
                         [](const ::testing::TestParamInfo<ResetCase>& info) { return std::string(info.param.name); });

} // namespace
