// Opening the maker's web site in the user's default browser.
#pragma once

#include <windows.h>

#include <string>

// The address the configuration dialog's web-site button opens. The maker has no site of its own
// yet, so the button opens a page under example.com, a domain reserved for documentation (RFC
// 2606) that no one else can ever register: it cannot lead a user to a stranger's site. Browsers
// open https pages without a warning. A real site replaces this one line.
constexpr wchar_t kWebSiteAddress[] = L"https://www.example.com/lanternwork/";

// The command line that opens `address` with the browser command `command` (the default value of
// HKEY_CLASSES_ROOT "http\shell\open\command"). The first "%1" is replaced by the address as
// text; without one, a blank and the address are appended. The command is never used as a
// printf format, so any other "%" in it stays as it stands.
std::wstring BuildBrowserCommand(const std::wstring& command, const std::wstring& address);

// Reads the browser command, starts it on `address` and lets the process go (its handles are
// closed). Returns non-zero when a process was started, 0 when the command cannot be read or
// started.
BOOL OpenInBrowser(const wchar_t* address);
