#include "document/params/ScaledParam.h"

#include <cmath>
#include <cstdint>

namespace {

// 2^63 as a float: every float of at least this size is a multiple of 2^40.
constexpr float kTwoPow63 = 9223372036854775808.0f;

}  // namespace

unsigned char LowByteTowardZero(float x)
{
    // Floats beyond int64 are multiples of 2^40, so their low eight bits are zero.
    if (std::isnan(x) || std::fabs(x) >= kTwoPow63)
        return 0;
    return static_cast<unsigned char>(static_cast<uint64_t>(static_cast<int64_t>(x)) & 0xFFu);
}

bool UnscaleToUInt(float x, float scale, float offset, unsigned int& value)
{
    if (scale == 0.0f)
        return false;
    const float v = (x - offset) / scale;
    if (!std::isfinite(v) || std::fabs(v) >= kTwoPow63)
        return false;
    value = static_cast<unsigned int>(static_cast<uint64_t>(static_cast<int64_t>(v)) & 0xFFFFFFFFu);
    return true;
}
