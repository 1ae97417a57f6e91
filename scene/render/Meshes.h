// The retained meshes: one vertex buffer over a fixed layout (DS_SimpleMesh), plus a 16-bit index
// buffer (DS_IndexedMesh) or a texture (DS_TexturedQuad), and the shared textured mesh that is
// drawn once per instance frame (DS_MeshElement).
//
// Every buffer made here is write-only in the managed pool, so it survives a device reset.
// The buffers and the texture are counted references; each mesh releases its own when it goes.
#pragma once

#include <d3d9.h>
#include <cstdint>
#include <vector>

#include "document/ComRef.h"
#include "document/CurrentDevice.h"
#include "document/ValueRecords.h"
#include "scene/render/Frame.h"
#include "scene/render/VertexBuffer.h"
#include "scene/render/VertexLayouts.h"

template <class V>
class DS_SimpleMesh : public DS_Frame {
public:
    using Vertex = V;

    // A four-vertex triangle strip (two triangles); the buffer held before is released.
    HRESULT MakeQuadBuffer()
    {
        const HRESULT hr = MakeVertexBuffer(4, vertices, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
        primitiveType = D3DPT_TRIANGLESTRIP;
        primitiveCount = 2;
        return hr;
    }

    // True when there is a buffer with something in it to draw.
    bool HasGeometry() const { return vertices.buffer && primitiveCount > 0; }

    // Lets go of the buffer: nothing to draw until a buffer is made again.
    void ReleaseBuffer()
    {
        vertices.buffer.Reset();
        vertices.locked = nullptr;
        vertices.count = 0;
        primitiveCount = 0;
    }

    VertexStore<V> vertices;
    D3DPRIMITIVETYPE primitiveType = D3DPT_TRIANGLESTRIP;
    uint32_t primitiveCount = 0;
};

template <class V>
class DS_IndexedMesh : public DS_SimpleMesh<V> {
public:
    // Indices, no vertex shader, the layout's FVF and the vertex buffer as stream 0.
    // Returns false when either buffer is missing, so the caller draws nothing.
    bool Bind() const
    {
        if (!CurrentDevice)
            return false;
        CurrentDevice->SetIndices(indexBuffer.Get());
        CurrentDevice->SetVertexShader(nullptr);
        CurrentDevice->SetFVF(V::FVF);
        CurrentDevice->SetStreamSource(0, this->vertices.buffer.Get(), 0, V::Stride);
        return indexBuffer && this->vertices.buffer && triangleCount > 0;
    }

    ComRef<IDirect3DIndexBuffer9> indexBuffer; // 16-bit indices
    uint32_t triangleCount = 0;                // primitive count of the indexed draw
    uint16_t* lockedIndices = nullptr;         // set only while the index buffer is locked
};

template <class V>
class DS_TexturedQuad : public DS_SimpleMesh<V> {
public:
    // Holds `t` (one reference added); the texture held before is released.
    void SetTexture(IDirect3DTexture9* t) { texture = ComRef<IDirect3DTexture9>::Share(t); }

    // Its texture on stage 0, no vertex shader, the layout's FVF and its buffer as stream 0.
    // Returns false when there is no buffer to draw from.
    bool Bind() const
    {
        if (!CurrentDevice)
            return false;
        CurrentDevice->SetTexture(0, texture.Get());
        CurrentDevice->SetVertexShader(nullptr);
        CurrentDevice->SetFVF(V::FVF);
        CurrentDevice->SetStreamSource(0, this->vertices.buffer.Get(), 0, V::Stride);
        return this->HasGeometry();
    }

    ComRef<IDirect3DTexture9> texture;
};

// A textured mesh shared by several frames: it is drawn once per listed instance, with that
// frame's world matrix and cull flag. The instance frames are not owned.
class DS_MeshElement : public DS_IndexedMesh<DX_V::PNT> {
public:
    void SetTexture(IDirect3DTexture9* t) { texture = ComRef<IDirect3DTexture9>::Share(t); }

    // From the resources of the current document (CurrentDocResManager): the texture becomes
    // frame 0 of the texture key's animation, then LoadMesh (meshKey). A key without a picture
    // leaves the element without a texture, so it draws untextured.
    void SetTextureAndMesh(const ResKey& textureKey, const ResKey& meshKey);
    // The mesh key's buffers (counted), vertex count, face count as triangle count and bounding
    // sphere; drawn as a triangle list. A mesh that does not load leaves no buffers and counts 0,
    // so Bind tells the renderer to draw nothing. Without a current document the same.
    void LoadMesh(const ResKey& meshKey);

    ComRef<IDirect3DTexture9> texture;
    bool alpha = false; // blended and drawn on both faces by the picture lights' renderer
    std::vector<DS_Frame*> instances;
};
