#include "scene/constructors/DS_FlowerConstructor.h"

#include <memory>

#include "scene/constructors/DS_GrassConstructor.h"
#include "scene/objects/DS_Sprite.h"

void DS_FlowerConstructor::UpdateSprite(DS_Sprite* sprite)
{
    // The phase (velocity y) is 0 for every flower sprite, so they all lean together.
    const float k = SwayShear(amplitude, objectTime + sprite->velocityY);
    // The picture's own vertical axis sheared along its own x axis.
    sprite->axisY = TransformSpriteVector(SpriteVec3{k, 1.0f, 0.0f}, rotationMatrix);
    // Moves the centre so that the bottom centre, position + half height × axis Y, stays put.
    const float shift = k * sprite->halfHeight;
    sprite->position.x = static_cast<float>(bounds.extra1.value) - shift * sprite->axisX.x;
    sprite->position.y = static_cast<float>(bounds.extra2.value) - shift * sprite->axisX.y;
}

bool DS_FlowerConstructor::Write(DS_IOF_Virtual* archive)
{
    WriteRecordHeader(archive, kClassName, kVersion);
    archive->WriteFloat(&amplitude);
    DS_StatObjConstructor::WriteRecord(archive);
    return true;
}

DS_FlowerConstructor* DS_FlowerConstructor::CreateFromStream(DS_IOF_Virtual* archive, uint32_t)
{
    auto flower = std::make_unique<DS_FlowerConstructor>();
    archive->ReadFloat(&flower->amplitude);
    // The static picture's tag and version are read and not examined.
    ReadRecordHeader(archive);
    flower->ReadFields(archive);
    return flower.release();
}
