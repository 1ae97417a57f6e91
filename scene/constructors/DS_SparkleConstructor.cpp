#include "scene/constructors/DS_SparkleConstructor.h"

#include <memory>

#include "scene/constructors/SpriteMotion.h"
#include "scene/common/SceneMath.h"
#include "scene/objects/DS_Sprite.h"

void ShapeSparkle(DS_Sprite* sprite, float d)
{
    sprite->halfWidth = d * 0.5f + d * 0.5f * sprite->alpha;
    sprite->halfHeight = sprite->alpha * (sprite->halfWidth * 0.5f) + d * 0.5f;
}

DS_SparkleConstructor::DS_SparkleConstructor()
{
    viewFlag = true;
}

bool DS_SparkleConstructor::Write(DS_IOF_Virtual* archive)
{
    WriteRecordHeader(archive, kClassName, kVersion);
    WriteRecord(archive);
    return true;
}

DS_SparkleConstructor* DS_SparkleConstructor::CreateFromStream(DS_IOF_Virtual* archive, uint32_t)
{
    auto sparkle = std::make_unique<DS_SparkleConstructor>();
    sparkle->ReadWithHeader(archive); // the record's own view flag replaces the default
    return sparkle.release();
}

void DS_SparkleConstructor::InitSprite(DS_Sprite* sprite)
{
    sprite->velocityX = RandUnit() * 50.0f - 25.0f;
    sprite->velocityY = RandUnit() * 50.0f - 25.0f;
    const ScenePoint at = RandomPoint();
    sprite->position = SpriteVec3{at.x, at.y, 0.0f};
    sprite->extraVelocity = SpriteVec3{};
    sprite->swayFactor = 0.0f;
    sprite->alpha = RandRange(0.0f, 1.0f);
}

void DS_SparkleConstructor::UpdateSprite(DS_Sprite* sprite)
{
    DriftSprite(sprite, frameStep);
    PulseOrRespawn(*this, sprite); // faded out, a new glint elsewhere
    UpdateSpriteColour(sprite);
    ShapeSparkle(sprite, sprite->scale * static_cast<float>(size.value) * 0.5f);
}
