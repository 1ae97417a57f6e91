#include "scene/constructors/DS_GhostConstructor.h"

#include <memory>

#include "scene/constructors/SpriteMotion.h"
#include "scene/common/SceneMath.h"
#include "scene/objects/DS_Sprite.h"

DS_GhostConstructor::DS_GhostConstructor()
{
    maxSpeedX = 50.0f;
    maxSpeedY = 50.0f;
    alphaRate = 0.66f;
    transparency.SetValue(50u, nullptr); // tells the scaler, so the opacity is 127
    scaleMin = 1.0f;
    scaleMax = 1.0f;
}

bool DS_GhostConstructor::Write(DS_IOF_Virtual* archive)
{
    WriteRecordHeader(archive, kClassName, kVersion);
    WriteFishRecord(archive);
    return true;
}

DS_GhostConstructor* DS_GhostConstructor::CreateFromStream(DS_IOF_Virtual* archive, uint32_t)
{
    auto ghost = std::make_unique<DS_GhostConstructor>();
    ghost->ReadFishRecord(archive);
    return ghost.release();
}

void DS_GhostConstructor::InitSprite(DS_Sprite* sprite)
{
    DS_FishConstructor::InitSprite(sprite);
    sprite->alpha = RandRange(0.0f, 1.0f);
}

void DS_GhostConstructor::UpdateSprite(DS_Sprite* sprite)
{
    DS_FishConstructor::UpdateSprite(sprite);
    PulseOrRespawn(*this, sprite); // faded out, it comes back somewhere else
    UpdateSpriteColour(sprite);
}
