#include "scene/common/SceneMath.h"

#include <cmath>
#include <cstdlib>
#include <limits>

float RandUnit()
{
    return static_cast<float>(std::rand() / 32767.0);
}

float RandRange(float lo, float hi)
{
    const float r = RandUnit();
    return lo + r * (hi - lo);
}

bool CoinToss()
{
    return (std::rand() & 1) != 0;
}

int32_t TruncToInt32(double x)
{
    if (std::isnan(x))
        return 0;
    if (x >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (x <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(x);
}

float ObjectClockStep(float appTime, float lastAppTime, unsigned int speed)
{
    float dt = std::fabs(appTime - lastAppTime);
    if (dt > 0.2f)
        dt = 0.2f;
    return dt * (static_cast<float>(speed) * 0.02f);
}
