// Screen points to view pixels through the current layout, and MediaRectangle::Contains on top
// of it: a letterboxed and a pillarboxed picture, a layout smaller than the back buffer, the
// inclusive edges and the state before any layout.
#include <gtest/gtest.h>

#include <ostream>

#include "document/params/MediaRectangle.h"
#include "scene/render/QuadTemplate.h"
#include "scene/render/ViewMetrics.h"
#include "scene/render/ViewportMap.h"

namespace {

// Keeps the process-wide layout of the other tests out of these and puts it back afterwards.
class ViewportMapTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = ViewMetrics; }
    void TearDown() override { ViewMetrics = saved_; }

    // The picture fitted into a layout of layoutW × layoutH, scaled to the back buffer, as the
    // picture lights lay it out.
    static void LayOut(uint32_t picW, uint32_t picH, int32_t layoutW, int32_t layoutH, uint32_t backW,
                       uint32_t backH)
    {
        QuadTemplate placed;
        FitQuadLetterbox(placed, picW, picH, layoutW, layoutH);
        ScaleQuad(placed, layoutW, layoutH, backW, backH);
        ComputeViewMetrics(ViewMetrics, placed, layoutW, layoutH, static_cast<int32_t>(picW),
                           static_cast<int32_t>(picH), backW, backH);
    }

    static MediaRectangle Rect(int left, int right, int top, int bottom)
    {
        MediaRectangle r;
        r.left.value = left;
        r.right.value = right;
        r.top.value = top;
        r.bottom.value = bottom;
        return r;
    }

private:
    ViewMetricsRecord saved_;
};

struct MapCase {
    const char* name;
    float x, y;   // screen point, layout units
    float px, py; // expected view pixels
    bool inside;  // within the whole picture, 0..Width × 0..Height
};

std::ostream& operator<<(std::ostream& os, const MapCase& c) { return os << c.name; }

// A 300 × 200 picture on a 1024 × 768 screen: it fills the width, 682.67 high, with bars of
// 42.67 above and below.
TEST_F(ViewportMapTest, LetterboxedPictureMapsItsCornersAndLeavesTheBarsOutside)
{
    LayOut(300, 200, 1024, 768, 1024, 768);
    const float top = ViewMetrics.screenQuad.Top();
    const float bottom = ViewMetrics.screenQuad.Bottom();
    ASSERT_NEAR(42.6667f, top, 1e-3f);

    const MapCase cases[] = {
        {"top-left corner", 0.0f, top, 0.0f, 0.0f, true},
        {"bottom-right corner", 1024.0f, bottom, 300.0f, 200.0f, true},
        {"centre", 512.0f, 384.0f, 150.0f, 100.0f, true},
        {"bar above", 512.0f, 20.0f, 150.0f, (20.0f - top) * 200.0f / (bottom - top), false},
        {"bar below", 512.0f, 750.0f, 150.0f, (750.0f - top) * 200.0f / (bottom - top), false},
    };
    const MediaRectangle picture = Rect(0, 300, 0, 200);
    for (const MapCase& c : cases) {
        float px = -1.0f, py = -1.0f;
        ASSERT_TRUE(ViewportMapToPixels(c.x, c.y, px, py)) << c;
        EXPECT_NEAR(c.px, px, 1e-3f) << c;
        EXPECT_NEAR(c.py, py, 1e-3f) << c;
        EXPECT_EQ(c.inside, picture.Contains(c.x, c.y)) << c;
    }
}

// A 100 × 200 picture in 800 × 600: 300 wide from x = 250, bars left and right.
TEST_F(ViewportMapTest, PillarboxedPictureStartsAfterTheLeftBar)
{
    LayOut(100, 200, 800, 600, 800, 600);
    const MediaRectangle picture = Rect(0, 100, 0, 200);
    float px = 0.0f, py = 0.0f;
    ASSERT_TRUE(ViewportMapToPixels(250.0f, 0.0f, px, py));
    EXPECT_FLOAT_EQ(0.0f, px);
    EXPECT_FLOAT_EQ(0.0f, py);
    EXPECT_TRUE(picture.Contains(250.0f, 0.0f));
    EXPECT_TRUE(picture.Contains(550.0f, 600.0f));
    EXPECT_FALSE(picture.Contains(249.0f, 300.0f));
    EXPECT_FALSE(picture.Contains(551.0f, 300.0f));
}

// The light lays out for 512 × 384 on a 1024 × 768 back buffer: points come in layout units
// and are scaled up before they meet the quad, which is in back-buffer pixels.
TEST_F(ViewportMapTest, LayoutSmallerThanTheBackBufferIsScaledFirst)
{
    LayOut(300, 200, 512, 384, 1024, 768);
    ASSERT_FLOAT_EQ(2.0f, ViewMetrics.scaleX);
    float px = 0.0f, py = 0.0f;
    ASSERT_TRUE(ViewportMapToPixels(256.0f, 192.0f, px, py));
    EXPECT_NEAR(150.0f, px, 1e-3f);
    EXPECT_NEAR(100.0f, py, 1e-3f);
    EXPECT_FALSE(Rect(0, 300, 0, 200).Contains(256.0f, 10.0f)); // the bar above, 20 back-buffer pixels down
}

// An exact fit of 800 × 600: an object rectangle is inside up to and including its edges.
TEST_F(ViewportMapTest, RectangleEdgesAreInside)
{
    LayOut(800, 600, 800, 600, 800, 600);
    const MediaRectangle whole = Rect(0, 800, 0, 600);
    EXPECT_TRUE(whole.Contains(800.0f, 600.0f));
    EXPECT_TRUE(whole.Contains(0.0f, 0.0f));
    EXPECT_FALSE(whole.Contains(800.01f, 0.0f));
    EXPECT_FALSE(whole.Contains(0.0f, -0.01f));

    const MediaRectangle part = Rect(100, 200, 50, 80);
    EXPECT_TRUE(part.Contains(100.0f, 80.0f));
    EXPECT_TRUE(part.Contains(200.0f, 50.0f));
    EXPECT_FALSE(part.Contains(99.5f, 60.0f));
    EXPECT_FALSE(part.Contains(150.0f, 80.5f));
}

// Before the first layout the quad has no size: nothing maps and no rectangle contains anything,
// not even one around the origin.
TEST_F(ViewportMapTest, BeforeAnyLayoutNothingMaps)
{
    ViewMetrics = ViewMetricsRecord();
    float px = 7.0f, py = 7.0f;
    EXPECT_FALSE(ViewportMapToPixels(0.0f, 0.0f, px, py));
    EXPECT_FALSE(Rect(-10, 10, -10, 10).Contains(0.0f, 0.0f));
}

} // namespace
