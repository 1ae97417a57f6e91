// Writes the compiled effects: the resource library's and those of the tests' library.
//
//     lw_effectgen.exe OUTPUT_FOLDER
//
// OUTPUT_FOLDER receives one file per effect of the table below. Exit code 0 when every one was
// written; 1 with a message on the error stream otherwise.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/effects/HeatHazeEffect.h"
#include "tools/effects/TestEffects.h"

namespace {

struct EffectFile {
    const char* name;
    std::vector<uint8_t> (*build)(std::string& error); // empty on failure, with `error` set
};

const EffectFile kEffectFiles[] = {
    {"heat_haze.fxo", BuildHeatHazeEffect}, // common_res.dll, RCDATA 63
    {"test_first.fxo", [](std::string&) { return BuildTestEffect(kFirstTestTechnique); }},   // lw_test_res.dll, 63
    {"test_second.fxo", [](std::string&) { return BuildTestEffect(kSecondTestTechnique); }}, // lw_test_res.dll, 64
};

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    const bool written = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return out && std::fclose(out) == 0 && written;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: lw_effectgen OUTPUT_FOLDER\n");
        return 1;
    }
    for (const EffectFile& file : kEffectFiles) {
        std::string error;
        const std::vector<uint8_t> bytes = file.build(error);
        if (bytes.empty()) {
            std::fprintf(stderr, "lw_effectgen: %s cannot be made: %s\n", file.name, error.c_str());
            return 1;
        }
        const std::string path = std::string(argv[1]) + "/" + file.name;
        if (!WriteBytes(path, bytes)) {
            std::fprintf(stderr, "lw_effectgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
