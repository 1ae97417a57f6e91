#include "scene/objects/RuntimeObjects.h"

#include "scene/constructors/DS_ViewObjCtrl.h"
#include "scene/objects/DS_ABRender.h"
#include "scene/render/QuadTemplate.h"

void MakeRuntimeObjects(const ObjectList& descriptions, RuntimeObjectList& objects)
{
    for (DS_ABObj_Constructor* description : descriptions) {
        if (!description)
            continue;
        std::unique_ptr<DS_ABObj> object(description->CreateObject());
        if (object)
            objects.push_back(std::move(object));
    }
}

void RenderViewSelection(DS_ABRender* renderer, DS_ViewObjCtrl* view, int selectionState, int flag)
{
    QuadTemplate quad;
    view->GetViewQuad(reinterpret_cast<float*>(&quad));
    OutlineQuad outline;
    MakeOutlineQuad(outline, quad);
    renderer->DrawSelection(&outline, selectionState, flag != 0);
}
