#include "tests/resources/PictureChecks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    const size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

std::vector<unsigned char> ReadFileBytes(const std::wstring& path)
{
    std::vector<unsigned char> bytes;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return bytes;
    unsigned char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    fclose(file);
    return bytes;
}

TexelImage ReadTexels(IDirect3DTexture9* texture)
{
    TexelImage image;
    D3DSURFACE_DESC desc = {};
    if (!texture || FAILED(texture->GetLevelDesc(0, &desc)))
        return image;
    if (desc.Format != D3DFMT_A8R8G8B8 && desc.Format != D3DFMT_X8R8G8B8)
        return image;
    D3DLOCKED_RECT locked = {};
    if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)))
        return image;
    image.width = desc.Width;
    image.height = desc.Height;
    image.format = desc.Format;
    image.texels.resize(size_t(desc.Width) * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const unsigned char*>(locked.pBits) +
                                                            size_t(y) * locked.Pitch);
        for (UINT x = 0; x < desc.Width; ++x)
            image.texels[size_t(y) * desc.Width + x] = row[x];
    }
    texture->UnlockRect(0);
    return image;
}

ChannelStats MeasureChannel(const TexelImage& image, int shift)
{
    ChannelStats stats;
    if (image.texels.empty())
        return stats;
    auto channel = [&](UINT x, UINT y) { return double((image.At(x, y) >> shift) & 0xFF); };
    double sum = 0, squares = 0, steps = 0, wraps = 0;
    for (UINT y = 0; y < image.height; ++y) {
        for (UINT x = 0; x < image.width; ++x) {
            const double c = channel(x, y);
            sum += c;
            squares += c * c;
            if (x + 1 < image.width)
                steps += std::fabs(channel(x + 1, y) - c);
        }
        wraps += std::fabs(channel(0, y) - channel(image.width - 1, y));
    }
    const double n = double(image.texels.size());
    stats.mean = sum / n;
    stats.deviation = std::sqrt(std::max(0.0, squares / n - stats.mean * stats.mean));
    stats.neighbourStep = steps / (double(image.width - 1) * image.height);
    stats.wrapStep = wraps / image.height;
    return stats;
}

bool SaveTextureArtifact(IDirect3DTexture9* texture, const std::wstring& name)
{
    const std::wstring folder = L"" LW_TEST_ARTIFACTS;
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + name + L".png";
    return SUCCEEDED(D3DXSaveTextureToFileW(path.c_str(), D3DXIFF_PNG, texture, nullptr));
}
