// The background picture quad of the light modes: a textured quad in picture pixels, from (0, 0)
// at the top left to (width, height), which the picture world matrix places on the screen.
#pragma once

#include <d3d9.h>
#include <cstdint>

#include "document/ResourceCache.h"
#include "scene/render/Meshes.h"

// Opaque white, texture coordinates (0,1), (0,0), (1,1), (1,0), positions 0.
void FillPictureQuadVertices(DX_V::PCT* vertices);
// Positions (0, h, 0), (0, 0, 0), (w, h, 0), (w, 0, 0); colours and texture coordinates not written.
void SetPictureQuadCorners(DX_V::PCT* vertices, float width, float height);

// The quad carries the picture it shows as a texture animation (anim); only frame 0 is drawn.
// The animation goes first when the quad is destroyed, then the quad with its own texture.
class PictureQuad : public DS_TexturedQuad<DX_V::PCT> {
public:
    PictureQuad() { anim.aspect = 1.0f; }

    // A new quad buffer, opaque white, with the texture coordinates in place.
    HRESULT MakeBuffer();

    // The picture's texture (one reference added, the one held before released) and corners
    // at the picture's size.
    void SetFromTextureInfo(const TextureInfo& picture);
    void SetPicture(IDirect3DTexture9* picture, uint32_t width, uint32_t height);
    // The same from the animation's frame 0 and its width and height. An animation without
    // frames leaves the quad without a texture, so it draws untextured.
    void SetFromTextureAnim(const TextureAnim& picture);

    TextureAnim anim; // empty, aspect 1.0, until the owner assigns a picture
};
