// The flight of one butterfly of a flock: the animations of its frame tree.
//
// A butterfly is a body frame driven by an AC_Butterfly and two wing frames driven by the two
// AC_ButterflyWing objects that the AC_Butterfly makes. Each frame the body's animation beats
// the wings, eases its vertical speed, heading, bank and forward speed towards their targets,
// now and then takes a random decision (climb, glide down, change speed, face left or right),
// steers back into the flock's view rectangle and builds the body's world matrix:
//
//     size × bob × roll × tilt × [pitch when slow] × heading × body local × position
//
// The wings follow with wing local × wing matrix × body world. Positions are picture pixels
// with y growing downwards; angles are degrees; the butterflies move only parallel to the
// picture (z stays 0), the heading changes how fast they move sideways and which way they face.
//
// The steps of Update are public members, so the rules can be tested one by one without a
// device.
#pragma once

#include <d3dx9.h>

#include <memory>

#include "document/params/Params.h"
#include "scene/render/Frame.h"

class DS_3D_Obj_Ctrl;

// A value that moves towards its target at a signed rate (units per second) and stops there.
struct EasedValue {
    float current = 0.0f;
    float target = 0.0f;
    float rate = 0.0f;

    EasedValue() = default;
    EasedValue(float current, float target, float rate) : current(current), target(target), rate(rate) {}

    // A new target; a rate other than 0 replaces the stored one. The stored rate then points
    // from current towards the target: +|rate| when current < target, −|rate| otherwise.
    void SetTarget(float newTarget, float newRate);
    // current += dt × rate, clamped to the target once it passes it; nothing at the target.
    void Update(float dt);
};

// One wing: the matrix and cull flag that the body's animation worked out for it.
class AC_ButterflyWing : public DS_AnimationBase {
public:
    AC_ButterflyWing();

    // The wing frame's world = its local matrix × the wing matrix; its cull flag is the wing's.
    void Update(DS_Frame* frame) override;

    D3DXMATRIX wingMatrix;
    bool cull = true;
};

class AC_Butterfly : public DS_AnimationBase {
public:
    // Flap rates in degrees per second (applied seven times over) and the wing beat's limits.
    static constexpr float kFlapRateUp = 100.0f;
    static constexpr float kFlapRateDown = -160.0f;
    static constexpr float kFlapLimit = 55.0f;
    // The shortest time between two random decisions, in seconds of object time.
    static constexpr float kDecisionInterval = 0.25f;

    // A butterfly at a random point of the description's view rectangle (x drawn, then y),
    // facing a random heading (drawn third). Listens to the description's size parameter.
    explicit AC_Butterfly(DS_3D_Obj_Ctrl* description);
    // Leaves the size parameter; the wings belong to their frames.
    ~AC_Butterfly() override;

    // Hands wing 0 or 1 over to its frame, once; the pointer stays valid while that frame lives.
    AC_ButterflyWing* TakeWing(int i);

    // One frame: sets the body frame's world matrix and advances the flight.
    void Update(DS_Frame* frame) override;

    // The size parameter's listener: the size matrix scales by size / 100.
    void SetSize(unsigned int percent);

    // The steps of Update, in the order it runs them.
    // Bank target from a turn in progress: into the turn when the heading is more than 5° off.
    void BankFromTurn();
    // The wing beat: flap angle += dt × 7 × flap rate, turning at flap max and flap min; the
    // wing matrices and cull flags follow.
    void Flap(float dt);
    // Position += dt × velocity, the heading's forward speed with the vertical speed as y.
    void Move(float dt);
    void UpdateEasedValues();
    // Back towards the view rectangle: glide down from above, climb from below, turn round and
    // hurry at the left and right edges.
    void SteerToArea();
    // A random decision at most every quarter second while the flight mode is what was asked
    // for; otherwise the switch to the requested mode (gliding waits for the wings to sink).
    void ChooseFlightMode();

    DS_3D_Obj_Ctrl* description; // not owned: the flock's clone
    AC_ButterflyWing* wing1;
    AC_ButterflyWing* wing2;
    float flapAngle = 0.0f;
    float flapRate = kFlapRateUp;
    float flapMax = kFlapLimit;
    float flapMin = -kFlapLimit;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    EasedValue vertical;     // pixels per second, positive downwards
    EasedValue heading;      // degrees: 0 flies right, 180 left
    EasedValue bank;         // degrees of roll
    EasedValue forward;      // pixels per second along the heading
    D3DXMATRIX tilt;         // the nose raised by 10°
    D3DXMATRIX mirror;       // turns wing 1's motion into wing 2's
    D3DXMATRIX sizeMatrix;
    int gliding = 0;         // the flight mode: 0 flapping, 1 gliding
    int glideRequested = 0;  // the mode asked for by decisions and steering
    float lastDecisionTime = 0.0f;
    ControlBinder binder;

private:
    std::unique_ptr<AC_ButterflyWing> wings_[2]; // until their frames take them
};
