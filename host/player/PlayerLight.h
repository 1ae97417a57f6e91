// What the slide show needs of a slide's light mode, and where the light modes come from.
//
// The player drives a light through these calls only: the stretch flag right after creation, the
// per-frame updates, the four drawing passes and the release before a device reset. The light
// modes of the scene subsystem (CreateMutableLight) are the default; tests plug in lights of
// their own through SetPlayerLightFactory.
#pragma once

#include <memory>

class DS_ScreenQuad;
struct SlideRecord;

class PlayerLight {
public:
    virtual ~PlayerLight() = default;
    virtual void SetStretch(int stretch) = 0;
    virtual void UpdateObjects(float appTime) = 0;
    virtual void Update(float lightTime) = 0;
    virtual void BeginFrame() = 0;
    virtual void DrawObjects() = 0;
    virtual void EndFrame() = 0;
    virtual void DrawFadeQuad(DS_ScreenQuad* fadeQuad) = 0;
    virtual void ReleaseDeviceResources() = 0;
};

// Makes the light of a slide (the slide may be null: an empty document); may return null.
using PlayerLightFactory = std::unique_ptr<PlayerLight> (*)(const SlideRecord* slide);

// Null restores the scene's light modes.
void SetPlayerLightFactory(PlayerLightFactory factory);
// The factory in use (the scene's light modes unless a test has set another).
PlayerLightFactory GetPlayerLightFactory();
std::unique_ptr<PlayerLight> CreatePlayerLight(const SlideRecord* slide);
