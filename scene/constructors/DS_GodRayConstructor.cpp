#include "scene/constructors/DS_GodRayConstructor.h"

#include <cmath>
#include <memory>

#include "scene/constructors/SpriteMotion.h"
#include "scene/common/ObjectSpace.h"
#include "scene/common/SceneMath.h"
#include "scene/objects/DS_Sprite.h"

float GodRayShear(unsigned int angle)
{
    // Beyond 359 the unsigned difference below would wrap, and 360 would divide by tan 0.
    const uint32_t a = angle % 360u;
    const uint32_t twice = a < 180u ? 2u * (180u - a) : 2u * (360u - a);
    const float phi = static_cast<float>(twice) * 3.1415927f / 360.0f;
    return 1.0f / std::tan(phi);
}

DS_GodRayConstructor::DS_GodRayConstructor() : rayAngle(80u) {}

DS_GodRayConstructor::~DS_GodRayConstructor() = default;

bool DS_GodRayConstructor::Write(DS_IOF_Virtual* archive)
{
    WriteRecordHeader(archive, kClassName, kVersion);
    WriteParamValue(*archive, rayAngle);
    WriteRecord(archive);
    return true;
}

DS_GodRayConstructor* DS_GodRayConstructor::CreateFromStream(DS_IOF_Virtual* archive, uint32_t)
{
    auto ray = std::make_unique<DS_GodRayConstructor>();
    ReadParamValue(*archive, ray->rayAngle);
    ray->ReadWithHeader(archive);
    return ray.release();
}

void DS_GodRayConstructor::ShapeRay(DS_Sprite* sprite) const
{
    sprite->halfWidth = static_cast<float>(size.value) * 0.5f;
    sprite->halfHeight = ObjectSpaceHeight() * 0.5f; // as tall as the picture
    sprite->axisY = SpriteVec3{GodRayShear(rayAngle.value), 1.0f, 0.0f};
}

void DS_GodRayConstructor::InitSprite(DS_Sprite* sprite)
{
    const float x = RandRange(LeftEdge(), RightEdge());
    sprite->velocityX = RandUnit() * 20.0f - 10.0f;
    sprite->extraVelocity = SpriteVec3{};
    sprite->velocityY = 0.0f;
    sprite->swayFactor = 0.0f;
    // Half the rectangle's height from 0: the middle only when the rectangle starts at the top.
    sprite->position = SpriteVec3{x, (BottomEdge() - TopEdge()) * 0.5f, 0.0f};
    ShapeRay(sprite);
    sprite->alpha = RandRange(0.0f, 1.0f);
}

void DS_GodRayConstructor::UpdateSprite(DS_Sprite* sprite)
{
    if (objectTime - sprite->lastEventTime > 0.25f) {
        sprite->lastEventTime = objectTime;
        if (CoinToss()) {
            sprite->velocityX = RandUnit() * 20.0f - 10.0f;
            sprite->velocityY = 0.0f;
            sprite->swayFactor = 0.0f;
        }
    }
    DriftSprite(sprite, frameStep);
    PulseOrRespawn(*this, sprite);
    UpdateSpriteColour(sprite);
}
