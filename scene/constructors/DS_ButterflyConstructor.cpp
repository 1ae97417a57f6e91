#include "scene/constructors/DS_ButterflyConstructor.h"

#include <memory>

#include "scene/objects/AC_Butterfly.h"

namespace {

constexpr const wchar_t* kLibrary = L"common_res.dll";

ResKey LibraryKey(int32_t id)
{
    return ResourceRef(id, kLibrary).GetKey();
}

// The reserved values are told to their listeners when a record changes them.
void ReadNotified(DS_IOF_Virtual* archive, UINTSclaleTo<float>& param)
{
    uint32_t v = 0;
    archive->ReadUInt(&v);
    param.SetValue(v, nullptr);
}

} // namespace

DS_ButterflyConstructor::DS_ButterflyConstructor()
    : bodyTextureKey(LibraryKey(kPictureId)), bodyMeshKey(LibraryKey(kBodyMeshId))
{
    reserved1.SetValue(50, nullptr);
    reserved2.SetValue(50, nullptr);
    secondMeshKey = LibraryKey(kWingMeshId);
    size.value = 100;
    viewFlag = true;
}

DS_ButterflyConstructor::DS_ButterflyConstructor(const DS_ButterflyConstructor& other)
    : DS_3D_Obj_Ctrl(other),
      bodyTextureKey(other.bodyTextureKey),
      bodyMeshKey(other.bodyMeshKey),
      reserved1(other.reserved1),
      reserved2(other.reserved2)
{
}

DS_ButterflyConstructor::~DS_ButterflyConstructor() = default;

DS_3D_Obj_Ctrl* DS_ButterflyConstructor::Clone() const
{
    return new DS_ButterflyConstructor(*this);
}

bool DS_ButterflyConstructor::Write(DS_IOF_Virtual* archive)
{
    WriteRecordHeader(archive, kClassName, kVersion);
    PrepareTextureKeySave(bodyTextureKey);
    WriteResKey(*archive, bodyTextureKey);
    PrepareMeshKeySave(bodyMeshKey);
    WriteResKey(*archive, bodyMeshKey);
    WriteParamValue(*archive, reserved1);
    WriteParamValue(*archive, reserved2);
    DS_3D_Obj_Ctrl::WriteRecord(archive);
    return true;
}

void DS_ButterflyConstructor::ReadFields(DS_IOF_Virtual* archive)
{
    ReadResKey(*archive, bodyTextureKey);
    ReadResKey(*archive, bodyMeshKey);
    ReadNotified(archive, reserved1);
    ReadNotified(archive, reserved2);
    DS_3D_Obj_Ctrl::ReadFields(archive);
}

DS_ButterflyConstructor* DS_ButterflyConstructor::CreateFromStream(DS_IOF_Virtual* archive, uint32_t)
{
    // A record that ends early throws; the half-read description goes with it.
    auto description = std::make_unique<DS_ButterflyConstructor>();
    description->ReadFields(archive);
    return description.release();
}

void DS_ButterflyConstructor::BuildMeshes(MeshElements& elements)
{
    elements.clear();
    elements.push_back(std::make_unique<DS_MeshElement>());
    elements.push_back(std::make_unique<DS_MeshElement>());
    elements[0]->SetTextureAndMesh(bodyTextureKey, bodyMeshKey);
    elements[1]->SetTextureAndMesh(secondTextureKey, secondMeshKey);
    elements[1]->alpha = true;
}

void DS_ButterflyConstructor::AttachInstances(const FlockRoots& roots, MeshElements& elements)
{
    if (elements.size() < 2)
        return;
    std::vector<DS_Frame*>& bodies = elements[0]->instances;
    std::vector<DS_Frame*>& wings = elements[1]->instances;
    bodies.clear();
    wings.clear();
    for (const FrameTreePtr<>& root : roots) {
        for (DS_Frame* wing : root->children)
            wings.push_back(wing);
        bodies.push_back(root.get());
    }
}

DS_Frame* DS_ButterflyConstructor::CreateInstance()
{
    FrameTreePtr<> root(new DS_Frame);
    D3DXMATRIX half, turn;
    D3DXMatrixScaling(&half, 0.5f, 0.5f, 0.5f);
    D3DXMatrixRotationY(&turn, D3DX_PI / 2.0f);
    root->local = half * turn;

    auto* flight = new AC_Butterfly(this);
    root->SetAnimation(flight);
    for (int i = 0; i < 2; ++i) {
        DS_Frame* wing = root->AddChild();
        D3DXMatrixIdentity(&wing->local);
        wing->SetAnimation(flight->TakeWing(i));
    }
    return root.release();
}
