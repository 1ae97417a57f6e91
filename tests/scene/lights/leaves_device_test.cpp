// Falling leaves on a picture slide, on the device: the leaf mesh and picture load from a
// description's references, ten leaves show over the picture and move between two frames, a leaf
// mesh that cannot be made draws nothing and a leaf picture that cannot be made draws the leaves
// untextured, neither failing the slide.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "scene/constructors/DS_3D_in_2D_array_Constructor.h"
#include "scene/objects/DS_3D_in_2D_array.h"
#include "tests/scene/lights/LightFixture.h"

namespace {

// A flat diamond around (3, 1, 0): its bounding sphere has that centre and radius 2.
const char kDiamond[] = R"(xof 0303txt 0032
Mesh diamond {
 4;
 1.0;1.0;0.0;, 5.0;1.0;0.0;, 3.0;-1.0;0.0;, 3.0;3.0;0.0;;
 2;
 3;0,2,1;, 3;0,1,3;;
 MeshTextureCoords {
  4;
  0.0;0.5;, 1.0;0.5;, 0.5;0.0;, 0.5;1.0;;
 }
}
)";

constexpr uint32_t kBlue = 0x3060A0;
constexpr uint32_t kRed = 0xFF0000;

// The mesh frame holds something to draw.
bool HasBuffers(const DS_MeshElement& m)
{
    return m.vertices.buffer && m.indexBuffer && m.triangleCount > 0;
}

// Pixels of `rgb` inside the one-pixel edge strips, which the picture's edge filtering may touch.
size_t InnerCount(const PixelImage& image, uint32_t rgb)
{
    return image.Count(rgb, 1, 1, image.width - 1, image.height - 1);
}

size_t InnerPixels(const PixelImage& image)
{
    return size_t(image.width - 2) * (image.height - 2);
}

ResourceRef EmbeddedRef(const std::wstring& name, const Bytes& bytes)
{
    ResourceRef ref;
    ref.name = name;
    ref.data = bytes;
    return ref;
}

class LeavesDeviceTest : public LightTest {
protected:
    // Ten red leaves of 16 picture pixels falling over a blue 128 × 96 picture, which fills the
    // 256 × 192 back buffer.
    std::unique_ptr<SlideRecord> LeavesSlide(bool withMesh = true, bool withPicture = true)
    {
        auto* d = new DS_3D_in_2D_array_Constructor;
        d->count = 10;
        d->params.size = 16;
        d->params.sway = 30;
        d->params.driftChangeFrequency = 5;
        d->SetAngle(270);
        if (withMesh)
            d->mesh = EmbeddedRef(L"diamond.x", Bytes(kDiamond, kDiamond + std::strlen(kDiamond)));
        if (withPicture)
            d->texture = EmbeddedRef(L"red.png", Picture(4, 4, 0xFF000000u | kRed));
        auto slide = Slide(Picture(128, 96, 0xFF000000u | kBlue));
        slide->objects.push_back(d);
        return slide;
    }

    static DS_3D_in_2D_array* LeavesOf(MutableLight& light)
    {
        return light.objects.empty() ? nullptr : dynamic_cast<DS_3D_in_2D_array*>(light.objects.front());
    }

    // One frame at application time t, read back.
    PixelImage FrameAt(MutableLight& light, float t)
    {
        objectTime = t - 0.01f; // DrawFrame adds 10 ms
        DrawFrame(light, nullptr, true);
        return ReadBackBuffer();
    }
};

} // namespace

TEST_F(LeavesDeviceTest, MeshAndPictureLoadAndEveryLeafTurnsAboutTheMeshCentre)
{
    auto slide = LeavesSlide();
    std::unique_ptr<MutableLight> light(CreateMutableLight(slide.get()));
    DS_3D_in_2D_array* leaves = LeavesOf(*light);
    ASSERT_NE(nullptr, leaves);
    const DS_MeshElement* m = leaves->MeshFrame();
    EXPECT_TRUE(m->texture);
    EXPECT_TRUE(HasBuffers(*m));
    EXPECT_EQ(4u, m->vertices.count);
    EXPECT_EQ(2u, m->triangleCount);
    EXPECT_EQ(D3DPT_TRIANGLELIST, m->primitiveType);
    EXPECT_NEAR(2.0f, m->radius, 1e-5f);
    EXPECT_NEAR(3.0f, m->centre.x, 1e-5f);
    EXPECT_NEAR(1.0f, m->centre.y, 1e-5f);
    ASSERT_EQ(10u, m->children.size());
    for (const DS_Frame* leaf : m->children) {
        EXPECT_NEAR(2.0f, leaf->radius, 1e-5f);
        EXPECT_NEAR(-3.0f, leaf->local._41, 1e-5f);
        EXPECT_NEAR(-1.0f, leaf->local._42, 1e-5f);
        EXPECT_NEAR(0.0f, leaf->local._43, 1e-5f);
    }
}

TEST_F(LeavesDeviceTest, TenLeavesShowOverThePictureAndMove)
{
    auto slide = LeavesSlide();
    std::unique_ptr<MutableLight> light(CreateMutableLight(slide.get()));
    ASSERT_NE(nullptr, LeavesOf(*light));
    light->SetStretch(0);

    const PixelImage first = FrameAt(*light, 0.2f);
    SaveBackBufferPng(device(), L"leaves_first");
    const PixelImage second = FrameAt(*light, 0.4f);
    SaveBackBufferPng(device(), L"leaves_second");

    // Every pixel is the picture or a leaf.
    EXPECT_EQ(InnerCount(first, kBlue) + InnerCount(first, kRed), InnerPixels(first));
    // Ten leaves of up to 32 × 32 screen pixels, tumbling: a good number of leaf pixels.
    EXPECT_GT(first.Count(kRed), 500u);
    EXPECT_GT(second.Count(kRed), 500u);
    // Between the frames they fall 2 × 0.07..0.13 × 50 picture pixels: most leaf pixels move.
    size_t moved = 0;
    for (UINT y = 0; y < first.height; ++y)
        for (UINT x = 0; x < first.width; ++x)
            if (first.Rgb(x, y) == kRed && second.Rgb(x, y) != kRed)
                ++moved;
    EXPECT_GT(moved, first.Count(kRed) / 3);
}

// A leaf mesh or picture that cannot be made does not fail the slide: the leaves are there and
// move. Without the mesh nothing of them is drawn and the slide shows its picture; with the mesh
// but without the picture they are drawn untextured.
TEST_F(LeavesDeviceTest, AMissingMeshDrawsNothingAndAMissingPictureDrawsUntextured)
{
    const struct {
        bool mesh, picture, drawn;
    } cases[] = {{false, true, false}, {true, false, true}, {false, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mesh " << c.mesh << ", picture " << c.picture);
        auto slide = LeavesSlide(c.mesh, c.picture);
        std::unique_ptr<MutableLight> light(CreateMutableLight(slide.get()));
        DS_3D_in_2D_array* leaves = LeavesOf(*light);
        ASSERT_NE(nullptr, leaves);
        light->SetStretch(0);
        EXPECT_EQ(10u, leaves->MeshFrame()->children.size());
        EXPECT_EQ(c.mesh, HasBuffers(*leaves->MeshFrame()));
        EXPECT_EQ(c.picture, bool(leaves->MeshFrame()->texture));
        const PixelImage image = FrameAt(*light, 0.2f);
        const size_t picturePixels = InnerCount(image, kBlue);
        if (c.drawn) {
            // Ten untextured leaves of up to 32 × 32 screen pixels cover a good part of it.
            EXPECT_LT(picturePixels + 500, InnerPixels(image));
            EXPECT_EQ(0u, InnerCount(image, kRed)) << "no leaf picture to show";
        } else {
            EXPECT_EQ(InnerPixels(image), picturePixels);
        }
    }
}
