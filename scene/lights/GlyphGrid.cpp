#include "scene/lights/GlyphGrid.h"

#include <algorithm>
#include <cstdlib>

using namespace GlyphCell;

int32_t GlyphGrid::CellsAlong(int32_t pixels, uint32_t glyphSize)
{
    return int32_t(uint32_t(std::max(pixels, 0)) / std::max<uint32_t>(glyphSize, 1) + 1);
}

std::unique_ptr<GlyphGrid> GlyphGrid::Create(const GlyphGridSettings& settings, int32_t width, int32_t height,
                                             GlyphRandom random)
{
    std::unique_ptr<GlyphGrid> grid(new GlyphGrid);
    grid->columns_ = CellsAlong(width, settings.glyphSize);
    grid->rows_ = CellsAlong(height, settings.glyphSize);
    grid->cells_.assign(size_t(grid->columns_) * size_t(grid->rows_), 0u);
    grid->streams_.assign(size_t(grid->columns_), GlyphColumn{});
    grid->glyphCount_ = std::max(settings.glyphCount, 1);
    grid->density_ = settings.density;
    grid->flickerCount_ = settings.flickerCount;
    grid->randomStart_ = settings.direction != 0 && settings.direction != 1;
    grid->writeStart_ = settings.direction != 0;
    grid->random_ = random ? std::move(random) : GlyphRandom([] { return std::rand(); });
    grid->PickFlickerCells();
    return grid;
}

int GlyphGrid::RandomBelow(int n)
{
    if (n <= 0)
        return 0;
    const int r = random_() % n;
    return r < 0 ? r + n : r;
}

void GlyphGrid::PickFlickerCells()
{
    for (uint32_t& cell : cells_)
        cell &= ~kFlicker;
    for (int32_t i = 1; i < flickerCount_; ++i) {
        const int32_t column = RandomBelow(columns_);
        const int32_t row = RandomBelow(rows_);
        Cell(column, row) |= kFlicker;
    }
}

void GlyphGrid::WriteGlyph(int32_t row, uint32_t glyph, int32_t column)
{
    if (row >= rows_)
        return;
    if (row < 0) {
        // The column moves down one row. Where a glyph has nothing above it any more, it stays
        // and starts dying: the tail of the stream fades where it is.
        for (int32_t r = rows_ - 1; r >= 1; --r) {
            uint32_t& d = Cell(column, r);
            const uint32_t s = Cell(column, r - 1);
            if (Glyph(d) != 0 && Glyph(s) == 0)
                d = WithFade(d, -1);
            else
                d = (d & kFlicker) | (s & (kGlyphMask | kFadeMask));
            d |= kDirty;
        }
    }
    uint32_t& target = Cell(column, std::max(row, 0));
    target = WithGlyph(target, glyph) | kDirty;
    if (glyph != 0)
        target = WithFade(target, row >= 0 ? 1 + RandomBelow(2) : 0);
}

void GlyphGrid::StepColumns(bool full)
{
    for (int32_t c = 0; c < columns_; ++c) {
        GlyphColumn& stream = streams_[size_t(c)];
        if (stream.delay != 0) {
            --stream.delay;
        } else {
            if (stream.remaining > 0) {
                const uint32_t glyph = full ? 0u : uint32_t(RandomBelow(glyphCount_) + 1);
                WriteGlyph(stream.row, glyph, c);
                --stream.remaining;
            } else {
                WriteGlyph(stream.row, 0, c);
            }
            // A writing stream moves down a row; past the bottom it stays there, writing nowhere.
            if (stream.row >= 0 && stream.row < rows_)
                ++stream.row;
        }
        if (RandomBelow(10) == 0) {
            stream.delay = RandomBelow(5);
            stream.delay += RandomBelow(5);
        }
    }
}

int GlyphGrid::SpawnDivisor() const
{
    struct Step {
        uint32_t below;
        int divisor;
    };
    static const Step steps[] = {{10, 85}, {15, 60}, {20, 45}, {25, 25}, {30, 20}, {35, 15},
                                 {45, 10}, {50, 8},  {55, 7},  {65, 5},  {80, 3},  {90, 2}};
    for (const Step& step : steps)
        if (density_ < step.below)
            return step.divisor;
    return 1;
}

void GlyphGrid::SpawnStreams()
{
    const int divisor = SpawnDivisor();
    for (int32_t c = 0; c < columns_; ++c) {
        GlyphColumn& stream = streams_[size_t(c)];
        if (stream.remaining > 0)
            continue;
        if (RandomBelow(divisor) != 0)
            continue;
        stream.remaining = RandomBelow(rows_) + 3;
        stream.delay = RandomBelow(5);
        stream.delay += RandomBelow(5);
        // Three spawns in four only restart the column without glyphs.
        if (RandomBelow(4) != 0)
            stream.remaining = 0;
        const bool writing = randomStart_ ? (random_() & 1) != 0 : writeStart_;
        if (writing) {
            // From a random row of the upper half; a grid of one row has only row 0.
            stream.row = rows_ / 2 > 0 ? RandomBelow(rows_ / 2) : 0;
        } else {
            stream.row = -1;
        }
    }
    if (RandomBelow(500) == 0)
        PickFlickerCells();
}

void GlyphCursor::Restart()
{
    previousVisible = visible;
    visible = 0;
    column = 0;
    row = 0;
}

void GlyphCursor::Process(uint32_t& cell)
{
    if (!(cell & kDirty))
        return;
    cell &= ~kDirty;
    const int fade = Fade(cell);
    if (fade > 0) {
        cell = WithFade(cell, fade - 1) | kDirty;
    } else if (fade < 0) {
        cell = WithFade(cell, fade + 1) | kDirty;
        if (fade + 1 == 0)
            cell = WithGlyph(cell, 0);
    }
    if ((cell & kFlicker) && Glyph(cell) != 0)
        cell = WithGlyph(cell, uint32_t(grid_->RandomBelow(grid_->GlyphCount()))) | kDirty;
}

bool GlyphCursor::Next(GlyphQuad& q, float left, float top)
{
    q.column = 0;
    q.row = 0;
    GlyphGrid& grid = *grid_;
    const int32_t columns = grid.Columns(), rows = grid.Rows();
    uint32_t* cells = grid.Cells().data();
    while (row < rows) {
        uint32_t& cell = cells[size_t(row) * size_t(columns) + size_t(column)];
        const uint32_t glyph = Glyph(cell);
        const bool shown = glyph != 0;
        if (shown) {
            ++visible;
            const float t = 1.0f / float(grid.GlyphCount());
            q.x = left + q.hx + 2.0f * q.hx * float(column);
            q.y = top + q.hy + 2.0f * q.hy * float(row);
            q.z = 0.0f;
            q.uLeft = 0.0f;
            q.uRight = 1.0f;
            q.vTop = float(glyph - 1) * t;
            q.vBottom = float(glyph) * t;
            q.colourMask = 0xFFFFFFFFu;
            const int fade = Fade(cell);
            q.brightness = (fade > 0 || (cell & kFlicker)) ? GlyphBrightness::kBright
                           : fade == 0                      ? GlyphBrightness::kSteady
                                                            : GlyphBrightness::kDying;
            q.column = column;
            q.row = row;
        }
        Process(cell);
        // Every cell is passed once per frame: the advance wraps into the next row.
        if (++column >= columns) {
            column = 0;
            ++row;
        }
        if (shown)
            return true;
    }
    q.colourMask &= 0x00FFFFFFu;
    return false;
}
