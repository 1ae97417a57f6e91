#include "scene/objects/DS_Sprite.h"

#include <cmath>

#include "document/DocResManager.h"
#include "scene/constructors/DS_BaseSpriteProp.h"
#include "scene/common/SceneMath.h"

SpriteVec3 TransformSpriteVector(const SpriteVec3& v, const D3DXMATRIX& m)
{
    const D3DXVECTOR3 in(v.x, v.y, v.z);
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &in, &m);
    return SpriteVec3{out.x, out.y, out.z};
}

void DS_Sprite::Init(DS_Sprite* sprite, const DS_BaseSpriteProp* description)
{
    sprite->extraVelocity = SpriteVec3{};
    sprite->velocityX = 0.0f;
    sprite->velocityY = 0.0f;
    sprite->swayFactor = 0.0f;

    float aspect = description->PictureAspect();
    if (description->stripOn)
        aspect *= static_cast<float>(description->StripFrames());
    sprite->textureAspect = aspect;

    sprite->axisX = SpriteVec3{1.0f, 0.0f, 0.0f};
    sprite->axisY = SpriteVec3{0.0f, 1.0f, 0.0f};
    sprite->position = SpriteVec3{100.0f, 100.0f, 0.0f};

    sprite->scale = RandRange(description->scaleMin, description->scaleMax);
    const float extent = sprite->scale * static_cast<float>(description->size.value) * 0.5f;
    ShapeHalfExtents(sprite, aspect, extent);
}

void DS_Sprite::ShapeHalfExtents(DS_Sprite* sprite, float aspect, float extent)
{
    if (aspect < 1.0f) {
        sprite->halfWidth = extent;
        sprite->halfHeight = aspect * extent;
    } else {
        sprite->halfHeight = extent;
        sprite->halfWidth = extent / aspect;
    }
}

SpriteVec3 DS_Sprite::TopLeft() const
{
    SpriteVec3 c;
    c.x = position.x - halfWidth * axisX.x - halfHeight * axisY.x;
    c.y = position.y - halfWidth * axisX.y - halfHeight * axisY.y;
    c.z = position.z - halfWidth * axisX.z - halfHeight * axisY.z;
    return c;
}

bool DS_Sprite::IsLeftOfView(const DS_ViewObjCtrl* view) const
{
    return view->LeftEdge() > position.x + std::fabs(halfWidth);
}
bool DS_Sprite::IsRightOfView(const DS_ViewObjCtrl* view) const
{
    return view->RightEdge() < position.x - std::fabs(halfWidth);
}
bool DS_Sprite::IsBelowView(const DS_ViewObjCtrl* view) const
{
    return view->BottomEdge() < position.y - std::fabs(halfHeight);
}
bool DS_Sprite::IsAboveView(const DS_ViewObjCtrl* view) const
{
    return view->TopEdge() > position.y + std::fabs(halfHeight);
}
bool DS_Sprite::CrossesViewTop(const DS_ViewObjCtrl* view) const
{
    return view->TopEdge() > position.y - halfHeight;
}
bool DS_Sprite::CrossesViewBottom(const DS_ViewObjCtrl* view) const
{
    return view->BottomEdge() < position.y + halfHeight;
}
bool DS_Sprite::CrossesViewRight(const DS_ViewObjCtrl* view) const
{
    return view->RightEdge() < position.x + halfWidth;
}
