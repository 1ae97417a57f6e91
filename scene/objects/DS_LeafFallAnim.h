// The motion of one falling leaf.
//
// DS_SreamAnim drifts a point across object space (W × H picture pixels, y down) along the
// description's direction, pushed sideways by its own drift factor, and puts it back in on the
// opposite side when it leaves. DS_LeafFallAnim adds three tumbling spins and two swings about a
// pivot 50 pixels away, and sets the leaf frame's world matrix.
//
// Every leaf keeps its own clock against StreamAnimTime, which the leaves object sets to the
// application time just before it updates its leaves. Random numbers are drawn in a fixed order
// when a leaf is made (x, y, drift factor, speed factor, three spins, two swings: 16 draws) and
// whenever it wraps or may change its drift.
#pragma once

#include <d3dx9.h>

#include <cstdint>

#include "scene/constructors/DS_3D_in_2D_array_Constructor.h"
#include "scene/render/Frame.h"

// The application time of the current frame, as the leaves see it.
extern float StreamAnimTime;

// --- The arithmetic, step by step --------------------------------------------------------------

// A leaf's time step: |now − lastTime|, at most 0.2 s.
float StreamStep(float now, float lastTime);

// One frame's move in picture pixels: the direction pushed sideways by sway × 0.02 × drift
// factor along the perpendicular, times speed × speed factor × dt × 50.
D3DXVECTOR2 LeafDriftStep(const LeafParams& p, float driftFactor, float speedFactor, float dt);

// Moves (x, y) by `step`, unless the leaf has left the view of w × h pixels (by more than its
// half size hs) in the direction it moves: then it is placed just outside the opposite edge, at
// a random place along it, and does not move this frame. True when it wrapped.
bool WrapOrMoveLeaf(float& x, float& y, D3DXVECTOR2 step, float w, float h, float hs);

// Whether a leaf may choose a new drift: the time since its last change, × speed × 0.1, is above
// 100 / frequency. A frequency of 0 never is.
bool DriftChangeDue(float now, float lastChange, uint32_t speed, uint32_t frequency);

// The scale that makes the mesh's bounding sphere `size` pixels across. A mesh that did not
// load has no radius: its leaves get scale 0 and collapse to a point.
float LeafScale(uint32_t size, float radius);

// A (rate, angle) pair in degrees per second and degrees.
struct LeafTurn {
    float rate = 0.0f;
    float angle = 0.0f;
};

// --- The animations ----------------------------------------------------------------------------

class DS_SreamAnim : public DS_AnimationBase {
public:
    // A random place in object space, a drift factor in −1..1, a speed factor in 0.07..0.13.
    explicit DS_SreamAnim(const LeafParams* params);

    // The drift: the time step, then the wrap or the move, then perhaps a new drift factor.
    void Update(DS_Frame* frame) override;

    float X() const { return drift._41; }
    float Y() const { return drift._42; }

    D3DXMATRIX drift;             // translation to the leaf's place in picture pixels
    float driftFactor = 0.0f;     // −1..1
    float lastDriftChange = 0.0f; // StreamAnimTime of the last drift change
    float speedFactor = 0.0f;     // 0.07..0.13
    float lastTime = 0.0f;        // StreamAnimTime of the last update
    float dt = 0.0f;              // the last step, seconds
    const LeafParams* params;     // the description's values, read live
};

class DS_LeafFallAnim : public DS_SreamAnim {
public:
    // The drift's draws, then three spins of 7..10 degrees per second and two swings of 3..7,
    // each of either sign; each swing moves only on a coin toss.
    explicit DS_LeafFallAnim(const LeafParams* params);

    // The drift, the spins and swings, then the frame's world matrix (see LeafWorld).
    void Update(DS_Frame* frame) override;

    LeafTurn spins[3];
    LeafTurn swings[2];
};

// local × scale × Rx(spin 1) × Rz(spin 3) × Ry(spin 2) × T(0, 0, 50) × Ry(swing 1) × Rx(swing 2)
// × drift: the leaf tumbles about its centre, hangs 50 pixels from a pivot, rocks about it and
// is carried to its place. Angles in degrees.
void LeafWorld(D3DXMATRIX& world, const D3DXMATRIX& local, float scale, const LeafTurn spins[3],
               const LeafTurn swings[2], const D3DXMATRIX& drift);
