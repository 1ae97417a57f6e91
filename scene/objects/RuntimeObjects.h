// The runtime objects of a slide, made from its descriptions in list order.
#pragma once

#include <list>
#include <memory>

#include "document/ObjectReader.h"
#include "scene/objects/DS_ABObj.h"

class DS_ABRender;
class DS_ViewObjCtrl;

using RuntimeObjectList = std::list<std::unique_ptr<DS_ABObj>>;

// Asks every description of `descriptions`, in order, for its runtime object and appends it to
// `objects`. A description that gives none (a kind without a runtime object, or no memory)
// adds nothing, so the list never holds a null object.
void MakeRuntimeObjects(const ObjectList& descriptions, RuntimeObjectList& objects);

// The selection outline of an object placed in a view rectangle: the rectangle as an outline
// quad, handed to the renderer with the object's selection state and the flag.
void RenderViewSelection(DS_ABRender* renderer, DS_ViewObjCtrl* view, int selectionState, int flag);
