// DS_Sprite: one sprite of a sprite array, plain data moved by its description's kind.
//
// Its quad is centred on position, spans 2 × halfWidth along axisX and 2 × halfHeight along
// axisY; a negative half width mirrors the picture. Object space has x to the right and y
// downwards, so axisY = (0, 1, 0) points down the screen.
#pragma once

#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>

class DS_BaseSpriteProp;
class DS_ViewObjCtrl;

struct SpriteVec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// v transformed as a point by m (D3DXVec3TransformCoord): how the kinds turn a sprite's axes.
SpriteVec3 TransformSpriteVector(const SpriteVec3& v, const D3DXMATRIX& m);

struct DS_Sprite {
    SpriteVec3 extraVelocity;
    float velocityX = 0.0f;
    float velocityY = 0.0f;
    float swayFactor = 0.0f;
    SpriteVec3 position;
    float scale = 1.0f;
    D3DXMATRIX spin{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; // a per-frame turn of the axes (fog)
    float halfWidth = 0.0f;
    float halfHeight = 0.0f;
    float textureAspect = 1.0f; // height / width of one texture frame
    SpriteVec3 axisX{1.0f, 0.0f, 0.0f};
    SpriteVec3 axisY{0.0f, 1.0f, 0.0f};
    float alpha = 1.0f;
    float lastEventTime = 0.0f;
    D3DCOLOR colour = 0xFFFFFFFF;
    float alphaRate = 0.0f;

    // The start of every new sprite: cleared motion, default axes, position (100, 100), a random
    // scale between the description's bounds and the half extents that give its longer side
    // scale × size pixels at the picture's aspect.
    static void Init(DS_Sprite* sprite, const DS_BaseSpriteProp* description);
    // The half extents for a texture aspect (height / width) and a longer side of `extent` × 2.
    static void ShapeHalfExtents(DS_Sprite* sprite, float aspect, float extent);

    // position − halfWidth × axisX − halfHeight × axisY.
    SpriteVec3 TopLeft() const;

    // Edge tests against the description's view rectangle (strict, single precision).
    bool IsLeftOfView(const DS_ViewObjCtrl* view) const;
    bool IsRightOfView(const DS_ViewObjCtrl* view) const;
    bool IsBelowView(const DS_ViewObjCtrl* view) const;
    bool IsAboveView(const DS_ViewObjCtrl* view) const;
    bool CrossesViewTop(const DS_ViewObjCtrl* view) const;
    bool CrossesViewBottom(const DS_ViewObjCtrl* view) const;
    bool CrossesViewRight(const DS_ViewObjCtrl* view) const;
};
