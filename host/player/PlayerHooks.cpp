// The pluggable light factory and sound calls of the slide show.
#include "host/player/PlayerLight.h"
#include "host/player/PlayerSound.h"

#include "scene/lights/MutableLight.h"

namespace {

// The scene's light modes behind the player's light calls.
class SceneLight : public PlayerLight {
public:
    explicit SceneLight(MutableLight* light) : light_(light) {}
    void SetStretch(int stretch) override { light_->SetStretch(stretch); }
    void UpdateObjects(float appTime) override { light_->UpdateObjects(appTime); }
    void Update(float lightTime) override { light_->Update(lightTime); }
    void BeginFrame() override { light_->BeginFrame(); }
    void DrawObjects() override { light_->DrawObjects(); }
    void EndFrame() override { light_->EndFrame(); }
    void DrawFadeQuad(DS_ScreenQuad* fadeQuad) override { light_->DrawFadeQuad(fadeQuad); }
    void ReleaseDeviceResources() override { light_->ReleaseDeviceResources(); }

private:
    std::unique_ptr<MutableLight> light_;
};

std::unique_ptr<PlayerLight> CreateSceneLight(const SlideRecord* slide)
{
    MutableLight* light = CreateMutableLight(slide);
    return light ? std::make_unique<SceneLight>(light) : nullptr;
}

PlayerLightFactory lightFactory = CreateSceneLight;
PlayerSoundHooks soundHooks;

} // namespace

void SetPlayerLightFactory(PlayerLightFactory factory)
{
    lightFactory = factory ? factory : CreateSceneLight;
}

PlayerLightFactory GetPlayerLightFactory()
{
    return lightFactory;
}

std::unique_ptr<PlayerLight> CreatePlayerLight(const SlideRecord* slide)
{
    return lightFactory(slide);
}

void SetPlayerSoundHooks(const PlayerSoundHooks& hooks)
{
    soundHooks = hooks;
}

const PlayerSoundHooks& GetPlayerSoundHooks()
{
    return soundHooks;
}
