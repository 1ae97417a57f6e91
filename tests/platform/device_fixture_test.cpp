// The device fixture itself: a cleared back buffer reads back as the clear colour.
#include "tests/support/DeviceFixture.h"

#include "document/CurrentDevice.h"

namespace {

class DeviceFixtureTest : public DeviceTest {};

TEST_F(DeviceFixtureTest, ClearedPixelReadsBack)
{
    ASSERT_EQ(CurrentDevice, device());
    ASSERT_EQ(D3D_OK, device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF3366CC, 1.0f, 0));
    const PixelImage image = ReadBackBuffer();
    ASSERT_EQ(kWidth, image.width);
    ASSERT_EQ(kHeight, image.height);
    EXPECT_EQ(0x3366CCu, image.Rgb(0, 0));
    EXPECT_EQ(0x3366CCu, image.Rgb(kWidth - 1, kHeight - 1));
    EXPECT_EQ(image.pixels.size(), image.Count(0x3366CC));
}

TEST_F(DeviceFixtureTest, ClearOfARectangleLeavesTheRest)
{
    device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    const D3DRECT rect = {10, 20, 30, 50};
    device()->Clear(1, &rect, D3DCLEAR_TARGET, 0xFFFF00FF, 1.0f, 0);
    const PixelImage image = ReadBackBuffer();
    EXPECT_EQ(20u * 30u, image.Count(0xFF00FF));
    EXPECT_EQ(0xFF00FFu, image.Rgb(10, 20));
    EXPECT_EQ(0x000000u, image.Rgb(30, 20));
    EXPECT_EQ(0x000000u, image.Rgb(10, 50));
}

TEST_F(DeviceFixtureTest, SavesTheBackBufferAsPng)
{
    device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF204060, 1.0f, 0);
    const std::wstring path = SaveBackBufferPng(device(), L"device_fixture_clear");
    ASSERT_FALSE(path.empty());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
}

TEST_F(DeviceFixtureTest, ResetKeepsTheDeviceUsable)
{
    ASSERT_EQ(D3D_OK, test_device().Reset(320, 240));
    device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    const PixelImage image = ReadBackBuffer();
    EXPECT_EQ(320u, image.width);
    EXPECT_EQ(0x00FF00u, image.Rgb(319, 239));
}

} // namespace
