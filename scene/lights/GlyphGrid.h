// The simulation behind the glyph rain: a grid of cells laid over the slide picture in steps of
// the glyph size, one stream per column that writes glyphs into its column, fade counters that
// make new glyphs bright for a moment and let the tails of falling streams die away, and flicker
// cells whose glyph keeps changing. A GlyphCursor owns the grid and lists its visible cells once
// per frame, in row-major order, as quad records for the glyph batch.
//
// Per frame the light does:
//     cursor.Restart();
//     grid.StepColumns(cursor.previousVisible >= quadCount);
//     grid.SpawnStreams();
//     for every quad:  cursor.Next(quad, left, top);
//
// The grid knows no device. All randomness comes from one source (the C library's rand() unless
// a test scripts it), called in a fixed order, one call per draw.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// What the grid is built from; the light fills it from the slide.
struct GlyphGridSettings {
    uint32_t glyphSize = 16;  // cell side in picture pixels
    uint32_t density = 20;    // 1..100: how often a free column starts a stream
    int32_t flickerCount = 10; // one less than the number of flicker cells picked
    int32_t direction = 0;     // 0 scrolling streams, 1 writing streams, other: each one at random
    int32_t glyphCount = 1;    // glyph slots 1..glyphCount exist in the glyph texture
};

// The random source: returns a value in 0..RAND_MAX, like rand().
using GlyphRandom = std::function<int()>;

// One stream of a column.
struct GlyphColumn {
    int32_t remaining = 0; // glyphs still to write; 0 or below: the stream writes empty cells
    int32_t delay = 0;     // steps to skip before the next write
    int32_t row = 0;       // row of the next write; -1 for a scrolling stream
};

// The cell word: glyph byte, signed fade counter byte, dirty bit, flicker bit.
namespace GlyphCell {
constexpr uint32_t kGlyphMask = 0x000000FFu;
constexpr uint32_t kFadeMask = 0x0000FF00u;
constexpr uint32_t kDirty = 1u << 16;
constexpr uint32_t kFlicker = 1u << 17;

inline uint32_t Glyph(uint32_t cell) { return cell & kGlyphMask; }
// Above 0 bright (counts down), 0 steady, below 0 dying (counts up; the glyph goes at 0).
inline int Fade(uint32_t cell) { return static_cast<int8_t>((cell & kFadeMask) >> 8); }
inline uint32_t WithGlyph(uint32_t cell, uint32_t glyph) { return (cell & ~kGlyphMask) | (glyph & kGlyphMask); }
inline uint32_t WithFade(uint32_t cell, int fade)
{
    return (cell & ~kFadeMask) | ((static_cast<uint32_t>(fade) & 0xFFu) << 8);
}
} // namespace GlyphCell

class GlyphGrid {
public:
    // Cells along a side of `pixels` picture pixels: pixels / glyphSize + 1, so never below 1
    // (negative counts as 0, a glyph size of 0 as 1).
    static int32_t CellsAlong(int32_t pixels, uint32_t glyphSize);

    // A grid of (width / glyphSize + 1) × (height / glyphSize + 1) empty cells with zeroed
    // streams, and its flicker cells already picked. width and height are the picture's size in
    // pixels (negative counts as 0); a glyph size of 0 counts as 1.
    static std::unique_ptr<GlyphGrid> Create(const GlyphGridSettings& settings, int32_t width, int32_t height,
                                             GlyphRandom random = nullptr);

    // One step of every stream, in column order. When `full` (every cell was visible last frame)
    // the streams write empty cells instead of glyphs.
    void StepColumns(bool full);
    // New streams for the columns whose stream has nothing left to write; now and then new
    // flicker cells.
    void SpawnStreams();

    // Writes `glyph` at `row` of `column`: a row of 0 or more is that cell, a negative row moves
    // the whole column down one row first and writes the top cell; rows past the bottom are
    // written nowhere.
    void WriteGlyph(int32_t row, uint32_t glyph, int32_t column);
    // The spawn chance of a free column per step is 1 in this, by density.
    int SpawnDivisor() const;
    // Clears every flicker bit, then sets it on flickerCount - 1 random cells.
    void PickFlickerCells();

    int32_t Columns() const { return columns_; }
    int32_t Rows() const { return rows_; }
    int32_t GlyphCount() const { return glyphCount_; }
    uint32_t& Cell(int32_t column, int32_t row) { return cells_[size_t(row) * size_t(columns_) + size_t(column)]; }
    uint32_t Cell(int32_t column, int32_t row) const { return cells_[size_t(row) * size_t(columns_) + size_t(column)]; }
    std::vector<uint32_t>& Cells() { return cells_; }
    const std::vector<uint32_t>& Cells() const { return cells_; }
    GlyphColumn& Stream(int32_t column) { return streams_[size_t(column)]; }

    // rand() mod n through the grid's source; 0 when n is not positive.
    int RandomBelow(int n);

private:
    GlyphGrid() = default;

    int32_t columns_ = 1;
    int32_t rows_ = 1;
    std::vector<uint32_t> cells_;
    std::vector<GlyphColumn> streams_;
    int32_t glyphCount_ = 1;
    uint32_t density_ = 20;
    int32_t flickerCount_ = 0;
    bool randomStart_ = false; // each new stream picks writing or scrolling at random
    bool writeStart_ = false;  // otherwise: new streams write (true) or scroll (false)
    GlyphRandom random_;
};

// What GlyphCursor::Next fills for one quad of the batch. hx and hy are the caller's.
struct GlyphQuad {
    float hx = 0.0f, hy = 0.0f;     // half size of a cell on the screen
    float x = 0.0f, y = 0.0f, z = 0.0f; // centre on the screen
    float uLeft = 0.0f, uRight = 1.0f;
    float vTop = 0.0f, vBottom = 0.0f;
    uint32_t colourMask = 0;        // all ones for a visible cell; alpha cleared past the last one
    int32_t brightness = 1;         // 2 bright (fading in or flicker), 1 steady, 0 dying
    int32_t column = 0, row = 0;
};

namespace GlyphBrightness {
constexpr int32_t kDying = 0;
constexpr int32_t kSteady = 1;
constexpr int32_t kBright = 2;
} // namespace GlyphBrightness

// Reads a grid once per frame and owns it.
class GlyphCursor {
public:
    explicit GlyphCursor(std::unique_ptr<GlyphGrid> grid) : grid_(std::move(grid)) {}

    // Back to the first cell; the visible count of the frame just listed becomes the previous one.
    void Restart();
    // The next visible cell from the cursor on, into q (centre from the picture's screen
    // rectangle's left and top edges). Every cell passed has its fade counter and flicker
    // processed. When no visible cell is left: q keeps what it held, but for its column and row
    // (0) and its colour mask's alpha byte (cleared), and the result is false.
    bool Next(GlyphQuad& q, float left, float top);

    GlyphGrid& Grid() { return *grid_; }
    const GlyphGrid& Grid() const { return *grid_; }

    int32_t column = 0;
    int32_t row = 0;
    int32_t previousVisible = 0;
    int32_t visible = 0;

private:
    // The cursor's fade and flicker step of one cell.
    void Process(uint32_t& cell);

    std::unique_ptr<GlyphGrid> grid_;
};
