// The process-wide size of object space (the slide picture in pixels) and how the layout relates
// to the back buffer, rebuilt by every light layout.
#pragma once

#include <cstdint>

#include "scene/render/QuadTemplate.h"

struct ViewMetricsRecord {
    float aspectCorrection = 1.0f; // (layout width / height) / (back-buffer width / height)
    float scaleX = 1.0f;           // back-buffer width / layout width
    float scaleY = 1.0f;           // back-buffer height / layout height
    QuadTemplate screenQuad = InitialQuadTemplate(); // the fitted picture in back-buffer pixels
    int32_t Width = 0;  // picture width in pixels: the width of object space
    int32_t Height = 0; // picture height in pixels
};

extern ViewMetricsRecord ViewMetrics;

// Fills the record for a layout of layoutWidth × layoutHeight on a back buffer of
// backWidth × backHeight. A picture of size 0 counts as 800 × 600; a zero layout or back-buffer
// size leaves the three factors at 1.
void ComputeViewMetrics(ViewMetricsRecord& metrics, const QuadTemplate& picture, int32_t layoutWidth,
                        int32_t layoutHeight, int32_t pictureWidth, int32_t pictureHeight, uint32_t backWidth,
                        uint32_t backHeight);

// The same into ViewMetrics with the back buffer of CurrentDevice.
void SetViewMetrics(const QuadTemplate& picture, int32_t layoutWidth, int32_t layoutHeight, int32_t pictureWidth,
                    int32_t pictureHeight);
