// DS_BaseSpriteProp: what every 2D sprite kind shares (count, size, opacity, blending, tint,
// alpha pulse, scale range, pictures and strip settings). Its runtime object is a sprite array
// over a clone of the description; each kind places and moves the sprites through InitSprite and
// UpdateSprite.
//
// Record, version 3, with its base first: tag "DS_BaseSpriteProp", version, the DS_ViewObjCtrl
// record, uint count, [versions 1 and 2] uint speed, uint size, uint transparency, int blend
// mode, ulong colour, five floats (alpha rate, min, max, scale min, max), [version 1] a picture
// list and a second picture, [versions 2 and later] picture key and second picture key, uint
// reserved count, float reserved rate, uint strip frame count, float strip rate, bool strip on,
// [version 1] a list of frame times. Versions above 3 read as 3.
#pragma once

#include <vector>

#include "document/ValueRecords.h"
#include "scene/constructors/DS_ViewObjCtrl.h"

class DS_BaseSpriteProp : public DS_ViewObjCtrl {
public:
    static constexpr const wchar_t* kTag = L"DS_BaseSpriteProp";
    static constexpr uint32_t kVersion = 3;
    // Sprite arrays draw with 16-bit indices, four vertices per sprite.
    static constexpr unsigned int kMaxSprites = 16384;

    DS_BaseSpriteProp();
    // Copies every field; parameters by value, without their listeners.
    DS_BaseSpriteProp(const DS_BaseSpriteProp& other);
    ~DS_BaseSpriteProp() override;

    bool Write(DS_IOF_Virtual* archive) override;
    // Resolves version-1 pictures, then a sprite array over a clone.
    DS_ABObj* CreateObject() override;

    virtual void InitSprite(DS_Sprite*) {}
    virtual void UpdateSprite(DS_Sprite*) {}
    // A heap copy of the concrete kind; the caller owns it.
    virtual DS_BaseSpriteProp* Clone() const = 0;

    // Turns a version-1 picture list into picture keys of the current document resource
    // manager, once.
    void ResolveResources();

    // The sprite's colour from its alpha, the opacity and the tint.
    void UpdateSpriteColour(DS_Sprite* sprite) const;

    // Height / width of one picture of the picture key's animation (0 without a manager).
    float PictureAspect() const;
    // Strip frame count, at least 1.
    unsigned int StripFrames() const { return stripFrameCount == 0 ? 1u : stripFrameCount; }
    // The number of sprites the runtime object draws: the count, at most kMaxSprites.
    unsigned int EffectiveCount() const { return count.value < kMaxSprites ? count.value : kMaxSprites; }

    void WriteRecord(DS_IOF_Virtual* archive);
    // The record with its tag and version.
    void ReadWithHeader(DS_IOF_Virtual* archive);
    void ReadFields(DS_IOF_Virtual* archive, uint32_t version);

    MediaParamT<unsigned int> count;
    MediaParamT<unsigned int> size;
    UINTSclaleTo<unsigned char> transparency; // scaled: the opacity byte
    MediaParamT<int> blendMode;               // 0 alpha-blended, otherwise additive
    MediaColor colour;                        // COLORREF 0x00BBGGRR
    float alphaRate = 0.0f;
    float alphaMin = 0.0f;
    float alphaMax = 1.0f;
    float scaleMin = 1.0f;
    float scaleMax = 1.0f;
    ResKey pictureKey;
    ResKey secondPictureKey;
    uint32_t reservedCount = 1;
    float reservedRate = 0.0f;
    uint32_t stripFrameCount = 1;
    float stripRate = 0.0f;
    bool stripOn = false;
    std::vector<float> legacyFrameTimes;
    std::vector<ResourceRef> legacyPictures;
    ResourceRef legacySecondPicture;
};

// An unsigned count, then that many references, appended to `list`.
void ReadResourceRefList(DS_IOF_Virtual* archive, std::vector<ResourceRef>& list);
void WriteResourceRefList(DS_IOF_Virtual* archive, const std::vector<ResourceRef>& list);
// An unsigned count, then that many floats, appended to `list`.
void ReadFloatList(DS_IOF_Virtual* archive, std::vector<float>& list);
void WriteFloatList(DS_IOF_Virtual* archive, const std::vector<float>& list);
