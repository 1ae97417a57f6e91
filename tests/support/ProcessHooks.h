// The process-wide hooks a test replaces, saved when a guard is made and put back when it goes:
// at the end of a test or a fixture, also when an assertion ends the test early. Between the two
// the test sets what it needs with the product's own calls (SetSceneDocumentSource, ...).
//
//   HostHooksGuard       where the player reads its document, makes its lights and plays its
//                        sound; where the saver gets Direct3D, and the device calls of its
//                        frame loop
//   StreamAnimTimeGuard  the clock the falling leaves read
#pragma once

#include "host/framework/Direct3DSeams.h"
#include "host/player/PlayerLight.h"
#include "host/player/PlayerSound.h"
#include "host/player/ScenePlayer.h"
#include "scene/objects/DS_LeafFallAnim.h"

class HostHooksGuard {
public:
    HostHooksGuard() = default;
    ~HostHooksGuard()
    {
        SetSceneDocumentSource(documentSource_);
        SetPlayerLightFactory(lightFactory_);
        SetPlayerSoundHooks(soundHooks_);
        SetDirect3DFactory(direct3DFactory_);
        SetDeviceCalls(&deviceCalls_);
    }
    HostHooksGuard(const HostHooksGuard&) = delete;
    HostHooksGuard& operator=(const HostHooksGuard&) = delete;

private:
    SceneDocumentSource documentSource_ = GetSceneDocumentSource();
    PlayerLightFactory lightFactory_ = GetPlayerLightFactory();
    PlayerSoundHooks soundHooks_ = GetPlayerSoundHooks();
    Direct3DFactory direct3DFactory_ = CurrentDirect3DFactory();
    DeviceCalls deviceCalls_ = CurrentDeviceCalls();
};

// Sets the leaves' clock when made (0 unless told otherwise) and puts the saved time back when
// it goes.
class StreamAnimTimeGuard {
public:
    explicit StreamAnimTimeGuard(float now = 0.0f) { StreamAnimTime = now; }
    ~StreamAnimTimeGuard() { StreamAnimTime = saved_; }
    StreamAnimTimeGuard(const StreamAnimTimeGuard&) = delete;
    StreamAnimTimeGuard& operator=(const StreamAnimTimeGuard&) = delete;

private:
    float saved_ = StreamAnimTime;
};
