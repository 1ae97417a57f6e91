// DS_FishConstructor: a school of fish. Each sprite swims at its own velocity inside the view
// rectangle, turns back once it has left the rectangle sideways (or as soon as it touches the top
// or bottom edge), faces the way it swims (a negative half width mirrors the picture, whose head
// points to +x) and, about once a second of application time, may pick a new course in the
// same horizontal direction.
//
// Record, version 1: tag "DS_FishConstructor", version, float maximum speed x, float maximum
// speed y, then the DS_BaseSpriteProp record. The bird and the ghost wrap this whole record.
#pragma once

#include "scene/constructors/DS_BaseSpriteProp.h"

class DS_FishConstructor : public DS_BaseSpriteProp {
public:
    static constexpr const wchar_t* kClassName = L"DS_FishConstructor";
    static constexpr uint32_t kVersion = 1;

    DS_FishConstructor();
    DS_FishConstructor(const DS_FishConstructor& other) = default;

    bool Write(DS_IOF_Virtual* archive) override;
    void InitSprite(DS_Sprite* sprite) override;
    void UpdateSprite(DS_Sprite* sprite) override;
    DS_BaseSpriteProp* Clone() const override { return new DS_FishConstructor(*this); }

    static DS_FishConstructor* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);

    // Half extents at the sprite's scale and aspect, the colour, and the facing: a sprite
    // swimming left is mirrored.
    void ShapeSprite(DS_Sprite* sprite) const;

    // The fish record from its own tag on (the bird and the ghost wrap it).
    void WriteFishRecord(DS_IOF_Virtual* archive);
    // Reads a fish record from its own tag on: tag (not compared), version, both maximum speeds
    // and the sprite record.
    void ReadFishRecord(DS_IOF_Virtual* archive);

    float maxSpeedX = 80.0f; // object-space pixels per second of object time
    float maxSpeedY = 50.0f;

protected:
    // The fish's own fields and the sprite record, after the fish's tag and version.
    void ReadFishFields(DS_IOF_Virtual* archive);
};
