// RippleSurface: the water of the water-ring light. A regular grid of vertices whose heights
// follow a damped wave simulation, disturbed by drops, drawn as one indexed triangle strip that
// spirals inward around the grid.
//
// Each Update advances the simulation by four sub-steps and rewrites every vertex: its position,
// a normal from the neighbouring heights, a colour from the refraction table, and texture
// coordinates displaced by refraction, so the picture seems to lie at the bottom of a shallow
// bowl of water (the far side of a sphere of radius 35 around (0, 20, 0)).
//
// The grid spans x from −width/2 to width/2 and z from −depth/2 to depth/2 at height 0; the cell
// of vertex (x, z) is cells[z × columns + x]. Column 0, row 0 and the last row are held at rest;
// the last column is not, and its neighbours beyond the edge are those of column 0.
//
// The simulation (Simulate) and the vertex fill (FillVertices) work on plain memory; only
// CreateBuffers, Update and Draw touch CurrentDevice. The index buffer is written once and lives
// in the managed pool. The vertex buffer is rewritten whole every frame: dynamic and write-only
// in the default pool, locked with D3DLOCK_DISCARD, so a driver can hand out fresh memory
// instead of waiting for the frame that still draws from it. The owner releases it
// (ReleaseBuffers) before a device reset, and the surface does not make it again by itself.
#pragma once

#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "document/ComRef.h"
#include "scene/render/VertexLayouts.h"

struct RippleCell {
    float height;
    float velocity;
};

struct RefractionEntry {
    float toNormal; // share of the normal in the refracted ray
    float scale;    // factor that makes the refracted ray unit length
    uint32_t colour;
};

// The sine of a float as a float.
float SinF(float x);
// The nearest integer in the current rounding mode (ties to even by default).
int RoundToInt(float x);

// The grid the surface makes for its Build arguments: even column and row counts, at most
// kMaxRippleCells vertices.
struct RippleGrid {
    uint32_t columns = 0;
    uint32_t rows = 0;
    uint32_t cellCount = 0;
};
constexpr uint32_t kMaxRippleCells = 65536; // one 16-bit index buffer holds the whole strip
RippleGrid ComputeRippleGrid(float width, float depth, float rowFactor, float columnFactor);

// The spiral strip of a columns × rows grid: bands two vertices wide around the edge (top row
// rightward, right column downward, bottom row leftward, left column upward), then the next
// band inside. Writes at most indexCount indices (2 × columns × rows for the whole strip);
// indices that fall outside the grid become 0.
void WriteSpiralStrip(uint32_t columns, uint32_t rows, uint16_t* indices, uint32_t indexCount);

// One DrawIndexedPrimitive call over part of a triangle strip: its first index and its triangles.
struct StripPiece {
    uint32_t startIndex;
    uint32_t primitiveCount;
};

// The calls that draw a strip of indexCount indices over vertexCount vertices on a device that
// takes at most maxPrimitiveCount triangles and vertex indices up to maxVertexIndex per call
// (D3DCAPS9). Each piece starts at an even index, so its triangles keep the winding they have in
// the whole strip, and the next one starts where it ends, sharing its last two indices; together
// they draw exactly the triangles of the single strip. Empty when the strip has no triangle, or
// when the device cannot draw it: a limit below 2 triangles, or a vertex it cannot index.
std::vector<StripPiece> SplitStrip(uint32_t indexCount, uint32_t vertexCount, uint32_t maxPrimitiveCount,
                                   uint32_t maxVertexIndex);

// The process-wide refraction table: 256 entries indexed by round(255 × cos of the incidence
// angle), with 256 copies of entry 0 before it, so indices down to −255 read entry 0. Filled on
// every call (the contents never change).
const RefractionEntry* FillRefractionTable();

class RippleSurface {
public:
    static constexpr int kSubSteps = 4;

    RippleSurface() = default;
    ~RippleSurface();
    RippleSurface(const RippleSurface&) = delete;
    RippleSurface& operator=(const RippleSurface&) = delete;

    // Fills the shared table and points at it, when this surface has no table yet.
    void BuildRefractionTable();
    // Sizes the grid, zeroes the cells, releases both buffers and makes them again. Returns
    // what CreateBuffers returns. Counted in `builds`.
    HRESULT Build(float width, float depth, float rowFactor, float columnFactor);
    // Makes the index buffer (holding the strip) and the dynamic vertex buffer, each when it is
    // missing. Returns the first failure, or S_OK; an empty grid needs nothing and gets S_OK.
    HRESULT CreateBuffers();
    // Lets the vertex buffer go (before a device reset); the managed index buffer stays.
    void ReleaseBuffers();

    // One drop at a random interior cell: x = random() mod (columns − 2) + 1, then z the same
    // way over the rows. A grid of 2 or fewer columns or rows has no interior and gets no drop.
    void AddDrop();
    // Four simulation sub-steps, then the vertices rewritten for an eye at `eye`. Returns the
    // Lock failure (D3DERR_INVALIDCALL without a vertex buffer), or S_OK. A grid of 2 or fewer
    // columns or rows is not animated.
    HRESULT Update(const D3DXVECTOR3& eye);
    // The whole grid as one indexed strip with the current transforms, light, material and
    // texture, in as many calls as the device's MaxPrimitiveCount asks for (SplitStrip). Returns
    // the first failure (D3DERR_INVALIDCALL without a buffer, or when the device's caps cannot
    // draw the strip), or S_OK; a grid that Update does not animate is not drawn.
    HRESULT Draw();

    // The parts of Update that need no device.
    // kSubSteps sub-steps of the simulation.
    void Simulate();
    // One sub-step: every cell's velocity from its neighbours' heights, in place and row by
    // row, then every height moved by its velocity, less the mean of heights and velocities.
    void Step();
    // vertexCount vertices for an eye at `eye`, row by row.
    void FillVertices(const D3DXVECTOR3& eye, DX_V::PNCT* vertices) const;

    // True when the grid has interior cells (and its cells are there), so it is animated and drawn.
    bool HasInterior() const;
    RippleCell& Cell(uint32_t x, uint32_t z) { return cells[z * columns + x]; }
    const RippleCell& Cell(uint32_t x, uint32_t z) const { return cells[z * columns + x]; }

    float width = 0.0f;
    float depth = 0.0f;
    float invWidth = 1.0f;
    float invDepth = 1.0f;
    float meanLevel = 0.0f;
    uint32_t indexCount = 0;
    uint32_t vertexCount = 0;
    std::vector<RippleCell> cells;
    const RefractionEntry* refractionTable = nullptr;
    uint32_t columns = 4;
    uint32_t rows = 4;
    uint32_t cellCount = 16;
    ComRef<IDirect3DIndexBuffer9> indexBuffer;   // D3DFMT_INDEX16, managed pool
    ComRef<IDirect3DVertexBuffer9> vertexBuffer; // DX_V::PNCT, dynamic and write-only, default pool
    uint32_t builds = 0;                         // how many times Build has run
    float heightScale = 1.0f;                    // share of the velocity added to the height per sub-step
    float dropStrength = 0.5f;                   // depth of a drop
    float damping = 0.99f;                       // share of the velocity kept per sub-step
    float refractionDepth = 0.2f;                // how deep the refracted rays reach

    // Where drops fall: AddDrop takes two numbers from it. std::rand unless a test sets another.
    std::function<int()> random = [] { return std::rand(); };
};
