// Values for the device states that take a float (bump matrices, fog and point sizes): the
// state calls take a DWORD holding the float's bits.
#pragma once

#include <d3d9.h>

#include <cstring>

inline DWORD FloatBits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
