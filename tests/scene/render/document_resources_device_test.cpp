// The toolkit pieces that take their pictures and meshes from the document's resources: the
// picture quad shown from a texture animation, mesh elements filled by resource key, and the
// lake's bump map and square reflection copy.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "scene/render/LakeGround.h"
#include "scene/render/Meshes.h"
#include "scene/render/PictureQuad.h"
#include "tests/support/DeviceFixture.h"
#include "tests/support/TestPictures.h"

namespace {

constexpr uint32_t kMagenta = 0xFF00FF;

// A quad from (-1, -1) to (1, 1) in the plane z = 0: 4 vertices, 2 faces.
const char kQuadMesh[] =
    "xof 0303txt 0032\n"
    "Mesh { 4; -1.0;-1.0;0.0;, -1.0;1.0;0.0;, 1.0;-1.0;0.0;, 1.0;1.0;0.0;;\n"
    "       2; 3;0,1,2;, 3;2,1,3;;\n"
    "       MeshTextureCoords { 4; 0.0;1.0;, 0.0;0.0;, 1.0;1.0;, 1.0;0.0;; } }\n";

// Untextured-safe plain drawing: no depth, no lighting, no culling, colour from the texture.
void SetPlainStates(IDirect3DDevice9* device)
{
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
}

void SetTransforms(IDirect3DDevice9* device, const D3DXMATRIX& world, const D3DXMATRIX& view,
                   const D3DXMATRIX& projection)
{
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
}

// A document resource manager made current for one test (its cache becomes current too).
class DocumentResourcesTest : public DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        manager.reset(new DS_DocResManager);
        CurrentDocResManager = manager.get();
    }
    // The manager goes before the device; DeviceTest::TearDown puts the current objects back.
    void TearDown() override
    {
        manager.reset();
        DeviceTest::TearDown();
    }

    // A picture key whose animation holds the given frames, 64 × 48.
    ResKey PutPicture(const wchar_t* name, std::vector<ComRef<IDirect3DTexture9>> frames)
    {
        const ResKey key(name, 1);
        TextureAnim& anim = manager->data().textureAnims[key];
        anim.frames = std::move(frames);
        anim.frameDurations.assign(anim.frames.size(), 0.5f);
        anim.width = 64;
        anim.height = 48;
        anim.aspect = 0.75f;
        return key;
    }
    // A mesh key whose source is the quad mesh embedded in the document.
    ResKey PutQuadMesh(const wchar_t* name)
    {
        const ResKey key(name, 2);
        ResourceRef source;
        source.name = name;
        source.data.assign(kQuadMesh, kQuadMesh + sizeof(kQuadMesh) - 1);
        manager->data().sources[key] = {source};
        return key;
    }

    std::unique_ptr<DS_DocResManager> manager;
};

// ---------------------------------------------------------------------------------------------
// The picture quad from a texture animation

TEST_F(DocumentResourcesTest, PictureQuadStartsWithAnEmptyAnimationOfAspectOne)
{
    PictureQuad quad;
    EXPECT_TRUE(quad.anim.frames.empty());
    EXPECT_EQ(1.0f, quad.anim.aspect);
    EXPECT_EQ(0u, quad.anim.width);
}

// Frame 0 becomes the texture and the corners the animation's size: drawn in back-buffer pixels
// the picture covers exactly 64 × 48 at the top left, and frame 1 is never shown.
TEST_F(DocumentResourcesTest, PictureQuadShowsFrameZeroAtTheAnimationsSize)
{
    ComRef<IDirect3DTexture9> red = SolidTexture(device(), 4, 4, 0xFFFF0000);
    ComRef<IDirect3DTexture9> green = SolidTexture(device(), 4, 4, 0xFF00FF00);
    ASSERT_TRUE(red && green);
    const ULONG redAlone = RefCount(red.Get()), greenAlone = RefCount(green.Get());

    PictureQuad quad;
    ASSERT_EQ(D3D_OK, quad.MakeBuffer());
    quad.anim = manager->GetTextureAnim(PutPicture(L"two-frames.png", {red, green}));
    quad.SetFromTextureAnim(quad.anim);
    EXPECT_EQ(red.Get(), quad.texture.Get());
    // Frame 1 is held by the two animations (the manager's and the quad's copy), not as a texture.
    EXPECT_EQ(greenAlone + 2, RefCount(green.Get()));

    SetPlainStates(device());
    D3DXMATRIX identity, projection;
    D3DXMatrixIdentity(&identity);
    D3DXMatrixOrthoOffCenterLH(&projection, 0.0f, float(kWidth), float(kHeight), 0.0f, -1.0f, 1.0f);
    SetTransforms(device(), identity, identity, projection);
    device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u | kMagenta, 1.0f, 0);
    ASSERT_EQ(D3D_OK, device()->BeginScene());
    ASSERT_TRUE(quad.Bind());
    device()->DrawPrimitive(quad.primitiveType, 0, quad.primitiveCount);
    device()->EndScene();

    const PixelImage image = ReadBackBuffer();
    EXPECT_EQ(64u * 48u, image.Count(0xFF0000, 0, 0, 64, 48));
    EXPECT_EQ(image.width * image.height - 64u * 48u, image.Count(kMagenta));
    EXPECT_EQ(0u, image.Count(0x00FF00));

    // An animation without frames takes the texture away (and releases it); the size still applies.
    TextureAnim empty;
    quad.SetFromTextureAnim(empty);
    EXPECT_FALSE(quad.texture);
    quad.anim = TextureAnim();
    EXPECT_EQ(redAlone + 1, RefCount(red.Get())); // only the manager's animation keeps one
}

// ---------------------------------------------------------------------------------------------
// Mesh elements by resource key

TEST_F(DocumentResourcesTest, MeshElementTakesFrameZeroAndTheDocumentsMesh)
{
    ComRef<IDirect3DTexture9> red = SolidTexture(device(), 4, 4, 0xFFFF0000);
    ComRef<IDirect3DTexture9> blue = SolidTexture(device(), 4, 4, 0xFF0000FF);
    ComRef<IDirect3DTexture9> old = SolidTexture(device(), 4, 4, 0xFF000000);
    const ULONG oldAlone = RefCount(old.Get());
    const ResKey pictureKey = PutPicture(L"body.png", {red, blue});
    const ResKey meshKey = PutQuadMesh(L"body.x");

    DS_MeshElement element;
    element.SetTexture(old.Get());
    element.SetTextureAndMesh(pictureKey, meshKey);

    EXPECT_EQ(oldAlone, RefCount(old.Get())) << "the texture it replaces is released";
    EXPECT_EQ(red.Get(), element.texture.Get());
    const MeshRecord& mesh = manager->GetMesh(meshKey, 32);
    ASSERT_TRUE(mesh.Loaded());
    EXPECT_EQ(mesh.vertexBuffer.Get(), element.vertices.buffer.Get());
    EXPECT_EQ(mesh.indexBuffer.Get(), element.indexBuffer.Get());
    EXPECT_EQ(4u, element.vertices.count);
    EXPECT_EQ(2u, element.triangleCount);
    EXPECT_EQ(D3DPT_TRIANGLELIST, element.primitiveType);
    EXPECT_EQ(mesh.radius, element.radius);
    EXPECT_NEAR(std::sqrt(2.0f), element.radius, 1e-4f);
    EXPECT_EQ(0.0f, element.centre.x);
    EXPECT_EQ(0.0f, element.centre.y);

    // The element and the manager each hold the buffers: dropping the element leaves the
    // manager's mesh whole.
    {
        DS_MeshElement copy;
        copy.LoadMesh(meshKey);
        EXPECT_EQ(mesh.vertexBuffer.Get(), copy.vertices.buffer.Get());
    }
    EXPECT_TRUE(mesh.vertexBuffer && mesh.indexBuffer);

    // Drawn with identity transforms the quad covers the whole back buffer in frame 0's colour.
    SetPlainStates(device());
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    SetTransforms(device(), identity, identity, identity);
    device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u | kMagenta, 1.0f, 0);
    ASSERT_EQ(D3D_OK, device()->BeginScene());
    device()->SetTexture(0, element.texture.Get());
    ASSERT_TRUE(element.Bind());
    device()->DrawIndexedPrimitive(element.primitiveType, 0, 0, element.vertices.count, 0, element.triangleCount);
    device()->EndScene();
    const PixelImage image = ReadBackBuffer();
    EXPECT_EQ(size_t(image.width) * image.height, image.Count(0xFF0000));
}

// A key without a picture and a mesh that cannot be found: the element keeps nothing from
// before and tells the renderer not to draw.
TEST_F(DocumentResourcesTest, MeshElementWithoutPictureOrMeshDrawsNothing)
{
    ComRef<IDirect3DTexture9> red = SolidTexture(device(), 4, 4, 0xFFFF0000);
    DS_MeshElement element;
    element.SetTextureAndMesh(PutPicture(L"wings.png", {red}), PutQuadMesh(L"wings.x"));
    ASSERT_TRUE(element.Bind());

    element.SetTextureAndMesh(ResKey(), ResKey(L"lw_no_such_res.dll", 68));
    EXPECT_FALSE(element.texture);
    EXPECT_FALSE(element.vertices.buffer);
    EXPECT_FALSE(element.indexBuffer);
    EXPECT_EQ(0u, element.vertices.count);
    EXPECT_EQ(0u, element.triangleCount);
    EXPECT_EQ(0.0f, element.radius);
    EXPECT_FALSE(element.Bind());
}

TEST_F(DocumentResourcesTest, MeshElementWithoutADocumentLoadsNothing)
{
    const ResKey pictureKey = PutPicture(L"body.png", {SolidTexture(device(), 4, 4, 0xFFFF0000)});
    const ResKey meshKey = PutQuadMesh(L"body.x");
    CurrentDocResManager = nullptr;
    DS_MeshElement element;
    element.SetTextureAndMesh(pictureKey, meshKey);
    EXPECT_FALSE(element.texture);
    EXPECT_FALSE(element.vertices.buffer);
    EXPECT_FALSE(element.Bind());
    EXPECT_TRUE(manager->data().meshes.empty()) << "nothing was asked of the manager";
}

// ---------------------------------------------------------------------------------------------
// The lake's textures

class LakeTextureTest : public DeviceTest {};

// This test program carries "DDS" 2 (4 × 2, red 200 on top, green 200 below) as the lake does.
TEST_F(LakeTextureTest, BumpMapIsTheProgramPictureAsSignedV8U8)
{
    ComRef<IDirect3DTexture9> bump = SolidTexture(device(), 4, 4, 0xFF000000u);
    ComRef<IDirect3DTexture9> previous = bump;

    ASSERT_EQ(S_OK, LoadLakeBumpTexture(bump, 2));
    ASSERT_TRUE(bump);
    EXPECT_NE(previous.Get(), bump.Get());
    EXPECT_EQ(1u, RefCount(previous.Get())) << "the old bump map is released";

    D3DSURFACE_DESC desc;
    ASSERT_EQ(D3D_OK, bump->GetLevelDesc(0, &desc));
    EXPECT_EQ(D3DFMT_V8U8, desc.Format);
    EXPECT_EQ(4u, desc.Width);
    EXPECT_EQ(2u, desc.Height);
    D3DLOCKED_RECT rect;
    ASSERT_EQ(D3D_OK, bump->LockRect(0, &rect, nullptr, D3DLOCK_READONLY));
    const int8_t* top = static_cast<const int8_t*>(rect.pBits);
    const int8_t* bottom = top + rect.Pitch;
    EXPECT_EQ(200 - 128, top[0]);
    EXPECT_EQ(-128, top[1]);
    EXPECT_EQ(-128, bottom[0]);
    EXPECT_EQ(200 - 128, bottom[1]);
    bump->UnlockRect(0);
}

TEST_F(LakeTextureTest, MissingBumpPictureLeavesNoBumpMap)
{
    ComRef<IDirect3DTexture9> bump = SolidTexture(device(), 4, 4, 0xFF000000u);
    ComRef<IDirect3DTexture9> previous = bump;
    EXPECT_EQ(E_FAIL, LoadLakeBumpTexture(bump, 54));
    EXPECT_FALSE(bump);
    EXPECT_EQ(1u, RefCount(previous.Get())) << "the old bump map is released";
}

// The reflection copy: 128 << shift texels a side, a full mip chain, level 0 the source's picture.
TEST_F(LakeTextureTest, ReflectionIsASquareCopyOfThePicture)
{
    ComRef<IDirect3DTexture9> source = SolidTexture(device(), 64, 32, 0xFF30C050);
    ComRef<IDirect3DTexture9> reflection = SolidTexture(device(), 4, 4, 0xFF000000u);
    ComRef<IDirect3DTexture9> previous = reflection;

    ResampleToSquareTexture(1, reflection, source.Get());
    ASSERT_TRUE(reflection);
    EXPECT_EQ(1u, RefCount(previous.Get())) << "the old reflection is released";
    D3DSURFACE_DESC desc;
    ASSERT_EQ(D3D_OK, reflection->GetLevelDesc(0, &desc));
    EXPECT_EQ(256u, desc.Width);
    EXPECT_EQ(256u, desc.Height);
    EXPECT_EQ(D3DPOOL_MANAGED, desc.Pool);
    EXPECT_EQ(9u, reflection->GetLevelCount()); // 256 down to 1
    ASSERT_TRUE(desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_X8R8G8B8) << desc.Format;

    D3DLOCKED_RECT rect;
    ASSERT_EQ(D3D_OK, reflection->LockRect(0, &rect, nullptr, D3DLOCK_READONLY));
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(rect.pBits) + 128 * rect.Pitch);
    EXPECT_EQ(0x30C050u, row[128] & 0x00FFFFFFu);
    reflection->UnlockRect(0);

    ResampleToSquareTexture(0, reflection, source.Get());
    ASSERT_TRUE(reflection);
    reflection->GetLevelDesc(0, &desc);
    EXPECT_EQ(128u, desc.Width);
}

TEST_F(LakeTextureTest, NoReflectionWithoutASourceOrForAShiftTheDeviceCannotMake)
{
    ComRef<IDirect3DTexture9> source = SolidTexture(device(), 8, 8, 0xFF808080);
    for (int32_t shift : {-1, 31, 40, INT_MIN, INT_MAX}) {
        ComRef<IDirect3DTexture9> reflection = SolidTexture(device(), 4, 4, 0xFF000000u);
        ResampleToSquareTexture(shift, reflection, source.Get());
        EXPECT_FALSE(reflection) << "shift " << shift;
    }
    ComRef<IDirect3DTexture9> reflection = SolidTexture(device(), 4, 4, 0xFF000000u);
    ResampleToSquareTexture(1, reflection, nullptr);
    EXPECT_FALSE(reflection);
}

TEST(SquareTextureSideTest, IsTheShiftedSideWithinTheLimit)
{
    struct {
        int32_t shift;
        uint32_t maxSide;
        uint32_t side;
    } const cases[] = {
        {0, 4096, 128},  {1, 4096, 256},  {5, 4096, 4096}, {6, 4096, 0},          {-1, 4096, 0},
        {24, UINT_MAX, 1u << 31}, {25, UINT_MAX, 0}, {31, UINT_MAX, 0}, {INT_MAX, UINT_MAX, 0}, {INT_MIN, 4096, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.side, SquareTextureSide(c.shift, c.maxSide)) << "shift " << c.shift << ", limit " << c.maxSide;
}

} // namespace
