// Benchmark (not a test): the saver's CPU use between slides. The application itself runs in
// this process, full screen on the screen of the test bed, through its own message loop (when no
// message waits: a 30 ms sleep, then a frame on every device), for one round of the program's
// own show. Each turn of the loop, from the start of one frame to the start of the next, is put
// down under what the player showed in it: the slide, a fade, the black between two slides (the
// fade quad at 90 % or more), or a slide's first frame (the one in which its light is made, and
// drawn for the first time). Before the show, the same loop on the same device draws bare frames
// that only clear the back buffer.
//
// For each kind of frame it prints the CPU time per frame of this thread (our code) and of the
// whole process (with Wine's and Mesa's drawing threads and the sound), each also as a share of
// one processor over the loop's time (the sleep included), and the ratios to the bare frame and
// to a frame of the slide; last, how the process's CPU time divides between this thread, its
// other Windows threads and the threads of Mesa, which Windows does not list.
//
//     wine build/bin/bench_idle.exe [seconds of show, default one round of its slides]
//
// Run it on a test bed screen (scripts/testbed.sh) with nothing else running. Input on that
// screen ends the saver, and the benchmark with it.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "document/SceneDoc.h"
#include "host/app/MoireScreensaver.h"
#include "host/player/ScenePlayer.h"
#include "host/player/SlideTiming.h"
#include "scene/constructors/SceneReaders.h"
#include "tests/bench/BenchClock.h"
#include "tests/bench/BuiltShowSource.h"

namespace {

constexpr int kBareWarmUp = 10;
constexpr int kBareFrames = 150;
constexpr unsigned kBlackAlpha = 230;  // 90 % of 255

enum FrameKind { kBare, kSlide, kFade, kBlack, kSlideChange, kKinds };
const char* const kKindNames[kKinds] = {"bare (clear + present)", "slide shows", "fading",
                                        "black between slides", "slide change (load)"};

struct Sample {
    double thread = 0, process = 0, wall = 0;
};

Sample Now()
{
    return Sample{ThreadCpuSeconds(), ProcessCpuSeconds(), WallSeconds()};
}

struct Tally {
    int frames = 0;
    double thread = 0, process = 0, wall = 0;  // seconds, summed over the frames' turns

    void Add(const Sample& from, const Sample& to)
    {
        ++frames;
        thread += to.thread - from.thread;
        process += to.process - from.process;
        wall += to.wall - from.wall;
    }
    double PerFrame(double seconds) const { return frames ? seconds / frames : 0.0; }
};

// Where the process's CPU time has gone since it began: this thread, its other Windows threads
// (under Wine: wined3d's command thread, the sound's), and the rest, the threads that Windows
// does not list (Mesa's drawing threads on the Unix side).
struct CpuSplit {
    double thisThread = 0, otherThreads = 0, process = 0;
};

CpuSplit CpuSplitNow()
{
    CpuSplit split;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId() || entry.th32ThreadID == GetCurrentThreadId())
            continue;
        if (HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID)) {
            split.otherThreads += ThreadCpuSeconds(thread);
            CloseHandle(thread);
        }
    }
    CloseHandle(snapshot);
    split.thisThread = ThreadCpuSeconds();
    split.process = ProcessCpuSeconds();
    return split;
}

// One round of the show: every slide's fade-in, hold and fade-out, and a little more, so that the
// show is back on its first slide at the end.
double OneRound(const SceneDoc& doc)
{
    double seconds = 0.5;
    for (uint32_t s = 0; s < doc.slideCount; ++s) {
        const SlideTimes times = SlideTimesOf(doc.slides[s]);
        seconds += times.fadeIn + times.hold + times.fadeOut;
    }
    return seconds;
}

// The application with a stopwatch in its loop. The framework calls AdvanceFrame at the start of
// every frame; there the turn that the previous frame began is closed and put down under what
// that frame showed, and the benchmark moves from the bare frames to the show, and ends.
class MeasuredSaver : public CMoireScreensaver {
public:
    explicit MeasuredSaver(double showSeconds)
        : showSeconds_(showSeconds)
    {
    }

    HRESULT AdvanceFrame() override
    {
        const Sample now = Now();
        // The first frame of the show draws a light made at the start, before the bare frames:
        // neither a slide change nor a frame like the others.
        if (turns_ > kBareWarmUp && !firstShowFrame_)
            tallies[bare_ ? kBare : KindOfLastFrame()].Add(turnStart_, now);
        firstShowFrame_ = false;
        ++turns_;
        if (bare_ && turns_ > kBareWarmUp + kBareFrames && currentPlayer) {
            // The player was started at time 0 and has not moved since: restarting the clock
            // begins the show at its first slide's start.
            bare_ = false;
            firstShowFrame_ = true;
            clock_.Start();
            appTime = 0;
            if (showSeconds_ <= 0)
                showSeconds_ = OneRound(currentPlayer->Document());
            width = backBufferDesc.Width;
            height = backBufferDesc.Height;
        } else if (!bare_ && appTime > showSeconds_) {
            finished = true;
            split = CpuSplitNow();  // while the device and its threads are there
            CloseSaver();
        }
        slideBefore_ = currentPlayer ? currentPlayer->SlideIndex() : 0;
        turnStart_ = Now();
        return S_OK;
    }

    HRESULT DrawUnit() override
    {
        if (!bare_)
            return CMoireScreensaver::DrawUnit();
        if (currentDevice)
            DrawBareScene(currentDevice);
        return S_OK;
    }

    double ShowSeconds() const { return showSeconds_; }

    Tally tallies[kKinds];
    bool finished = false;
    CpuSplit split;
    UINT width = 0, height = 0;

private:
    // What the player showed in the frame it has just drawn.
    FrameKind KindOfLastFrame() const
    {
        if (currentPlayer->SlideIndex() != slideBefore_)
            return kSlideChange;
        const unsigned alpha = currentPlayer->FadeQuad().Corners()[0].colour >> 24;
        return alpha == 0 ? kSlide : alpha >= kBlackAlpha ? kBlack : kFade;
    }

    double showSeconds_;
    bool bare_ = true;
    bool firstShowFrame_ = false;
    int turns_ = 0;
    uint32_t slideBefore_ = 0;
    Sample turnStart_;
};

MeasuredSaver* saver = nullptr;

// In its error state the saver draws no frames, so AdvanceFrame would never end it.
void CALLBACK EndOnError(HWND, UINT, UINT_PTR, DWORD)
{
    if (saver->errorFlag)
        saver->CloseSaver();
}

std::vector<uint8_t> show;

} // namespace

int main(int argc, char** argv)
{
    if (!PlayTheBuiltShow(show))
        return 1;

    MeasuredSaver app(argc > 1 ? std::atof(argv[1]) : 0.0);
    saver = &app;
    app.StartWithCommandLine(GetModuleHandleW(nullptr), L"lanternwork.scr /s");
    const UINT_PTR watchdog = SetTimer(nullptr, 0, 1000, EndOnError);
    app.Execute();
    KillTimer(nullptr, watchdog);
    if (app.errorFlag) {
        std::printf("the saver went into its error state (code %08lx)\n", static_cast<unsigned long>(app.errorCode));
        return 1;
    }
    if (!app.finished)
        std::printf("the saver ended before the show did (input on its screen?); the figures cover what ran\n");

    const Tally& bare = app.tallies[kBare];
    const Tally& slide = app.tallies[kSlide];
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("full screen %ux%u, %.0f s of show; a turn of the loop is a 30 ms sleep and one frame\n", app.width,
                app.height, app.ShowSeconds());
    std::printf("%-24s %6s %8s | %9s %6s %6s %6s | %9s %6s %6s %6s\n", "frame", "frames", "turn ms", "thread ms",
                "x bare", "x show", "cpu %", "process", "x bare", "x show", "cpu %");
    for (int k = 0; k < kKinds; ++k) {
        const Tally& t = app.tallies[k];
        const double thread = t.PerFrame(t.thread), process = t.PerFrame(t.process);
        std::printf("%-24s %6d %8.1f | %9.2f %6.2f %6.2f %6.1f | %9.2f %6.2f %6.2f %6.1f\n", kKindNames[k], t.frames,
                    t.PerFrame(t.wall) * 1e3, thread * 1e3, ratio(thread, bare.PerFrame(bare.thread)),
                    ratio(thread, slide.PerFrame(slide.thread)), 100.0 * ratio(t.thread, t.wall), process * 1e3,
                    ratio(process, bare.PerFrame(bare.process)), ratio(process, slide.PerFrame(slide.process)),
                    100.0 * ratio(t.process, t.wall));
    }
    const CpuSplit& split = app.split;
    std::printf("CPU time since the process began: %.1f s; this thread %.1f s, its other Windows threads %.1f s, "
                "threads Windows does not list (Mesa's) %.1f s\n",
                split.process, split.thisThread, split.otherThreads,
                split.process - split.thisThread - split.otherThreads);
    return 0;
}
