#include "host/framework/SaverTextFormat.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

static void FormatTextV(wchar_t* target, size_t capacity, const wchar_t* format, va_list args)
{
    if (!target || capacity == 0)
        return;
    vswprintf(target, capacity, format, args);
    target[capacity - 1] = L'\0';
}

void FormatText(wchar_t* target, size_t capacity, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatTextV(target, capacity, format, args);
    va_end(args);
}

void FormatShortText(wchar_t* target, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatTextV(target, 40, format, args);
    va_end(args);
}

void FormatLongText(wchar_t* target, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatTextV(target, 260, format, args);
    va_end(args);
}
