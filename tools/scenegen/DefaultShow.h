// The program's own slide show, the scene document that the executable embeds as "DDS" 107.
//
// Seven slides, one for each light kind (0 picture only to 6 glass ball), each with a
// background picture of its own drawn at build time (tools/pictures), fades of a few seconds
// and holds of ten to twenty; two looping sound tracks embedded as bytes (tools/sounds); and a
// resource manager that carries copies of the library pictures the lights ask for by key, so
// the show still has its pictures when common_res.dll is missing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/docwriter/DocumentBuilder.h"

// Hands out the bytes of one content file by name ("meadow.png", "evening_pad.wav", the library
// picture "background.png", ...). Returns false when the file cannot be read.
using ContentReader = std::function<bool(const std::wstring& name, std::vector<uint8_t>& bytes)>;

// The library pictures that the manager carries copies of: id and the generated file's name.
struct LibraryCopy {
    int32_t id;
    const wchar_t* file;
};
extern const LibraryCopy kLibraryCopies[5];
constexpr const wchar_t* kLibraryName = L"common_res.dll";

// Appends one object description's record to a slide's object list (list format 3). Every
// object of the default show reaches its slide through this (see DefaultShow.cpp).
void AppendObject(SlidePlan& slide, DS_IOF_Item& description);

// Builds the whole show. Fails (false, with the missing file's name in `missing`) when a content
// file cannot be read.
bool BuildDefaultShow(const ContentReader& read, DocumentPlan& show, std::wstring& missing);
