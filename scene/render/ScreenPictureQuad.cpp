#include "scene/render/ScreenPictureQuad.h"

#include "document/TextureInfo.h"
#include "scene/render/BackBuffer.h"

void FillScreenQuad(const QuadTemplate& quad, DX_V::SCT* locked)
{
    for (int i = 0; i < 4; ++i) {
        locked[i].x = quad.v[i].x;
        locked[i].y = quad.v[i].y;
        locked[i].z = 0.0f;
        locked[i].rhw = quad.v[i].z;
        locked[i].u = quad.v[i].u;
        locked[i].v = quad.v[i].v;
    }
}

namespace {

HRESULT MakeWhiteScreenQuad(ScreenPictureQuad& target, const QuadTemplate& quad)
{
    const HRESULT hr = target.MakeQuadBuffer();
    WriteVertices(target.vertices, [&](DX_V::SCT* v, uint32_t count) {
        FillScreenQuad(quad, v);
        for (uint32_t i = 0; i < count; ++i)
            v[i].colour = 0xFFFFFFFFu;
    });
    return hr;
}

} // namespace

HRESULT MakeScreenPictureQuad(ScreenPictureQuad& target, const TextureInfo& picture)
{
    target.SetTexture(picture.texture.Get());
    const BackBufferSize back = CurrentBackBufferSize();
    QuadTemplate quad;
    FitQuadLetterbox(quad, picture, static_cast<int32_t>(back.width), static_cast<int32_t>(back.height));
    return MakeWhiteScreenQuad(target, quad);
}

HRESULT MakeScreenQuadFromTemplate(ScreenPictureQuad& target, IDirect3DTexture9* texture, const QuadTemplate& quad)
{
    target.SetTexture(texture);
    return MakeWhiteScreenQuad(target, quad);
}

HRESULT MakeBlankScreenQuad(ScreenPictureQuad& target, const QuadTemplate& quad)
{
    return MakeScreenQuadFromTemplate(target, nullptr, quad);
}

void RefillScreenQuad(ScreenPictureQuad& target, const QuadTemplate& quad)
{
    WriteVertices(target.vertices, [&](DX_V::SCT* v, uint32_t) { FillScreenQuad(quad, v); });
}

void FillPTVertices(DX_V::PT* vertices, const QuadTemplate& quad)
{
    for (int i = 0; i < 4; ++i)
        vertices[i] = {quad.v[i].x, quad.v[i].y, quad.v[i].z, quad.v[i].u, quad.v[i].v};
}

HRESULT MakePTQuad(PTQuad& target, QuadTemplate quad)
{
    const HRESULT hr = target.MakeQuadBuffer();
    WriteVertices(target.vertices, [&](DX_V::PT* v, uint32_t) { FillPTVertices(v, quad); });
    return hr;
}
