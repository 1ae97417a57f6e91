#include "scene/constructors/DS_RainConstructor.h"

#include <memory>

#include "scene/common/SceneMath.h"
#include "scene/objects/DS_Sprite.h"

namespace {

constexpr unsigned int kRainAngle = 270;
constexpr float kRainSpeed = 2000.0f;
constexpr float kThreeQuarterTurn = 4.712389f;

} // namespace

bool RainAlphaStep(float& alpha, float& rate, float dt, float alphaMin, float alphaMax)
{
    alpha += dt * rate;
    if (alpha < alphaMin)
        return true;
    if (alpha > alphaMax) {
        alpha = alphaMax;
        rate = -rate;
    }
    return false;
}

DS_RainConstructor::DS_RainConstructor()
{
    // Plain values: the direction follows when a clone binds its listener.
    angle.value = kRainAngle;
    sway.value = 0;
    speed = kRainSpeed;
    scaleMin = 0.5f;
    scaleMax = 1.0f;
    mode.value = 1;
    D3DXMatrixRotationZ(&turn, kThreeQuarterTurn);
}

void DS_RainConstructor::InitSprite(DS_Sprite* sprite)
{
    DS_FlowConstructor::InitSprite(sprite);
    sprite->alpha = RandRange(0.0f, 1.0f);
    ShapeSprite(sprite);
    if (mode.value == 1) {
        sprite->axisX = TransformSpriteVector(sprite->axisX, turn);
        sprite->axisY = TransformSpriteVector(sprite->axisY, turn);
    }
}

void DS_RainConstructor::UpdateSprite(DS_Sprite* sprite)
{
    DS_FlowConstructor::UpdateSprite(sprite);
    if (RainAlphaStep(sprite->alpha, sprite->alphaRate, frameStep, alphaMin, alphaMax)) {
        InitSprite(sprite);
        sprite->alpha = alphaMin;
        sprite->alphaRate = -sprite->alphaRate;
    }
    UpdateSpriteColour(sprite);
}

bool DS_RainConstructor::Write(DS_IOF_Virtual* archive)
{
    WriteRecordHeader(archive, kClassName, kVersion);
    DS_FlowConstructor::WriteRecord(archive);
    return true;
}

DS_RainConstructor* DS_RainConstructor::CreateFromStream(DS_IOF_Virtual* archive, uint32_t)
{
    auto rain = std::make_unique<DS_RainConstructor>();
    // The nested flow record's own version governs its fields.
    const uint32_t flowVersion = ReadRecordHeader(archive);
    rain->ReadFields(archive, flowVersion);
    return rain.release();
}
