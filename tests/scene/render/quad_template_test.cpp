// Quad templates: sizes, the letterbox and pillarbox fit, scaling to the back buffer and the
// black bars around a fitted picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <ostream>

#include "document/TextureInfo.h"
#include "scene/render/QuadTemplate.h"

namespace {

// The fixed parts: z 1 and (u, v) of bottom-left, top-left, bottom-right, top-right.
void ExpectFixedParts(const QuadTemplate& q)
{
    const float uv[4][2] = {{0, 1}, {0, 0}, {1, 1}, {1, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(1.0f, q.v[i].z) << "vertex " << i;
        EXPECT_EQ(uv[i][0], q.v[i].u) << "vertex " << i;
        EXPECT_EQ(uv[i][1], q.v[i].v) << "vertex " << i;
    }
}

void ExpectCorners(const QuadTemplate& q, double x0, double y0, double x1, double y1, double tolerance = 1e-4)
{
    EXPECT_NEAR(x0, q.v[QuadTemplate::BottomLeft].x, tolerance);
    EXPECT_NEAR(y1, q.v[QuadTemplate::BottomLeft].y, tolerance);
    EXPECT_NEAR(x0, q.v[QuadTemplate::TopLeft].x, tolerance);
    EXPECT_NEAR(y0, q.v[QuadTemplate::TopLeft].y, tolerance);
    EXPECT_NEAR(x1, q.v[QuadTemplate::BottomRight].x, tolerance);
    EXPECT_NEAR(y1, q.v[QuadTemplate::BottomRight].y, tolerance);
    EXPECT_NEAR(x1, q.v[QuadTemplate::TopRight].x, tolerance);
    EXPECT_NEAR(y0, q.v[QuadTemplate::TopRight].y, tolerance);
}

TEST(QuadTemplateTest, InitialTemplateHasZeroPositionsAndFixedParts)
{
    QuadTemplate q;
    MakeSizedQuad(q, 5, 5);
    InitQuadTemplate(q);
    ExpectCorners(q, 0, 0, 0, 0, 0);
    ExpectFixedParts(q);
}

TEST(QuadTemplateTest, SizedQuadRunsFromOriginToSize)
{
    QuadTemplate q;
    MakeSizedQuad(q, 10, 20);
    ExpectCorners(q, 0, 0, 10, 20, 0);
    ExpectFixedParts(q);
}

struct FitCase {
    uint32_t pictureWidth, pictureHeight;
    int32_t areaWidth, areaHeight;
    double x0, y0, x1, y1;
};

void PrintTo(const FitCase& c, std::ostream* os)
{
    *os << c.pictureWidth << "x" << c.pictureHeight << " in " << c.areaWidth << "x" << c.areaHeight;
}

class FitQuadLetterboxTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitQuadLetterboxTest, LargestCentredRectangleOfThePicturesAspect)
{
    const FitCase& c = GetParam();
    QuadTemplate q;
    FitQuadLetterbox(q, c.pictureWidth, c.pictureHeight, c.areaWidth, c.areaHeight);
    ExpectCorners(q, c.x0, c.y0, c.x1, c.y1);
    ExpectFixedParts(q);
    for (const QuadVertex& v : q.v) {
        EXPECT_TRUE(std::isfinite(v.x));
        EXPECT_TRUE(std::isfinite(v.y));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fits, FitQuadLetterboxTest,
    ::testing::Values(
        // Relatively wider than the area: full width, bars above and below.
        FitCase{300, 200, 1024, 768, 0, 42.666667, 1024, 725.333333},
        FitCase{1000, 400, 1024, 768, 0, 179.2, 1024, 588.8},
        FitCase{128, 32, 256, 192, 0, 64, 256, 128},
        // Relatively taller: full height, bars left and right.
        FitCase{100, 200, 800, 600, 250, 0, 550, 600},
        FitCase{1600, 1200, 1920, 1080, 240, 0, 1680, 1080},
        FitCase{800, 600, 1280, 720, 160, 0, 1120, 720},
        FitCase{64, 128, 256, 192, 80, 0, 176, 192},
        // The same aspect as the area: fills it exactly, through the full-width branch.
        FitCase{800, 600, 1024, 768, 0, 0, 1024, 768},
        // A picture that failed to load (a size of 0) is laid out as 800 × 600.
        FitCase{0, 0, 1024, 768, 0, 0, 1024, 768},
        FitCase{0, 300, 1280, 720, 160, 0, 1120, 720},
        FitCase{640, 0, 1280, 720, 160, 0, 1120, 720}));

// Every light mode lays its picture out with FitOrStretchQuad: each picture aspect below, once
// letterboxed and once stretched. Stretched, the rectangle is the whole area whatever the picture.
struct FitOrStretchCase {
    const char* aspect;
    uint32_t pictureWidth, pictureHeight;
    int32_t areaWidth, areaHeight;
    double x0, y0, x1, y1; // the letterbox
};

const FitOrStretchCase kFitOrStretchCases[] = {
    {"wider than the area", 64, 32, 256, 192, 0, 32, 256, 160},
    {"wider than the area", 300, 200, 1024, 768, 0, 42.666667, 1024, 725.333333},
    {"taller than the area", 1600, 1200, 1920, 1080, 240, 0, 1680, 1080},
    {"taller than the area", 64, 128, 256, 192, 80, 0, 176, 192},
    {"the area's own", 800, 600, 1024, 768, 0, 0, 1024, 768},
    {"failed to load, 800 x 600", 0, 0, 1024, 768, 0, 0, 1024, 768},
    {"failed to load, 800 x 600", 0, 300, 1280, 720, 160, 0, 1120, 720},
};

TEST(FitOrStretchQuadTest, LetterboxesOrFillsTheAreaForEveryAspect)
{
    for (const bool stretch : {false, true})
        for (const FitOrStretchCase& c : kFitOrStretchCases) {
            SCOPED_TRACE(testing::Message() << c.pictureWidth << "x" << c.pictureHeight << " (" << c.aspect << ") in "
                                            << c.areaWidth << "x" << c.areaHeight
                                            << (stretch ? " stretched" : " letterboxed"));
            const QuadTemplate q =
                FitOrStretchQuad(stretch, c.pictureWidth, c.pictureHeight, c.areaWidth, c.areaHeight);
            if (stretch)
                ExpectCorners(q, 0, 0, c.areaWidth, c.areaHeight, 0);
            else
                ExpectCorners(q, c.x0, c.y0, c.x1, c.y1);
            ExpectFixedParts(q);
        }
}

TEST(FitOrStretchQuadTest, ZeroAreaGivesAnEmptyQuadEitherWay)
{
    for (const bool stretch : {false, true}) {
        SCOPED_TRACE(stretch ? "stretched" : "letterboxed");
        ExpectCorners(FitOrStretchQuad(stretch, 300, 200, 0, 0), 0, 0, 0, 0, 0);
    }
}

TEST(QuadTemplateTest, ExactFitTouchesTheTopEdgeExactly)
{
    // The camera tells the two fits apart by an exact 0.0 at the top.
    QuadTemplate q;
    FitQuadLetterbox(q, 800, 600, 1024, 768);
    EXPECT_EQ(0.0f, q.Top());
    EXPECT_EQ(0.0f, q.Left());
}

TEST(QuadTemplateTest, FitFromTextureInfoUsesTheImageSize)
{
    TextureInfo info;
    info.width = 100;
    info.height = 200;
    QuadTemplate q;
    FitQuadLetterbox(q, info, 800, 600);
    ExpectCorners(q, 250, 0, 550, 600);
}

TEST(QuadTemplateTest, ZeroAreaGivesAnEmptyQuad)
{
    QuadTemplate q;
    FitQuadLetterbox(q, 300, 200, 0, 768);
    ExpectCorners(q, 0, 0, 0, 0, 0);
}

TEST(QuadTemplateTest, ScaleToBackBufferScalesXAndYSeparately)
{
    QuadTemplate q;
    MakeSizedQuad(q, 512, 384);
    ScaleQuad(q, 512, 384, 1024, 768);
    ExpectCorners(q, 0, 0, 1024, 768, 0);
    ExpectFixedParts(q);

    SetQuadCorners(q, 10, 20, 30, 40);
    ScaleQuad(q, 100, 100, 200, 50);
    ExpectCorners(q, 20, 10, 60, 20, 0);
}

TEST(QuadTemplateTest, ScaleWithZeroReferenceLeavesTheQuad)
{
    QuadTemplate q;
    MakeSizedQuad(q, 512, 384);
    ScaleQuad(q, 0, 384, 1024, 768);
    ExpectCorners(q, 0, 0, 512, 384, 0);
}

void ExpectRect(const ScreenRect& r, double x0, double y0, double x1, double y1)
{
    EXPECT_NEAR(x0, r.x0, 1e-4);
    EXPECT_NEAR(y0, r.y0, 1e-4);
    EXPECT_NEAR(x1, r.x1, 1e-4);
    EXPECT_NEAR(y1, r.y1, 1e-4);
}

TEST(LetterboxBarsTest, PillarboxBarsReachOnePixelIntoThePicture)
{
    QuadTemplate q;
    FitQuadLetterbox(q, 1600, 1200, 1920, 1080);
    const LetterboxBars bars = MakeLetterboxBars(q);
    ExpectRect(bars.bar[0], 0, 0, 241, 1080);
    ExpectRect(bars.bar[1], 1680, 0, 1921, 1080);
    ExpectRect(bars.bar[2], 0, 0, 1440, 1);
    ExpectRect(bars.bar[3], 0, 1080, 1440, 1081);
}

TEST(LetterboxBarsTest, LetterboxBarsTruncateTheFractionalEdges)
{
    QuadTemplate q;
    FitQuadLetterbox(q, 300, 200, 1024, 768); // y 42.67 to 725.33
    const LetterboxBars bars = MakeLetterboxBars(q);
    ExpectRect(bars.bar[0], 0, 0, 1, 682);
    ExpectRect(bars.bar[1], 1024, 0, 1025, 682);
    ExpectRect(bars.bar[2], 0, 0, 1024, 43);
    ExpectRect(bars.bar[3], 0, 725.333333, 1024, 768.333333);
}

// Every pixel centre of the area (at whole coordinates, as Direct3D 9 samples) lies in the picture
// or under a bar: nothing is left uncovered.
struct AreaCase {
    uint32_t pictureWidth, pictureHeight;
    int32_t areaWidth, areaHeight;
};

void PrintTo(const AreaCase& c, std::ostream* os)
{
    *os << c.pictureWidth << "x" << c.pictureHeight << " in " << c.areaWidth << "x" << c.areaHeight;
}

class LetterboxCoverageTest : public ::testing::TestWithParam<AreaCase> {};

TEST_P(LetterboxCoverageTest, PictureAndBarsCoverTheWholeArea)
{
    const AreaCase& c = GetParam();
    QuadTemplate q;
    FitQuadLetterbox(q, c.pictureWidth, c.pictureHeight, c.areaWidth, c.areaHeight);
    const LetterboxBars bars = MakeLetterboxBars(q);
    auto inside = [](float x0, float y0, float x1, float y1, float px, float py) {
        return px >= x0 && px < x1 && py >= y0 && py < y1;
    };
    int uncovered = 0;
    for (int y = 0; y < c.areaHeight; ++y) {
        for (int x = 0; x < c.areaWidth; ++x) {
            const float px = static_cast<float>(x), py = static_cast<float>(y);
            bool covered = inside(q.Left(), q.Top(), q.Right(), q.Bottom(), px, py);
            for (const ScreenRect& r : bars.bar)
                covered = covered || inside(r.x0, r.y0, r.x1, r.y1, px, py);
            if (!covered)
                ++uncovered;
        }
    }
    EXPECT_EQ(0, uncovered);
}

INSTANTIATE_TEST_SUITE_P(Fits, LetterboxCoverageTest,
                         ::testing::Values(AreaCase{300, 200, 1024, 768}, AreaCase{100, 200, 800, 600},
                                           AreaCase{1600, 1200, 1920, 1080}, AreaCase{1000, 400, 1024, 768},
                                           AreaCase{333, 1000, 640, 480}, AreaCase{1000, 333, 640, 480},
                                           AreaCase{800, 600, 1024, 768}));

} // namespace

namespace {

TEST(QuadTemplateTest, FitToPictureUsesTheAnimationsSize)
{
    struct Animation {
        uint32_t width, height;
    } animation{1600, 1200};
    QuadTemplate q;
    FitQuadToPicture(animation, q, 1920, 1080);
    ExpectCorners(q, 240, 0, 1680, 1080);
}

} // namespace
