// Helpers of the description tests: a sized object space and a plain sprite kind.
#pragma once

#include <cstdint>
#include <vector>

#include "document/ObjectReader.h"
#include "document/ResourceBuffer.h"
#include "scene/constructors/DS_BaseSpriteProp.h"
#include "scene/constructors/ObjectSpace.h"

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
    bool Write(DS_IOF_Virtual* archive) override;
    static PlainSpriteKind* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);
};

// Reads one record from `bytes` through the reader registry; `rest` gets the bytes left.
DS_ABObj_Constructor* ReadRecord(const std::vector<uint8_t>& bytes, size_t* rest = nullptr);
