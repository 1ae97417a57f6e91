// DS_FogConstructor: fog banks. Large patches drift slowly, bounce when their centre passes an
// edge of the view rectangle, pulse in alpha between alpha min and max and turn their axes a
// little every frame, each patch by its own small angle.
//
// Defaults: maximum speeds 40 and 40, alpha min 0.2, alpha max 1.0, transparency 50 (opacity
// 127). Record, version 1: tag "DS_FogConstructor", version, float maximum speed x, float
// maximum speed y, then the DS_BaseSpriteProp record.
#pragma once

#include "scene/constructors/DS_BaseSpriteProp.h"

class DS_FogConstructor : public DS_BaseSpriteProp {
public:
    static constexpr const wchar_t* kClassName = L"DS_FogConstructor";
    static constexpr uint32_t kVersion = 1;

    DS_FogConstructor();
    DS_FogConstructor(const DS_FogConstructor& other) = default;

    bool Write(DS_IOF_Virtual* archive) override;
    void InitSprite(DS_Sprite* sprite) override;
    void UpdateSprite(DS_Sprite* sprite) override;
    DS_BaseSpriteProp* Clone() const override { return new DS_FogConstructor(*this); }

    static DS_FogConstructor* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);

    float maxSpeedX = 40.0f; // object-space pixels per second of object time
    float maxSpeedY = 40.0f;
};
