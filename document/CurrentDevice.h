// The Direct3D device being served. The host sets it before it creates, restores, draws or
// releases anything for a device; loading and drawing code reads it instead of taking a device.
#pragma once

#include <d3d9.h>

extern IDirect3DDevice9* CurrentDevice;
