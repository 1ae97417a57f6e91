// The fire mode: the haze scroll, the flame quad and the shader texts worked out without a
// device; then on a real device the shader constants, the construction from a slide, the
// flames over the picture, the heat-haze composite through the library's compiled effect, the
// light without that effect, and a release and redraw.
#include <gtest/gtest.h>

#include <d3dx9.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "document/CurrentDevice.h"
#include "scene/lights/DS_FlameLight.h"
#include "scene/lights/DistortionEffect.h"
#include "scene/lights/MutableFire.h"
#include "scene/lights/ObjectRenderers.h"
#include "scene/render/BufferLocks.h"
#include "tests/scene/lights/LightFixture.h"
#include "tests/support/TestPictures.h"

namespace {

// ---- Without a device ----

TEST(HazeScroll, StepsAreClampedAndStepsBackPass)
{
    struct Step {
        float t, offset;
        const char* why;
    };
    const Step steps[] = {
        {0.1f, 0.005f, "a step of 0.1"},
        {0.5f, 0.015f, "0.4 clamped to 0.2"},
        {0.4f, 0.010f, "a step back passes"},
        {100.0f, 0.020f, "a large step is clamped"},
        {NAN, 0.030f, "no step at all counts as 0.2"},
    };
    HazeClock clock;
    for (const Step& s : steps) {
        const HazeParams p = AdvanceHaze(clock, s.t, 0.05f, 0.05f, 0.208f, 0.75f);
        EXPECT_NEAR(s.offset, clock.scrollOffset, 1e-6f) << s.why;
        EXPECT_EQ(clock.scrollOffset, p.offset[0]) << s.why;
        EXPECT_EQ(-clock.scrollOffset, p.offset[1]) << s.why;
    }
    EXPECT_NEAR(0.01f, clock.timeStep, 1e-6f);
}

TEST(HazeScroll, InitialParametersGiveTheEffectsValues)
{
    const DistortionEffect haze;
    EXPECT_FLOAT_EQ(0.05f, haze.scrollSpeed.scaled);
    EXPECT_FLOAT_EQ(0.05f, haze.strength.scaled);
    EXPECT_NEAR(0.208f, haze.bumpScale.scaled, 1e-6f);
    EXPECT_EQ(ResKey(L"common_res.dll", 62), haze.bumpKey);
    EXPECT_EQ(ResKey(L"common_res.dll", 63), haze.effectKey);

    HazeClock clock;
    const HazeParams p = AdvanceHaze(clock, 0.0f, haze.scrollSpeed.scaled, haze.strength.scaled,
                                     haze.bumpScale.scaled, 600.0f / 800.0f);
    EXPECT_FLOAT_EQ(0.0025f, p.stenght);
    EXPECT_NEAR(0.208f, p.bumpScale[0], 1e-6f);
    EXPECT_NEAR(0.156f, p.bumpScale[1], 1e-6f);
    EXPECT_EQ(0.0f, p.offset[0]);
}

TEST(HazeScroll, BumpScaleAbove111TurnsNegative)
{
    DistortionEffect haze;
    haze.bumpScale.SetValue(112, nullptr);
    EXPECT_NEAR(-0.008f, haze.bumpScale.scaled, 1e-6f);
}

TEST(HazeScroll, WithoutAnEffectNothingMoves)
{
    DistortionEffect haze; // no device, no document: nothing to load
    EXPECT_FALSE(haze.Load());
    haze.Update(0.1f);
    haze.Draw(nullptr);
    EXPECT_EQ(0.0f, haze.clock.scrollOffset);
    EXPECT_EQ(0.0f, haze.clock.lastTime);
}

TEST(FlameQuad, CornersFollowThePictureAndTheDrop)
{
    struct Case {
        float drop, top, bottom;
    };
    const Case cases[] = {{0.0f, 210.0f, 600.0f}, {100.0f, 510.0f, 900.0f}, {20.0f, 270.0f, 660.0f}};
    for (const Case& c : cases) {
        DX_V::PT v[4];
        FireQuadCorners(800.0f, 600.0f, c.drop, v);
        // Order: top-left, top-right, bottom-left, bottom-right.
        const float x[4] = {0, 800, 0, 800}, y[4] = {c.top, c.top, c.bottom, c.bottom};
        const float u[4] = {0, 1, 0, 1}, tv[4] = {0, 0, 0.95f, 0.95f};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(x[i], v[i].x) << c.drop << " vertex " << i;
            EXPECT_NEAR(y[i], v[i].y, 1e-3f) << c.drop << " vertex " << i;
            EXPECT_EQ(0.0f, v[i].z);
            EXPECT_EQ(u[i], v[i].u);
            EXPECT_FLOAT_EQ(tv[i], v[i].v);
        }
    }
}

TEST(FlameShaders, BothTextsAssemble)
{
    struct Text {
        const char* text;
        DWORD version;
    };
    const Text texts[] = {{DistortionShader::kVertexText, 0xFFFE0101u}, {DistortionShader::kPixelText, 0xFFFF0104u}};
    for (const Text& t : texts) {
        ComRef<ID3DXBuffer> code, errors;
        ASSERT_EQ(D3D_OK, D3DXAssembleShader(t.text, static_cast<UINT>(std::strlen(t.text)), nullptr, nullptr, 0,
                                             code.Out(), errors.Out()))
            << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
        EXPECT_EQ(t.version, *static_cast<const DWORD*>(code->GetBufferPointer()));
    }
}

// ---- On a device ----

// A picture whose colour is colour(x, y).
template <class Colour>
Bytes PaintedPicture(IDirect3DDevice9* device, UINT width, UINT height, Colour colour)
{
    const Bytes png = PaintedPng(device, width, height, colour);
    EXPECT_FALSE(png.empty());
    return png;
}

int ChannelDistance(uint32_t a, uint32_t b)
{
    int most = 0;
    for (int shift = 0; shift < 24; shift += 8)
        most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return most;
}

class FireLight : public LightTest {
protected:
    static constexpr uint32_t kBlue = 0x2040C0;
    // Rows 1 to 60 of a picture that fills the back buffer, inside the bars along its edges.
    static constexpr size_t kSky = (kWidth - 1) * 60;

    // A fire slide over `picture` with the haze and flame switches, the haze levels and amount.
    std::unique_ptr<MutableFire> Fire(const Bytes& picture, int haze, int flames, uint32_t strength = 25,
                                      int32_t amount = 0)
    {
        auto slide = Slide(picture, kSlideFire);
        slide->switches[0] = haze;
        slide->switches[1] = flames;
        slide->levels[0] = 88;
        slide->levels[1] = 50;
        slide->levels[2] = strength;
        slide->amount = amount;
        return std::make_unique<MutableFire>(*slide);
    }

    // The document's copy of a library key stands in for the library: a picture of our own, or
    // (with no texture) nothing.
    void ReplaceLibraryPicture(int32_t id, ComRef<IDirect3DTexture9> texture, UINT width, UINT height)
    {
        TextureAnim& anim = manager->data().textureAnims[ResKey(L"common_res.dll", id)];
        anim.frames = {texture};
        anim.width = width;
        anim.height = height;
    }
    // The library's effect as if resource 63 were not in it.
    void RemoveLibraryEffect()
    {
        manager->data().sources[ResKey(L"common_res.dll", 63)] = {ResourceRef(63, L"common_res.dll")};
    }

    PixelImage FrameAt(MutableLight& light, float t)
    {
        DrawFrameAt(light, t, nullptr, true);
        return ReadBackBuffer();
    }
};

TEST_F(FireLight, ShaderConstantsAndObjectsAreMade)
{
    std::unique_ptr<DS_FlameLight> light(MakeFlameLight(L""));
    EXPECT_TRUE(light->shaderSet.vertexShader);
    EXPECT_TRUE(light->shaderSet.declaration);
    EXPECT_TRUE(light->shaderSet.pixelShader);

    float vertex[6][4] = {}, pixel[4][4] = {};
    ASSERT_EQ(D3D_OK, device()->GetVertexShaderConstantF(11, &vertex[0][0], 6));
    ASSERT_EQ(D3D_OK, device()->GetPixelShaderConstantF(1, &pixel[0][0], 4));
    for (int i = 0; i < 6; ++i)
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(DistortionShader::kVertexConstants[i].value[k], vertex[i][k]) << "c" << 11 + i;
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(DistortionShader::kPixelConstants[i].value[k], pixel[i][k]) << "c" << 1 + i;
    const float expected[] = {0, 1.3f, 0, 0, 0, 2.1f, 0, 0, 0, 2.3f, 0, 0, 1, 1, 0, 0, 2, 2, 0, 0, 3, 3, 0, 0};
    EXPECT_EQ(0, std::memcmp(expected, vertex, sizeof expected));
    const float expectedPixel[] = {0.1f, 0.2f, 0, 0, 0.1f, 0.3f, 0, 0, 0.1f, 0.1f, 0, 0, 0.5f, 0.2f, 0, 0};
    EXPECT_EQ(0, std::memcmp(expectedPixel, pixel, sizeof expectedPixel));
}

TEST_F(FireLight, TakesSwitchesLevelsAndAmountFromTheSlide)
{
    const Bytes picture = Picture(64, 48, 0xFF000000u | kBlue);
    {
        auto slide = Slide(picture, kSlideFire);
        std::unique_ptr<MutableLight> made(CreateMutableLight(slide.get()));
        EXPECT_NE(nullptr, dynamic_cast<MutableFire*>(made.get())) << "the mode of kind 3";
    }
    {
        auto fire = Fire(picture, 0, 0);
        EXPECT_EQ(0, fire->light()->hazeSwitch.value);
        EXPECT_EQ(0, fire->light()->flameSwitch.value);
    }
    {
        auto fire = Fire(picture, 1, 1, 25, 100);
        const DS_FlameLight& light = *fire->light();
        EXPECT_TRUE(light.distortion.effect) << "resource 63 loads";
        EXPECT_EQ(1, light.hazeSwitch.value);
        EXPECT_EQ(1, light.flameSwitch.value);
        EXPECT_EQ(100.0f, light.flameDrop);
        EXPECT_NEAR(0.208f, light.distortion.bumpScale.scaled, 1e-6f);
        EXPECT_FLOAT_EQ(0.05f, light.distortion.scrollSpeed.scaled);
        EXPECT_FLOAT_EQ(0.05f, light.distortion.strength.scaled);
        EXPECT_FLOAT_EQ(0.75f, light.distortion.aspect);
        EXPECT_TRUE(light.sceneTarget.texture);
    }
    auto slide = Slide(picture, kSlideFire);
    slide->levels[0] = 10;
    slide->levels[1] = 20;
    slide->levels[2] = 30;
    MutableFire fire(*slide);
    EXPECT_NEAR(0.91f, fire.light()->distortion.bumpScale.scaled, 1e-6f);
    EXPECT_FLOAT_EQ(0.02f, fire.light()->distortion.scrollSpeed.scaled);
    EXPECT_FLOAT_EQ(0.06f, fire.light()->distortion.strength.scaled);
}

TEST_F(FireLight, FlamesFlickerInTheirBandAndLeaveTheSkyAlone)
{
    auto fire = Fire(Picture(256, 192, 0xFF000000u | kBlue), 0, 1);
    const PixelImage first = FrameAt(*fire, 0.3f);
    const PixelImage later = FrameAt(*fire, 1.1f);

    // The flames begin at 35 % of the height: rows 1 to 60 are sky (row 0 and column 0 are
    // the one-pixel bars along the edges).
    EXPECT_EQ(kSky, first.Count(kBlue, 1, 1, kWidth, 61));
    EXPECT_EQ(kSky, later.Count(kBlue, 1, 1, kWidth, 61));
    size_t changed = 0, notSky = 0;
    for (UINT y = 100; y < kHeight; ++y)
        for (UINT x = 0; x < kWidth; ++x) {
            changed += ChannelDistance(first.Rgb(x, y), later.Rgb(x, y)) > 16;
            notSky += first.Rgb(x, y) != kBlue;
        }
    const size_t band = kWidth * (kHeight - 100);
    EXPECT_GT(notSky, band / 2) << "flames cover the bottom";
    EXPECT_GT(changed, band / 20) << "the flames move";
}

TEST_F(FireLight, FlameLookupsGoThroughThePictureTransform)
{
    // Opaque green flames over flat offsets (0x80: no displacement) on a blue picture.
    ReplaceLibraryPicture(7, SolidTexture(device(), 16, 16, 0xFF00FF00u), 16, 16);
    ReplaceLibraryPicture(8, SolidTexture(device(), 16, 16, 0xFF808080u), 16, 16);
    const Bytes picture = Picture(256, 192, 0xFF000000u | kBlue);
    {
        auto fire = Fire(picture, 0, 1);
        const PixelImage image = FrameAt(*fire, 0.5f);
        EXPECT_EQ(0x00FF00u, image.Rgb(128, 154)) << "80 % of the height";
        EXPECT_EQ(kBlue, image.Rgb(128, 38)) << "20 % of the height";
    }
    auto lowered = Fire(picture, 0, 1, 25, 100);
    const PixelImage image = FrameAt(*lowered, 0.5f);
    EXPECT_EQ(kBlue, image.Rgb(128, 154)) << "flames from 85 % down";
    EXPECT_EQ(0x00FF00u, image.Rgb(128, 180));
}

TEST_F(FireLight, HazeOfStrengthZeroReproducesTheFrame)
{
    // A smooth picture: the composite's half-texel offset moves colours by less than a step.
    const Bytes picture = PaintedPicture(device(), 256, 128, [](UINT x, UINT y) {
        return D3DCOLOR_XRGB(x, 2 * y, 255 - x);
    });
    auto plain = Fire(picture, 0, 0);
    const PixelImage without = FrameAt(*plain, 0.5f);
    auto hazy = Fire(picture, 1, 0, 0);
    ASSERT_TRUE(hazy->light()->distortion.effect);
    const PixelImage with = FrameAt(*hazy, 0.5f);

    // 256 × 128 letterboxed on 256 × 192: the picture in rows 32 to 159, black bands around.
    int worst = 0;
    for (UINT y = 34; y < 158; ++y)
        for (UINT x = 2; x < kWidth - 2; ++x)
            worst = std::max(worst, ChannelDistance(without.Rgb(x, y), with.Rgb(x, y)));
    EXPECT_LE(worst, 4);
    EXPECT_EQ(kWidth * 31u, with.Count(0x000000, 0, 0, kWidth, 31)) << "top band";
    EXPECT_EQ(kWidth * 31u, with.Count(0x000000, 0, 161, kWidth, kHeight)) << "bottom band";
}

TEST_F(FireLight, StretchedHazeCoversTheWholeBackBuffer)
{
    auto fire = Fire(Picture(256, 128, 0xFF000000u | kBlue), 1, 0, 0);
    ASSERT_TRUE(fire->light()->distortion.effect);
    fire->SetStretch(1);
    const PixelImage image = FrameAt(*fire, 0.5f);
    EXPECT_EQ((kWidth - 1) * (kHeight - 1), image.Count(kBlue, 1, 1, kWidth, kHeight)) << "no bands";
    fire->SetStretch(0);
    EXPECT_EQ(kWidth * 31u, FrameAt(*fire, 0.6f).Count(0x000000, 0, 0, kWidth, 31)) << "the band is back";
    EXPECT_FALSE(fire->light()->stretch) << "the frame's stretched layout does not stay";
}

// The light keeps the stretched layout of a frame through the haze beside its own: the frame
// switches between them without writing a buffer, leaves its own layout in force, and draws what
// a frame right after both layouts were made afresh draws.
TEST_F(FireLight, FramesThroughTheHazeSwitchLayoutsWithoutWritingBuffers)
{
    const Bytes picture = PaintedPicture(device(), 256, 128, [](UINT x, UINT y) {
        return D3DCOLOR_XRGB(x, 2 * y, 255 - x);
    });
    auto fire = Fire(picture, 1, 1);
    ASSERT_TRUE(fire->light()->distortion.effect);
    fire->SetStretch(0);
    const SceneTransformsRecord own = fire->light()->layout.Transforms();
    FrameAt(*fire, 0.5f);
    const uint64_t before = BufferLocks.locks;
    const PixelImage steady = FrameAt(*fire, 1.0f);
    EXPECT_EQ(0u, BufferLocks.locks - before) << "buffer locks in a frame";
    EXPECT_EQ(0, std::memcmp(&own, &fire->light()->layout.Transforms(), sizeof own)) << "the light's own layout";
    EXPECT_FALSE(fire->light()->stretch);

    fire->SetStretch(0); // both layouts made again
    const PixelImage fresh = FrameAt(*fire, 1.0f);
    size_t differing = 0;
    for (size_t i = 0; i < steady.pixels.size() && i < fresh.pixels.size(); ++i)
        differing += ((steady.pixels[i] ^ fresh.pixels[i]) & 0x00FFFFFFu) != 0;
    EXPECT_EQ(0u, differing);
    EXPECT_EQ(kWidth * 31u, fresh.Count(0x000000, 0, 0, kWidth, 31)) << "letterboxed, the top band";
}

TEST_F(FireLight, HazeShiftsThePicture)
{
    // Stripes eight pixels wide, so any shift shows.
    const Bytes picture = PaintedPicture(device(), 256, 192, [](UINT x, UINT) {
        return (x / 8) % 2 ? D3DCOLOR_XRGB(250, 250, 250) : D3DCOLOR_XRGB(10, 10, 10);
    });
    auto plain = Fire(picture, 0, 0);
    const PixelImage without = FrameAt(*plain, 0.5f);
    auto hazy = Fire(picture, 1, 0, 255);
    const PixelImage first = FrameAt(*hazy, 0.5f);
    const PixelImage later = FrameAt(*hazy, 0.7f);

    size_t shifted = 0, moving = 0;
    for (UINT y = 0; y < kHeight; ++y)
        for (UINT x = 0; x < kWidth; ++x) {
            shifted += ChannelDistance(without.Rgb(x, y), first.Rgb(x, y)) > 60;
            moving += ChannelDistance(first.Rgb(x, y), later.Rgb(x, y)) > 60;
        }
    const size_t all = kWidth * kHeight;
    EXPECT_GT(shifted, all / 20) << "the haze moves the stripes";
    EXPECT_GT(moving, all / 100) << "and keeps moving";
}

TEST_F(FireLight, WithoutTheEffectTheHazeStaysOffAndThePictureShows)
{
    RemoveLibraryEffect();
    auto fire = Fire(Picture(256, 128, 0xFF000000u | kBlue), 1, 0);
    const DS_FlameLight& light = *fire->light();
    EXPECT_FALSE(light.distortion.effect);
    EXPECT_EQ(0, light.hazeSwitch.value);

    fire->Update(0.5f);
    EXPECT_EQ(0.0f, light.distortion.clock.scrollOffset);
    const PixelImage image = FrameAt(*fire, 0.5f);
    EXPECT_EQ((kWidth - 1) * 120u, image.Count(kBlue, 1, 36, kWidth, 156)) << "the picture, not black";
    EXPECT_EQ(kWidth * 31u, image.Count(0x000000, 0, 0, kWidth, 31)) << "the band stays black";
}

TEST_F(FireLight, ReleaseUnbindsAndTheNextFrameGoesStraightToTheBackBuffer)
{
    auto fire = Fire(Picture(256, 192, 0xFF000000u | kBlue), 1, 1);
    FrameAt(*fire, 0.5f);
    for (DWORD stage = 0; stage < 4; ++stage)
        device()->SetTexture(stage, fire->light()->sceneTarget.texture.Get());

    fire->ReleaseDeviceResources();
    for (DWORD stage = 0; stage < 4; ++stage) {
        ComRef<IDirect3DBaseTexture9> bound;
        device()->GetTexture(stage, bound.Out());
        EXPECT_FALSE(bound) << "stage " << stage;
    }
    EXPECT_FALSE(fire->light()->sceneTarget.texture);

    const PixelImage image = FrameAt(*fire, 0.6f);
    EXPECT_EQ(kSky, image.Count(kBlue, 1, 1, kWidth, 61)) << "the sky, drawn straight";
}

// Each time the fire slide comes round its light makes its effect and shaders anew: the light
// that goes must take every reference of its own with it.
TEST_F(FireLight, TheEffectAndTheShadersGoWithTheLight)
{
    auto fire = Fire(Picture(256, 192, 0xFF000000u | kBlue), 1, 1);
    FrameAt(*fire, 0.5f);
    DS_FlameLight& light = *fire->light();
    ASSERT_TRUE(light.distortion.effect);
    ComRef<ID3DXEffect> effect = light.distortion.effect;
    ComRef<IDirect3DVertexShader9> vertexShader = light.shaderSet.vertexShader;
    ComRef<IDirect3DPixelShader9> pixelShader = light.shaderSet.pixelShader;
    ComRef<IDirect3DVertexDeclaration9> declaration = light.shaderSet.declaration;
    fire->ReleaseDeviceResources();
    fire.reset();
    EXPECT_EQ(0u, ReleaseAndNull(effect)) << "the effect";
    EXPECT_EQ(0u, ReleaseAndNull(vertexShader)) << "the vertex shader";
    EXPECT_EQ(0u, ReleaseAndNull(pixelShader)) << "the pixel shader";
    EXPECT_EQ(0u, ReleaseAndNull(declaration)) << "the vertex declaration";
}

TEST_F(FireLight, ObjectsDrawWithTheLightsRenderer)
{
    auto fire = Fire(Picture(64, 48, 0xFF000000u | kBlue), 1, 1);
    std::vector<DS_ABRender*> seen;
    fire->objects.push_back(new RendererRecordingObject(&seen)); // the light deletes it
    FrameAt(*fire, 0.5f);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(fire->light()->renderer.get(), seen[0]);
    EXPECT_NE(nullptr, dynamic_cast<DS_ABRenderImpl<DS_FlameLight>*>(seen[0]));
}

TEST_F(FireLight, FadeQuadLeavesBlendingOn)
{
    auto fire = Fire(Picture(64, 48, 0xFF000000u | kBlue), 0, 1);
    DS_ScreenQuad fade;
    fade.Create(0x80000000u, MakeBackBufferQuad());
    DrawFrameAt(*fire, 0.5f, &fade, true);
    DWORD blending = FALSE;
    device()->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
    EXPECT_EQ(DWORD(TRUE), blending);
    EXPECT_LE(ChannelDistance(0x102060u, ReadBackBuffer().Rgb(128, 20)), 2) << "the sky darkened by half";
}

} // namespace
