#include "scene/render/ScreenQuad.h"

#include <algorithm>
#include <cstring>

#include "document/CurrentDevice.h"

uint8_t AlphaByte(float value)
{
    if (!(value > 0.0f)) // also catches NaN
        return 0;
    if (value >= 1.0f)
        return 255;
    return static_cast<uint8_t>(value * 255.0f);
}

namespace {

D3DCOLOR WithAlpha(D3DCOLOR colour, uint8_t alpha)
{
    return (colour & 0x00FFFFFFu) | (static_cast<D3DCOLOR>(alpha) << 24);
}

} // namespace

DS_ScreenQuad::DS_ScreenQuad() : corners_{}
{
}

HRESULT DS_ScreenQuad::Create(D3DCOLOR colour, const QuadTemplate& quad)
{
    const HRESULT hr = MakeQuadBuffer();
    for (int i = 0; i < 4; ++i)
        corners_[i] = {quad.v[i].x, quad.v[i].y, 0.0f, quad.v[i].z, colour};
    Upload();
    return hr;
}

void DS_ScreenQuad::SetRGB(D3DCOLOR rgb)
{
    DX_V::SC next[4];
    std::copy(corners_, corners_ + 4, next);
    for (DX_V::SC& corner : next)
        corner.colour = (corner.colour & 0xFF000000u) | (rgb & 0x00FFFFFFu);
    UploadIfChanged(next);
}

void DS_ScreenQuad::SetVertexAlphas(float bottomLeft, float bottomRight, float topLeft, float topRight)
{
    DX_V::SC next[4];
    std::copy(corners_, corners_ + 4, next);
    next[QuadTemplate::BottomLeft].colour = WithAlpha(next[QuadTemplate::BottomLeft].colour, AlphaByte(bottomLeft));
    next[QuadTemplate::TopLeft].colour = WithAlpha(next[QuadTemplate::TopLeft].colour, AlphaByte(topLeft));
    next[QuadTemplate::BottomRight].colour = WithAlpha(next[QuadTemplate::BottomRight].colour, AlphaByte(bottomRight));
    next[QuadTemplate::TopRight].colour = WithAlpha(next[QuadTemplate::TopRight].colour, AlphaByte(topRight));
    UploadIfChanged(next);
}

void DS_ScreenQuad::SetRect(const ScreenRect& rect)
{
    QuadTemplate quad;
    SetQuadCorners(quad, rect.x0, rect.y0, rect.x1, rect.y1);
    DX_V::SC next[4];
    std::copy(corners_, corners_ + 4, next);
    for (int i = 0; i < 4; ++i) {
        next[i].x = quad.v[i].x;
        next[i].y = quad.v[i].y;
        next[i].z = 0.0f;
        next[i].rhw = 1.0f;
    }
    UploadIfChanged(next);
}

void DS_ScreenQuad::UploadIfChanged(const DX_V::SC (&next)[4])
{
    // Compared bit for bit, so that a NaN corner does not count as changed every time.
    if (std::memcmp(next, corners_, sizeof corners_) == 0)
        return;
    std::copy(next, next + 4, corners_);
    Upload();
}

void DS_ScreenQuad::Upload()
{
    WriteVertices(vertices, [this](DX_V::SC* v, uint32_t count) {
        for (uint32_t i = 0; i < count && i < 4; ++i)
            v[i] = corners_[i];
    });
}

namespace {

// Blending on, stage 0 colour and alpha from the vertices, one draw, then back to the texture
// and blending off, or left on. A null mesh or one without geometry skips only the draw: the
// states afterwards are the same either way.
template <class V>
void DrawBlendedVertexColours(const DS_SimpleMesh<V>* mesh, BlendAfterDraw after)
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);

    if (mesh && mesh->HasGeometry()) {
        device->SetVertexShader(nullptr);
        device->SetFVF(V::FVF);
        device->SetStreamSource(0, mesh->vertices.buffer.Get(), 0, V::Stride);
        device->DrawPrimitive(mesh->primitiveType, 0, mesh->primitiveCount);
    }

    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    if (after == BlendAfterDraw::Off)
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

} // namespace

void DrawScreenQuad(const DS_ScreenQuad& quad)
{
    DrawBlendedVertexColours(&quad, BlendAfterDraw::Off);
}

void DrawScreenQuad(const DS_ScreenQuad* quad, BlendAfterDraw after)
{
    DrawBlendedVertexColours(quad, after);
}

void FillOutlineVertices(DX_V::PC* vertices, const QuadTemplate& quad)
{
    for (int i = 0; i < 4; ++i)
        vertices[i] = {quad.v[i].x, quad.v[i].y, 0.0f, 0x88000000u};
}

HRESULT MakeOutlineQuad(OutlineQuad& outline, const QuadTemplate& quad)
{
    const HRESULT hr = outline.MakeQuadBuffer();
    WriteVertices(outline.vertices, [&](DX_V::PC* v, uint32_t) { FillOutlineVertices(v, quad); });
    return hr;
}

void DrawOutlineQuad(const OutlineQuad& outline)
{
    DrawBlendedVertexColours(&outline, BlendAfterDraw::Off);
}
