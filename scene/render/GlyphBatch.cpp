#include "scene/render/GlyphBatch.h"

#include "document/CurrentDevice.h"
#include "scene/render/BufferLocks.h"

std::vector<int32_t> GlyphChunkSizes(int32_t n)
{
    std::vector<int32_t> sizes;
    for (int32_t first = 0; first < n; first += kGlyphChunkQuads)
        sizes.push_back(n - first < kGlyphChunkQuads ? n - first : kGlyphChunkQuads);
    return sizes;
}

void WriteQuadIndices(uint16_t* indices, uint32_t quads)
{
    for (uint32_t k = 0; k < quads; ++k) {
        const uint16_t v = static_cast<uint16_t>(4 * k);
        uint16_t* i = indices + 6 * size_t(k);
        i[0] = v;
        i[1] = uint16_t(v + 1);
        i[2] = uint16_t(v + 2);
        i[3] = uint16_t(v + 2);
        i[4] = uint16_t(v + 1);
        i[5] = uint16_t(v + 3);
    }
}

void ResetQuadVertices(DX_V::SCT* vertices, uint32_t quads)
{
    static const float uv[4][2] = {{0, 1}, {0, 0}, {1, 1}, {1, 0}};
    for (uint32_t k = 0; k < quads; ++k)
        for (int i = 0; i < 4; ++i)
            vertices[4 * size_t(k) + i] = {0.0f, 0.0f, 0.0f, 1.0f, 0u, uv[i][0], uv[i][1]};
}

void WriteQuadCorners(DX_V::SCT* quad, const D3DXVECTOR3& centre, const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const D3DXVECTOR3 corners[4] = {centre - a + b, centre - a - b, centre + a + b, centre + a - b};
    for (int i = 0; i < 4; ++i) {
        quad[i].x = corners[i].x;
        quad[i].y = corners[i].y;
        quad[i].z = corners[i].z;
        quad[i].rhw = 1.0f;
    }
}

void WriteQuadColour(DX_V::SCT* quad, D3DCOLOR colour)
{
    for (int i = 0; i < 4; ++i)
        quad[i].colour = colour;
}

void WriteQuadUV(DX_V::SCT* quad, float uLeft, float uRight, float vTop, float vBottom)
{
    quad[0].u = uLeft;
    quad[0].v = vBottom;
    quad[1].u = uLeft;
    quad[1].v = vTop;
    quad[2].u = uRight;
    quad[2].v = vBottom;
    quad[3].u = uRight;
    quad[3].v = vTop;
}

HRESULT GlyphChunk::CreateBuffers(uint32_t vertexCount, uint32_t indexCount)
{
    HRESULT hr = MakeVertexBuffer(vertexCount, vertices, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
    primitiveType = D3DPT_TRIANGLELIST;
    primitiveCount = 0;
    triangleCount = indexCount / 3;
    indexBuffer.Reset();
    lockedIndices = nullptr;
    if (!CurrentDevice || indexCount == 0)
        return D3DERR_INVALIDCALL;
    const HRESULT indexResult = CurrentDevice->CreateIndexBuffer(indexCount * sizeof(uint16_t), D3DUSAGE_WRITEONLY,
                                                                 D3DFMT_INDEX16, D3DPOOL_MANAGED, indexBuffer.Out(),
                                                                 nullptr);
    return FAILED(hr) ? hr : indexResult;
}

void GlyphChunk::SetQuadUV(uint32_t k, float uLeft, float uRight, float vTop, float vBottom)
{
    if (DX_V::SCT* quad = LockedQuad(k))
        WriteQuadUV(quad, uLeft, uRight, vTop, vBottom);
}

GlyphBatch::GlyphBatch()
{
    chunks_.push_back(std::make_unique<GlyphChunk>());
}

void GlyphBatch::BuildChunk(GlyphChunk& chunk, uint32_t k)
{
    chunk.CreateBuffers(4 * k, 6 * k);
    if (chunk.indexBuffer) {
        void* bits = nullptr;
        if (SUCCEEDED(LockBuffer(chunk.indexBuffer.Get(), 0, &bits)) && bits) {
            chunk.lockedIndices = static_cast<uint16_t*>(bits);
            WriteQuadIndices(chunk.lockedIndices, k);
            chunk.lockedIndices = nullptr;
            chunk.indexBuffer->Unlock();
        }
    }
    WriteVertices(chunk.vertices, [k](DX_V::SCT* v, uint32_t) { ResetQuadVertices(v, k); });
}

void GlyphBatch::Resize(int32_t n)
{
    const std::vector<int32_t> sizes = GlyphChunkSizes(n);
    ++builds_;
    if (sizes.empty()) {
        // Nothing to draw: one chunk without buffers stays, and keeps the texture.
        chunks_.resize(1);
        if (!chunks_[0])
            chunks_[0] = std::make_unique<GlyphChunk>();
        GlyphChunk& chunk = *chunks_[0];
        chunk.vertices = VertexStore<DX_V::SCT>{};
        chunk.indexBuffer.Reset();
        chunk.triangleCount = 0;
        quadCount_ = 0;
        return;
    }
    const size_t kept = chunks_.size();
    chunks_.resize(sizes.size());
    for (size_t i = kept; i < chunks_.size(); ++i)
        chunks_[i] = std::make_unique<GlyphChunk>();
    for (size_t i = 0; i < chunks_.size(); ++i) {
        BuildChunk(*chunks_[i], uint32_t(sizes[i]));
        if (i > 0)
            chunks_[i]->texture = chunks_[0]->texture;
    }
    quadCount_ = n;
}

void GlyphBatch::SetTexture(IDirect3DTexture9* texture)
{
    for (auto& chunk : chunks_)
        chunk->texture = ComRef<IDirect3DTexture9>::Share(texture);
}

void GlyphBatch::LockAll()
{
    for (auto& chunk : chunks_) {
        VertexStore<DX_V::SCT>& store = chunk->vertices;
        if (!store.buffer || store.locked)
            continue;
        void* bits = nullptr;
        if (SUCCEEDED(LockBuffer(store.buffer.Get(), 0, &bits)))
            store.locked = static_cast<DX_V::SCT*>(bits);
    }
}

void GlyphBatch::UnlockAll()
{
    for (auto& chunk : chunks_) {
        VertexStore<DX_V::SCT>& store = chunk->vertices;
        if (!store.locked)
            continue;
        store.locked = nullptr;
        store.buffer->Unlock();
    }
}

DX_V::SCT* GlyphBatch::LockedQuad(int32_t q) const
{
    if (q < 0 || q >= quadCount_)
        return nullptr;
    const size_t chunk = size_t(q / kGlyphChunkQuads);
    return chunk < chunks_.size() ? chunks_[chunk]->LockedQuad(uint32_t(q % kGlyphChunkQuads)) : nullptr;
}

void GlyphBatch::SetQuadPosition(int32_t q, const D3DXVECTOR3& centre, const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    if (DX_V::SCT* quad = LockedQuad(q))
        WriteQuadCorners(quad, centre, a, b);
}

void GlyphBatch::SetQuadColour(int32_t q, D3DCOLOR colour)
{
    if (DX_V::SCT* quad = LockedQuad(q))
        WriteQuadColour(quad, colour);
}

void GlyphBatch::SetQuadUV(int32_t q, float uLeft, float uRight, float vTop, float vBottom)
{
    if (DX_V::SCT* quad = LockedQuad(q))
        WriteQuadUV(quad, uLeft, uRight, vTop, vBottom);
}

void GlyphBatch::Draw(int32_t quads) const
{
    if (!CurrentDevice)
        return;
    int64_t left = quads < quadCount_ ? quads : quadCount_;
    for (const auto& chunk : chunks_) {
        if (left <= 0)
            break;
        const uint32_t chunkQuads = chunk->triangleCount / 2;
        const uint32_t drawn = left < int64_t{chunkQuads} ? uint32_t(left) : chunkQuads;
        left -= chunkQuads;
        // A chunk whose buffers were not made has nothing to draw.
        if (!chunk->vertices.buffer || !chunk->indexBuffer || drawn == 0)
            continue;
        CurrentDevice->SetTexture(0, chunk->texture.Get());
        chunk->Bind();
        CurrentDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4 * drawn, 0, 2 * drawn);
    }
}
