#include "tests/scene/lights/LightFixture.h"

#include <d3dx9.h>

#include "document/ComRef.h"

void LightTest::SetUp()
{
    DeviceTest::SetUp();
    previousManager_ = CurrentDocResManager;
    previousCache_ = CurrentResourceCache;
    manager = std::make_unique<DS_DocResManager>(); // makes its own cache current
    CurrentDocResManager = manager.get();
}

void LightTest::TearDown()
{
    CurrentDocResManager = previousManager_;
    CurrentResourceCache = previousCache_;
    manager.reset();
    DeviceTest::TearDown();
}

Bytes LightTest::Picture(UINT width, UINT height, D3DCOLOR top, D3DCOLOR bottom)
{
    ComRef<IDirect3DTexture9> texture;
    EXPECT_EQ(D3D_OK, D3DXCreateTexture(device(), width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                        texture.Out()));
    D3DLOCKED_RECT rect;
    texture->LockRect(0, &rect, nullptr, 0);
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x)
            reinterpret_cast<D3DCOLOR*>(static_cast<uint8_t*>(rect.pBits) + y * rect.Pitch)[x] =
                y < height / 2 ? top : bottom;
    texture->UnlockRect(0);
    ComRef<ID3DXBuffer> file;
    EXPECT_EQ(D3D_OK, D3DXSaveTextureToFileInMemory(file.Out(), D3DXIFF_PNG, texture.Get(), nullptr));
    const uint8_t* bytes = static_cast<const uint8_t*>(file->GetBufferPointer());
    return Bytes(bytes, bytes + file->GetBufferSize());
}

std::unique_ptr<SlideRecord> LightTest::Slide(const Bytes& picture, int32_t kind)
{
    auto slide = std::make_unique<SlideRecord>();
    slide->kind = kind;
    slide->picture.name = L"fixture.png";
    slide->picture.data = picture;
    return slide;
}

void LightTest::DrawFrame(MutableLight& light, DS_ScreenQuad* fade, bool clear)
{
    if (clear)
        device()->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 0, 255), 1.0f, 0);
    ASSERT_EQ(D3D_OK, device()->BeginScene());
    objectTime += 0.01f;
    light.UpdateObjects(objectTime);
    light.Update(objectTime);
    light.BeginFrame();
    light.DrawObjects();
    light.EndFrame();
    if (fade)
        light.DrawFadeQuad(fade);
    device()->EndScene();
}

void LightTest::DrawTwoFrames(MutableLight& light, DS_ScreenQuad* fade)
{
    DrawFrame(light, fade, true);
    DrawFrame(light, fade, false);
}
