// The size of object space (W × H): the slide picture in pixels, as the light's layout left it
// in ViewMetrics. Descriptions read it whenever they turn fractions into pixels or back.
#pragma once

#include "scene/render/ViewMetrics.h"

inline float ObjectSpaceWidth() { return static_cast<float>(ViewMetrics.Width); }
inline float ObjectSpaceHeight() { return static_cast<float>(ViewMetrics.Height); }
