#include "scene/objects/AC_Butterfly.h"

#include <cmath>
#include <cstdlib>

#include "scene/constructors/DS_3D_Obj_Ctrl.h"
#include "scene/common/SceneMath.h"

namespace {

float Radians(float degrees)
{
    return degrees * (2.0f * D3DX_PI) / 360.0f;
}

D3DXMATRIX RotationX(float degrees)
{
    D3DXMATRIX m;
    D3DXMatrixRotationX(&m, Radians(degrees));
    return m;
}

D3DXMATRIX RotationY(float degrees)
{
    D3DXMATRIX m;
    D3DXMatrixRotationY(&m, Radians(degrees));
    return m;
}

D3DXMATRIX RotationZ(float degrees)
{
    D3DXMATRIX m;
    D3DXMatrixRotationZ(&m, Radians(degrees));
    return m;
}

D3DXMATRIX Translation(float x, float y, float z)
{
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

using SizeControl = DS_FunLightCtrl<unsigned int, AC_Butterfly>;

} // namespace

void EasedValue::SetTarget(float newTarget, float newRate)
{
    if (newRate != 0.0f)
        rate = newRate;
    target = newTarget;
    rate = current < target ? std::fabs(rate) : -std::fabs(rate);
}

void EasedValue::Update(float dt)
{
    if (current == target)
        return;
    current += dt * rate;
    if ((rate > 0.0f && current > target) || (rate < 0.0f && current < target))
        current = target;
}

AC_ButterflyWing::AC_ButterflyWing()
{
    D3DXMatrixIdentity(&wingMatrix);
}

void AC_ButterflyWing::Update(DS_Frame* frame)
{
    frame->world = frame->local * wingMatrix;
    frame->cullCounterClockwise = cull;
}

AC_Butterfly::AC_Butterfly(DS_3D_Obj_Ctrl* description)
    : description(description),
      wing1(new AC_ButterflyWing),
      wing2(new AC_ButterflyWing),
      wings_{std::unique_ptr<AC_ButterflyWing>(wing1), std::unique_ptr<AC_ButterflyWing>(wing2)}
{
    const ScenePoint start = description->RandomPoint();
    x = start.x;
    y = start.y;
    z = 0.0f;
    const float h = RandRange(0.0f, 360.0f);
    vertical = EasedValue(50.0f, 50.0f, 250.0f);
    heading = EasedValue(h, h, 350.0f);
    bank = EasedValue(0.0f, 0.0f, 50.0f);
    forward = EasedValue(50.0f, 50.0f, 350.0f);
    D3DXMatrixRotationX(&tilt, 0.1745329f);
    D3DXMatrixScaling(&mirror, -1.0f, 1.0f, 1.0f);
    D3DXMatrixIdentity(&sizeMatrix);
    binder.SetOwner<AC_Butterfly>(this, false);
    SizeControl::Bind(binder, &AC_Butterfly::SetSize, description->size);
}

AC_Butterfly::~AC_Butterfly() = default;

AC_ButterflyWing* AC_Butterfly::TakeWing(int i)
{
    return (i == 0 || i == 1) ? wings_[i].release() : nullptr;
}

void AC_Butterfly::SetSize(unsigned int percent)
{
    const float s = static_cast<float>(percent) / 100.0f;
    D3DXMatrixScaling(&sizeMatrix, s, s, s);
}

void AC_Butterfly::Update(DS_Frame* frame)
{
    const float dt = description->frameStep;

    D3DXMATRIX w = RotationY(heading.current) * frame->local;
    BankFromTurn();
    if (forward.current < 100.0f)
        w = RotationX((1.0f - forward.current / 100.0f) * 15.0f) * w;
    w = tilt * w;
    w = RotationZ(bank.current) * w;
    if (bank.current == bank.target)
        bank.SetTarget(0.0f, 0.0f); // the roll returns to level

    Flap(dt);
    // The body bobs against the wing beat.
    w = Translation(0.0f, flapAngle * -3.0f / 45.0f, 0.0f) * w;

    Move(dt);
    w = w * Translation(x, y, 0.0f);

    UpdateEasedValues();
    SteerToArea();
    ChooseFlightMode();

    frame->world = sizeMatrix * w;
}

void AC_Butterfly::BankFromTurn()
{
    const float d = heading.current - heading.target;
    if (d < -5.0f)
        bank.SetTarget(25.0f, 0.0f);
    else if (d > 5.0f)
        bank.SetTarget(-25.0f, 0.0f);
}

void AC_Butterfly::Flap(float dt)
{
    flapAngle += dt * 7.0f * flapRate;
    if (flapAngle > flapMax)
        flapRate = kFlapRateDown;
    if (flapAngle < flapMin)
        flapRate = kFlapRateUp;

    wing1->wingMatrix = RotationZ(flapAngle);
    wing2->wingMatrix = RotationZ(flapAngle) * mirror;
    wing1->cull = flapAngle > 0.0f;
    wing2->cull = flapAngle < 0.0f;
}

void AC_Butterfly::Move(float dt)
{
    const D3DXVECTOR3 ahead(forward.current, 0.0f, 0.0f);
    const D3DXMATRIX turn = RotationY(heading.current);
    D3DXVECTOR3 v;
    D3DXVec3TransformCoord(&v, &ahead, &turn);
    v.y = vertical.current;
    x += dt * v.x;
    y += dt * v.y;
}

void AC_Butterfly::UpdateEasedValues()
{
    const float dt = description->frameStep;
    vertical.Update(dt);
    bank.Update(dt);
    heading.Update(dt);
    forward.Update(dt);
}

void AC_Butterfly::SteerToArea()
{
    if (y < description->TopEdge()) {
        glideRequested = 1;
        vertical.SetTarget(100.0f, 0.0f);
    } else if (y > description->BottomEdge()) {
        glideRequested = 0;
        vertical.SetTarget(-190.0f, 0.0f);
    }
    if (x < description->LeftEdge()) {
        heading.SetTarget(0.0f, 350.0f);
        forward.SetTarget(300.0f, 0.0f);
    } else if (x > description->RightEdge()) {
        heading.SetTarget(-180.0f, 350.0f);
        forward.SetTarget(300.0f, 0.0f);
    }
}

void AC_Butterfly::ChooseFlightMode()
{
    const float t = description->objectTime;
    if (glideRequested == gliding) {
        if (t - lastDecisionTime <= kDecisionInterval)
            return;
        switch (std::rand() % 5) {
        case 0: // climb
            glideRequested = 0;
            vertical.SetTarget(RandRange(-190.0f, 0.0f), 0.0f);
            break;
        case 1: // glide down
            glideRequested = 1;
            vertical.SetTarget(RandRange(100.0f, 150.0f), 0.0f);
            break;
        case 2: // another forward speed, flapping
            glideRequested = 0;
            forward.SetTarget(RandRange(-25.0f, 300.0f), 0.0f);
            break;
        default: // face right or left, once the last turn is done
            if (gliding == 0 && heading.current == heading.target) {
                const bool faceRight = CoinToss();
                const float rate = RandRange(50.0f, 350.0f);
                if (faceRight)
                    heading.SetTarget(RandRange(-25.0f, 25.0f), rate);
                else
                    heading.SetTarget(RandRange(155.0f, 205.0f), rate);
            }
            break;
        }
        lastDecisionTime = t;
    } else if (glideRequested == 1) {
        // Gliding holds the wings raised: the beat stops at 0 and, once the wings are low
        // enough, they sink slowly.
        flapMax = 0.0f;
        if (flapAngle < flapMin * 0.5f) {
            gliding = 1;
            flapRate = -std::fabs(flapRate) / 100.0f;
        }
    } else {
        gliding = 0;
        flapMax = -flapMin;
        flapRate = forward.current > 20.0f ? RandRange(-160.0f, forward.current / 3.0f - 50.0f) : 160.0f;
    }
}
