// The display-settings dialogs: the help, status and colour-depth rules, and the real dialogs 200
// and 201 of the built program driven over fabricated monitor and adapter records.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "host/framework/D3DScreensaver.h"
#include "host/framework/DisplayOptions.h"
#include "tests/support/BuiltProgram.h"

namespace {

// --- Rules ---------------------------------------------------------------------------------------

struct AdapterState {
    bool hal, compatibleHal, sw, compatibleSw, disableHardware;
};

SaverAdapter AdapterWith(const AdapterState& s)
{
    SaverAdapter a;
    a.hasHal = s.hal;
    a.compatibleHal = s.compatibleHal;
    a.hasSw = s.sw;
    a.compatibleSw = s.compatibleSw;
    a.disableHardware = s.disableHardware;
    return a;
}

// An adapter's state and the text it gets.
struct TextCase {
    const char* what;
    AdapterState state;
    UINT text;
};

const TextCase kHelpCases[] = {
    {"HAL, disabled, no SW", {true, true, false, false, true}, 2209},
    {"HAL, disabled, SW not compatible", {true, true, true, false, true}, 2208},
    {"HAL, disabled, SW compatible", {true, true, true, true, true}, 2207},
    {"HAL compatible", {true, true, false, false, false}, 2200},
    {"HAL compatible, SW too", {true, true, true, true, false}, 2200},
    {"HAL not compatible, no SW", {true, false, false, false, false}, 2203},
    {"HAL not compatible, SW not compatible", {true, false, true, false, false}, 2202},
    {"HAL not compatible, SW compatible", {true, false, true, true, false}, 2201},
    {"no HAL, no SW", {false, false, false, false, false}, 2206},
    {"no HAL, SW not compatible", {false, false, true, false, false}, 2205},
    {"no HAL, SW compatible", {false, false, true, true, false}, 2204},
    {"no HAL, SW compatible, disable set", {false, false, true, true, true}, 2204},
};

TEST(DisplayOptionsRules, HelpTextFollowsTheAdapter)
{
    for (const TextCase& c : kHelpCases) {
        SCOPED_TRACE(c.what);
        const SaverAdapter adapter = AdapterWith(c.state);
        EXPECT_EQ(HelpTextId(true, &adapter), c.text);
        EXPECT_EQ(HelpTextId(false, &adapter), 2206u) << "without a monitor handle";
    }
    EXPECT_EQ(HelpTextId(true, nullptr), 2206u);
}

const TextCase kStatusCases[] = {
    {"HAL compatible", {true, true, false, false, false}, 2210},
    {"HAL compatible but disabled, SW compatible", {true, true, true, true, true}, 2211},
    {"HAL compatible but disabled, no SW", {true, true, false, false, true}, 2212},
    {"HAL not compatible, SW compatible", {true, false, true, true, false}, 2211},
    {"SW only, compatible", {false, false, true, true, false}, 2211},
    {"SW only, not compatible", {false, false, true, false, false}, 2212},
    {"nothing", {false, false, false, false, false}, 2212},
};

TEST(DisplayOptionsRules, StatusTextIsHardwareSoftwareOrNothing)
{
    for (const TextCase& c : kStatusCases) {
        SCOPED_TRACE(c.what);
        const SaverAdapter adapter = AdapterWith(c.state);
        EXPECT_EQ(StatusTextId(&adapter), c.text);
    }
    EXPECT_EQ(StatusTextId(nullptr), 2212u);
}

TEST(DisplayOptionsRules, ModeBitsAre32ForTheRgbFormatsElse16)
{
    const std::pair<D3DFORMAT, int> kCases[] = {
        {D3DFMT_R8G8B8, 32},   {D3DFMT_A8R8G8B8, 32}, {D3DFMT_X8R8G8B8, 32},
        {D3DFMT_R5G6B5, 16},   {D3DFMT_X1R5G5B5, 16}, {D3DFMT_A2R10G10B10, 16},
    };
    for (const auto& [format, bits] : kCases)
        EXPECT_EQ(ModeBits(format), bits) << "format " << format;
}

// --- Dialogs -------------------------------------------------------------------------------------

std::wstring TextOf(HWND window)
{
    wchar_t text[600] = {};
    GetWindowTextW(window, text, 600);
    return text;
}

std::vector<std::wstring> StaticTexts(HWND window)
{
    std::vector<std::wstring> texts;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(child, name, 32);
            if (lstrcmpiW(name, L"Static") == 0)
                reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(TextOf(child));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

std::vector<std::wstring> TabLabels(HWND dialog)
{
    std::vector<std::wstring> labels;
    HWND tabs = GetDlgItem(dialog, DisplayOptionsControl::kMonitorTabs);
    if (!tabs)
        return labels;
    const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        labels.push_back(text);
    }
    return labels;
}

// What a modal window of this thread showed, found and ended by ModalWatch.
struct ModalSeen {
    bool found = false;
    std::wstring caption;
    std::vector<std::wstring> statics;
    std::vector<std::wstring> tabs;
};

// While this thread runs a modal loop (a dialog box or a message box), finds the window it shows,
// a "#32770" other than `except`, notes what it shows and ends it with the command `button`.
class ModalWatch {
public:
    ModalWatch(HWND except, int button) : except_(except), button_(button)
    {
        active_ = this;
        timer_ = SetTimer(nullptr, 0, 50, OnTimer);
    }
    ~ModalWatch()
    {
        KillTimer(nullptr, timer_);
        active_ = nullptr;
    }
    ModalSeen seen;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        if (!active_ || active_->seen.found)
            return;
        HWND found = nullptr;
        std::pair<HWND, HWND*> search{active_->except_, &found};
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<std::pair<HWND, HWND*>*>(param);
                wchar_t name[32] = {};
                GetClassNameW(window, name, 32);
                if (window != s->first && IsWindowVisible(window) && lstrcmpW(name, L"#32770") == 0) {
                    *s->second = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (!found)
            return;
        ModalSeen& seen = active_->seen;
        seen.found = true;
        seen.caption = TextOf(found);
        seen.statics = StaticTexts(found);
        seen.tabs = TabLabels(found);
        PostMessageW(found, WM_COMMAND, active_->button_, 0);
    }

    static ModalWatch* active_;
    HWND except_;
    int button_;
    UINT_PTR timer_ = 0;
};
ModalWatch* ModalWatch::active_ = nullptr;

DisplayModeEntry ModeEntry(UINT width, UINT height, D3DFORMAT format = D3DFMT_X8R8G8B8)
{
    DisplayModeEntry m;
    m.width = width;
    m.height = height;
    m.format = format;
    return m;
}

void GiveKind(SaverAdapter& adapter, D3DDEVTYPE type, std::vector<DisplayModeEntry> modes)
{
    AdapterDeviceKind& kind = adapter.kinds[adapter.kindCount++];
    kind.type = type;
    kind.modeCount = 0;
    for (const DisplayModeEntry& m : modes)
        kind.modes[kind.modeCount++] = m;
}

// The fields the dialogs edit, for comparing records.
auto Edited(const SaverAdapter& a)
{
    return std::make_tuple(a.preferredWidth, a.preferredHeight, a.preferredFormat, a.leaveBlack, a.disableHardware);
}

namespace C = DisplayOptionsControl;

// Three monitors: the first on a hardware adapter, the second on an adapter whose hardware
// device is unusable but whose software device works, the third without any adapter. The
// dialogs come from the built program, as its resources.
class DisplayOptionsDialog : public testing::Test {
protected:
    void SetUp() override
    {
        module_ = LoadBuiltProgram();
        ASSERT_NE(module_, nullptr) << "lanternwork.scr not found beside the test";
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES};
        InitCommonControlsEx(&controls);
        saver_.instance = module_;

        auto& hardware = saver_.adapters[0];
        hardware = std::make_unique<SaverAdapter>();
        hardware->monitorIndex = 0;
        hardware->hasHal = hardware->compatibleHal = 1;
        GiveKind(*hardware, D3DDEVTYPE_HAL, {ModeEntry(640, 480), ModeEntry(800, 600), ModeEntry(1024, 768)});
        hardware->preferredWidth = 800;
        hardware->preferredHeight = 600;
        hardware->preferredFormat = D3DFMT_X8R8G8B8;

        auto& software = saver_.adapters[1];
        software = std::make_unique<SaverAdapter>();
        software->monitorIndex = 1;
        software->hasHal = 1;
        software->hasSw = software->compatibleSw = 1;
        GiveKind(*software, D3DDEVTYPE_SW, {ModeEntry(640, 480), ModeEntry(800, 600, D3DFMT_R5G6B5)});
        saver_.adapterCount = 2;

        const wchar_t* names[] = {L"First Adapter", L"Second Adapter", L"Spare Adapter"};
        for (int i = 0; i < 3; ++i) {
            lstrcpyW(saver_.monitors[i].adapterName, names[i]);
            saver_.monitors[i].adapterIndex = i < 2 ? i : -1;
            saver_.monitors[i].monitor = i < 2 ? reinterpret_cast<HMONITOR>(static_cast<INT_PTR>(0x1001 + i)) : nullptr;
        }
        saver_.monitorCount = 3;
    }
    void TearDown() override
    {
        if (dialog_)
            DestroyWindow(dialog_);
        if (module_)
            FreeLibrary(module_);
    }

    // Opens a dialog template without a modal loop, so the test can drive it message by message.
    void Open(int templateId)
    {
        dialog_ = CreateDialogParamW(module_, MAKEINTRESOURCEW(templateId), nullptr, DisplayOptionsDlgProc, 0);
        ASSERT_NE(dialog_, nullptr);
    }

    std::wstring Text(int id) const { return TextOf(GetDlgItem(dialog_, id)); }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE; }
    bool Checked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
    bool ModeControlsEnabled() const
    {
        return Enabled(C::kModeGroup) && Enabled(C::kModeLabel) && Enabled(C::kModeList) && Enabled(C::kModeNote);
    }
    bool ModeControlsDisabled() const
    {
        return !Enabled(C::kModeGroup) && !Enabled(C::kModeLabel) && !Enabled(C::kModeList) && !Enabled(C::kModeNote);
    }
    std::vector<std::wstring> ModeItems() const
    {
        std::vector<std::wstring> items;
        const LRESULT count = SendDlgItemMessageW(dialog_, C::kModeList, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[100] = {};
            SendDlgItemMessageW(dialog_, C::kModeList, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }
    LRESULT ModeSelection() const { return SendDlgItemMessageW(dialog_, C::kModeList, CB_GETCURSEL, 0, 0); }

    // As a user does it: a click on a button, a choice in the mode list, a click on a tab.
    void Click(int id) { SendDlgItemMessageW(dialog_, id, BM_CLICK, 0, 0); }
    void Command(int id, WORD code = BN_CLICKED)
    {
        SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog_, id)));
    }
    void ChooseMode(int item)
    {
        SendDlgItemMessageW(dialog_, C::kModeList, CB_SETCURSEL, item, 0);
        Command(C::kModeList, CBN_SELCHANGE);
    }
    void ChooseTab(int tab)
    {
        HWND tabs = GetDlgItem(dialog_, C::kMonitorTabs);
        SendMessageW(tabs, TCM_SETCURSEL, tab, 0);
        NMHDR change = {tabs, static_cast<UINT_PTR>(C::kMonitorTabs), static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(dialog_, WM_NOTIFY, C::kMonitorTabs, reinterpret_cast<LPARAM>(&change));
    }

    // Presses the help button and returns the message box it showed.
    ModalSeen Help()
    {
        ModalWatch watch(dialog_, IDOK);
        Click(C::kHelp);
        return watch.seen;
    }

    SaverAdapter& Adapter(int i) { return *saver_.adapters[i]; }

    HMODULE module_ = nullptr;
    CD3DScreensaver saver_;
    HWND dialog_ = nullptr;
};

}  // namespace

TEST_F(DisplayOptionsDialog, OneAdapterGetsTheSinglePageAndMoreGetATabPerMonitor)
{
    {
        saver_.adapterCount = 1;
        ModalWatch watch(nullptr, IDOK);
        EXPECT_EQ(saver_.ShowDisplayOptions(nullptr), IDOK);
        ASSERT_TRUE(watch.seen.found);
        EXPECT_EQ(watch.seen.caption, L"Opciones de configuraci\u00f3n");
        EXPECT_TRUE(watch.seen.tabs.empty());
    }
    {
        saver_.adapterCount = 2;
        ModalWatch watch(nullptr, IDCANCEL);
        EXPECT_EQ(saver_.ShowDisplayOptions(nullptr), IDCANCEL);
        ASSERT_TRUE(watch.seen.found);
        EXPECT_EQ(watch.seen.caption, L"Display Settings");
        EXPECT_EQ(watch.seen.tabs, (std::vector<std::wstring>{L"Monitor 1", L"Monitor 2", L"Monitor 3"}));
    }
}

TEST_F(DisplayOptionsDialog, HardwarePageShowsItsAdapterStatusAndModes)
{
    saver_.allScreensSame = 1;
    Open(kMultiAdapterDialogId);

    EXPECT_EQ(Text(C::kAdapterName), L"First Adapter");
    EXPECT_EQ(Text(C::kRenderingStatus), ProgramString(2210));
    EXPECT_TRUE(Enabled(C::kDisableHardware));
    EXPECT_FALSE(Checked(C::kDisableHardware));
    EXPECT_TRUE(Checked(C::kShowSaver));
    EXPECT_FALSE(Checked(C::kLeaveBlack));
    EXPECT_TRUE(Enabled(C::kUsageGroup) && Enabled(C::kShowSaver) && Enabled(C::kLeaveBlack));
    EXPECT_TRUE(ModeControlsEnabled());
    EXPECT_EQ(ModeItems(), (std::vector<std::wstring>{L"Automatic", L"640 by 480, 32 bit color",
                                                      L"800 by 600, 32 bit color", L"1024 by 768, 32 bit color"}));
    EXPECT_EQ(ModeSelection(), 2) << "the preferred 800 x 600";
    EXPECT_TRUE(Checked(C::kReverseOrder));
}

TEST_F(DisplayOptionsDialog, SoftwareOnlyPageOffersNoHardwareSwitch)
{
    Adapter(1).disableHardware = 1;
    Open(kMultiAdapterDialogId);
    ChooseTab(1);

    EXPECT_EQ(Text(C::kAdapterName), L"Second Adapter");
    EXPECT_EQ(Text(C::kRenderingStatus), ProgramString(2211));
    EXPECT_FALSE(Enabled(C::kDisableHardware));
    EXPECT_FALSE(Checked(C::kDisableHardware)) << "unchecked although the record has it set";
    EXPECT_TRUE(Checked(C::kShowSaver));
    EXPECT_EQ(ModeItems(), (std::vector<std::wstring>{L"Automatic", L"640 by 480, 32 bit color",
                                                      L"800 by 600, 16 bit color"}));
    EXPECT_EQ(ModeSelection(), 0) << "automatic";
}

TEST_F(DisplayOptionsDialog, MonitorWithoutAnAdapterShowsNothingToChooseAndIgnoresCommands)
{
    Open(kMultiAdapterDialogId);
    ChooseTab(2);

    EXPECT_EQ(Text(C::kAdapterName), L"Spare Adapter");
    EXPECT_EQ(Text(C::kRenderingStatus), ProgramString(2212));
    EXPECT_FALSE(Enabled(C::kDisableHardware));
    EXPECT_TRUE(Checked(C::kLeaveBlack));
    EXPECT_FALSE(Enabled(C::kUsageGroup) || Enabled(C::kShowSaver) || Enabled(C::kLeaveBlack));
    EXPECT_TRUE(ModeItems().empty());

    // Commands sent anyway touch no record.
    const auto before0 = Edited(Adapter(0));
    const auto before1 = Edited(Adapter(1));
    for (int id : {C::kDisableHardware, C::kShowSaver, C::kLeaveBlack})
        Command(id);
    Command(C::kModeList, CBN_SELCHANGE);
    EXPECT_EQ(Edited(Adapter(0)), before0);
    EXPECT_EQ(Edited(Adapter(1)), before1);
}

TEST_F(DisplayOptionsDialog, LeavingTheMonitorBlackDisablesTheModeControls)
{
    Open(kMultiAdapterDialogId);
    Click(C::kLeaveBlack);
    EXPECT_EQ(Adapter(0).leaveBlack, 1);
    EXPECT_TRUE(ModeControlsDisabled());

    Click(C::kShowSaver);
    EXPECT_EQ(Adapter(0).leaveBlack, 0);
    EXPECT_TRUE(ModeControlsEnabled());
}

TEST_F(DisplayOptionsDialog, DisablingTheHardwareRefreshesThePage)
{
    Open(kMultiAdapterDialogId);
    Click(C::kDisableHardware);

    EXPECT_EQ(Adapter(0).disableHardware, 1);
    EXPECT_EQ(Text(C::kRenderingStatus), ProgramString(2212)) << "no software device to fall back on";
    EXPECT_TRUE(Checked(C::kDisableHardware));
    EXPECT_TRUE(Checked(C::kLeaveBlack));
    EXPECT_FALSE(Enabled(C::kShowSaver) || Enabled(C::kLeaveBlack));
    EXPECT_TRUE(ModeControlsDisabled());
    EXPECT_EQ(Adapter(0).leaveBlack, 0) << "the page shows black, the setting is kept";
}

TEST_F(DisplayOptionsDialog, ChoosingAModeOrAutomaticSetsThePreferredMode)
{
    Open(kMultiAdapterDialogId);
    ChooseMode(3);
    EXPECT_EQ(Edited(Adapter(0)), std::make_tuple(1024u, 768u, D3DFMT_X8R8G8B8, 0, 0));
    ChooseMode(0);
    EXPECT_EQ(Edited(Adapter(0)), std::make_tuple(0u, 0u, D3DFMT_UNKNOWN, 0, 0));
}

TEST_F(DisplayOptionsDialog, UnlistedPreferredModeSelectsAutomaticButKeepsTheValues)
{
    Adapter(0).preferredWidth = 1280;
    Adapter(0).preferredHeight = 1024;
    Open(kMultiAdapterDialogId);
    EXPECT_EQ(ModeSelection(), 0);
    Command(IDOK);
    EXPECT_EQ(Edited(Adapter(0)), std::make_tuple(1280u, 1024u, D3DFMT_X8R8G8B8, 0, 0));
}

TEST_F(DisplayOptionsDialog, CancelPutsBackEveryRecordAndTheFlag)
{
    const auto before0 = Edited(Adapter(0));
    const auto before1 = Edited(Adapter(1));
    Open(kMultiAdapterDialogId);
    ChooseMode(1);
    Click(C::kDisableHardware);
    ChooseTab(1);
    ASSERT_EQ(Text(C::kAdapterName), L"Second Adapter");
    ChooseMode(2);
    Click(C::kLeaveBlack);
    Click(C::kReverseOrder);
    ASSERT_NE(Edited(Adapter(0)), before0);
    ASSERT_NE(Edited(Adapter(1)), before1);
    ASSERT_EQ(saver_.allScreensSame, 1);

    Command(IDCANCEL);
    EXPECT_EQ(Edited(Adapter(0)), before0);
    EXPECT_EQ(Edited(Adapter(1)), before1);
    EXPECT_EQ(saver_.allScreensSame, 0);
}

TEST_F(DisplayOptionsDialog, OkKeepsTheEdits)
{
    Open(kMultiAdapterDialogId);
    ChooseMode(1);
    Click(C::kReverseOrder);
    Command(IDOK);
    EXPECT_EQ(Edited(Adapter(0)), std::make_tuple(640u, 480u, D3DFMT_X8R8G8B8, 0, 0));
    EXPECT_EQ(saver_.allScreensSame, 1);
}

TEST_F(DisplayOptionsDialog, HelpExplainsTheAdapterUnderItsName)
{
    Open(kMultiAdapterDialogId);
    ModalSeen box = Help();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.caption, L"First Adapter");
    EXPECT_NE(std::find(box.statics.begin(), box.statics.end(), ProgramString(2200)), box.statics.end());

    Click(C::kDisableHardware);
    box = Help();
    ASSERT_TRUE(box.found);
    EXPECT_NE(std::find(box.statics.begin(), box.statics.end(), ProgramString(2209)), box.statics.end());

    ChooseTab(2);
    box = Help();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.caption, L"Spare Adapter");
    EXPECT_NE(std::find(box.statics.begin(), box.statics.end(), ProgramString(2206)), box.statics.end());
}

TEST_F(DisplayOptionsDialog, SinglePageActsOnTheFirstMonitor)
{
    saver_.adapterCount = 1;
    Open(kSingleAdapterDialogId);
    EXPECT_EQ(Text(C::kAdapterName), L"First Adapter");
    EXPECT_EQ(Text(C::kRenderingStatus), ProgramString(2210));
    EXPECT_EQ(ModeItems().front(), L"Autom\u00e1tico");
    EXPECT_EQ(ModeItems().at(1), L"640 by 480, 32 bit color");
    ChooseMode(3);
    Click(C::kDisableHardware);
    EXPECT_EQ(Edited(Adapter(0)), std::make_tuple(1024u, 768u, D3DFMT_X8R8G8B8, 0, 1));
    Command(IDCANCEL);
    EXPECT_EQ(Edited(Adapter(0)), std::make_tuple(800u, 600u, D3DFMT_X8R8G8B8, 0, 0));
}

TEST_F(DisplayOptionsDialog, ThePreferredModeIsFoundBySizeAndFormat)
{
    // The same size in both colour depths: the stored format picks the entry.
    const struct {
        D3DFORMAT stored;
        LRESULT selected;
    } cases[] = {{D3DFMT_R5G6B5, 2}, {D3DFMT_X8R8G8B8, 1}, {D3DFMT_A8R8G8B8, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        SaverAdapter& adapter = Adapter(0);
        adapter.kindCount = 0;
        GiveKind(adapter, D3DDEVTYPE_HAL, {ModeEntry(800, 600), ModeEntry(800, 600, D3DFMT_R5G6B5)});
        adapter.preferredWidth = 800;
        adapter.preferredHeight = 600;
        adapter.preferredFormat = c.stored;
        Open(kMultiAdapterDialogId);
        EXPECT_EQ(ModeItems(), (std::vector<std::wstring>{L"Automatic", L"800 by 600, 32 bit color",
                                                          L"800 by 600, 16 bit color"}));
        EXPECT_EQ(ModeSelection(), c.selected);
        DestroyWindow(dialog_);
        dialog_ = nullptr;
    }
}

// A monitor left black earlier, before the dialog opens: the single page has no monitor-usage
// buttons and shows its monitor in use, so its OK puts the monitor back in use; its Cancel keeps
// what was stored, and so does the tabbed dialog, whose page shows the stored choice.
TEST_F(DisplayOptionsDialog, OkOfTheSinglePageUndoesAStoredLeaveBlack)
{
    struct Case {
        const char* what;
        int templateId;
        int button;
        int32_t leaveBlackAfter;
    };
    const Case kCases[] = {
        {"single page, OK", kSingleAdapterDialogId, IDOK, 0},
        {"single page, Cancel", kSingleAdapterDialogId, IDCANCEL, 1},
        {"tabs, OK", kMultiAdapterDialogId, IDOK, 1},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        Adapter(0).leaveBlack = 1;
        Adapter(1).leaveBlack = 1;
        saver_.adapterCount = c.templateId == kSingleAdapterDialogId ? 1 : 2;
        Open(c.templateId);
        ASSERT_EQ(GetDlgItem(dialog_, C::kLeaveBlack) == nullptr, c.templateId == kSingleAdapterDialogId);
        EXPECT_TRUE(ModeControlsEnabled() == (c.templateId == kSingleAdapterDialogId));
        Command(c.button);
        EXPECT_EQ(Adapter(0).leaveBlack, c.leaveBlackAfter);
        EXPECT_EQ(Adapter(1).leaveBlack, 1) << "another adapter's setting changed";
        DestroyWindow(dialog_);
        dialog_ = nullptr;
    }
}
