#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

#include "../DeviceScene.h"
#include "../SceneFixtures.h"
#include "tests/support/DeviceFixture.h"
#include "document/CurrentDevice.h"
#include "scene/lights/ObjectRenderers.h"
#include "scene/objects/DS_SpriteArrayObj.h"

namespace {

constexpr uint32_t kBackground = 0x404040;

void ExpectNear(uint32_t expected, uint32_t actual, int tolerance, const char* what)
{
    for (int shift = 0; shift <= 16; shift += 8) {
        const int e = (expected >> shift) & 0xFF;
        const int a = (actual >> shift) & 0xFF;
        EXPECT_LE(std::abs(e - a), tolerance)
            << what << ": expected " << std::hex << expected << ", got " << actual;
    }
}

// States the renderers must overwrite, so a renderer that leaves one alone shows.
void SetSentinels(IDirect3DDevice9* device)
{
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_ADD);
}

// A light implementation as the renderer template sees it: counted handle pictures.
struct TestLight {
    ComRef<IDirect3DTexture9> handleTextures[5];
};

// A renderer variant written the way the lights write theirs: named, derived from the default
// renderer of its light, overriding only what it draws differently. Here the leaves are drawn
// as by default and then WORLD is put back to the identity.
class TestLightRender : public DS_ABRenderImpl<TestLight> {
public:
    using DS_ABRenderImpl<TestLight>::DS_ABRenderImpl;
    void Draw3DArray(DS_MeshElement* leaves) override
    {
        DefaultDraw3DArray(leaves);
        CurrentDevice->SetTransform(D3DTS_WORLD, &SceneTransforms.identity);
    }
};

class RendererDeviceTest : public DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        SetupObjectSpaceCamera(128, 96, kWidth, kHeight); // object pixels × 2 on the back buffer
        SetLightBaseStates(device());
    }

    // A one-sprite array: a 40 × 40 quad at the middle of object space.
    std::unique_ptr<DS_SpriteArrayObj> MakeArray(uint32_t argb, int blendMode, uint32_t secondArgb = 0)
    {
        return MakeArrayOver(MakeSolidTexture(device(), argb), blendMode, secondArgb);
    }

    // The same over a texture of the test's own.
    std::unique_ptr<DS_SpriteArrayObj> MakeArrayOver(ComRef<IDirect3DTexture9> texture, int blendMode,
                                                     uint32_t secondArgb = 0,
                                                     const std::function<void(PlainSpriteKind&)>& adjust = nullptr)
    {
        texture_ = texture;
        const ResKey key(L"sprite.png", 1);
        TextureAnim& anim = current_.manager.data().textureAnims[key];
        anim.frames = {texture_};
        anim.width = anim.height = 4;
        anim.aspect = 1.0f;
        auto* d = new PlainSpriteKind;
        d->pictureKey = key;
        d->size.value = 40;
        d->blendMode.value = blendMode;
        if (adjust)
            adjust(*d);
        if (secondArgb) {
            second_ = MakeSolidTexture(device(), secondArgb);
            const ResKey overlay(L"overlay.png", 2);
            current_.manager.data().textureAnims[overlay].frames = {second_};
            d->secondPictureKey = overlay;
        }
        auto s = std::make_unique<DS_SpriteArrayObj>(d);
        s->sprites.front()->position = SpriteVec3{64.0f, 48.0f, 0.0f};
        s->Update(0.01f);
        return s;
    }

    PixelImage DrawOverBackground(DS_SpriteArrayObj* s)
    {
        device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000 | kBackground, 1.0f, 0);
        device()->BeginScene();
        renderer_.DrawSpriteArray(s);
        device()->EndScene();
        return ReadBackBuffer();
    }

    CurrentManagerScope current_;
    ObjectSpaceScope space_{128, 96};
    TestLight light_;
    DS_ABRenderImpl<TestLight> renderer_{&light_};
    ComRef<IDirect3DTexture9> texture_;
    ComRef<IDirect3DTexture9> second_;
};

} // namespace

TEST_F(RendererDeviceTest, SpriteArraysBlendByModeAndSecondTexture)
{
    struct Case {
        const char* name;
        uint32_t texture;
        int blendMode;
        uint32_t second;
        uint32_t centre;
    } cases[] = {
        {"alpha-blended, opaque", 0xFF0000FF, 0, 0, 0x0000FF},
        {"alpha-blended, half alpha", 0x80FF0000, 0, 0, 0xA02020},
        {"additive", 0xFF404040, 1, 0, 0x808080},
        {"any other mode is additive", 0xFF404040, 2, 0, 0x808080},
        {"mode 2 with a second texture blends both passes", 0xFF404040, 2, 0xFF000040, 0x000040},
        {"mode 1: second pass additive", 0xFF404040, 1, 0xFF000040, 0x404080},
    };
    for (const Case& c : cases) {
        std::unique_ptr<DS_SpriteArrayObj> s = MakeArray(c.texture, c.blendMode, c.second);
        const PixelImage image = DrawOverBackground(s.get());
        ExpectNear(c.centre, image.Rgb(kWidth / 2, kHeight / 2), 3, c.name);
        // The quad spans object pixels 44..84 × 28..68, so back-buffer pixels 88..168 × 56..136.
        ExpectNear(c.centre, image.Rgb(90, 58), 3, c.name);
        EXPECT_EQ(kBackground, image.Rgb(85, 96)) << c.name;
        EXPECT_EQ(kBackground, image.Rgb(128, 139)) << c.name;
    }
    SaveBackBufferPng(device(), L"sprite_array_mode1_second");
}

// Each sprite is drawn through a quad of its own: three sprites of one array, three squares.
TEST_F(RendererDeviceTest, EverySpriteOfAnArrayIsDrawnAtItsOwnPlace)
{
    std::unique_ptr<DS_SpriteArrayObj> s =
        MakeArrayOver(MakeSolidTexture(device(), 0xFF0000FF), 0, 0, [](PlainSpriteKind& d) {
            d.count.value = 3;
            d.size.value = 16;
        });
    const float xs[3] = {20.0f, 64.0f, 108.0f}; // object pixels; × 2 on the back buffer
    int i = 0;
    for (const auto& sprite : s->sprites)
        sprite->position = SpriteVec3{xs[i++], 48.0f, 0.0f};
    s->Update(0.02f);
    const PixelImage image = DrawOverBackground(s.get());
    for (float x : xs)
        EXPECT_EQ(0x0000FFu, image.Rgb(static_cast<UINT>(2 * x), 96)) << "sprite at x " << x;
    EXPECT_EQ(kBackground, image.Rgb(84, 96));
    EXPECT_EQ(kBackground, image.Rgb(172, 96));
}

// A two-frame horizontal strip (red, then green) at 10 frames per second shows its second frame
// once more than 0.1 s of application time has passed.
TEST_F(RendererDeviceTest, StripShowsItsNextFrameAfterTheStripTime)
{
    ComRef<IDirect3DTexture9> strip =
        PaintedTexture(device(), 8, 4, [](UINT x, UINT) { return x < 4 ? 0xFFFF0000u : 0xFF00FF00u; });
    std::unique_ptr<DS_SpriteArrayObj> s = MakeArrayOver(strip, 0, 0, [](PlainSpriteKind& d) {
        d.stripOn = true;
        d.stripFrameCount = 2;
        d.stripRate = 10.0f;
    });
    EXPECT_EQ(0xFF0000u, DrawOverBackground(s.get()).Rgb(kWidth / 2, kHeight / 2)) << "at 0.01 s";
    s->Update(0.05f);
    EXPECT_EQ(0xFF0000u, DrawOverBackground(s.get()).Rgb(kWidth / 2, kHeight / 2)) << "at 0.05 s";
    s->Update(0.15f);
    EXPECT_EQ(0x00FF00u, DrawOverBackground(s.get()).Rgb(kWidth / 2, kHeight / 2)) << "at 0.15 s";
}

TEST_F(RendererDeviceTest, SpriteRendererStateContract)
{
    struct Case {
        const char* name;
        int blendMode;
        bool noFrames;
    } cases[] = {{"blended", 0, false}, {"additive", 1, false}, {"without frames", 0, true}};
    for (const Case& c : cases) {
        std::unique_ptr<DS_SpriteArrayObj> s = MakeArray(0xFFFFFFFF, c.blendMode);
        if (c.noFrames)
            s->frames.clear();
        SetSentinels(device());
        const PixelImage image = DrawOverBackground(s.get());
        EXPECT_EQ(FALSE, RenderState(device(), D3DRS_ALPHABLENDENABLE)) << c.name;
        EXPECT_EQ(D3DCULL_NONE, RenderState(device(), D3DRS_CULLMODE)) << c.name;
        EXPECT_EQ(D3DBLEND_INVSRCALPHA, RenderState(device(), D3DRS_DESTBLEND)) << c.name;
        EXPECT_EQ(D3DTOP_MODULATE, StageState(device(), D3DTSS_COLOROP)) << c.name;
        EXPECT_EQ(D3DTOP_MODULATE, StageState(device(), D3DTSS_ALPHAOP)) << c.name;
        EXPECT_EQ(D3DTA_DIFFUSE, StageState(device(), D3DTSS_COLORARG2)) << c.name;
        if (c.noFrames) {
            EXPECT_EQ(kBackground, image.Rgb(kWidth / 2, kHeight / 2)) << "an array without frames draws nothing";
        }
    }
}

TEST_F(RendererDeviceTest, MeshRenderersStateContract)
{
    DS_MeshElement element; // no buffers, no instances, no children: nothing is drawn
    struct Case {
        const char* name;
        void (*draw)(DS_ABRender&, DS_MeshElement&);
        DWORD colourOp, alphaOp, destBlend;
    } cases[] = {
        {"Draw3DObject", [](DS_ABRender& r, DS_MeshElement& e) { r.Draw3DObject(&e); }, D3DTOP_ADD, D3DTOP_ADD,
         D3DBLEND_ZERO},
        {"picture-light form", [](DS_ABRender&, DS_MeshElement& e) { DefaultDraw3DObject(&e, true); }, D3DTOP_ADD,
         D3DTOP_ADD, D3DBLEND_ZERO},
        {"Draw3DArray", [](DS_ABRender& r, DS_MeshElement& e) { r.Draw3DArray(&e); }, D3DTOP_SELECTARG1,
         D3DTOP_SELECTARG1, D3DBLEND_ZERO},
    };
    for (const Case& c : cases) {
        SetSentinels(device());
        device()->BeginScene();
        c.draw(renderer_, element);
        device()->EndScene();
        EXPECT_EQ(FALSE, RenderState(device(), D3DRS_ALPHABLENDENABLE)) << c.name;
        EXPECT_EQ(D3DCULL_NONE, RenderState(device(), D3DRS_CULLMODE)) << c.name;
        EXPECT_EQ(c.destBlend, RenderState(device(), D3DRS_DESTBLEND)) << c.name;
        EXPECT_EQ(c.colourOp, StageState(device(), D3DTSS_COLOROP)) << c.name;
        EXPECT_EQ(c.alphaOp, StageState(device(), D3DTSS_ALPHAOP)) << c.name;
    }
}

TEST_F(RendererDeviceTest, SelectionLeavesPointSpritesOnAndZOff)
{
    OutlineQuad outline;
    QuadTemplate q;
    SetQuadCorners(q, 10.0f, 10.0f, 50.0f, 40.0f);
    ASSERT_EQ(D3D_OK, MakeOutlineQuad(outline, q));
    for (int state : {0, 1}) {
        SetSentinels(device());
        device()->SetRenderState(D3DRS_ZENABLE, TRUE);
        device()->BeginScene();
        renderer_.DrawSelection(&outline, state, false);
        device()->EndScene();
        EXPECT_EQ(FALSE, RenderState(device(), D3DRS_ALPHABLENDENABLE)) << state;
        EXPECT_EQ(D3DCULL_NONE, RenderState(device(), D3DRS_CULLMODE)) << state;
        EXPECT_EQ(FALSE, RenderState(device(), D3DRS_ZENABLE)) << state;
        EXPECT_EQ(TRUE, RenderState(device(), D3DRS_POINTSPRITEENABLE)) << state;
        EXPECT_EQ(D3DTA_DIFFUSE, StageState(device(), D3DTSS_COLORARG2)) << state;
        EXPECT_EQ(D3DTA_DIFFUSE, StageState(device(), D3DTSS_ALPHAARG2)) << state;
    }
}

// The renderer-variant pattern: the light holds its named renderer through one owning pointer;
// the overridden operation runs in place of the default, the others stay the defaults, and the
// selection draws with the owner's counted handle pictures.
TEST_F(RendererDeviceTest, NamedRendererOverridesOnlyWhatItRedefines)
{
    for (int i = 0; i < 5; ++i)
        light_.handleTextures[i] = MakeSolidTexture(device(), 0xFF000000u | (0x10u * (i + 1)));
    std::unique_ptr<DS_ABRender> renderer = std::make_unique<TestLightRender>(&light_);

    // One leaf away from the origin: the default routine leaves WORLD on it.
    DS_MeshElement leaves;
    MakeQuadElement(device(), leaves, false);
    D3DXMatrixTranslation(&leaves.AddChild()->world, 5.0f, 0.0f, 0.0f);
    device()->BeginScene();
    renderer->Draw3DArray(&leaves);
    device()->EndScene();
    D3DXMATRIX world;
    device()->GetTransform(D3DTS_WORLD, &world);
    EXPECT_TRUE(world == SceneTransforms.identity) << "the override ran";
    EXPECT_EQ(FALSE, RenderState(device(), D3DRS_ALPHABLENDENABLE)) << "after the default routine";
    leaves.DeleteTree();

    // Selection state 1 draws the four corner handles, the last one handles[3].
    OutlineQuad outline;
    QuadTemplate q;
    SetQuadCorners(q, 10.0f, 10.0f, 50.0f, 40.0f);
    ASSERT_EQ(D3D_OK, MakeOutlineQuad(outline, q));
    device()->BeginScene();
    renderer->DrawSelection(&outline, 1, false);
    device()->EndScene();
    ComRef<IDirect3DBaseTexture9> bound;
    device()->GetTexture(0, bound.Out());
    EXPECT_EQ(static_cast<IDirect3DBaseTexture9*>(light_.handleTextures[3].Get()), bound.Get());
}

TEST(SelectionPulse, AlphaBounds)
{
    EXPECT_EQ(SelectionPulseAlpha(0, false, 0.0f), 96);
    EXPECT_EQ(SelectionPulseAlpha(0, false, 3.14159265f / 10.0f), 165);
    EXPECT_EQ(SelectionPulseAlpha(1, false, 0.0f), 48);
    EXPECT_EQ(SelectionPulseAlpha(1, false, 3.14159265f / 5.0f), 255);
    EXPECT_EQ(SelectionPulseAlpha(1, true, 1.234f), 255);
}
