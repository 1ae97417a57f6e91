// DS_ButterflyConstructor: a flock of butterflies. Each butterfly is a body mesh with two wings
// of one wing mesh (the second one mirrored), flown by AC_Butterfly inside the view rectangle.
// The body and wings come from the resource library by default (pictures and meshes 6, 68 and
// 69 of "common_res.dll"); the wing picture has no default and comes from the record.
//
// Record, version 1: tag "DS_ButterflyConstructor", version, body texture key, body mesh key
// (each a string name and an int64 stamp), uint reserved value 1, uint reserved value 2, then
// the DS_3D_Obj_Ctrl record.
#pragma once

#include "scene/constructors/DS_3D_Obj_Ctrl.h"

class DS_ButterflyConstructor : public DS_3D_Obj_Ctrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_ButterflyConstructor";
    static constexpr uint32_t kVersion = 1;
    // The library's butterfly picture (wings and body), body mesh and wing mesh.
    static constexpr int32_t kPictureId = 6;
    static constexpr int32_t kBodyMeshId = 68;
    static constexpr int32_t kWingMeshId = 69;

    DS_ButterflyConstructor();
    DS_ButterflyConstructor(const DS_ButterflyConstructor& other);
    ~DS_ButterflyConstructor() override;

    bool Write(DS_IOF_Virtual* archive) override;

    // Element 0 the bodies, element 1 the wings (blended).
    void BuildMeshes(MeshElements& elements) override;
    // Element 0 lists every body frame, element 1 every wing frame, butterfly by butterfly.
    void AttachInstances(const FlockRoots& roots, MeshElements& elements) override;
    // A body frame turned to fly along +x at half the model's size, with two wing frames.
    DS_Frame* CreateInstance() override;
    DS_3D_Obj_Ctrl* Clone() const override;

    // Fields 3 to 7 of the record (after the tag and version).
    void ReadFields(DS_IOF_Virtual* archive);
    static DS_ButterflyConstructor* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);

    ResKey bodyTextureKey;
    ResKey bodyMeshKey;
    // Kept in the record and copied; nothing uses them.
    UINTSclaleTo<float> reserved1;
    UINTSclaleTo<float> reserved2;
};
