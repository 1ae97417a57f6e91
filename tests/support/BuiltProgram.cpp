#include "tests/support/BuiltProgram.h"

std::wstring BesideThisProgram(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    return p.substr(0, p.find_last_of(L"\\/") + 1) + name;
}

HMODULE LoadBuiltProgram()
{
    return LoadLibraryExW(BesideThisProgram(L"lanternwork.scr").c_str(), nullptr,
                          LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

std::vector<uint8_t> BuiltProgramShow()
{
    std::vector<uint8_t> bytes;
    if (HMODULE program = LoadBuiltProgram()) {
        if (HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(107), L"DDS")) {
            const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(program, found)));
            bytes.assign(data, data + SizeofResource(program, found));
        }
        FreeLibrary(program);
    }
    return bytes;
}

std::wstring ProgramString(UINT id)
{
    std::wstring text;
    if (HMODULE module = LoadBuiltProgram()) {
        const wchar_t* found = nullptr;
        const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&found), 0);
        if (length > 0)
            text.assign(found, static_cast<size_t>(length));
        FreeLibrary(module);
    }
    return text;
}
