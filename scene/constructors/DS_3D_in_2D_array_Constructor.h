// DS_3D_in_2D_array_Constructor: falling leaves. Many copies of one textured leaf model drift
// across the whole view in a common direction, each with its own speed, sideways drift, tumbling
// spins and swing, and come back in on the opposite side when they leave it.
//
// The description has no view rectangle, no speed parameter and no clock: its fields are plain
// values, nothing is told when they change, and a running object reads them live from its
// clone (all but the count, which is fixed when the object is made).
//
// Record, version 1: tag "DS_3D_in_2D_array_Constructor", version, title (a first copy; the one
// in the base record, read later, wins unless it is empty), uint count, mesh reference, texture
// reference, uint size, speed, sway, drift-change frequency, spin and angle, then the
// DS_ABObj_Constructor record.
#pragma once

#include <d3dx9.h>

#include <cstdint>

#include "document/ObjectDescription.h"
#include "document/ValueRecords.h"

// The values every leaf animation reads through its pointer into the description.
struct LeafParams {
    uint32_t size = 0;  // leaf diameter in picture pixels
    uint32_t angle = 0; // drift direction in degrees: 0 right, 90 up, 270 down
    D3DXVECTOR4 direction = D3DXVECTOR4(1.0f, 0.0f, 0.0f, 0.0f);      // (cos a, -sin a): y runs down
    D3DXVECTOR4 perpendicular = D3DXVECTOR4(0.0f, -1.0f, 0.0f, 0.0f); // (-sin a, -cos a)
    uint32_t speed = 50;               // drift speed factor
    uint32_t sway = 0;                 // strength of the sideways drift and of the swing
    uint32_t driftChangeFrequency = 0; // how often a leaf may choose a new drift; 0 never
    uint32_t spin = 100;               // tumbling speed factor
};

class DS_3D_in_2D_array_Constructor : public DS_ABObj_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_3D_in_2D_array_Constructor";
    static constexpr uint32_t kVersion = 1;
    // A damaged count must not make millions of leaves; no scene needs more than this.
    static constexpr uint32_t kMaxLeaves = 16384;

    DS_3D_in_2D_array_Constructor();
    DS_3D_in_2D_array_Constructor(const DS_3D_in_2D_array_Constructor&) = default;

    bool Write(DS_IOF_Virtual* archive) override;
    // A falling-leaves object over a copy of this description.
    DS_ABObj* CreateObject() override;

    // Sets the drift angle and the two unit vectors that follow from it.
    void SetAngle(uint32_t degrees);

    // The record after its tag and version: ReadBody, then the base record.
    void ReadFields(DS_IOF_Virtual* archive);
    // Every own field in record order, the angle through SetAngle. The older object lists store
    // the leaves as this part alone.
    void ReadBody(DS_IOF_Virtual* archive);
    static DS_3D_in_2D_array_Constructor* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);

    // The number of leaves the runtime object makes: the count, at most kMaxLeaves.
    uint32_t EffectiveCount() const { return count < kMaxLeaves ? count : kMaxLeaves; }

    ResourceRef mesh;    // the leaf model
    ResourceRef texture; // the leaf picture
    uint32_t count = 0;  // number of leaves
    LeafParams params;
};

// The drift direction and its perpendicular for an angle in degrees, in object space (y down):
// the unit vector at the angle turned about z, then its y negated.
void LeafDirections(uint32_t degrees, D3DXVECTOR4& direction, D3DXVECTOR4& perpendicular);
