// The listeners one object has bound to parameters, owned by that object and deleted with it.
//
// While its object is being constructed the binder has no owner (and deleteOwner is true);
// the object then names itself as owner, not to be deleted by the binder, before it binds.
// DS_FunLightCtrl::Bind calls the bound setters on the owner.
#pragma once

#include "document/params/MediaControl.h"

#include <list>
#include <typeinfo>

class ControlBinder {
public:
    ControlBinder() = default;
    ControlBinder(const ControlBinder&) = delete;
    ControlBinder& operator=(const ControlBinder&) = delete;
    // Deletes every control in list order (each leaves its parameter's listener list unless the
    // parameter is already gone), then the owner when deleteOwner is set.
    ~ControlBinder();

    // Bind looks the owner up as the type it was set with, so set it as the class whose
    // setters are bound (in that class's own code, `SetOwner(this)`). deleteOwner must stay
    // false for an owner that holds this binder, or the owner would be destroyed twice.
    template <class Obj>
    void SetOwner(Obj* owner, bool deleteOwner = false)
    {
        owner_ = owner;
        ownerType_ = &typeid(Obj);
        deleter_ = [](void* p) { delete static_cast<Obj*>(p); };
        deleteOwner_ = deleteOwner;
    }

    // The owner as the type it was set with; null when there is none or it was set as
    // another type.
    template <class Obj>
    Obj* Owner() const
    {
        if (!owner_ || *ownerType_ != typeid(Obj))
            return nullptr;
        return static_cast<Obj*>(owner_);
    }
    bool HasOwner() const { return owner_ != nullptr; }
    bool DeletesOwner() const { return deleteOwner_; }

    // Takes ownership of control.
    void Add(MediaControl* control) { controls_.push_back(control); }
    const std::list<MediaControl*>& Controls() const { return controls_; }

private:
    void* owner_ = nullptr;
    const std::type_info* ownerType_ = nullptr;
    void (*deleter_)(void*) = nullptr;
    bool deleteOwner_ = true;
    std::list<MediaControl*> controls_;
};
