// How picture space (the background picture's pixels, x to the right, y downwards) maps onto the
// back buffer: the process-wide SceneTransforms matrices, rebuilt by every light layout.
//
// Drawing code composes an object's matrix with the picture world (object × picture world) so
// that positions in picture pixels land on the fitted picture.
#pragma once

#include <d3dx9.h>
#include <cstdint>

#include "scene/render/QuadTemplate.h"

struct SceneTransformsRecord {
    D3DXMATRIX pictureWorld; // picture pixels onto the fitted picture, in screen units
    D3DXMATRIX identity;     // also the device's WORLD transform after a layout
    D3DXMATRIX view;
    D3DXMATRIX projection;
};

// Every matrix the identity.
SceneTransformsRecord InitSceneTransforms();

extern SceneTransformsRecord SceneTransforms;

// The four matrices for a layout of layoutWidth × layoutHeight screen units on a back buffer of
// backWidth × backHeight pixels. `picture` is the fitted picture in back-buffer pixels (or the
// whole back buffer when stretching). A picture of size 0 counts as 800 × 600.
//
// The picture is scaled evenly by the ratio of the side it fills, then moved to the template's
// top-left corner; stretching then widens it so it spans the layout horizontally too.
void ComputePictureCamera(SceneTransformsRecord& transforms, float layoutWidth, float layoutHeight,
                          const QuadTemplate& picture, uint32_t pictureWidth, uint32_t pictureHeight, bool stretch,
                          uint32_t backWidth, uint32_t backHeight);

// The same with the back buffer of CurrentDevice; then WORLD := identity, VIEW and PROJECTION
// are set on the device. Nothing changes when the back buffer cannot be read.
void SetupPictureCamera(SceneTransformsRecord& transforms, float layoutWidth, float layoutHeight,
                        const QuadTemplate& picture, uint32_t pictureWidth, uint32_t pictureHeight, bool stretch);
