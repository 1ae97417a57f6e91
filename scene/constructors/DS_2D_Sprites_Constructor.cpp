#include "scene/constructors/DS_2D_Sprites_Constructor.h"

#include <cmath>

#include "document/DocResManager.h"
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
#include "scene/common/ObjectSpace.h"
#include "scene/common/SceneMath.h"

namespace {

using PixelControl = DS_FunLightCtrl<unsigned int, DS_2D_Sprites_Constructor>;

// The single-precision π the legacy angle arithmetic was done with.
constexpr float kPi = 3.1415927f;

unsigned int EdgePixels(float fraction, float size)
{
    const int32_t pixels = TruncToInt32(fraction * size);
    return pixels < 0 ? 0u : static_cast<unsigned int>(pixels);
}

void SetFraction(float& fraction, unsigned int pixels, float size)
{
    if (size == 0.0f)
        return;
    fraction = static_cast<float>(pixels) / size;
}

// A stored count or size, never below 0.
unsigned int NotNegative(int32_t value)
{
    return value < 0 ? 0u : static_cast<unsigned int>(value);
}

// A stored derived value, never below 0: a negative one has no parameter value of its own.
float NotNegative(float value)
{
    return value < 0.0f ? 0.0f : value;
}

// A legacy fraction as the modern description keeps it: snapped to whole pixels of the present
// object space, or as it stands while that space has no size.
float SnappedFraction(float fraction, float size)
{
    if (size == 0.0f)
        return fraction;
    return static_cast<float>(TruncToInt32(fraction * size)) / size;
}

// Degrees as an unsigned angle of 0 to 359 that turns the same way.
unsigned int WholeTurnDegrees(int degrees)
{
    return static_cast<unsigned int>(((degrees % 360) + 360) % 360);
}

} // namespace

uint32_t LegacyTransparency(float alpha)
{
    // The alpha is widened and the factor is a double: in single precision alpha 127.5 and 51
    // would round to other whole numbers.
    const int32_t t = TruncToInt32(100.0 - static_cast<double>(alpha) * 0.39215687);
    if (t < 0)
        return 0;
    return t > 100 ? 100u : static_cast<uint32_t>(t);
}

DS_2D_Sprites_Constructor::DS_2D_Sprites_Constructor()
    : leftPixels(LeftEdge()), rightPixels(RightEdge()), topPixels(TopEdge()), bottomPixels(BottomEdge())
{
    D3DXMatrixIdentity(&directionMatrix);
    binder.SetOwner<DS_2D_Sprites_Constructor>(this, false);
    PixelControl::Bind(binder, &DS_2D_Sprites_Constructor::SetLeftFraction, leftPixels);
    PixelControl::Bind(binder, &DS_2D_Sprites_Constructor::SetRightFraction, rightPixels);
    PixelControl::Bind(binder, &DS_2D_Sprites_Constructor::SetTopFraction, topPixels);
    PixelControl::Bind(binder, &DS_2D_Sprites_Constructor::SetBottomFraction, bottomPixels);
}

DS_2D_Sprites_Constructor::~DS_2D_Sprites_Constructor() = default;

bool DS_2D_Sprites_Constructor::Write(DS_IOF_Virtual* archive)
{
    WriteRecord(archive);
    return true;
}

unsigned int DS_2D_Sprites_Constructor::LeftEdge() const { return EdgePixels(leftFraction, ObjectSpaceWidth()); }
unsigned int DS_2D_Sprites_Constructor::RightEdge() const { return EdgePixels(rightFraction, ObjectSpaceWidth()); }
unsigned int DS_2D_Sprites_Constructor::TopEdge() const { return EdgePixels(topFraction, ObjectSpaceHeight()); }
unsigned int DS_2D_Sprites_Constructor::BottomEdge() const { return EdgePixels(bottomFraction, ObjectSpaceHeight()); }

void DS_2D_Sprites_Constructor::SetLeftFraction(unsigned int pixels) { SetFraction(leftFraction, pixels, ObjectSpaceWidth()); }
void DS_2D_Sprites_Constructor::SetRightFraction(unsigned int pixels) { SetFraction(rightFraction, pixels, ObjectSpaceWidth()); }
void DS_2D_Sprites_Constructor::SetTopFraction(unsigned int pixels) { SetFraction(topFraction, pixels, ObjectSpaceHeight()); }
void DS_2D_Sprites_Constructor::SetBottomFraction(unsigned int pixels) { SetFraction(bottomFraction, pixels, ObjectSpaceHeight()); }

int DS_2D_Sprites_Constructor::GetDirectionDegrees() const
{
    // Single precision throughout, as the records were written: in double the axis directions
    // would come out one degree short.
    const float radians = atan2f(-motion.y, -motion.x);
    const float degrees = 180.0f - radians * 180.0f / kPi;
    return TruncToInt32(degrees);
}

void DS_2D_Sprites_Constructor::SetDirectionDegrees(unsigned int degrees)
{
    D3DXMatrixRotationZ(&directionMatrix, static_cast<float>(degrees) * kPi / 180.0f);
    const float speed = sqrtf(motion.x * motion.x + motion.y * motion.y);
    const D3DXVECTOR4 along(speed, 0.0f, 0.0f, 0.0f);
    D3DXVECTOR4 turned;
    D3DXVec4Transform(&turned, &along, &directionMatrix);
    // Counter-clockwise on the screen, whose y runs downwards.
    motion.x = turned.x;
    motion.y = -turned.y;
}

int DS_2D_Sprites_Constructor::RotationDegrees() const
{
    return TruncToInt32(rotation * -180.0f / kPi);
}

std::unique_ptr<DS_BaseSpriteProp> DS_2D_Sprites_Constructor::BuildModern()
{
    std::unique_ptr<DS_BaseSpriteProp> d;
    switch (kind) {
    case kLegacyFlow:
    case kLegacyViewFlow: {
        std::unique_ptr<DS_FlowConstructor> flow;
        if (alternative != 0)
            flow.reset(new DS_RainConstructor);
        else
            flow.reset(new DS_FlowConstructor);
        flow->speed = sqrtf(motion.y * motion.y + motion.x * motion.x);
        flow->angle.value = static_cast<unsigned int>(GetDirectionDegrees());
        flow->sway.SetFromScaled(NotNegative(sway));
        flow->swayFrequency.SetFromScaled(NotNegative(swayFrequency));
        flow->scaleMin = flowScaleMin;
        flow->scaleMax = 1.0f;
        d = std::move(flow);
        break;
    }
    case kLegacyFish:
    case kLegacyViewFish:
    case kLegacyBird: {
        std::unique_ptr<DS_FishConstructor> fish;
        if (kind == kLegacyBird)
            fish.reset(new DS_BirdConstructor);
        else if (alternative != 0)
            fish.reset(new DS_GhostConstructor);
        else
            fish.reset(new DS_FishConstructor);
        fish->maxSpeedX = motion.x;
        fish->maxSpeedY = motion.y;
        d = std::move(fish);
        break;
    }
    case kLegacyGodRay: d.reset(new DS_GodRayConstructor); break;
    case kLegacyGrass: d.reset(new DS_GrassConstructor); break;
    case kLegacyLightning: d.reset(new DS_LightingConstructor); break;
    case kLegacyFog: d.reset(new DS_FogConstructor); break;
    case kLegacyStatic:
    case kLegacyFlower: {
        std::unique_ptr<DS_StatObjConstructor> picture;
        if (kind == kLegacyFlower)
            picture.reset(new DS_FlowerConstructor);
        else
            picture.reset(new DS_StatObjConstructor);
        picture->bounds.extra1.value = TruncToInt32(motion.x);
        picture->bounds.extra2.value = TruncToInt32(motion.y);
        picture->horizontalFlip.value = xScaleSign < 0 ? 1 : 0;
        picture->verticalFlip.value = yScaleSign < 0 ? 1 : 0;
        picture->rotation.value = WholeTurnDegrees(RotationDegrees());
        d = std::move(picture);
        break;
    }
    case kLegacySparkle: d.reset(new DS_SparkleConstructor); break;
    default: return nullptr; // kind 5 and unknown kinds never had an object
    }
    CopyPropertiesTo(*d);
    return d;
}

DS_ABObj* DS_2D_Sprites_Constructor::CreateObject()
{
    // The modern description is a temporary: its runtime object owns a clone of it.
    std::unique_ptr<DS_BaseSpriteProp> modern = BuildModern();
    return modern ? modern->CreateObject() : nullptr;
}

void DS_2D_Sprites_Constructor::CopyPropertiesTo(DS_BaseSpriteProp& d)
{
    d.title = title;
    d.count.value = NotNegative(count);
    d.size.value = NotNegative(size);
    d.blendMode.value = blendMode;
    d.colour.value = colour;

    d.reservedCount = NotNegative(reservedCount);
    d.reservedRate = reservedRate;
    d.stripFrameCount = NotNegative(stripFrameCount);
    d.stripRate = stripRate;
    d.stripOn = stripOn == 1;

    // Through the notifying path, so that the opacity byte follows.
    const uint32_t transparency = LegacyTransparency(alpha);
    if (transparency != d.transparency.value)
        d.transparency.SetValue(transparency, nullptr);

    const int32_t speed = TruncToInt32(speedFactor * 50.0f);
    d.speed.value = NotNegative(speed);

    const float w = ObjectSpaceWidth();
    const float h = ObjectSpaceHeight();
    d.leftFraction = SnappedFraction(leftFraction, w);
    d.rightFraction = SnappedFraction(rightFraction, w);
    d.topFraction = SnappedFraction(topFraction, h);
    d.bottomFraction = SnappedFraction(bottomFraction, h);

    ConvertPictures();
    d.pictureKey = pictureKeys_.picture;
    d.secondPictureKey = pictureKeys_.secondPicture;
    if (pictureKeys_.fromList)
        d.stripOn = false;

    if (alternative != 0) {
        d.alphaMin = static_cast<float>(alphaMin) / 255.0f;
        d.alphaMax = static_cast<float>(alphaMax) / 255.0f;
        d.alphaRate = alphaSpeed * 3.3f / 1000.0f;
    }
    if (kind == kLegacyViewFlow || kind == kLegacyViewFish || kind == kLegacyBird)
        d.viewFlag = true;
}

void DS_2D_Sprites_Constructor::ConvertPictures()
{
    // Pictures without a library id get a new key each time they are registered, so they are
    // registered once per manager: showing the slide again reuses the keys.
    DS_DocResManager* manager = CurrentDocResManager;
    if (manager && pictureKeys_.manager == manager)
        return;
    pictureKeys_ = PictureKeys();
    pictureKeys_.manager = manager;
    if (!manager)
        return;
    if (secondPicture.resourceId != 0) {
        pictureKeys_.picture = manager->RegisterRef(secondPicture);
        pictureKeys_.secondPicture = manager->RegisterRef(firstPicture);
    } else if (!pictureList.empty()) {
        pictureKeys_.picture = manager->RegisterRefList(pictureList, frameTimes);
        pictureKeys_.fromList = true;
    } else {
        pictureKeys_.picture = manager->RegisterRef(firstPicture);
    }
}
