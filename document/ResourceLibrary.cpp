#include "document/ResourceLibrary.h"

#include <shlwapi.h>

#include <map>

namespace {

constexpr DWORD kResourceOnly = LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE;

// Every mapping made so far, by the name it was asked for. A mapping is made once per name:
// each resource-only load maps the file anew, so loading again at every use would leave one
// more view of the file behind each time.
std::map<std::wstring, HMODULE>& MappedLibraries()
{
    static std::map<std::wstring, HMODULE> libraries;
    return libraries;
}

// The folder of the running program, with its trailing backslash; empty when it cannot be told.
std::wstring ProgramFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // the path was cut short: try a larger buffer
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

HMODULE MapLibrary(const std::wstring& name)
{
    if (PathIsRelativeW(name.c_str())) {
        const std::wstring folder = ProgramFolder();
        if (!folder.empty())
            if (HMODULE beside = LoadLibraryExW((folder + name).c_str(), nullptr, kResourceOnly))
                return beside;
    }
    return LoadLibraryExW(name.c_str(), nullptr, kResourceOnly);
}

} // namespace

HMODULE LoadResourceLibrary(const std::wstring& name)
{
    if (name.empty())
        return nullptr;
    std::map<std::wstring, HMODULE>& libraries = MappedLibraries();
    auto found = libraries.find(name);
    if (found != libraries.end())
        return found->second;
    HMODULE module = MapLibrary(name); // never unmapped
    if (module)
        libraries[name] = module;
    return module;
}
