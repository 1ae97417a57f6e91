// What drawing leaves bound to CurrentDevice, and letting go of it before a reset.
//
// On Windows, Reset fails while a default-pool resource is still set on the device (a render
// target's texture on a stage, for instance); Wine unbinds everything on Reset and so hides the
// fault. Every light's ReleaseDeviceResources, and the player's release path after it, therefore
// unbinds what its drawing bound.
#pragma once

#include <d3d9.h>

// The fixed-function texture stages a Direct3D 9 device can have.
constexpr DWORD kMaxTextureStages = 8;

// Sets the textures of stages 0 to stageCount − 1, stream source 0 and the index buffer of
// CurrentDevice to null. Nothing without a device.
void UnbindDrawingResources(DWORD stageCount);
