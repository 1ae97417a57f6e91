#include "document/TextureInfo.h"

void TextureInfo::Assign(TextureInfo& target, IDirect3DTexture9* source, const D3DXIMAGE_INFO& image)
{
    target.texture = ComRef<IDirect3DTexture9>::Share(source);
    target.width = image.Width;
    target.height = image.Height;
    // An image without a width has no aspect; the 800 × 600 stand-in's is used, never NaN.
    target.aspect = image.Width != 0 ? static_cast<float>(image.Height) / static_cast<float>(image.Width) : 0.75f;
}
