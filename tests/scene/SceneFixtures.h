// Helpers of the description and sprite-array tests: a sized object space, a current resource
// manager without a device and a plain sprite kind.
#pragma once

#include <cstdint>
#include <vector>

#include "document/DocResManager.h"
#include "document/ObjectReader.h"
#include "document/ResourceBuffer.h"
#include "scene/constructors/DS_BaseSpriteProp.h"
#include "scene/common/ObjectSpace.h"
#include "scene/constructors/SceneReaders.h"
#include "tools/docwriter/DocumentWriter.h"

// Gives object space a size for one test and puts the old one back.
class ObjectSpaceScope {
public:
    ObjectSpaceScope(int32_t w, int32_t h) : oldW_(ViewMetrics.Width), oldH_(ViewMetrics.Height)
    {
        ViewMetrics.Width = w;
        ViewMetrics.Height = h;
    }
    ~ObjectSpaceScope()
    {
        ViewMetrics.Width = oldW_;
        ViewMetrics.Height = oldH_;
    }

private:
    int32_t oldW_;
    int32_t oldH_;
};

// A document resource manager without a device, current for one test.
class CurrentManagerScope {
public:
    CurrentManagerScope() : old_(CurrentDocResManager) { CurrentDocResManager = &manager; }
    ~CurrentManagerScope()
    {
        if (CurrentDocResManager == &manager)
            CurrentDocResManager = old_;
    }
    DS_DocResManager manager;

private:
    DS_DocResManager* old_;
};

// The smallest sprite kind: no fields of its own; its record is tag, version 1, then the
// sprite record.
class PlainSpriteKind : public DS_BaseSpriteProp {
public:
    static constexpr const wchar_t* kClassName = L"PlainSpriteKind";

    int initCalls = 0;
    int updateCalls = 0;

    DS_BaseSpriteProp* Clone() const override { return new PlainSpriteKind(*this); }
    void InitSprite(DS_Sprite*) override { ++initCalls; }
    void UpdateSprite(DS_Sprite*) override { ++updateCalls; }
    bool Write(DS_IOF_Virtual* archive) override
    {
        const std::wstring tag = kClassName;
        const uint32_t version = 1;
        archive->WriteString(&tag);
        archive->WriteULong(&version);
        WriteRecord(archive);
        return true;
    }
    static PlainSpriteKind* CreateFromStream(DS_IOF_Virtual* archive, uint32_t)
    {
        auto* kind = new PlainSpriteKind;
        kind->ReadWithHeader(archive);
        return kind;
    }
};

// A description with every field away from its default.
inline void FillAllSpriteFields(DS_BaseSpriteProp& d)
{
    d.title = L"fog bank";
    d.pixelRect.extra1.value = 7;
    d.pixelRect.extra2.value = -9;
    d.leftFraction = 0.125f;
    d.rightFraction = 0.75f;
    d.topFraction = 0.25f;
    d.bottomFraction = 0.5f;
    d.viewFlag = true;
    d.speed.value = 70;
    d.count.value = 12;
    d.size.value = 96;
    d.transparency.value = 50;
    d.blendMode.value = 1;
    d.colour.value = 0x00336699;
    d.alphaRate = 0.66f;
    d.alphaMin = 0.2f;
    d.alphaMax = 0.9f;
    d.scaleMin = 0.5f;
    d.scaleMax = 1.5f;
    d.pictureKey = ResKey(L"common_res.dll", 10);
    d.secondPictureKey = ResKey(L"glow.png", 1234567890123LL);
    d.reservedCount = 3;
    d.reservedRate = 2.5f;
    d.stripFrameCount = 4;
    d.stripRate = 10.0f;
    d.stripOn = true;
}

// Reads one record from `bytes` through the reader registry, with every kind registered as the
// program registers them (and the plain kind); `rest` gets the bytes left.
inline DS_ABObj_Constructor* ReadRecord(const std::vector<uint8_t>& bytes, size_t* rest = nullptr)
{
    RegisterSceneReaders();
    RegisterReader<PlainSpriteKind>();
    ResourceBuffer buffer(bytes.data(), bytes.size());
    DocumentReader reader(&buffer);
    DS_ABObj_Constructor* object = ReadDocumentObject(&reader);
    if (rest)
        *rest = buffer.Remaining();
    return object;
}

// Puts a texture animation of the given size (null frames) under `key` in `manager`.
inline void PutTextureAnim(DS_DocResManager& manager, const ResKey& key, uint32_t w, uint32_t h, size_t frames,
                           std::vector<float> times = {})
{
    TextureAnim& anim = manager.data().textureAnims[key];
    anim.frames.assign(frames, ComRef<IDirect3DTexture9>());
    anim.frameDurations = std::move(times);
    anim.width = w;
    anim.height = h;
    anim.aspect = w ? static_cast<float>(h) / static_cast<float>(w) : 0.0f;
}

// The view record as the reader expects it, by hand: six pixel values, four fractions, the view
// flag, [version 2 and later] the speed, then the base record with its title.
inline void HandViewRecord(DocumentWriter& w, uint32_t version, const int rect[6], const float fr[4], bool flag,
                           uint32_t speed, const std::wstring& title)
{
    w.String(L"DS_ViewObjCtrl");
    w.UInt(version);
    for (int i = 0; i < 6; ++i)
        w.Int(rect[i]);
    for (int i = 0; i < 4; ++i)
        w.Float(fr[i]);
    w.Byte(flag ? 1 : 0);
    if (version > 1)
        w.UInt(speed);
    w.String(L"DS_ABObj_Constructor");
    w.UInt(1);
    w.String(title);
}
