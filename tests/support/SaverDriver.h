// The end-to-end driver: starts the built screensaver (or another program) with a switch, finds
// its windows and dialogs, reads their texts, presses buttons and sends input by posting
// messages, captures the screen, reads the registry and makes copies of the program with a
// resource replaced.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/BuiltProgram.h"

// One started screensaver process; ended by force if it is still running at destruction.
class SaverProcess {
public:
    SaverProcess() = default;
    ~SaverProcess();
    SaverProcess(const SaverProcess&) = delete;
    SaverProcess& operator=(const SaverProcess&) = delete;

    // Starts `program` (lanternwork.scr by default) with the given arguments, in `directory`
    // (this program's current one by default).
    bool Start(const std::wstring& arguments, const std::wstring& program = L"", const std::wstring& directory = L"");
    // Waits for the exit; true with its code when it ended within the time.
    bool WaitForExit(DWORD milliseconds, DWORD* exitCode = nullptr);
    bool Running() const;
    DWORD Id() const { return info_.dwProcessId; }
    // The process handle (null before a successful start), for reading its counters.
    HANDLE Handle() const { return info_.hProcess; }

    // The visible or hidden top-level windows of the process with this class (any class: null).
    std::vector<HWND> Windows(const wchar_t* className = nullptr) const;
    // Waits for a top-level window of that class; null after the time.
    HWND WaitForWindow(const wchar_t* className, DWORD milliseconds) const;
    // Waits for a visible top-level window of that class (and that caption, when one is given);
    // null after the time.
    HWND WaitForVisibleWindow(const wchar_t* className, DWORD milliseconds, const wchar_t* caption = nullptr) const;

private:
    PROCESS_INFORMATION info_ = {};
};

std::wstring WindowText(HWND window);
// A window's client area in screen coordinates.
RECT ClientOnScreen(HWND window);
std::wstring ClassName(HWND window);
// The texts of a window's child controls of a class ("Static", "Button" ...), in z order.
std::vector<std::wstring> ChildTexts(HWND window, const wchar_t* className);
// Handles this thread's messages for a while (a window that hosts a saver's window must answer
// its messages).
void Pump(DWORD milliseconds);
// Checks `done` every 100 ms until it holds or the time is up; whether it held at the end.
template <class Condition>
bool WaitUntil(Condition done, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= milliseconds)
            return false;
        Sleep(100);
    }
    return true;
}
// Waits until the window's thread takes messages (a process that is still starting up answers
// none); whether it answered within the time.
bool WaitUntilAnswering(HWND window, DWORD milliseconds);
// Presses a dialog button by posting its command (never sending: a button may open a modal loop).
void PostButtonClick(HWND dialog, int controlId);

// A copy of part of the screen, 0x00RRGGBB per pixel.
struct ScreenImage {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    size_t Count(uint32_t rgb) const;
};
ScreenImage CaptureScreen(const RECT& area);

// A REG_DWORD under HKEY_CURRENT_USER; false when missing.
bool ReadUserDword(const std::wstring& keyPath, const wchar_t* name, DWORD* value);

// Sets a REG_DWORD under HKEY_CURRENT_USER (the key is created when missing).
bool WriteUserDword(const std::wstring& keyPath, const wchar_t* name, DWORD value);
// Deletes a key under HKEY_CURRENT_USER with everything in it.
void DeleteUserKey(const std::wstring& keyPath);

// Copies the program to `target` with resource (type, id) replaced by `bytes`.
bool CopyWithResource(const std::wstring& source, const std::wstring& target, const wchar_t* type, WORD id,
                      const std::vector<uint8_t>& bytes);
