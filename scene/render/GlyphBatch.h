// GlyphBatch: a large, fixed number of textured screen-space quads sharing one texture (the
// glyphs of the glyph rain). The quads are split into chunks of at most 16383 quads, so that a
// chunk's indices stay 16-bit; each chunk is one indexed mesh with its own buffers, drawn with one
// call. The owner fills any quad by its global index while the batch is locked:
//
//     batch.Resize(n);  batch.SetTexture(t);
//     every frame:  batch.LockAll();
//                   for q in 0..n-1: SetQuadPosition(q, ...); SetQuadColour(q, ...); SetQuadUV(q, ...);
//                   batch.UnlockAll();  ...  batch.Draw();
//
// Quad k of a chunk uses vertices 4k..4k+3 and the triangles (0, 1, 2) and (2, 1, 3). With the
// centre c and the axes a (right) and b (down), the vertices are bottom-left c - a + b, top-left
// c - a - b, bottom-right c + a + b and top-right c + a - b. All buffers are write-only in the
// managed pool, so a device reset needs nothing from the batch.
#pragma once

#include <d3dx9.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "document/ComRef.h"
#include "scene/render/Meshes.h"

constexpr int32_t kGlyphChunkQuads = 16383;

// The quad counts of the chunks that hold n quads, in order (none for n of 0 or less).
std::vector<int32_t> GlyphChunkSizes(int32_t n);

// The writers of one chunk's buffers, over plain arrays.
// Index pattern of quads 0..quads-1: 4k, 4k+1, 4k+2, 4k+2, 4k+1, 4k+3.
void WriteQuadIndices(uint16_t* indices, uint32_t quads);
// Every quad at the origin with rhw 1, colour 0 and coordinates (0, 1), (0, 0), (1, 1), (1, 0).
void ResetQuadVertices(DX_V::SCT* vertices, uint32_t quads);
// The four corners of one quad (z from the centre, rhw 1); colour and coordinates stay.
void WriteQuadCorners(DX_V::SCT* quad, const D3DXVECTOR3& centre, const D3DXVECTOR3& a, const D3DXVECTOR3& b);
void WriteQuadColour(DX_V::SCT* quad, D3DCOLOR colour);
void WriteQuadUV(DX_V::SCT* quad, float uLeft, float uRight, float vTop, float vBottom);

// One chunk: an indexed triangle-list mesh of screen-space quads and its texture.
class GlyphChunk : public DS_IndexedMesh<DX_V::SCT> {
public:
    // New buffers of vertexCount vertices and indexCount 16-bit indices (those held before are
    // released); a triangle list of indexCount / 3 triangles.
    HRESULT CreateBuffers(uint32_t vertexCount, uint32_t indexCount);
    // Texture coordinates of quad k, while the chunk is locked.
    void SetQuadUV(uint32_t k, float uLeft, float uRight, float vTop, float vBottom);

    uint32_t QuadCount() const { return vertices.count / 4; }
    // The vertices of quad k while the chunk is locked, else null.
    DX_V::SCT* LockedQuad(uint32_t k) const
    {
        return vertices.locked && k < QuadCount() ? vertices.locked + 4 * size_t(k) : nullptr;
    }

    ComRef<IDirect3DTexture9> texture;
};

class GlyphBatch {
public:
    // One empty chunk, no quads.
    GlyphBatch();
    GlyphBatch(const GlyphBatch&) = delete;
    GlyphBatch& operator=(const GlyphBatch&) = delete;

    // n quads in ceil(n / 16383) chunks, every quad reset; chunks that exist stay (rebuilt),
    // surplus ones go, new ones take chunk 0's texture. With n of 0 or less one empty chunk stays.
    void Resize(int32_t n);
    // Every chunk holds `texture` (counted), letting go of the one it held.
    void SetTexture(IDirect3DTexture9* texture);

    // Locks every chunk that has a vertex buffer; UnlockAll undoes it. The quad writers below do
    // nothing outside a lock, for a quad index out of range or on a chunk without buffers.
    void LockAll();
    void SetQuadPosition(int32_t q, const D3DXVECTOR3& centre, const D3DXVECTOR3& a, const D3DXVECTOR3& b);
    void SetQuadColour(int32_t q, D3DCOLOR colour);
    void SetQuadUV(int32_t q, float uLeft, float uRight, float vTop, float vBottom);
    void UnlockAll();

    // One indexed draw per chunk with its texture on stage 0. Sets no render state: blending and
    // the texture stages are the caller's.
    void Draw() const { Draw(quadCount_); }
    // The same for quads 0..quads-1 alone: chunks past them are skipped, the last one drawn in
    // part.
    void Draw(int32_t quads) const;

    int32_t QuadCount() const { return quadCount_; }
    // How many times Resize has built the chunks.
    uint32_t Builds() const { return builds_; }
    size_t ChunkCount() const { return chunks_.size(); }
    const GlyphChunk& Chunk(size_t i) const { return *chunks_[i]; }

private:
    // The chunk's buffers for k quads, with the index pattern written and every quad reset.
    static void BuildChunk(GlyphChunk& chunk, uint32_t k);
    DX_V::SCT* LockedQuad(int32_t q) const;

    int32_t quadCount_ = 0;
    uint32_t builds_ = 0;
    std::vector<std::unique_ptr<GlyphChunk>> chunks_;
};
