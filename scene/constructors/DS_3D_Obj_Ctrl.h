// DS_3D_Obj_Ctrl: what every flock of 3D objects shares (member count, size and the keys of a
// second textured mesh). Its runtime object is a DS_3DObjArray over a clone of the description:
// one frame tree per flock member and a few shared textured meshes, drawn once per instance.
// Each kind says which meshes it draws (BuildMeshes), how one member is put together
// (CreateInstance) and which frames each mesh is drawn at (AttachInstances).
//
// Record, version 1: tag "DS_3D_Obj_Ctrl", version, uint count, uint size (percent), second
// texture key, second mesh key (each a string name and an int64 stamp), then the DS_ViewObjCtrl
// record.
#pragma once

#include <list>
#include <memory>
#include <vector>

#include "document/ValueRecords.h"
#include "scene/constructors/DS_ViewObjCtrl.h"
#include "scene/render/Frame.h"
#include "scene/render/Meshes.h"

// The frame trees of a flock, one root per member, in the order they were made.
using FlockRoots = std::list<FrameTreePtr<>>;
// The shared textured meshes of a flock.
using MeshElements = std::vector<std::unique_ptr<DS_MeshElement>>;

class DS_3D_Obj_Ctrl : public DS_ViewObjCtrl {
public:
    static constexpr const wchar_t* kTag = L"DS_3D_Obj_Ctrl";
    static constexpr uint32_t kVersion = 1;
    // The most members a runtime flock makes, whatever a document asks for.
    static constexpr unsigned int kMaxInstances = 4096;

    DS_3D_Obj_Ctrl();
    // Copies the view part, count, size and both keys; parameters by value, without listeners.
    DS_3D_Obj_Ctrl(const DS_3D_Obj_Ctrl& other);
    ~DS_3D_Obj_Ctrl() override;

    // A DS_3DObjArray over Clone().
    DS_ABObj* CreateObject() override;

    // Fills `elements` with the kind's textured meshes.
    virtual void BuildMeshes(MeshElements& elements) = 0;
    // Lists, for every element, the frames of `roots` it is drawn at. The base lists none.
    virtual void AttachInstances(const FlockRoots& roots, MeshElements& elements);
    // A new member's frame tree; the caller owns it.
    virtual DS_Frame* CreateInstance() = 0;
    // A heap copy of the concrete kind; the caller owns it.
    virtual DS_3D_Obj_Ctrl* Clone() const = 0;

    void WriteRecord(DS_IOF_Virtual* archive) const;
    // The record with its tag and version.
    void ReadFields(DS_IOF_Virtual* archive);

    MediaParamT<unsigned int> count;
    MediaParamT<unsigned int> size; // percent of the model's own size
    ResKey secondTextureKey;
    ResKey secondMeshKey;
};

// Before a texture key is written: its pictures are to go into the document.
void PrepareTextureKeySave(const ResKey& key);
// Before a mesh key is written: its sources are to go into the document with it.
void PrepareMeshKeySave(const ResKey& key);
