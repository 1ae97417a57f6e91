#include "scene/objects/RuntimeObjects.h"

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
