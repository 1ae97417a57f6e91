// Reading one number of the saver's settings from the registry.
#pragma once

#include <windows.h>

// One 32-bit setting of the registry: true, with the number, when `name` holds exactly four bytes
// that are not text. Anything else (a missing value, a string, a value of another length) is no
// setting at all, so the caller keeps its default.
bool QuerySettingNumber(HKEY key, const wchar_t* name, DWORD& value);
