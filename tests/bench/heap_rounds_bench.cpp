// Benchmark (not a test): what the Windows heaps keep after each round of the show's work, in
// this process, where the heaps can be walked exactly. Each experiment repeats one piece of work
// in rounds and prints the bytes in use in the heaps after every round, then the mean growth per
// round after the first rounds (which fill caches once). Growth that goes on round after round is
// kept memory; the experiments that make the same platform calls alone tell the platform's share.
//
//     wine build/bin/bench_heap_rounds.exe EXPERIMENT [rounds, default 20]
//
//   show           the player through every slide of the program's show on a clock driven frame
//                  by frame (a round: one slide change per slide)
//   slide N        slide N's light (1 to the slide count): made, drawn for ten frames, released
//   slide-alone N  the same light without the slide's objects
//   resets         the player's restart after a device reset, ten a round: release, reset, start
//   resets-sound   the same with the sound graph playing the show's tracks
//   restart-parts  the device reset alone, with a managed texture drawn between, under the first slide's light (made once),
//                  then the player's start alone (ten a round each)
//   sound-restart-parts  the player's start with sound, the first track stopped and started
//                  again, and the document read anew with its first track started
//   tracks         the playlist's next track, as many a round as the show has tracks
//   load           the show's document read anew, ten a round
//   texture        platform alone: a texture made from the first slide's picture, drawn once and
//                  released, ten a round
//   fire-parts     platform alone: the fire light's effect (resource 63 of the resource library)
//                  made, used as the light uses it and released; its shader pair made, drawn with
//                  and released (one a round each, ten frames presented)
//   graph          platform alone: one track's source filter added, rendered, run, and every
//                  filter taken out of the graph again, ten a round
//
// Run it on a test bed screen (scripts/testbed.sh) with nothing else running.
#include <windows.h>
#include <d3dx9.h>
#include <dshow.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/ComRef.h"
#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "document/ResourceCache.h"
#include "document/SceneDoc.h"
#include "host/player/ScenePlayer.h"
#include "host/player/SlideTiming.h"
#include "host/player/SoundTrack.h"
#include "scene/constructors/SceneReaders.h"
#include "scene/lights/DS_FlameLight.h"
#include "scene/lights/MutableLight.h"
#include "scene/render/QuadTemplate.h"
#include "scene/render/ScreenQuad.h"
#include "tests/bench/BenchClock.h"
#include "tests/bench/BuiltShowSource.h"
#include "tests/support/DeviceFixture.h"
#include "tests/support/LightFrame.h"
#include "tests/support/ProcessMemory.h"

namespace {

constexpr UINT kWidth = 1024;
constexpr UINT kHeight = 768;
constexpr int kWarmUpRounds = 3;

std::vector<uint8_t> show;

// Runs `round` `rounds` times and prints the heaps after each, with the private bytes beside;
// ends with the mean growth per round after the warm-up rounds.
void MeasureRounds(const char* name, int rounds, const std::function<void()>& round)
{
    std::printf("%s: heap bytes in use after each round (private bytes beside)\n", name);
    SIZE_T previous = HeapBytesInUse(), afterWarmUp = previous;
    std::printf("  start     %10zu             (%zu)\n", previous, PrivateBytes());
    for (int i = 1; i <= rounds; ++i) {
        round();
        const SIZE_T now = HeapBytesInUse();
        std::printf("  round %3d %10zu %+10lld  (%zu)\n", i, now,
                    static_cast<long long>(now) - static_cast<long long>(previous), PrivateBytes());
        std::fflush(stdout);
        previous = now;
        if (i == kWarmUpRounds)
            afterWarmUp = now;
    }
    const int measured = rounds - kWarmUpRounds;
    std::printf("%s: %+.1f bytes a round after round %d\n\n", name,
                measured > 0 ? (double(previous) - double(afterWarmUp)) / measured : 0.0, kWarmUpRounds);
}

// The application's part of a frame: the player's device, cache and manager become current.
void SelectPlayer(ScenePlayer& player, IDirect3DDevice9* device)
{
    CurrentDevice = device;
    CurrentResourceCache = player.Cache();
    if (player.DocResManager())
        CurrentDocResManager = player.DocResManager();
}

void Frame(ScenePlayer& player, IDirect3DDevice9* device, float t)
{
    SelectPlayer(player, device);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    player.DrawFrame(t);
    device->Present(nullptr, nullptr, nullptr, nullptr);
}

// What the framework does for a reset: the sound stops, the light lets go of the device.
void ReleaseForReset(ScenePlayer& player, IDirect3DDevice9* device)
{
    SoundStop();
    SelectPlayer(player, device);
    player.ReleaseDeviceResources();
}

void DrainMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
}

// The process's sound graph, telling a message-only window of its own (read by nobody).
bool StartSound()
{
    static HWND window = CreateWindowW(L"STATIC", L"notices", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    UseDirectShowSound();
    if (SoundInit(window))
        return true;
    std::printf("no sound graph\n");
    return false;
}

// A managed texture of a picture's bytes, as the lights make their slide pictures (null on failure).
ComRef<IDirect3DTexture9> PictureTexture(IDirect3DDevice9* device, const NamedBlob& picture)
{
    ComRef<IDirect3DTexture9> texture;
    D3DXCreateTextureFromFileInMemoryEx(device, picture.Bytes(), picture.Size(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                        D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_POINT, D3DX_FILTER_NONE, 0,
                                        nullptr, nullptr, texture.Out());
    return texture;
}

// One frame that draws `texture` over the whole back buffer, then the present.
void DrawTextureFrame(IDirect3DDevice9* device, IDirect3DTexture9* texture)
{
    DrawPictureScene(device, texture, float(kWidth), float(kHeight));
    device->Present(nullptr, nullptr, nullptr, nullptr);
}

// ---- Our code ----

int Show(TestDevice& test, int rounds)
{
    IDirect3DDevice9* device = test.device();
    ScenePlayer player;
    SelectPlayer(player, device);
    player.Start(0.0f);
    const uint32_t slides = player.Document().slideCount;
    if (slides < 2) {
        std::printf("the show has fewer than two slides\n");
        return 1;
    }
    // Each slide: twelve frames through its fade-in, hold and fade-out, then the frame after its
    // end, which changes the slide.
    float slideStart = 0;
    MeasureRounds("show", rounds, [&] {
        for (uint32_t s = 0; s < slides; ++s) {
            const SlideTimes times = SlideTimesOf(player.Document().slides[player.SlideIndex()]);
            const float length = times.fadeIn + times.hold + times.fadeOut;
            for (int f = 0; f < 12; ++f)
                Frame(player, device, slideStart + length * float(f) / 12.0f);
            slideStart += length + 0.01f;
            Frame(player, device, slideStart);
        }
    });
    player.ReleaseDeviceResources();
    return 0;
}

// A copy of a slide's record without its objects.
void CopyWithoutObjects(const SlideRecord& from, SlideRecord& to)
{
    to.kind = from.kind;
    to.picture = from.picture;
    std::memcpy(to.switches, from.switches, sizeof to.switches);
    std::memcpy(to.levels, from.levels, sizeof to.levels);
    std::memcpy(to.options, from.options, sizeof to.options);
    std::memcpy(to.colours, from.colours, sizeof to.colours);
    for (int i = 0; i < 10; ++i) {
        to.resourceRefs[i] = from.resourceRefs[i];
        to.blobs[i] = from.blobs[i];
        to.points[i] = from.points[i];
    }
    to.speed = from.speed;
    to.amount = from.amount;
    to.auxValue = from.auxValue;
}

int OneSlide(TestDevice& test, int rounds, uint32_t number, bool withObjects)
{
    IDirect3DDevice9* device = test.device();
    ResourceCacheHandle cache;
    ResourceCache::Create(&cache);
    SceneDoc doc;
    LoadSceneDocument(show.data(), show.size(), doc);
    if (number < 1 || number > doc.slideCount) {
        std::printf("the show has slides 1 to %u\n", doc.slideCount);
        return 1;
    }
    CurrentResourceCache = &cache;
    SlideRecord alone;
    CopyWithoutObjects(doc.slides[number - 1], alone);
    const SlideRecord& slide = withObjects ? doc.slides[number - 1] : alone;
    DS_ScreenQuad fade;
    fade.Create(0xFF000000u, MakeBackBufferQuad());
    fade.SetVertexAlphas(0.0f, 0.0f, 0.0f, 0.0f);
    float t = 0;
    const std::string name = (withObjects ? "slide " : "slide without objects ") + std::to_string(number);
    MeasureRounds(name.c_str(), rounds, [&] {
        std::unique_ptr<MutableLight> light(CreateMutableLight(&slide));
        light->SetStretch(1);
        for (int f = 0; f < 10; ++f, t += 0.05f)
            DrawLightFrame(device, *light, fade, t);
        light->ReleaseDeviceResources();
    });
    return 0;
}

int Resets(TestDevice& test, int rounds, bool withSound)
{
    IDirect3DDevice9* device = test.device();
    if (withSound && !StartSound())
        return 1;
    ScenePlayer player;
    SelectPlayer(player, device);
    player.Start(0.0f);
    float t = 0;
    MeasureRounds(withSound ? "resets with sound" : "resets", rounds, [&] {
        for (int i = 0; i < 10; ++i) {
            Frame(player, device, t += 0.5f);
            ReleaseForReset(player, device);
            if (FAILED(test.Reset(kWidth, kHeight)))
                std::printf("  the reset failed\n");
            player.Start(t);
            Frame(player, device, t += 0.5f);
            DrainMessages();
        }
    });
    player.ReleaseDeviceResources();
    SoundRelease();
    return 0;
}

int RestartParts(TestDevice& test, int rounds)
{
    IDirect3DDevice9* device = test.device();
    MeasureRounds("device reset alone", rounds, [&] {
        for (int i = 0; i < 10; ++i) {
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
            device->Present(nullptr, nullptr, nullptr, nullptr);
            test.Reset(kWidth, kHeight);
        }
    });
    // The same with a managed texture of the first slide's picture drawn between the resets.
    {
        SceneDoc doc;
        LoadSceneDocument(show.data(), show.size(), doc);
        const ComRef<IDirect3DTexture9> texture = PictureTexture(device, doc.slides[0].picture);
        MeasureRounds("device reset with a managed texture drawn between", rounds, [&] {
            for (int i = 0; i < 10; ++i) {
                DrawTextureFrame(device, texture.Get());
                test.Reset(kWidth, kHeight);
            }
        });
    }
    // The first slide's light stays (made once) and sees the resets: what the device keeps for
    // a reset with the light's managed textures and buffers in use.
    {
        ResourceCacheHandle cache;
        ResourceCache::Create(&cache);
        SceneDoc doc;
        LoadSceneDocument(show.data(), show.size(), doc);
        CurrentResourceCache = &cache;
        DS_ScreenQuad fade;
        fade.Create(0xFF000000u, MakeBackBufferQuad());
        std::unique_ptr<MutableLight> light(CreateMutableLight(&doc.slides[0]));
        float t = 0;
        MeasureRounds("device reset under one light", rounds, [&] {
            for (int i = 0; i < 10; ++i) {
                DrawLightFrame(device, *light, fade, t += 0.5f);
                light->ReleaseDeviceResources();
                test.Reset(kWidth, kHeight);
                light->RestoreRenderStates();
            }
        });
        light->ReleaseDeviceResources();
        CurrentResourceCache = nullptr;
    }
    ScenePlayer player;
    SelectPlayer(player, device);
    player.Start(0.0f);
    float t = 0;
    MeasureRounds("player start alone", rounds, [&] {
        for (int i = 0; i < 10; ++i) {
            Frame(player, device, t += 0.5f);
            ReleaseForReset(player, device);
            player.Start(t);
        }
    });
    player.ReleaseDeviceResources();
    return 0;
}

int SoundRestartParts(TestDevice& test, int rounds)
{
    if (!StartSound())
        return 1;
    IDirect3DDevice9* device = test.device();
    ScenePlayer player;
    SelectPlayer(player, device);
    player.Start(0.0f);
    MeasureRounds("player start with sound", rounds, [&] {
        for (int i = 0; i < 10; ++i) {
            ReleaseForReset(player, device);
            player.Start(0.0f);
            DrainMessages();
        }
    });
    DS_AudioFile* first = player.Document().sounds.front();
    MeasureRounds("first track stopped and started", rounds, [&] {
        for (int i = 0; i < 10; ++i) {
            SoundStop();
            SoundPlay(first);
            DrainMessages();
        }
    });
    SceneDoc reread;
    int failed = 0;
    MeasureRounds("the document read anew, its first track started", rounds, [&] {
        for (int i = 0; i < 10; ++i) {
            SoundStop();
            LoadSceneDocument(show.data(), show.size(), reread);
            failed += SoundPlay(reread.sounds.front()) ? 0 : 1;
            DrainMessages();
        }
    });
    std::printf("the first track of the document read anew did not play %d times of %d\n", failed, 10 * rounds);
    player.ReleaseDeviceResources();
    SoundRelease();
    return 0;
}

int Tracks(TestDevice& test, int rounds)
{
    if (!StartSound())
        return 1;
    ScenePlayer player;
    SelectPlayer(player, test.device());
    player.Start(0.0f);
    const size_t tracks = player.Document().sounds.size();
    MeasureRounds("tracks", rounds, [&] {
        for (size_t i = 0; i < tracks; ++i) {
            player.OnMediaEvent(1);
            Sleep(50);
            DrainMessages();
        }
    });
    player.ReleaseDeviceResources();
    SoundRelease();
    return 0;
}

int Load(int rounds)
{
    SceneDoc doc;
    MeasureRounds("load", rounds, [&] {
        for (int i = 0; i < 10; ++i)
            LoadSceneDocument(show.data(), show.size(), doc);
    });
    return 0;
}

// ---- The platform alone ----

int BareTexture(TestDevice& test, int rounds)
{
    IDirect3DDevice9* device = test.device();
    SceneDoc doc;
    LoadSceneDocument(show.data(), show.size(), doc);
    const NamedBlob& picture = doc.slides[0].picture;
    if (!picture.HasBytes()) {
        std::printf("the first slide's picture is not embedded\n");
        return 1;
    }
    MeasureRounds("texture", rounds, [&] {
        for (int i = 0; i < 10; ++i) {
            DrawTextureFrame(device, PictureTexture(device, picture).Get());
        }
    });
    return 0;
}

int FireParts(TestDevice& test, int rounds)
{
    IDirect3DDevice9* device = test.device();
    HMODULE library = LoadLibraryW(L"common_res.dll");
    HRSRC found = library ? FindResourceW(library, MAKEINTRESOURCEW(63), RT_RCDATA) : nullptr;
    if (!found) {
        std::printf("no effect 63 in common_res.dll\n");
        return 1;
    }
    const void* bytes = LockResource(LoadResource(library, found));
    const UINT size = SizeofResource(library, found);

    // The effect as the fire light uses it: parameters and both textures set every frame, a quad
    // drawn in every pass, its device state dropped before the release.
    ComRef<IDirect3DTexture9> frame;
    device->CreateTexture(kWidth, kHeight, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, frame.Out(),
                          nullptr);
    MeasureRounds("the fire light's effect", rounds, [&] {
        ComRef<ID3DXEffect> effect;
        if (FAILED(D3DXCreateEffect(device, bytes, size, nullptr, nullptr, 0, nullptr, effect.Out(), nullptr)))
            return;
        const float pair[2] = {0.1f, 0.2f};
        const float quad[4 * 5] = {0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 1, 1, 0, 1, 1};
        for (int i = 0; i < 10; ++i) {
            device->BeginScene();
            effect->SetFloat("stenght", 0.05f);
            effect->SetFloatArray("Offset", pair, 2);
            effect->SetFloatArray("bump_scale", pair, 2);
            effect->SetTexture("SceneTex", frame.Get());
            effect->SetTexture("Bumpmap", frame.Get());
            effect->SetTechnique("BumpmapDistortLow2");
            device->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
            UINT passes = 0;
            effect->Begin(&passes, 0);
            for (UINT pass = 0; pass < passes; ++pass) {
                effect->BeginPass(pass);
                device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, 5 * sizeof(float));
                effect->EndPass();
            }
            effect->End();
            device->EndScene();
            device->Present(nullptr, nullptr, nullptr, nullptr);
        }
        effect->OnLostDevice();
        effect.Reset();
        for (DWORD stage = 0; stage < 8; ++stage)
            device->SetTexture(stage, nullptr);
    });
    frame.Reset();

    const char* const vertexText = DistortionShader::kVertexText;
    const char* const pixelText = DistortionShader::kPixelText;
    MeasureRounds("the fire light's shader pair", rounds, [&] {
        ComRef<ID3DXBuffer> vertexCode, pixelCode;
        D3DXAssembleShader(vertexText, UINT(std::strlen(vertexText)), nullptr, nullptr, 0, vertexCode.Out(), nullptr);
        D3DXAssembleShader(pixelText, UINT(std::strlen(pixelText)), nullptr, nullptr, 0, pixelCode.Out(), nullptr);
        static const D3DVERTEXELEMENT9 elements[] = {
            {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
            {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
            D3DDECL_END(),
        };
        ComRef<IDirect3DVertexDeclaration9> declaration;
        ComRef<IDirect3DVertexShader9> vertexShader;
        ComRef<IDirect3DPixelShader9> pixelShader;
        device->CreateVertexDeclaration(elements, declaration.Out());
        if (vertexCode)
            device->CreateVertexShader(static_cast<const DWORD*>(vertexCode->GetBufferPointer()), vertexShader.Out());
        if (pixelCode)
            device->CreatePixelShader(static_cast<const DWORD*>(pixelCode->GetBufferPointer()), pixelShader.Out());
        const float triangle[3 * 5] = {0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
        for (int i = 0; i < 10; ++i) {
            device->BeginScene();
            device->SetVertexDeclaration(declaration.Get());
            device->SetVertexShader(vertexShader.Get());
            device->SetPixelShader(pixelShader.Get());
            device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, 5 * sizeof(float));
            device->SetVertexShader(nullptr);
            device->SetPixelShader(nullptr);
            device->SetVertexDeclaration(nullptr);
            device->EndScene();
            device->Present(nullptr, nullptr, nullptr, nullptr);
        }
    });
    return 0;
}

int BareGraph(int rounds)
{
    SceneDoc doc;
    LoadSceneDocument(show.data(), show.size(), doc);
    if (doc.sounds.empty()) {
        std::printf("the show has no sound\n");
        return 1;
    }
    const std::wstring path = doc.sounds.front()->file.name;
    CoInitialize(nullptr);
    ComRef<IGraphBuilder> graph;
    CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                     reinterpret_cast<void**>(graph.Out()));
    ComRef<IMediaControl> control;
    if (!graph || FAILED(graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(control.Out())))) {
        std::printf("no sound graph\n");
        return 1;
    }
    MeasureRounds("graph", rounds, [&] {
        for (int i = 0; i < 10; ++i) {
            ComRef<IBaseFilter> source;
            if (FAILED(graph->AddSourceFilter(path.c_str(), path.c_str(), source.Out())))
                continue;
            ComRef<IPin> output;
            if (SUCCEEDED(source->FindPin(L"Output", output.Out())))
                graph->Render(output.Get());
            control->Run();
            Sleep(20);
            control->Stop();
            // Everything the render added goes with the source: the graph is empty again.
            ComRef<IEnumFilters> list;
            std::vector<ComRef<IBaseFilter>> filters;
            if (SUCCEEDED(graph->EnumFilters(list.Out())) && list) {
                for (IBaseFilter* f = nullptr; list->Next(1, &f, nullptr) == S_OK;)
                    filters.push_back(ComRef<IBaseFilter>::Adopt(f));
            }
            list.Reset();
            for (const ComRef<IBaseFilter>& filter : filters)
                graph->RemoveFilter(filter.Get());
        }
    });
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: bench_heap_rounds show | slide N | slide-alone N | resets | resets-sound | restart-parts |"
                    " sound-restart-parts | tracks | load | texture | fire-parts | graph [rounds]\n");
        return 2;
    }
    const std::string what = argv[1];
    const bool slide = what == "slide" || what == "slide-alone";
    const int roundsArgument = slide ? 3 : 2;
    const int rounds = argc > roundsArgument ? std::atoi(argv[roundsArgument]) : 20;

    if (!PlayTheBuiltShow(show))
        return 1;
    TestDevice test(kWidth, kHeight);
    if (!test.Ok()) {
        std::printf("no device\n");
        return 1;
    }
    CurrentDevice = test.device();

    const uint32_t slideNumber = slide && argc > 2 ? static_cast<uint32_t>(std::atoi(argv[2])) : 0;
    const struct {
        const char* name;
        std::function<int()> run;
    } experiments[] = {
        {"show", [&] { return Show(test, rounds); }},
        {"slide", [&] { return OneSlide(test, rounds, slideNumber, true); }},
        {"slide-alone", [&] { return OneSlide(test, rounds, slideNumber, false); }},
        {"resets", [&] { return Resets(test, rounds, false); }},
        {"resets-sound", [&] { return Resets(test, rounds, true); }},
        {"restart-parts", [&] { return RestartParts(test, rounds); }},
        {"sound-restart-parts", [&] { return SoundRestartParts(test, rounds); }},
        {"tracks", [&] { return Tracks(test, rounds); }},
        {"load", [&] { return Load(rounds); }},
        {"texture", [&] { return BareTexture(test, rounds); }},
        {"fire-parts", [&] { return FireParts(test, rounds); }},
        {"graph", [&] { return BareGraph(rounds); }},
    };
    int result = 2;
    for (const auto& experiment : experiments)
        if (what == experiment.name)
            result = experiment.run();
    if (result == 2)
        std::printf("no experiment \"%s\"\n", what.c_str());
    SetSceneDocumentSource(nullptr);
    CurrentResourceCache = nullptr;
    CurrentDocResManager = nullptr;
    CurrentDevice = nullptr;
    return result;
}
