#include "scene/objects/DS_3DObjArray.h"

#include "scene/objects/DS_ABRender.h"
#include "scene/objects/RuntimeObjects.h"

DS_3DObjArray::DS_3DObjArray(DS_3D_Obj_Ctrl* clone) : DS_ABObj(clone), flockDescription(clone)
{
    clone->BuildMeshes(elements);
    binder.SetOwner<DS_3DObjArray>(this, false);
    DS_FunLightCtrl<unsigned int, DS_3DObjArray>::Bind(binder, &DS_3DObjArray::SetCount, clone->count);
}

DS_3DObjArray::~DS_3DObjArray()
{
    roots.clear();
    // The description's parameters detach the count listener, which the binder then deletes.
    delete flockDescription;
    flockDescription = nullptr;
    description = nullptr;
}

void DS_3DObjArray::SetCount(unsigned int n)
{
    if (n > DS_3D_Obj_Ctrl::kMaxInstances)
        n = DS_3D_Obj_Ctrl::kMaxInstances;
    while (roots.size() < n)
        roots.emplace_back(flockDescription->CreateInstance());
    while (roots.size() > n)
        roots.pop_front();
    flockDescription->AttachInstances(roots, elements);
}

void DS_3DObjArray::Update(float appTime)
{
    flockDescription->UpdateTime(appTime);
    for (const FrameTreePtr<>& root : roots)
        root->Update(nullptr);
}

void DS_3DObjArray::Render(DS_ABRender* renderer)
{
    for (const auto& element : elements)
        renderer->Draw3DObject(element.get());
}

void DS_3DObjArray::RenderSelection(DS_ABRender* renderer, int flag)
{
    RenderViewSelection(renderer, flockDescription, selectionState, flag);
}

void DS_3DObjArray::SyncViewParams()
{
    flockDescription->SyncPixelParams();
}

bool DS_3DObjArray::HitTest(const POINT* p)
{
    return flockDescription->HitTest(static_cast<float>(p->x), static_cast<float>(p->y));
}
