// The glyph rain's simulation, with scripted random numbers: a script that runs dry, or is left
// with numbers, fails the test, so every draw is checked in number and order.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <ostream>

#include "scene/lights/GlyphGrid.h"

namespace {

using namespace GlyphCell;

// The random numbers a test expects to be drawn, in order.
class RandomScript {
public:
    RandomScript(std::initializer_list<int> values = {}) : values_(values) {}
    ~RandomScript() { EXPECT_TRUE(values_.empty()) << values_.size() << " scripted numbers were not drawn"; }

    void Add(std::initializer_list<int> values) { values_.insert(values_.end(), values); }
    bool Empty() const { return values_.empty(); }
    GlyphRandom Source()
    {
        return [this] {
            if (values_.empty()) {
                ADD_FAILURE() << "more random numbers drawn than scripted";
                return 1;
            }
            const int v = values_.front();
            values_.pop_front();
            return v;
        };
    }

private:
    std::deque<int> values_;
};

GlyphGridSettings Settings(int32_t direction, uint32_t density, int32_t flicker, int32_t glyphs, uint32_t size = 16)
{
    GlyphGridSettings s;
    s.glyphSize = size;
    s.density = density;
    s.flickerCount = flicker;
    s.direction = direction;
    s.glyphCount = glyphs;
    return s;
}

// A grid of columns × rows cells of 16 pixels, without flicker cells.
std::unique_ptr<GlyphGrid> MakeGrid(int32_t columns, int32_t rows, RandomScript& script, int32_t direction = 1,
                                    int32_t glyphs = 4, uint32_t density = 100)
{
    return GlyphGrid::Create(Settings(direction, density, 0, glyphs), (columns - 1) * 16, (rows - 1) * 16,
                             script.Source());
}

uint32_t Cell(uint32_t glyph, int fade, bool dirty = false, bool flicker = false)
{
    uint32_t c = WithFade(WithGlyph(0, glyph), fade);
    if (dirty)
        c |= kDirty;
    if (flicker)
        c |= kFlicker;
    return c;
}

struct SizeCase {
    int32_t width, height;
    uint32_t glyphSize;
    int32_t columns, rows;
};

void PrintTo(const SizeCase& c, std::ostream* os)
{
    *os << c.width << " x " << c.height << " by " << c.glyphSize;
}

class GlyphGridSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(GlyphGridSizeTest, OneCellPerGlyphSizeStepPlusOne)
{
    const SizeCase& c = GetParam();
    auto grid = GlyphGrid::Create(Settings(0, 20, 0, 4, c.glyphSize), c.width, c.height);
    EXPECT_EQ(c.columns, grid->Columns());
    EXPECT_EQ(c.rows, grid->Rows());
    EXPECT_EQ(size_t(c.columns) * size_t(c.rows), grid->Cells().size());
    for (uint32_t cell : grid->Cells())
        EXPECT_EQ(0u, cell);
}

INSTANTIATE_TEST_SUITE_P(Sizes, GlyphGridSizeTest,
                         ::testing::Values(SizeCase{1024, 768, 16, 65, 49}, SizeCase{15, 47, 16, 1, 3},
                                           SizeCase{0, 0, 16, 1, 1}, SizeCase{100, 100, 1000, 1, 1},
                                           SizeCase{3, 2, 0, 4, 3},   // a glyph size of 0 counts as 1
                                           SizeCase{-5, -1, 16, 1, 1})); // a negative size as 0

TEST(GlyphGridTest, SpawnDivisorByDensityAtEveryBoundary)
{
    const struct {
        uint32_t density;
        int divisor;
    } cases[] = {{1, 85},  {9, 85},  {10, 60}, {14, 60}, {15, 45}, {19, 45}, {20, 25}, {24, 25}, {25, 20},
                 {29, 20}, {30, 15}, {34, 15}, {35, 10}, {44, 10}, {45, 8},  {49, 8},  {50, 7},  {54, 7},
                 {55, 5},  {64, 5},  {65, 3},  {79, 3},  {80, 2},  {89, 2},  {90, 1},  {100, 1}};
    for (const auto& c : cases) {
        auto grid = GlyphGrid::Create(Settings(0, c.density, 0, 4), 32, 32);
        EXPECT_EQ(c.divisor, grid->SpawnDivisor()) << "density " << c.density;
    }
}

TEST(GlyphGridTest, ScrollingWriteMovesTheColumnDownAndLeavesADyingTail)
{
    RandomScript script; // a scrolling write draws nothing
    auto grid = MakeGrid(1, 3, script);
    const uint32_t A = 5, B = 6, X = 7;
    grid->Cell(0, 0) = Cell(A, 0);
    grid->Cell(0, 2) = Cell(B, 0, false, true); // its flicker bit stays its own
    grid->WriteGlyph(-1, X, 0);
    EXPECT_EQ(Cell(X, 0, true), grid->Cell(0, 0));
    EXPECT_EQ(Cell(A, 0, true), grid->Cell(0, 1));
    EXPECT_EQ(Cell(B, -1, true, true), grid->Cell(0, 2)); // nothing above it: it dies in place
}

TEST(GlyphGridTest, ScrollingMovesTheFadeWithTheGlyphButNotTheFlickerBit)
{
    RandomScript script;
    auto grid = MakeGrid(1, 2, script);
    grid->Cell(0, 0) = Cell(3, -2, false, true);
    grid->Cell(0, 1) = Cell(0, 0);
    grid->WriteGlyph(-1, 0, 0);
    EXPECT_EQ(Cell(0, -2, true, true), grid->Cell(0, 0)); // an empty write leaves the fade
    EXPECT_EQ(Cell(3, -2, true), grid->Cell(0, 1));
}

TEST(GlyphGridTest, WrittenGlyphStartsBrightForOneOrTwoPasses)
{
    RandomScript script{1};
    auto grid = MakeGrid(1, 3, script);
    grid->WriteGlyph(1, 3, 0);
    EXPECT_EQ(Cell(3, 2, true), grid->Cell(0, 1));
    EXPECT_EQ(0u, grid->Cell(0, 0));
    EXPECT_EQ(0u, grid->Cell(0, 2));
}

TEST(GlyphGridTest, EmptyWriteKeepsTheFadeCounter)
{
    RandomScript script;
    auto grid = MakeGrid(1, 3, script);
    grid->Cell(0, 1) = Cell(4, 2);
    grid->WriteGlyph(1, 0, 0);
    EXPECT_EQ(Cell(0, 2, true), grid->Cell(0, 1));
}

TEST(GlyphGridTest, WriteBelowTheLastRowChangesNothing)
{
    RandomScript script;
    auto grid = MakeGrid(1, 3, script);
    grid->Cell(0, 2) = Cell(4, 0);
    grid->WriteGlyph(3, 2, 0);
    grid->WriteGlyph(100, 2, 0);
    EXPECT_EQ(0u, grid->Cell(0, 0));
    EXPECT_EQ(0u, grid->Cell(0, 1));
    EXPECT_EQ(Cell(4, 0), grid->Cell(0, 2));
}

TEST(GlyphGridTest, FlickerPicksTakeColumnThenRowAndReplaceEarlierPicks)
{
    RandomScript none; // counts of 0 and 1 pick nothing
    GlyphGrid::Create(Settings(0, 20, 0, 4), 32, 48, none.Source());
    GlyphGrid::Create(Settings(0, 20, 1, 4), 32, 48, none.Source());

    RandomScript script{5, 7, 5, 7};
    auto grid = GlyphGrid::Create(Settings(0, 20, 3, 4), 32, 48, script.Source()); // 3 × 4 cells
    ASSERT_TRUE(script.Empty());
    for (size_t i = 0; i < grid->Cells().size(); ++i)
        EXPECT_EQ(i == 11 ? kFlicker : 0u, grid->Cells()[i]) << i;

    grid->Cell(0, 0) = Cell(2, 1, true);
    script.Add({0, 1, 2, 0});
    grid->PickFlickerCells();
    EXPECT_EQ(Cell(2, 1, true), grid->Cell(0, 0)); // only bit 17 changes
    EXPECT_EQ(kFlicker, grid->Cell(0, 1));
    EXPECT_EQ(kFlicker, grid->Cell(2, 0));
    EXPECT_EQ(0u, grid->Cells()[11]);
}

// One column of four rows, writing streams, every free column spawning: the frames of a stream's
// life with each draw of the random source.
TEST(GlyphGridTest, WritingStreamScenario)
{
    RandomScript script;
    auto grid = GlyphGrid::Create(Settings(1, 100, 0, 4), 15, 48, script.Source());
    ASSERT_EQ(1, grid->Columns());
    ASSERT_EQ(4, grid->Rows());
    GlyphCursor cursor(std::move(grid));
    GlyphGrid& g = cursor.Grid();

    // Frame 1: the zeroed stream writes an empty cell at row 0; then a spawn.
    script.Add({1});
    g.StepColumns(false);
    EXPECT_EQ(1, g.Stream(0).row);
    EXPECT_EQ(0, g.Stream(0).remaining);
    EXPECT_EQ(kDirty, g.Cell(0, 0));
    script.Add({0, 1, 0, 0, 4, 3, 1}); // %1, %4 + 3, %5, %5, %4, %(R/2), %500
    g.SpawnStreams();
    EXPECT_EQ(4, g.Stream(0).remaining);
    EXPECT_EQ(0, g.Stream(0).delay);
    EXPECT_EQ(1, g.Stream(0).row);

    // Frame 2: glyph 3, bright for two passes; a new delay of 1 + 2.
    script.Add({2, 1, 0, 1, 2});
    g.StepColumns(false);
    EXPECT_EQ(Cell(3, 2, true), g.Cell(0, 1));
    EXPECT_EQ(3, g.Stream(0).remaining);
    EXPECT_EQ(3, g.Stream(0).delay);
    EXPECT_EQ(2, g.Stream(0).row);
    script.Add({1}); // a stream still writing: only the flicker draw
    g.SpawnStreams();
    ASSERT_TRUE(script.Empty());

    // The cursor over three frames: bright, bright, then steady and no longer dirty.
    const int32_t classes[3] = {GlyphBrightness::kBright, GlyphBrightness::kBright, GlyphBrightness::kSteady};
    const int fades[3] = {1, 0, 0};
    for (int frame = 0; frame < 3; ++frame) {
        cursor.Restart();
        GlyphQuad q;
        ASSERT_TRUE(cursor.Next(q, 0, 0)) << frame;
        EXPECT_EQ(classes[frame], q.brightness) << frame;
        EXPECT_EQ(1, q.row);
        EXPECT_FALSE(cursor.Next(q, 0, 0));
        EXPECT_EQ(fades[frame], Fade(g.Cell(0, 1))) << frame;
    }
    EXPECT_EQ(0u, g.Cell(0, 1) & kDirty);
    EXPECT_EQ(3u, Glyph(g.Cell(0, 1)));
}

TEST(GlyphGridTest, ScrollingStreamWritesSteadyGlyphsAndLeavesOneDyingCopy)
{
    RandomScript script;
    auto grid = GlyphGrid::Create(Settings(0, 100, 0, 4), 0, 32, script.Source()); // 1 × 3
    GlyphGrid& g = *grid;
    g.Stream(0) = GlyphColumn{1, 0, -1};
    script.Add({1, 1}); // glyph 2; no new delay
    g.StepColumns(false);
    EXPECT_EQ(Cell(2, 0, true), g.Cell(0, 0));
    EXPECT_EQ(-1, g.Stream(0).row);
    script.Add({1}); // the last glyph was written: an empty write that moves the column down
    g.StepColumns(false);
    EXPECT_EQ(Cell(0, 0, true), g.Cell(0, 0));
    EXPECT_EQ(Cell(2, 0, true), g.Cell(0, 1));
    script.Add({1});
    g.StepColumns(false);
    EXPECT_EQ(Cell(2, -1, true), g.Cell(0, 1)); // nothing above it any more: it dies there
    EXPECT_EQ(Cell(2, 0, true), g.Cell(0, 2));
}

TEST(GlyphGridTest, DelayedColumnSkipsItsWrite)
{
    RandomScript script;
    auto grid = MakeGrid(2, 2, script);
    grid->Stream(0) = GlyphColumn{2, 1, 0};
    grid->Stream(1) = GlyphColumn{2, 0, 0};
    script.Add({1, 0, 1, 1}); // column 0: only its delay draw; column 1: glyph, fade, delay draw
    grid->StepColumns(false);
    EXPECT_EQ(0, grid->Stream(0).delay);
    EXPECT_EQ(2, grid->Stream(0).remaining);
    EXPECT_EQ(0u, grid->Cell(0, 0));
    EXPECT_EQ(Cell(1, 2, true), grid->Cell(1, 0));
}

TEST(GlyphGridTest, FullGridWritesEmptyCellsWithoutDrawingGlyphs)
{
    RandomScript script;
    auto grid = MakeGrid(1, 3, script);
    grid->Cell(0, 1) = Cell(2, 0);
    grid->Stream(0) = GlyphColumn{2, 0, 1};
    script.Add({1}); // only the delay draw
    grid->StepColumns(true);
    EXPECT_EQ(Cell(0, 0, true), grid->Cell(0, 1));
    EXPECT_EQ(1, grid->Stream(0).remaining);
    EXPECT_EQ(2, grid->Stream(0).row);
}

TEST(GlyphGridTest, WritingStreamStopsMovingPastTheBottom)
{
    RandomScript script;
    auto grid = MakeGrid(1, 2, script);
    grid->Stream(0) = GlyphColumn{0, 0, 2};
    script.Add({1, 1});
    grid->StepColumns(false);
    grid->StepColumns(false);
    EXPECT_EQ(2, grid->Stream(0).row);
    EXPECT_EQ(0u, grid->Cell(0, 0));
    EXPECT_EQ(0u, grid->Cell(0, 1));
}

TEST(GlyphGridTest, SpawnSkipsColumnsStillWritingAndRestartsFinishedOnes)
{
    RandomScript script;
    auto grid = MakeGrid(2, 4, script, 0, 4, 80); // D = 2, scrolling
    grid->Stream(0) = GlyphColumn{1, 0, -1};
    grid->Stream(1) = GlyphColumn{0, 0, -1};
    script.Add({1}); // column 1 draws its chance and misses; then the flicker draw
    script.Add({7});
    grid->SpawnStreams();
    EXPECT_EQ(1, grid->Stream(0).remaining);
    EXPECT_EQ(0, grid->Stream(1).remaining);

    script.Add({2, 3, 4, 1, 0}); // column 1: chance hit, %4 + 3, delays, %4 = 0 keeps its glyphs
    script.Add({3});
    grid->SpawnStreams();
    EXPECT_EQ(6, grid->Stream(1).remaining);
    EXPECT_EQ(5, grid->Stream(1).delay);
    EXPECT_EQ(-1, grid->Stream(1).row);
}

TEST(GlyphGridTest, RandomStartWritesOnOddDraws)
{
    RandomScript script;
    auto grid = MakeGrid(2, 4, script, 2); // direction 2: each stream at random
    script.Add({0, 0, 0, 0, 1, 3, 1}); // column 0: odd, writing from row 1 of 0..1
    script.Add({0, 0, 0, 0, 1, 4});    // column 1: even, scrolling
    script.Add({1});
    grid->SpawnStreams();
    EXPECT_EQ(1, grid->Stream(0).row);
    EXPECT_EQ(-1, grid->Stream(1).row);
}

TEST(GlyphGridTest, OneRowGridStartsAWritingStreamAtRowZero)
{
    RandomScript script;
    auto grid = MakeGrid(1, 1, script);
    grid->Stream(0).row = 1;
    script.Add({0, 0, 0, 0, 0}); // %1, %1 + 3, %5, %5, %4; no draw for the start row
    script.Add({1});
    grid->SpawnStreams();
    EXPECT_EQ(0, grid->Stream(0).row);
    EXPECT_EQ(3, grid->Stream(0).remaining);
}

// A cursor over a grid of columns × rows cells (glyph count 4), the cells set by the test.
class GlyphCursorTest : public ::testing::Test {
protected:
    struct Set {
        int32_t column, row;
        uint32_t cell;
    };
    GlyphCursor& Over(int32_t columns, int32_t rows, std::initializer_list<Set> cells, uint32_t others = 0)
    {
        auto grid = MakeGrid(columns, rows, script);
        for (uint32_t& cell : grid->Cells())
            cell = others;
        for (const Set& s : cells)
            grid->Cell(s.column, s.row) = s.cell;
        cursor = std::make_unique<GlyphCursor>(std::move(grid));
        return *cursor;
    }
    uint32_t At(int32_t column, int32_t row) const { return cursor->Grid().Cell(column, row); }

    RandomScript script;
    std::unique_ptr<GlyphCursor> cursor;
    GlyphQuad q;
};

TEST_F(GlyphCursorTest, ListsVisibleCellsInRowMajorOrderAtTheirOwnPlaces)
{
    // Every cell is processed exactly once: each fade drops by one.
    GlyphCursor& c = Over(3, 2, {{2, 0, Cell(1, 1, true)}, {0, 1, Cell(2, 1, true)}}, Cell(0, 1, true));
    q.hx = 4;
    q.hy = 5;
    ASSERT_TRUE(c.Next(q, 10, 20));
    EXPECT_EQ(2, q.column);
    EXPECT_EQ(0, q.row);
    EXPECT_FLOAT_EQ(30.0f, q.x);
    EXPECT_FLOAT_EQ(25.0f, q.y);
    ASSERT_TRUE(c.Next(q, 10, 20)); // the cell after the last column is the next row's first
    EXPECT_EQ(0, q.column);
    EXPECT_EQ(1, q.row);
    EXPECT_FLOAT_EQ(14.0f, q.x);
    EXPECT_FLOAT_EQ(35.0f, q.y);
    EXPECT_EQ(0.0f, q.z);
    EXPECT_FALSE(c.Next(q, 10, 20));
    EXPECT_EQ(2, c.visible);
    for (uint32_t cell : c.Grid().Cells())
        EXPECT_EQ(0, Fade(cell));

    c.Restart();
    EXPECT_EQ(2, c.previousVisible);
    EXPECT_EQ(0, c.visible);
    EXPECT_EQ(0, c.column);
    EXPECT_EQ(0, c.row);
}

TEST_F(GlyphCursorTest, GlyphInTheLastCellIsListedOnceAndTheWalkEnds)
{
    GlyphCursor& c = Over(2, 2, {{1, 1, Cell(1, 1, true)}});
    ASSERT_TRUE(c.Next(q, 0, 0));
    EXPECT_EQ(1, q.column);
    EXPECT_EQ(1, q.row);
    EXPECT_FALSE(c.Next(q, 0, 0));
    EXPECT_EQ(0, Fade(At(1, 1)));
}

TEST_F(GlyphCursorTest, EmptyGridClearsTheMaskAlphaAndKeepsTheRest)
{
    GlyphCursor& c = Over(2, 2, {});
    q.colourMask = 0xFFFFFFFFu;
    q.x = 7;
    q.column = 1;
    q.row = 1;
    EXPECT_FALSE(c.Next(q, 0, 0));
    EXPECT_EQ(0x00FFFFFFu, q.colourMask);
    EXPECT_EQ(7.0f, q.x);
    EXPECT_EQ(0, q.column);
    EXPECT_EQ(0, q.row);
    EXPECT_EQ(0, c.visible);
}

TEST_F(GlyphCursorTest, TextureBandOfTheGlyph)
{
    ASSERT_TRUE(Over(1, 1, {{0, 0, Cell(3, 0)}}).Next(q, 0, 0));
    EXPECT_EQ(0.0f, q.uLeft);
    EXPECT_EQ(1.0f, q.uRight);
    EXPECT_EQ(0.5f, q.vTop);
    EXPECT_EQ(0.75f, q.vBottom);
    EXPECT_EQ(0xFFFFFFFFu, q.colourMask);
    EXPECT_EQ(GlyphBrightness::kSteady, q.brightness);
}

TEST_F(GlyphCursorTest, DyingCellShowsOnceMoreThenGoes)
{
    GlyphCursor& c = Over(1, 1, {{0, 0, Cell(2, -1, true)}});
    ASSERT_TRUE(c.Next(q, 0, 0));
    EXPECT_EQ(GlyphBrightness::kDying, q.brightness);
    EXPECT_EQ(0u, Glyph(At(0, 0)));
    c.Restart();
    EXPECT_FALSE(c.Next(q, 0, 0));
}

TEST_F(GlyphCursorTest, CellThatIsNotDirtyKeepsItsFade)
{
    // Not dirty: neither the fade nor the flicker moves.
    ASSERT_TRUE(Over(1, 1, {{0, 0, Cell(2, 2, false, true)}}).Next(q, 0, 0));
    EXPECT_EQ(GlyphBrightness::kBright, q.brightness);
    EXPECT_EQ(Cell(2, 2, false, true), At(0, 0));
}

TEST_F(GlyphCursorTest, FlickerCellShowsItsOldGlyphBrightAndChangesAfterwards)
{
    GlyphCursor& c = Over(2, 1, {{0, 0, Cell(2, 0, true, true)}, {1, 0, Cell(1, 0, true, true)}});
    script.Add({4}); // 4 mod 4: the cell empties
    ASSERT_TRUE(c.Next(q, 0, 0));
    EXPECT_EQ(GlyphBrightness::kBright, q.brightness);
    EXPECT_EQ(0.25f, q.vTop);
    EXPECT_EQ(0.5f, q.vBottom);
    EXPECT_EQ(Cell(0, 0, true, true), At(0, 0));
    script.Add({7}); // 7 mod 4 = 3: a flicker cell never draws glyph N
    ASSERT_TRUE(c.Next(q, 0, 0));
    EXPECT_EQ(3u, Glyph(At(1, 0)));

    // The emptied cell stays empty and draws nothing more; the other one keeps flickering.
    c.Restart();
    script.Add({1});
    ASSERT_TRUE(c.Next(q, 0, 0));
    EXPECT_EQ(1, q.column);
    EXPECT_EQ(Cell(0, 0, false, true), At(0, 0));
    EXPECT_FALSE(c.Next(q, 0, 0));
}

} // namespace
