#include "document/params/MediaRectangle.h"
#include "Recorder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Stands in for the document archive: ReadInt hands out queued values, WriteInt records.
struct IntArchive {
    std::vector<int> toRead;
    std::size_t next = 0;
    std::vector<int> written;

    void ReadInt(int* target) { *target = toRead.at(next++); }
    void WriteInt(const int* v) { written.push_back(*v); }
};

MediaRectangle Rect(int left, int right, int top, int bottom)
{
    MediaRectangle r;
    r.left.value = left;
    r.right.value = right;
    r.top.value = top;
    r.bottom.value = bottom;
    return r;
}

// A picture quad spanning (x0, y0) to (x1, y1) in the vertex order bottom-left, top-left,
// bottom-right, top-right.
void MakeQuad(float quad[20], float x0, float y0, float x1, float y1)
{
    const float corners[4][2] = {{x0, y1}, {x0, y0}, {x1, y1}, {x1, y0}};
    const float uv[4][2] = {{0, 1}, {0, 0}, {1, 1}, {1, 0}};
    for (int i = 0; i < 4; ++i) {
        float* v = quad + 5 * i;
        v[0] = corners[i][0];
        v[1] = corners[i][1];
        v[2] = 1.0f;
        v[3] = uv[i][0];
        v[4] = uv[i][1];
    }
}

}  // namespace

TEST(MediaRectangle, ReadsAndWritesSixIntsInFieldOrderWithoutNotifying)
{
    std::vector<std::string> log;
    MediaRectangle r;
    Recorder<int> onLeft("left", log, &r.left);
    Recorder<int> onBottom("bottom", log, &r.bottom);

    IntArchive in;
    in.toRead = {1, 2, 3, 4, -5, 6};
    r.Read(in);

    EXPECT_EQ(r.left.value, 1);
    EXPECT_EQ(r.right.value, 2);
    EXPECT_EQ(r.top.value, 3);
    EXPECT_EQ(r.bottom.value, 4);
    EXPECT_EQ(r.extra1.value, -5);
    EXPECT_EQ(r.extra2.value, 6);
    EXPECT_TRUE(log.empty());

    IntArchive out;
    r.Write(out);
    EXPECT_EQ(out.written, (std::vector<int>{1, 2, 3, 4, -5, 6}));
}

TEST(MediaRectangle, StartsAtZero)
{
    MediaRectangle r;
    IntArchive out;
    r.Write(out);
    EXPECT_EQ(out.written, std::vector<int>(6, 0));
}

TEST(MediaRectangle, CopyTakesTheSixValuesAndFreshListeners)
{
    std::vector<std::string> log;
    MediaRectangle original = Rect(10, 20, 30, 40);
    original.extra1.value = 5;
    original.extra2.value = 6;
    Recorder<int> onLeft("left", log, &original.left);
    Recorder<int> onExtra("extra1", log, &original.extra1);
    original.left.UndoControl().SaveState();

    MediaRectangle copy(original);
    IntArchive out;
    copy.Write(out);
    EXPECT_EQ(out.written, (std::vector<int>{10, 20, 30, 40, 5, 6}));
    EXPECT_EQ(copy.left.Controls().size(), 1u);
    EXPECT_TRUE(copy.left.UndoControl().History().empty());
    EXPECT_TRUE(copy.extra1.Controls().empty());

    copy.left.SetValue(11, nullptr);
    copy.extra1.SetValue(7, nullptr);
    EXPECT_TRUE(log.empty());

    MediaRectangle assigned;
    assigned = original;
    EXPECT_EQ(assigned.bottom.value, 40);
    EXPECT_EQ(assigned.extra2.value, 6);
    EXPECT_EQ(assigned.left.Controls().size(), 1u);
    EXPECT_TRUE(log.empty());
}

TEST(MediaRectangle, ContainsPixelIncludesEveryEdge)
{
    const MediaRectangle r = Rect(0, 800, 0, 600);
    struct Case {
        float x, y;
        bool inside;
    };
    const Case cases[] = {
        {0.0f, 0.0f, true},      {800.0f, 600.0f, true},  {800.0f, 0.0f, true},  {400.0f, 300.0f, true},
        {800.01f, 0.0f, false},  {-0.01f, 10.0f, false},  {10.0f, 600.01f, false}, {10.0f, -0.5f, false},
        {std::nanf(""), 1.0f, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(r.ContainsPixel(c.x, c.y), c.inside) << c.x << ", " << c.y;
}

TEST(MapScreenToViewPixels, StretchesThePictureQuadToThePictureSize)
{
    struct Case {
        float x, y;        // screen point
        float px, py;      // view pixels
    };
    // The picture sits at (100, 50)-(500, 350) on a screen laid out at twice the layout size,
    // and is 800 x 600 pixels.
    float quad[20];
    MakeQuad(quad, 100.0f, 50.0f, 500.0f, 350.0f);
    const Case cases[] = {{50.0f, 25.0f, 0.0f, 0.0f}, {250.0f, 175.0f, 800.0f, 600.0f}, {150.0f, 100.0f, 400.0f, 300.0f}};
    for (const Case& c : cases) {
        float px = -1, py = -1;
        ASSERT_TRUE(MapScreenToViewPixels(c.x, c.y, 2.0f, 2.0f, quad, 800, 600, px, py));
        EXPECT_FLOAT_EQ(px, c.px);
        EXPECT_FLOAT_EQ(py, c.py);
    }
}

TEST(MapScreenToViewPixels, AQuadWithoutWidthOrHeightMapsNothing)
{
    float quad[20];
    MakeQuad(quad, 0.0f, 0.0f, 0.0f, 0.0f);
    float px = -1, py = -1;
    EXPECT_FALSE(MapScreenToViewPixels(1.0f, 1.0f, 1.0f, 1.0f, quad, 800, 600, px, py));
    MakeQuad(quad, 0.0f, 0.0f, 800.0f, 0.0f);
    EXPECT_FALSE(MapScreenToViewPixels(1.0f, 1.0f, 1.0f, 1.0f, quad, 800, 600, px, py));
    EXPECT_EQ(px, -1.0f);
}

TEST(MapScreenToViewPixels, PointsOnThePictureEdgeAreInsideTheFullRectangle)
{
    float quad[20];
    MakeQuad(quad, 0.0f, 0.0f, 800.0f, 600.0f);
    const MediaRectangle r = Rect(0, 800, 0, 600);
    float px, py;
    ASSERT_TRUE(MapScreenToViewPixels(800.0f, 600.0f, 1.0f, 1.0f, quad, 800, 600, px, py));
    EXPECT_TRUE(r.ContainsPixel(px, py));
    ASSERT_TRUE(MapScreenToViewPixels(800.01f, 0.0f, 1.0f, 1.0f, quad, 800, 600, px, py));
    EXPECT_FALSE(r.ContainsPixel(px, py));
}
