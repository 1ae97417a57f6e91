#include "scene/lights/DS_WaterRingLight.h"

#include <algorithm>

#include "document/SceneDoc.h"

RingsParams RingsParamsFromSlide(const SlideRecord& slide)
{
    const uint32_t* l = slide.levels;
    auto f = [](uint32_t level) { return static_cast<float>(level); };
    RingsParams p;
    p.rowDensityLevel = l[0];
    p.heightScale = f(l[1]) * 0.02f + 1.0f;
    p.columnDensityLevel = l[2];
    p.dropInterval = 60.0f / f(l[3]);
    p.dropStrength = f(l[4]) * 0.01f * 0.7f + 0.1f;
    p.damping = DampingFromLevel(l[5]);
    p.refractionDepth = f(l[6]) * 0.01f;
    p.specularLevel = f(l[7]) * 0.01f;
    p.specularPower = f(l[8]) * 80.0f * 0.01f;
    return p;
}

float DampingFromLevel(uint32_t level)
{
    const float v = static_cast<float>(std::min<uint32_t>(level, 100));
    if (v < 50.0f)
        return 0.9f + v * 0.09f * 0.02f;
    return 0.99f + (v - 50.0f) * 0.009f * 0.02f;
}

WaterExtents WaterOrthoExtents(uint32_t width, uint32_t height, float aspect, bool stretch)
{
    if (stretch)
        return {15.0f / aspect, 15.0f};
    const float c = static_cast<float>(width) / static_cast<float>(height);
    if (c * aspect > 1.0f)
        return {15.0f * c, 15.0f}; // a screen wider than the picture: margins left and right
    const float f = 15.0f / aspect;
    return {f, f / c};
}

float WaterPictureAspect(uint32_t width, uint32_t height)
{
    if (width == 0 || height == 0)
        return 0.75f;
    return static_cast<float>(height) / static_cast<float>(width);
}

bool DropDue(float time, float lastDropTime, float interval)
{
    return interval < time - lastDropTime;
}
