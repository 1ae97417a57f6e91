// The process-wide current objects (the device being served, the resource cache and the
// resource manager), saved when a guard is made and put back when it goes: at the end of a test
// or a fixture, also when an assertion ends the test early.
#pragma once

#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "document/ResourceCache.h"

class CurrentObjectsGuard {
public:
    CurrentObjectsGuard() = default;
    ~CurrentObjectsGuard()
    {
        CurrentDevice = device_;
        CurrentResourceCache = cache_;
        CurrentDocResManager = manager_;
    }
    CurrentObjectsGuard(const CurrentObjectsGuard&) = delete;
    CurrentObjectsGuard& operator=(const CurrentObjectsGuard&) = delete;

private:
    IDirect3DDevice9* device_ = CurrentDevice;
    ResourceCacheHandle* cache_ = CurrentResourceCache;
    DS_DocResManager* manager_ = CurrentDocResManager;
};
