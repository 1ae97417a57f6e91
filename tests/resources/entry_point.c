/* The entry point of lw_entry_res.dll, a resource library that also carries code. If the
   library were ever run rather than mapped as resources, this entry point would leave its mark
   in the process environment, where the tests look for it. */
#include <windows.h>

BOOL WINAPI EntryPointLeavesATrace(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    (void)module;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        SetEnvironmentVariableW(L"LW_ENTRY_POINT_RAN", L"1");
    return TRUE;
}
