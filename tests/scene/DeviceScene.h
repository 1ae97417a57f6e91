// Device-test helpers of the scene tests: solid textures, a one-quad mesh element, a picture
// camera over object space and the base states a light establishes.
#pragma once

#include <d3d9.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "document/ComRef.h"
#include "tests/support/TestPictures.h"
#include "scene/render/Meshes.h"
#include "scene/render/QuadTemplate.h"
#include "scene/render/SceneTransforms.h"

// A managed 4 × 4 A8R8G8B8 texture of one colour 0xAARRGGBB.
inline ComRef<IDirect3DTexture9> MakeSolidTexture(IDirect3DDevice9* device, uint32_t argb)
{
    return SolidTexture(device, 4, 4, argb);
}

// Object space of pictureWidth × pictureHeight fitted onto the back buffer, as a light lays it out.
inline void SetupObjectSpaceCamera(uint32_t pictureWidth, uint32_t pictureHeight, uint32_t backWidth,
                                   uint32_t backHeight)
{
    QuadTemplate q;
    FitQuadLetterbox(q, pictureWidth, pictureHeight, static_cast<int32_t>(backWidth), static_cast<int32_t>(backHeight));
    ScaleQuadToBackBuffer(q, static_cast<int32_t>(backWidth), static_cast<int32_t>(backHeight));
    SetupPictureCamera(SceneTransforms, static_cast<float>(backWidth), static_cast<float>(backHeight), q, pictureWidth,
                       pictureHeight, false);
}

// What a light sets up before its renderers run: no Z, no lighting, SRCALPHA / INVSRCALPHA,
// point sampling.
inline void SetLightBaseStates(IDirect3DDevice9* device)
{
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
}

inline DWORD RenderState(IDirect3DDevice9* device, D3DRENDERSTATETYPE state)
{
    DWORD v = 0xDEADBEEF;
    device->GetRenderState(state, &v);
    return v;
}

inline DWORD StageState(IDirect3DDevice9* device, D3DTEXTURESTAGESTATETYPE state)
{
    DWORD v = 0xDEADBEEF;
    device->GetTextureStageState(0, state, &v);
    return v;
}

// A mesh element holding one quad at picture pixels (8, 8)–(24, 24), wound clockwise on the
// screen (y runs down), or counter-clockwise when `reversed`.
inline void MakeQuadElement(IDirect3DDevice9* device, DS_MeshElement& e, bool reversed)
{
    ASSERT_EQ(D3D_OK, MakeVertexBuffer(4, e.vertices, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED));
    WriteVertices(e.vertices, [](DX_V::PNT* v, uint32_t) {
        const float p[4][2] = {{8, 8}, {24, 8}, {8, 24}, {24, 24}};
        for (int i = 0; i < 4; ++i)
            v[i] = {p[i][0], p[i][1], 0.0f, 0.0f, 0.0f, -1.0f, 0.5f, 0.5f};
    });
    ASSERT_EQ(D3D_OK, device->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                                e.indexBuffer.Out(), nullptr));
    const uint16_t clockwise[6] = {0, 1, 2, 2, 1, 3};
    const uint16_t anticlockwise[6] = {0, 2, 1, 2, 3, 1};
    void* bits = nullptr;
    ASSERT_EQ(D3D_OK, e.indexBuffer->Lock(0, 0, &bits, 0));
    memcpy(bits, reversed ? anticlockwise : clockwise, sizeof clockwise);
    e.indexBuffer->Unlock();
    e.primitiveType = D3DPT_TRIANGLELIST;
    e.triangleCount = 2;
}
