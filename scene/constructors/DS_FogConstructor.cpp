#include "scene/constructors/DS_FogConstructor.h"

#include <d3dx9math.h>

#include <cmath>
#include <memory>

#include "scene/constructors/SpriteMotion.h"
#include "scene/common/SceneMath.h"
#include "scene/objects/DS_Sprite.h"

namespace {

// The axis turned by the sprite's spin matrix.
SpriteVec3 Turned(const SpriteVec3& axis, const D3DXMATRIX& spin)
{
    const D3DXVECTOR3 in(axis.x, axis.y, axis.z);
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &in, &spin);
    return SpriteVec3{out.x, out.y, out.z};
}

} // namespace

DS_FogConstructor::DS_FogConstructor()
{
    alphaMin = 0.2f;
    alphaMax = 1.0f;
    transparency.SetValue(50u, nullptr); // tells the scaler, so the opacity is 127
}

bool DS_FogConstructor::Write(DS_IOF_Virtual* archive)
{
    WriteRecordHeader(archive, kClassName, kVersion);
    archive->WriteFloat(&maxSpeedX);
    archive->WriteFloat(&maxSpeedY);
    WriteRecord(archive);
    return true;
}

DS_FogConstructor* DS_FogConstructor::CreateFromStream(DS_IOF_Virtual* archive, uint32_t)
{
    auto fog = std::make_unique<DS_FogConstructor>();
    archive->ReadFloat(&fog->maxSpeedX);
    archive->ReadFloat(&fog->maxSpeedY);
    fog->ReadWithHeader(archive);
    return fog.release();
}

void DS_FogConstructor::InitSprite(DS_Sprite* sprite)
{
    const ScenePoint at = RandomPoint();
    sprite->position = SpriteVec3{at.x, at.y, 0.0f};
    sprite->velocityX = RandRange(-maxSpeedX, maxSpeedX);
    sprite->velocityY = RandRange(-maxSpeedY, maxSpeedY);
    sprite->alpha = RandRange(0.0f, 1.0f);
    // At most 0.004 rad either way, once per frame.
    D3DXMatrixRotationZ(&sprite->spin, RandUnit() * 0.008f - 0.004f);
}

void DS_FogConstructor::UpdateSprite(DS_Sprite* sprite)
{
    DriftSprite(sprite, frameStep);
    PulseSpriteAlpha(sprite, frameStep, alphaMin, alphaMax);

    // The centre point bounces, not the patch's border; four tests, each on its own.
    const float x = sprite->position.x;
    const float y = sprite->position.y;
    if (BottomEdge() < y)
        sprite->velocityY = -std::fabs(sprite->velocityY);
    if (TopEdge() > y)
        sprite->velocityY = std::fabs(sprite->velocityY);
    if (LeftEdge() > x)
        sprite->velocityX = std::fabs(sprite->velocityX);
    if (RightEdge() < x)
        sprite->velocityX = -std::fabs(sprite->velocityX);

    sprite->axisX = Turned(sprite->axisX, sprite->spin);
    sprite->axisY = Turned(sprite->axisY, sprite->spin);
    UpdateSpriteColour(sprite);
}
