#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/framework/SaverRules.h"
#include "host/framework/SaverTextFormat.h"

namespace {

struct SwitchCase {
    const wchar_t* commandLine;
    SaverRunMode mode;
    INT_PTR parent;
};

const SwitchCase kSwitchCases[] = {
    {L"\"C:\\Program Files\\S\\x.scr\" /p 1234", SaverRunMode::Preview, 1234},
    {L"x.scr -P:1234", SaverRunMode::Preview, 1234},
    {L"x.scr /p1234", SaverRunMode::Preview, 1234},
    {L"x.scr /p abc 12", SaverRunMode::Preview, 12},
    {L"x.scr /c:5678", SaverRunMode::Configure, 5678},
    {L"x.scr /C 77", SaverRunMode::Configure, 77},
    {L"x.scr /c", SaverRunMode::Configure, 0},
    {L"x.scr", SaverRunMode::Configure, 0},
    {L"x.scr ", SaverRunMode::Configure, 0},
    {L"\"C:\\a b\\x.scr\"", SaverRunMode::Configure, 0},
    {L"\"C:\\a b\\x.scr /s", SaverRunMode::Configure, 0},  // no closing quote
    {L"\"C:\\a-b\\x.scr\" /t", SaverRunMode::Test, 0},      // a dash inside the quoted name
    {L"x.scr -T", SaverRunMode::Test, 0},
    {L"x.scr /s", SaverRunMode::FullScreen, 0},
    {L"x.scr /S", SaverRunMode::FullScreen, 0},
    {L"x.scr /x", SaverRunMode::FullScreen, 0},
    {L"x.scr /", SaverRunMode::FullScreen, 0},
    {L"x.scr my-file", SaverRunMode::FullScreen, 0},  // the first dash counts: letter f
    {L"x.scr /r", SaverRunMode::SetUpOnly, 0},
    {L"x.scr /n", SaverRunMode::EndAtOnce, 0},
    {L"x.scr /a 99", SaverRunMode::Password, 99},
    {L"x.scr /p 4294967295", SaverRunMode::Preview, -1},  // low 32 bits, sign-extended
    {L"x.scr /t 55", SaverRunMode::Test, 0},              // only a, c and p take a window
};

}  // namespace

TEST(ParseSaverSwitch, ReadsModeAndParentFromTheCommandLine)
{
    for (const SwitchCase& c : kSwitchCases) {
        SCOPED_TRACE(testing::Message() << std::string(c.commandLine, c.commandLine + wcslen(c.commandLine)));
        const SaverSwitch s = ParseSaverSwitch(c.commandLine);
        EXPECT_EQ(static_cast<int>(s.mode), static_cast<int>(c.mode));
        EXPECT_EQ(reinterpret_cast<INT_PTR>(s.parent), c.parent);
    }
}

TEST(ParseSaverSwitch, EmptyOrMissingLineConfigures)
{
    EXPECT_EQ(ParseSaverSwitch(L"").mode, SaverRunMode::Configure);
    EXPECT_EQ(ParseSaverSwitch(nullptr).mode, SaverRunMode::Configure);
}

namespace {

D3DDISPLAYMODE Mode(UINT w, UINT h, UINT refresh = 60, D3DFORMAT f = D3DFMT_X8R8G8B8)
{
    D3DDISPLAYMODE m = {};
    m.Width = w;
    m.Height = h;
    m.RefreshRate = refresh;
    m.Format = f;
    return m;
}

AdapterDeviceKind Kind(D3DDEVTYPE type, std::vector<std::pair<UINT, UINT>> sizes)
{
    AdapterDeviceKind k;
    k.type = type;
    for (auto [w, h] : sizes) {
        DisplayModeEntry& e = k.modes[k.modeCount++];
        e.width = w;
        e.height = h;
        e.format = D3DFMT_X8R8G8B8;
    }
    return k;
}

}  // namespace

TEST(DisplayModes, ProbeListDropsSmallAndRepeatedModesAndSorts)
{
    const D3DDISPLAYMODE offered[] = {
        Mode(1024, 768), Mode(800, 600, 60), Mode(800, 600, 75), Mode(800, 600, 85),
        Mode(600, 800), Mode(1024, 384), Mode(640, 480), Mode(640, 400),
    };
    D3DDISPLAYMODE list[kMaxProbeModes];
    UINT count = 0;
    for (const D3DDISPLAYMODE& m : offered)
        count = AddProbeMode(list, count, kMaxProbeModes, m);
    qsort(list, count, sizeof list[0], OrderDisplayModes);

    ASSERT_EQ(count, 4u);
    EXPECT_EQ(list[0].Width, 640u); EXPECT_EQ(list[0].Height, 400u);
    EXPECT_EQ(list[1].Width, 640u); EXPECT_EQ(list[1].Height, 480u);
    EXPECT_EQ(list[2].Width, 800u); EXPECT_EQ(list[2].Height, 600u);
    EXPECT_EQ(list[3].Width, 1024u);
}

TEST(DisplayModes, ProbeListStopsAtItsCapacity)
{
    D3DDISPLAYMODE list[3];
    UINT count = 0;
    for (UINT w = 640; w < 640 + 10; ++w)
        count = AddProbeMode(list, count, 3, Mode(w, 480));
    EXPECT_EQ(count, 3u);
}

TEST(DisplayModes, OrderIsWidthThenHeightThenFormatDescending)
{
    D3DDISPLAYMODE a = Mode(800, 600, 60, D3DFMT_R5G6B5), b = Mode(800, 600, 60, D3DFMT_X8R8G8B8);
    EXPECT_LT(OrderDisplayModes(&a, &b), 0);  // R5G6B5 (23) sorts before X8R8G8B8 (22)
    EXPECT_GT(OrderDisplayModes(&b, &a), 0);
    EXPECT_EQ(OrderDisplayModes(&a, &a), 0);
    D3DDISPLAYMODE c = Mode(800, 480), d = Mode(640, 1024);
    EXPECT_GT(OrderDisplayModes(&c, &d), 0);
}

TEST(DisplayModes, DefaultModeIs640x480WhenListed)
{
    EXPECT_EQ(DefaultModeIndex(Kind(D3DDEVTYPE_HAL, {{640, 400}, {640, 480}, {800, 600}})), 1u);
    EXPECT_EQ(DefaultModeIndex(Kind(D3DDEVTYPE_HAL, {{800, 600}, {1024, 768}})), 0u);
}

TEST(DisplayModes, AutomaticChoice)
{
    struct Case {
        const char* name;
        AdapterDeviceKind kind;
        D3DDISPLAYMODE desktop;
        UINT expected;
    };
    const std::vector<Case> cases = {
        {"software skips height 400, later equal height wins",
         Kind(D3DDEVTYPE_SW, {{640, 400}, {640, 480}, {720, 480}}), Mode(1024, 768), 2},
        {"software with only 640x400", Kind(D3DDEVTYPE_SW, {{640, 400}}), Mode(1024, 768), 0},
        {"hardware takes the desktop size",
         Kind(D3DDEVTYPE_HAL, {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}}),
         Mode(1280, 1024), 3},
        {"hardware without the desktop size", Kind(D3DDEVTYPE_HAL, {{640, 480}, {800, 600}}),
         Mode(1280, 1024), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChooseAutomaticMode(c.kind, c.desktop), c.expected);
    }
}

TEST(DisplayModes, StepDownWalksToSmallerAreasThenFails)
{
    AdapterDeviceKind k = Kind(D3DDEVTYPE_HAL, {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}});
    k.currentMode = 3;
    std::vector<UINT> widths;
    while (StepDownDisplayMode(k))
        widths.push_back(k.modes[k.currentMode].width);
    EXPECT_EQ(widths, (std::vector<UINT>{1024, 800, 640}));
    EXPECT_EQ(k.currentMode, 0u);  // kept after the failed step
}

TEST(DisplayModes, StepDownTakesTheFirstOfEqualAreas)
{
    AdapterDeviceKind k = Kind(D3DDEVTYPE_HAL, {{640, 480}, {800, 384}, {480, 640}, {1024, 768}});
    k.currentMode = 3;
    ASSERT_TRUE(StepDownDisplayMode(k));
    EXPECT_EQ(k.currentMode, 0u);  // 640x480 and 480x640 both 307200; the first wins
}

TEST(DisplayModes, FindModeMatchesAllThreeFields)
{
    AdapterDeviceKind k = Kind(D3DDEVTYPE_HAL, {{640, 480}, {800, 600}});
    EXPECT_EQ(FindMode(k, 800, 600, D3DFMT_X8R8G8B8), 1);
    EXPECT_EQ(FindMode(k, 800, 600, D3DFMT_R5G6B5), -1);
    EXPECT_EQ(FindMode(k, 800, 601, D3DFMT_X8R8G8B8), -1);
}

TEST(ProbeRules, DepthFormatOrderFollowsTheMinima)
{
    D3DFORMAT out[6];
    ASSERT_EQ(DepthFormatOrder(16, 0, out), 5u);
    EXPECT_EQ(std::vector<D3DFORMAT>(out, out + 5),
              (std::vector<D3DFORMAT>{D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D32}));
    ASSERT_EQ(DepthFormatOrder(15, 1, out), 3u);
    EXPECT_EQ(std::vector<D3DFORMAT>(out, out + 3),
              (std::vector<D3DFORMAT>{D3DFMT_D15S1, D3DFMT_D24S8, D3DFMT_D24X4S4}));
    ASSERT_EQ(DepthFormatOrder(24, 8, out), 1u);
    EXPECT_EQ(out[0], D3DFMT_D24S8);
}

TEST(ProbeRules, BehaviourFlagOrderFollowsTheCaps)
{
    struct Case {
        DWORD devCaps;
        std::vector<DWORD> flags;
    };
    const Case cases[] = {
        {D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE, {0x50, 0x40, 0x80, 0x20}},
        {D3DDEVCAPS_HWTRANSFORMANDLIGHT, {0x40, 0x80, 0x20}},
        {D3DDEVCAPS_PUREDEVICE, {0x20}},
        {0, {0x20}},
    };
    for (const Case& c : cases) {
        D3DCAPS9 caps = {};
        caps.DevCaps = c.devCaps;
        DWORD out[4];
        const UINT n = BehaviourFlagOrder(caps, out);
        EXPECT_EQ(std::vector<DWORD>(out, out + n), c.flags) << std::hex << c.devCaps;
    }
}

TEST(ProbeRules, BestAdapterPrefersHardwareElseTheLastSoftware)
{
    SaverAdapter a0, a1, a2;
    a0.compatibleSw = 1;
    a1.compatibleHal = 1;
    a2.compatibleSw = 1;
    SaverMonitor monitors[3];
    monitors[0].adapterIndex = 0;
    monitors[1].adapterIndex = 1;
    monitors[2].adapterIndex = 2;

    const SaverAdapter* swThenHal[] = {&a0, &a1};
    EXPECT_EQ(ChooseBestAdapter(monitors, 2, swThenHal, 2), 1);

    const SaverAdapter* twoSw[] = {&a0, &a2};
    SaverMonitor swMonitors[2];
    swMonitors[0].adapterIndex = 0;
    swMonitors[1].adapterIndex = 1;
    EXPECT_EQ(ChooseBestAdapter(swMonitors, 2, twoSw, 2), 1);

    SaverAdapter none;
    const SaverAdapter* nothing[] = {&none};
    EXPECT_EQ(ChooseBestAdapter(monitors, 1, nothing, 1), -1);

    SaverMonitor unmatched;  // a monitor without an adapter is passed over
    EXPECT_EQ(ChooseBestAdapter(&unmatched, 1, swThenHal, 2), -1);
}

TEST(ProbeRules, StoredAdapterIdAppliesWhenItMatchesOrIsZero)
{
    const GUID mine = {0x12345678, 1, 2, {1, 2, 3, 4, 5, 6, 7, 8}};
    const GUID other = {0x87654321, 1, 2, {1, 2, 3, 4, 5, 6, 7, 8}};
    const GUID zero = {};
    EXPECT_TRUE(StoredAdapterIdApplies(mine, mine));
    EXPECT_TRUE(StoredAdapterIdApplies(zero, mine));
    EXPECT_FALSE(StoredAdapterIdApplies(other, mine));
}

TEST(Texts, DeviceTextByTypeAndFlags)
{
    struct Case {
        D3DDEVTYPE type;
        DWORD flags;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {D3DDEVTYPE_HAL, 0x50, L"HAL (pure hw vp): Wine Adapter"},
        {D3DDEVTYPE_HAL, 0x40, L"HAL (hw vp): Wine Adapter"},
        {D3DDEVTYPE_HAL, 0x80, L"HAL (mixed vp): Wine Adapter"},
        {D3DDEVTYPE_HAL, 0x20, L"HAL (sw vp): Wine Adapter"},
        {D3DDEVTYPE_SW, 0x50, L"SW (simulated pure hw vp)"},
        {D3DDEVTYPE_SW, 0x40, L"SW (simulated hw vp)"},
        {D3DDEVTYPE_SW, 0x80, L"SW (simulated mixed vp)"},
        {D3DDEVTYPE_SW, 0x20, L"SW (sw vp)"},
    };
    for (const Case& c : cases) {
        wchar_t text[90];
        BuildDeviceText(c.type, c.flags, "Wine Adapter", text, 90);
        EXPECT_STREQ(text, c.expected);
    }
}

TEST(Texts, LongAdapterDescriptionIsCutToTheDeviceText)
{
    std::string description(511, 'x');
    wchar_t text[90];
    text[89] = L'?';
    BuildDeviceText(D3DDEVTYPE_HAL, 0x40, description.c_str(), text, 90);
    EXPECT_EQ(wcslen(text), 89u);
    EXPECT_EQ(std::wstring(text).substr(0, 13), L"HAL (hw vp): ");
}

TEST(Texts, FrameRateText)
{
    wchar_t text[40];
    D3DDISPLAYMODE mode = Mode(1024, 768);
    BuildFrameRateText(59.94f, mode, D3DFMT_D24X8, text);
    EXPECT_STREQ(text, L"59.94 fps (1024x768x32) (D24X8)");
    mode.Format = D3DFMT_R5G6B5;
    BuildFrameRateText(5.0f, mode, D3DFMT_UNKNOWN, text);
    EXPECT_STREQ(text, L"5.00 fps (1024x768x16)");
}

TEST(Texts, FormattingNeverPassesTheBuffer)
{
    wchar_t text[41];
    text[40] = L'#';
    FormatShortText(text, L"%ls", std::wstring(100, L'y').c_str());
    EXPECT_EQ(wcslen(text), 39u);
    EXPECT_EQ(text[40], L'#');
    FormatShortText(text, L"%ls-%d", L"\u00f1and\u00fa", 7);
    EXPECT_STREQ(text, L"\u00f1and\u00fa-7");
}

TEST(MouseMoves, TheSixthMoveToANewPlaceEndsTheSaver)
{
    MousePosition last;
    uint32_t moves = 0;
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(CountMouseMove(last, moves, 10 + i, 20)) << i;
    EXPECT_FALSE(CountMouseMove(last, moves, 14, 20));  // unchanged position: not counted
    EXPECT_EQ(moves, 5u);
    EXPECT_TRUE(CountMouseMove(last, moves, 99, 20));
}

TEST(MouseMoves, ARestartedCountKeepsTheLastPosition)
{
    MousePosition last;
    uint32_t moves = 0;
    CountMouseMove(last, moves, 5, 5);
    moves = 0;  // the devices start
    EXPECT_FALSE(CountMouseMove(last, moves, 5, 5));
    EXPECT_EQ(moves, 0u);
}
