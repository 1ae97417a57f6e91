#include <gtest/gtest.h>

#include <cstdlib>

#include "../DeviceScene.h"
#include "scene/lights/ObjectRenderers.h"
#include "tests/support/DeviceFixture.h"

namespace {

constexpr uint32_t kBackground = 0x404040;

class MeshRendererDeviceTest : public DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        SetupObjectSpaceCamera(64, 48, kWidth, kHeight); // object pixels × 4 on the back buffer
        SetLightBaseStates(device());
        device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device()->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device()->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device()->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        D3DXMatrixIdentity(&instance_.world);
    }

    PixelImage Draw(DS_MeshElement& e, bool pictureForm)
    {
        device()->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000 | kBackground, 1.0f, 0);
        device()->BeginScene();
        DefaultDraw3DObject(&e, pictureForm);
        device()->EndScene();
        return ReadBackBuffer();
    }
    uint32_t DrawCentre(DS_MeshElement& e, bool pictureForm) { return Draw(e, pictureForm).Rgb(64, 64); }

    DS_Frame instance_;
};

} // namespace

TEST_F(MeshRendererDeviceTest, CullFlagChoosesTheFirstPassAndTheDefaultDrawsBothFaces)
{
    struct Case {
        const char* name;
        bool pictureForm;
        bool cullFlag;
        bool reversed;
        bool visible;
    } cases[] = {
        {"picture form, mirrored instance, clockwise", true, true, false, true},
        {"picture form, mirrored instance, counter-clockwise", true, true, true, false},
        {"picture form, plain instance, clockwise", true, false, false, false},
        {"effect-light form, plain instance, clockwise", false, false, false, true},
        {"effect-light form, mirrored instance, counter-clockwise", false, true, true, true},
    };
    ComRef<IDirect3DTexture9> red = MakeSolidTexture(device(), 0xFFC02020);
    for (const Case& c : cases) {
        DS_MeshElement e;
        MakeQuadElement(device(), e, c.reversed);
        e.SetTexture(red.Get());
        instance_.cullCounterClockwise = c.cullFlag;
        e.instances = {&instance_};
        EXPECT_EQ(DrawCentre(e, c.pictureForm), c.visible ? 0xC02020u : kBackground) << c.name;
    }
}

// An instance's world is its own transform followed by the picture world: an instance moved by
// 32 picture pixels lands 128 screen pixels to the right (the reverse order would move it 32).
TEST_F(MeshRendererDeviceTest, InstancesArePlacedInPicturePixels)
{
    ComRef<IDirect3DTexture9> red = MakeSolidTexture(device(), 0xFFC02020);
    for (bool pictureForm : {true, false}) {
        DS_MeshElement e;
        MakeQuadElement(device(), e, false);
        e.SetTexture(red.Get());
        D3DXMatrixTranslation(&instance_.world, 32.0f, 0.0f, 0.0f); // picture (40..56, 8..24)
        e.instances = {&instance_};
        const PixelImage image = Draw(e, pictureForm);
        EXPECT_EQ(0xC02020u, image.Rgb(192, 64)) << pictureForm;
        EXPECT_EQ(kBackground, image.Rgb(80, 64)) << pictureForm;
        EXPECT_EQ(kBackground, image.Rgb(64, 64)) << pictureForm;
    }
}

TEST_F(MeshRendererDeviceTest, OnlyTheEffectLightFormBlendsAnElementWithoutTheAlphaFlag)
{
    ComRef<IDirect3DTexture9> halfRed = MakeSolidTexture(device(), 0x80FF0000);
    DS_MeshElement e;
    MakeQuadElement(device(), e, false);
    e.SetTexture(halfRed.Get());
    instance_.cullCounterClockwise = true;
    e.instances = {&instance_};
    // Picture form: one pass with blending as it was (off), so the texture shows opaque.
    EXPECT_EQ(DrawCentre(e, true), 0xFF0000u);
    // Effect-light form: blended (the quad's one visible face draws once).
    const uint32_t blended = DrawCentre(e, false);
    EXPECT_NEAR(static_cast<int>((blended >> 16) & 0xFF), 0xA0, 3);
    EXPECT_NEAR(static_cast<int>((blended >> 8) & 0xFF), 0x20, 3);
    // With the alpha flag the picture form blends too.
    e.alpha = true;
    EXPECT_EQ(DrawCentre(e, true), blended);
}

TEST_F(MeshRendererDeviceTest, LeavesAreDrawnOnBothFacesOncePerChild)
{
    ComRef<IDirect3DTexture9> green = MakeSolidTexture(device(), 0xFF20C020);
    for (bool reversed : {false, true}) {
        DS_MeshElement leaves;
        MakeQuadElement(device(), leaves, reversed);
        leaves.SetTexture(green.Get());
        DS_Frame* leaf = leaves.AddChild();
        D3DXMatrixTranslation(&leaf->world, 32.0f, 0.0f, 0.0f); // picture (40..56, 8..24)
        device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000 | kBackground, 1.0f, 0);
        device()->BeginScene();
        DefaultDraw3DArray(&leaves);
        device()->EndScene();
        const PixelImage image = ReadBackBuffer();
        EXPECT_EQ(image.Rgb(192, 64), 0x20C020u) << reversed;
        EXPECT_EQ(image.Rgb(64, 64), kBackground) << "only the child frames are drawn";
        EXPECT_EQ(StageState(device(), D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_SELECTARG1));
        leaves.DeleteTree();
    }
}
