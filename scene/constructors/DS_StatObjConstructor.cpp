#include "scene/constructors/DS_StatObjConstructor.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "scene/common/SceneMath.h"
#include "scene/objects/DS_Sprite.h"
#include "scene/objects/DS_SpriteArrayObj.h"
#include "scene/render/QuadTemplate.h"
#include "scene/render/ViewMetrics.h"

SpriteBounds PlacedSpriteBounds(const DS_Sprite& s)
{
    // Each term in a float of its own: a term of about 1e-6 must vanish as it does in single
    // precision.
    const float xAlongX = std::fabs(s.axisX.x * s.halfWidth);
    const float xAlongY = std::fabs(s.axisY.x * s.halfHeight);
    const float yAlongY = std::fabs(s.axisY.y * s.halfHeight);
    const float yAlongX = std::fabs(s.axisX.y * s.halfWidth);
    const float left = s.position.x - xAlongX - xAlongY;
    const float right = s.position.x + xAlongX + xAlongY;
    const float top = s.position.y - yAlongY - yAlongX;
    const float bottom = s.position.y + yAlongY + yAlongX;
    return SpriteBounds{TruncToInt32(left), TruncToInt32(right), TruncToInt32(top), TruncToInt32(bottom)};
}

void StaticRotationMatrix(D3DXMATRIX& out, unsigned int degrees)
{
    // Signed, so that a rotation stored as a negative number turns the other way instead of by
    // some four billion degrees.
    const float radians = static_cast<float>(static_cast<int32_t>(degrees)) * -D3DX_PI / 180.0f;
    D3DXMatrixRotationZ(&out, radians);
}

DS_StatObjConstructor::DS_StatObjConstructor() : rotation(0u), verticalFlip(0), horizontalFlip(0)
{
    bounds.extra1.value = ViewMetrics.Width / 2;
    bounds.extra2.value = ViewMetrics.Height / 2;
}

DS_StatObjConstructor::~DS_StatObjConstructor() = default;

DS_ABObj* DS_StatObjConstructor::CreateObject()
{
    DS_ABObj* object = DS_BaseSpriteProp::CreateObject();
    if (auto* sprites = dynamic_cast<DS_SpriteArrayObj*>(object))
        sprites->selectionState = 1;
    return object;
}

float* DS_StatObjConstructor::GetViewQuad(float out[20])
{
    QuadTemplate quad;
    SetQuadCorners(quad, static_cast<float>(bounds.left.value), static_cast<float>(bounds.top.value),
                   static_cast<float>(bounds.right.value), static_cast<float>(bounds.bottom.value));
    std::memcpy(out, &quad, sizeof quad);
    return out;
}

bool DS_StatObjConstructor::HitTest(float x, float y)
{
    return bounds.Contains(x, y);
}

void DS_StatObjConstructor::InitSprite(DS_Sprite* sprite)
{
    sprite->position.x = static_cast<float>(bounds.extra1.value);
    sprite->position.y = static_cast<float>(bounds.extra2.value);
    const float extent = static_cast<float>(size.value) * sprite->scale * 0.5f;
    DS_Sprite::ShapeHalfExtents(sprite, sprite->textureAspect, extent);
    UpdateSpriteColour(sprite);
    if (horizontalFlip.value != 0)
        sprite->halfWidth = -sprite->halfWidth;
    if (verticalFlip.value != 0)
        sprite->halfHeight = -sprite->halfHeight;
    StaticRotationMatrix(rotationMatrix, rotation.value);
    sprite->axisX = TransformSpriteVector(SpriteVec3{1.0f, 0.0f, 0.0f}, rotationMatrix);
    sprite->axisY = TransformSpriteVector(SpriteVec3{0.0f, 1.0f, 0.0f}, rotationMatrix);
    UpdateBounds(sprite);
}

void DS_StatObjConstructor::UpdateBounds(const DS_Sprite* sprite)
{
    const SpriteBounds b = PlacedSpriteBounds(*sprite);
    bounds.left.value = b.left;
    bounds.right.value = b.right;
    bounds.top.value = b.top;
    bounds.bottom.value = b.bottom;
}

bool DS_StatObjConstructor::Write(DS_IOF_Virtual* archive)
{
    WriteRecord(archive);
    return true;
}

void DS_StatObjConstructor::WriteRecord(DS_IOF_Virtual* archive)
{
    WriteRecordHeader(archive, kClassName, kVersion);
    bounds.Write(*archive);
    WriteParamValue(*archive, rotation);
    WriteParamValue(*archive, verticalFlip);
    WriteParamValue(*archive, horizontalFlip);
    DS_BaseSpriteProp::WriteRecord(archive);
}

void DS_StatObjConstructor::ReadFields(DS_IOF_Virtual* archive)
{
    bounds.Read(*archive);
    ReadParamValue(*archive, rotation);
    ReadParamValue(*archive, verticalFlip);
    ReadParamValue(*archive, horizontalFlip);
    ReadWithHeader(archive);
}

DS_StatObjConstructor* DS_StatObjConstructor::CreateFromStream(DS_IOF_Virtual* archive, uint32_t)
{
    auto picture = std::make_unique<DS_StatObjConstructor>();
    picture->ReadFields(archive);
    return picture.release();
}
