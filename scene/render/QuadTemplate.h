// The quad template: four vertices {x, y, z, u, v} in triangle-strip order bottom-left, top-left,
// bottom-right, top-right. Positions are pixels with y growing downwards, so "bottom" is the
// larger y. The makers below change x and y only; z stays 1 and (u, v) stay
// (0, 1), (0, 0), (1, 1), (1, 0).
//
// Everything here is arithmetic on values; the few makers that need the back buffer's size come
// in two forms, one that reads it from CurrentDevice and one that takes it as arguments.
#pragma once

#include <cstdint>

struct TextureInfo;

struct QuadVertex {
    float x, y, z, u, v;
};

struct QuadTemplate {
    enum Corner { BottomLeft = 0, TopLeft = 1, BottomRight = 2, TopRight = 3 };
    QuadVertex v[4];

    float Left() const { return v[BottomLeft].x; }
    float Top() const { return v[TopLeft].y; }
    float Right() const { return v[TopRight].x; }
    float Bottom() const { return v[BottomRight].y; }
};
static_assert(sizeof(QuadTemplate) == 20 * sizeof(float), "a quad template is 20 floats");

// The template with every position at 0.
constexpr QuadTemplate InitialQuadTemplate()
{
    return QuadTemplate{{{0, 0, 1, 0, 1}, {0, 0, 1, 0, 0}, {0, 0, 1, 1, 1}, {0, 0, 1, 1, 0}}};
}

void InitQuadTemplate(QuadTemplate& quad);

// Writes the corners (x0, y1), (x0, y0), (x1, y1), (x1, y0) after InitQuadTemplate.
void SetQuadCorners(QuadTemplate& quad, float x0, float y0, float x1, float y1);

// (0, 0) to (width, height).
void MakeSizedQuad(QuadTemplate& quad, int32_t width, int32_t height);

// The whole back buffer of CurrentDevice (all positions 0 when it cannot be read).
void MakeBackBufferQuad(QuadTemplate& quad);
QuadTemplate MakeBackBufferQuad();

// A picture of width or height 0 (one that failed to load) is laid out as 800 × 600, the size a
// failed library picture has, so that no layout divides by zero.
struct PictureSize {
    uint32_t width;
    uint32_t height;
};
PictureSize LayoutPictureSize(uint32_t width, uint32_t height);

// The largest rectangle of the picture's aspect that fits in areaWidth × areaHeight, centred.
// A picture relatively taller than the area fills its height (bars left and right); any other
// fills its width (bars above and below), an exact fit included.
void FitQuadLetterbox(QuadTemplate& quad, uint32_t pictureWidth, uint32_t pictureHeight, int32_t areaWidth,
                      int32_t areaHeight);
void FitQuadLetterbox(QuadTemplate& quad, const TextureInfo& picture, int32_t areaWidth, int32_t areaHeight);
// The picture's rectangle in an areaWidth × areaHeight layout: the whole area when stretching,
// otherwise the picture's letterbox (FitQuadLetterbox).
QuadTemplate FitOrStretchQuad(bool stretch, uint32_t pictureWidth, uint32_t pictureHeight, int32_t areaWidth,
                              int32_t areaHeight);
// The same for a picture animation (anything with the picture's width and height).
template <class PictureAnimation>
void FitQuadToPicture(const PictureAnimation& picture, QuadTemplate& quad, int32_t areaWidth, int32_t areaHeight)
{
    FitQuadLetterbox(quad, picture.width, picture.height, areaWidth, areaHeight);
}

// x × (backWidth / referenceWidth), y × (backHeight / referenceHeight); z, u, v unchanged.
// A zero reference size leaves the quad as it is.
void ScaleQuad(QuadTemplate& quad, int32_t referenceWidth, int32_t referenceHeight, uint32_t backWidth,
               uint32_t backHeight);
// The same with the back buffer of CurrentDevice.
void ScaleQuadToBackBuffer(QuadTemplate& quad, int32_t referenceWidth, int32_t referenceHeight);

// A screen rectangle in whole pixels, [x0, x1) × [y0, y1).
struct ScreenRect {
    float x0, y0, x1, y1;
};

// The four black bars around a letterboxed picture Q: 0 left, 1 right, 2 top, 3 bottom.
// Each reaches one pixel into the picture; where the picture touches an edge of the screen the
// bar on that side is a strip one pixel wide along the edge.
struct LetterboxBars {
    ScreenRect bar[4];
};
LetterboxBars MakeLetterboxBars(const QuadTemplate& picture);
