// Records what the Direct3D device here offers, for the test log. It fails only where the
// screensaver could not work at all: no device, or no bump-environment mapping with V8U8
// textures, which every light mode's device check requires.
#include "tests/support/DeviceFixture.h"

#include <cstdio>

namespace {

class DeviceProbe : public DeviceTest {
protected:
    bool TextureFormat(D3DFORMAT format, DWORD usage = 0, D3DPOOL = D3DPOOL_MANAGED)
    {
        D3DDISPLAYMODE mode;
        test_device().d3d()->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
        return SUCCEEDED(test_device().d3d()->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format,
                                                                usage, D3DRTYPE_TEXTURE, format));
    }
};

TEST_F(DeviceProbe, RecordsTheDeviceOffer)
{
    IDirect3D9* d3d = test_device().d3d();
    D3DCAPS9 caps;
    ASSERT_EQ(D3D_OK, device()->GetDeviceCaps(&caps));
    D3DADAPTER_IDENTIFIER9 id = {};
    d3d->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &id);

    const bool bump = (caps.TextureOpCaps & D3DTEXOPCAPS_BUMPENVMAP) != 0;
    const bool v8u8 = TextureFormat(D3DFMT_V8U8);
    std::printf("[probe] adapter: %s (%s)\n", id.Description, id.Driver);
    std::printf("[probe] adapters: %u\n", d3d->GetAdapterCount());
    std::printf("[probe] TextureOpCaps: 0x%08lX, bump-env map: %s\n", caps.TextureOpCaps, bump ? "yes" : "no");
    std::printf("[probe] vertex shader %lu.%lu, pixel shader %lu.%lu\n", D3DSHADER_VERSION_MAJOR(caps.VertexShaderVersion),
                D3DSHADER_VERSION_MINOR(caps.VertexShaderVersion), D3DSHADER_VERSION_MAJOR(caps.PixelShaderVersion),
                D3DSHADER_VERSION_MINOR(caps.PixelShaderVersion));
    std::printf("[probe] textures: V8U8 %s, V16U16 %s, A8 %s, A8R8G8B8 render target %s\n", v8u8 ? "yes" : "no",
                TextureFormat(D3DFMT_V16U16) ? "yes" : "no", TextureFormat(D3DFMT_A8) ? "yes" : "no",
                TextureFormat(D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT) ? "yes" : "no");
    std::printf("[probe] max texture %lux%lu, blend stages %lu, simultaneous textures %lu\n", caps.MaxTextureWidth,
                caps.MaxTextureHeight, caps.MaxTextureBlendStages, caps.MaxSimultaneousTextures);
    for (UINT a = 0; a < d3d->GetAdapterCount(); ++a) {
        const D3DFORMAT formats[] = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
        for (D3DFORMAT f : formats) {
            const UINT count = d3d->GetAdapterModeCount(a, f);
            for (UINT m = 0; m < count; ++m) {
                D3DDISPLAYMODE mode;
                if (SUCCEEDED(d3d->EnumAdapterModes(a, f, m, &mode)))
                    std::printf("[probe] adapter %u mode %ux%u@%u format %d\n", a, mode.Width, mode.Height,
                                mode.RefreshRate, static_cast<int>(mode.Format));
            }
        }
    }
    std::fflush(stdout);

    EXPECT_TRUE(bump) << "no bump-environment mapping: the screensaver's device check would refuse this device";
    EXPECT_TRUE(v8u8) << "no V8U8 textures: the screensaver's device check would refuse this device";
}

} // namespace
