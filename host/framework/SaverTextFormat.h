// Bounded wide printf-style formatting for the host's texts: every function ends the text inside
// the buffer, cutting it if needed. Wide strings are passed with %ls.
#pragma once

#include <cstddef>

void FormatText(wchar_t* target, size_t capacity, const wchar_t* format, ...);
void FormatShortText(wchar_t* target /* 40 units */, const wchar_t* format, ...);
void FormatLongText(wchar_t* target /* 260 units */, const wchar_t* format, ...);
