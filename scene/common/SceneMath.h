// The small arithmetic every scene object shares: random numbers, the checked truncation of
// floats to integers and the object clock step.
//
// Random numbers come from the C library's rand(), which the program never seeds; tests seed
// it with srand to pin exact sequences. Draws happen in the order the callers make them.
#pragma once

#include <cstdint>

// r = rand() / 32767.0, as a float.
float RandUnit();
// lo + r × (hi − lo), in single precision.
float RandRange(float lo, float hi);
// Whether rand() is odd.
bool CoinToss();

// x truncated toward zero, as a 32-bit integer. NaN gives 0 and values beyond the int32 range
// give its nearest end, so damaged documents cannot reach undefined conversions.
int32_t TruncToInt32(double x);

// The object time an application-time step gives: |appTime − lastAppTime|, at most 0.2 s, times
// speed × 0.02 (50 is normal speed), all in single precision.
float ObjectClockStep(float appTime, float lastAppTime, unsigned int speed);
