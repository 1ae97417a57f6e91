// The object renderers that almost every light uses, and DS_ABRenderImpl<T>, through which a
// light offers them.
//
// All of them draw in picture pixels: an object's world matrix places it there and the picture
// world matrix of SceneTransforms maps it onto the back buffer.
//
// Render states: each renderer sets the transforms, the blending state and the stage-0
// operations it needs, and relies only on the states its light established (Z test, lighting,
// sampling, the blend factors SRCALPHA / INVSRCALPHA). Each ends with alpha blending off and
// CULLMODE NONE. The sprite renderer also puts DESTBLEND back to INVSRCALPHA and stage 0
// COLOROP to MODULATE. Left changed: WORLD, the stage-0 texture, stage 0 ALPHAOP (MODULATE
// after sprites, SELECTARG1 after leaves) and COLOROP (SELECTARG1 after leaves).
#pragma once

#include <d3d9.h>

#include "document/ComRef.h"
#include "scene/objects/DS_ABRender.h"

class DS_SpriteArrayObj;

// Every sprite of `sprites` in one indexed draw, and again with the second texture when there
// is one. Blend mode 0, or a second texture, blends with INVSRCALPHA; otherwise additively. An
// array without texture frames, or without buffers, draws nothing but leaves the same states.
void DefaultDrawSpriteArray(DS_SpriteArrayObj* sprites);

// The element's mesh once per instance frame with its cull mode, then again with the opposite
// cull mode, blended. With `alphaOnly` (the picture lights' form) blending is switched on and
// the second pass drawn only for an element with the alpha flag.
void DefaultDraw3DObject(DS_MeshElement* element, bool alphaOnly = false);

// The leaves mesh once per child frame, both faces, texture colour and alpha as they are.
void DefaultDraw3DArray(DS_MeshElement* leaves);

// The selection outline (state 0) and the corner handles, as 60-pixel point sprites whose
// alpha pulses with the wall clock. handles[0..4], the light's own counted handle pictures (or
// null): the four corner handles, then the outline's.
void DefaultDrawSelection(OutlineQuad* quad, int selectionState, const ComRef<IDirect3DTexture9>* handles,
                          bool flag);

// The handles' alpha at pulse time t seconds.
int SelectionPulseAlpha(int selectionState, bool flag, float t);

// A renderer over the default routines for the light implementation T that owns it. T holds its
// selection-handle pictures as `ComRef<IDirect3DTexture9> handleTextures[5]`. The light owns its
// renderer through one owning pointer, made in its constructor with itself as the owner:
//
//     std::unique_ptr<DS_ABRender> renderer;
//     renderer = std::make_unique<DS_ABRenderImpl<MyLight>>(this);
//
// Variants. A light that draws some kind of object its own way names its renderer, derives it
// from DS_ABRenderImpl<T> and overrides only the operations that differ, in the light's own pair
// of files; the rest stay the defaults:
//
//     class DS_LakeRender : public DS_ABRenderImpl<FakeLake2D> {
//     public:
//         using DS_ABRenderImpl<FakeLake2D>::DS_ABRenderImpl;
//         void Draw3DArray(DS_MeshElement* leaves) override; // the default, then its own epilogue
//     };
//
// Do not write explicit specialisations of DS_ABRenderImpl<T> members: one that is not declared
// before the class is first used is silently passed over there, and the light draws with the
// default instead.
template <class T>
class DS_ABRenderImpl : public DS_ABRender {
public:
    explicit DS_ABRenderImpl(T* owner) : owner(owner) {}

    void DrawSelection(OutlineQuad* quad, int selectionState, bool flag) override
    {
        DefaultDrawSelection(quad, selectionState, owner ? owner->handleTextures : nullptr, flag);
    }
    void Draw3DObject(DS_MeshElement* element) override { DefaultDraw3DObject(element); }
    void DrawSpriteArray(DS_SpriteArrayObj* sprites) override { DefaultDrawSpriteArray(sprites); }
    void Draw3DArray(DS_MeshElement* leaves) override { DefaultDraw3DArray(leaves); }

    T* owner; // not owned
};
