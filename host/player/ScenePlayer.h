// ScenePlayer: the slide show of one device.
//
// It loads the scene document, keeps one light mode alive for the current slide, switches slides
// after their fade-in, hold and fade-out times, fades each slide in from black and out to black
// with a full-screen quad, advances the slide's objects and its light every frame, and walks the
// document's sound list as a looping playlist. Everything it loads or draws goes to CurrentDevice
// and CurrentResourceCache, which the application points at this player's device and cache first.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>

#include "document/ResourceCache.h"
#include "document/SceneDoc.h"
#include "host/player/PlayerLight.h"
#include "scene/render/ScreenQuad.h"

class DS_DocResManager;

// Where a start reads its document from: the program's own "DDS" 107 unless a test says otherwise.
using SceneDocumentSource = std::function<void(SceneDoc& doc)>;
void SetSceneDocumentSource(SceneDocumentSource source);
// The source set last (empty: the program's own document).
const SceneDocumentSource& GetSceneDocumentSource();

// The frames drawn with a new light before its slide's clock starts: the one that made it and
// the ones a device may still be working on when the program draws the next (Direct3D lets a
// device fall three frames behind).
constexpr int kFramesBeforeSlideClock = 4;

class ScenePlayer {
public:
    ScenePlayer();
    ~ScenePlayer();
    ScenePlayer(const ScenePlayer&) = delete;
    ScenePlayer& operator=(const ScenePlayer&) = delete;

    // (Re)starts the show on the current device: reloads the document, returns to the first
    // slide with a new light, rebuilds the fade quad and restarts the playlist. Lets the
    // document error through; the light is gone by then.
    void Start(float appTime);
    // Once per frame before drawing: slide change, fade level, object and light updates. A
    // slide's clock starts only after the first frames drawn with its light, so the time the
    // making took (for the first slide: reading the document and making the devices) and the
    // device's work on those costly first frames do not eat into its fade-in.
    void Advance(float appTime);
    // The frame of this player's device: Advance, then the light's passes inside one scene.
    void DrawFrame(float appTime);
    // A sound event: 1 (completion) plays the next track; every other code does nothing.
    void OnMediaEvent(int eventCode);
    // Before a device reset and at shutdown: the light's default-pool resources, then every
    // stage texture, stream 0 and the indices are unbound.
    void ReleaseDeviceResources();

    ResourceCacheHandle* Cache() const { return cache_.get(); }
    // The resource manager this player's last load produced (null before one succeeded).
    DS_DocResManager* DocResManager() const { return doc_.resources.get(); }
    PlayerLight* Light() const { return light_.get(); }
    const SceneDoc& Document() const { return doc_; }
    uint32_t SlideIndex() const { return slideIndex_; }
    float SpeedFactor() const { return speedFactor_; }
    const DS_ScreenQuad& FadeQuad() const { return fadeQuad_; }

private:
    void MakeLight(const SlideRecord* slide);
    void PlaylistStep();

    DS_ScreenQuad fadeQuad_;
    std::unique_ptr<PlayerLight> light_;
    std::unique_ptr<ResourceCacheHandle> cache_;
    float speedFactor_ = 1.0f;
    SceneDoc doc_;
    uint32_t slideIndex_ = 0;
    float slideStart_ = 0;
    // The frames (Advance calls) the current light has been through, counted up to the one that
    // starts its slide's clock; while it is at most kFramesBeforeSlideClock the clock is held.
    int framesWithLight_ = kFramesBeforeSlideClock + 1;
    std::list<DS_AudioFile*>::iterator playlistCursor_;
};
