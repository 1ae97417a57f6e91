// DS_ViewObjCtrl: a description placed in a view rectangle of the slide picture, with its own
// clock.
//
// The rectangle is kept as four fractions of object space (what the running objects use) and
// mirrored by a pixel rectangle; four listeners on the pixel edges set the fractions back, so a
// change of either side keeps the two in step. While object space has no size (no light has laid
// out a picture yet) the fractions stay as they are.
//
// Record, version 2: tag "DS_ViewObjCtrl", version, six int pixel values, four float fractions
// (left, right, top, bottom), bool view flag, [version 2 and later] uint speed, then the
// DS_ABObj_Constructor record.
#pragma once

#include "document/ObjectDescription.h"
#include "document/params/Params.h"

struct DS_Sprite;

// Every record of the description family begins with its class's tag and version.
void WriteRecordHeader(DS_IOF_Virtual* archive, const wchar_t* tag, uint32_t version);
// Reads a record's tag and version and returns the version; the tag is not examined.
uint32_t ReadRecordHeader(DS_IOF_Virtual* archive);

struct ScenePoint {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

class DS_ViewObjCtrl : public DS_ABObj_Constructor {
public:
    static constexpr const wchar_t* kTag = L"DS_ViewObjCtrl";
    static constexpr uint32_t kVersion = 2;

    DS_ViewObjCtrl();
    // Copies title, view flag, fractions and speed; fresh listeners, clock at 0. The edge
    // listeners bind again, so the copy's rectangle snaps to whole pixels of the present W × H.
    DS_ViewObjCtrl(const DS_ViewObjCtrl& other);
    ~DS_ViewObjCtrl() override;

    bool Write(DS_IOF_Virtual* archive) override;

    // The view rectangle as a quad template of 20 floats (x, y, z, u, v per vertex, in strip
    // order bottom-left, top-left, bottom-right, top-right); returns out.
    virtual float* GetViewQuad(float out[20]);
    virtual bool HitTest(float x, float y);

    // Pixel edges of the view rectangle: fraction × W or H.
    float LeftEdge() const;
    float RightEdge() const;
    float TopEdge() const;
    float BottomEdge() const;

    // Edge listeners' setters: fraction = pixels / W (left, right) or / H (top, bottom); no
    // change while that size is 0.
    void SetLeftFraction(int pixels);
    void SetRightFraction(int pixels);
    void SetTopFraction(int pixels);
    void SetBottomFraction(int pixels);
    // Pixel parameters = fractions × W or H truncated; each one that changes tells its listeners.
    void SyncPixelParams();

    // Advances the object clock to appTime (see ObjectClockStep).
    void UpdateTime(float appTime);

    // A random point of the rectangle (x drawn before y), z = 0.
    ScenePoint RandomPoint() const;
    // A random point inset by the sprite's half extents, so that a sprite that fits lies
    // wholly inside.
    ScenePoint RandomPointInset(const DS_Sprite* sprite) const;

    void WriteRecord(DS_IOF_Virtual* archive) const;
    // The record with its tag and version.
    void ReadFields(DS_IOF_Virtual* archive);
    void ReadBody(DS_IOF_Virtual* archive, uint32_t version);

    MediaRectangle pixelRect;
    MediaParamT<unsigned int> speed;
    bool viewFlag = false;
    float leftFraction = 0.0f;
    float rightFraction = 1.0f;
    float topFraction = 0.0f;
    float bottomFraction = 1.0f;
    float frameStep = 0.0f;  // dt: object time added by the last UpdateTime
    float objectTime = 0.0f; // T
    ControlBinder binder;
    float lastAppTime = 0.0f;

private:
    void BindEdgeListeners();
};
