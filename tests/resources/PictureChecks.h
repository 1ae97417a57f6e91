// Helpers of the content tests: where the test program lies, and what a decoded picture holds.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <string>
#include <vector>

// The folder of the running test program, with a trailing backslash (build/bin, where
// common_res.dll lies too).
std::wstring ProgramFolder();

// Reads a whole file; empty when it cannot be read.
std::vector<unsigned char> ReadFileBytes(const std::wstring& path);

// Level 0 of a 32-bit texture as 0xAARRGGBB values, row by row.
struct TexelImage {
    UINT width = 0;
    UINT height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    std::vector<uint32_t> texels;

    uint32_t At(UINT x, UINT y) const { return texels[y * width + x]; }
};
TexelImage ReadTexels(IDirect3DTexture9* texture);

// Channel statistics over a texel image; `shift` picks the channel (16 red, 8 green, 0 blue,
// 24 alpha).
struct ChannelStats {
    double mean = 0;
    double deviation = 0;
    // Mean absolute step between horizontally neighbouring texels, and across the wrap from the
    // last column to the first (about equal for a picture that tiles).
    double neighbourStep = 0;
    double wrapStep = 0;
};
ChannelStats MeasureChannel(const TexelImage& image, int shift);

// Saves a texture as a PNG in the test-artifact folder; returns false when it could not.
bool SaveTextureArtifact(IDirect3DTexture9* texture, const std::wstring& name);
