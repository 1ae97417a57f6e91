// Resource libraries such as common_res.dll: modules that hold pictures, meshes and effects as
// resources and no code the program needs. They are mapped as resource images, never run.
#pragma once

#include <windows.h>

#include <string>

// The module of the resource library `name`, mapped with LOAD_LIBRARY_AS_IMAGE_RESOURCE and
// LOAD_LIBRARY_AS_DATAFILE, so that its entry point never runs and none of its code can. A name
// without a folder is looked for in the program's own folder first, then along the system's
// search path. Null for an empty name or a library that cannot be mapped.
//
// A mapped library stays mapped for the rest of the run and is handed out again for the same
// name; a library that could not be mapped is looked for again at the next request.
HMODULE LoadResourceLibrary(const std::wstring& name);
