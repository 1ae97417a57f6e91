// Listeners of parameters.
//
// A MediaControl is told when a parameter it listens to changes (OnParamChanged, with the
// control that caused the change, or null) and when that parameter is being destroyed
// (Detach). A parameter never owns its listeners and a listener never owns its parameter.
#pragma once

class MediaControl {
public:
    MediaControl() = default;
    MediaControl(const MediaControl&) = delete;
    MediaControl& operator=(const MediaControl&) = delete;
    virtual ~MediaControl() = default;

    // The observed parameter is being destroyed; it will not be touched through this control.
    virtual void Detach() {}
    // Kept for the interface's shape: no control of the system answers true, nothing asks.
    virtual bool GetFlag() const { return false; }
    // The observed value changed. source is the control that caused the change, or null.
    virtual void OnParamChanged(MediaControl* source) = 0;
};

// A listener bound to one parameter of type P (a MediaParam). It forgets the parameter when
// the parameter detaches it, and otherwise leaves the parameter's listener list when it dies,
// so either of the two may be destroyed first.
template <class P>
class MediaControlT : public MediaControl {
public:
    explicit MediaControlT(P* observed = nullptr) : param(observed) {}
    ~MediaControlT() override
    {
        if (param)
            param->RemoveControl(this);
    }

    void Detach() override { param = nullptr; }

    // The observed parameter, or null once it has been destroyed.
    P* param;
};
