// The layout functions that read the back buffer of CurrentDevice, and the transforms the picture
// camera installs on it.
#include <gtest/gtest.h>

#include "document/CurrentDevice.h"
#include "scene/render/SceneTransforms.h"
#include "scene/render/ViewMetrics.h"
#include "tests/support/DeviceFixture.h"

namespace {

class LayoutDeviceTest : public DeviceTest {};

D3DXMATRIX Transform(IDirect3DDevice9* device, D3DTRANSFORMSTATETYPE which)
{
    D3DXMATRIX m;
    device->GetTransform(which, &m);
    return m;
}

TEST_F(LayoutDeviceTest, BackBufferQuadSpansTheBackBuffer)
{
    const QuadTemplate q = MakeBackBufferQuad();
    EXPECT_EQ(0.0f, q.Left());
    EXPECT_EQ(0.0f, q.Top());
    EXPECT_EQ(static_cast<float>(kWidth), q.Right());
    EXPECT_EQ(static_cast<float>(kHeight), q.Bottom());
}

TEST_F(LayoutDeviceTest, ScaleToBackBufferUsesTheDevicesSize)
{
    QuadTemplate q;
    MakeSizedQuad(q, 128, 96);
    ScaleQuadToBackBuffer(q, 128, 96);
    EXPECT_EQ(static_cast<float>(kWidth), q.Right());
    EXPECT_EQ(static_cast<float>(kHeight), q.Bottom());
}

TEST_F(LayoutDeviceTest, CameraInstallsIdentityWorldViewAndProjection)
{
    D3DXMATRIX junk;
    D3DXMatrixScaling(&junk, 3, 3, 3);
    device()->SetTransform(D3DTS_WORLD, &junk);
    QuadTemplate q;
    FitQuadLetterbox(q, 64, 128, kWidth, kHeight);
    SceneTransformsRecord transforms = InitSceneTransforms();
    SetupPictureCamera(transforms, kWidth, kHeight, q, 64, 128, false);

    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_TRUE(Transform(device(), D3DTS_WORLD) == identity);
    EXPECT_TRUE(Transform(device(), D3DTS_VIEW) == transforms.view);
    EXPECT_TRUE(Transform(device(), D3DTS_PROJECTION) == transforms.projection);
    // 64 × 128 fills the height 192: scale 1.5, moved right to x 80.
    EXPECT_FLOAT_EQ(1.5f, transforms.pictureWorld._11);
    EXPECT_FLOAT_EQ(80.0f, transforms.pictureWorld._41);
}

TEST_F(LayoutDeviceTest, ViewMetricsOfABackBufferLayout)
{
    QuadTemplate q;
    FitQuadLetterbox(q, 128, 32, kWidth, kHeight);
    SetViewMetrics(q, kWidth, kHeight, 128, 32);
    EXPECT_EQ(1.0f, ViewMetrics.aspectCorrection);
    EXPECT_EQ(1.0f, ViewMetrics.scaleX);
    EXPECT_EQ(1.0f, ViewMetrics.scaleY);
    EXPECT_EQ(64.0f, ViewMetrics.screenQuad.Top());
    EXPECT_EQ(128, ViewMetrics.Width);
    EXPECT_EQ(32, ViewMetrics.Height);
}

TEST_F(LayoutDeviceTest, WithoutADeviceTheLayoutIsLeftAlone)
{
    CurrentDevice = nullptr;
    QuadTemplate q;
    MakeSizedQuad(q, 10, 10);
    ScaleQuadToBackBuffer(q, 5, 5);
    EXPECT_EQ(10.0f, q.Right());
    SceneTransformsRecord transforms = InitSceneTransforms();
    SetupPictureCamera(transforms, 10, 10, q, 10, 10, false);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_TRUE(transforms.projection == identity);
    EXPECT_EQ(0.0f, MakeBackBufferQuad().Right());
}

} // namespace
