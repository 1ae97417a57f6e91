#include "scene/lights/ObjectRenderers.h"

#include <sys/timeb.h>

#include <cmath>

#include "document/ComRef.h"
#include "document/CurrentDevice.h"
#include "scene/objects/DS_SpriteArrayObj.h"
#include "scene/render/SceneTransforms.h"

namespace {

constexpr DWORD kPointSize60 = 0x42700000; // 60.0f

// WORLD := I, VIEW := V, PROJECTION := J.
void SetCameraTransforms(IDirect3DDevice9* device)
{
    device->SetTransform(D3DTS_WORLD, &SceneTransforms.identity);
    device->SetTransform(D3DTS_VIEW, &SceneTransforms.view);
    device->SetTransform(D3DTS_PROJECTION, &SceneTransforms.projection);
}

// WORLD := frame world × picture world.
void SetObjectWorld(IDirect3DDevice9* device, const D3DXMATRIX& frameWorld)
{
    D3DXMATRIX world;
    D3DXMatrixMultiply(&world, &frameWorld, &SceneTransforms.pictureWorld);
    device->SetTransform(D3DTS_WORLD, &world);
}

template <class Mesh>
void DrawIndexed(IDirect3DDevice9* device, const Mesh& mesh)
{
    device->DrawIndexedPrimitive(mesh.primitiveType, 0, 0, mesh.vertices.count, 0, mesh.triangleCount);
}

} // namespace

void DefaultDrawSpriteArray(DS_SpriteArrayObj* s)
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device || !s)
        return;
    ComRef<IDirect3DTexture9> second = ComRef<IDirect3DTexture9>::Adopt(s->GetSecondTexture());
    const int blendMode = s->Description()->blendMode.value;

    // Transforms.
    SetCameraTransforms(device);
    SetObjectWorld(device, s->world);

    // Rasterizer and blending.
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_DESTBLEND, (second || blendMode == 0) ? D3DBLEND_INVSRCALPHA : D3DBLEND_ONE);

    // Stage 0: texture × vertex colour, texture alpha × vertex alpha.
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);

    // An array without frames has nothing to show.
    if (s->HasFrame()) {
        device->SetTexture(0, s->CurrentFrame());
        if (s->Bind()) {
            DrawIndexed(device, *s);
            if (second) {
                // The overlay in its own colour, with the first pass's alpha.
                device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
                device->SetTexture(0, second.Get());
                if (blendMode == 1)
                    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
                DrawIndexed(device, *s);
            }
        }
    }

    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
}

void DefaultDraw3DObject(DS_MeshElement* e, bool alphaOnly)
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device || !e)
        return;
    const bool blended = !alphaOnly || e->alpha;

    SetCameraTransforms(device);
    if (blended)
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);

    device->SetTexture(0, e->texture.Get());
    if (e->Bind()) {
        // A set cull flag swaps the two cull modes, for mirrored instances.
        for (DS_Frame* f : e->instances) {
            SetObjectWorld(device, f->world);
            device->SetRenderState(D3DRS_CULLMODE, f->cullCounterClockwise ? D3DCULL_CCW : D3DCULL_CW);
            DrawIndexed(device, *e);
        }
        if (blended) {
            for (DS_Frame* f : e->instances) {
                SetObjectWorld(device, f->world);
                device->SetRenderState(D3DRS_CULLMODE, f->cullCounterClockwise ? D3DCULL_CW : D3DCULL_CCW);
                DrawIndexed(device, *e);
            }
        }
    }

    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

void DefaultDraw3DArray(DS_MeshElement* m)
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device || !m)
        return;

    SetCameraTransforms(device);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);

    device->SetTexture(0, m->texture.Get());
    if (m->Bind()) {
        // Both faces of every leaf.
        for (DS_Frame* c : m->children) {
            SetObjectWorld(device, c->world);
            device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
            DrawIndexed(device, *m);
            device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
            DrawIndexed(device, *m);
        }
    }

    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

int SelectionPulseAlpha(int selectionState, bool flag, float t)
{
    if (selectionState == 0) {
        const float s = std::sin(5.0f * t);
        return static_cast<int>(207.0f * s * s + 48.0f) / 3 + 80;
    }
    if (flag)
        return 255;
    const float s = std::sin(2.5f * t);
    return static_cast<int>(207.0f * s * s + 48.0f);
}

void DefaultDrawSelection(OutlineQuad* q, int selectionState, const ComRef<IDirect3DTexture9>* handles, bool flag)
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device || !q)
        return;

    SetObjectWorld(device, q->world);
    if (selectionState == 0) {
        DrawOutlineQuad(*q);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    }

    // The outline's corners as point sources.
    device->SetVertexShader(nullptr);
    device->SetFVF(DX_V::PC::FVF);
    device->SetStreamSource(0, q->vertices.buffer.Get(), 0, DX_V::PC::Stride);

    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_POINTSCALEENABLE, FALSE);
    device->SetRenderState(D3DRS_POINTSIZE, kPointSize60);

    __timeb64 now{};
    _ftime64_s(&now);
    const float t = static_cast<float>(now.time % 1000) + static_cast<float>(now.millitm / 1000.0);
    const DWORD a = static_cast<DWORD>(SelectionPulseAlpha(selectionState, flag, t)) & 0xFFu;
    device->SetRenderState(D3DRS_TEXTUREFACTOR, (a << 24) | 0x00FFFFFFu);

    if (q->vertices.buffer) {
        if (selectionState == 0) {
            device->SetTexture(0, handles ? handles[4].Get() : nullptr);
            device->DrawPrimitive(D3DPT_POINTLIST, 0, 4);
        } else {
            // Handles 0 to 3 on the top-left, top-right, bottom-right and bottom-left corners.
            const UINT corner[4] = {1, 3, 2, 0};
            for (int i = 0; i < 4; ++i) {
                device->SetTexture(0, handles ? handles[i].Get() : nullptr);
                device->DrawPrimitive(D3DPT_POINTLIST, corner[i], 1);
            }
        }
    }

    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}
