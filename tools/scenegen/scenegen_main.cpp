// Writes the program's embedded scene document.
//
//     lw_scenegen.exe OUTPUT_FILE CONTENT_FOLDER...
//
// Content files (pictures and sounds) are looked up by name in the folders, in the order given.
// Exit code 0 when the document was written; 1 with a message on the error stream otherwise.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/scenegen/DefaultShow.h"

namespace {

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes)
{
    FILE* in = _wfopen(path.c_str(), L"rb");
    if (!in)
        return false;
    bytes.clear();
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    const bool ok = !std::ferror(in);
    std::fclose(in);
    return ok && !bytes.empty();
}

bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) {
        std::fprintf(stderr, "usage: lw_scenegen OUTPUT_FILE CONTENT_FOLDER...\n");
        return 1;
    }
    const std::wstring output = argv[1];
    std::vector<std::wstring> folders(argv + 2, argv + argc);
    LocalFree(argv);

    const ContentReader read = [&folders](const std::wstring& name, std::vector<uint8_t>& bytes) {
        for (const std::wstring& folder : folders)
            if (ReadWholeFile(folder + L"\\" + name, bytes))
                return true;
        return false;
    };

    DocumentPlan show;
    std::wstring missing;
    if (!BuildDefaultShow(read, show, missing)) {
        std::fprintf(stderr, "lw_scenegen: content file %ls not found\n", missing.c_str());
        return 1;
    }
    const std::vector<uint8_t> document = BuildDocument(show);
    if (!WriteWholeFile(output, document)) {
        std::fprintf(stderr, "lw_scenegen: cannot write %ls\n", output.c_str());
        return 1;
    }
    std::printf("lw_scenegen: %u slides, %u sounds, %u bytes\n",
                static_cast<unsigned>(show.slides.size()), static_cast<unsigned>(show.sounds.size()),
                static_cast<unsigned>(document.size()));
    return 0;
}
