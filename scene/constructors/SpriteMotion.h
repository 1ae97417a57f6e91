// Motion steps that several sprite kinds share: drifting by the velocity, and the alpha pulse of
// the kinds that fade in and out (ghost, fog, sparkle, light ray).
#pragma once

#include "scene/constructors/DS_BaseSpriteProp.h"
#include "scene/objects/DS_Sprite.h"

// position += dt × velocity.
inline void DriftSprite(DS_Sprite* sprite, float dt)
{
    sprite->position.x += dt * sprite->velocityX;
    sprite->position.y += dt * sprite->velocityY;
}

// Moves the sprite's alpha by dt × its alpha rate; past either bound the alpha is set to that
// bound and the rate changes sign. True when it fell below the minimum.
inline bool PulseSpriteAlpha(DS_Sprite* sprite, float dt, float alphaMin, float alphaMax)
{
    sprite->alpha += dt * sprite->alphaRate;
    if (sprite->alpha < alphaMin) {
        sprite->alpha = alphaMin;
        sprite->alphaRate = -sprite->alphaRate;
        return true;
    }
    if (sprite->alpha > alphaMax) {
        sprite->alpha = alphaMax;
        sprite->alphaRate = -sprite->alphaRate;
    }
    return false;
}

// The pulse of a kind whose sprites come back elsewhere when they fade out: below the minimum
// the kind's InitSprite starts the sprite again, and it fades in from the minimum.
inline void PulseOrRespawn(DS_BaseSpriteProp& kind, DS_Sprite* sprite)
{
    if (PulseSpriteAlpha(sprite, kind.frameStep, kind.alphaMin, kind.alphaMax)) {
        kind.InitSprite(sprite);
        sprite->alpha = kind.alphaMin;
    }
}
