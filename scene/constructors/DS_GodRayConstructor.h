// DS_GodRayConstructor: rays of light from above. Each ray is as tall as the picture and `size`
// pixels wide, slanted by the ray angle (a parallelogram whose sides are sheared), drifts
// sideways (picking a new drift on a coin toss every quarter second of object time) and pulses
// in alpha; a ray that fades below the minimum starts again at a new place.
//
// Default: ray angle 80 degrees (the lower end lies to the left). Record, version 1: tag
// "DS_GodRayConstructor", version, uint ray angle, then the DS_BaseSpriteProp record.
#pragma once

#include "scene/constructors/DS_BaseSpriteProp.h"

class DS_GodRayConstructor : public DS_BaseSpriteProp {
public:
    static constexpr const wchar_t* kClassName = L"DS_GodRayConstructor";
    static constexpr uint32_t kVersion = 1;

    DS_GodRayConstructor();
    DS_GodRayConstructor(const DS_GodRayConstructor& other) = default;
    ~DS_GodRayConstructor() override;

    bool Write(DS_IOF_Virtual* archive) override;
    void InitSprite(DS_Sprite* sprite) override;
    void UpdateSprite(DS_Sprite* sprite) override;
    DS_BaseSpriteProp* Clone() const override { return new DS_GodRayConstructor(*this); }

    static DS_GodRayConstructor* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);

    // Half width size / 2, half height H / 2 and the sheared axis Y of the ray angle.
    void ShapeRay(DS_Sprite* sprite) const;

    MediaParamT<unsigned int> rayAngle; // degrees
};

// The x part of a ray's axis Y for a ray angle in degrees: 1 / tan(180 − a) (or 360 − a), the
// pixels its side moves right per pixel downwards. Angles a and a + 180 give the same ray, 90
// an upright one. The angle is taken modulo 360 first, so 360 and above behave as 0 to 359.
float GodRayShear(unsigned int angle);
