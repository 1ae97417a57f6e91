#include "scene/constructors/DS_BaseSpriteProp.h"

#include "document/DocResManager.h"
#include "document/ResourceBuffer.h"
#include "scene/common/SceneMath.h"
#include "scene/objects/DS_Sprite.h"
#include "scene/objects/DS_SpriteArrayObj.h"
#include "scene/render/VertexColour.h"

#include <new>

namespace {

constexpr unsigned int kDefaultSize = 10;
constexpr unsigned long kWhite = 0x00FFFFFF;

// Before a list of `count` entries of at least `minBytes` each is read from a document, makes
// sure the document holds that much, so a damaged count cannot make the list grow without end.
void RequireListBytes(DS_IOF_Virtual* archive, uint32_t count, uint64_t minBytes)
{
    if (auto* reader = dynamic_cast<DocumentReader*>(archive))
        reader->buffer()->Require(uint64_t(count) * minBytes);
}

} // namespace

DS_BaseSpriteProp::DS_BaseSpriteProp() : count(1u), size(kDefaultSize), blendMode(0), colour(kWhite)
{
    transparency.SetScaling(-2.55f, 255.0f);
}

DS_BaseSpriteProp::DS_BaseSpriteProp(const DS_BaseSpriteProp& other) = default;

DS_BaseSpriteProp::~DS_BaseSpriteProp() = default;

void DS_BaseSpriteProp::ResolveResources()
{
    if (!pictureKey.name.empty() || !CurrentDocResManager)
        return;
    // An empty list names no picture: the key stays empty and the sprites have no frames.
    if (!legacyPictures.empty())
        pictureKey = CurrentDocResManager->RegisterRefList(legacyPictures, legacyFrameTimes);
    if (legacySecondPicture.resourceId != 0)
        secondPictureKey = CurrentDocResManager->RegisterRef(legacySecondPicture);
    legacyPictures.clear();
    legacyFrameTimes.clear();
}

void DS_BaseSpriteProp::UpdateSpriteColour(DS_Sprite* sprite) const
{
    const uint32_t a = static_cast<uint32_t>(TruncToInt32(static_cast<float>(transparency.scaled) * sprite->alpha)) & 0xFFu;
    sprite->colour = a << 24 | RgbFromColorref(static_cast<uint32_t>(colour.value));
}

float DS_BaseSpriteProp::PictureAspect() const
{
    if (!CurrentDocResManager)
        return 0.0f;
    return CurrentDocResManager->GetTextureAnim(pictureKey).aspect;
}

bool DS_BaseSpriteProp::Write(DS_IOF_Virtual* archive)
{
    WriteRecord(archive);
    return true;
}

void DS_BaseSpriteProp::WriteRecord(DS_IOF_Virtual* archive)
{
    WriteRecordHeader(archive, kTag, kVersion);
    DS_ViewObjCtrl::WriteRecord(archive);

    WriteParamValue(*archive, count);
    WriteParamValue(*archive, size);
    WriteParamValue(*archive, static_cast<const MediaParamT<unsigned int>&>(transparency));
    WriteParamValue(*archive, blendMode);
    const uint32_t c = static_cast<uint32_t>(colour.value);
    archive->WriteULong(&c);
    archive->WriteFloat(&alphaRate);
    archive->WriteFloat(&alphaMin);
    archive->WriteFloat(&alphaMax);
    archive->WriteFloat(&scaleMin);
    archive->WriteFloat(&scaleMax);
    // The manager keeps the keys' sources and frame times with the document it saves.
    if (CurrentDocResManager) {
        CurrentDocResManager->PrepareSave(pictureKey);
        CurrentDocResManager->PrepareSave(secondPictureKey);
    }
    WriteResKey(*archive, pictureKey);
    WriteResKey(*archive, secondPictureKey);
    archive->WriteUInt(&reservedCount);
    archive->WriteFloat(&reservedRate);
    archive->WriteUInt(&stripFrameCount);
    archive->WriteFloat(&stripRate);
    archive->WriteBool(&stripOn);
}

void DS_BaseSpriteProp::ReadWithHeader(DS_IOF_Virtual* archive)
{
    ReadFields(archive, ReadRecordHeader(archive));
}

void DS_BaseSpriteProp::ReadFields(DS_IOF_Virtual* archive, uint32_t version)
{
    DS_ViewObjCtrl::ReadFields(archive);
    ReadParamValue(*archive, count);
    if (version == 1 || version == 2)
        ReadParamValue(*archive, speed);
    ReadParamValue(*archive, size);
    // The opacity follows the transparency, so this one value tells its listeners.
    uint32_t t = transparency.value;
    archive->ReadUInt(&t);
    transparency.SetValue(t, nullptr);
    ReadParamValue(*archive, blendMode);
    uint32_t c = static_cast<uint32_t>(colour.value);
    archive->ReadULong(&c);
    colour.value = c;
    archive->ReadFloat(&alphaRate);
    archive->ReadFloat(&alphaMin);
    archive->ReadFloat(&alphaMax);
    archive->ReadFloat(&scaleMin);
    archive->ReadFloat(&scaleMax);
    if (version == 1) {
        ReadResourceRefList(archive, legacyPictures);
        archive->ReadResourceRef(&legacySecondPicture);
    } else {
        ReadResKey(*archive, pictureKey);
        ReadResKey(*archive, secondPictureKey);
    }
    archive->ReadUInt(&reservedCount);
    archive->ReadFloat(&reservedRate);
    archive->ReadUInt(&stripFrameCount);
    archive->ReadFloat(&stripRate);
    archive->ReadBool(&stripOn);
    if (version == 1)
        ReadFloatList(archive, legacyFrameTimes);
}

void ReadResourceRefList(DS_IOF_Virtual* archive, std::vector<ResourceRef>& list)
{
    uint32_t n = 0;
    archive->ReadULong(&n);
    // A reference holds at least its id, two strings and a size.
    RequireListBytes(archive, n, 16);
    for (uint32_t i = 0; i < n; ++i) {
        ResourceRef ref;
        archive->ReadResourceRef(&ref);
        list.push_back(std::move(ref));
    }
}

void WriteResourceRefList(DS_IOF_Virtual* archive, const std::vector<ResourceRef>& list)
{
    const uint32_t n = static_cast<uint32_t>(list.size());
    archive->WriteULong(&n);
    for (const ResourceRef& ref : list)
        archive->WriteResourceRef(&ref);
}

void ReadFloatList(DS_IOF_Virtual* archive, std::vector<float>& list)
{
    uint32_t n = 0;
    archive->ReadULong(&n);
    RequireListBytes(archive, n, 4);
    for (uint32_t i = 0; i < n; ++i) {
        float v = 0.0f;
        archive->ReadFloat(&v);
        list.push_back(v);
    }
}

void WriteFloatList(DS_IOF_Virtual* archive, const std::vector<float>& list)
{
    const uint32_t n = static_cast<uint32_t>(list.size());
    archive->WriteULong(&n);
    for (float v : list)
        archive->WriteFloat(&v);
}

DS_ABObj* DS_BaseSpriteProp::CreateObject()
{
    ResolveResources();
    return new (std::nothrow) DS_SpriteArrayObj(Clone());
}
