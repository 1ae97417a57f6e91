#include "tools/effects/TestEffects.h"

#include "tools/effects/Fx2Writer.h"

std::vector<uint8_t> BuildTestEffect(const char* technique)
{
    fx2::Effect effect;
    effect.parameters = {fx2::Parameter::Float(kTestEffectLevel)};
    fx2::Pass pass{"P0", {fx2::State::Value(fx2::kZEnable, 0)}};
    effect.techniques = {{technique, {pass}}};
    return fx2::WriteFx2(effect);
}
