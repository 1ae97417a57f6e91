// DS_FlowerConstructor: a static picture that leans up to its amplitude either way about its
// bottom centre. All sprites of one flower sway together; the bounds stay those of the upright
// placement.
//
// Record, version 1: tag "DS_FlowerConstructor", version, float amplitude (degrees), then the
// whole DS_StatObjConstructor record from its own tag on.
#pragma once

#include "scene/constructors/DS_StatObjConstructor.h"

class DS_FlowerConstructor : public DS_StatObjConstructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_FlowerConstructor";
    static constexpr uint32_t kVersion = 1;

    DS_FlowerConstructor() = default;
    DS_FlowerConstructor(const DS_FlowerConstructor& other) = default;

    bool Write(DS_IOF_Virtual* archive) override;
    void UpdateSprite(DS_Sprite* sprite) override;
    DS_BaseSpriteProp* Clone() const override { return new DS_FlowerConstructor(*this); }

    static DS_FlowerConstructor* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);

    float amplitude = 1.5f; // degrees each way
};
