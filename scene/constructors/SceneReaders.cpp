#include "scene/constructors/SceneReaders.h"

#include "document/ObjectReader.h"
#include "scene/constructors/DS_3D_in_2D_array_Constructor.h"
#include "scene/constructors/DS_ButterflyConstructor.h"
#include "scene/constructors/DS_FlowConstructor.h"
#include "scene/constructors/DS_FlowerConstructor.h"
#include "scene/constructors/DS_GrassConstructor.h"
#include "scene/constructors/DS_RainConstructor.h"
#include "scene/constructors/DS_StatObjConstructor.h"

void RegisterSceneReaders()
{
    // One RegisterReader<Kind>() per object kind, as the kinds arrive.
    RegisterReader<DS_FlowConstructor>();
    RegisterReader<DS_RainConstructor>();
    RegisterReader<DS_GrassConstructor>();
    RegisterReader<DS_StatObjConstructor>();
    RegisterReader<DS_FlowerConstructor>();
    RegisterReader<DS_3D_in_2D_array_Constructor>();
    RegisterReader<DS_ButterflyConstructor>();
}
