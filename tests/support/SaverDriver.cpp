#include "tests/support/SaverDriver.h"

SaverProcess::~SaverProcess()
{
    if (info_.hProcess) {
        if (Running()) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

bool SaverProcess::Start(const std::wstring& arguments, const std::wstring& program, const std::wstring& directory)
{
    const std::wstring path = program.empty() ? BesideThisProgram(L"lanternwork.scr") : program;
    std::wstring commandLine = L"\"" + path + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    return CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &info_) != 0;
}

bool SaverProcess::WaitForExit(DWORD milliseconds, DWORD* exitCode)
{
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        GetExitCodeProcess(info_.hProcess, exitCode);
    return true;
}

bool SaverProcess::Running() const
{
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

namespace {

struct WindowSearch {
    DWORD process;
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->process && (!search->className || ClassName(window) == search->className))
        search->found.push_back(window);
    return TRUE;
}

struct ChildSearch {
    const wchar_t* className;
    std::vector<std::wstring> texts;
};

BOOL CALLBACK CollectChildText(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<ChildSearch*>(param);
    if (lstrcmpiW(ClassName(window).c_str(), search->className) == 0)
        search->texts.push_back(WindowText(window));
    return TRUE;
}

}  // namespace

std::vector<HWND> SaverProcess::Windows(const wchar_t* className) const
{
    WindowSearch search{info_.dwProcessId, className, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND SaverProcess::WaitForWindow(const wchar_t* className, DWORD milliseconds) const
{
    const DWORD start = GetTickCount();
    do {
        const std::vector<HWND> found = Windows(className);
        if (!found.empty())
            return found.front();
        Sleep(50);
    } while (GetTickCount() - start < milliseconds);
    return nullptr;
}

HWND SaverProcess::WaitForVisibleWindow(const wchar_t* className, DWORD milliseconds, const wchar_t* caption) const
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : Windows(className)) {
                if (IsWindowVisible(window) && (!caption || WindowText(window) == caption)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        milliseconds);
    return found;
}

std::wstring WindowText(HWND window)
{
    wchar_t text[1024] = {};
    // WM_GETTEXT works across processes for plain text.
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::vector<std::wstring> ChildTexts(HWND window, const wchar_t* className)
{
    ChildSearch search{className, {}};
    EnumChildWindows(window, CollectChildText, reinterpret_cast<LPARAM>(&search));
    return search.texts;
}

RECT ClientOnScreen(HWND window)
{
    RECT rc;
    GetClientRect(window, &rc);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void Pump(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(20);
    } while (GetTickCount() - start < milliseconds);
}

bool WaitUntilAnswering(HWND window, DWORD milliseconds)
{
    return WaitUntil([&] { return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, nullptr) != 0; },
                     milliseconds);
}

void PostButtonClick(HWND dialog, int controlId)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, controlId)));
}

size_t ScreenImage::Count(uint32_t rgb) const
{
    size_t n = 0;
    for (uint32_t p : pixels)
        n += (p & 0xFFFFFF) == rgb;
    return n;
}

ScreenImage CaptureScreen(const RECT& area)
{
    ScreenImage image;
    image.width = area.right - area.left;
    image.height = area.bottom - area.top;
    if (image.width <= 0 || image.height <= 0)
        return image;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, image.width, image.height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    image.pixels.assign(p, p + static_cast<size_t>(image.width) * image.height);
    for (uint32_t& px : image.pixels)
        px &= 0xFFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

bool ReadUserDword(const std::wstring& keyPath, const wchar_t* name, DWORD* value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = sizeof *value, type = 0;
    const bool ok = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
                        ERROR_SUCCESS &&
                    type == REG_DWORD;
    RegCloseKey(key);
    return ok;
}

bool WriteUserDword(const std::wstring& keyPath, const wchar_t* name, DWORD value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool ok =
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

void DeleteUserKey(const std::wstring& keyPath) { RegDeleteTreeW(HKEY_CURRENT_USER, keyPath.c_str()); }

bool CopyWithResource(const std::wstring& source, const std::wstring& target, const wchar_t* type, WORD id,
                      const std::vector<uint8_t>& bytes)
{
    if (!CopyFileW(source.c_str(), target.c_str(), FALSE))
        return false;
    HANDLE update = BeginUpdateResourceW(target.c_str(), FALSE);
    if (!update)
        return false;
    const BOOL ok = UpdateResourceW(update, type, MAKEINTRESOURCEW(id), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                    const_cast<uint8_t*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    return EndUpdateResourceW(update, !ok) && ok;
}
