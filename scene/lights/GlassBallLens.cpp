#include "scene/lights/GlassBallLens.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double kSphereRadiusSquared = 16384.0; // 128²
constexpr double kSlopeScale = 16297.4658203125; // atan's ±π/2 → ±25600
constexpr int32_t kMaskRadiusSquared = 258064;   // 508²
constexpr float kQuarterPi = 0.785398163f;

// Height of the hemisphere over texel (a, b); 0 outside it.
double HemisphereHeight(int32_t a, int32_t b)
{
    const double dx = a - 128, dy = b - 128;
    const double d2 = dx * dx + dy * dy;
    return d2 <= kSphereRadiusSquared ? std::sqrt(kSphereRadiusSquared - d2) : 0.0;
}

uint16_t Slope(double difference)
{
    return static_cast<uint16_t>(static_cast<int16_t>(static_cast<int32_t>(std::atan(difference) * kSlopeScale)));
}

// width / height, or `fallback` for a picture of zero size.
float AspectOr(uint32_t width, uint32_t height, float fallback)
{
    if (width == 0 || height == 0)
        return fallback;
    return static_cast<float>(width) / static_cast<float>(height);
}

} // namespace

float Frac(float x)
{
    return x - std::floor(x);
}

uint32_t SphereBumpTexel(uint32_t x, uint32_t y)
{
    const int32_t ix = static_cast<int32_t>(x), iy = static_cast<int32_t>(y);
    const double h0 = HemisphereHeight(ix, iy);
    double h1 = HemisphereHeight(ix + 1, iy);
    double h2 = HemisphereHeight(ix, iy + 1);
    if (x == kSphereBumpSide - 1)
        h1 = h2 = h0;
    const uint32_t u = Slope(h0 - h1);
    const uint32_t v = Slope(h0 - h2);
    return (v << 16) | u;
}

void FillSphereBump(uint8_t* rows, int32_t pitch)
{
    for (uint32_t y = 0; y < kSphereBumpSide; ++y) {
        uint8_t* row = rows + static_cast<ptrdiff_t>(y) * pitch;
        for (uint32_t x = 0; x < kSphereBumpSide; ++x) {
            const uint32_t texel = SphereBumpTexel(x, y);
            std::memcpy(row + 4 * x, &texel, 4);
        }
    }
}

uint8_t CircleMaskTexel(uint32_t column, uint32_t row)
{
    const int32_t dx = static_cast<int32_t>(column) - 512, dy = static_cast<int32_t>(row) - 512;
    return dx * dx + dy * dy <= kMaskRadiusSquared ? 0 : 255;
}

void FillCircleMask(uint8_t* rows, int32_t pitch)
{
    for (uint32_t r = 0; r < kCircleMaskSide; ++r) {
        uint8_t* row = rows + static_cast<ptrdiff_t>(r) * pitch;
        for (uint32_t c = 0; c < kCircleMaskSide; ++c)
            row[c] = CircleMaskTexel(c, r);
    }
}

void FillCircleMaskArgb(uint8_t* rows, int32_t pitch)
{
    for (uint32_t r = 0; r < kCircleMaskSide; ++r) {
        uint32_t* row = reinterpret_cast<uint32_t*>(rows + static_cast<ptrdiff_t>(r) * pitch);
        for (uint32_t c = 0; c < kCircleMaskSide; ++c)
            row[c] = uint32_t{CircleMaskTexel(c, r)} << 24;
    }
}

uint32_t GradientRowColour(uint32_t y, uint32_t top, uint32_t bottom)
{
    const double t = y / 255.0;
    auto channel = [&](int shift) {
        const int32_t from = static_cast<int32_t>((top >> shift) & 0xFF);
        const int32_t to = static_cast<int32_t>((bottom >> shift) & 0xFF);
        return static_cast<uint32_t>(static_cast<int32_t>(from + t * (to - from)));
    };
    // COLORREF holds red in byte 0; the texel holds it in byte 2.
    return (channel(0) << 16) | (channel(8) << 8) | channel(16);
}

void FillGradient(uint8_t* rows, int32_t pitch, uint32_t top, uint32_t bottom)
{
    for (uint32_t y = 0; y < kGradientSide; ++y) {
        const uint32_t colour = GradientRowColour(y, top, bottom);
        uint8_t* row = rows + static_cast<ptrdiff_t>(y) * pitch;
        for (uint32_t x = 0; x < kGradientSide; ++x)
            std::memcpy(row + 4 * x, &colour, 4);
    }
}

const DX_V::PTT kLensQuadVertices[4] = {
    {-256.0f, -256.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f},
    {-256.0f, 256.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {256.0f, -256.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f},
    {256.0f, 256.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f},
};

const DX_V::PTT kStandQuadVertices[4] = {
    {-230.4f, -372.19293f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f},
    {-230.4f, -185.61412f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {232.9f, -372.19293f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f},
    {232.9f, -185.61412f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f},
};

LensParams ComputeLensParams(uint32_t ballSize, uint32_t zoom, float coverY)
{
    const double s = static_cast<double>(ballSize);
    const double r = static_cast<double>(zoom);
    LensParams p;
    const float distance = static_cast<float>(-600.0 / (0.25 + 0.75 * s / 100.0));
    p.lensDistance = distance / coverY;
    const float b = static_cast<float>((1.105 * s * coverY / 100.0 + 0.385) * 1.05);
    p.lensScale = b * static_cast<float>(1.0 + r / 100.0);
    p.swingAmplitude = static_cast<float>(0.125 + 0.125 * r / 100.0);
    return p;
}

LensProjection ComputeLensProjection(const LensProjectionInput& in)
{
    LensProjection out;
    const float layoutAspect = AspectOr(in.layoutWidth, in.layoutHeight, 1.0f);

    // The lens square's place: the ball's offset at the lens's depth.
    const float f = -in.lens.lensDistance / 600.0f;
    float tx = in.ballX * f;
    float ty = in.ballY * f;
    if (in.glassMode == 1) {
        ty = ty * in.coverY;
        tx = tx * layoutAspect * in.coverX;
    }

    float scale = in.coverY, uOffset = 0.0f, vOffset = 0.0f;
    if (in.lensPass) {
        scale = in.lens.lensScale;
        const float a = in.lens.swingAmplitude * in.swing;
        const float c = 1.5f - static_cast<float>(in.zoom) * 0.02f * 0.5f;
        // Whole picture widths per height; a portrait or empty picture counts as one.
        uint32_t q = in.pictureHeight ? in.pictureWidth / in.pictureHeight : 1;
        if (q == 0)
            q = 1;
        const float wb = in.backWidth ? static_cast<float>(in.backWidth) : 1.0f;
        const float hb = in.backHeight ? static_cast<float>(in.backHeight) : 1.0f;
        uOffset = a - (c * tx / wb) / static_cast<float>(q);
        vOffset = c * ty / hb;
    }

    D3DXMatrixTranslation(&out.world, tx, ty, 0.0f);
    const D3DXVECTOR3 eye(0.0f, 0.0f, in.lens.lensDistance), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&out.view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&out.projection, kQuarterPi, layoutAspect, 1.0f, 3000.0f);

    // The aspect of the picture that is projected.
    const float pictureAspect = AspectOr(in.pictureWidth, in.pictureHeight, layoutAspect);
    float aspect = pictureAspect;
    if (!in.lensPass && in.glassMode != 0)
        aspect = in.backdropStretch ? layoutAspect : AspectOr(in.backdropWidth, in.backdropHeight, layoutAspect);
    D3DXMATRIX p;
    D3DXMatrixPerspectiveFovLH(&p, kQuarterPi, aspect, 1.0f, 3000.0f);

    // The picture as seen from depth dist × scale instead of the lens's own depth.
    const float dist = std::sqrt(out.view._41 * out.view._41 + out.view._42 * out.view._42 +
                                 out.view._43 * out.view._43);
    const float depth = dist * scale;
    const float w = p._33 * depth + p._34;

    out.texture = D3DXMATRIX(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    out.texture._11 = 0.5f * p._11 / w;
    out.texture._22 = -0.5f * p._22 / w;
    out.texture._41 = Frac(uOffset) + 0.5f;
    out.texture._42 = vOffset + 0.5f;
    out.texture._33 = 1.0f;
    out.texture._44 = 1.0f;
    return out;
}
