#include "scene/render/PictureQuad.h"

#include "document/TextureInfo.h"

void FillPictureQuadVertices(DX_V::PCT* vertices)
{
    static const float uv[4][2] = {{0.0f, 1.0f}, {0.0f, 0.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}};
    for (int i = 0; i < 4; ++i)
        vertices[i] = {0.0f, 0.0f, 0.0f, 0xFFFFFFFFu, uv[i][0], uv[i][1]};
}

void SetPictureQuadCorners(DX_V::PCT* vertices, float width, float height)
{
    const float xy[4][2] = {{0.0f, height}, {0.0f, 0.0f}, {width, height}, {width, 0.0f}};
    for (int i = 0; i < 4; ++i) {
        vertices[i].x = xy[i][0];
        vertices[i].y = xy[i][1];
        vertices[i].z = 0.0f;
    }
}

HRESULT PictureQuad::MakeBuffer()
{
    const HRESULT hr = MakeQuadBuffer();
    WriteVertices(vertices, [](DX_V::PCT* v, uint32_t) { FillPictureQuadVertices(v); });
    return hr;
}

void PictureQuad::SetFromTextureInfo(const TextureInfo& picture)
{
    SetPicture(picture.texture.Get(), picture.width, picture.height);
}

void PictureQuad::SetPicture(IDirect3DTexture9* picture, uint32_t width, uint32_t height)
{
    SetTexture(picture);
    if (vertices.count < 4)
        return;
    WriteVertices(vertices, [&](DX_V::PCT* v, uint32_t) {
        SetPictureQuadCorners(v, static_cast<float>(width), static_cast<float>(height));
    });
}

void PictureQuad::SetFromTextureAnim(const TextureAnim& picture)
{
    IDirect3DTexture9* frame0 = picture.frames.empty() ? nullptr : picture.frames[0].Get();
    SetPicture(frame0, picture.width, picture.height);
}
