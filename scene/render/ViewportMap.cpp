#include "scene/render/ViewportMap.h"

#include "document/params/MediaRectangle.h"
#include "scene/render/ViewMetrics.h"

bool ViewportMapToPixels(float x, float y, float& px, float& py)
{
    // ViewMetrics starts out holding the initial quad template, so there is no first-use set-up
    // to run here: before any layout the quad has no size and nothing maps.
    static_assert(sizeof(ViewMetrics.screenQuad) == 20 * sizeof(float), "the quad is 20 floats");
    return MapScreenToViewPixels(x, y, ViewMetrics.scaleX, ViewMetrics.scaleY, &ViewMetrics.screenQuad.v[0].x,
                                 ViewMetrics.Width, ViewMetrics.Height, px, py);
}

bool MediaRectangle::Contains(float x, float y) const
{
    float px = 0.0f, py = 0.0f;
    return ViewportMapToPixels(x, y, px, py) && ContainsPixel(px, py);
}
