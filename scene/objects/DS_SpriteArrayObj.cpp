#include "scene/objects/DS_SpriteArrayObj.h"

#include <cstdlib>

#include "document/DocResManager.h"
#include "scene/common/SceneMath.h"
#include "scene/objects/DS_ABRender.h"
#include "scene/objects/RuntimeObjects.h"
#include "scene/render/BufferLocks.h"

DS_SpriteArrayObj::DS_SpriteArrayObj(DS_BaseSpriteProp* clone) : DS_ABObj(clone), spriteDescription(clone)
{
    if (CurrentDocResManager) {
        AssignAnimation(CurrentDocResManager->GetTextureAnim(clone->pictureKey));
        if (!clone->secondPictureKey.name.empty()) {
            const TextureAnim& second = CurrentDocResManager->GetTextureAnim(clone->secondPictureKey);
            if (!second.frames.empty())
                secondTexture = second.frames.front();
        }
    }
    binder.SetOwner<DS_SpriteArrayObj>(this, false);
    DS_FunLightCtrl<unsigned int, DS_SpriteArrayObj>::Bind(binder, &DS_SpriteArrayObj::SetSpriteCount, clone->count);
}

DS_SpriteArrayObj::~DS_SpriteArrayObj()
{
    sprites.clear();
    // The description's parameters detach the count listener, which the binder then deletes.
    delete spriteDescription;
    spriteDescription = nullptr;
    description = nullptr;
    secondTexture.Reset();
}

void DS_SpriteArrayObj::SetSpriteCount(unsigned int n)
{
    if (n == 0)
        return;
    if (n > DS_BaseSpriteProp::kMaxSprites)
        n = DS_BaseSpriteProp::kMaxSprites;
    BuildQuadBuffers(n);

    DS_BaseSpriteProp* d = spriteDescription;
    while (sprites.size() < n) {
        auto sprite = std::make_unique<DS_Sprite>();
        DS_Sprite::Init(sprite.get(), d);
        sprite->lastEventTime = 0.0f;
        sprite->alpha = 1.0f;
        sprite->alphaRate = d->alphaRate * (CoinToss() ? -1.0f : 1.0f);
        d->UpdateSpriteColour(sprite.get());
        DS_Sprite* s = sprite.get();
        sprites.push_back(std::move(sprite));
        d->InitSprite(s);
    }
}

void DS_SpriteArrayObj::BuildQuadBuffers(uint32_t quadCount)
{
    MakeVertexBuffer(4 * quadCount, vertices, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
    primitiveType = D3DPT_TRIANGLELIST;
    triangleCount = 2 * quadCount;

    indexBuffer.Reset();
    if (!CurrentDevice) {
        triangleCount = 0;
        return;
    }
    const UINT bytes = 6 * quadCount * sizeof(uint16_t);
    if (FAILED(CurrentDevice->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                                indexBuffer.Out(), nullptr))) {
        triangleCount = 0;
        return;
    }
    void* bits = nullptr;
    if (FAILED(LockBuffer(indexBuffer.Get(), 0, &bits)) || !bits) {
        // Unwritten indices could point anywhere: draw nothing instead.
        indexBuffer.Reset();
        triangleCount = 0;
        return;
    }
    lockedIndices = static_cast<uint16_t*>(bits);
    FillQuadIndices(quadCount, lockedIndices);
    lockedIndices = nullptr;
    indexBuffer->Unlock();
}

void DS_SpriteArrayObj::Update(float appTime)
{
    DS_BaseSpriteProp* d = spriteDescription;
    const uint32_t quads = QuadCount();
    if (quads != d->EffectiveCount())
        return;

    WriteVertices(vertices, [&](DX_V::PCT* out, uint32_t) {
        d->UpdateTime(appTime);
        for (const auto& sprite : sprites)
            d->UpdateSprite(sprite.get());

        auto it = sprites.begin();
        for (uint32_t i = 0; i < quads && it != sprites.end(); ++i, ++it) {
            float u0 = 0.0f, u1 = 1.0f;
            if (d->stripOn)
                StripStep(strip, d->stripFrameCount, d->stripRate, d->lastAppTime, u0, u1);
            WriteSpriteQuad(**it, u0, u1, out + 4 * i);
        }
    });
    AdvanceFrame(d->objectTime);
}

void DS_SpriteArrayObj::Render(DS_ABRender* renderer)
{
    renderer->DrawSpriteArray(this);
}

void DS_SpriteArrayObj::RenderSelection(DS_ABRender* renderer, int flag)
{
    RenderViewSelection(renderer, spriteDescription, selectionState, flag);
}

void DS_SpriteArrayObj::SyncViewParams()
{
    spriteDescription->SyncPixelParams();
}

bool DS_SpriteArrayObj::HitTest(const POINT* p)
{
    return spriteDescription->HitTest(static_cast<float>(p->x), static_cast<float>(p->y));
}

IDirect3DTexture9* DS_SpriteArrayObj::GetSecondTexture() const
{
    IDirect3DTexture9* t = secondTexture.Get();
    if (t)
        t->AddRef();
    return t;
}
