// Device-test helpers of the scene tests: solid textures, a picture camera over object space and
// the base states a light establishes.
#pragma once

#include <d3d9.h>

#include <cstdint>

#include "document/ComRef.h"
#include "tests/support/TestPictures.h"
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
