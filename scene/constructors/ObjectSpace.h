// The size of object space (W × H): the slide picture in pixels, as the light's layout left it
// in ViewMetrics. Descriptions read it whenever they turn fractions into pixels or back.
#pragma once

#include <cstdint>

#if __has_include("scene/render/ViewMetrics.h")
#include "scene/render/ViewMetrics.h"
#else
struct ViewMetricsRecord {
    int32_t Width = 0;
    int32_t Height = 0;
};
extern ViewMetricsRecord ViewMetrics;
#define LW_OBJECT_SPACE_OWNS_VIEW_METRICS 1
#endif

inline float ObjectSpaceWidth() { return static_cast<float>(ViewMetrics.Width); }
inline float ObjectSpaceHeight() { return static_cast<float>(ViewMetrics.Height); }
