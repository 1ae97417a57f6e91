// Each light's own layout: the snapshot a layout routine captures, and the light-mode base that
// installs it before the light's objects move and before its first pass.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/CurrentDevice.h"
#include "scene/lights/MutableLight.h"
#include "scene/objects/DS_ABObj.h"
#include "scene/render/LightLayout.h"
#include "tests/support/DeviceFixture.h"

namespace {

D3DXMATRIX Scaling(float s)
{
    D3DXMATRIX m;
    D3DXMatrixScaling(&m, s, s, 1.0f);
    return m;
}

D3DXMATRIX DeviceTransform(D3DTRANSFORMSTATETYPE which)
{
    D3DXMATRIX m;
    CurrentDevice->GetTransform(which, &m);
    return m;
}

// A layout routine of the tests' own: object space `width` pixels wide, and view and projection
// matrices that tell one layout from another.
void LayOut(LightLayout& layout, int32_t width)
{
    ViewMetrics.Width = width;
    SceneTransforms.view = Scaling(2.0f);
    SceneTransforms.projection = Scaling(1.0f / static_cast<float>(width));
    layout.Capture();
}

// Writes down the width of object space each time it moves.
class WidthRecordingObject : public DS_ABObj {
public:
    explicit WidthRecordingObject(std::vector<int32_t>* seen) : DS_ABObj(nullptr), seen_(seen) {}
    void Render(DS_ABRender*) override {}
    void RenderSelection(DS_ABRender*, int) override {}
    void Update(float) override { seen_->push_back(ViewMetrics.Width); }
    void SyncViewParams() override {}

private:
    std::vector<int32_t>* seen_;
};

// A light mode that is nothing but its layout; its first pass writes down what it finds.
class LayoutOnlyMode : public MutableLight {
public:
    explicit LayoutOnlyMode(int32_t width) { LayOut(layout, width); }

    void Update(float) override {}
    void DrawObjects() override {}
    void DrawFadeQuad(DS_ScreenQuad*) override {}
    void EndFrame() override {}
    void ReleaseDeviceResources() override {}
    void RestoreRenderStates() override {}

    int32_t widthAtFirstPass = 0;
    D3DXMATRIX projectionAtFirstPass;
    LightLayout layout;

protected:
    void BeginFramePass() override
    {
        widthAtFirstPass = ViewMetrics.Width;
        projectionAtFirstPass = DeviceTransform(D3DTS_PROJECTION);
    }
    const LightLayout& PictureLayout() const override { return layout; }
};

class LightLayoutTest : public DeviceTest {};

TEST_F(LightLayoutTest, InstallRestoresTheRecordsAndTheDevicesViewAndProjection)
{
    LightLayout first, second;
    LayOut(first, 64);
    LayOut(second, 32);

    first.Install();
    EXPECT_EQ(64, ViewMetrics.Width);
    EXPECT_TRUE(SceneTransforms.projection == first.Transforms().projection);
    EXPECT_TRUE(DeviceTransform(D3DTS_VIEW) == Scaling(2.0f));
    EXPECT_TRUE(DeviceTransform(D3DTS_PROJECTION) == Scaling(1.0f / 64.0f));

    // A layout never captured installs nothing.
    LightLayout never;
    never.Install();
    EXPECT_FALSE(never.IsCaptured());
    EXPECT_EQ(64, ViewMetrics.Width);
    EXPECT_TRUE(DeviceTransform(D3DTS_PROJECTION) == Scaling(1.0f / 64.0f));
}

// The mode only hands its layout out; the base installs it, so a mode cannot forget to.
TEST_F(LightLayoutTest, BaseInstallsTheLayoutBeforeObjectsMoveAndBeforeTheFirstPass)
{
    std::vector<int32_t> seen;
    LayoutOnlyMode wide(64);
    wide.objects.push_back(new WidthRecordingObject(&seen));
    LayoutOnlyMode narrow(32); // laid out last: its layout is the process-wide one now
    narrow.objects.push_back(new WidthRecordingObject(&seen));

    wide.UpdateObjects(0.1f);
    narrow.UpdateObjects(0.1f);
    wide.UpdateObjects(0.2f);
    EXPECT_EQ((std::vector<int32_t>{64, 32, 64}), seen);

    narrow.BeginFrame();
    wide.BeginFrame();
    EXPECT_EQ(32, narrow.widthAtFirstPass);
    EXPECT_TRUE(narrow.projectionAtFirstPass == Scaling(1.0f / 32.0f));
    EXPECT_EQ(64, wide.widthAtFirstPass);
    EXPECT_TRUE(wide.projectionAtFirstPass == Scaling(1.0f / 64.0f));
}

} // namespace
