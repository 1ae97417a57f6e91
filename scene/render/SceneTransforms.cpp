#include "scene/render/SceneTransforms.h"

#include "document/CurrentDevice.h"
#include "scene/render/BackBuffer.h"

SceneTransformsRecord InitSceneTransforms()
{
    SceneTransformsRecord transforms;
    D3DXMatrixIdentity(&transforms.pictureWorld);
    D3DXMatrixIdentity(&transforms.identity);
    D3DXMatrixIdentity(&transforms.view);
    D3DXMatrixIdentity(&transforms.projection);
    return transforms;
}

SceneTransformsRecord SceneTransforms = InitSceneTransforms();

void ComputePictureCamera(SceneTransformsRecord& transforms, float layoutWidth, float layoutHeight,
                          const QuadTemplate& picture, uint32_t pictureWidth, uint32_t pictureHeight, bool stretch,
                          uint32_t backWidth, uint32_t backHeight)
{
    const PictureSize size = LayoutPictureSize(pictureWidth, pictureHeight);
    const float W = layoutWidth;
    const float H = layoutHeight;
    const float BW = static_cast<float>(backWidth);
    const float BH = static_cast<float>(backHeight);
    const float picW = static_cast<float>(size.width);
    const float picH = static_cast<float>(size.height);

    D3DXMatrixIdentity(&transforms.identity);

    const D3DXVECTOR3 eye(0.0f, 0.0f, -1.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&transforms.view, &eye, &at, &up);
    // Screen units with y growing downwards.
    D3DXMatrixOrthoOffCenterLH(&transforms.projection, 0.0f, W, H, 0.0f, -5000.0f, 5000.0f);

    // A picture that touches the top edge fills the height; any other fills the width.
    float scale;
    if (picture.Top() == 0.0f)
        scale = (BH / picH) * (H / BH);
    else
        scale = (BW / picW) * (W / BW);

    D3DXMATRIX scaling, translation;
    D3DXMatrixScaling(&scaling, scale, scale, 1.0f);
    D3DXMatrixTranslation(&translation, picture.Left() * W / BW, picture.Top() * H / BH, 0.0f);
    D3DXMATRIX world;
    D3DXMatrixMultiply(&world, &scaling, &translation);
    if (stretch)
        world._11 *= (picH / H) * W / picW;
    transforms.pictureWorld = world;
}

void SetupPictureCamera(SceneTransformsRecord& transforms, float layoutWidth, float layoutHeight,
                        const QuadTemplate& picture, uint32_t pictureWidth, uint32_t pictureHeight, bool stretch)
{
    const BackBufferSize back = CurrentBackBufferSize();
    if (!back.ok)
        return;
    ComputePictureCamera(transforms, layoutWidth, layoutHeight, picture, pictureWidth, pictureHeight, stretch,
                         back.width, back.height);
    CurrentDevice->SetTransform(D3DTS_WORLD, &transforms.identity);
    CurrentDevice->SetTransform(D3DTS_VIEW, &transforms.view);
    CurrentDevice->SetTransform(D3DTS_PROJECTION, &transforms.projection);
}
