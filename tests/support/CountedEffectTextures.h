// An effect made to hold its textures as Windows' D3DX does, for one test.
//
// On Windows an ID3DXEffect keeps a counted reference to every texture set on one of its
// parameters until another texture (or null) is set there, so a render target handed to an
// effect stays alive, and blocks a device reset, until the effect lets go of it. Wine's effect
// keeps no such reference. While a CountedEffectTextures lives, the effect's SetTexture holds one
// reference per parameter name, as Windows would; the rest of the effect works unchanged.
//
// It points the effect object at a copy of its method table with SetTexture replaced, and puts
// the effect's own table back (releasing what it still holds) when it goes. Parameters are named
// by their strings, as the program names them. One at a time per process.
#pragma once

#include <d3dx9effect.h>

class CountedEffectTextures {
public:
    explicit CountedEffectTextures(ID3DXEffect* effect);
    ~CountedEffectTextures();
    CountedEffectTextures(const CountedEffectTextures&) = delete;
    CountedEffectTextures& operator=(const CountedEffectTextures&) = delete;

private:
    ID3DXEffect* effect_;
};
