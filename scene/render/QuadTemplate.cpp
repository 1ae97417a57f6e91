#include "scene/render/QuadTemplate.h"

#include "document/TextureInfo.h"
#include "scene/render/BackBuffer.h"

void InitQuadTemplate(QuadTemplate& quad)
{
    quad = InitialQuadTemplate();
}

void SetQuadCorners(QuadTemplate& quad, float x0, float y0, float x1, float y1)
{
    InitQuadTemplate(quad);
    quad.v[QuadTemplate::BottomLeft].x = x0;
    quad.v[QuadTemplate::BottomLeft].y = y1;
    quad.v[QuadTemplate::TopLeft].x = x0;
    quad.v[QuadTemplate::TopLeft].y = y0;
    quad.v[QuadTemplate::BottomRight].x = x1;
    quad.v[QuadTemplate::BottomRight].y = y1;
    quad.v[QuadTemplate::TopRight].x = x1;
    quad.v[QuadTemplate::TopRight].y = y0;
}

void MakeSizedQuad(QuadTemplate& quad, int32_t width, int32_t height)
{
    SetQuadCorners(quad, 0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height));
}

void MakeBackBufferQuad(QuadTemplate& quad)
{
    const BackBufferSize back = CurrentBackBufferSize();
    MakeSizedQuad(quad, static_cast<int32_t>(back.width), static_cast<int32_t>(back.height));
}

QuadTemplate MakeBackBufferQuad()
{
    QuadTemplate quad;
    MakeBackBufferQuad(quad);
    return quad;
}

PictureSize LayoutPictureSize(uint32_t width, uint32_t height)
{
    if (width == 0 || height == 0)
        return {800, 600};
    return {width, height};
}

void FitQuadLetterbox(QuadTemplate& quad, uint32_t pictureWidth, uint32_t pictureHeight, int32_t areaWidth,
                      int32_t areaHeight)
{
    if (areaWidth <= 0 || areaHeight <= 0) {
        InitQuadTemplate(quad);
        return;
    }
    const PictureSize picture = LayoutPictureSize(pictureWidth, pictureHeight);
    // Every step is rounded to single precision, as the layouts of the light modes expect.
    const float aspect = static_cast<float>(picture.height) / static_cast<float>(picture.width);
    const float areaRatio = static_cast<float>(areaHeight) / static_cast<float>(areaWidth);
    float x0, y0, w, h;
    if (areaRatio < aspect) {
        h = static_cast<float>(areaHeight);
        w = static_cast<float>(areaHeight) / aspect;
        x0 = (static_cast<float>(areaWidth) - w) * 0.5f;
        y0 = 0.0f;
    } else {
        w = static_cast<float>(areaWidth);
        h = static_cast<float>(areaWidth) * aspect;
        x0 = 0.0f;
        y0 = (static_cast<float>(areaHeight) - h) * 0.5f;
    }
    const float x1 = x0 + w;
    const float y1 = y0 + h;
    SetQuadCorners(quad, x0, y0, x1, y1);
}

void FitQuadLetterbox(QuadTemplate& quad, const TextureInfo& picture, int32_t areaWidth, int32_t areaHeight)
{
    FitQuadLetterbox(quad, picture.width, picture.height, areaWidth, areaHeight);
}

QuadTemplate FitOrStretchQuad(bool stretch, uint32_t pictureWidth, uint32_t pictureHeight, int32_t areaWidth,
                              int32_t areaHeight)
{
    QuadTemplate quad;
    if (stretch)
        MakeSizedQuad(quad, areaWidth, areaHeight);
    else
        FitQuadLetterbox(quad, pictureWidth, pictureHeight, areaWidth, areaHeight);
    return quad;
}

void ScaleQuad(QuadTemplate& quad, int32_t referenceWidth, int32_t referenceHeight, uint32_t backWidth,
               uint32_t backHeight)
{
    if (referenceWidth == 0 || referenceHeight == 0)
        return;
    const float sx = static_cast<float>(backWidth) / static_cast<float>(referenceWidth);
    const float sy = static_cast<float>(backHeight) / static_cast<float>(referenceHeight);
    for (QuadVertex& vertex : quad.v) {
        vertex.x *= sx;
        vertex.y *= sy;
    }
}

void ScaleQuadToBackBuffer(QuadTemplate& quad, int32_t referenceWidth, int32_t referenceHeight)
{
    const BackBufferSize back = CurrentBackBufferSize();
    if (!back.ok)
        return;
    ScaleQuad(quad, referenceWidth, referenceHeight, back.width, back.height);
}

LetterboxBars MakeLetterboxBars(const QuadTemplate& picture)
{
    // t(v): truncated toward zero to a whole pixel.
    auto t = [](float value) { return static_cast<float>(static_cast<int32_t>(value)); };
    const float left = picture.Left();
    const float top = picture.Top();
    const float bottom = picture.Bottom();
    const float right = picture.Right();
    LetterboxBars bars;
    bars.bar[0] = {0.0f, 0.0f, t(left) + 1.0f, t(bottom - top)};
    bars.bar[1] = {right, 0.0f, right + t(left) + 1.0f, t(bottom - top)};
    bars.bar[2] = {0.0f, 0.0f, t(right - left), t(top) + 1.0f};
    bars.bar[3] = {0.0f, bottom, t(right - left), bottom + t(top) + 1.0f};
    return bars;
}
