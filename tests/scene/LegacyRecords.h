// Writes the object lists of the older document format by hand, byte for byte: the 2D-sprite
// record of every version (0 to 11), the falling-leaves record, the entry tags and the wrapper.
// The program itself writes none of these, so the tests carry their own writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scene/constructors/LegacyObjectList.h"
#include "tools/docwriter/DocumentBuilder.h"

// One 2D-sprite record. Fields that `version` does not carry are not written.
struct LegacySpritePlan {
    uint32_t version = 11;
    std::wstring title;
    uint32_t count = 1;
    int32_t pictureId = 0;    // versions 0 to 3
    NamedBlob oldPicture;     // versions 0 to 3
    ResourceRef firstPicture; // version 4 and later
    float motion[3] = {0.0f, 0.0f, 0.0f};
    float flowScaleMin = 0.0f;
    int32_t size = 10; // version 2 and later, as the next two
    int32_t secondSize = 5;
    float speedFactor = 1.0f;
    int32_t kind = 0;
    float alpha = 255.0f; // version 3 and later, as the next three
    int32_t alternative = 0;
    int32_t option = 1;
    float alphaSpeed = 0.0f;
    float alphaAgain = 255.0f; // version 5 and later, as the next three
    uint32_t colour = 0x00FFFFFF;
    float sway = 0.0f;
    float swayFrequency = 0.0f;
    int32_t stripOn = 0; // version 6 and later, as the next four
    int32_t reservedCount = 0;
    float reservedRate = 0.0f;
    int32_t stripFrameCount = 0;
    float stripRate = 0.0f;
    uint16_t alphaMin = 0; // version 7 and later
    uint16_t alphaMax = 255;
    ResourceRef secondPicture; // version 8 and later
    uint16_t blendMode = 0;
    std::vector<float> frameTimes;        // version 9 and later
    std::vector<ResourceRef> pictureList; // version 10 and later
    float rotation = 0.0f;                // version 11, as the rest
    uint8_t directionGiven = 1;
    float fractions[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    int32_t xScaleSign = 1;
    int32_t yScaleSign = 1;
};

// One falling-leaves record.
struct LegacyLeavesPlan {
    int32_t unused = 0;
    std::wstring title;
    uint32_t count = 0;
    ResourceRef mesh;
    ResourceRef texture;
    uint32_t size = 0, speed = 0, sway = 0, driftChangeFrequency = 0, spin = 0;
    uint32_t angle = 0;
};

// int32 unit count, then the units, with no prefix and no length forms.
inline void WriteLegacyTag(DocumentWriter& w, const std::wstring& tag)
{
    w.Int(static_cast<int32_t>(tag.size()));
    w.Raw(tag.data(), tag.size() * sizeof(wchar_t));
}

inline void WriteLegacySprite(DocumentWriter& w, const LegacySpritePlan& p)
{
    const uint32_t v = p.version;
    w.UInt(v);
    w.String(p.title);
    w.UInt(p.count);
    if (v < 4) {
        w.Int(p.pictureId);
        w.Blob(p.oldPicture);
    } else {
        w.Ref(p.firstPicture);
    }
    for (float m : p.motion)
        w.Float(m);
    w.Float(p.flowScaleMin);
    if (v >= 2) {
        w.Int(p.size);
        w.Int(p.secondSize);
        w.Float(p.speedFactor);
    } else {
        w.UInt(0xDEADBEEF); // skipped by the reader
    }
    w.Int(p.kind);
    if (v >= 3) {
        w.Float(p.alpha);
        w.Int(p.alternative);
        w.Int(p.option);
        w.Float(p.alphaSpeed);
    }
    if (v >= 5) {
        w.Float(p.alphaAgain);
        w.UInt(p.colour);
        w.Float(p.sway);
        w.Float(p.swayFrequency);
    }
    if (v >= 6) {
        w.Int(p.stripOn);
        w.Int(p.reservedCount);
        w.Float(p.reservedRate);
        w.Int(p.stripFrameCount);
        w.Float(p.stripRate);
    }
    if (v >= 7) {
        w.Raw(&p.alphaMin, 2);
        w.Raw(&p.alphaMax, 2);
    }
    if (v >= 8) {
        w.Ref(p.secondPicture);
        w.Raw(&p.blendMode, 2);
    }
    if (v >= 9) {
        w.UInt(static_cast<uint32_t>(p.frameTimes.size()));
        for (float t : p.frameTimes)
            w.Float(t);
    }
    if (v >= 10) {
        w.Int(static_cast<int32_t>(p.pictureList.size()));
        for (const ResourceRef& ref : p.pictureList)
            w.Ref(ref);
    }
    if (v >= 11) {
        w.Float(p.rotation);
        w.Byte(p.directionGiven);
        for (float f : p.fractions)
            w.Float(f);
        w.Int(p.xScaleSign);
        w.Int(p.yScaleSign);
    }
}

inline void WriteLegacyLeaves(DocumentWriter& w, const LegacyLeavesPlan& p)
{
    w.Int(p.unused);
    w.String(p.title);
    w.UInt(p.count);
    w.Ref(p.mesh);
    w.Ref(p.texture);
    for (uint32_t value : {p.size, p.speed, p.sway, p.driftChangeFrequency, p.spin, p.angle})
        w.UInt(value);
}

// A whole format-2 list: the count, then each entry with its tag. Sprites in `wrapped` go inside
// the wrapper (version 1, with a short text).
struct LegacyListPlan {
    std::vector<LegacySpritePlan> sprites;
    std::vector<LegacySpritePlan> wrapped;
    std::vector<LegacyLeavesPlan> leaves;
};

inline std::vector<uint8_t> LegacyListBytes(const LegacyListPlan& list)
{
    DocumentWriter w;
    w.UInt(static_cast<uint32_t>(list.sprites.size() + list.wrapped.size() + list.leaves.size()));
    for (const LegacySpritePlan& sprite : list.sprites) {
        WriteLegacyTag(w, legacyguid::kSprite);
        WriteLegacySprite(w, sprite);
    }
    for (const LegacySpritePlan& sprite : list.wrapped) {
        WriteLegacyTag(w, legacyguid::kWrapper);
        w.Int(1);
        WriteLegacyTag(w, L"old");
        WriteLegacySprite(w, sprite);
    }
    for (const LegacyLeavesPlan& leaves : list.leaves) {
        WriteLegacyTag(w, legacyguid::kLeaves);
        WriteLegacyLeaves(w, leaves);
    }
    return w.bytes;
}

// A slide whose objects are the given format-2 list.
inline SlidePlan LegacySlide(const LegacyListPlan& list)
{
    SlidePlan slide;
    slide.listFormat = 2;
    slide.objectBytes = LegacyListBytes(list);
    return slide;
}
