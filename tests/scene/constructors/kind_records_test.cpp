// The records of the fish, bird, ghost, fog, sparkle, light-ray and lightning descriptions:
// written bytes equal a hand-built record, every kind reads back through the reader registry
// under its class name, and a cut record is a document error.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "SpriteKindFixtures.h"
#include "scene/constructors/DS_BirdConstructor.h"
#include "scene/constructors/DS_FishConstructor.h"
#include "scene/constructors/DS_FogConstructor.h"
#include "scene/constructors/DS_GhostConstructor.h"
#include "scene/constructors/DS_GodRayConstructor.h"
#include "scene/constructors/DS_LightingConstructor.h"
#include "scene/constructors/DS_SparkleConstructor.h"
#include "tools/docwriter/DocumentWriter.h"

namespace {

// One kind: a description with its own fields set, the hand-built bytes of its own part
// (the sprite record after it comes from the base's writer), and a check of its own fields.
struct KindCase {
    const char* name;
    std::function<DS_BaseSpriteProp*()> make;
    std::function<void(DocumentWriter&)> ownPart;
    std::function<void(const DS_BaseSpriteProp*)> check;
};

template <class Kind>
DS_BaseSpriteProp* Filled(const std::function<void(Kind&)>& own = nullptr)
{
    auto* d = new Kind;
    FillAllSpriteFields(*d);
    // A clone starts with a fresh pixel rectangle, so its two further values are left at 0.
    d->pixelRect.extra1.value = 0;
    d->pixelRect.extra2.value = 0;
    if (own)
        own(*d);
    return d;
}

void FishPart(DocumentWriter& w, float x, float y)
{
    w.String(L"DS_FishConstructor");
    w.UInt(1);
    w.Float(x);
    w.Float(y);
}

template <class Kind>
void CheckFishSpeeds(const DS_BaseSpriteProp* d, float x, float y)
{
    auto* k = dynamic_cast<const Kind*>(d);
    ASSERT_NE(k, nullptr) << "read as another kind";
    EXPECT_EQ(k->maxSpeedX, x);
    EXPECT_EQ(k->maxSpeedY, y);
}

template <class Kind>
void CheckKind(const DS_BaseSpriteProp* d)
{
    EXPECT_NE(dynamic_cast<const Kind*>(d), nullptr) << "read as another kind";
}

std::vector<KindCase> Kinds()
{
    return {
        {"fish", [] { return Filled<DS_FishConstructor>([](auto& f) { f.maxSpeedX = 33.0f; f.maxSpeedY = -4.5f; }); },
         [](DocumentWriter& w) { FishPart(w, 33.0f, -4.5f); },
         [](const DS_BaseSpriteProp* d) { CheckFishSpeeds<DS_FishConstructor>(d, 33.0f, -4.5f); }},
        {"bird", [] { return Filled<DS_BirdConstructor>([](auto& f) { f.maxSpeedX = 120.0f; f.maxSpeedY = 60.0f; }); },
         [](DocumentWriter& w) {
             w.String(L"DS_BirdConstructor");
             w.UInt(1);
             FishPart(w, 120.0f, 60.0f);
         },
         [](const DS_BaseSpriteProp* d) { CheckFishSpeeds<DS_BirdConstructor>(d, 120.0f, 60.0f); }},
        // The ghost's defaults give way to what the record holds.
        {"ghost", [] { return Filled<DS_GhostConstructor>([](auto& f) {
                        f.maxSpeedX = 12.0f;
                        f.maxSpeedY = 34.0f;
                        f.alphaRate = 0.3f;
                        f.transparency.value = 20;
                    });
         },
         [](DocumentWriter& w) {
             w.String(L"DS_GhostConstructor");
             w.UInt(1);
             FishPart(w, 12.0f, 34.0f);
         },
         [](const DS_BaseSpriteProp* d) {
             CheckFishSpeeds<DS_GhostConstructor>(d, 12.0f, 34.0f);
             EXPECT_EQ(d->alphaRate, 0.3f);
             EXPECT_EQ(d->transparency.scaled, 204);
         }},
        {"fog", [] { return Filled<DS_FogConstructor>([](auto& f) {
                        f.maxSpeedX = 9.0f;
                        f.maxSpeedY = 2.0f;
                        f.alphaMin = 0.1f;
                    });
         },
         [](DocumentWriter& w) {
             w.String(L"DS_FogConstructor");
             w.UInt(1);
             w.Float(9.0f);
             w.Float(2.0f);
         },
         [](const DS_BaseSpriteProp* d) {
             auto* f = dynamic_cast<const DS_FogConstructor*>(d);
             ASSERT_NE(f, nullptr);
             EXPECT_EQ(f->maxSpeedX, 9.0f);
             EXPECT_EQ(f->maxSpeedY, 2.0f);
             EXPECT_EQ(f->alphaMin, 0.1f);
         }},
        // The record's view flag (false here) replaces the sparkle's default.
        {"sparkle", [] { return Filled<DS_SparkleConstructor>([](auto& k) { k.viewFlag = false; }); },
         [](DocumentWriter& w) {
             w.String(L"DS_SparkleConstructor");
             w.UInt(1);
         },
         [](const DS_BaseSpriteProp* d) {
             CheckKind<DS_SparkleConstructor>(d);
             EXPECT_FALSE(d->viewFlag);
         }},
        {"light ray", [] { return Filled<DS_GodRayConstructor>([](auto& r) { r.rayAngle.value = 105; }); },
         [](DocumentWriter& w) {
             w.String(L"DS_GodRayConstructor");
             w.UInt(1);
             w.UInt(105);
         },
         [](const DS_BaseSpriteProp* d) {
             auto* r = dynamic_cast<const DS_GodRayConstructor*>(d);
             ASSERT_NE(r, nullptr);
             EXPECT_EQ(r->rayAngle.value, 105u);
         }},
        {"lightning", [] { return Filled<DS_LightingConstructor>([](auto& l) { l.blendMode.value = 0; }); },
         [](DocumentWriter& w) {
             w.String(L"DS_LightingConstructor");
             w.UInt(1);
         },
         [](const DS_BaseSpriteProp* d) {
             CheckKind<DS_LightingConstructor>(d);
             EXPECT_EQ(d->blendMode.value, 0);
         }},
    };
}

class KindRecords : public ::testing::Test {
protected:
    ObjectSpaceScope space{0, 0}; // the pixel edges stay as the fractions leave them
};

TEST_F(KindRecords, WrittenBytesAreTheKindsPartThenTheSpriteRecord)
{
    for (const KindCase& c : Kinds()) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<DS_BaseSpriteProp> d(c.make());
        DocumentWriter hand;
        c.ownPart(hand);
        d->DS_BaseSpriteProp::WriteRecord(&hand);
        EXPECT_EQ(RecordBytes(*d), hand.bytes);
    }
}

TEST_F(KindRecords, EveryKindReadsBackUnderItsClassName)
{
    for (const KindCase& c : Kinds()) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<DS_BaseSpriteProp> d(c.make());
        const std::vector<uint8_t> bytes = RecordBytes(*d);
        size_t rest = 1;
        std::unique_ptr<DS_ABObj_Constructor> read(ReadRecord(bytes, &rest));
        auto* r = dynamic_cast<DS_BaseSpriteProp*>(read.get());
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(rest, 0u);
        c.check(r);
        EXPECT_EQ(r->title, L"fog bank");
        EXPECT_EQ(r->count.value, 12u);
        EXPECT_EQ(r->speed.value, 70u);
        EXPECT_EQ(r->pictureKey, ResKey(L"common_res.dll", 10));
        EXPECT_EQ(RecordBytes(*r), bytes);

        // A clone is the same kind with the same record.
        std::unique_ptr<DS_BaseSpriteProp> clone(r->Clone());
        c.check(clone.get());
        EXPECT_EQ(RecordBytes(*clone), bytes);
    }
}

TEST_F(KindRecords, ACutRecordIsADocumentError)
{
    // Cut anywhere, also inside the fish record that the bird and the ghost wrap.
    for (const KindCase& c : Kinds()) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<DS_BaseSpriteProp> d(c.make());
        ExpectEveryTruncationFails(RecordBytes(*d));
    }
}

} // namespace
