// The program's own pictures, as generated for its resource script: the lake's height picture
// ("DDS" 2) and the configuration dialog's picture ("DDS" 120).
#include <windows.h>
#include <d3dx9.h>

#include <cstring>

#include "document/ComRef.h"
#include "tests/resources/PictureChecks.h"
#include "tests/support/DeviceFixture.h"

namespace {

std::wstring GeneratedProgramPicture(const wchar_t* name)
{
    return ProgramFolder() + L"..\\generated\\pictures\\program\\" + name;
}

bool IsPowerOfTwo(UINT n) { return n != 0 && (n & (n - 1)) == 0; }

class ProgramPicture : public DeviceTest {};

// The lake loads "DDS" 2 from the program without filtering, which pads a picture whose sides
// are not powers of two; its heights sit in the red channel.
TEST_F(ProgramPicture, LakeHeightsHavePowerOfTwoSidesAndRealRelief)
{
    const std::vector<unsigned char> bytes = ReadFileBytes(GeneratedProgramPicture(L"lake_height.png"));
    ASSERT_FALSE(bytes.empty());
    D3DXIMAGE_INFO info = {};
    ComRef<IDirect3DTexture9> texture;
    ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileInMemoryEx(
                          device(), bytes.data(), UINT(bytes.size()), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                          D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, &info, nullptr,
                          texture.Out()));
    EXPECT_TRUE(IsPowerOfTwo(info.Width)) << info.Width;
    EXPECT_TRUE(IsPowerOfTwo(info.Height)) << info.Height;
    const TexelImage image = ReadTexels(texture.Get());
    ASSERT_FALSE(image.texels.empty());
    EXPECT_EQ(info.Width, image.width);
    EXPECT_EQ(info.Height, image.height);
    const ChannelStats red = MeasureChannel(image, 16);
    EXPECT_GT(red.deviation, 15.0);
    EXPECT_NEAR(128.0, red.mean, 30.0);
    // Mirrored repeats of the map stay seamless when it tiles.
    EXPECT_LT(red.wrapStep, 3.0 * red.neighbourStep + 1.0);
    EXPECT_TRUE(SaveTextureArtifact(texture.Get(), L"program_2_lake_height"));
}

// The dialog draws "DDS" 120 through GDI+ at its natural size: a 120 x 120 24-bit BMP.
TEST_F(ProgramPicture, DialogPictureIsA120By120TwentyFourBitBitmap)
{
    const std::vector<unsigned char> bytes = ReadFileBytes(GeneratedProgramPicture(L"config_picture.bmp"));
    ASSERT_GE(bytes.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER header;
    memcpy(&file, bytes.data(), sizeof file);
    memcpy(&header, bytes.data() + sizeof file, sizeof header);
    EXPECT_EQ(0x4D42, file.bfType);  // "BM"
    EXPECT_EQ(bytes.size(), size_t(file.bfSize));
    EXPECT_EQ(120, header.biWidth);
    EXPECT_EQ(120, header.biHeight);
    EXPECT_EQ(24, header.biBitCount);
    EXPECT_EQ(DWORD(BI_RGB), header.biCompression);

    D3DXIMAGE_INFO info = {};
    ComRef<IDirect3DTexture9> texture;
    ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileInMemoryEx(
                          device(), bytes.data(), UINT(bytes.size()), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                          D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, &info, nullptr,
                          texture.Out()));
    EXPECT_EQ(D3DXIFF_BMP, info.ImageFileFormat);
    EXPECT_EQ(120u, info.Width);
    EXPECT_EQ(120u, info.Height);
    const TexelImage image = ReadTexels(texture.Get());
    ASSERT_FALSE(image.texels.empty());
    EXPECT_GT(MeasureChannel(image, 16).deviation, 20.0);
    EXPECT_TRUE(SaveTextureArtifact(texture.Get(), L"program_120_dialog_picture"));
}

} // namespace
