#include "scene/constructors/SceneReaders.h"

#include "document/ObjectReader.h"
#include "scene/constructors/DS_3D_in_2D_array_Constructor.h"
#include "scene/constructors/DS_ButterflyConstructor.h"

void RegisterSceneReaders()
{
    // One RegisterReader<Kind>() per object kind, as the kinds arrive.
    RegisterReader<DS_3D_in_2D_array_Constructor>();
    RegisterReader<DS_ButterflyConstructor>();
}
