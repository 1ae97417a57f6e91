// DS_GrassConstructor: blades standing on the bottom edge of the view rectangle at random x
// positions, half of them mirrored, whose tops sway by a shear of the vertical axis while their
// feet stay put. The sway's phase comes from the object time, a random phase per blade and the
// blade's x, so neighbouring blades sway out of step like a wave.
//
// A blade keeps its phase in the sprite's velocity y and its root x in the sway factor.
//
// Record, version 1: tag "DS_GrassConstructor", version, float amplitude (degrees), then the
// DS_BaseSpriteProp record.
#pragma once

#include "scene/constructors/DS_BaseSpriteProp.h"

// The shear of a picture leaning by amplitude × sin(phase) degrees: tan of that angle, worked out
// as 1 / tan of the angle's complement, in single precision.
float SwayShear(float amplitudeDegrees, float phase);

class DS_GrassConstructor : public DS_BaseSpriteProp {
public:
    static constexpr const wchar_t* kClassName = L"DS_GrassConstructor";
    static constexpr uint32_t kVersion = 1;

    DS_GrassConstructor() = default;
    DS_GrassConstructor(const DS_GrassConstructor& other) = default;

    bool Write(DS_IOF_Virtual* archive) override;
    void InitSprite(DS_Sprite* sprite) override;
    void UpdateSprite(DS_Sprite* sprite) override;
    DS_BaseSpriteProp* Clone() const override { return new DS_GrassConstructor(*this); }

    static DS_GrassConstructor* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);

    float amplitude = 3.0f; // degrees each way
};
