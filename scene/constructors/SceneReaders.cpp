#include "scene/constructors/SceneReaders.h"

#include "document/ObjectReader.h"
#include "scene/constructors/DS_ButterflyConstructor.h"

void RegisterSceneReaders()
{
    // One RegisterReader<Kind>() per object kind, as the kinds arrive.
    RegisterReader<DS_ButterflyConstructor>();
}
