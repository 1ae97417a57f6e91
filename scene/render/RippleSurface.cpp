#include "scene/render/RippleSurface.h"

#include <algorithm>
#include <cmath>

#include <xmmintrin.h>

#include "document/CurrentDevice.h"
#include "scene/render/BufferLocks.h"

namespace {

// The table proper starts at entry 256; the 256 entries before it are copies of entry 0.
constexpr int kTableSize = 256;
RefractionEntry gRefractionStorage[2 * kTableSize];

// trunc(value) as a count: 0 for negative values and NaN, and capped far above any grid, so the
// products below stay in range.
uint32_t TruncCount(float value)
{
    constexpr float kCap = 1.0e7f;
    if (!(value > 0.0f))
        return 0;
    return value >= kCap ? static_cast<uint32_t>(kCap) : static_cast<uint32_t>(value);
}

uint32_t EvenBelow(uint32_t value)
{
    return value & ~1u;
}

// Unit length, or the zero vector for a zero vector.
inline D3DXVECTOR3 Normalised(const D3DXVECTOR3& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0.0f)
        return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    return D3DXVECTOR3(v.x / length, v.y / length, v.z / length);
}

inline float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

} // namespace

float SinF(float x)
{
    return std::sin(x);
}

int RoundToInt(float x)
{
    return _mm_cvtss_si32(_mm_set_ss(x));
}

RippleGrid ComputeRippleGrid(float width, float depth, float rowFactor, float columnFactor)
{
    // The row count follows the column count before it is made even, so the cells stay square
    // when rowFactor is 1.
    const uint32_t c = TruncCount(128.0f * columnFactor);
    RippleGrid grid;
    grid.columns = EvenBelow(c);
    grid.rows = EvenBelow(TruncCount(static_cast<float>(c) * (depth / width) * rowFactor));
    uint64_t cells = uint64_t{grid.columns} * grid.rows;
    if (cells > kMaxRippleCells) {
        grid.columns = EvenBelow(kMaxRippleCells / grid.rows);
        cells = uint64_t{grid.columns} * grid.rows;
    }
    grid.cellCount = static_cast<uint32_t>(cells);
    return grid;
}

void WriteSpiralStrip(uint32_t columns, uint32_t rows, uint16_t* indices, uint32_t indexCount)
{
    std::fill(indices, indices + indexCount, uint16_t{0});
    const int64_t vertexCount = int64_t{columns} * rows;
    uint32_t written = 0;
    // Appends the 16-bit index of vertex (x, z); one outside the grid becomes 0.
    auto append = [&](int64_t x, int64_t z) {
        const uint16_t index = static_cast<uint16_t>(z * int64_t{columns} + x);
        if (written < indexCount)
            indices[written] = index < vertexCount ? index : 0;
        ++written;
    };

    int64_t n = columns, r = rows, x = 0, z = 0;
    while (written < indexCount) {
        const uint32_t before = written;
        for (int64_t k = 0; k < n; ++k, ++x) // top row of the band, rightward
            append(x, z), append(x, z + 1);
        x -= 1;
        z += 1;
        for (int64_t k = 0; k < r - 1; ++k, ++z) // right column, downward
            append(x, z), append(x - 1, z);
        x -= 1;
        z -= 1;
        for (int64_t k = 0; k < n - 1; ++k, --x) // bottom row, leftward
            append(x, z), append(x, z - 1);
        x += 1;
        z -= 1;
        for (int64_t k = 0; k < r - 2; ++k, --z) // left column, upward
            append(x, z), append(x + 1, z);
        n -= 2;
        r -= 2;
        x += 1;
        z += 1;
        if (written == before) // odd sizes run out of bands before the count is reached
            break;
    }
}

std::vector<StripPiece> SplitStrip(uint32_t indexCount, uint32_t vertexCount, uint32_t maxPrimitiveCount,
                                   uint32_t maxVertexIndex)
{
    std::vector<StripPiece> pieces;
    if (indexCount < 3 || vertexCount == 0 || vertexCount - 1 > maxVertexIndex)
        return pieces;
    // Every piece but the last has an even count, so that the next one starts at an even index.
    const uint32_t pieceSize = maxPrimitiveCount & ~1u;
    if (pieceSize == 0)
        return pieces;
    const uint32_t total = indexCount - 2;
    for (uint32_t start = 0; start < total; start += pieceSize)
        pieces.push_back(StripPiece{start, std::min(pieceSize, total - start)});
    return pieces;
}

const RefractionEntry* FillRefractionTable()
{
    RefractionEntry* table = gRefractionStorage + kTableSize;
    for (int i = 0; i < kTableSize; ++i) {
        // x is the cosine of the incidence angle; b the sine of the refraction angle in water.
        const float x = static_cast<float>(i) / 256.0f;
        const float a = SinF(std::acos(x));
        const float b = a / 1.333f;
        const float c = std::cos(std::asin(b));
        table[i].toNormal = (a / b) * c - x;
        table[i].scale = -b / a;
        // Black, with alpha ⌊(255 − i)³ ÷ 65536⌋.
        const uint32_t f = static_cast<uint32_t>(255 - i);
        table[i].colour = ((f * f * f) & 0xFFFF0000u) << 8;
    }
    for (int i = 1; i <= kTableSize; ++i)
        table[-i] = table[0];
    return table;
}

RippleSurface::~RippleSurface() = default;

void RippleSurface::BuildRefractionTable()
{
    if (!refractionTable)
        refractionTable = FillRefractionTable();
}

HRESULT RippleSurface::Build(float newWidth, float newDepth, float rowFactor, float columnFactor)
{
    const RippleGrid grid = ComputeRippleGrid(newWidth, newDepth, rowFactor, columnFactor);
    columns = grid.columns;
    rows = grid.rows;
    cellCount = grid.cellCount;
    width = newWidth;
    depth = newDepth;
    invWidth = 1.0f / newWidth;
    invDepth = 1.0f / newDepth;
    vertexCount = cellCount;
    indexCount = 2 * cellCount;
    cells.assign(cellCount, RippleCell{0.0f, 0.0f});
    ++builds;
    ReleaseBuffers();
    indexBuffer.Reset();
    return CreateBuffers();
}

HRESULT RippleSurface::CreateBuffers()
{
    if (cellCount == 0)
        return S_OK;
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return D3DERR_INVALIDCALL;
    if (!indexBuffer) {
        HRESULT hr = device->CreateIndexBuffer(indexCount * sizeof(uint16_t), 0, D3DFMT_INDEX16,
                                               D3DPOOL_MANAGED, indexBuffer.Out(), nullptr);
        if (FAILED(hr))
            return hr;
        void* bits = nullptr;
        hr = LockBuffer(indexBuffer.Get(), 0, &bits);
        if (FAILED(hr) || !bits) {
            // A buffer that could not be filled is not kept, so nothing draws from it.
            indexBuffer.Reset();
            return FAILED(hr) ? hr : D3DERR_INVALIDCALL;
        }
        WriteSpiralStrip(columns, rows, static_cast<uint16_t*>(bits), indexCount);
        indexBuffer->Unlock();
    }
    if (!vertexBuffer)
        return device->CreateVertexBuffer(vertexCount * DX_V::PNCT::Stride, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                          DX_V::PNCT::FVF, D3DPOOL_DEFAULT, vertexBuffer.Out(), nullptr);
    return S_OK;
}

void RippleSurface::ReleaseBuffers()
{
    vertexBuffer.Reset();
}

void RippleSurface::AddDrop()
{
    if (!HasInterior())
        return;
    const auto next = [this] { return static_cast<uint32_t>(random ? random() : std::rand()); };
    const uint32_t x = next() % (columns - 2) + 1;
    const uint32_t z = next() % (rows - 2) + 1;
    const float s = dropStrength;
    Cell(x, z).velocity -= s * 0.25f;
    Cell(x - 1, z).velocity -= s * 0.125f;
    Cell(x + 1, z).velocity -= s * 0.125f;
    Cell(x, z - 1).velocity -= s * 0.125f;
    Cell(x, z + 1).velocity -= s * 0.125f;
    Cell(x - 1, z - 1).velocity -= s * 0.0625f;
    Cell(x + 1, z - 1).velocity -= s * 0.0625f;
    Cell(x - 1, z + 1).velocity -= s * 0.0625f;
    Cell(x + 1, z + 1).velocity -= s * 0.0625f;
}

bool RippleSurface::HasInterior() const
{
    return columns > 2 && rows > 2 && cells.size() == size_t{columns} * rows;
}

void RippleSurface::Step()
{
    if (!HasInterior())
        return;
    const uint32_t n = columns;
    RippleCell* const grid = cells.data();

    // Velocities. The pass is in place: border cells visited already read as 0, every other
    // height is the one the previous sub-step left.
    float sum = 0.0f;
    for (uint32_t z = 0; z < rows; ++z) {
        RippleCell* const row = grid + z * n;
        if (z == 0 || z == rows - 1) {
            std::fill(row, row + n, RippleCell{0.0f, 0.0f});
            continue;
        }
        const RippleCell* const prev = row - n;
        const RippleCell* const next = row + n;
        row[0] = RippleCell{0.0f, 0.0f};
        for (uint32_t x = 1; x < n; ++x) {
            const uint32_t xp = x - 1;
            const uint32_t xn = x + 1 < n ? x + 1 : 0; // the last column wraps to column 0
            const float diagonals = prev[xp].height + prev[xn].height + next[xp].height + next[xn].height;
            const float edges = row[xp].height + row[xn].height + prev[x].height + next[x].height;
            const float average = diagonals / 12.0f + edges / 6.0f;
            RippleCell& cell = row[x];
            cell.velocity = (average - cell.height) * 0.25f + cell.velocity * damping;
            sum += cell.velocity + cell.height;
        }
    }

    // Heights, less the mean, so the surface keeps its level.
    meanLevel = sum / static_cast<float>(cellCount);
    for (RippleCell& cell : cells)
        cell.height = cell.height + cell.velocity * heightScale - meanLevel;
}

void RippleSurface::Simulate()
{
    for (int i = 0; i < kSubSteps; ++i)
        Step();
}

void RippleSurface::FillVertices(const D3DXVECTOR3& eye, DX_V::PNCT* vertices) const
{
    if (columns < 2 || rows < 2 || cells.size() != size_t{columns} * rows)
        return;
    const RefractionEntry* const table = refractionTable ? refractionTable : FillRefractionTable();
    const uint32_t n = columns;
    const RippleCell* const grid = cells.data();
    const float m = 1.0f - 0.05f * refractionDepth;

    for (uint32_t z = 0; z < rows; ++z) {
        const RippleCell* const row = grid + z * n;
        const RippleCell* const prev = grid + (z > 0 ? z - 1 : rows - 1) * n;
        const RippleCell* const next = grid + (z + 1 < rows ? z + 1 : 0) * n;
        const float Z = -depth / 2.0f + static_cast<float>(z) * depth / static_cast<float>(rows - 1);
        DX_V::PNCT* const out = vertices + z * n;
        for (uint32_t x = 0; x < n; ++x) {
            const uint32_t xp = x > 0 ? x - 1 : n - 1;
            const uint32_t xn = x + 1 < n ? x + 1 : 0;
            const float X = -width / 2.0f + static_cast<float>(x) * width / static_cast<float>(n - 1);
            const float h = row[x].height;

            const float left = prev[xp].height + row[xp].height + next[xp].height;
            const float right = prev[xn].height + row[xn].height + next[xn].height;
            const float before = prev[xp].height + prev[x].height + prev[xn].height;
            const float after = next[xp].height + next[x].height + next[xn].height;
            const D3DXVECTOR3 normal = Normalised(D3DXVECTOR3(left - right, 1.0f, before - after));
            const D3DXVECTOR3 toEye = Normalised(D3DXVECTOR3(eye.x - X, eye.y - h, eye.z - Z));

            // A normal facing away from the eye (a negative index) reads entry 0.
            const int k = std::clamp(RoundToInt(255.0f * Dot(normal, toEye)), -255, 255);
            const RefractionEntry& entry = table[k];
            const D3DXVECTOR3 ray = entry.scale * (entry.toNormal * normal + toEye);

            // Where the refracted ray leaves the sphere of radius 35 around (0, 20, 0).
            const D3DXVECTOR3 q(X, h - 20.0f, Z);
            const float b = 2.0f * Dot(ray, q);
            const float c = Dot(q, q) - 1225.0f;
            const float t = (std::sqrt(std::max(0.0f, b * b - 4.0f * c)) - b) * 0.5f;
            const float s = t * refractionDepth;

            DX_V::PNCT& v = out[x];
            v.x = X;
            v.y = h;
            v.z = Z;
            v.nx = normal.x;
            v.ny = normal.y;
            v.nz = normal.z;
            v.colour = entry.colour;
            v.u = m * (X + s * ray.x) * invWidth + 0.5f;
            v.v = m * (Z + s * ray.z) * invDepth + 0.5f;
        }
    }
}

HRESULT RippleSurface::Update(const D3DXVECTOR3& eye)
{
    if (!HasInterior())
        return S_OK;
    Simulate();
    if (!vertexBuffer)
        return D3DERR_INVALIDCALL;
    void* bits = nullptr;
    // Every vertex is written below and none is read back: the old contents can go.
    const HRESULT hr = LockBuffer(vertexBuffer.Get(), D3DLOCK_DISCARD, &bits);
    if (FAILED(hr))
        return hr;
    if (bits)
        FillVertices(eye, static_cast<DX_V::PNCT*>(bits));
    vertexBuffer->Unlock();
    return bits ? S_OK : D3DERR_INVALIDCALL;
}

HRESULT RippleSurface::Draw()
{
    if (!HasInterior())
        return S_OK;
    IDirect3DDevice9* device = CurrentDevice;
    if (!device || !vertexBuffer || !indexBuffer)
        return D3DERR_INVALIDCALL;
    device->SetVertexShader(nullptr);
    device->SetFVF(DX_V::PNCT::FVF);
    HRESULT hr = device->SetStreamSource(0, vertexBuffer.Get(), 0, DX_V::PNCT::Stride);
    if (FAILED(hr))
        return hr;
    hr = device->SetIndices(indexBuffer.Get());
    if (FAILED(hr))
        return hr;
    D3DCAPS9 caps = {};
    hr = device->GetDeviceCaps(&caps);
    if (FAILED(hr))
        return hr;
    const std::vector<StripPiece> pieces = SplitStrip(indexCount, vertexCount, caps.MaxPrimitiveCount, caps.MaxVertexIndex);
    if (pieces.empty())
        return D3DERR_INVALIDCALL;
    for (const StripPiece& piece : pieces) {
        hr = device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, vertexCount, piece.startIndex,
                                          piece.primitiveCount);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}
