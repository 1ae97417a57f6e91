// DS_SpriteArrayObj: the runtime object of every 2D sprite kind. It owns a clone of its
// description, the description's sprites and one mesh with a textured quad per sprite, which it
// rewrites every frame from the sprites' positions, extents and axes. The light's renderer draws
// the whole array in one indexed call per texture pass.
//
// A listener on the description's count rebuilds the buffers; sprites are only ever added, so a
// smaller count leaves the extra sprites moving but undrawn.
#pragma once

#include <list>
#include <memory>

#include "document/params/Params.h"
#include "scene/constructors/DS_BaseSpriteProp.h"
#include "scene/objects/AnimatedTexture.h"
#include "scene/objects/DS_ABObj.h"
#include "scene/objects/DS_Sprite.h"
#include "scene/render/Meshes.h"

template <class V>
class DS_SpriteArrayT : public DS_IndexedMesh<V> {
};

class DS_SpriteArrayObj : public DS_ABObj, public AnimatedTexture<DS_SpriteArrayT<DX_V::PCT>> {
public:
    // Takes ownership of `clone`; fetches the textures and makes the sprites and buffers for the
    // current count at once.
    explicit DS_SpriteArrayObj(DS_BaseSpriteProp* clone);
    ~DS_SpriteArrayObj() override;

    void Render(DS_ABRender* renderer) override;
    void RenderSelection(DS_ABRender* renderer, int flag) override;
    void Update(float appTime) override;
    void SyncViewParams() override;
    bool HitTest(const POINT* p) override;

    // The count listener's setter: buffers for min(n, 16384) quads and sprites up to that many.
    // A count of 0 changes nothing.
    void SetSpriteCount(unsigned int n);

    // The second texture with a new reference, or null; the caller releases it.
    IDirect3DTexture9* GetSecondTexture() const;

    DS_BaseSpriteProp* Description() const { return spriteDescription; }
    uint32_t QuadCount() const { return vertices.count / 4; }
    const std::list<std::unique_ptr<DS_Sprite>>& Sprites() const { return sprites; }

    DS_BaseSpriteProp* spriteDescription; // owned; the same object as DS_ABObj::description
    ControlBinder binder;
    std::list<std::unique_ptr<DS_Sprite>> sprites;
    ComRef<IDirect3DTexture9> secondTexture;
    StripState strip;
    int selectionState = 0;

private:
    void BuildQuadBuffers(uint32_t quadCount);
};
