// The built program's show as the document every player start reads, for the benchmarks that
// play it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "document/SceneDoc.h"
#include "host/player/ScenePlayer.h"
#include "scene/constructors/SceneReaders.h"
#include "tests/support/BuiltProgram.h"

// Reads the show into `show` (which must outlive every player), registers the program's object
// kinds and makes the show the players' document. False, with a line on the console, when the
// built program or its show is missing.
inline bool PlayTheBuiltShow(std::vector<uint8_t>& show)
{
    show = BuiltProgramShow();
    if (show.empty()) {
        std::printf("the program's show could not be read (lanternwork.scr beside this program?)\n");
        return false;
    }
    RegisterSceneReaders();
    SetSceneDocumentSource([&show](SceneDoc& doc) { LoadSceneDocument(show.data(), show.size(), doc); });
    return true;
}
