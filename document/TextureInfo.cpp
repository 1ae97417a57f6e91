#include "document/TextureInfo.h"

void TextureInfo::Assign(TextureInfo& target, IDirect3DTexture9* source, const D3DXIMAGE_INFO& image)
{
    target.texture = ComRef<IDirect3DTexture9>::Share(source);
    target.width = image.Width;
    target.height = image.Height;
    target.aspect = static_cast<float>(image.Height) / static_cast<float>(image.Width);
}
