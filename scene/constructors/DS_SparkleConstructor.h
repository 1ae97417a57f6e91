// DS_SparkleConstructor: sparkles. Small glints drift slowly and twinkle: their alpha pulses
// between alpha min and max, they grow from half to full size as they brighten, and when one
// fades below the minimum it reappears at a new place.
//
// Default: view flag true. Record, version 1: tag "DS_SparkleConstructor", version, then the
// DS_BaseSpriteProp record.
#pragma once

#include "scene/constructors/DS_BaseSpriteProp.h"

class DS_SparkleConstructor : public DS_BaseSpriteProp {
public:
    static constexpr const wchar_t* kClassName = L"DS_SparkleConstructor";
    static constexpr uint32_t kVersion = 1;

    DS_SparkleConstructor();
    DS_SparkleConstructor(const DS_SparkleConstructor& other) = default;

    bool Write(DS_IOF_Virtual* archive) override;
    void InitSprite(DS_Sprite* sprite) override;
    void UpdateSprite(DS_Sprite* sprite) override;
    DS_BaseSpriteProp* Clone() const override { return new DS_SparkleConstructor(*this); }

    static DS_SparkleConstructor* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);
};

// The half extents of a sparkle of alpha `alpha` whose full size is 2 × d: d / 2 at alpha 0,
// d at alpha 1 (the texture's aspect is not used).
void ShapeSparkle(DS_Sprite* sprite, float d);
