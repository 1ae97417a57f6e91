// The built screensaver beside the running test program, read for its resources.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The path of a file in the folder of the running test program (where lanternwork.scr is built).
std::wstring BesideThisProgram(const wchar_t* name);

// lanternwork.scr loaded for its resources only (not run); null when it is missing.
HMODULE LoadBuiltProgram();

// The built program's own show (its "DDS" 107); empty when the program or the show is missing.
std::vector<uint8_t> BuiltProgramShow();

// A text of the built program's string table; empty when it has none of that id.
std::wstring ProgramString(UINT id);
