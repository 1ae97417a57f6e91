// DS_RainConstructor: a flow with rain's defaults (straight down at 2000 pixels per second, drops
// of half to full size, pictures along the fall) whose drops may pulse in alpha; a drop whose
// alpha sinks below the minimum starts again at a new place.
//
// In mode 1 the axes are turned by a further three quarters of a turn, so that a picture drawn
// upright (its downward direction along v) falls along the flow.
//
// Record, version 1: tag "DS_RainConstructor", version, then the whole DS_FlowConstructor record
// from its own tag on; the flow record's version says which of its fields are there.
#pragma once

#include "scene/constructors/DS_FlowConstructor.h"

class DS_RainConstructor : public DS_FlowConstructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_RainConstructor";
    static constexpr uint32_t kVersion = 1;

    DS_RainConstructor();
    DS_RainConstructor(const DS_RainConstructor& other) = default;

    bool Write(DS_IOF_Virtual* archive) override;
    void InitSprite(DS_Sprite* sprite) override;
    void UpdateSprite(DS_Sprite* sprite) override;
    DS_BaseSpriteProp* Clone() const override { return new DS_RainConstructor(*this); }

    static DS_RainConstructor* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);

    D3DXMATRIX turn; // three quarters of a turn about z
};

// The alpha pulse of one drop over a step dt: alpha moves by dt × rate and turns back at the
// bounds. Returns true when it sank below `alphaMin`: the drop then starts again (the caller
// places it anew, then sets alpha to the minimum and turns the rate upwards).
bool RainAlphaStep(float& alpha, float& rate, float dt, float alphaMin, float alphaMax);
