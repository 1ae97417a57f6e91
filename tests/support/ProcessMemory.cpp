#include "tests/support/ProcessMemory.h"

#include <psapi.h>

#include <vector>

SIZE_T HeapBytesInUse()
{
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    SIZE_T inUse = 0;
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                inUse += entry.cbData;
        HeapUnlock(heap);
    }
    return inUse;
}

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof(counters)))
        return 0;
    // Wine 8 leaves PrivateUsage at 0; its PagefileUsage counts the same committed private bytes.
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}
