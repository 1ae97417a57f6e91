#include "host/player/SoundTrack.h"

#include <dshow.h>

#include <vector>

#include "document/ComRef.h"
#include "document/SceneDoc.h"
#include "host/framework/D3DScreensaver.h"
#include "host/player/PlayerSettings.h"
#include "host/player/PlayerSound.h"

namespace {

// The one graph of the process and the interfaces queried from it.
struct SoundGraphParts {
    ComRef<IGraphBuilder> graph;
    ComRef<IMediaControl> control;
    ComRef<IMediaSeeking> seeking;
    ComRef<IMediaEventEx> events;
    ComRef<IBasicAudio> audio;
    // The source filter of the track that plays now; it leaves the graph when the next renders.
    ComRef<IBaseFilter> currentSource;
};
SoundGraphParts sound;

template <class T>
bool Query(IUnknown* from, REFIID id, ComRef<T>& into)
{
    return SUCCEEDED(from->QueryInterface(id, reinterpret_cast<void**>(into.Out()))) && into;
}

// Every filter of the graph, each with a reference of its own; empty when the graph cannot list
// them.
std::vector<ComRef<IBaseFilter>> GraphFilters()
{
    std::vector<ComRef<IBaseFilter>> filters;
    ComRef<IEnumFilters> list;
    if (FAILED(sound.graph->EnumFilters(list.Out())) || !list)
        return filters;
    // Skip and Next answer S_FALSE (a success code) at the end: only S_OK means "one more".
    ULONG count = 0;
    while (list->Skip(1) == S_OK)
        ++count;
    list->Reset();
    for (ULONG i = 0; i < count; ++i) {
        IBaseFilter* filter = nullptr;
        if (list->Next(1, &filter, nullptr) != S_OK || !filter)
            break;
        filters.push_back(ComRef<IBaseFilter>::Adopt(filter));
    }
    return filters;
}

// Takes every filter out of the graph and puts it back in, unnamed: every connection is broken,
// while every filter stays in the graph. False when the graph holds no filter at all.
bool DisconnectEveryFilter()
{
    const std::vector<ComRef<IBaseFilter>> filters = GraphFilters();
    if (filters.empty())
        return false;
    for (const ComRef<IBaseFilter>& filter : filters) {
        sound.graph->RemoveFilter(filter.Get());
        sound.graph->AddFilter(filter.Get(), nullptr);
    }
    return true;
}

// The file source that is in the graph now but was not among `before`: the filter that a
// RenderFile added to open its file. Null when there is none.
ComRef<IBaseFilter> NewFileSource(const std::vector<ComRef<IBaseFilter>>& before)
{
    for (ComRef<IBaseFilter>& filter : GraphFilters()) {
        bool known = false;
        for (const ComRef<IBaseFilter>& old : before)
            known = known || old.Get() == filter.Get();
        ComRef<IFileSourceFilter> file;
        if (!known && SUCCEEDED(filter->QueryInterface(IID_IFileSourceFilter, reinterpret_cast<void**>(file.Out()))) &&
            file)
            return filter;
    }
    return nullptr;
}

// The previous track's source filter (with its open file) leaves the graph; `next` takes its place.
void ReplaceCurrentSource(IBaseFilter* next)
{
    if (sound.currentSource && sound.currentSource.Get() != next)
        sound.graph->RemoveFilter(sound.currentSource.Get());
    sound.currentSource = ComRef<IBaseFilter>::Share(next);
}

// A render that left the audio unrendered has nothing to play.
bool Rendered(HRESULT hr)
{
    return SUCCEEDED(hr) && hr != VFW_S_AUDIO_NOT_RENDERED;
}

HRESULT InitForFramework(HWND window)
{
    return SoundInit(window) ? S_OK : E_FAIL;
}

bool PlayForPlayer(DS_AudioFile& track)
{
    return SoundPlay(&track);
}

} // namespace

long DirectShowVolume(int32_t setting, bool mute)
{
    if (mute)
        return kSilentVolume;
    const int64_t volume = (static_cast<int64_t>(setting) - 100) * 40;
    if (volume > 0)
        return 0;
    if (volume < kSilentVolume)
        return kSilentVolume;
    return static_cast<long>(volume);
}

int SoundInit(HWND window)
{
    SoundRelease();
    if (FAILED(CoInitialize(nullptr)))
        return 0;
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                IID_IGraphBuilder, reinterpret_cast<void**>(sound.graph.Out()))) ||
        !sound.graph)
        return 0;
    if (!Query(sound.graph.Get(), IID_IMediaControl, sound.control) ||
        !Query(sound.graph.Get(), IID_IMediaSeeking, sound.seeking) ||
        !Query(sound.graph.Get(), IID_IMediaEventEx, sound.events) ||
        !Query(sound.graph.Get(), IID_IBasicAudio, sound.audio))
        return 0;
    sound.events->SetNotifyWindow(reinterpret_cast<OAHWND>(window), kSoundNotifyMessage, 0);
    return 1;
}

bool SoundPlay(const DS_AudioFile* track)
{
    if (!track || !sound.graph)
        return false;
    const wchar_t* path = track->file.name.c_str();
    ComRef<IBaseFilter> source;
    if (FAILED(sound.graph->AddSourceFilter(path, path, source.Out())))
        source = nullptr;
    if (SoundRenderSource(source.Get()))
        return true;

    // The source that did not render goes again; the graph then tries the file by itself, with
    // the previous track's chain broken first, so that it cannot play along.
    if (source)
        sound.graph->RemoveFilter(source.Get());
    if (sound.control)
        sound.control->Stop();
    DisconnectEveryFilter();
    return SoundPlayFile(path) != 0;
}

bool SoundRenderSource(IBaseFilter* source)
{
    if (!source)
        return false;
    ComRef<IPin> output;
    if (FAILED(source->FindPin(L"Output", output.Out())) || !output)
        return false;
    if (!sound.control)
        return false;
    sound.control->Stop();
    if (!sound.graph || !DisconnectEveryFilter())
        return false;
    HRESULT hr = E_FAIL;
    try {
        hr = sound.graph->Render(output.Get());
    } catch (...) {
        return false;
    }
    // Nothing rendered means nothing to run: a run would only report completion at once.
    if (!Rendered(hr))
        return false;
    output.Reset();
    ReplaceCurrentSource(source);
    if (sound.seeking) {
        LONGLONG start = 0;
        sound.seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    }
    return SUCCEEDED(sound.control->Run());
}

int SoundPlayFile(const wchar_t* path)
{
    if (!sound.graph || !path)
        return 0;
    const std::vector<ComRef<IBaseFilter>> before = GraphFilters();
    if (!Rendered(sound.graph->RenderFile(path, nullptr)))
        return 0;
    // The graph chose and added the file's source by itself: it becomes the current source, so
    // the next track takes it out of the graph as it does the others.
    const ComRef<IBaseFilter> source = NewFileSource(before);
    if (source)
        ReplaceCurrentSource(source.Get());
    if (sound.seeking) {
        LONGLONG duration = 0;
        sound.seeking->GetDuration(&duration);
    }
    return sound.control && SUCCEEDED(sound.control->Run()) ? 1 : 0;
}

void SoundSetVolume(bool mute)
{
    if (sound.audio)
        sound.audio->put_Volume(DirectShowVolume(SoundVolumeSetting, mute));
}

int SoundGetEvent()
{
    if (!sound.events)
        return -1;
    long code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    if (FAILED(sound.events->GetEvent(&code, &param1, &param2, 0)))
        return -1;
    sound.events->FreeEventParams(code, param1, param2);
    return static_cast<int>(code);
}

void SoundStop()
{
    if (sound.control)
        sound.control->Stop();
}

void SoundRelease()
{
    sound.currentSource.Reset();
    sound.audio.Reset();
    sound.events.Reset();
    sound.seeking.Reset();
    sound.control.Reset();
    sound.graph.Reset();
}

IGraphBuilder* SoundGraph()
{
    return sound.graph.Get();
}

void UseDirectShowSound()
{
    PlayerSoundHooks player;
    player.play = PlayForPlayer;
    player.setVolume = SoundSetVolume;
    player.stop = SoundStop;
    player.release = SoundRelease;
    SetPlayerSoundHooks(player);

    SaverSoundHooks saver;
    saver.init = InitForFramework;
    saver.getEvent = SoundGetEvent;
    SetSaverSoundHooks(saver);
}
