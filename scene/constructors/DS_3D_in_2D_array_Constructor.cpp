#include "scene/constructors/DS_3D_in_2D_array_Constructor.h"

#include <array>

#include "scene/constructors/DS_ViewObjCtrl.h"
#include "scene/objects/DS_3D_in_2D_array.h"

namespace {

// (1, 0, 0, 0) turned by `degrees` about z, y negated.
D3DXVECTOR4 TurnedUnit(float degrees)
{
    const float radians = degrees * D3DX_PI / 180.0f;
    D3DXMATRIX rotation;
    D3DXMatrixRotationZ(&rotation, radians);
    const D3DXVECTOR4 unit(1.0f, 0.0f, 0.0f, 0.0f);
    D3DXVECTOR4 turned;
    D3DXVec4Transform(&turned, &unit, &rotation);
    turned.y = -turned.y;
    return turned;
}

// The five values the record keeps between the two references and the angle, in record order.
std::array<uint32_t*, 5> RecordValues(LeafParams& p)
{
    return {&p.size, &p.speed, &p.sway, &p.driftChangeFrequency, &p.spin};
}

} // namespace

void LeafDirections(uint32_t degrees, D3DXVECTOR4& direction, D3DXVECTOR4& perpendicular)
{
    const float a = static_cast<float>(degrees);
    direction = TurnedUnit(a);
    perpendicular = TurnedUnit(a + 90.0f);
}

DS_3D_in_2D_array_Constructor::DS_3D_in_2D_array_Constructor()
{
    SetAngle(0);
}

void DS_3D_in_2D_array_Constructor::SetAngle(uint32_t degrees)
{
    params.angle = degrees;
    LeafDirections(degrees, params.direction, params.perpendicular);
}

bool DS_3D_in_2D_array_Constructor::Write(DS_IOF_Virtual* archive)
{
    WriteRecordHeader(archive, kClassName, kVersion);
    archive->WriteString(&title);
    archive->WriteULong(&count);
    archive->WriteResourceRef(&mesh);
    archive->WriteResourceRef(&texture);
    for (uint32_t* value : RecordValues(params))
        archive->WriteULong(value);
    archive->WriteULong(&params.angle);
    WriteRecord(archive);
    return true;
}

void DS_3D_in_2D_array_Constructor::ReadFields(DS_IOF_Virtual* archive)
{
    ReadBody(archive);
    ReadBase(archive);
}

void DS_3D_in_2D_array_Constructor::ReadBody(DS_IOF_Virtual* archive)
{
    archive->ReadString(&title);
    archive->ReadULong(&count);
    archive->ReadResourceRef(&mesh);
    archive->ReadResourceRef(&texture);
    for (uint32_t* value : RecordValues(params))
        archive->ReadULong(value);
    uint32_t angle = 0;
    archive->ReadULong(&angle);
    SetAngle(angle);
}

DS_3D_in_2D_array_Constructor* DS_3D_in_2D_array_Constructor::CreateFromStream(DS_IOF_Virtual* archive, uint32_t)
{
    auto* d = new DS_3D_in_2D_array_Constructor;
    try {
        d->ReadFields(archive);
    } catch (...) {
        delete d;
        throw;
    }
    return d;
}

DS_ABObj* DS_3D_in_2D_array_Constructor::CreateObject()
{
    return new DS_3D_in_2D_array(new DS_3D_in_2D_array_Constructor(*this));
}
