#include "scene/constructors/DS_BirdConstructor.h"

#include <cmath>
#include <memory>

#include "scene/common/SceneMath.h"
#include "scene/objects/DS_Sprite.h"

bool DS_BirdConstructor::Write(DS_IOF_Virtual* archive)
{
    WriteRecordHeader(archive, kClassName, kVersion);
    WriteFishRecord(archive);
    return true;
}

DS_BirdConstructor* DS_BirdConstructor::CreateFromStream(DS_IOF_Virtual* archive, uint32_t)
{
    auto bird = std::make_unique<DS_BirdConstructor>();
    bird->ReadFishRecord(archive);
    return bird.release();
}

void DS_BirdConstructor::UpdateSprite(DS_Sprite* sprite)
{
    DS_FishConstructor::UpdateSprite(sprite);
    // (-0.7, 0.7) × maximum maps onto (0.4, 1.0) × maximum: always downwards.
    if (std::fabs(sprite->velocityY) < 0.7f * maxSpeedY)
        sprite->velocityY = 0.7f * maxSpeedY + sprite->velocityY * 0.3f / 0.7f;
    if (0.7f * maxSpeedX > std::fabs(sprite->velocityX))
        sprite->velocityX = std::copysign(RandRange(0.7f * maxSpeedX, maxSpeedX), sprite->velocityX);
}
