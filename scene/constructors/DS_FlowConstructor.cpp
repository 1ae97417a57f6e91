#include "scene/constructors/DS_FlowConstructor.h"

#include <cmath>
#include <memory>

#include "scene/common/SceneMath.h"
#include "scene/objects/DS_Sprite.h"

namespace {

using DirectionControl = DS_FunLightCtrl<unsigned int, DS_FlowConstructor>;

constexpr float kSwayScale = 3.0f;
constexpr float kSwayFrequencyScale = 0.25f;

} // namespace

bool FlowWrapAxis(float& pos, float half, float lo, float hi, bool lowFirst)
{
    const float span = (hi - lo) + 2.0f * half;
    const bool pastHigh = hi < pos - std::fabs(half);
    const bool pastLow = lo > pos + std::fabs(half);
    // Both hold only for a rectangle turned inside out; the axis's own order then decides.
    if (pastHigh && !(lowFirst && pastLow))
        pos -= span;
    else if (pastLow)
        pos += span;
    else
        return false;
    return true;
}

void FlowBounceAxis(float& pos, float& extra, float v, float half, float lo, float hi, bool lowFirst)
{
    const float reflected = 2.0f * v;
    if (extra != reflected && extra != 0.0f)
        extra = 0.0f;
    const bool crossesHigh = pos + half > hi;
    const bool crossesLow = pos - half < lo;
    // Both hold when the rectangle is narrower than the sprite; the axis's own order decides.
    if (crossesHigh && !(lowFirst && crossesLow)) {
        extra -= reflected;
        pos = hi - half - 1.0f;
    } else if (crossesLow) {
        extra -= reflected;
        pos = lo + half + 1.0f;
    }
}

DS_FlowConstructor::DS_FlowConstructor() : angle(0u), mode(0)
{
    InitSwayScaling();
    BindDirection();
}

DS_FlowConstructor::DS_FlowConstructor(const DS_FlowConstructor& other)
    : DS_BaseSpriteProp(other), angle(other.angle.value), speed(other.speed), mode(other.mode.value),
      velocity(other.velocity)
{
    InitSwayScaling();
    // Through the notifying path, so that the derived values follow the copied ones.
    sway.SetValue(other.sway.value, nullptr);
    swayFrequency.SetValue(other.swayFrequency.value, nullptr);
    BindDirection();
}

DS_FlowConstructor::~DS_FlowConstructor() = default;

void DS_FlowConstructor::InitSwayScaling()
{
    sway.SetScaling(kSwayScale, 0.0f);
    swayFrequency.SetScaling(kSwayFrequencyScale, 0.0f);
}

void DS_FlowConstructor::BindDirection()
{
    directionBinder.SetOwner<DS_FlowConstructor>(this, false);
    DirectionControl::Bind(directionBinder, &DS_FlowConstructor::SetDirection, angle);
}

void DS_FlowConstructor::SetDirection(unsigned int angleDegrees)
{
    // A signed difference: angles above 360 turn the other way instead of wrapping around 2^32.
    const int32_t turn = 360 - static_cast<int32_t>(angleDegrees);
    const float radians = static_cast<float>(turn) * D3DX_PI / 180.0f;
    D3DXMatrixRotationZ(&direction, radians);
    const D3DXVECTOR4 along(speed, 0.0f, 0.0f, 0.0f);
    const D3DXVECTOR4 across(0.0f, 1.0f, 0.0f, 0.0f);
    D3DXVec4Transform(&velocity, &along, &direction);
    D3DXVec4Transform(&perpendicular, &across, &direction);
}

void DS_FlowConstructor::ShapeSprite(DS_Sprite* sprite) const
{
    const float extent = static_cast<float>(size.value) * sprite->scale * 0.5f;
    DS_Sprite::ShapeHalfExtents(sprite, sprite->textureAspect, extent);
    UpdateSpriteColour(sprite);
    if (mode.value == 1) {
        sprite->axisX = TransformSpriteVector(SpriteVec3{1.0f, 0.0f, 0.0f}, direction);
        sprite->axisY = TransformSpriteVector(SpriteVec3{0.0f, 1.0f, 0.0f}, direction);
    } else if (mode.value == 0) {
        sprite->axisX = SpriteVec3{1.0f, 0.0f, 0.0f};
        sprite->axisY = SpriteVec3{0.0f, 1.0f, 0.0f};
    }
}

void DS_FlowConstructor::InitSprite(DS_Sprite* sprite)
{
    sprite->swayFactor = 2.0f * RandUnit() - 1.0f;
    const ScenePoint p = RandomPoint();
    sprite->position = SpriteVec3{p.x, p.y, 0.0f};
    sprite->extraVelocity = SpriteVec3{};
    sprite->velocityX = 0.0f;
    sprite->velocityY = 0.0f;
    ShapeSprite(sprite);
}

void DS_FlowConstructor::UpdateSprite(DS_Sprite* sprite)
{
    // This frame's velocity: the flow, the sprite's own sway across it, its bounce correction.
    const float swayX = perpendicular.x * sprite->swayFactor;
    const float swayY = perpendicular.y * sprite->swayFactor;
    const float baseX = swayX * sway.scaled + velocity.x;
    const float baseY = swayY * sway.scaled + velocity.y;
    const float vx = baseX * sprite->scale + sprite->extraVelocity.x;
    const float vy = baseY * sprite->scale + sprite->extraVelocity.y;

    sprite->position.x += frameStep * vx;
    sprite->position.y += frameStep * vy;

    if (topFraction <= 0.0f && bottomFraction >= 1.0f) {
        if (FlowWrapAxis(sprite->position.y, sprite->halfHeight, TopEdge(), BottomEdge(), false))
            sprite->position.x = RandRange(LeftEdge(), RightEdge());
    } else {
        FlowBounceAxis(sprite->position.y, sprite->extraVelocity.y, vy, sprite->halfHeight, TopEdge(), BottomEdge(),
                       false);
    }
    if (leftFraction <= 0.0f && rightFraction >= 1.0f) {
        if (FlowWrapAxis(sprite->position.x, sprite->halfWidth, LeftEdge(), RightEdge(), true))
            sprite->position.y = RandRange(TopEdge(), BottomEdge());
    } else {
        FlowBounceAxis(sprite->position.x, sprite->extraVelocity.x, vx, sprite->halfWidth, LeftEdge(), RightEdge(),
                       true);
    }

    if (mode.value == 2) {
        sprite->axisX = SpriteVec3{std::copysign(1.0f, vx), 0.0f, 0.0f};
        sprite->axisY = SpriteVec3{0.0f, 1.0f, 0.0f};
    } else if (mode.value == 3) {
        sprite->axisX = SpriteVec3{1.0f, 0.0f, 0.0f};
        sprite->axisY = SpriteVec3{0.0f, std::copysign(1.0f, vy), 0.0f};
    }

    // A frequency of 0 makes the interval infinite: the sway factor then never changes.
    const float interval = 1.0f / swayFrequency.scaled;
    if (interval < objectTime - sprite->lastEventTime) {
        sprite->lastEventTime = objectTime;
        if (CoinToss())
            sprite->swayFactor = 2.0f * RandUnit() - 1.0f;
    }
}

bool DS_FlowConstructor::Write(DS_IOF_Virtual* archive)
{
    WriteRecord(archive);
    return true;
}

void DS_FlowConstructor::WriteRecord(DS_IOF_Virtual* archive)
{
    WriteRecordHeader(archive, kClassName, kVersion);
    WriteParamValue(*archive, angle);
    WriteParamValue(*archive, static_cast<const MediaParamT<unsigned int>&>(sway));
    WriteParamValue(*archive, static_cast<const MediaParamT<unsigned int>&>(swayFrequency));
    archive->WriteFloat(&speed);
    WriteParamValue(*archive, mode);
    DS_BaseSpriteProp::WriteRecord(archive);
}

void DS_FlowConstructor::ReadFields(DS_IOF_Virtual* archive, uint32_t version)
{
    ReadParamValue(*archive, angle);
    ReadParamValue(*archive, sway);
    ReadParamValue(*archive, swayFrequency);
    archive->ReadFloat(&speed);
    if (version >= 3) {
        ReadParamValue(*archive, mode);
    } else if (version == 2) {
        int32_t flag = 0;
        archive->ReadInt(&flag);
        mode.value = flag != 0 ? 1 : 0;
    }
    ReadWithHeader(archive);
}

DS_FlowConstructor* DS_FlowConstructor::CreateFromStream(DS_IOF_Virtual* archive, uint32_t version)
{
    auto flow = std::make_unique<DS_FlowConstructor>();
    flow->ReadFields(archive, version);
    return flow.release();
}
