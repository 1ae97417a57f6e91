#include "scene/render/ViewMetrics.h"

#include "scene/render/BackBuffer.h"

ViewMetricsRecord ViewMetrics;

void ComputeViewMetrics(ViewMetricsRecord& metrics, const QuadTemplate& picture, int32_t layoutWidth,
                        int32_t layoutHeight, int32_t pictureWidth, int32_t pictureHeight, uint32_t backWidth,
                        uint32_t backHeight)
{
    metrics.aspectCorrection = 1.0f;
    metrics.scaleX = 1.0f;
    metrics.scaleY = 1.0f;
    if (layoutWidth > 0 && layoutHeight > 0 && backWidth > 0 && backHeight > 0) {
        const float W = static_cast<float>(layoutWidth);
        const float H = static_cast<float>(layoutHeight);
        const float BW = static_cast<float>(backWidth);
        const float BH = static_cast<float>(backHeight);
        metrics.aspectCorrection = (W / H) / (BW / BH);
        metrics.scaleX = BW / W;
        metrics.scaleY = BH / H;
    }
    metrics.screenQuad = picture;
    const bool known = pictureWidth > 0 && pictureHeight > 0;
    const PictureSize size = LayoutPictureSize(known ? static_cast<uint32_t>(pictureWidth) : 0,
                                               known ? static_cast<uint32_t>(pictureHeight) : 0);
    metrics.Width = static_cast<int32_t>(size.width);
    metrics.Height = static_cast<int32_t>(size.height);
}

void SetViewMetrics(const QuadTemplate& picture, int32_t layoutWidth, int32_t layoutHeight, int32_t pictureWidth,
                    int32_t pictureHeight)
{
    const BackBufferSize back = CurrentBackBufferSize();
    ComputeViewMetrics(ViewMetrics, picture, layoutWidth, layoutHeight, pictureWidth, pictureHeight, back.width,
                       back.height);
}
