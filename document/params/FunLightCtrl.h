// A listener that hands every new value of one parameter, and the current value once when it
// is bound, to a setter of one object.
//
//     DS_FunLightCtrl<unsigned int, DS_SpriteArrayObj>::Bind(binder, &DS_SpriteArrayObj::SetSpriteCount,
//                                                           description->count);
//
// The control lives in the binder; the setter runs on every change, whoever caused it.
#pragma once

#include "document/params/ControlBinder.h"
#include "document/params/MediaParam.h"

template <class T, class Obj>
class DS_FunLightCtrl : public MediaControlT<MediaParamTB<T>> {
public:
    using Setter = void (Obj::*)(T);

    DS_FunLightCtrl(MediaParamTB<T>& observed, Setter setter, Obj* target)
        : MediaControlT<MediaParamTB<T>>(&observed), setter_(setter), target_(target)
    {
    }

    void OnParamChanged(MediaControl*) override
    {
        if (this->param && target_)
            (target_->*setter_)(this->param->value);
    }

    // Binds setter of the binder's owner to param: registers the new control with param,
    // calls the setter at once with the current value and hands the control to the binder.
    // Binding needs an owner of type Obj; without one nothing is bound and null is returned.
    static DS_FunLightCtrl* Bind(ControlBinder& binder, Setter setter, MediaParamTB<T>& param)
    {
        Obj* target = binder.Owner<Obj>();
        if (!target)
            return nullptr;
        auto* control = new DS_FunLightCtrl(param, setter, target);
        param.AddControl(control);
        control->OnParamChanged(nullptr);
        binder.Add(control);
        return control;
    }

    Obj* Target() const { return target_; }

private:
    Setter setter_;
    Obj* target_;
};
