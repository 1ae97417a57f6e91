// Whether the process-wide sound graph is playing: for tests that link the sound player.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "document/ComRef.h"
#include "host/player/SoundTrack.h"

// True when the graph exists and its media control reports that it runs.
inline bool SoundGraphRuns()
{
    if (!SoundGraph())
        return false;
    ComRef<IMediaControl> control;
    if (FAILED(SoundGraph()->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(control.Out()))))
        return false;
    OAFilterState state = State_Stopped;
    control->GetState(2000, &state);
    return state == State_Running;
}
