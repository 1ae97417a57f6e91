#include <gtest/gtest.h>

#include <memory>

#include "../SceneFixtures.h"
#include "document/DocResManager.h"
#include "document/DocumentError.h"
#include "scene/objects/DS_Sprite.h"
#include "tools/docwriter/DocumentWriter.h"

namespace {

std::vector<uint8_t> WriteOf(DS_IOF_Item& item)
{
    DocumentWriter w;
    item.Write(&w);
    return w.bytes;
}

} // namespace

TEST(BaseSpriteProp, Defaults)
{
    PlainSpriteKind d;
    EXPECT_EQ(d.count.value, 1u);
    EXPECT_EQ(d.transparency.value, 0u);
    EXPECT_EQ(d.transparency.scaled, 255);
    EXPECT_EQ(d.blendMode.value, 0);
    EXPECT_EQ(d.colour.value, 0x00FFFFFFul);
    EXPECT_EQ(d.scaleMin, 1.0f);
    EXPECT_EQ(d.alphaMax, 1.0f);
    EXPECT_EQ(d.stripFrameCount, 1u);
    EXPECT_EQ(d.reservedCount, 1u);
}

TEST(BaseSpriteProp, WrittenBytesMatchTheRecordLayout)
{
    ObjectSpaceScope space(0, 0); // pixel edges stay as set
    PlainSpriteKind d;
    FillAllSpriteFields(d);

    DocumentWriter hand;
    hand.String(L"PlainSpriteKind");
    hand.UInt(1);
    hand.String(L"DS_BaseSpriteProp");
    hand.UInt(3);
    const int rect[6] = {0, 0, 0, 0, 7, -9};
    const float fr[4] = {0.125f, 0.75f, 0.25f, 0.5f};
    HandViewRecord(hand, 2, rect, fr, true, 70, L"fog bank");
    hand.UInt(12);          // count
    hand.UInt(96);          // size
    hand.UInt(50);          // transparency
    hand.Int(1);            // blend mode
    hand.UInt(0x00336699);  // colour
    for (float f : {0.66f, 0.2f, 0.9f, 0.5f, 1.5f})
        hand.Float(f);
    hand.Key(ResKey(L"common_res.dll", 10));
    hand.Key(ResKey(L"glow.png", 1234567890123LL));
    hand.UInt(3);
    hand.Float(2.5f);
    hand.UInt(4);
    hand.Float(10.0f);
    hand.Byte(1);

    EXPECT_EQ(WriteOf(d), hand.bytes);
}

TEST(BaseSpriteProp, RoundTripKeepsEveryField)
{
    ObjectSpaceScope space(0, 0);
    PlainSpriteKind d;
    FillAllSpriteFields(d);
    size_t rest = 1;
    std::unique_ptr<DS_ABObj_Constructor> read(ReadRecord(WriteOf(d), &rest));
    auto* r = dynamic_cast<PlainSpriteKind*>(read.get());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(rest, 0u);
    EXPECT_EQ(r->title, d.title);
    EXPECT_EQ(r->pixelRect.extra1.value, 7);
    EXPECT_EQ(r->pixelRect.extra2.value, -9);
    EXPECT_EQ(r->leftFraction, d.leftFraction);
    EXPECT_EQ(r->rightFraction, d.rightFraction);
    EXPECT_EQ(r->topFraction, d.topFraction);
    EXPECT_EQ(r->bottomFraction, d.bottomFraction);
    EXPECT_TRUE(r->viewFlag);
    EXPECT_EQ(r->speed.value, 70u);
    EXPECT_EQ(r->count.value, 12u);
    EXPECT_EQ(r->size.value, 96u);
    EXPECT_EQ(r->transparency.value, 50u);
    EXPECT_EQ(r->transparency.scaled, 127); // the opacity follows the transparency read
    EXPECT_EQ(r->blendMode.value, 1);
    EXPECT_EQ(r->colour.value, 0x00336699ul);
    EXPECT_EQ(r->alphaRate, d.alphaRate);
    EXPECT_EQ(r->alphaMin, d.alphaMin);
    EXPECT_EQ(r->alphaMax, d.alphaMax);
    EXPECT_EQ(r->scaleMin, d.scaleMin);
    EXPECT_EQ(r->scaleMax, d.scaleMax);
    EXPECT_EQ(r->pictureKey, d.pictureKey);
    EXPECT_EQ(r->secondPictureKey, d.secondPictureKey);
    EXPECT_EQ(r->reservedCount, 3u);
    EXPECT_EQ(r->reservedRate, 2.5f);
    EXPECT_EQ(r->stripFrameCount, 4u);
    EXPECT_EQ(r->stripRate, 10.0f);
    EXPECT_TRUE(r->stripOn);
    EXPECT_EQ(WriteOf(*r), WriteOf(d));
}

TEST(BaseSpriteProp, OlderRecordsCarryTheSpeedTwice)
{
    // Sprite record version 2 over a view record version 2: the sprite record's speed wins.
    // Then a view record of version 1, which has no speed at all.
    struct Case {
        uint32_t viewVersion;
        uint32_t spriteVersion;
        uint32_t speed;
    } cases[] = {{2, 2, 30}, {2, 1, 30}, {1, 2, 30}, {2, 3, 70}, {2, 4, 70}};
    for (const Case& c : cases) {
        DocumentWriter w;
        w.String(L"PlainSpriteKind");
        w.UInt(1);
        w.String(L"misspelt"); // inner tags are not compared
        w.UInt(c.spriteVersion);
        const int rect[6] = {};
        const float fr[4] = {0.0f, 1.0f, 0.0f, 1.0f};
        HandViewRecord(w, c.viewVersion, rect, fr, false, 70, L"t");
        w.UInt(5); // count
        if (c.spriteVersion <= 2)
            w.UInt(30);
        w.UInt(64); // size
        w.UInt(0);
        w.Int(0);
        w.UInt(0x00FFFFFF);
        for (int i = 0; i < 5; ++i)
            w.Float(1.0f);
        if (c.spriteVersion == 1) {
            w.UInt(0); // no pictures
            w.Ref(ResourceRef());
        } else {
            w.Key(ResKey());
            w.Key(ResKey());
        }
        w.UInt(1);
        w.Float(0.0f);
        w.UInt(1);
        w.Float(0.0f);
        w.Byte(0);
        if (c.spriteVersion == 1)
            w.UInt(0); // no frame times

        size_t rest = 1;
        std::unique_ptr<DS_ABObj_Constructor> read(ReadRecord(w.bytes, &rest));
        auto* r = dynamic_cast<PlainSpriteKind*>(read.get());
        ASSERT_NE(r, nullptr);
        const uint32_t expected = (c.viewVersion == 1 && c.spriteVersion > 2) ? 50 : c.speed;
        EXPECT_EQ(r->speed.value, expected) << c.viewVersion << "/" << c.spriteVersion;
        EXPECT_EQ(r->count.value, 5u);
        EXPECT_EQ(r->size.value, 64u);
        EXPECT_EQ(rest, 0u);
    }
}

TEST(BaseSpriteProp, TruncatedRecordIsADocumentError)
{
    PlainSpriteKind d;
    std::vector<uint8_t> bytes = WriteOf(d);
    bytes.resize(bytes.size() - 3);
    EXPECT_ANY_THROW(std::unique_ptr<DS_ABObj_Constructor>(ReadRecord(bytes)));
}

TEST(BaseSpriteProp, HugeLegacyListCountIsADocumentError)
{
    DocumentWriter w;
    w.String(L"PlainSpriteKind");
    w.UInt(1);
    w.String(L"DS_BaseSpriteProp");
    w.UInt(1);
    const int rect[6] = {};
    const float fr[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    HandViewRecord(w, 2, rect, fr, false, 50, L"t");
    for (int i = 0; i < 6; ++i)
        w.UInt(0);
    for (int i = 0; i < 5; ++i)
        w.Float(0.0f);
    w.UInt(0xFFFFFFF0u); // picture count far beyond the bytes left
    EXPECT_ANY_THROW(std::unique_ptr<DS_ABObj_Constructor>(ReadRecord(w.bytes)));
}

TEST(BaseSpriteProp, ResolvingVersionOnePictures)
{
    CurrentManagerScope current; // no device, so the frames stay null
    DS_DocResManager& manager = current.manager;
    PlainSpriteKind d;
    d.legacyPictures = {ResourceRef(10, L"common_res.dll"), ResourceRef(12, L"common_res.dll")};
    d.legacyFrameTimes = {0.5f, 0.25f};
    d.legacySecondPicture = ResourceRef(13, L"common_res.dll");
    d.ResolveResources();
    EXPECT_EQ(d.pictureKey, ResKey(L"common_res.dll", 10));
    EXPECT_EQ(d.secondPictureKey, ResKey(L"common_res.dll", 13));
    EXPECT_TRUE(d.legacyPictures.empty());
    EXPECT_TRUE(d.legacyFrameTimes.empty());
    const TextureAnim& anim = manager.GetTextureAnim(d.pictureKey);
    EXPECT_EQ(anim.frames.size(), 2u);
    EXPECT_EQ(anim.frameDurations, (std::vector<float>{0.5f, 0.25f}));

    // Resolved once: a second call changes nothing.
    d.ResolveResources();
    EXPECT_EQ(manager.GetTextureAnim(d.pictureKey).frames.size(), 2u);
}

TEST(BaseSpriteProp, ResolvingWithoutPicturesLeavesTheKeysEmpty)
{
    CurrentManagerScope current;
    PlainSpriteKind d;
    d.legacySecondPicture.name = L"only-a-file.png"; // no resource id: dropped
    d.ResolveResources();
    d.ResolveResources();
    EXPECT_TRUE(d.pictureKey.name.empty());
    EXPECT_TRUE(d.secondPictureKey.name.empty());
}

TEST(BaseSpriteProp, SpriteColourRule)
{
    struct Case {
        unsigned transparency;
        float alpha;
        unsigned long colour;
        D3DCOLOR expected;
    } cases[] = {
        {50, 0.5f, 0x00336699, 0x3F996633}, // opacity 127 × 0.5 = 63
        {0, 1.0f, 0x00FFFFFF, 0xFFFFFFFF},
        {100, 1.0f, 0x000000FF, 0x00FF0000},
        {0, 0.0f, 0x00112233, 0x00332211},
    };
    for (const Case& c : cases) {
        PlainSpriteKind d;
        d.transparency.SetValue(c.transparency, nullptr);
        d.colour.value = c.colour;
        DS_Sprite s;
        s.alpha = c.alpha;
        d.UpdateSpriteColour(&s);
        EXPECT_EQ(s.colour, c.expected) << c.transparency << " " << c.alpha;
    }
}
