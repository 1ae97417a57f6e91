// DS_LightingConstructor: lightning. A strike flashes at a random place, tilted by up to 22.5
// degrees either way and mirrored half of the time, fades out in a sixth of a second (flickering
// back to full on a coin toss every 0.15 s), then stays dark; after each further second of
// darkness it strikes again on a coin toss. The description's alpha rate and bounds are not
// used.
//
// Defaults: additive blending, view flag true. Record, version 1: tag "DS_LightingConstructor",
// version, then the DS_BaseSpriteProp record.
#pragma once

#include "scene/constructors/DS_BaseSpriteProp.h"

class DS_LightingConstructor : public DS_BaseSpriteProp {
public:
    static constexpr const wchar_t* kClassName = L"DS_LightingConstructor";
    static constexpr uint32_t kVersion = 1;

    DS_LightingConstructor();
    DS_LightingConstructor(const DS_LightingConstructor& other) = default;

    bool Write(DS_IOF_Virtual* archive) override;
    void InitSprite(DS_Sprite* sprite) override;
    void UpdateSprite(DS_Sprite* sprite) override;
    DS_BaseSpriteProp* Clone() const override { return new DS_LightingConstructor(*this); }

    static DS_LightingConstructor* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);
};

// The axes of a flash tilted by `tilt` radians, its width axis pointing left when mirrored.
void TiltFlash(DS_Sprite* sprite, float tilt, bool mirrored);
