// What the process holds in memory, for the tests and benchmarks that look for growth.
#pragma once

#include <windows.h>

// The bytes in use in the process's Windows heaps, where this program's own allocations and
// those of the platform's Windows side (Direct3D, D3DX, DirectShow) live. Under Wine this leaves
// out what Mesa keeps on the Unix side: about 4 MB for every 1024 x 768 texture that was drawn,
// even after the texture is released.
SIZE_T HeapBytesInUse();

// The process's committed private bytes (Unix side included under Wine).
SIZE_T PrivateBytes();
