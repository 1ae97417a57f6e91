#include "scene/constructors/SceneReaders.h"

#include "document/ObjectReader.h"

void RegisterSceneReaders()
{
    // One RegisterReader<Kind>() per object kind, as the kinds arrive.
}
