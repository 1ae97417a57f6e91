// DS_ABObj: a runtime scene object, made from a description and owned by the slide's light.
// Each frame the light calls Update with the application time, then Render with its renderer,
// which the object calls back by kind.
#pragma once

#include <windows.h>

#include "document/ObjectDescription.h"

class DS_ABRender;

class DS_ABObj {
public:
    explicit DS_ABObj(DS_ABObj_Constructor* description) : description(description) {}
    DS_ABObj(const DS_ABObj&) = delete;
    DS_ABObj& operator=(const DS_ABObj&) = delete;
    // The derived class deletes the description it owns.
    virtual ~DS_ABObj() = default;

    virtual void Render(DS_ABRender* renderer) = 0;
    virtual void RenderSelection(DS_ABRender* renderer, int flag) = 0;
    virtual void Update(float appTime) = 0;
    virtual void SyncViewParams() = 0;
    virtual bool HitTest(const POINT*) { return false; }
    virtual bool NotifyConstructor() { return description ? description->NotifyFromObject(this) : false; }

    DS_ABObj_Constructor* description; // the object's own clone
};
