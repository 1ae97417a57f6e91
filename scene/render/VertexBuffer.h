// One vertex buffer over a layout of VertexLayouts.h, with its vertex count and the pointer that
// is set only while the buffer is locked for writing.
//
// Writing always follows one pattern: Lock (0, 0, pointer, 0), write, clear the pointer, Unlock.
// Every lock is counted (BufferLocks.h).
// WriteVertices does exactly that, and does nothing when there is no buffer to lock.
#pragma once

#include <d3d9.h>
#include <cstdint>

#include "document/ComRef.h"
#include "document/CurrentDevice.h"
#include "scene/render/BufferLocks.h"

template <class V>
struct VertexStore {
    ComRef<IDirect3DVertexBuffer9> buffer;
    V* locked = nullptr;
    uint32_t count = 0;
};

// Releases a buffer already there, stores the count and makes a new buffer of count × stride
// bytes with the layout's FVF on CurrentDevice. The count is kept even when creation fails.
template <class V>
HRESULT MakeVertexBuffer(uint32_t count, VertexStore<V>& store, DWORD usage, D3DPOOL pool)
{
    store.buffer.Reset();
    store.locked = nullptr;
    store.count = count;
    if (!CurrentDevice || count == 0)
        return D3DERR_INVALIDCALL;
    return CurrentDevice->CreateVertexBuffer(count * V::Stride, usage, V::FVF, pool, store.buffer.Out(),
                                             nullptr);
}

// Locks the whole buffer, hands `write` the vertices and their count, unlocks. Returns false
// (and calls nothing) when there is no buffer or it cannot be locked.
template <class V, class Write>
bool WriteVertices(VertexStore<V>& store, Write&& write)
{
    if (!store.buffer || store.count == 0)
        return false;
    void* bits = nullptr;
    if (FAILED(LockBuffer(store.buffer.Get(), 0, &bits)) || !bits)
        return false;
    store.locked = static_cast<V*>(bits);
    write(store.locked, store.count);
    store.locked = nullptr;
    store.buffer->Unlock();
    return true;
}
