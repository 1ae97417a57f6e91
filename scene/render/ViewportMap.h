// Screen points to view pixels through the layout in ViewMetrics: the fitted picture quad is
// stretched to the picture's Width × Height, so a point on the picture's top-left corner maps to
// (0, 0) and one on its bottom-right corner to (Width, Height). Points on the letterbox bars map
// outside that range.
#pragma once

// x and y are in layout units (scaled by ViewMetrics' scaleX and scaleY to back-buffer pixels).
// False before the first layout, while the picture quad still has no width or no height: no
// point can be mapped then.
bool ViewportMapToPixels(float x, float y, float& px, float& py);

// MediaRectangle::Contains (declared with the rectangle) is defined beside ViewportMapToPixels
// in ViewportMap.cpp, because it maps through the current layout.
