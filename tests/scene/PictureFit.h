// Where the show puts a slide's picture on a back buffer, by the program's own fits, and what a
// read-back screen shows in and around that rectangle. For the tests that play the default show
// on back buffers of several sizes.
#pragma once

#include <d3dx9.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "document/SceneDoc.h"
#include "scene/lights/DS_EffectLightBase.h"
#include "scene/lights/DS_GlassBallLight.h"
#include "scene/render/QuadTemplate.h"
#include "tests/support/DeviceFixture.h"

// A picture's width and height, read from its file bytes; 0 × 0 when they hold no picture.
inline D3DXIMAGE_INFO PictureInfo(const NamedBlob& picture)
{
    D3DXIMAGE_INFO info = {};
    if (!picture.Bytes() || FAILED(D3DXGetImageInfoFromFileInMemory(picture.Bytes(), picture.Size(), &info)))
        return D3DXIMAGE_INFO{};
    return info;
}

// Where a slide's picture lies on a width × height back buffer: the glass ball's backdrop (for
// the show's ball, its gradient over the whole screen), any other slide's picture stretched
// (stretch 1) or letterboxed (0).
inline QuadTemplate ExpectedPictureRect(const SlideRecord& slide, UINT width, UINT height, int stretch)
{
    if (slide.kind == kSlideGlassBall) {
        const D3DXIMAGE_INFO backdrop = PictureInfo(slide.blobs[0]);
        return ComputeGlassLayout(width, height, slide.options[1], stretch != 0, backdrop.Width, backdrop.Height)
            .backdrop;
    }
    const D3DXIMAGE_INFO picture = PictureInfo(slide.picture);
    return FitOrStretchQuad(stretch != 0, picture.Width, picture.Height, static_cast<int32_t>(width),
                             static_cast<int32_t>(height));
}

// What a screen shows of a picture that should fill `rect` with black bars around it.
struct PictureFitLook {
    // The rectangle rounded to pixels, and its area.
    UINT left = 0, right = 0, top = 0, bottom = 0;
    size_t area = 0;
    // Clearly lit pixels inside, and the box they span.
    size_t lit = 0;
    UINT litLeft = 0, litRight = 0, litTop = 0, litBottom = 0;
    // Pixels that are not black more than a pixel beyond the rectangle.
    size_t outside = 0;

    bool RectangleFits(UINT width, UINT height) const
    {
        return left < right && right <= width && top < bottom && bottom <= height;
    }
    // The lit box reaches each edge of the rectangle, give or take `slack` pixels.
    bool ReachesTheEdges(UINT slack = 4) const
    {
        return litLeft <= left + slack && litRight + slack >= right && litTop <= top + slack &&
               litBottom + slack >= bottom;
    }
};

inline bool ClearlyLit(uint32_t pixel)
{
    for (int c = 0; c < 3; ++c)
        if (std::abs(int((pixel >> (8 * c)) & 0xFF)) > 16)
            return true;
    return false;
}

// (The underwater composite reaches a pixel past the rectangle: its quad is made a little larger
// than the camera's view, so that stretched it leaves no edge. So the bars are looked at from a
// pixel beyond.)
inline PictureFitLook LookAtPictureFit(const PixelImage& screen, const QuadTemplate& rect)
{
    PictureFitLook look;
    look.left = UINT(std::lround(std::max(0.0f, rect.Left())));
    look.right = UINT(std::lround(std::max(0.0f, rect.Right())));
    look.top = UINT(std::lround(std::max(0.0f, rect.Top())));
    look.bottom = UINT(std::lround(std::max(0.0f, rect.Bottom())));
    if (!look.RectangleFits(screen.width, screen.height))
        return look;
    look.area = size_t(look.right - look.left) * (look.bottom - look.top);
    look.litLeft = screen.width;
    look.litTop = screen.height;
    for (UINT y = 0; y < screen.height; ++y)
        for (UINT x = 0; x < screen.width; ++x) {
            const bool in = x >= look.left && x < look.right && y >= look.top && y < look.bottom;
            const bool beyond = x + 1 < look.left || x > look.right || y + 1 < look.top || y > look.bottom;
            if (beyond) {
                look.outside += screen.Rgb(x, y) != 0;
            } else if (in && ClearlyLit(screen.At(x, y))) {
                ++look.lit;
                look.litLeft = std::min(look.litLeft, x);
                look.litRight = std::max(look.litRight, x + 1);
                look.litTop = std::min(look.litTop, y);
                look.litBottom = std::max(look.litBottom, y + 1);
            }
        }
    return look;
}
