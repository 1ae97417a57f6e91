#include "host/app/BrowserCommand.h"

#include <vector>

std::wstring BuildBrowserCommand(const std::wstring& command, const std::wstring& address)
{
    const size_t placeholder = command.find(L"%1");
    if (placeholder == std::wstring::npos)
        return command + L" " + address;
    std::wstring result = command;
    result.replace(placeholder, 2, address);
    return result;
}

namespace {

// The default value of HKCR "http\shell\open\command", or an empty string.
std::wstring ReadBrowserCommand()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    wchar_t buffer[1024] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);  // room for a terminator the value may lack
    DWORD type = 0;
    const LONG status = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    buffer[size / sizeof(wchar_t)] = L'\0';
    if (type == REG_SZ)
        return buffer;
    // REG_EXPAND_SZ: names such as %ProgramFiles% stand for the environment's values.
    const DWORD needed = ExpandEnvironmentStringsW(buffer, nullptr, 0);
    if (needed == 0)
        return {};
    std::vector<wchar_t> expanded(needed);
    const DWORD written = ExpandEnvironmentStringsW(buffer, expanded.data(), needed);
    if (written == 0 || written > needed)
        return {};
    return expanded.data();
}

} // namespace

BOOL OpenInBrowser(const wchar_t* address)
{
    const std::wstring command = ReadBrowserCommand();
    if (command.empty())
        return 0;
    // CreateProcessW may write into its command line, so it gets a copy of its own.
    std::wstring line = BuildBrowserCommand(command, address);
    std::vector<wchar_t> writable(line.begin(), line.end());
    writable.push_back(L'\0');

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                        &startup, &process);
    if (started) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return started;
}
