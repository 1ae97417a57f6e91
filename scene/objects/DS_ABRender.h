// DS_ABRender: how a light draws each kind of runtime object. Objects call it back by kind
// (DS_ABObj::Render), so a light can change how every kind is drawn.
#pragma once

#include "scene/render/Meshes.h"
#include "scene/render/ScreenQuad.h"

class DS_SpriteArrayObj;

class DS_ABRender {
public:
    virtual ~DS_ABRender() = default;

    // Corner handles and outline of a selected object (nothing in the program selects).
    virtual void DrawSelection(OutlineQuad* quad, int selectionState, bool flag) = 0;
    // One shared textured mesh, drawn once per instance frame.
    virtual void Draw3DObject(DS_MeshElement* element) = 0;
    // All sprites of a sprite array in one indexed draw per texture pass.
    virtual void DrawSpriteArray(DS_SpriteArrayObj* sprites) = 0;
    // The falling-leaves mesh: a textured mesh drawn once per child frame (its instance list
    // is not used).
    virtual void Draw3DArray(DS_MeshElement* leaves) = 0;
};
