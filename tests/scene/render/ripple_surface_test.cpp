// The ripple surface without a device: grid sizes, the spiral strip, the refraction table, drops,
// the simulation and the vertex fill, all on plain memory. (No device is current here, so Build
// sizes the grid and its buffers stay null.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "document/CurrentDevice.h"
#include "scene/render/RippleSurface.h"

namespace {

const D3DXVECTOR3 kEye(0.0f, 120.0f, 0.0f);

// A random source that hands out the given numbers in turn and counts how many were taken.
struct Sequence {
    std::vector<int> values;
    size_t taken = 0;
    int operator()() { return values[taken++ % values.size()]; }
};

// A surface sized (no device), with the random source `numbers`.
void BuildWithoutDevice(RippleSurface& s, float width, float depth, float rowFactor = 1.0f, float columnFactor = 1.0f)
{
    ASSERT_EQ(nullptr, CurrentDevice);
    s.BuildRefractionTable();
    s.Build(width, depth, rowFactor, columnFactor);
}

double HeightSum(const RippleSurface& s)
{
    double sum = 0.0;
    for (const RippleCell& c : s.cells)
        sum += c.height;
    return sum;
}

float LargestHeight(const RippleSurface& s)
{
    float largest = 0.0f;
    for (const RippleCell& c : s.cells)
        largest = std::max(largest, std::fabs(c.height));
    return largest;
}

// ---- Grid sizes ----

struct GridCase {
    float width, depth, rowFactor, columnFactor;
    uint32_t columns, rows, cells;
};

void PrintTo(const GridCase& c, std::ostream* os)
{
    *os << "Build(" << c.width << ", " << c.depth << ", " << c.rowFactor << ", " << c.columnFactor << ")";
}

class RippleGridTest : public ::testing::TestWithParam<GridCase> {};

TEST_P(RippleGridTest, HasEvenCountsWithinTheCap)
{
    const GridCase& c = GetParam();
    const RippleGrid grid = ComputeRippleGrid(c.width, c.depth, c.rowFactor, c.columnFactor);
    EXPECT_EQ(c.columns, grid.columns);
    EXPECT_EQ(c.rows, grid.rows);
    EXPECT_EQ(c.cells, grid.cellCount);

    RippleSurface s;
    s.Build(c.width, c.depth, c.rowFactor, c.columnFactor);
    EXPECT_EQ(c.columns, s.columns);
    EXPECT_EQ(c.rows, s.rows);
    EXPECT_EQ(c.cells, s.cellCount);
    EXPECT_EQ(c.cells, s.vertexCount);
    EXPECT_EQ(2 * c.cells, s.indexCount);
    EXPECT_EQ(size_t{c.cells}, s.cells.size());
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, RippleGridTest,
    ::testing::Values(GridCase{40, 30, 1, 1, 128, 96, 12288},      // 4:3 picture, square cells
                      GridCase{30, 30, 2, 2, 128, 512, 65536},     // 256 × 512 is beyond the cap
                      GridCase{30, 30, 1, 1.01f, 128, 128, 16384}, // 129 columns, rows counted from 129
                      GridCase{53.333f, 30, 1, 1, 128, 72, 9216},  // 16:9 picture
                      GridCase{60, 1, 1, 1, 128, 2, 256},          // a very wide picture: no interior
                      GridCase{30, 30, -1, 1, 128, 0, 0},          // a negative factor gives no rows
                      GridCase{0, 30, 1, 1, 0, 10000000, 0}));     // no width: an empty grid, not a huge one

// ---- Spiral strip ----

std::vector<uint16_t> Strip(uint32_t columns, uint32_t rows)
{
    std::vector<uint16_t> indices(2 * columns * rows, 0xBEEF);
    WriteSpiralStrip(columns, rows, indices.data(), static_cast<uint32_t>(indices.size()));
    return indices;
}

TEST(RippleStripTest, SixBySixIsThreeNestedBands)
{
    const std::vector<uint16_t> strip = Strip(6, 6);
    ASSERT_EQ(72u, strip.size());
    const std::vector<uint16_t> start = {0, 6, 1, 7, 2, 8, 3, 9, 4, 10, 5, 11, 11, 10, 17, 16, 23, 22, 29, 28, 35, 34};
    EXPECT_EQ(start, std::vector<uint16_t>(strip.begin(), strip.begin() + start.size()));
    const std::vector<uint16_t> end = {21, 20, 20, 14};
    EXPECT_EQ(end, std::vector<uint16_t>(strip.end() - end.size(), strip.end()));
}

class RippleStripCoverTest : public ::testing::TestWithParam<std::pair<uint32_t, uint32_t>> {};

// Every index lies in the grid, and the strip's triangles cover every grid square with its two
// halves; no triangle reaches beyond one square.
TEST_P(RippleStripCoverTest, CoversEverySquare)
{
    const uint32_t columns = GetParam().first, rows = GetParam().second;
    const std::vector<uint16_t> strip = Strip(columns, rows);
    ASSERT_EQ(2 * columns * rows, strip.size());
    for (uint16_t i : strip)
        ASSERT_LT(i, columns * rows);

    std::map<uint32_t, std::set<std::vector<uint16_t>>> halves; // square → its distinct triangles
    for (size_t i = 0; i + 2 < strip.size(); ++i) {
        std::vector<uint16_t> t = {strip[i], strip[i + 1], strip[i + 2]};
        std::sort(t.begin(), t.end());
        if (t[0] == t[1] || t[1] == t[2])
            continue; // degenerate: joins two runs
        uint32_t x0 = columns, x1 = 0, z0 = rows, z1 = 0;
        for (uint16_t v : t) {
            x0 = std::min<uint32_t>(x0, v % columns), x1 = std::max<uint32_t>(x1, v % columns);
            z0 = std::min<uint32_t>(z0, v / columns), z1 = std::max<uint32_t>(z1, v / columns);
        }
        ASSERT_EQ(1u, x1 - x0) << "triangle " << i;
        ASSERT_EQ(1u, z1 - z0) << "triangle " << i;
        halves[z0 * columns + x0].insert(t);
    }
    for (uint32_t z = 0; z + 1 < rows; ++z)
        for (uint32_t x = 0; x + 1 < columns; ++x)
            EXPECT_GE(halves[z * columns + x].size(), 2u) << "square " << x << ", " << z;
}

INSTANTIATE_TEST_SUITE_P(Grids, RippleStripCoverTest,
                         ::testing::Values(std::make_pair(6u, 6u), std::make_pair(4u, 8u), std::make_pair(8u, 4u),
                                           std::make_pair(2u, 2u), std::make_pair(128u, 96u),
                                           std::make_pair(128u, 512u)));

TEST(RippleStripTest, OddSizesEndAndStayInTheGrid)
{
    for (auto [columns, rows] : {std::make_pair(5u, 7u), std::make_pair(3u, 3u), std::make_pair(1u, 4u)}) {
        const std::vector<uint16_t> strip = Strip(columns, rows);
        for (uint16_t i : strip)
            EXPECT_LT(i, columns * rows) << columns << " × " << rows;
    }
}

// ---- Drawing the strip within a device's limits ----

struct SplitCase {
    const char* name;
    uint32_t indexCount, vertexCount, maxPrimitiveCount, maxVertexIndex;
    std::vector<StripPiece> pieces;
};

void PrintTo(const SplitCase& c, std::ostream* os)
{
    *os << c.name;
}

class StripSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(StripSplitTest, GivesThePieces)
{
    const SplitCase& c = GetParam();
    const std::vector<StripPiece> pieces = SplitStrip(c.indexCount, c.vertexCount, c.maxPrimitiveCount, c.maxVertexIndex);
    ASSERT_EQ(c.pieces.size(), pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_EQ(c.pieces[i].startIndex, pieces[i].startIndex) << "piece " << i;
        EXPECT_EQ(c.pieces[i].primitiveCount, pieces[i].primitiveCount) << "piece " << i;
    }
}

// Whatever the limits, the pieces start at even indices, stay within the limit, and draw each
// triangle of the strip once, in order.
TEST_P(StripSplitTest, DrawsEachTriangleOnceWithItsWinding)
{
    const SplitCase& c = GetParam();
    const std::vector<StripPiece> pieces = SplitStrip(c.indexCount, c.vertexCount, c.maxPrimitiveCount, c.maxVertexIndex);
    uint32_t next = 0;
    for (const StripPiece& piece : pieces) {
        EXPECT_EQ(next, piece.startIndex);
        EXPECT_EQ(0u, piece.startIndex % 2);
        EXPECT_GT(piece.primitiveCount, 0u);
        EXPECT_LE(piece.primitiveCount, c.maxPrimitiveCount);
        next = piece.startIndex + piece.primitiveCount;
    }
    if (!pieces.empty()) {
        EXPECT_EQ(c.indexCount - 2, next);
    }
}

// The water rings' grid cap is 65536 cells: 131072 indices, 131070 triangles. Many cards take at
// most 65535 triangles and vertex index 65535 per call.
INSTANTIATE_TEST_SUITE_P(
    Limits, StripSplitTest,
    ::testing::Values(
        SplitCase{"BelowTheLimit", 65536, 32768, 65535, 65535, {{0, 65534}}},
        SplitCase{"AtTheLimit", 65537, 32768, 65535, 65535, {{0, 65534}, {65534, 1}}},
        SplitCase{"AtAnEvenLimit", 65538, 32768, 65536, 65535, {{0, 65536}}},
        SplitCase{"AboveTheLimit", 65538, 32769, 65535, 65535, {{0, 65534}, {65534, 2}}},
        SplitCase{"TheCappedGrid", 131072, 65536, 65535, 65535, {{0, 65534}, {65534, 65534}, {131068, 2}}},
        SplitCase{"TheCappedGridOnALargeLimit", 131072, 65536, 1048575, 1048575, {{0, 131070}}},
        SplitCase{"TheDefaultGrid", 24576, 12288, 65535, 65535, {{0, 24574}}},
        SplitCase{"ASmallOddLimit", 12, 6, 3, 65535, {{0, 2}, {2, 2}, {4, 2}, {6, 2}, {8, 2}}},
        SplitCase{"ALimitOfTwo", 7, 4, 2, 65535, {{0, 2}, {2, 2}, {4, 1}}},
        SplitCase{"ALimitBelowTwoDrawsNothing", 12, 6, 1, 65535, {}},
        SplitCase{"NoLimitDrawsNothing", 12, 6, 0, 65535, {}},
        SplitCase{"AVertexBeyondTheIndexLimitDrawsNothing", 131072, 65536, 65535, 65534, {}},
        SplitCase{"TheLastVertexAtTheIndexLimit", 131072, 65536, 1048575, 65535, {{0, 131070}}},
        SplitCase{"NoTriangle", 2, 2, 65535, 65535, {}},
        SplitCase{"NoVertex", 24, 0, 65535, 65535, {}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

// ---- Refraction table ----

TEST(RefractionTableTest, ColoursAreBlackWithFallingAlpha)
{
    const RefractionEntry* table = FillRefractionTable();
    EXPECT_EQ(0xFD000000u, table[0].colour);
    EXPECT_EQ(0x1F000000u, table[128].colour);
    EXPECT_EQ(0x00000000u, table[255].colour);
}

TEST(RefractionTableTest, RefractsIntoWaterOfIndex1333)
{
    const RefractionEntry* table = FillRefractionTable();
    EXPECT_NEAR(0.88141, table[0].toNormal, 1e-5);
    EXPECT_NEAR(0.51336, table[128].toNormal, 1e-5);
    EXPECT_NEAR(0.33398, table[255].toNormal, 1e-5);
    for (int i = 0; i < 256; ++i) {
        EXPECT_NEAR(-0.75019, table[i].scale, 1e-5) << i;
        // Unit normal n = y, unit eye direction e at cos = i / 256 from it.
        const double cosine = i / 256.0, sine = std::sqrt(1.0 - cosine * cosine);
        const double n[3] = {0, 1, 0}, e[3] = {sine, cosine, 0};
        double r[3];
        for (int k = 0; k < 3; ++k)
            r[k] = table[i].scale * (table[i].toNormal * n[k] + e[k]);
        EXPECT_NEAR(1.0, std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]), 1e-5) << i;
        EXPECT_LT(r[1], 0.0) << "the ray goes down into the water, " << i;
        EXPECT_NEAR(sine / 1.333, std::fabs(r[0]), 1e-5) << "Snell's law, " << i;
    }
}

TEST(RefractionTableTest, NegativeIndicesReadEntryZero)
{
    const RefractionEntry* table = FillRefractionTable();
    for (int i : {-1, -128, -255}) {
        EXPECT_EQ(table[0].colour, table[i].colour) << i;
        EXPECT_EQ(table[0].toNormal, table[i].toNormal) << i;
        EXPECT_EQ(table[0].scale, table[i].scale) << i;
    }
}

TEST(RefractionTableTest, RoundToIntRoundsTiesToEven)
{
    EXPECT_EQ(2, RoundToInt(2.5f));
    EXPECT_EQ(4, RoundToInt(3.5f));
    EXPECT_EQ(-2, RoundToInt(-2.5f));
    EXPECT_EQ(3, RoundToInt(2.6f));
}

// ---- Drops ----

TEST(RippleDropTest, DentsThreeByThreeCellsByTheStrength)
{
    RippleSurface s;
    BuildWithoutDevice(s, 40, 30);
    Sequence numbers{{0, 0}};
    s.random = std::ref(numbers);
    s.AddDrop();
    EXPECT_EQ(2u, numbers.taken);

    EXPECT_FLOAT_EQ(-0.125f, s.Cell(1, 1).velocity);
    for (auto [x, z] : {std::make_pair(0, 1), std::make_pair(2, 1), std::make_pair(1, 0), std::make_pair(1, 2)})
        EXPECT_FLOAT_EQ(-0.0625f, s.Cell(x, z).velocity) << x << ", " << z;
    for (auto [x, z] : {std::make_pair(0, 0), std::make_pair(2, 0), std::make_pair(0, 2), std::make_pair(2, 2)})
        EXPECT_FLOAT_EQ(-0.03125f, s.Cell(x, z).velocity) << x << ", " << z;
    float velocities = 0.0f;
    for (const RippleCell& c : s.cells) {
        velocities += c.velocity;
        EXPECT_EQ(0.0f, c.height);
    }
    EXPECT_FLOAT_EQ(-0.5f, velocities);
}

TEST(RippleDropTest, FallsOnAnInteriorCellWhateverTheNumbers)
{
    struct Case {
        int first, second;
        uint32_t x, z;
    };
    // 128 × 96: x = first mod 126 + 1, z = second mod 94 + 1.
    for (const Case& c : {Case{125, 93, 126, 94}, Case{126, 94, 1, 1}, Case{32767, 32767, 8, 56}}) {
        RippleSurface s;
        BuildWithoutDevice(s, 40, 30);
        Sequence numbers{{c.first, c.second}};
        s.random = std::ref(numbers);
        s.AddDrop();
        EXPECT_FLOAT_EQ(-0.125f, s.Cell(c.x, c.z).velocity) << c.first << ", " << c.second;
    }
}

TEST(RippleDropTest, ThinAndEmptyGridsGetNone)
{
    for (float depth : {1.0f, 0.0f}) { // 128 × 2, and no rows at all
        RippleSurface s;
        BuildWithoutDevice(s, 60, depth);
        Sequence numbers{{0}};
        s.random = std::ref(numbers);
        s.AddDrop();
        EXPECT_EQ(0u, numbers.taken) << depth;
        for (const RippleCell& c : s.cells)
            EXPECT_EQ(0.0f, c.velocity);
        EXPECT_EQ(S_OK, s.Update(kEye)) << "nothing to animate";
        EXPECT_EQ(S_OK, s.Draw()) << "nothing to draw";
    }
}

TEST(RippleDropTest, AnUnbuiltSurfaceIsLeftAlone)
{
    RippleSurface s; // 4 × 4 counts, but no cells yet
    s.AddDrop();
    EXPECT_EQ(S_OK, s.Update(kEye));
    EXPECT_TRUE(s.cells.empty());
}

// ---- Simulation ----

class RippleSimulationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        BuildWithoutDevice(surface, 40, 30);
        surface.random = std::ref(numbers);
    }
    Sequence numbers{{40, 30, 90, 12, 7, 70}};
    RippleSurface surface;
};

TEST_F(RippleSimulationTest, FlatWaterStaysExactlyFlat)
{
    for (int i = 0; i < 50; ++i)
        surface.Simulate();
    for (const RippleCell& c : surface.cells) {
        ASSERT_EQ(0.0f, c.height);
        ASSERT_EQ(0.0f, c.velocity);
    }
}

TEST_F(RippleSimulationTest, KeepsItsLevelAndItsBorderAtRest)
{
    surface.heightScale = 1.0f;
    for (int i = 0; i < 40; ++i) {
        if (i % 10 == 0)
            surface.AddDrop();
        surface.Simulate();
        // Zero but for the rounding of the float sum behind the mean (a drop adds 0.5).
        ASSERT_LT(std::fabs(HeightSum(surface)), 1e-3) << "update " << i;
        for (uint32_t x = 0; x < surface.columns; ++x) {
            ASSERT_EQ(0.0f, surface.Cell(x, 0).velocity);
            ASSERT_EQ(0.0f, surface.Cell(x, surface.rows - 1).velocity);
        }
        for (uint32_t z = 0; z < surface.rows; ++z)
            ASSERT_EQ(0.0f, surface.Cell(0, z).velocity);
    }
}

TEST_F(RippleSimulationTest, ADropSpreadsAsARing)
{
    surface.AddDrop(); // at (41, 31)
    for (int i = 0; i < 5; ++i)
        surface.Simulate();
    // After 20 sub-steps the wave has reached cells ten steps away in every direction, and not
    // cells 50 steps away, which are all alike still.
    const float calm = surface.Cell(95, 50).height;
    EXPECT_EQ(calm, surface.Cell(100, 55).height);
    for (auto [dx, dz] : {std::make_pair(10, 0), std::make_pair(-10, 0), std::make_pair(0, 10), std::make_pair(0, -10)})
        EXPECT_NE(calm, surface.Cell(41 + dx, 31 + dz).height) << dx << ", " << dz;
}

TEST_F(RippleSimulationTest, DampingDecaysARing)
{
    float largest[2] = {};
    const float dampings[2] = {0.9f, 0.999f};
    for (int k = 0; k < 2; ++k) {
        RippleSurface s;
        BuildWithoutDevice(s, 40, 30);
        s.random = [] { return 50; };
        s.damping = dampings[k];
        s.AddDrop();
        s.Simulate();
        const float early = LargestHeight(s);
        for (int i = 0; i < 60; ++i)
            s.Simulate();
        largest[k] = LargestHeight(s) / early;
    }
    EXPECT_LT(largest[0], 0.01f) << "strong damping leaves almost nothing";
    EXPECT_GT(largest[1], 10 * largest[0]) << "weak damping keeps the ring";
}

// ---- Vertex fill ----

std::vector<DX_V::PNCT> Vertices(const RippleSurface& s, const D3DXVECTOR3& eye = kEye)
{
    std::vector<DX_V::PNCT> v(s.vertexCount);
    s.FillVertices(eye, v.data());
    return v;
}

TEST(RippleFillTest, FlatWaterWithoutRefractionShowsThePictureUndistorted)
{
    RippleSurface s;
    BuildWithoutDevice(s, 40, 30);
    s.refractionDepth = 0.0f;
    const std::vector<DX_V::PNCT> v = Vertices(s);
    for (uint32_t z = 0; z < s.rows; ++z)
        for (uint32_t x = 0; x < s.columns; ++x) {
            const DX_V::PNCT& p = v[z * s.columns + x];
            ASSERT_NEAR(float(x) / (s.columns - 1), p.u, 1e-6f) << x << ", " << z;
            ASSERT_NEAR(float(z) / (s.rows - 1), p.v, 1e-6f) << x << ", " << z;
            ASSERT_EQ(0.0f, p.nx);
            ASSERT_EQ(1.0f, p.ny);
            ASSERT_EQ(0.0f, p.nz);
            ASSERT_EQ(0.0f, p.y);
        }
    EXPECT_FLOAT_EQ(-20.0f, v.front().x);
    EXPECT_FLOAT_EQ(-15.0f, v.front().z);
    EXPECT_FLOAT_EQ(20.0f, v.back().x);
    EXPECT_FLOAT_EQ(15.0f, v.back().z);
    // Seen from straight above, the water is clear.
    const uint32_t centre = (s.rows / 2) * s.columns + s.columns / 2;
    EXPECT_EQ(0u, v[centre].colour);
}

TEST(RippleFillTest, FlatWaterRefractsSymmetrically)
{
    RippleSurface s;
    BuildWithoutDevice(s, 40, 30);
    const std::vector<DX_V::PNCT> v = Vertices(s); // refraction depth 0.2
    bool displaced = false;
    for (uint32_t z = 0; z < s.rows; ++z)
        for (uint32_t x = 0; x < s.columns; ++x) {
            const DX_V::PNCT& p = v[z * s.columns + x];
            const DX_V::PNCT& mirrored = v[z * s.columns + (s.columns - 1 - x)];
            ASSERT_NEAR(1.0f, p.u + mirrored.u, 1e-5f) << x << ", " << z;
            displaced = displaced || std::fabs(p.u - float(x) / (s.columns - 1)) > 1e-3f;
        }
    EXPECT_TRUE(displaced) << "the refraction moves the picture";
}

TEST(RippleFillTest, VerticesOutsideTheBowlGetFiniteCoordinates)
{
    RippleSurface s;
    BuildWithoutDevice(s, 60, 30); // corners lie outside the sphere
    s.random = [] { return 3; };
    s.AddDrop();
    s.Simulate();
    for (const DX_V::PNCT& p : Vertices(s)) {
        ASSERT_TRUE(std::isfinite(p.u));
        ASSERT_TRUE(std::isfinite(p.v));
    }
}

TEST(RippleFillTest, WaterFacingAwayFromTheEyeReadsEntryZero)
{
    RippleSurface s;
    BuildWithoutDevice(s, 40, 30);
    for (const DX_V::PNCT& p : Vertices(s, D3DXVECTOR3(0.0f, -120.0f, 0.0f)))
        ASSERT_EQ(0xFD000000u, p.colour);
}

TEST(RippleFillTest, ARippleTiltsTheNormalsAroundIt)
{
    RippleSurface s;
    BuildWithoutDevice(s, 40, 30);
    s.random = [] { return 40; };
    s.AddDrop(); // at (41, 41)
    for (int i = 0; i < 3; ++i)
        s.Simulate();
    const std::vector<DX_V::PNCT> v = Vertices(s);
    EXPECT_LT(v[41 * s.columns + 44].ny, 0.9999f) << "near the drop";
    EXPECT_EQ(1.0f, v[80 * s.columns + 110].ny) << "far away";
    for (const DX_V::PNCT& p : v)
        ASSERT_NEAR(1.0f, std::sqrt(p.nx * p.nx + p.ny * p.ny + p.nz * p.nz), 1e-5f);
}

// ---- Without a device ----

TEST(RippleBuffersTest, MissingBuffersFailWithoutACall)
{
    RippleSurface s;
    EXPECT_EQ(D3DERR_INVALIDCALL, s.Build(40, 30, 1, 1)) << "no device to make them on";
    EXPECT_EQ(nullptr, s.indexBuffer.Get());
    EXPECT_EQ(nullptr, s.vertexBuffer.Get());
    EXPECT_EQ(D3DERR_INVALIDCALL, s.Update(kEye));
    EXPECT_EQ(D3DERR_INVALIDCALL, s.Draw());
}

} // namespace
