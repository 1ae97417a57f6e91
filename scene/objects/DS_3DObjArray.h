// DS_3DObjArray: the runtime object of a flock of 3D objects (butterflies). It owns a clone of
// its description, one frame tree per flock member and the shared textured meshes the members
// are drawn with; each frame every member's tree is animated, then the light's renderer draws
// each mesh once per listed instance frame, all of one mesh before the next.
//
// A listener on the description's count adds members at the back or removes the oldest ones at
// the front. Meshes or textures that cannot be made leave their mesh empty, so it draws nothing.
#pragma once

#include "document/params/Params.h"
#include "scene/constructors/DS_3D_Obj_Ctrl.h"
#include "scene/objects/DS_ABObj.h"

class DS_3DObjArray : public DS_ABObj {
public:
    // Takes ownership of `clone`; makes its meshes and the members for its current count.
    explicit DS_3DObjArray(DS_3D_Obj_Ctrl* clone);
    // The members' frame trees first (their animations still listen to the clone), then the
    // clone.
    ~DS_3DObjArray() override;

    void Render(DS_ABRender* renderer) override;
    void RenderSelection(DS_ABRender* renderer, int flag) override;
    void Update(float appTime) override;
    void SyncViewParams() override;
    bool HitTest(const POINT* p) override;

    // The count listener's setter: members up to min(n, the most a flock makes), new ones at
    // the back, surplus ones removed from the front; the meshes' instance lists follow.
    void SetCount(unsigned int n);

    DS_3D_Obj_Ctrl* Description() const { return flockDescription; }

    DS_3D_Obj_Ctrl* flockDescription; // owned; the same object as DS_ABObj::description
    FlockRoots roots;
    MeshElements elements;
    ControlBinder binder;
    int selectionState = 0;
};
