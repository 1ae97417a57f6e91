#include "scene/constructors/DS_3D_Obj_Ctrl.h"

#include "document/DocResManager.h"
#include "scene/objects/DS_3DObjArray.h"

DS_3D_Obj_Ctrl::DS_3D_Obj_Ctrl() : count(1u), size(50u)
{
    speed.value = 50;
}

DS_3D_Obj_Ctrl::DS_3D_Obj_Ctrl(const DS_3D_Obj_Ctrl& other)
    : DS_ViewObjCtrl(other),
      count(other.count.value),
      size(other.size.value),
      secondTextureKey(other.secondTextureKey),
      secondMeshKey(other.secondMeshKey)
{
}

DS_3D_Obj_Ctrl::~DS_3D_Obj_Ctrl() = default;

DS_ABObj* DS_3D_Obj_Ctrl::CreateObject()
{
    return new DS_3DObjArray(Clone());
}

void DS_3D_Obj_Ctrl::AttachInstances(const FlockRoots&, MeshElements&)
{
}

void DS_3D_Obj_Ctrl::WriteRecord(DS_IOF_Virtual* archive) const
{
    WriteRecordHeader(archive, kTag, kVersion);
    WriteParamValue(*archive, count);
    WriteParamValue(*archive, size);
    PrepareTextureKeySave(secondTextureKey);
    WriteResKey(*archive, secondTextureKey);
    PrepareMeshKeySave(secondMeshKey);
    WriteResKey(*archive, secondMeshKey);
    DS_ViewObjCtrl::WriteRecord(archive);
}

void DS_3D_Obj_Ctrl::ReadFields(DS_IOF_Virtual* archive)
{
    ReadRecordHeader(archive);
    ReadParamValue(*archive, count);
    ReadParamValue(*archive, size);
    ReadResKey(*archive, secondTextureKey);
    ReadResKey(*archive, secondMeshKey);
    DS_ViewObjCtrl::ReadFields(archive);
}

void PrepareTextureKeySave(const ResKey& key)
{
    if (CurrentDocResManager)
        CurrentDocResManager->PrepareSave(key);
}

void PrepareMeshKeySave(const ResKey& key)
{
    if (!CurrentDocResManager || key.name.empty())
        return;
    DocResData& data = CurrentDocResManager->data();
    const auto known = data.sources.find(key);
    data.savedMeshSources[key] = known != data.sources.end() ? known->second : std::vector<ResourceRef>();
}
