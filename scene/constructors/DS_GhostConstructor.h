// DS_GhostConstructor: ghosts that wander like fish and fade in and out. A ghost's alpha moves
// at its sprite's alpha rate between alpha min and max, turning at either bound; when it has
// faded below the minimum it reappears at a new place with a new course and fades in again.
//
// Defaults: maximum speeds 50 and 50, alpha rate 0.66, transparency 50 (opacity 127).
// Record, version 1: tag "DS_GhostConstructor", version, then the whole DS_FishConstructor
// record from its own tag on.
#pragma once

#include "scene/constructors/DS_FishConstructor.h"

class DS_GhostConstructor : public DS_FishConstructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_GhostConstructor";
    static constexpr uint32_t kVersion = 1;

    DS_GhostConstructor();
    DS_GhostConstructor(const DS_GhostConstructor& other) = default;

    bool Write(DS_IOF_Virtual* archive) override;
    void InitSprite(DS_Sprite* sprite) override;
    void UpdateSprite(DS_Sprite* sprite) override;
    DS_BaseSpriteProp* Clone() const override { return new DS_GhostConstructor(*this); }

    static DS_GhostConstructor* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);
};
