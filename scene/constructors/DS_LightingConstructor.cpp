#include "scene/constructors/DS_LightingConstructor.h"

#include <d3dx9math.h>

#include <memory>

#include "scene/common/SceneMath.h"
#include "scene/objects/DS_Sprite.h"

namespace {

constexpr float kFadePerSecond = 6.0f;
constexpr float kFlickerInterval = 0.15f;
constexpr float kStrikeInterval = 1.0f;

SpriteVec3 Rotated(float x, float y, const D3DXMATRIX& m)
{
    const D3DXVECTOR3 in(x, y, 0.0f);
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &in, &m);
    return SpriteVec3{out.x, out.y, out.z};
}

} // namespace

void TiltFlash(DS_Sprite* sprite, float tilt, bool mirrored)
{
    D3DXMATRIX m;
    D3DXMatrixRotationZ(&m, tilt);
    sprite->axisX = Rotated(mirrored ? -1.0f : 1.0f, 0.0f, m);
    sprite->axisY = Rotated(0.0f, 1.0f, m);
}

DS_LightingConstructor::DS_LightingConstructor()
{
    blendMode.value = 1; // additive
    viewFlag = true;
}

bool DS_LightingConstructor::Write(DS_IOF_Virtual* archive)
{
    WriteRecordHeader(archive, kClassName, kVersion);
    WriteRecord(archive);
    return true;
}

DS_LightingConstructor* DS_LightingConstructor::CreateFromStream(DS_IOF_Virtual* archive, uint32_t)
{
    auto lightning = std::make_unique<DS_LightingConstructor>();
    lightning->ReadWithHeader(archive);
    return lightning.release();
}

void DS_LightingConstructor::InitSprite(DS_Sprite* sprite)
{
    const float extent = sprite->scale * static_cast<float>(size.value) * 0.5f;
    DS_Sprite::ShapeHalfExtents(sprite, sprite->textureAspect, extent);
    const ScenePoint at = RandomPointInset(sprite); // the unturned flash lies inside
    sprite->position = SpriteVec3{at.x, at.y, 0.0f};
    const float tilt = RandUnit() * 0.7853982f - 0.3926991f; // ±π/8
    const bool mirrored = CoinToss();
    TiltFlash(sprite, tilt, mirrored);
    sprite->alpha = 0.0f; // dark until it strikes
}

void DS_LightingConstructor::UpdateSprite(DS_Sprite* sprite)
{
    if (sprite->alpha != 0.0f) {
        // A flash fading out, which may flicker back to full.
        sprite->alpha -= frameStep * kFadePerSecond;
        if (objectTime - sprite->lastEventTime > kFlickerInterval) {
            sprite->lastEventTime = objectTime;
            if (CoinToss())
                sprite->alpha = 1.0f;
        }
    }
    if (sprite->alpha == 0.0f) {
        // Dark: each second a new strike elsewhere, on a coin toss.
        if (objectTime - sprite->lastEventTime > kStrikeInterval) {
            sprite->lastEventTime = objectTime;
            if (CoinToss()) {
                InitSprite(sprite);
                sprite->alpha = 1.0f;
            }
        }
    }
    if (sprite->alpha < 0.0f) {
        sprite->alpha = 0.0f;
        sprite->lastEventTime = objectTime; // the dark pause starts now
    }
    UpdateSpriteColour(sprite);
}
