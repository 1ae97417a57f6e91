#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "host/app/BrowserCommand.h"

namespace {

constexpr wchar_t kAddress[] = L"http://example.com/";

TEST(BrowserCommand, PlaceholderIsReplacedAsTextOtherwiseTheAddressIsAppended)
{
    struct Case {
        const wchar_t* command;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"\"C:\\B\\b.exe\" -url \"%1\"", L"\"C:\\B\\b.exe\" -url \"http://example.com/\""},
        {L"C:\\B\\b.exe", L"C:\\B\\b.exe http://example.com/"},
        // Other percent signs are no format: they reach the browser as they stand.
        {L"\"C:\\B\\b.exe\" \"%1\" --x %P", L"\"C:\\B\\b.exe\" \"http://example.com/\" --x %P"},
        {L"\"%ProgramFiles%\\b.exe\" %s %n", L"\"%ProgramFiles%\\b.exe\" %s %n http://example.com/"},
        {L"C:\\B\\b.exe %1", L"C:\\B\\b.exe http://example.com/"},
        {L"b.exe \"%1\" \"%1\"", L"b.exe \"http://example.com/\" \"%1\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildBrowserCommand(c.command, kAddress), c.expected) << testing::PrintToString(std::wstring(c.command));
}

TEST(BrowserCommand, LongCommandsAreNotCut)
{
    const std::wstring command = L"\"C:\\" + std::wstring(300, L'x') + L".exe\" \"%1\"";
    const std::wstring built = BuildBrowserCommand(command, kAddress);
    EXPECT_EQ(built, L"\"C:\\" + std::wstring(300, L'x') + L".exe\" \"http://example.com/\"");
}

// Points HKCR "http\shell\open\command" at a command of the test's own for as long as it lives.
class BrowserCommandOverride {
public:
    explicit BrowserCommandOverride(const std::wstring& command, DWORD type = REG_SZ)
    {
        RegCreateKeyExW(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key_, nullptr);
        DWORD size = sizeof(saved_);
        hadValue_ = RegQueryValueExW(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(saved_), &size) ==
                    ERROR_SUCCESS;
        RegSetValueExW(key_, nullptr, 0, type, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
    ~BrowserCommandOverride()
    {
        if (hadValue_)
            RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(saved_),
                           static_cast<DWORD>((lstrlenW(saved_) + 1) * sizeof(wchar_t)));
        else
            RegDeleteValueW(key_, nullptr);
        RegCloseKey(key_);
    }

private:
    HKEY key_ = nullptr;
    bool hadValue_ = false;
    wchar_t saved_[1024] = {};
};

std::string ReadWhenPresent(const wchar_t* path)
{
    for (int i = 0; i < 100; ++i) {
        std::ifstream in(path);
        std::stringstream text;
        if (in && (text << in.rdbuf()) && !text.str().empty())
            return text.str();
        Sleep(100);
    }
    return {};
}

TEST(BrowserCommand, OpenInBrowserStartsTheRegisteredCommandOnTheAddress)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring output = std::wstring(temp) + L"lw-browser-command.txt";
    DeleteFileW(output.c_str());

    // cmd writes what it was given after "echo": the address in place of %1, inside the quotes.
    // A command stored as REG_EXPAND_SZ names the program through the environment.
    struct Case {
        const wchar_t* program;
        DWORD type;
    };
    const Case cases[] = {
        {L"C:\\windows\\system32\\cmd.exe", REG_SZ},
        {L"%SystemRoot%\\system32\\cmd.exe", REG_EXPAND_SZ},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type == REG_SZ ? "REG_SZ" : "REG_EXPAND_SZ");
        const BrowserCommandOverride browser(std::wstring(c.program) + L" /c echo \"%1\" > \"" + output + L"\"",
                                             c.type);
        ASSERT_NE(OpenInBrowser(kAddress), 0);
        const std::string written = ReadWhenPresent(output.c_str());
        EXPECT_NE(written.find("\"http://example.com/\""), std::string::npos) << written;
        DeleteFileW(output.c_str());
    }
}

TEST(BrowserCommand, NoCommandStartsNothing)
{
    HKEY key = nullptr;
    wchar_t saved[1024] = {};
    DWORD size = sizeof(saved);
    bool had = false;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        had = RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(saved), &size) == ERROR_SUCCESS;
        RegDeleteValueW(key, nullptr);
    }
    EXPECT_EQ(OpenInBrowser(kAddress), 0);
    if (key) {
        if (had)
            RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(saved),
                           static_cast<DWORD>((lstrlenW(saved) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

} // namespace
