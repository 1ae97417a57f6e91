#include "scene/constructors/SceneReaders.h"

#include "document/ObjectReader.h"
#include "document/SceneDoc.h"
#include "scene/constructors/DS_3D_in_2D_array_Constructor.h"
#include "scene/constructors/DS_ButterflyConstructor.h"
#include "scene/constructors/DS_BirdConstructor.h"
#include "scene/constructors/DS_FishConstructor.h"
#include "scene/constructors/DS_FogConstructor.h"
#include "scene/constructors/DS_GhostConstructor.h"
#include "scene/constructors/DS_GodRayConstructor.h"
#include "scene/constructors/DS_LightingConstructor.h"
#include "scene/constructors/DS_SparkleConstructor.h"
#include "scene/constructors/DS_FlowConstructor.h"
#include "scene/constructors/DS_FlowerConstructor.h"
#include "scene/constructors/DS_GrassConstructor.h"
#include "scene/constructors/DS_RainConstructor.h"
#include "scene/constructors/DS_StatObjConstructor.h"
#include "scene/constructors/LegacyObjectList.h"

void RegisterSceneReaders()
{
    // One RegisterReader<Kind>() per object kind, as the kinds arrive.
    RegisterReader<DS_FishConstructor>();
    RegisterReader<DS_BirdConstructor>();
    RegisterReader<DS_GhostConstructor>();
    RegisterReader<DS_FogConstructor>();
    RegisterReader<DS_SparkleConstructor>();
    RegisterReader<DS_GodRayConstructor>();
    RegisterReader<DS_LightingConstructor>();
    RegisterReader<DS_FlowConstructor>();
    RegisterReader<DS_RainConstructor>();
    RegisterReader<DS_GrassConstructor>();
    RegisterReader<DS_StatObjConstructor>();
    RegisterReader<DS_FlowerConstructor>();
    RegisterReader<DS_3D_in_2D_array_Constructor>();
    RegisterReader<DS_ButterflyConstructor>();
    // The older documents' object lists.
    SetLegacyObjectListReader(ReadLegacyObjectList);
}
