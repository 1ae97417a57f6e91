#include "scene/constructors/DS_GrassConstructor.h"

#include <cmath>
#include <memory>

#include "scene/common/ObjectSpace.h"
#include "scene/common/SceneMath.h"
#include "scene/objects/DS_Sprite.h"

namespace {

constexpr float kQuarterTurn = 1.5707964f;
constexpr float kTwoPi = 6.2831855f;

} // namespace

float SwayShear(float amplitudeDegrees, float phase)
{
    const float s = std::sin(phase);
    const float lean = 90.0f + amplitudeDegrees * s;
    const float complement = (180.0f - lean) * kTwoPi / 360.0f;
    return 1.0f / std::tan(complement);
}

void DS_GrassConstructor::InitSprite(DS_Sprite* sprite)
{
    sprite->position.x = RandRange(LeftEdge(), RightEdge());
    sprite->position.y = BottomEdge() - sprite->halfHeight;
    sprite->swayFactor = sprite->position.x;      // root x
    sprite->velocityY = RandUnit() * kQuarterTurn; // phase
    sprite->axisX = SpriteVec3{CoinToss() ? -1.0f : 1.0f, 0.0f, 0.0f};
}

void DS_GrassConstructor::UpdateSprite(DS_Sprite* sprite)
{
    // Until object space has a size there is no wave along it.
    const float width = ObjectSpaceWidth();
    const float along = width != 0.0f ? kTwoPi * sprite->position.x / width : 0.0f;
    const float phase = (objectTime + sprite->velocityY) + along;
    const float k = SwayShear(amplitude, phase);
    // The foot, position + half height × axis Y, stays at (root x, bottom edge).
    sprite->axisY = SpriteVec3{k, 1.0f, 0.0f};
    sprite->position.x = sprite->swayFactor - k * sprite->halfHeight;
}

bool DS_GrassConstructor::Write(DS_IOF_Virtual* archive)
{
    WriteRecordHeader(archive, kClassName, kVersion);
    archive->WriteFloat(&amplitude);
    WriteRecord(archive);
    return true;
}

DS_GrassConstructor* DS_GrassConstructor::CreateFromStream(DS_IOF_Virtual* archive, uint32_t)
{
    auto grass = std::make_unique<DS_GrassConstructor>();
    archive->ReadFloat(&grass->amplitude);
    grass->ReadWithHeader(archive);
    return grass.release();
}
