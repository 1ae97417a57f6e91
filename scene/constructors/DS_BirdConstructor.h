// DS_BirdConstructor: a flock of birds, fish of the sky. A bird moves and turns like a fish and
// also keeps up at least 70 % of its maximum horizontal speed; a slow vertical speed is pushed
// to 0.4 to 1.0 times the maximum, downwards, so the flock glides down across the picture until
// a fast upward course change lifts it again.
//
// Record, version 1: tag "DS_BirdConstructor", version, then the whole DS_FishConstructor
// record from its own tag on.
#pragma once

#include "scene/constructors/DS_FishConstructor.h"

class DS_BirdConstructor : public DS_FishConstructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_BirdConstructor";
    static constexpr uint32_t kVersion = 1;

    DS_BirdConstructor() = default;
    DS_BirdConstructor(const DS_BirdConstructor& other) = default;

    bool Write(DS_IOF_Virtual* archive) override;
    void UpdateSprite(DS_Sprite* sprite) override;
    DS_BaseSpriteProp* Clone() const override { return new DS_BirdConstructor(*this); }

    static DS_BirdConstructor* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);
};
