#include "document/params/MediaRectangle.h"

namespace {

// Offsets of x and y in the quad's 20 floats.
constexpr int kBottomLeftX = 0;
constexpr int kTopLeftY = 6;
constexpr int kBottomRightY = 11;
constexpr int kTopRightX = 15;

}  // namespace

bool MediaRectangle::ContainsPixel(float px, float py) const
{
    return static_cast<float>(left.value) <= px && px <= static_cast<float>(right.value) &&
           static_cast<float>(top.value) <= py && py <= static_cast<float>(bottom.value);
}

bool MapScreenToViewPixels(float x, float y, float scaleX, float scaleY, const float quad[20], int width,
                           int height, float& px, float& py)
{
    const float quadLeft = quad[kBottomLeftX];
    const float quadRight = quad[kTopRightX];
    const float quadTop = quad[kTopLeftY];
    const float quadBottom = quad[kBottomRightY];
    if (quadRight == quadLeft || quadBottom == quadTop)
        return false;

    const float sx = scaleX * x;
    const float sy = scaleY * y;
    px = static_cast<float>(width) * (sx - quadLeft) / (quadRight - quadLeft);
    py = static_cast<float>(height) * (sy - quadTop) / (quadBottom - quadTop);
    return true;
}
