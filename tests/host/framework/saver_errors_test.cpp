#include <gtest/gtest.h>

#include <d3d9.h>

#include "host/framework/SaverErrors.h"

TEST(ErrorTable, EachCodeShowsItsMessage)
{
    struct Case {
        HRESULT code;
        UINT id;
    };
    const Case cases[] = {
        {E_FAIL, 2100},
        {static_cast<HRESULT>(0x82000001), 2101},
        {static_cast<HRESULT>(0x82000007), 2102},
        {static_cast<HRESULT>(0x8200000E), 2103},
        {static_cast<HRESULT>(0x82000003), 2104},
        {static_cast<HRESULT>(0x82000005), 2105},
        {static_cast<HRESULT>(0x82000006), 2106},
        {static_cast<HRESULT>(0x82000009), 2107},
        {static_cast<HRESULT>(0x8200000B), 2108},
        {static_cast<HRESULT>(0x8200000C), 2109},
        {E_OUTOFMEMORY, 2110},
        {D3DERR_OUTOFVIDEOMEMORY, 2111},
        {static_cast<HRESULT>(0x8200000F), 2112},
        // Codes without an entry show the generic message.
        {0, 2100},
        {static_cast<HRESULT>(0x8200000D), 2100},
        {static_cast<HRESULT>(0x12345678), 2100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorMessageId(c.code), c.id) << std::hex << c.code;
}

TEST(ErrorBox, FirstPlacement)
{
    struct Case {
        RECT bounds;
        bool preview;
        ErrorBox expected;
    };
    const Case cases[] = {
        {{0, 0, 1920, 1080}, false, {810, 465, 300, 150, 192, 54}},
        {{0, 0, 1024, 768}, false, {362, 309, 300, 150, 102.4f, 38.4f}},
        {{0, 0, 600, 400}, false, {150, 125, 300, 150, 60, 20}},
        {{0, 0, 320, 240}, true, {0, 0, 320, 240, 0, 0}},
    };
    for (const Case& c : cases) {
        ErrorBox box;
        PlaceErrorBox(box, c.bounds, c.preview);
        EXPECT_FLOAT_EQ(box.x, c.expected.x);
        EXPECT_FLOAT_EQ(box.y, c.expected.y);
        EXPECT_FLOAT_EQ(box.width, c.expected.width);
        EXPECT_FLOAT_EQ(box.height, c.expected.height);
        EXPECT_FLOAT_EQ(box.vx, c.expected.vx);
        EXPECT_FLOAT_EQ(box.vy, c.expected.vy);
    }
}

TEST(ErrorBox, StepsAndBouncesOffTheEdges)
{
    const RECT screen = {0, 0, 1920, 1080};
    struct Case {
        const char* name;
        float x, vx, dt;
        float expectedX, expectedVx;
    };
    const Case cases[] = {
        {"turns back at the right edge in the same turn", 1610, 192, 0.1f, 1590.8f, -192},
        {"already moving left over the right edge: no second turn", 1640, -192, 0.1f, 1620.8f, -192},
        {"turns back at the left edge", 5, -192, 0.1f, 24.2f, 192},
        {"plain move", 100, 192, 0.5f, 196, 192},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ErrorBox box{c.x, 465, 300, 150, c.vx, 0};
        StepErrorBox(box, screen, c.dt);
        EXPECT_NEAR(box.x, c.expectedX, 1e-3);
        EXPECT_FLOAT_EQ(box.vx, c.expectedVx);
    }
}

TEST(ErrorBox, BouncesOffTopAndBottomToo)
{
    const RECT screen = {0, 0, 1920, 1080};
    ErrorBox box{810, 925, 300, 150, 0, 54};
    StepErrorBox(box, screen, 0.2f);
    EXPECT_FLOAT_EQ(box.vy, -54);
    EXPECT_NEAR(box.y, 914.2f, 1e-3);
}

TEST(ErrorBox, RepaintsOnlyWhenThePixelEdgeChanges)
{
    const RECT screen = {0, 0, 1920, 1080};
    ErrorBox box{810, 465, 300, 150, 192, 54};
    EXPECT_FALSE(StepErrorBox(box, screen, 0));  // two turns in one millisecond
    EXPECT_FLOAT_EQ(box.x, 810);

    ErrorBox slow{810.1f, 465.1f, 300, 150, 1, 1};
    EXPECT_FALSE(StepErrorBox(slow, screen, 0.5f));  // 810.6: still pixel 810
    EXPECT_TRUE(StepErrorBox(slow, screen, 0.5f));   // 811.1
}

TEST(ErrorBox, TextIsCentredVertically)
{
    const RECT box = {810, 465, 1110, 615};
    EXPECT_EQ(CentredTextTop(box, 32), 524);
    const RECT odd = {0, 0, 300, 151};
    EXPECT_EQ(CentredTextTop(odd, 32), 59);
}
