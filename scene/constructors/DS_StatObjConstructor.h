// DS_StatObjConstructor: a picture placed at a centre point, turned by a rotation (degrees,
// positive counter-clockwise on the screen) and mirrored by two flips. Its sprites never move
// after they are placed; the bounding box of the placed picture is kept in the bounds rectangle,
// whose two extra values hold the centre point in view pixels.
//
// The runtime object starts with selection state 1.
//
// Record, version 1: tag "DS_StatObjConstructor", version, six int bounds values (left, right,
// top, bottom, centre x, centre y), uint rotation, int vertical flip, int horizontal flip, then
// the DS_BaseSpriteProp record.
#pragma once

#include <d3dx9math.h>

#include "scene/constructors/DS_BaseSpriteProp.h"

struct SpriteBounds {
    int32_t left, right, top, bottom;
};

// The box around a sprite's quad (position ± half extents along its axes), each value truncated
// toward zero. Worked out in single precision, as the placement itself is.
SpriteBounds PlacedSpriteBounds(const DS_Sprite& sprite);

// Rotation about z by `degrees` clockwise in object space (counter-clockwise on the screen, whose
// y runs downwards). The degrees are taken as a signed 32-bit value.
void StaticRotationMatrix(D3DXMATRIX& out, unsigned int degrees);

class DS_StatObjConstructor : public DS_BaseSpriteProp {
public:
    static constexpr const wchar_t* kClassName = L"DS_StatObjConstructor";
    static constexpr uint32_t kVersion = 1;

    // The centre starts at the middle of object space as it is now.
    DS_StatObjConstructor();
    DS_StatObjConstructor(const DS_StatObjConstructor& other) = default;
    ~DS_StatObjConstructor() override;

    bool Write(DS_IOF_Virtual* archive) override;
    DS_ABObj* CreateObject() override;
    // The bounds as a quad template.
    float* GetViewQuad(float out[20]) override;
    bool HitTest(float x, float y) override;
    void InitSprite(DS_Sprite* sprite) override;
    DS_BaseSpriteProp* Clone() const override { return new DS_StatObjConstructor(*this); }

    // Writes the placed sprite's box into the bounds, telling no listener.
    void UpdateBounds(const DS_Sprite* sprite);

    void WriteRecord(DS_IOF_Virtual* archive);
    // Fields after tag and version.
    void ReadFields(DS_IOF_Virtual* archive);
    static DS_StatObjConstructor* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);

    MediaRectangle bounds;
    MediaParamT<unsigned int> rotation;
    MediaParamT<int> verticalFlip;
    MediaParamT<int> horizontalFlip;
    D3DXMATRIX rotationMatrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};
