#include "scene/render/LakeGround.h"

#include <algorithm>

#include "document/ResourceCache.h"

void FillInitialLakeGround(DX_V::PTT* vertices)
{
    static const DX_V::PTT initial[kLakeGroundVertices] = {
        {-1000.0f, -500.0f, 10.0f, 0.0f, 0.7f, 0.0f, 0.0f},
        {-1000.0f, 0.0f, 1000.0f, 0.0f, 0.0f, 0.0f, 0.7f},
        {1000.0f, 0.0f, 1000.0f, 1.0f, 0.0f, 1.0f, 0.7f},
        {-1000.0f, -500.0f, 10.0f, 0.0f, 0.7f, 0.0f, 0.0f},
        {1000.0f, 0.0f, 1000.0f, 1.0f, 0.0f, 1.0f, 0.7f},
        {1000.0f, -500.0f, 10.0f, 1.0f, 0.7f, 1.0f, 0.0f},
    };
    for (uint32_t i = 0; i < kLakeGroundVertices; ++i)
        vertices[i] = initial[i];
}

void FitLakeGroundVertices(DX_V::PTT* vertices, const QuadTemplate& quad)
{
    static const int order[kLakeGroundVertices] = {QuadTemplate::TopLeft,     QuadTemplate::BottomLeft,
                                                   QuadTemplate::BottomRight, QuadTemplate::TopLeft,
                                                   QuadTemplate::BottomRight, QuadTemplate::TopRight};
    for (uint32_t i = 0; i < kLakeGroundVertices; ++i) {
        const QuadVertex& corner = quad.v[order[i]];
        vertices[i].x = corner.x;
        vertices[i].y = corner.y;
        vertices[i].z = 0.0f;
        vertices[i].u1 = corner.u;
        vertices[i].v1 = corner.v;
    }
}

void SetLakeGroundTexRangeVertices(DX_V::PTT* vertices, float s)
{
    const float lo = 0.01f;
    const float uv[kLakeGroundVertices][2] = {{lo, lo}, {lo, s}, {s, s}, {lo, lo}, {s, s}, {s, lo}};
    for (uint32_t i = 0; i < kLakeGroundVertices; ++i) {
        vertices[i].u0 = uv[i][0];
        vertices[i].v0 = uv[i][1];
    }
}

HRESULT MakeLakeGround(LakeGround& ground)
{
    const HRESULT hr = MakeVertexBuffer(kLakeGroundVertices, ground.vertices, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
    ground.primitiveType = D3DPT_TRIANGLELIST;
    ground.primitiveCount = 2;
    WriteVertices(ground.vertices, [](DX_V::PTT* v, uint32_t) { FillInitialLakeGround(v); });
    return hr;
}

void FitLakeGround(LakeGround& ground, const QuadTemplate& quad)
{
    if (ground.vertices.count < kLakeGroundVertices)
        return;
    WriteVertices(ground.vertices, [&](DX_V::PTT* v, uint32_t) { FitLakeGroundVertices(v, quad); });
}

void SetLakeGroundTexRange(LakeGround& ground, float s)
{
    if (ground.vertices.count < kLakeGroundVertices)
        return;
    WriteVertices(ground.vertices, [&](DX_V::PTT* v, uint32_t) { SetLakeGroundTexRangeVertices(v, s); });
}

HRESULT LoadLakeBumpTexture(ComRef<IDirect3DTexture9>& target, int32_t id)
{
    IDirect3DTexture9* bump = nullptr;
    const HRESULT hr = LoadBumpTextureFromExeResource(id, &bump);
    target = ComRef<IDirect3DTexture9>::Adopt(bump);
    return hr;
}

uint32_t SquareTextureSide(int32_t shift, uint32_t maxSide)
{
    // Worked out in 64 bits and checked before the shift, which would be undefined beyond 31.
    if (shift < 0 || shift > 24)
        return 0;
    const uint64_t side = uint64_t{128} << shift;
    return side <= maxSide ? static_cast<uint32_t>(side) : 0;
}

void ResampleToSquareTexture(int32_t shift, ComRef<IDirect3DTexture9>& target, IDirect3DTexture9* source)
{
    target.Reset();
    if (!CurrentDevice)
        return;
    D3DCAPS9 caps = {};
    if (FAILED(CurrentDevice->GetDeviceCaps(&caps)))
        return;
    const uint32_t side = SquareTextureSide(shift, std::min(caps.MaxTextureWidth, caps.MaxTextureHeight));
    if (side == 0)
        return;
    target = CopyToNewTexture(side, side, source, D3DFMT_UNKNOWN);
}
