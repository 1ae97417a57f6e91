#include "scene/constructors/DS_FishConstructor.h"

#include <cmath>
#include <memory>

#include "scene/common/SceneMath.h"
#include "scene/constructors/SpriteMotion.h"
#include "scene/objects/DS_Sprite.h"

DS_FishConstructor::DS_FishConstructor() = default;

bool DS_FishConstructor::Write(DS_IOF_Virtual* archive)
{
    WriteFishRecord(archive);
    return true;
}

void DS_FishConstructor::WriteFishRecord(DS_IOF_Virtual* archive)
{
    WriteRecordHeader(archive, kClassName, kVersion);
    archive->WriteFloat(&maxSpeedX);
    archive->WriteFloat(&maxSpeedY);
    WriteRecord(archive);
}

void DS_FishConstructor::ReadFishRecord(DS_IOF_Virtual* archive)
{
    ReadRecordHeader(archive);
    ReadFishFields(archive);
}

void DS_FishConstructor::ReadFishFields(DS_IOF_Virtual* archive)
{
    archive->ReadFloat(&maxSpeedX);
    archive->ReadFloat(&maxSpeedY);
    ReadWithHeader(archive);
}

DS_FishConstructor* DS_FishConstructor::CreateFromStream(DS_IOF_Virtual* archive, uint32_t)
{
    auto fish = std::make_unique<DS_FishConstructor>();
    fish->ReadFishFields(archive);
    return fish.release();
}

void DS_FishConstructor::ShapeSprite(DS_Sprite* sprite) const
{
    const float extent = static_cast<float>(size.value) * sprite->scale * 0.5f;
    DS_Sprite::ShapeHalfExtents(sprite, sprite->textureAspect, extent);
    UpdateSpriteColour(sprite);
    if (sprite->velocityX < 0.0f)
        sprite->halfWidth = -sprite->halfWidth;
}

void DS_FishConstructor::InitSprite(DS_Sprite* sprite)
{
    sprite->velocityX = RandRange(-maxSpeedX, maxSpeedX);
    sprite->velocityY = RandRange(-maxSpeedY, maxSpeedY);
    const ScenePoint at = RandomPoint();
    sprite->position = SpriteVec3{at.x, at.y, 0.0f};
    sprite->extraVelocity = SpriteVec3{};
    sprite->swayFactor = 0.0f;
    ShapeSprite(sprite);
}

void DS_FishConstructor::UpdateSprite(DS_Sprite* sprite)
{
    DriftSprite(sprite, frameStep);

    // Sideways it turns only once wholly outside, and then faces the way it swims.
    if (sprite->IsLeftOfView(this)) {
        sprite->velocityX = std::fabs(sprite->velocityX);
        sprite->halfWidth = std::fabs(sprite->halfWidth);
    } else if (sprite->IsRightOfView(this)) {
        sprite->velocityX = -std::fabs(sprite->velocityX);
        sprite->halfWidth = -std::fabs(sprite->halfWidth);
    }
    // At the top and bottom it turns as soon as its edge crosses.
    if (sprite->CrossesViewTop(this))
        sprite->velocityY = std::fabs(sprite->velocityY);
    else if (sprite->CrossesViewBottom(this))
        sprite->velocityY = -std::fabs(sprite->velocityY);

    // A new course, on a coin toss, at most once a second of application time; the new speed
    // keeps the horizontal direction, so the facing stays right.
    if (lastAppTime - sprite->lastEventTime > 1.0f) {
        sprite->lastEventTime = lastAppTime;
        if (CoinToss()) {
            sprite->velocityX = std::copysign(RandRange(-maxSpeedX, maxSpeedX), sprite->velocityX);
            sprite->velocityY = RandRange(-maxSpeedY, maxSpeedY);
            sprite->swayFactor = 0.0f;
        }
    }
}
