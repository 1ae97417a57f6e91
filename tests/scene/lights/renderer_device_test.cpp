#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "../DeviceScene.h"
#include "../SceneFixtures.h"
#include "tests/support/DeviceFixture.h"
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

// A light implementation as the renderer template sees it.
struct TestLight {
    IDirect3DTexture9* handleTextures[5] = {};
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
        texture_ = MakeSolidTexture(device(), argb);
        const ResKey key(L"sprite.png", 1);
        TextureAnim& anim = current_.manager.data().textureAnims[key];
        anim.frames = {texture_};
        anim.width = anim.height = 4;
        anim.aspect = 1.0f;
        auto* d = new PlainSpriteKind;
        d->pictureKey = key;
        d->size.value = 40;
        d->blendMode.value = blendMode;
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
        if (c.noFrames)
            EXPECT_EQ(kBackground, image.Rgb(kWidth / 2, kHeight / 2)) << "an array without frames draws nothing";
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

TEST(SelectionPulse, AlphaBounds)
{
    EXPECT_EQ(SelectionPulseAlpha(0, false, 0.0f), 96);
    EXPECT_EQ(SelectionPulseAlpha(0, false, 3.14159265f / 10.0f), 165);
    EXPECT_EQ(SelectionPulseAlpha(1, false, 0.0f), 48);
    EXPECT_EQ(SelectionPulseAlpha(1, false, 3.14159265f / 5.0f), 255);
    EXPECT_EQ(SelectionPulseAlpha(1, true, 1.234f), 255);
}
