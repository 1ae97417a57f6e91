#include "scene/render/DeviceBindings.h"

#include "document/CurrentDevice.h"

void UnbindDrawingResources(DWORD stageCount)
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    for (DWORD stage = 0; stage < stageCount && stage < kMaxTextureStages; ++stage)
        device->SetTexture(stage, nullptr);
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);
}
