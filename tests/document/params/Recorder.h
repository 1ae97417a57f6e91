// A listener for tests: records its name in a shared log each time it is told of a change,
// and can run an action from inside the notification.
#pragma once

#include "document/params/MediaParam.h"

#include <functional>
#include <string>
#include <vector>

template <class T>
class Recorder : public MediaControlT<MediaParamTB<T>> {
public:
    Recorder(std::string name, std::vector<std::string>& log, MediaParamTB<T>* observed = nullptr)
        : MediaControlT<MediaParamTB<T>>(observed), name_(std::move(name)), log_(log)
    {
        if (observed)
            observed->AddControl(this);
    }

    void OnParamChanged(MediaControl* source) override
    {
        log_.push_back(name_);
        lastSource = source;
        if (this->param)
            seen.push_back(this->param->value);
        if (onChange)
            onChange();
    }

    MediaControl* lastSource = nullptr;
    std::vector<T> seen;
    std::function<void()> onChange;

private:
    std::string name_;
    std::vector<std::string>& log_;
};
