// DS_3D_in_2D_array: the runtime object of falling leaves. It owns a clone of its description and
// one textured mesh frame whose children are the leaves, each driven by a DS_LeafFallAnim over
// the clone's values. The light's renderer draws the mesh once per leaf (Draw3DArray).
//
// The leaves are made once, when the object is made; a later change of the count has no effect.
// A leaf mesh that cannot be made leaves the mesh frame without buffers: the leaves still move
// (so the slide's random sequence stays the same) but nothing is drawn. A leaf picture that
// cannot be made leaves the frame without a texture, and the leaves are drawn untextured.
#pragma once

#include <memory>

#include "scene/constructors/DS_3D_in_2D_array_Constructor.h"
#include "scene/objects/DS_ABObj.h"
#include "scene/render/Frame.h"
#include "scene/render/Meshes.h"

class DS_3D_in_2D_array : public DS_ABObj {
public:
    // Takes ownership of `clone`; loads the mesh and the picture and makes the leaves.
    explicit DS_3D_in_2D_array(DS_3D_in_2D_array_Constructor* clone);
    ~DS_3D_in_2D_array() override;

    void Render(DS_ABRender* renderer) override;
    void RenderSelection(DS_ABRender*, int) override {}
    // StreamAnimTime = appTime, then every leaf under the mesh frame's world.
    void Update(float appTime) override;
    void SyncViewParams() override {}

    // The picture and the mesh from the current resource cache, each taken when it loaded: the
    // frame keeps no texture without the picture and no buffers without the mesh.
    void LoadMeshAndTexture();
    // Adds leaves up to the (capped) count, or removes the oldest beyond it. A new leaf turns
    // about the mesh's centre.
    void SyncLeafCount();

    DS_MeshElement* MeshFrame() const { return meshFrame.get(); }
    DS_3D_in_2D_array_Constructor* Description() const { return leafDescription.get(); }

private:
    FrameTreePtr<DS_MeshElement> meshFrame;                 // the leaves are its children
    std::unique_ptr<DS_3D_in_2D_array_Constructor> leafDescription; // owned; also DS_ABObj::description
};
