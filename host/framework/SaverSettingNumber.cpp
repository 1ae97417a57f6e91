#include "host/framework/SaverSettingNumber.h"

bool QuerySettingNumber(HKEY key, const wchar_t* name, DWORD& value)
{
    DWORD number = 0, size = sizeof number, type = REG_NONE;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size) != ERROR_SUCCESS ||
        size != sizeof number)
        return false;
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ || type == REG_LINK)
        return false;
    value = number;
    return true;
}
