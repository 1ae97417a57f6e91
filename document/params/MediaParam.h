// Observable values.
//
// A MediaParam keeps a list of listeners (MediaControl) in registration order. A
// MediaParamTB<T> adds the value itself and the one rule every change follows: SetValue
// stores a new value and tells every listener but the one that caused the change; setting
// the value it already has tells nobody.
//
// The value is a plain field because construction and document reading store it directly,
// without telling anyone. Every other change goes through SetValue.
#pragma once

#include "document/params/MediaControl.h"

#include <list>

class MediaParam {
public:
    MediaParam() = default;
    // A copy starts with no listeners; assigning keeps the target's own listeners.
    MediaParam(const MediaParam&) {}
    MediaParam& operator=(const MediaParam&) { return *this; }
    // Detaches every listener in list order (none is deleted).
    virtual ~MediaParam();

    // Kept for the interface's shape: does nothing and nothing calls it.
    virtual void EmptyHook(int, int) {}

    // Registration appends; a control registered twice is told twice.
    void AddControl(MediaControl* control);
    // Removes every occurrence of control.
    void RemoveControl(MediaControl* control);
    bool HasControl(const MediaControl* control) const;
    const std::list<MediaControl*>& Controls() const { return listeners_; }

    // Tells every listener, in list order, that the value changed; source is skipped.
    // Listeners may bind or remove listeners of this parameter while they are told: a listener
    // removed meanwhile is not called, one added meanwhile is not called this time.
    void NotifyControls(MediaControl* source);
    void NotifyListener(MediaControl* listener, MediaControl* source);

private:
    std::list<MediaControl*> listeners_;
};

// T is int, unsigned int or unsigned long.
template <class T>
class MediaParamTB : public MediaParam {
public:
    MediaParamTB() : value() {}
    explicit MediaParamTB(T initial) : value(initial) {}
    // Copying and assigning take the value only: listeners stay with their own parameter, and
    // an assignment tells nobody (like a document read).
    MediaParamTB(const MediaParamTB& other) : MediaParam(), value(other.value) {}
    MediaParamTB& operator=(const MediaParamTB& other)
    {
        value = other.value;
        return *this;
    }

    void SetValue(T v, MediaControl* source)
    {
        if (v == value)
            return;
        value = v;
        NotifyControls(source);
    }

    T value;
};
