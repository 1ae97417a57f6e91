// BufferLocks: every lock of a vertex or index buffer that the drawing code takes goes through
// LockBuffer, which counts it. Direct3D keeps no such count, and Wine does not mind how often a
// buffer is rewritten or with which flags; the tests read the counts around a frame to see how
// many buffers it rewrites and whether a dynamic buffer is discarded.
#pragma once

#include <d3d9.h>

#include <cstdint>

struct BufferLockCounts {
    uint64_t locks = 0;        // every lock asked for, whether it succeeded or not
    uint64_t discardLocks = 0; // those of them with D3DLOCK_DISCARD
};

// The process-wide counts (one thread draws).
inline BufferLockCounts BufferLocks;

// Locks the whole of `buffer` (a vertex or an index buffer) with `flags`, counted.
template <class Buffer>
HRESULT LockBuffer(Buffer* buffer, DWORD flags, void** bits)
{
    ++BufferLocks.locks;
    if (flags & D3DLOCK_DISCARD)
        ++BufferLocks.discardLocks;
    return buffer->Lock(0, 0, bits, flags);
}
