// DS_FlowConstructor: sprites that travel in one fixed direction across the view rectangle, such
// as rising bubbles or drifting smoke. Each sprite may sway sideways by a factor it re-chooses at
// random moments; along an axis the rectangle spans the whole view on, sprites leaving one side
// come back on the other, otherwise they bounce one pixel inside its edges.
//
// The angle (degrees: 0 right, 90 up, 180 left, 270 down) is bound to SetDirection, which turns
// angle and speed into the velocity, its perpendicular and the direction matrix. Speed is read
// only then: a new speed takes effect at the next angle change or in the next clone.
//
// Picture orientation by mode: 0 fixed, 1 along the flow, 2 mirrored while moving left, 3 flipped
// while moving up.
//
// Record, version 3: tag "DS_FlowConstructor", version, uint angle, uint sway, uint sway
// frequency, float speed, [version 3 and later] int mode, [version 2] int read as a flag (non-zero
// is mode 1), then the DS_BaseSpriteProp record. Versions above 3 read as 3.
#pragma once

#include <d3dx9math.h>

#include "scene/constructors/DS_BaseSpriteProp.h"

// The motion rules of one axis, shared by both axes of the flow. `pos` is the sprite's
// coordinate on the axis, `half` its half extent there, `lo` and `hi` the rectangle's edges.

// A sprite wholly past one edge comes in again past the other, one rectangle length plus its
// own size away. Returns whether it wrapped (the caller then draws a new cross position).
// `lowFirst` tests the low edge before the high one (the horizontal order), else the high one
// first.
bool FlowWrapAxis(float& pos, float half, float lo, float hi, bool lowFirst);
// A sprite that crosses an edge is put one pixel inside it and its extra velocity reflects the
// step's velocity v; a reflection whose motion has since changed is dropped first. `lowFirst`
// as for FlowWrapAxis.
void FlowBounceAxis(float& pos, float& extra, float v, float half, float lo, float hi, bool lowFirst);

class DS_FlowConstructor : public DS_BaseSpriteProp {
public:
    static constexpr const wchar_t* kClassName = L"DS_FlowConstructor";
    static constexpr uint32_t kVersion = 3;

    DS_FlowConstructor();
    // Copies the sprite part and every own field, then binds its own direction listener, which
    // recomputes the motion vectors from the copied angle and speed.
    DS_FlowConstructor(const DS_FlowConstructor& other);
    ~DS_FlowConstructor() override;

    bool Write(DS_IOF_Virtual* archive) override;
    void InitSprite(DS_Sprite* sprite) override;
    void UpdateSprite(DS_Sprite* sprite) override;
    DS_BaseSpriteProp* Clone() const override { return new DS_FlowConstructor(*this); }

    // The angle listener's setter.
    void SetDirection(unsigned int angleDegrees);
    // Half extents, colour and (modes 0 and 1) axes of a sprite.
    void ShapeSprite(DS_Sprite* sprite) const;

    void WriteRecord(DS_IOF_Virtual* archive);
    // Fields after tag and version, stored plainly.
    void ReadFields(DS_IOF_Virtual* archive, uint32_t version);
    static DS_FlowConstructor* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);

    MediaParamT<unsigned int> angle;
    MediaFloat<unsigned int> sway;          // derived: 3 × value
    MediaFloat<unsigned int> swayFrequency; // derived: 0.25 × value, per second of object time
    float speed = 0.0f;
    MediaParamT<int> mode;
    ControlBinder directionBinder;
    D3DXVECTOR4 velocity{0.0f, 0.0f, 0.0f, 0.0f};
    D3DXVECTOR4 perpendicular{0.0f, 1.0f, 0.0f, 0.0f};
    D3DXMATRIX direction{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

private:
    void InitSwayScaling();
    void BindDirection();
};
