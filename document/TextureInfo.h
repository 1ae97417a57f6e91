// TextureInfo: a texture with the size of the image it was made from.
#pragma once

#include <d3dx9.h>
#include <cstdint>

#include "document/ComRef.h"

struct TextureInfo {
    ComRef<IDirect3DTexture9> texture; // null when nothing could be made
    uint32_t width = 0;                // of the source image, not of the texture D3DX made
    uint32_t height = 0;
    float aspect = 0.0f;               // height / width

    // Holds `source` (one reference added) and takes the image's size.
    static void Assign(TextureInfo& target, IDirect3DTexture9* source, const D3DXIMAGE_INFO& image);
};
