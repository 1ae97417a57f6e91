// The picture camera maps picture pixels onto the fitted (or stretched) picture on the back
// buffer, y downwards; ViewMetrics records the layout's scale factors and the picture size.
#include <gtest/gtest.h>

#include <cstdint>

#include "scene/render/SceneTransforms.h"
#include "scene/render/ViewMetrics.h"

namespace {

struct ScreenPoint {
    double x, y;
};

// A picture pixel through picture world, view and projection, then the viewport of a
// backWidth × backHeight back buffer.
ScreenPoint Project(const SceneTransformsRecord& t, float px, float py, uint32_t backWidth, uint32_t backHeight)
{
    D3DXMATRIX m;
    D3DXMatrixMultiply(&m, &t.pictureWorld, &t.view);
    D3DXMatrixMultiply(&m, &m, &t.projection);
    const D3DXVECTOR3 in(px, py, 0.0f);
    D3DXVECTOR3 ndc;
    D3DXVec3TransformCoord(&ndc, &in, &m);
    return {(ndc.x + 1.0) * 0.5 * backWidth, (1.0 - ndc.y) * 0.5 * backHeight};
}

struct CameraCase {
    const char* name;
    uint32_t backWidth, backHeight;
    float layoutWidth, layoutHeight;
    uint32_t pictureWidth, pictureHeight;
    bool stretch;
    // The world's scale and translation.
    double scaleX, scaleY, moveX, moveY;
    // Where the picture's top-left and bottom-right corners land, in back-buffer pixels.
    ScreenPoint topLeft, bottomRight;
};

void PrintTo(const CameraCase& c, std::ostream* os) { *os << c.name; }

class PictureCameraTest : public ::testing::TestWithParam<CameraCase> {};

TEST_P(PictureCameraTest, PictureCornersLandOnTheFittedRectangle)
{
    const CameraCase& c = GetParam();
    QuadTemplate q;
    if (c.stretch) {
        MakeSizedQuad(q, static_cast<int32_t>(c.backWidth), static_cast<int32_t>(c.backHeight));
    } else {
        FitQuadLetterbox(q, c.pictureWidth, c.pictureHeight, static_cast<int32_t>(c.layoutWidth),
                         static_cast<int32_t>(c.layoutHeight));
        ScaleQuad(q, static_cast<int32_t>(c.layoutWidth), static_cast<int32_t>(c.layoutHeight), c.backWidth,
                  c.backHeight);
    }
    SceneTransformsRecord t = InitSceneTransforms();
    ComputePictureCamera(t, c.layoutWidth, c.layoutHeight, q, c.pictureWidth, c.pictureHeight, c.stretch,
                         c.backWidth, c.backHeight);

    EXPECT_NEAR(c.scaleX, t.pictureWorld._11, 1e-5);
    EXPECT_NEAR(c.scaleY, t.pictureWorld._22, 1e-5);
    EXPECT_NEAR(c.moveX, t.pictureWorld._41, 1e-3);
    EXPECT_NEAR(c.moveY, t.pictureWorld._42, 1e-3);

    // A picture of size 0 is placed as an 800 × 600 one.
    const float picW = c.pictureWidth ? static_cast<float>(c.pictureWidth) : 800.0f;
    const float picH = c.pictureHeight ? static_cast<float>(c.pictureHeight) : 600.0f;
    const ScreenPoint tl = Project(t, 0, 0, c.backWidth, c.backHeight);
    const ScreenPoint br = Project(t, picW, picH, c.backWidth, c.backHeight);
    EXPECT_NEAR(c.topLeft.x, tl.x, 1e-2);
    EXPECT_NEAR(c.topLeft.y, tl.y, 1e-2);
    EXPECT_NEAR(c.bottomRight.x, br.x, 1e-2);
    EXPECT_NEAR(c.bottomRight.y, br.y, 1e-2);

    // y grows downwards: the picture's bottom row lands below its top row.
    const ScreenPoint bl = Project(t, 0, picH, c.backWidth, c.backHeight);
    EXPECT_GT(bl.y, tl.y);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, PictureCameraTest,
    ::testing::Values(
        CameraCase{"fills", 1024, 768, 1024, 768, 800, 600, false, 1.28, 1.28, 0, 0, {0, 0}, {1024, 768}},
        CameraCase{"pillarbox", 1280, 720, 1280, 720, 800, 600, false, 1.2, 1.2, 160, 0, {160, 0}, {1120, 720}},
        CameraCase{"letterbox", 1024, 768, 1024, 768, 1000, 400, false, 1.024, 1.024, 0, 179.2, {0, 179.2},
                   {1024, 588.8}},
        CameraCase{"stretched", 1280, 720, 1280, 720, 800, 600, true, 1.6, 1.2, 0, 0, {0, 0}, {1280, 720}},
        CameraCase{"stretchedTall", 256, 192, 256, 192, 64, 128, true, 4.0, 1.5, 0, 0, {0, 0}, {256, 192}},
        // Layout in half the back buffer's units: the projection spans the layout, which the
        // viewport then stretches over the back buffer.
        CameraCase{"halfLayout", 1280, 960, 640, 480, 800, 600, false, 0.8, 0.8, 0, 0, {0, 0}, {1280, 960}},
        CameraCase{"zeroPicture", 1024, 768, 1024, 768, 0, 0, false, 1.28, 1.28, 0, 0, {0, 0}, {1024, 768}}));

TEST(PictureCameraTest, RebuildsIdentityViewAndProjection)
{
    QuadTemplate q;
    FitQuadLetterbox(q, 800, 600, 1280, 720);
    SceneTransformsRecord t = InitSceneTransforms();
    t.identity._11 = 5.0f;
    ComputePictureCamera(t, 1280, 720, q, 800, 600, false, 1280, 720);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_TRUE(t.identity == identity);
    // The eye sits one unit in front of the picture plane, looking along +z.
    EXPECT_FLOAT_EQ(1.0f, t.view._43);
    EXPECT_FLOAT_EQ(1.0f, t.view._11);
    EXPECT_FLOAT_EQ(1.0f, t.view._22);
    // Orthographic over 0..1280 by 720..0.
    EXPECT_FLOAT_EQ(2.0f / 1280.0f, t.projection._11);
    EXPECT_FLOAT_EQ(-2.0f / 720.0f, t.projection._22);
}

// The process-wide records start as these initial values; other tests lay lights out and change
// the records themselves, so the initial values are checked where they are made.
TEST(PictureCameraTest, TransformsStartAsIdentity)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    const SceneTransformsRecord initial = InitSceneTransforms();
    EXPECT_TRUE(initial.pictureWorld == identity);
    EXPECT_TRUE(initial.identity == identity);
    EXPECT_TRUE(initial.view == identity);
    EXPECT_TRUE(initial.projection == identity);
}

TEST(ViewMetricsTest, StartsWithTheInitialTemplate)
{
    const QuadTemplate initial = InitialQuadTemplate();
    const ViewMetricsRecord metrics;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(initial.v[i].x, metrics.screenQuad.v[i].x);
        EXPECT_EQ(initial.v[i].y, metrics.screenQuad.v[i].y);
        EXPECT_EQ(initial.v[i].z, metrics.screenQuad.v[i].z);
        EXPECT_EQ(initial.v[i].u, metrics.screenQuad.v[i].u);
        EXPECT_EQ(initial.v[i].v, metrics.screenQuad.v[i].v);
    }
    EXPECT_EQ(1.0f, metrics.aspectCorrection);
    EXPECT_EQ(0, metrics.Width);
    EXPECT_EQ(0, metrics.Height);
}

TEST(ViewMetricsTest, LayoutOfTheBackBufferSizeHasUnitFactors)
{
    QuadTemplate q;
    FitQuadLetterbox(q, 800, 600, 1280, 720);
    ViewMetricsRecord m;
    ComputeViewMetrics(m, q, 1280, 720, 800, 600, 1280, 720);
    EXPECT_EQ(1.0f, m.aspectCorrection);
    EXPECT_EQ(1.0f, m.scaleX);
    EXPECT_EQ(1.0f, m.scaleY);
    EXPECT_EQ(800, m.Width);
    EXPECT_EQ(600, m.Height);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(q.v[i].x, m.screenQuad.v[i].x);
        EXPECT_EQ(q.v[i].y, m.screenQuad.v[i].y);
    }
}

TEST(ViewMetricsTest, FactorsRelateLayoutToBackBuffer)
{
    QuadTemplate q;
    MakeSizedQuad(q, 1280, 720);
    ViewMetricsRecord m;
    ComputeViewMetrics(m, q, 640, 480, 300, 200, 1280, 720);
    EXPECT_FLOAT_EQ(0.75f, m.aspectCorrection); // (640 / 480) / (1280 / 720)
    EXPECT_FLOAT_EQ(2.0f, m.scaleX);
    EXPECT_FLOAT_EQ(1.5f, m.scaleY);
}

TEST(ViewMetricsTest, ZeroSizesGiveFiniteValues)
{
    QuadTemplate q;
    MakeSizedQuad(q, 1024, 768);
    ViewMetricsRecord m;
    ComputeViewMetrics(m, q, 1024, 768, 0, 0, 0, 0);
    EXPECT_EQ(1.0f, m.aspectCorrection);
    EXPECT_EQ(1.0f, m.scaleX);
    EXPECT_EQ(800, m.Width);
    EXPECT_EQ(600, m.Height);
}

} // namespace
