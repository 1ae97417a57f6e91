// One frame of a light as the player draws it between two presents: the updates at time `t`,
// the light's passes and the fade quad inside one scene, then the present. For benchmarks and
// tests that drive a light without a player.
#pragma once

#include <d3d9.h>

#include "scene/lights/MutableLight.h"
#include "scene/render/ScreenQuad.h"

inline void DrawLightFrame(IDirect3DDevice9* device, MutableLight& light, DS_ScreenQuad& fade, float t)
{
    light.UpdateObjects(t);
    light.Update(t);
    device->BeginScene();
    light.BeginFrame();
    light.DrawObjects();
    light.EndFrame();
    light.DrawFadeQuad(&fade);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
}
