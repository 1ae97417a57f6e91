// The legacy 2D-sprite description: which modern description each legacy kind becomes, and what
// the conversion carries into it (speeds, angle, centre, opacity, speed, view rectangle,
// pictures, alpha pulse), the direction arithmetic, the pixel parameters and the base record.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <typeinfo>

#include "scene/constructors/DS_2D_Sprites_Constructor.h"
#include "scene/constructors/DS_BirdConstructor.h"
#include "scene/constructors/DS_FishConstructor.h"
#include "scene/constructors/DS_FlowConstructor.h"
#include "scene/constructors/DS_FlowerConstructor.h"
#include "scene/constructors/DS_FogConstructor.h"
#include "scene/constructors/DS_GhostConstructor.h"
#include "scene/constructors/DS_GodRayConstructor.h"
#include "scene/constructors/DS_GrassConstructor.h"
#include "scene/constructors/DS_LightingConstructor.h"
#include "scene/constructors/DS_RainConstructor.h"
#include "scene/constructors/DS_SparkleConstructor.h"
#include "scene/constructors/DS_StatObjConstructor.h"
#include "scene/objects/DS_ABObj.h"
#include "tests/scene/SceneFixtures.h"

namespace {

class LegacySprites : public testing::Test {
protected:
    ObjectSpaceScope space{640, 480};
    CurrentManagerScope current;
    DS_2D_Sprites_Constructor legacy;
};

// --- Which description each kind becomes -------------------------------------------------------

struct KindCase {
    int32_t kind;
    int32_t alternative;
    const std::type_info* modern; // null: none
    bool viewFlag;
};

TEST_F(LegacySprites, EachKindBecomesItsModernDescription)
{
    const KindCase cases[] = {
        {0, 0, &typeid(DS_FlowConstructor), false},
        {0, 1, &typeid(DS_RainConstructor), false},
        {10, 0, &typeid(DS_FlowConstructor), true},
        {10, 1, &typeid(DS_RainConstructor), true},
        {1, 0, &typeid(DS_FishConstructor), false},
        {1, 1, &typeid(DS_GhostConstructor), false},
        {11, 0, &typeid(DS_FishConstructor), true},
        {11, 1, &typeid(DS_GhostConstructor), true},
        {12, 0, &typeid(DS_BirdConstructor), true},
        {12, 1, &typeid(DS_BirdConstructor), true},
        {2, 0, &typeid(DS_GodRayConstructor), false},
        {3, 0, &typeid(DS_GrassConstructor), false},
        {4, 0, &typeid(DS_LightingConstructor), true}, // lightning keeps its own view flag
        {6, 0, &typeid(DS_FogConstructor), false},
        {7, 0, &typeid(DS_StatObjConstructor), false},
        {8, 0, &typeid(DS_FlowerConstructor), false},
        {9, 0, &typeid(DS_SparkleConstructor), true}, // so do sparkles
        {5, 0, nullptr, false},
        {13, 0, nullptr, false},
        {-1, 0, nullptr, false},
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " alternative " << c.alternative);
        legacy.kind = c.kind;
        legacy.alternative = c.alternative;
        std::unique_ptr<DS_BaseSpriteProp> d = legacy.BuildModern();
        if (!c.modern) {
            EXPECT_FALSE(d);
            EXPECT_EQ(nullptr, legacy.CreateObject());
            continue;
        }
        ASSERT_TRUE(d);
        EXPECT_EQ(*c.modern, typeid(*d));
        EXPECT_EQ(c.viewFlag, d->viewFlag);
    }
}

TEST_F(LegacySprites, EveryCallConvertsAnew)
{
    legacy.kind = kLegacyFish;
    legacy.count = 3;
    std::unique_ptr<DS_ABObj> first(legacy.CreateObject());
    std::unique_ptr<DS_ABObj> second(legacy.CreateObject());
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(first->description, second->description);
    EXPECT_EQ(3, legacy.count);
    EXPECT_EQ(kLegacyFish, legacy.kind);
}

// --- Kind settings -----------------------------------------------------------------------------

TEST_F(LegacySprites, AFlowTakesSpeedAngleSwayAndScaleFromTheMotion)
{
    legacy.kind = kLegacyFlow;
    legacy.motion = D3DXVECTOR3(0.0f, -100.0f, 0.0f);
    legacy.sway = 7.5f;          // whole values of 3 only: 6
    legacy.swayFrequency = 0.5f; // 0.25 each: 2
    legacy.flowScaleMin = 0.4f;
    for (int32_t alternative : {0, 1}) {
        SCOPED_TRACE(alternative);
        legacy.alternative = alternative;
        auto d = legacy.BuildModern();
        auto* flow = dynamic_cast<DS_FlowConstructor*>(d.get());
        ASSERT_TRUE(flow);
        EXPECT_EQ(100.0f, flow->speed);
        EXPECT_EQ(90u, flow->angle.value) << "upwards";
        EXPECT_EQ(2u, flow->sway.value);
        EXPECT_EQ(6.0f, flow->sway.scaled);
        EXPECT_EQ(2u, flow->swayFrequency.value);
        EXPECT_EQ(0.4f, flow->scaleMin);
        EXPECT_EQ(1.0f, flow->scaleMax);
    }
}

TEST_F(LegacySprites, FishAndBirdsTakeTheMotionAsTheirMaximumSpeeds)
{
    legacy.motion = D3DXVECTOR3(-30.0f, 20.0f, 0.0f);
    for (int32_t kind : {kLegacyFish, kLegacyViewFish, kLegacyBird}) {
        legacy.kind = kind;
        auto d = legacy.BuildModern();
        auto* fish = dynamic_cast<DS_FishConstructor*>(d.get());
        ASSERT_TRUE(fish) << kind;
        EXPECT_EQ(-30.0f, fish->maxSpeedX);
        EXPECT_EQ(20.0f, fish->maxSpeedY);
    }
}

TEST_F(LegacySprites, AStaticPictureIsCentredOnTheMotionPointAndMirroredBySign)
{
    struct Case {
        int32_t kind;
        int32_t xSign, ySign;
        int hFlip, vFlip;
        float rotation;
        unsigned int degrees;
    };
    const Case cases[] = {
        {kLegacyStatic, -1, 1, 1, 0, 0.0f, 0u},
        {kLegacyStatic, 1, -3, 0, 1, -D3DX_PI / 2, 90u}, // a negative legacy rotation turns the other way
        {kLegacyFlower, 0, 1, 0, 0, D3DX_PI / 2, 270u},  // -90 degrees as one full turn less
    };
    legacy.motion = D3DXVECTOR3(320.7f, 200.2f, 0.0f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        legacy.kind = c.kind;
        legacy.xScaleSign = c.xSign;
        legacy.yScaleSign = c.ySign;
        legacy.rotation = c.rotation;
        auto d = legacy.BuildModern();
        auto* picture = dynamic_cast<DS_StatObjConstructor*>(d.get());
        ASSERT_TRUE(picture);
        EXPECT_EQ(320, picture->bounds.extra1.value);
        EXPECT_EQ(200, picture->bounds.extra2.value);
        EXPECT_EQ(c.hFlip, picture->horizontalFlip.value);
        EXPECT_EQ(c.vFlip, picture->verticalFlip.value);
        EXPECT_EQ(c.degrees, picture->rotation.value);
    }
}

// --- The direction arithmetic ------------------------------------------------------------------

TEST_F(LegacySprites, DirectionDegreesInSinglePrecision)
{
    struct Case {
        float x, y;
        int degrees;
    };
    const Case cases[] = {
        {0.0f, 50.0f, 270},   // down
        {0.0f, -100.0f, 90},  // up
        {-1.0f, 0.0f, 180},   // left
        {1.0f, 0.0f, 360},    // right, y +0
        {1.0f, -0.0f, 0},     // right, y -0
    };
    for (const Case& c : cases) {
        legacy.motion = D3DXVECTOR3(c.x, c.y, 0.0f);
        EXPECT_EQ(c.degrees, legacy.GetDirectionDegrees()) << c.x << ", " << c.y;
    }
}

TEST_F(LegacySprites, SettingTheDirectionKeepsTheSpeed)
{
    legacy.motion = D3DXVECTOR3(3.0f, 4.0f, 0.0f);
    legacy.SetDirectionDegrees(90);
    EXPECT_NEAR(0.0f, legacy.motion.x, 1e-5f);
    EXPECT_NEAR(-5.0f, legacy.motion.y, 1e-5f);
    EXPECT_NEAR(1.0f, legacy.directionMatrix._12, 1e-5f);
}

TEST_F(LegacySprites, RotationDegreesCountTheOtherWay)
{
    legacy.rotation = D3DX_PI / 2;
    EXPECT_EQ(-90, legacy.RotationDegrees());
    legacy.rotation = -0.5f; // -28.6 degrees
    EXPECT_EQ(28, legacy.RotationDegrees());
}

// --- The shared properties ---------------------------------------------------------------------

TEST(LegacyTransparencyTest, WorkedOutInDoublePrecisionAndKeptWithinRange)
{
    const std::pair<float, uint32_t> cases[] = {
        {255.0f, 0}, {127.0f, 50}, {127.5f, 49}, {51.0f, 79}, {0.0f, 100}, {300.0f, 0}, {-10.0f, 100},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.second, LegacyTransparency(c.first)) << c.first;
}

TEST_F(LegacySprites, CopiesTheSharedPropertiesIntoTheModernOne)
{
    legacy.kind = kLegacyFog;
    legacy.title = L"mist";
    legacy.count = 4;
    legacy.size = 96;
    legacy.blendMode = 1;
    legacy.colour = 0x00336699;
    legacy.reservedCount = 2;
    legacy.reservedRate = 0.5f;
    legacy.stripFrameCount = 3;
    legacy.stripRate = 6.0f;
    legacy.stripOn = 1;
    legacy.alpha = 127.0f;
    legacy.speedFactor = 0.5f;
    auto d = legacy.BuildModern();
    EXPECT_EQ(L"mist", d->title);
    EXPECT_EQ(4u, d->count.value);
    EXPECT_EQ(96u, d->size.value);
    EXPECT_EQ(1, d->blendMode.value);
    EXPECT_EQ(0x00336699u, d->colour.value);
    EXPECT_EQ(2u, d->reservedCount);
    EXPECT_EQ(0.5f, d->reservedRate);
    EXPECT_EQ(3u, d->stripFrameCount);
    EXPECT_EQ(6.0f, d->stripRate);
    EXPECT_TRUE(d->stripOn);
    EXPECT_EQ(50u, d->transparency.value);
    EXPECT_EQ(127, d->transparency.scaled) << "the opacity follows";
    EXPECT_EQ(25u, d->speed.value);
    // The fog's own alpha bounds stay without the alternative flag.
    EXPECT_EQ(0.2f, d->alphaMin);

    legacy.stripOn = 2; // only exactly 1 turns the strip on
    legacy.speedFactor = 1.0f;
    legacy.alpha = 255.0f;
    d = legacy.BuildModern();
    EXPECT_FALSE(d->stripOn);
    EXPECT_EQ(50u, d->speed.value);
    EXPECT_EQ(0u, d->transparency.value);
    EXPECT_EQ(255, d->transparency.scaled);
}

TEST_F(LegacySprites, DamagedNegativeValuesBecomeNothing)
{
    legacy.kind = kLegacyFish;
    legacy.count = -5;
    legacy.size = -1;
    legacy.speedFactor = -2.0f;
    legacy.stripFrameCount = -3;
    auto d = legacy.BuildModern();
    EXPECT_EQ(0u, d->count.value);
    EXPECT_EQ(0u, d->size.value);
    EXPECT_EQ(0u, d->speed.value);
    EXPECT_EQ(0u, d->stripFrameCount);
}

TEST_F(LegacySprites, DamagedNegativeSwayValuesBecomeNothing)
{
    // A flow's sway and sway frequency are stored derived values (3 and 0.25 per whole value):
    // below 0 they keep the value 0, as count, size and speed do.
    struct Case {
        float sway, swayFrequency;
        unsigned int swayValue, swayFrequencyValue;
    };
    const Case cases[] = {
        {-3.0f, -1.0f, 0, 0},
        {-0.1f, -0.25f, 0, 0},
        {-3.0f, 0.5f, 0, 2},
        {6.0f, -0.5f, 2, 0},
    };
    legacy.kind = kLegacyFlow;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "sway " << c.sway << ", frequency " << c.swayFrequency);
        legacy.sway = c.sway;
        legacy.swayFrequency = c.swayFrequency;
        auto d = legacy.BuildModern();
        auto* flow = dynamic_cast<DS_FlowConstructor*>(d.get());
        ASSERT_TRUE(flow);
        EXPECT_EQ(c.swayValue, flow->sway.value);
        EXPECT_EQ(3.0f * c.swayValue, flow->sway.scaled);
        EXPECT_EQ(c.swayFrequencyValue, flow->swayFrequency.value);
        EXPECT_EQ(0.25f * c.swayFrequencyValue, flow->swayFrequency.scaled);
    }
}

TEST_F(LegacySprites, TheAlternativeFlagTurnsOnTheAlphaPulse)
{
    legacy.kind = kLegacyFish;
    legacy.alternative = 1;
    legacy.alphaMin = 51;
    legacy.alphaMax = 204;
    legacy.alphaSpeed = 100.0f;
    auto d = legacy.BuildModern();
    EXPECT_FLOAT_EQ(0.2f, d->alphaMin);
    EXPECT_FLOAT_EQ(0.8f, d->alphaMax);
    EXPECT_FLOAT_EQ(0.33f, d->alphaRate);
}

TEST_F(LegacySprites, TheRectangleSnapsToWholePixels)
{
    ObjectSpaceScope odd(1023, 480);
    legacy.kind = kLegacySparkle;
    legacy.leftFraction = 0.25f;
    legacy.rightFraction = 0.75f;
    legacy.topFraction = 0.0f;
    legacy.bottomFraction = 1.0f;
    auto d = legacy.BuildModern();
    EXPECT_EQ(255.0f / 1023.0f, d->leftFraction);
    EXPECT_EQ(767.0f / 1023.0f, d->rightFraction);
    EXPECT_EQ(0.0f, d->topFraction);
    EXPECT_EQ(1.0f, d->bottomFraction);

    ObjectSpaceScope none(0, 0); // before any layout the fractions are taken as they stand
    d = legacy.BuildModern();
    EXPECT_EQ(0.25f, d->leftFraction);
    EXPECT_EQ(0.75f, d->rightFraction);
}

// --- Pictures ----------------------------------------------------------------------------------

TEST_F(LegacySprites, PicturesBecomeKeysOfTheCurrentManager)
{
    legacy.kind = kLegacyFish;
    legacy.firstPicture = ResourceRef(13, L"common_res.dll");
    auto d = legacy.BuildModern();
    EXPECT_EQ(ResKey(L"common_res.dll", 13), d->pictureKey);
    EXPECT_TRUE(d->secondPictureKey.name.empty());
    EXPECT_EQ(0, d->secondPictureKey.stamp);
}

TEST_F(LegacySprites, ASecondPictureWithAnIdIsTheSpritePictureAndTheFirstTheSecond)
{
    legacy.kind = kLegacyFish;
    legacy.firstPicture.name = L"overlay.bmp";
    legacy.secondPicture = ResourceRef(15, L"common_res.dll");
    legacy.pictureList = {ResourceRef(10, L"common_res.dll")}; // not used then
    auto d = legacy.BuildModern();
    EXPECT_EQ(ResKey(L"common_res.dll", 15), d->pictureKey);
    EXPECT_EQ(L"overlay.bmp", d->secondPictureKey.name);
}

TEST_F(LegacySprites, APictureListBecomesAnAnimationWithTheStripOff)
{
    legacy.kind = kLegacyFish;
    legacy.stripOn = 1;
    legacy.pictureList = {ResourceRef(10, L"common_res.dll"), ResourceRef(11, L"common_res.dll")};
    legacy.frameTimes = {0.1f, 0.3f};
    auto d = legacy.BuildModern();
    EXPECT_EQ(ResKey(L"common_res.dll", 10), d->pictureKey);
    EXPECT_FALSE(d->stripOn);
    const TextureAnim& anim = current.manager.data().textureAnims[d->pictureKey];
    EXPECT_EQ(2u, anim.frames.size());
    EXPECT_EQ((std::vector<float>{0.1f, 0.3f}), anim.frameDurations);
}

TEST_F(LegacySprites, PicturesAreRegisteredOncePerManager)
{
    legacy.kind = kLegacyFish;
    legacy.firstPicture.name = L"embedded.bmp"; // no library id: a new key at every registration
    legacy.firstPicture.data = {1, 2, 3};
    const ResKey key = legacy.BuildModern()->pictureKey;
    const size_t sources = current.manager.data().sources.size();
    for (int showing = 0; showing < 3; ++showing)
        EXPECT_EQ(key, legacy.BuildModern()->pictureKey);
    EXPECT_EQ(sources, current.manager.data().sources.size());

    CurrentManagerScope other; // another document's manager gets its own registration
    EXPECT_NE(key, legacy.BuildModern()->pictureKey);
    EXPECT_EQ(1u, other.manager.data().sources.size());
}

// --- The pixel parameters and the record -------------------------------------------------------

TEST(LegacySpritePixels, FollowTheFractionsAndSetThem)
{
    ObjectSpaceScope space(200, 100);
    DS_2D_Sprites_Constructor d;
    EXPECT_EQ(0u, d.leftPixels.value);
    EXPECT_EQ(200u, d.rightPixels.value);
    EXPECT_EQ(0u, d.topPixels.value);
    EXPECT_EQ(100u, d.bottomPixels.value);
    d.rightPixels.SetValue(50, nullptr);
    d.topPixels.SetValue(25, nullptr);
    EXPECT_EQ(0.25f, d.rightFraction);
    EXPECT_EQ(0.25f, d.topFraction);

    ObjectSpaceScope none(0, 0);
    d.leftPixels.SetValue(10, nullptr);
    EXPECT_EQ(0.0f, d.leftFraction) << "no change while object space has no size";
}

TEST(LegacySpriteWrite, WritesTheTitleRecordOnly)
{
    DS_2D_Sprites_Constructor d;
    d.title = L"old fish";
    d.kind = kLegacyFish;
    d.count = 12;
    d.size = 30;
    DocumentWriter written, expected;
    EXPECT_TRUE(d.Write(&written));
    // The base record alone: its tag, version 1 and the title; none of the legacy fields.
    expected.String(L"DS_ABObj_Constructor");
    expected.UInt(1);
    expected.String(L"old fish");
    EXPECT_EQ(expected.bytes, written.bytes);
}

} // namespace
