// The CPU normal map the lake makes its bump map with: the slopes of flat, ramped and bumped
// height maps worked out without a device, their V8U8 packing, and the bump texture it writes on
// a real device.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "scene/render/NormalMap.h"
#include "tests/support/DeviceFixture.h"
#include "tests/support/TestPictures.h"

namespace {

// A width × height B, G, R, A picture whose red channel is height(x, y); green and blue hold
// other values, which must not count.
struct HeightPicture {
    uint32_t width, height;
    int32_t pitch;
    std::vector<uint8_t> bytes;

    HeightPicture(uint32_t w, uint32_t h, const std::function<uint8_t(uint32_t, uint32_t)>& red)
        : width(w), height(h), pitch(int32_t(4 * w + 8)), bytes(size_t(pitch) * h, 0)
    {
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                uint8_t* texel = &bytes[size_t(y) * pitch + 4 * x];
                texel[0] = uint8_t(x * 37 + y);
                texel[1] = uint8_t(y * 91 + x);
                texel[2] = red(x, y);
                texel[3] = 0xFF;
            }
    }

    // The packed bump texels, row by row.
    std::vector<BumpTexel> Bump(float amplitude) const
    {
        const std::vector<SurfaceNormal> normals = ComputeNormalMapRed(bytes.data(), pitch, width, height, amplitude);
        std::vector<BumpTexel> texels;
        for (const SurfaceNormal& n : normals)
            texels.push_back(PackNormalV8U8(n));
        return texels;
    }
};

TEST(NormalMap, FlatHeightsAndZeroAmplitudeGiveNoSlope)
{
    const HeightPicture flat(8, 8, [](uint32_t, uint32_t) { return uint8_t(140); });
    const HeightPicture hilly(8, 8, [](uint32_t x, uint32_t y) { return uint8_t((x * 53 + y * 29) & 0xFF); });
    for (const BumpTexel& t : flat.Bump(25.0f)) {
        EXPECT_EQ(0, t.u);
        EXPECT_EQ(0, t.v);
    }
    for (const BumpTexel& t : hilly.Bump(0.0f)) {
        EXPECT_EQ(0, t.u);
        EXPECT_EQ(0, t.v);
    }
    const std::vector<SurfaceNormal> up = ComputeNormalMapRed(flat.bytes.data(), flat.pitch, 8, 8, 25.0f);
    ASSERT_EQ(64u, up.size());
    EXPECT_FLOAT_EQ(1.0f, up[27].z);
}

// A ramp rising 4 per texel: the slope is 8 / 255 over two texels, times 25.5 gives 0.4, and
// the normal (−0.4, 0, 1) / √1.16 packs as −47. The wrap columns see the ramp fall back.
TEST(NormalMap, RampsGiveTheirSignedSlopeAcrossAndDown)
{
    const HeightPicture across(16, 4, [](uint32_t x, uint32_t) { return uint8_t(4 * x); });
    const HeightPicture down(4, 16, [](uint32_t, uint32_t y) { return uint8_t(4 * y); });
    const std::vector<BumpTexel> a = across.Bump(25.5f), d = down.Bump(25.5f);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 1; x < 15; ++x) {
            EXPECT_EQ(-47, a[y * 16 + x].u) << x << ", " << y;
            EXPECT_EQ(0, a[y * 16 + x].v) << x << ", " << y;
            EXPECT_EQ(0, d[x * 4 + y].u) << y << ", " << x;
            EXPECT_EQ(-47, d[x * 4 + y].v) << y << ", " << x;
        }
    EXPECT_GT(a[0].u, 0) << "the wrap column sees the ramp fall";
    EXPECT_GT(a[15].u, 0);
}

// One raised texel: its neighbours lean away from it, and it has no slope of its own.
TEST(NormalMap, ABumpTiltsItsNeighboursAway)
{
    const HeightPicture bump(9, 9, [](uint32_t x, uint32_t y) { return uint8_t(x == 4 && y == 4 ? 200 : 0); });
    const std::vector<BumpTexel> t = bump.Bump(10.0f);
    auto at = [&](uint32_t x, uint32_t y) { return t[y * 9 + x]; };
    EXPECT_EQ(0, at(4, 4).u);
    EXPECT_EQ(0, at(4, 4).v);
    EXPECT_LT(at(3, 4).u, 0); // left of it: height rises to the right
    EXPECT_GT(at(5, 4).u, 0);
    EXPECT_LT(at(4, 3).v, 0); // above it: height rises downward
    EXPECT_GT(at(4, 5).v, 0);
    EXPECT_EQ(-at(3, 4).u, at(5, 4).u);
    EXPECT_EQ(at(3, 4).u, at(4, 3).v);
    EXPECT_EQ(0, at(3, 4).v);
    EXPECT_EQ(0, at(0, 0).u);
    EXPECT_EQ(0, at(0, 0).v);
}

TEST(NormalMap, PackingRoundsClampsAndLeavesRowPaddingAlone)
{
    EXPECT_EQ(127, PackNormalV8U8({1.0f, 0.0f, 0.0f}).u);
    EXPECT_EQ(-127, PackNormalV8U8({-1.0f, 0.0f, 0.0f}).u);
    EXPECT_EQ(-127, PackNormalV8U8({0.0f, -1.5f, 0.0f}).v);
    EXPECT_EQ(64, PackNormalV8U8({0.5f, 0.0f, 0.0f}).u); // 63.5 rounds away from zero

    const std::vector<SurfaceNormal> normals(6, SurfaceNormal{0.5f, -0.25f, 0.8f});
    const int32_t pitch = 10;
    std::vector<uint8_t> rows(size_t(pitch) * 2, 0xCD);
    PackNormalsV8U8(normals, 3, 2, rows.data(), pitch);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(64, int8_t(rows[y * pitch + 2 * x]));
            EXPECT_EQ(-32, int8_t(rows[y * pitch + 2 * x + 1]));
        }
        for (int i = 6; i < pitch; ++i)
            EXPECT_EQ(0xCD, rows[y * pitch + i]);
    }
    EXPECT_TRUE(ComputeNormalMapRed(nullptr, 0, 4, 4, 1.0f).empty());
}

// The lake writes its bump texels straight from the heights; they must be the bytes the normals
// packed one by one give, on odd and even sizes, edges wrapping, with the row padding untouched.
TEST(NormalMap, DirectBumpTexelsAreTheBytesOfThePackedNormals)
{
    struct Case {
        uint32_t width, height;
        float amplitude;
    };
    const Case cases[] = {{256, 256, 25.0f}, {37, 5, 100.0f}, {1, 3, 7.5f}, {64, 48, 1000.0f}};
    for (const Case& c : cases) {
        uint32_t seed = 12345u + c.width;
        const HeightPicture picture(c.width, c.height, [&](uint32_t, uint32_t) {
            seed = seed * 1103515245u + 12345u;
            return uint8_t(seed >> 24);
        });
        const int32_t outPitch = int32_t(2 * c.width + 6);
        std::vector<uint8_t> reference(size_t(outPitch) * c.height, 0xCD), direct(reference);
        PackNormalsV8U8(ComputeNormalMapRed(picture.bytes.data(), picture.pitch, c.width, c.height, c.amplitude),
                        c.width, c.height, reference.data(), outPitch);
        WriteBumpMapV8U8(picture.bytes.data(), picture.pitch, c.width, c.height, c.amplitude, direct.data(), outPitch);
        EXPECT_EQ(reference, direct) << c.width << " x " << c.height << " at amplitude " << c.amplitude;
    }
    std::vector<uint8_t> untouched(8, 0xCD);
    WriteBumpMapV8U8(nullptr, 0, 2, 2, 1.0f, untouched.data(), 4);
    EXPECT_EQ(std::vector<uint8_t>(8, 0xCD), untouched);
}

class NormalMapDevice : public DeviceTest {};

TEST_F(NormalMapDevice, WritesAV8U8TextureOfTheHeightsSlopes)
{
    const ComRef<IDirect3DTexture9> heights =
        PaintedTexture(device(), 16, 8, [](UINT x, UINT) { return 0xFF000000u | (uint32_t(4 * x) << 16) | 0x0000FF00u; });
    ASSERT_TRUE(heights);
    ComRef<IDirect3DTexture9> bump;
    ASSERT_EQ(S_OK, ComputeBumpMapFromHeights(heights.Get(), 25.5f, bump));
    ASSERT_TRUE(bump);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(D3D_OK, bump->GetLevelDesc(0, &desc));
    EXPECT_EQ(D3DFMT_V8U8, desc.Format);
    EXPECT_EQ(D3DPOOL_MANAGED, desc.Pool);
    EXPECT_EQ(16u, desc.Width);
    EXPECT_EQ(8u, desc.Height);
    EXPECT_EQ(1u, bump->GetLevelCount());
    D3DLOCKED_RECT locked;
    ASSERT_EQ(D3D_OK, bump->LockRect(0, &locked, nullptr, D3DLOCK_READONLY));
    for (UINT y = 0; y < 8; ++y) {
        const int8_t* row = reinterpret_cast<const int8_t*>(static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch);
        for (UINT x = 1; x < 15; ++x) {
            EXPECT_EQ(-47, row[2 * x]) << x << ", " << y;
            EXPECT_EQ(0, row[2 * x + 1]) << x << ", " << y;
        }
    }
    bump->UnlockRect(0);
}

TEST_F(NormalMapDevice, NothingIsMadeFromAPictureItCannotRead)
{
    ComRef<IDirect3DTexture9> bump = SolidTexture(device(), 4, 4, 0xFF808080u);
    EXPECT_EQ(E_FAIL, ComputeBumpMapFromHeights(nullptr, 1.0f, bump));
    EXPECT_FALSE(bump);
    ComRef<IDirect3DTexture9> v8u8;
    ASSERT_EQ(D3D_OK, device()->CreateTexture(4, 4, 1, 0, D3DFMT_V8U8, D3DPOOL_MANAGED, v8u8.Out(), nullptr));
    EXPECT_EQ(E_INVALIDARG, ComputeBumpMapFromHeights(v8u8.Get(), 1.0f, bump));
    EXPECT_FALSE(bump);
}

} // namespace
