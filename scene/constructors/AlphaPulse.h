// The alpha pulse of the sprite kinds that fade in and out (ghost, fog, sparkle, light ray).
#pragma once

#include "scene/objects/DS_Sprite.h"

// Moves the sprite's alpha by dt × its alpha rate; past either bound the alpha is set to that
// bound and the rate changes sign. True when it fell below the minimum: the kinds that respawn
// do so then.
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
