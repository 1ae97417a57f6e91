#include "scene/lights/MutableLight.h"

#include "document/SceneDoc.h"
#include "scene/lights/MutableAqua.h"
#include "scene/lights/MutableFire.h"
#include "scene/lights/MutableLake.h"
#include "scene/lights/MutableMatrix.h"
#include "scene/lights/MutableNone.h"
#include "scene/lights/MutableRings.h"
#include "scene/objects/DS_ABObj.h"
#include "scene/render/LightLayout.h"

MutableLight::~MutableLight()
{
    for (DS_ABObj* object : objects)
        delete object;
}

void MutableLight::SetStretch(int)
{
}

void MutableLight::BeginFrame()
{
    // Ahead of the pass, which may redirect the frame into a render target.
    InstallLayout();
    BeginFramePass();
}

void MutableLight::InstallLayout() const
{
    PictureLayout().Install();
}

void MutableLight::AddSlideObjects(const SlideRecord& slide)
{
    for (DS_ABObj_Constructor* description : slide.objects) {
        DS_ABObj* object = description ? description->CreateObject() : nullptr;
        if (object)
            objects.push_back(object);
    }
}

void MutableLight::UpdateObjects(float appTime)
{
    InstallLayout();
    for (DS_ABObj* object : objects)
        object->Update(appTime);
}

void MutableLight::RenderObjects(const std::vector<DS_ABObj*>& objects, DS_ABRender* renderer)
{
    for (DS_ABObj* object : objects)
        object->Render(renderer);
}

MutableLight* CreateMutableLight(const SlideRecord* slide)
{
    if (!slide) {
        // A show without slides runs one still picture: the default one.
        SlideRecord blank;
        if (blank.picture.name != L"[blank]") {
            blank.picture.ReleaseBytes();
            blank.picture.name = L"[blank]";
        }
        return new MutableNone(blank);
    }
    switch (static_cast<uint32_t>(slide->kind)) {
    case kSlideUnderwater:
        return new MutableAqua(*slide);
    case kSlideLake:
        return new MutableLake(*slide);
    case kSlideFire:
        return new MutableFire(*slide);
    case kSlideRings:
        return new MutableRings(*slide);
    case kSlideGlyphs:
        return new MutableMatrix(*slide);
    // The glass-ball mode is not built yet; until it is, its slides are shown as pictures.
    case kSlideGlassBall:
    default:
        return new MutableNone(*slide);
    }
}
