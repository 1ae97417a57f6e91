#include "document/params/MediaParam.h"

#include <algorithm>
#include <vector>

MediaParam::~MediaParam()
{
    // Take the list first, so that a listener reacting to Detach cannot disturb the walk.
    const std::list<MediaControl*> listeners = std::move(listeners_);
    listeners_.clear();
    for (MediaControl* listener : listeners)
        listener->Detach();
}

void MediaParam::AddControl(MediaControl* control)
{
    listeners_.push_back(control);
}

void MediaParam::RemoveControl(MediaControl* control)
{
    listeners_.remove(control);
}

bool MediaParam::HasControl(const MediaControl* control) const
{
    return std::find(listeners_.begin(), listeners_.end(), control) != listeners_.end();
}

void MediaParam::NotifyControls(MediaControl* source)
{
    // Walk a copy of the list: a listener may delete another listener or bind a new one while
    // it is being told. Before each call, check that the listener is still registered.
    const std::vector<MediaControl*> snapshot(listeners_.begin(), listeners_.end());
    for (MediaControl* listener : snapshot) {
        if (HasControl(listener))
            NotifyListener(listener, source);
    }
}

void MediaParam::NotifyListener(MediaControl* listener, MediaControl* source)
{
    // The control that caused a change is never told of it.
    if (listener != source)
        listener->OnParamChanged(source);
}
