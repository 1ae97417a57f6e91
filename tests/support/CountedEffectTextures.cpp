// The effect's method table is reached through the C view of the interfaces, which names its
// entries; this file alone is compiled with it. ComRef speaks the C++ view, so the references
// held here are counted by hand.
#define CINTERFACE
#include "tests/support/CountedEffectTextures.h"

#include <cassert>
#include <map>
#include <string>

namespace {

CountedEffectTextures* gActive = nullptr;
const ID3DXEffectVtbl* gOwnTable = nullptr; // the effect's own method table
ID3DXEffectVtbl gCountedTable;              // its copy with SetTexture replaced
std::map<std::string, IDirect3DBaseTexture9*> gHeld; // one reference per parameter name

void Hold(const std::string& parameter, IDirect3DBaseTexture9* texture)
{
    if (texture)
        texture->lpVtbl->AddRef(texture);
    IDirect3DBaseTexture9*& slot = gHeld[parameter];
    if (slot)
        slot->lpVtbl->Release(slot);
    slot = texture;
}

HRESULT STDMETHODCALLTYPE CountedSetTexture(ID3DXEffect* effect, D3DXHANDLE parameter, IDirect3DBaseTexture9* texture)
{
    const HRESULT hr = gOwnTable->SetTexture(effect, parameter, texture);
    if (SUCCEEDED(hr) && parameter)
        Hold(parameter, texture);
    return hr;
}

} // namespace

CountedEffectTextures::CountedEffectTextures(ID3DXEffect* effect) : effect_(effect)
{
    assert(!gActive && "one CountedEffectTextures at a time");
    gActive = this;
    gOwnTable = effect->lpVtbl;
    gCountedTable = *effect->lpVtbl;
    gCountedTable.SetTexture = CountedSetTexture;
    effect->lpVtbl = &gCountedTable;
}

CountedEffectTextures::~CountedEffectTextures()
{
    effect_->lpVtbl = const_cast<ID3DXEffectVtbl*>(gOwnTable);
    for (auto& [parameter, texture] : gHeld)
        if (texture)
            texture->lpVtbl->Release(texture);
    gHeld.clear();
    gActive = nullptr;
    gOwnTable = nullptr;
}
