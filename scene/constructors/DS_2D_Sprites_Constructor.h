// DS_2D_Sprites_Constructor: a 2D sprite object of the older document format. One record layout
// served every sprite kind then; this description keeps that record's fields as they were stored
// and animates nothing itself. Each CreateObject builds a description of the matching modern kind
// from them (flow or rain, fish or ghost, light rays, grass, lightning, fog, static picture,
// flower, sparkles, birds) and returns that description's runtime object.
//
// Only the older object lists (format 2) hold such records; the class has no reader of its own
// in the registry. Its Write is the base one: the title record.
#pragma once

#include <d3dx9.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "document/ObjectDescription.h"
#include "document/ValueRecords.h"
#include "document/params/Params.h"

class DS_BaseSpriteProp;
class DS_DocResManager;

// The legacy kinds, as the records number them.
enum LegacySpriteKind : int32_t {
    kLegacyFlow = 0,
    kLegacyFish = 1,
    kLegacyGodRay = 2,
    kLegacyGrass = 3,
    kLegacyLightning = 4,
    kLegacyUnused = 5, // never had an object
    kLegacyFog = 6,
    kLegacyStatic = 7,
    kLegacyFlower = 8,
    kLegacySparkle = 9,
    kLegacyViewFlow = 10,
    kLegacyViewFish = 11,
    kLegacyBird = 12,
};

class DS_2D_Sprites_Constructor : public DS_ABObj_Constructor {
public:
    DS_2D_Sprites_Constructor();
    DS_2D_Sprites_Constructor(const DS_2D_Sprites_Constructor&) = delete;
    ~DS_2D_Sprites_Constructor() override;

    // The base record only (tag, version 1, title).
    bool Write(DS_IOF_Virtual* archive) override;
    // The runtime object of a modern description made anew from the legacy fields; null for
    // kind 5 and for kinds outside 0 to 12.
    DS_ABObj* CreateObject() override;

    // The modern description of this record's kind with every legacy property copied in, or
    // null for a kind without one. The caller owns it.
    std::unique_ptr<DS_BaseSpriteProp> BuildModern();
    // Copies the properties every kind shares into `d` (title, counts, opacity, speed, view
    // rectangle, pictures, alpha pulse, view flag).
    void CopyPropertiesTo(DS_BaseSpriteProp& d);

    // The direction of the motion in whole degrees (0 right, 90 up, 180 left, 270 down), 0 to 360.
    int GetDirectionDegrees() const;
    // Turns the motion to `degrees`, keeping its speed, and sets the direction matrix.
    void SetDirectionDegrees(unsigned int degrees);
    // The rotation in whole degrees, counted as the modern static picture counts them.
    int RotationDegrees() const;

    // Pixel edges of the view rectangle: fraction × W or H, truncated.
    unsigned int LeftEdge() const;
    unsigned int RightEdge() const;
    unsigned int TopEdge() const;
    unsigned int BottomEdge() const;
    // The pixel listeners' setters: fraction = pixels / W or H; nothing while that size is 0.
    void SetLeftFraction(unsigned int pixels);
    void SetRightFraction(unsigned int pixels);
    void SetTopFraction(unsigned int pixels);
    void SetBottomFraction(unsigned int pixels);

    ResourceRef firstPicture;
    ResourceRef secondPicture;
    std::vector<ResourceRef> pictureList;
    int32_t kind = 0;
    int32_t count = 0;
    D3DXMATRIX directionMatrix;
    D3DXVECTOR3 motion = D3DXVECTOR3(0.0f, 0.0f, 0.0f); // velocity, or a static picture's centre
    float flowScaleMin = 0.0f;
    int32_t size = 10;
    int32_t secondSize = 5;
    float speedFactor = 1.0f;
    float sway = 0.0f;
    float swayFrequency = 0.0f;
    uint32_t colour = 0x00FFFFFF; // COLORREF 0x00BBGGRR
    uint16_t blendMode = 0;       // 0 alpha blending, 1 additive
    float alpha = 255.0f;         // 0 to 255
    int32_t alternative = 0;      // rain, ghost, and the alpha pulse
    int32_t option = 1;
    float alphaSpeed = 0.0f;
    uint16_t alphaMin = 0;
    uint16_t alphaMax = 255;
    int32_t stripOn = 0;
    int32_t stripFrameCount = 0;
    float stripRate = 0.0f;
    int32_t reservedCount = 0;
    float reservedRate = 0.0f;
    std::vector<float> frameTimes;
    float rotation = 0.0f; // radians
    uint8_t directionGiven = 0;
    float leftFraction = 0.0f;
    float rightFraction = 1.0f;
    float topFraction = 0.0f;
    float bottomFraction = 1.0f;
    int32_t xScaleSign = 1;
    int32_t yScaleSign = 1;
    MediaParamT<unsigned int> leftPixels;
    MediaParamT<unsigned int> rightPixels;
    MediaParamT<unsigned int> topPixels;
    MediaParamT<unsigned int> bottomPixels;
    ControlBinder binder;

private:
    // The picture keys of one manager, so that showing the slide again registers nothing new.
    struct PictureKeys {
        const DS_DocResManager* manager = nullptr;
        ResKey picture;
        ResKey secondPicture;
        bool fromList = false;
    };
    void ConvertPictures();
    PictureKeys pictureKeys_;
};

// The legacy transparency of an alpha of 0 to 255: truncate(100 − alpha × 0.39215687), worked
// out in double precision, kept within 0 to 100.
uint32_t LegacyTransparency(float alpha);
