// The object lists of the older document format: what each 2D-sprite record version consumes and
// keeps, the snapping of its direction, the leaves record, the entry tags and the wrapper, and
// damaged lists and documents, which end in the document error.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <cwctype>
#include <memory>
#include <typeinfo>

#include "document/DocumentError.h"
#include "document/ResourceBuffer.h"
#include "document/SceneDoc.h"
#include "scene/constructors/DS_2D_Sprites_Constructor.h"
#include "scene/constructors/DS_3D_in_2D_array_Constructor.h"
#include "scene/constructors/SceneReaders.h"
#include "tests/scene/LegacyRecords.h"
#include "tests/scene/SceneFixtures.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes SpriteBytes(const LegacySpritePlan& plan)
{
    DocumentWriter w;
    WriteLegacySprite(w, plan);
    return w.bytes;
}

// Reads one 2D-sprite record; `rest` gets the bytes left over.
std::unique_ptr<DS_2D_Sprites_Constructor> ReadSprite(const Bytes& bytes, size_t* rest = nullptr)
{
    ResourceBuffer buffer(bytes.data(), bytes.size());
    std::unique_ptr<DS_2D_Sprites_Constructor> d(ReadLegacy2DSprites(buffer));
    if (rest)
        *rest = buffer.Remaining();
    return d;
}

// Reads a format-2 list into `slide`; the bytes left over.
size_t ReadList(const Bytes& bytes, SlideRecord& slide)
{
    ResourceBuffer buffer(bytes.data(), bytes.size());
    ReadLegacyObjectList(buffer, slide);
    return buffer.Remaining();
}

// Whether reading `bytes` as a list ends in the document error.
bool ListFails(const Bytes& bytes)
{
    SlideRecord slide;
    try {
        ReadList(bytes, slide);
    } catch (uint32_t code) {
        return code == kDocumentError;
    }
    return false;
}

// Motion along the axes, so that snapping leaves it as it is.
LegacySpritePlan Upwards(uint32_t version)
{
    LegacySpritePlan plan;
    plan.version = version;
    plan.motion[1] = -10.0f;
    return plan;
}

// --- One 2D-sprite record ----------------------------------------------------------------------

TEST(LegacySpriteRecord, EachVersionConsumesItsOwnFields)
{
    // Empty title, references, picture and lists.
    const size_t sizes[] = {48, 48, 56, 72, 76, 92, 112, 116, 134, 138, 142, 171};
    for (uint32_t v = 0; v <= 11; ++v) {
        SCOPED_TRACE(v);
        const Bytes bytes = SpriteBytes(Upwards(v));
        EXPECT_EQ(sizes[v], bytes.size()) << "the test writer";
        Bytes followed = bytes;
        followed.push_back(0x5A);
        size_t rest = 0;
        EXPECT_TRUE(ReadSprite(followed, &rest));
        EXPECT_EQ(1u, rest);
    }
}

TEST(LegacySpriteRecord, VersionTwelveAndAboveFailBeforeAnythingIsRead)
{
    for (uint32_t v : {12u, 13u, 0x80000000u}) {
        LegacySpritePlan plan = Upwards(11);
        Bytes bytes = SpriteBytes(plan);
        std::memcpy(bytes.data(), &v, 4);
        ResourceBuffer buffer(bytes.data(), bytes.size());
        try {
            delete ReadLegacy2DSprites(buffer);
            ADD_FAILURE() << "version " << v << " was read";
        } catch (uint32_t code) {
            EXPECT_EQ(kDocumentError, code);
        }
        EXPECT_EQ(bytes.size() - 4, buffer.Remaining()) << "only the version is consumed";
    }
}

TEST(LegacySpriteRecord, FirstVersionsTakeTheirSizesFromCountAndPicture)
{
    struct Case {
        uint32_t version;
        uint32_t count;
        int32_t pictureId;
        int32_t size, secondSize;
    };
    const Case cases[] = {
        {0, 1, 17, 160, 160}, // one sprite: a big one, whatever the picture
        {1, 4, 17, 120, 60},  // picture 17 was the long one
        {1, 4, 3, 12, 6},
        {0, 2, 9, 12, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version << " count " << c.count << " picture " << c.pictureId);
        LegacySpritePlan plan = Upwards(c.version);
        plan.count = c.count;
        plan.pictureId = c.pictureId;
        plan.oldPicture.name = L"old.bmp";
        plan.oldPicture.data = {1, 2, 3};
        auto d = ReadSprite(SpriteBytes(plan));
        EXPECT_EQ(c.size, d->size);
        EXPECT_EQ(c.secondSize, d->secondSize);
        EXPECT_EQ(1.0f, d->speedFactor);
        // The picture becomes a library reference; the embedded copy is dropped.
        EXPECT_EQ(c.pictureId, d->firstPicture.resourceId);
        EXPECT_EQ(L"common_res.dll", d->firstPicture.libraryName);
        EXPECT_TRUE(d->firstPicture.name.empty());
        EXPECT_FALSE(d->firstPicture.HasBytes());
    }

    LegacySpritePlan plan = Upwards(3);
    plan.count = 1;
    plan.size = 33;
    plan.secondSize = 22;
    plan.speedFactor = 0.5f;
    auto d = ReadSprite(SpriteBytes(plan));
    EXPECT_EQ(33, d->size);
    EXPECT_EQ(22, d->secondSize);
    EXPECT_EQ(0.5f, d->speedFactor);
}

TEST(LegacySpriteRecord, VersionFiveKeepsTheSecondAlpha)
{
    LegacySpritePlan plan = Upwards(5);
    plan.alpha = 10.0f;
    plan.alphaAgain = 200.0f;
    EXPECT_EQ(200.0f, ReadSprite(SpriteBytes(plan))->alpha);
    plan.version = 4;
    EXPECT_EQ(10.0f, ReadSprite(SpriteBytes(plan))->alpha);
}

TEST(LegacySpriteRecord, VersionElevenKeepsEveryField)
{
    LegacySpritePlan p;
    p.title = L"school";
    p.count = 7;
    p.firstPicture = ResourceRef(13, L"common_res.dll");
    p.motion[0] = 3.0f;
    p.motion[1] = 4.0f;
    p.motion[2] = 9.0f;
    p.flowScaleMin = 0.25f;
    p.size = 40;
    p.secondSize = 20;
    p.speedFactor = 1.5f;
    p.kind = 7;
    p.alternative = 1;
    p.option = 3;
    p.alphaSpeed = 100.0f;
    p.alphaAgain = 127.0f;
    p.colour = 0x00336699;
    p.sway = 7.5f;
    p.swayFrequency = 2.0f;
    p.stripOn = 1;
    p.reservedCount = 2;
    p.reservedRate = 0.5f;
    p.stripFrameCount = 4;
    p.stripRate = 8.0f;
    p.alphaMin = 51;
    p.alphaMax = 204;
    p.secondPicture = ResourceRef(15, L"common_res.dll");
    p.blendMode = 1;
    p.frameTimes = {0.1f, 0.2f};
    p.pictureList = {ResourceRef(10, L"common_res.dll"), ResourceRef(11, L"common_res.dll")};
    p.rotation = 1.5f;
    p.directionGiven = 1;
    p.fractions[0] = 0.1f;
    p.fractions[1] = 0.9f;
    p.fractions[2] = 0.2f;
    p.fractions[3] = 0.8f;
    p.xScaleSign = -1;
    p.yScaleSign = -2;

    size_t rest = 1;
    auto d = ReadSprite(SpriteBytes(p), &rest);
    EXPECT_EQ(0u, rest);
    EXPECT_EQ(L"school", d->title);
    EXPECT_EQ(7, d->count);
    EXPECT_EQ(13, d->firstPicture.resourceId);
    EXPECT_EQ(D3DXVECTOR3(3.0f, 4.0f, 9.0f), d->motion) << "a given direction is kept";
    EXPECT_EQ(0.25f, d->flowScaleMin);
    EXPECT_EQ(40, d->size);
    EXPECT_EQ(20, d->secondSize);
    EXPECT_EQ(1.5f, d->speedFactor);
    EXPECT_EQ(7, d->kind);
    EXPECT_EQ(127.0f, d->alpha);
    EXPECT_EQ(1, d->alternative);
    EXPECT_EQ(3, d->option);
    EXPECT_EQ(100.0f, d->alphaSpeed);
    EXPECT_EQ(0x00336699u, d->colour);
    EXPECT_EQ(7.5f, d->sway);
    EXPECT_EQ(2.0f, d->swayFrequency);
    EXPECT_EQ(1, d->stripOn);
    EXPECT_EQ(2, d->reservedCount);
    EXPECT_EQ(0.5f, d->reservedRate);
    EXPECT_EQ(4, d->stripFrameCount);
    EXPECT_EQ(8.0f, d->stripRate);
    EXPECT_EQ(51, d->alphaMin);
    EXPECT_EQ(204, d->alphaMax);
    EXPECT_EQ(15, d->secondPicture.resourceId);
    EXPECT_EQ(1, d->blendMode);
    EXPECT_EQ((std::vector<float>{0.1f, 0.2f}), d->frameTimes);
    ASSERT_EQ(2u, d->pictureList.size());
    EXPECT_EQ(11, d->pictureList[1].resourceId);
    EXPECT_EQ(1.5f, d->rotation);
    EXPECT_EQ(1, d->directionGiven);
    EXPECT_EQ(0.1f, d->leftFraction);
    EXPECT_EQ(0.9f, d->rightFraction);
    EXPECT_EQ(0.2f, d->topFraction);
    EXPECT_EQ(0.8f, d->bottomFraction);
    EXPECT_EQ(-1, d->xScaleSign);
    EXPECT_EQ(-2, d->yScaleSign);
}

TEST(LegacySpriteRecord, AnUngivenDirectionIsSnappedToWholeDegrees)
{
    LegacySpritePlan plan;
    plan.motion[0] = 3.0f;
    plan.motion[1] = 4.0f;
    for (uint32_t v : {3u, 11u}) {
        SCOPED_TRACE(v);
        plan.version = v;
        plan.directionGiven = 0; // always so below version 11
        auto d = ReadSprite(SpriteBytes(plan));
        // (3, 4) points 53.13 degrees below the x axis: 306.87 degrees, snapped to 306.
        const float a = 306.0f * D3DX_PI / 180.0f;
        EXPECT_NEAR(5.0f * std::cos(a), d->motion.x, 1e-4f);
        EXPECT_NEAR(-5.0f * std::sin(a), d->motion.y, 1e-4f);
        EXPECT_NEAR(std::cos(a), d->directionMatrix._11, 1e-5f) << "the direction matrix is set";
    }
}

// --- The leaves record -------------------------------------------------------------------------

TEST(LegacyLeavesRecord, ReadsTheLeavesOwnFieldsWithoutABaseRecord)
{
    LegacyLeavesPlan plan;
    DocumentWriter w;
    WriteLegacyLeaves(w, plan);
    EXPECT_EQ(68u, w.bytes.size()) << "the test writer, empty title and references";

    plan.unused = -7;
    plan.title = L"autumn";
    plan.count = 30;
    plan.mesh = ResourceRef(70, L"common_res.dll");
    plan.texture = ResourceRef(30, L"common_res.dll");
    plan.size = 20;
    plan.speed = 60;
    plan.sway = 40;
    plan.driftChangeFrequency = 5;
    plan.spin = 120;
    plan.angle = 90;
    DocumentWriter full;
    WriteLegacyLeaves(full, plan);
    full.Byte(0x5A);

    ResourceBuffer buffer(full.bytes.data(), full.bytes.size());
    std::unique_ptr<DS_3D_in_2D_array_Constructor> d(ReadLegacy3DIn2DArray(buffer));
    EXPECT_EQ(1u, buffer.Remaining());
    EXPECT_EQ(L"autumn", d->title);
    EXPECT_EQ(30u, d->count);
    EXPECT_EQ(70, d->mesh.resourceId);
    EXPECT_EQ(30, d->texture.resourceId);
    EXPECT_EQ(20u, d->params.size);
    EXPECT_EQ(60u, d->params.speed);
    EXPECT_EQ(40u, d->params.sway);
    EXPECT_EQ(5u, d->params.driftChangeFrequency);
    EXPECT_EQ(120u, d->params.spin);
    EXPECT_EQ(90u, d->params.angle);
    // Through SetAngle: upwards in object space, whose y runs down.
    EXPECT_NEAR(0.0f, d->params.direction.x, 1e-6f);
    EXPECT_NEAR(-1.0f, d->params.direction.y, 1e-6f);
}

TEST(LegacyFloatVector, ReplacesTheValuesWithTheStoredOnes)
{
    DocumentWriter w;
    w.UInt(2);
    w.Float(0.5f);
    w.Float(1.5f);
    std::vector<float> values = {9.0f, 9.0f, 9.0f};
    ResourceBuffer buffer(w.bytes.data(), w.bytes.size());
    ReadFloatVector(buffer, values);
    EXPECT_EQ((std::vector<float>{0.5f, 1.5f}), values);

    // A count beyond the bytes there fails before anything is made.
    DocumentWriter huge;
    huge.UInt(0x40000000);
    ResourceBuffer short_(huge.bytes.data(), huge.bytes.size());
    EXPECT_THROW(ReadFloatVector(short_, values), uint32_t);
}

// --- Lists -------------------------------------------------------------------------------------

TEST(LegacyObjectList, AnEmptyListConsumesItsCount)
{
    SlideRecord slide;
    EXPECT_EQ(1u, ReadList({0, 0, 0, 0, 0x5A}, slide));
    EXPECT_EQ(0u, slide.legacyObjectCount);
    EXPECT_TRUE(slide.objects.empty());
}

TEST(LegacyObjectList, EntriesOfEveryTagAreAppendedInOrder)
{
    LegacyListPlan plan;
    plan.sprites = {Upwards(11), Upwards(0)};
    plan.sprites[0].title = L"first";
    plan.wrapped = {Upwards(6)};
    plan.wrapped[0].title = L"wrapped";
    plan.leaves = {LegacyLeavesPlan{}};
    plan.leaves[0].title = L"leaves";
    Bytes bytes = LegacyListBytes(plan);
    bytes.push_back(0x5A);

    SlideRecord slide;
    EXPECT_EQ(1u, ReadList(bytes, slide));
    EXPECT_EQ(4u, slide.legacyObjectCount);
    ASSERT_EQ(4u, slide.objects.size());
    auto it = slide.objects.begin();
    EXPECT_EQ(L"first", (*it)->title);
    EXPECT_EQ(typeid(DS_2D_Sprites_Constructor), typeid(**it));
    EXPECT_EQ(typeid(DS_2D_Sprites_Constructor), typeid(**++it));
    EXPECT_EQ(L"wrapped", (*++it)->title);
    EXPECT_EQ(typeid(DS_2D_Sprites_Constructor), typeid(**it));
    EXPECT_EQ(L"leaves", (*++it)->title);
    EXPECT_EQ(typeid(DS_3D_in_2D_array_Constructor), typeid(**it));
}

TEST(LegacyObjectList, TheWrapperSkipsItsTextAndKnowsTwoVersions)
{
    const Bytes sprite = SpriteBytes(Upwards(11));
    auto wrapped = [&](int32_t version, const std::wstring& text) {
        DocumentWriter w;
        w.UInt(1);
        WriteLegacyTag(w, legacyguid::kWrapper);
        w.Int(version);
        WriteLegacyTag(w, text);
        w.Raw(sprite);
        return w.bytes;
    };
    for (int32_t version : {0, 1}) {
        SlideRecord slide;
        const Bytes bytes = wrapped(version, L"abc");
        EXPECT_EQ(4 + 4 + 76 + 4 + 4 + 6 + sprite.size(), bytes.size());
        EXPECT_EQ(0u, ReadList(bytes, slide));
        EXPECT_EQ(1u, slide.objects.size());
    }
    EXPECT_TRUE(ListFails(wrapped(2, L"abc")));
    EXPECT_TRUE(ListFails(wrapped(-1, L"abc"))) << "compared as unsigned";
}

TEST(LegacyObjectList, OnlyTheExactTagTextsAreKnown)
{
    const Bytes sprite = SpriteBytes(Upwards(11));
    std::wstring lower = legacyguid::kSprite;
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(towlower(c));
    std::wstring terminated = legacyguid::kSprite;
    terminated.push_back(L'\0');
    for (const std::wstring& tag : {lower, terminated, std::wstring(L"DS_FishConstructor"), std::wstring()}) {
        DocumentWriter w;
        w.UInt(1);
        WriteLegacyTag(w, tag);
        w.Raw(sprite);
        EXPECT_TRUE(ListFails(w.bytes)) << std::string(tag.begin(), tag.end());
    }
    // A negative unit count is no tag either.
    DocumentWriter w;
    w.UInt(1);
    w.Int(-38);
    EXPECT_TRUE(ListFails(w.bytes));
}

TEST(LegacyObjectList, WhatWasReadBeforeABadEntryStaysInTheSlide)
{
    LegacyListPlan plan;
    plan.sprites = {Upwards(11), Upwards(11)};
    Bytes bytes = LegacyListBytes(plan);
    // The second entry's version becomes 12.
    const size_t second = bytes.size() - SpriteBytes(Upwards(11)).size();
    bytes[second] = 12;
    SlideRecord slide;
    EXPECT_THROW(ReadList(bytes, slide), uint32_t);
    EXPECT_EQ(1u, slide.objects.size());
}

// --- Whole documents ---------------------------------------------------------------------------

// A document of two slides: a legacy list with a sprite of each record version and every kind,
// wrapped sprites and leaves, then a modern slide after it.
DocumentPlan OlderDocument()
{
    LegacyListPlan list;
    for (uint32_t v = 0; v <= 11; ++v) {
        LegacySpritePlan sprite = Upwards(v);
        sprite.kind = static_cast<int32_t>(v);
        sprite.title = L"sprite " + std::to_wstring(v);
        if (v >= 4)
            sprite.firstPicture = ResourceRef(17, L"common_res.dll");
        if (v >= 10)
            sprite.pictureList = {ResourceRef(10, L"common_res.dll")};
        if (v >= 9)
            sprite.frameTimes = {0.25f};
        list.sprites.push_back(sprite);
    }
    list.wrapped = {Upwards(8)};
    list.wrapped[0].kind = 12;
    list.leaves = {LegacyLeavesPlan{}};
    list.leaves[0].count = 5;

    DocumentPlan doc;
    doc.slides.push_back(LegacySlide(list));
    doc.slides.push_back(SlidePlan{});
    return doc;
}

TEST(OlderDocument, LoadsWithEveryEntryOfItsList)
{
    RegisterSceneReaders();
    const Bytes bytes = BuildDocument(OlderDocument());
    SceneDoc doc;
    ASSERT_TRUE(LoadSceneDocument(bytes.data(), bytes.size(), doc));
    ASSERT_EQ(2u, doc.slideCount);
    EXPECT_EQ(14u, doc.slides[0].legacyObjectCount);
    EXPECT_EQ(14u, doc.slides[0].objects.size());
    EXPECT_TRUE(doc.slides[1].objects.empty());
}

TEST(OlderDocument, EveryTruncationEndsInTheDocumentError)
{
    RegisterSceneReaders();
    const Bytes bytes = BuildDocument(OlderDocument());
    // The four trailing bytes are never read.
    for (size_t size = 1; size < bytes.size() - 4; ++size) {
        SceneDoc doc;
        try {
            LoadSceneDocument(bytes.data(), size, doc);
            ADD_FAILURE() << "a document cut to " << size << " bytes loaded";
        } catch (uint32_t code) {
            if (code != kDocumentError)
                ADD_FAILURE() << "cut to " << size << ": " << code;
        }
        if (HasFailure())
            break;
    }
}

} // namespace
