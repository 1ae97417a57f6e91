#include "scene/constructors/DS_ViewObjCtrl.h"

#include "scene/common/ObjectSpace.h"
#include "scene/common/SceneMath.h"
#include "scene/objects/DS_Sprite.h"
#include "scene/render/QuadTemplate.h"

#include <cstring>

namespace {

using EdgeControl = DS_FunLightCtrl<int, DS_ViewObjCtrl>;

// pixels / size, or the fraction unchanged while the size is 0.
void SetFraction(float& fraction, int pixels, float size)
{
    if (size == 0.0f)
        return;
    fraction = static_cast<float>(pixels) / size;
}

void SyncEdge(MediaParamT<int>& edge, float fraction, float size)
{
    const int pixels = TruncToInt32(fraction * size);
    edge.SetValue(pixels, nullptr);
}

} // namespace

void WriteRecordHeader(DS_IOF_Virtual* archive, const wchar_t* tag, uint32_t version)
{
    const std::wstring name = tag;
    archive->WriteString(&name);
    archive->WriteULong(&version);
}

uint32_t ReadRecordHeader(DS_IOF_Virtual* archive)
{
    std::wstring tag;
    uint32_t version = 0;
    archive->ReadString(&tag);
    archive->ReadULong(&version);
    return version;
}

DS_ViewObjCtrl::DS_ViewObjCtrl() : speed(50u)
{
    BindEdgeListeners();
}

DS_ViewObjCtrl::DS_ViewObjCtrl(const DS_ViewObjCtrl& other)
    : DS_ABObj_Constructor(other),
      speed(other.speed.value),
      viewFlag(other.viewFlag),
      leftFraction(other.leftFraction),
      rightFraction(other.rightFraction),
      topFraction(other.topFraction),
      bottomFraction(other.bottomFraction)
{
    BindEdgeListeners();
}

DS_ViewObjCtrl::~DS_ViewObjCtrl() = default;

void DS_ViewObjCtrl::BindEdgeListeners()
{
    SyncPixelParams();
    binder.SetOwner<DS_ViewObjCtrl>(this, false);
    EdgeControl::Bind(binder, &DS_ViewObjCtrl::SetLeftFraction, pixelRect.left);
    EdgeControl::Bind(binder, &DS_ViewObjCtrl::SetRightFraction, pixelRect.right);
    EdgeControl::Bind(binder, &DS_ViewObjCtrl::SetTopFraction, pixelRect.top);
    EdgeControl::Bind(binder, &DS_ViewObjCtrl::SetBottomFraction, pixelRect.bottom);
}

float* DS_ViewObjCtrl::GetViewQuad(float out[20])
{
    QuadTemplate quad;
    SetQuadCorners(quad, LeftEdge(), TopEdge(), RightEdge(), BottomEdge());
    static_assert(sizeof(QuadTemplate) == 20 * sizeof(float), "a quad template is 20 floats");
    std::memcpy(out, &quad, sizeof quad);
    return out;
}

bool DS_ViewObjCtrl::HitTest(float, float)
{
    return false;
}

float DS_ViewObjCtrl::LeftEdge() const { return leftFraction * ObjectSpaceWidth(); }
float DS_ViewObjCtrl::RightEdge() const { return rightFraction * ObjectSpaceWidth(); }
float DS_ViewObjCtrl::TopEdge() const { return topFraction * ObjectSpaceHeight(); }
float DS_ViewObjCtrl::BottomEdge() const { return bottomFraction * ObjectSpaceHeight(); }

void DS_ViewObjCtrl::SetLeftFraction(int pixels) { SetFraction(leftFraction, pixels, ObjectSpaceWidth()); }
void DS_ViewObjCtrl::SetRightFraction(int pixels) { SetFraction(rightFraction, pixels, ObjectSpaceWidth()); }
void DS_ViewObjCtrl::SetTopFraction(int pixels) { SetFraction(topFraction, pixels, ObjectSpaceHeight()); }
void DS_ViewObjCtrl::SetBottomFraction(int pixels) { SetFraction(bottomFraction, pixels, ObjectSpaceHeight()); }

void DS_ViewObjCtrl::SyncPixelParams()
{
    SyncEdge(pixelRect.left, leftFraction, ObjectSpaceWidth());
    SyncEdge(pixelRect.right, rightFraction, ObjectSpaceWidth());
    SyncEdge(pixelRect.top, topFraction, ObjectSpaceHeight());
    SyncEdge(pixelRect.bottom, bottomFraction, ObjectSpaceHeight());
}

void DS_ViewObjCtrl::UpdateTime(float appTime)
{
    frameStep = ObjectClockStep(appTime, lastAppTime, speed.value);
    objectTime += frameStep;
    lastAppTime = appTime;
}

ScenePoint DS_ViewObjCtrl::RandomPoint() const
{
    ScenePoint p;
    const float left = LeftEdge();
    p.x = left + RandUnit() * (RightEdge() - left);
    const float top = TopEdge();
    p.y = top + RandUnit() * (BottomEdge() - top);
    return p;
}

ScenePoint DS_ViewObjCtrl::RandomPointInset(const DS_Sprite* sprite) const
{
    const float hw = sprite->halfWidth;
    const float hh = sprite->halfHeight;
    ScenePoint p;
    const float left = LeftEdge() + hw;
    p.x = left + RandUnit() * ((RightEdge() - hw) - left);
    const float top = TopEdge() + hh;
    p.y = top + RandUnit() * ((BottomEdge() - hh) - top);
    return p;
}

bool DS_ViewObjCtrl::Write(DS_IOF_Virtual* archive)
{
    WriteRecord(archive);
    return true;
}

void DS_ViewObjCtrl::WriteRecord(DS_IOF_Virtual* archive) const
{
    WriteRecordHeader(archive, kTag, kVersion);
    pixelRect.Write(*archive);
    archive->WriteFloat(&leftFraction);
    archive->WriteFloat(&rightFraction);
    archive->WriteFloat(&topFraction);
    archive->WriteFloat(&bottomFraction);
    archive->WriteBool(&viewFlag);
    WriteParamValue(*archive, speed);
    DS_ABObj_Constructor::WriteRecord(archive);
}

void DS_ViewObjCtrl::ReadFields(DS_IOF_Virtual* archive)
{
    ReadBody(archive, ReadRecordHeader(archive));
}

void DS_ViewObjCtrl::ReadBody(DS_IOF_Virtual* archive, uint32_t version)
{
    pixelRect.Read(*archive);
    archive->ReadFloat(&leftFraction);
    archive->ReadFloat(&rightFraction);
    archive->ReadFloat(&topFraction);
    archive->ReadFloat(&bottomFraction);
    archive->ReadBool(&viewFlag);
    if (version > 1)
        ReadParamValue(*archive, speed);
    ReadBase(archive);
}
