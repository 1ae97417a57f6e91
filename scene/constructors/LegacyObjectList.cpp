#include "scene/constructors/LegacyObjectList.h"

#include <cstring>
#include <memory>
#include <string>

#include "document/Archive.h"
#include "document/DocumentError.h"
#include "document/ResourceBuffer.h"
#include "document/SceneDoc.h"
#include "scene/constructors/DS_2D_Sprites_Constructor.h"
#include "scene/constructors/DS_3D_in_2D_array_Constructor.h"
#include "scene/constructors/DS_BaseSpriteProp.h"

namespace {

constexpr size_t kTagUnits = 38; // every known tag is a GUID in braces

template <class T>
T Read(ResourceBuffer& buffer)
{
    T value{};
    buffer.ReadValue(value);
    return value;
}

enum class EntryKind { Sprite, Leaves, Wrapper };

// The entry's tag text, compared exactly with the three known ones.
EntryKind ReadEntryTag(ResourceBuffer& buffer)
{
    const uint32_t units = static_cast<uint32_t>(Read<int32_t>(buffer));
    if (units != kTagUnits)
        ThrowDocumentError(); // no known tag has another length
    wchar_t text[kTagUnits] = {};
    buffer.Read(text, sizeof text);
    const auto is = [&](const wchar_t* tag) { return std::memcmp(text, tag, sizeof text) == 0; };
    if (is(legacyguid::kSprite))
        return EntryKind::Sprite;
    if (is(legacyguid::kLeaves))
        return EntryKind::Leaves;
    if (is(legacyguid::kWrapper))
        return EntryKind::Wrapper;
    ThrowDocumentError();
}

// Versions 0 and 1 carried no sizes: they follow from the count and the picture.
void SetEarlySizes(DS_2D_Sprites_Constructor& d, int32_t pictureId)
{
    if (d.count == 1) {
        d.size = 160;
        d.secondSize = 160;
    } else if (pictureId == 17) {
        d.size = 120;
        d.secondSize = 60;
    } else {
        d.size = 12;
        d.secondSize = 6;
    }
    d.speedFactor = 1.0f;
}

// Appends a description just read to the slide, which owns it from then on.
void Append(SlideRecord& slide, DS_ABObj_Constructor* read)
{
    std::unique_ptr<DS_ABObj_Constructor> object(read);
    slide.objects.push_back(object.get());
    object.release();
}

} // namespace

void ReadFloatVector(ResourceBuffer& buffer, std::vector<float>& values)
{
    const uint32_t count = Read<uint32_t>(buffer);
    buffer.Require(uint64_t(count) * 4);
    values.assign(count, 0.0f);
    for (float& value : values)
        buffer.ReadValue(value);
}

DS_2D_Sprites_Constructor* ReadLegacy2DSprites(ResourceBuffer& buffer)
{
    const uint32_t v = Read<uint32_t>(buffer);
    if (v > kLegacySpriteVersionMax)
        ThrowDocumentError();

    std::unique_ptr<DS_2D_Sprites_Constructor> d(new DS_2D_Sprites_Constructor);
    ReadDocString(buffer, d->title);
    d->count = static_cast<int32_t>(Read<uint32_t>(buffer));
    int32_t pictureId = 0;
    if (v < 4) {
        // The first records named a library picture; their embedded copy is not used.
        pictureId = Read<int32_t>(buffer);
        NamedBlob oldPicture;
        NamedBlob::Read(buffer, oldPicture);
        d->firstPicture = ResourceRef(pictureId, L"common_res.dll");
    } else {
        ResourceRef::Read(buffer, d->firstPicture);
    }
    ReadVec3(buffer, d->motion);
    buffer.ReadValue(d->flowScaleMin);
    if (v >= 2) {
        buffer.ReadValue(d->size);
        buffer.ReadValue(d->secondSize);
        buffer.ReadValue(d->speedFactor);
    } else {
        buffer.Skip(4);
        SetEarlySizes(*d, pictureId);
    }
    buffer.ReadValue(d->kind);
    if (v >= 3) {
        buffer.ReadValue(d->alpha);
        buffer.ReadValue(d->alternative);
        buffer.ReadValue(d->option);
        buffer.ReadValue(d->alphaSpeed);
    }
    if (v >= 5) {
        buffer.ReadValue(d->alpha); // replaces the first one
        d->colour = static_cast<uint32_t>(Read<int32_t>(buffer));
        buffer.ReadValue(d->sway);
        buffer.ReadValue(d->swayFrequency);
    }
    if (v >= 6) {
        buffer.ReadValue(d->stripOn);
        buffer.ReadValue(d->reservedCount);
        buffer.ReadValue(d->reservedRate);
        buffer.ReadValue(d->stripFrameCount);
        buffer.ReadValue(d->stripRate);
    }
    if (v >= 7) {
        buffer.ReadValue(d->alphaMin);
        buffer.ReadValue(d->alphaMax);
    }
    if (v >= 8) {
        ResourceRef::Read(buffer, d->secondPicture);
        buffer.ReadValue(d->blendMode);
    }
    if (v >= 9)
        ReadFloatVector(buffer, d->frameTimes);
    if (v >= 10) {
        DocumentReader archive(&buffer);
        ReadResourceRefList(&archive, d->pictureList);
    }
    if (v >= 11) {
        buffer.ReadValue(d->rotation);
        buffer.ReadValue(d->directionGiven);
        buffer.ReadValue(d->leftFraction);
        buffer.ReadValue(d->rightFraction);
        buffer.ReadValue(d->topFraction);
        buffer.ReadValue(d->bottomFraction);
        buffer.ReadValue(d->xScaleSign);
        buffer.ReadValue(d->yScaleSign);
    }
    if (d->directionGiven == 0)
        d->SetDirectionDegrees(static_cast<unsigned int>(d->GetDirectionDegrees()));
    return d.release();
}

DS_3D_in_2D_array_Constructor* ReadLegacy3DIn2DArray(ResourceBuffer& buffer)
{
    Read<int32_t>(buffer); // not used
    std::unique_ptr<DS_3D_in_2D_array_Constructor> d(new DS_3D_in_2D_array_Constructor);
    DocumentReader archive(&buffer);
    d->ReadBody(&archive);
    return d.release();
}

void ReadLegacyObjectList(ResourceBuffer& buffer, SlideRecord& slide)
{
    buffer.ReadValue(slide.legacyObjectCount);
    for (uint32_t i = 0; i < slide.legacyObjectCount; ++i) {
        switch (ReadEntryTag(buffer)) {
        case EntryKind::Sprite: Append(slide, ReadLegacy2DSprites(buffer)); break;
        case EntryKind::Leaves: Append(slide, ReadLegacy3DIn2DArray(buffer)); break;
        case EntryKind::Wrapper: {
            const uint32_t version = static_cast<uint32_t>(Read<int32_t>(buffer));
            if (version > 1)
                ThrowDocumentError();
            const uint32_t units = static_cast<uint32_t>(Read<int32_t>(buffer));
            buffer.Skip(uint64_t(units) * 2);
            Append(slide, ReadLegacy2DSprites(buffer));
            break;
        }
        }
    }
}
