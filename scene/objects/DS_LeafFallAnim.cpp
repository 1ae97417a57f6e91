#include "scene/objects/DS_LeafFallAnim.h"

#include <cmath>

#include "scene/common/ObjectSpace.h"
#include "scene/common/SceneMath.h"

float StreamAnimTime = 0.0f;

namespace {

float Radians(float degrees)
{
    return degrees * (2.0f * D3DX_PI) / 360.0f;
}

// −1 on a coin toss, else +1.
float RandomSign()
{
    return CoinToss() ? -1.0f : 1.0f;
}

} // namespace

float StreamStep(float now, float lastTime)
{
    const float step = std::fabs(now - lastTime);
    return step > 0.2f ? 0.2f : step;
}

D3DXVECTOR2 LeafDriftStep(const LeafParams& p, float driftFactor, float speedFactor, float dt)
{
    const float c = static_cast<float>(p.sway) * 0.02f * driftFactor;
    const float vx = p.direction.x + c * p.perpendicular.x;
    const float vy = p.direction.y + c * p.perpendicular.y;
    const float k = static_cast<float>(p.speed) * speedFactor * dt * 50.0f;
    return D3DXVECTOR2(k * vx, k * vy);
}

bool WrapOrMoveLeaf(float& x, float& y, D3DXVECTOR2 step, float w, float h, float hs)
{
    if (step.y > 0.0f && y > h + hs) {
        x = RandRange(0.0f, w);
        y = -hs;
    } else if (step.y < 0.0f && y < -hs) {
        x = RandRange(0.0f, w);
        y = h + hs;
    } else if (step.x > 0.0f && x > w + hs) {
        x = -hs;
        y = RandRange(0.0f, h);
    } else if (step.x < 0.0f && x < -hs) {
        x = w + hs;
        y = RandRange(0.0f, h);
    } else {
        x += step.x;
        y += step.y;
        return false;
    }
    return true;
}

bool DriftChangeDue(float now, float lastChange, uint32_t speed, uint32_t frequency)
{
    // A float division, so that a frequency of 0 gives an infinite threshold.
    const float threshold = 100.0f / static_cast<float>(frequency);
    return (now - lastChange) * static_cast<float>(speed) * 0.1f > threshold;
}

float LeafScale(uint32_t size, float radius)
{
    if (!(radius > 0.0f) || !std::isfinite(radius))
        return 0.0f;
    return static_cast<float>(size) * 0.5f / radius;
}

void LeafWorld(D3DXMATRIX& world, const D3DXMATRIX& local, float scale, const LeafTurn spins[3],
               const LeafTurn swings[2], const D3DXMATRIX& drift)
{
    D3DXMATRIX m;
    D3DXMatrixScaling(&m, scale, scale, scale);
    D3DXMatrixMultiply(&world, &local, &m);
    D3DXMatrixMultiply(&world, &world, D3DXMatrixRotationX(&m, Radians(spins[0].angle)));
    D3DXMatrixMultiply(&world, &world, D3DXMatrixRotationZ(&m, Radians(spins[2].angle)));
    D3DXMatrixMultiply(&world, &world, D3DXMatrixRotationY(&m, Radians(spins[1].angle)));
    D3DXMatrixMultiply(&world, &world, D3DXMatrixTranslation(&m, 0.0f, 0.0f, 50.0f));
    D3DXMatrixMultiply(&world, &world, D3DXMatrixRotationY(&m, Radians(swings[0].angle)));
    D3DXMatrixMultiply(&world, &world, D3DXMatrixRotationX(&m, Radians(swings[1].angle)));
    D3DXMatrixMultiply(&world, &world, &drift);
}

DS_SreamAnim::DS_SreamAnim(const LeafParams* params) : params(params)
{
    const float x = RandRange(0.0f, ObjectSpaceWidth());
    const float y = RandRange(0.0f, ObjectSpaceHeight());
    driftFactor = 2.0f * RandUnit() - 1.0f;
    D3DXMatrixTranslation(&drift, x, y, 0.0f);
    speedFactor = 0.07f + RandUnit() * 0.06f;
}

void DS_SreamAnim::Update(DS_Frame*)
{
    const float now = StreamAnimTime;
    dt = StreamStep(now, lastTime);
    lastTime = now;

    const D3DXVECTOR2 step = LeafDriftStep(*params, driftFactor, speedFactor, dt);
    const float hs = static_cast<float>(params->size) * 0.5f;
    WrapOrMoveLeaf(drift._41, drift._42, step, ObjectSpaceWidth(), ObjectSpaceHeight(), hs);

    if (DriftChangeDue(now, lastDriftChange, params->speed, params->driftChangeFrequency)) {
        lastDriftChange = now;
        if (CoinToss())
            driftFactor = 2.0f * RandUnit() - 1.0f;
    }
}

DS_LeafFallAnim::DS_LeafFallAnim(const LeafParams* params) : DS_SreamAnim(params)
{
    for (LeafTurn& spin : spins) {
        const float sign = RandomSign();
        const float magnitude = 7.0f + RandUnit() * 3.0f;
        spin.rate = spin.angle = sign * magnitude;
    }
    for (LeafTurn& swing : swings) {
        const float moves = CoinToss() ? 1.0f : 0.0f;
        const float sign = RandomSign();
        const float magnitude = 3.0f + RandUnit() * 4.0f;
        swing.rate = swing.angle = moves * sign * magnitude;
    }
}

void DS_LeafFallAnim::Update(DS_Frame* frame)
{
    DS_SreamAnim::Update(frame);
    const float scale = LeafScale(params->size, frame->radius);
    for (LeafTurn& spin : spins)
        spin.angle += spin.rate * dt * static_cast<float>(params->spin) * 0.4f;
    for (LeafTurn& swing : swings)
        swing.angle += swing.rate * dt * static_cast<float>(params->sway) * 0.4f;
    LeafWorld(frame->world, frame->local, scale, spins, swings, drift);
}
