// Writes the compiled effects of the resource library.
//
//     lw_effectgen.exe OUTPUT_FILE
//
// OUTPUT_FILE receives the heat-haze effect (resource 63 of common_res.dll). Exit code 0 when it
// was written; 1 with a message on the error stream otherwise.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/effects/HeatHazeEffect.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: lw_effectgen OUTPUT_FILE\n");
        return 1;
    }
    std::string error;
    const std::vector<uint8_t> bytes = BuildHeatHazeEffect(error);
    if (bytes.empty()) {
        std::fprintf(stderr, "lw_effectgen: the heat-haze shader does not assemble: %s\n", error.c_str());
        return 1;
    }
    FILE* out = std::fopen(argv[1], "wb");
    const bool written = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (!out || std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "lw_effectgen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
