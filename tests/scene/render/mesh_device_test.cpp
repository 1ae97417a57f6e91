// Meshes on a real device: the buffers they make, what binding them sets, and that a buffer or
// texture they replace is released.
#include <gtest/gtest.h>

#include "document/CurrentDevice.h"
#include "document/TextureInfo.h"
#include "scene/render/LakeGround.h"
#include "scene/render/Meshes.h"
#include "scene/render/PictureQuad.h"
#include "scene/render/ScreenPictureQuad.h"
#include "tests/support/DeviceFixture.h"
#include "tests/support/TestPictures.h"

namespace {

ComRef<IDirect3DTexture9> MakeTexture(IDirect3DDevice9* device)
{
    ComRef<IDirect3DTexture9> texture;
    device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Out(), nullptr);
    return texture;
}

template <class V>
class QuadBufferTest : public DeviceTest {};

using QuadLayouts = ::testing::Types<DX_V::PCT, DX_V::SC, DX_V::SCT, DX_V::PC, DX_V::PT>;
TYPED_TEST_SUITE(QuadBufferTest, QuadLayouts);

TYPED_TEST(QuadBufferTest, IsAFourVertexStripInAWriteOnlyManagedBuffer)
{
    DS_SimpleMesh<TypeParam> mesh;
    ASSERT_EQ(D3D_OK, mesh.MakeQuadBuffer());
    ASSERT_TRUE(mesh.vertices.buffer);
    D3DVERTEXBUFFER_DESC desc;
    ASSERT_EQ(D3D_OK, mesh.vertices.buffer->GetDesc(&desc));
    EXPECT_EQ(4 * TypeParam::Stride, desc.Size);
    EXPECT_EQ(TypeParam::FVF, desc.FVF);
    EXPECT_EQ(static_cast<DWORD>(D3DUSAGE_WRITEONLY), desc.Usage);
    EXPECT_EQ(D3DPOOL_MANAGED, desc.Pool);
    EXPECT_EQ(4u, mesh.vertices.count);
    EXPECT_EQ(nullptr, mesh.vertices.locked);
    EXPECT_EQ(D3DPT_TRIANGLESTRIP, mesh.primitiveType);
    EXPECT_EQ(2u, mesh.primitiveCount);
}

TYPED_TEST(QuadBufferTest, MakingItAgainReleasesTheFirstBuffer)
{
    DS_SimpleMesh<TypeParam> mesh;
    ASSERT_EQ(D3D_OK, mesh.MakeQuadBuffer());
    IDirect3DVertexBuffer9* first = mesh.vertices.buffer.Get();
    first->AddRef();
    ASSERT_EQ(D3D_OK, mesh.MakeQuadBuffer());
    EXPECT_NE(first, mesh.vertices.buffer.Get());
    EXPECT_EQ(0u, first->Release()); // the mesh no longer holds it
}

class MeshDeviceTest : public DeviceTest {};

TEST_F(MeshDeviceTest, WithoutADeviceNoBufferIsMadeAndNothingIsWritten)
{
    CurrentDevice = nullptr;
    DS_SimpleMesh<DX_V::PCT> mesh;
    EXPECT_NE(D3D_OK, mesh.MakeQuadBuffer());
    EXPECT_FALSE(mesh.vertices.buffer);
    bool called = false;
    EXPECT_FALSE(WriteVertices(mesh.vertices, [&](DX_V::PCT*, uint32_t) { called = true; }));
    EXPECT_FALSE(called);
    EXPECT_FALSE(mesh.HasGeometry());
}

TEST_F(MeshDeviceTest, TexturedQuadBindSetsTextureLayoutAndStream)
{
    DS_TexturedQuad<DX_V::SCT> quad;
    ComRef<IDirect3DTexture9> texture = MakeTexture(device());
    quad.SetTexture(texture.Get());
    ASSERT_EQ(D3D_OK, quad.MakeQuadBuffer());
    device()->SetFVF(D3DFVF_XYZ);
    EXPECT_TRUE(quad.Bind());

    ComRef<IDirect3DBaseTexture9> bound;
    device()->GetTexture(0, bound.Out());
    EXPECT_EQ(static_cast<IDirect3DBaseTexture9*>(texture.Get()), bound.Get());
    DWORD fvf = 0;
    device()->GetFVF(&fvf);
    EXPECT_EQ(DX_V::SCT::FVF, fvf);
    ComRef<IDirect3DVertexBuffer9> stream;
    UINT offset = 99, stride = 0;
    device()->GetStreamSource(0, stream.Out(), &offset, &stride);
    EXPECT_EQ(quad.vertices.buffer.Get(), stream.Get());
    EXPECT_EQ(0u, offset);
    EXPECT_EQ(DX_V::SCT::Stride, stride);
}

TEST_F(MeshDeviceTest, BindWithoutABufferTellsTheCallerNotToDraw)
{
    DS_TexturedQuad<DX_V::PCT> quad;
    EXPECT_FALSE(quad.Bind());
    DS_IndexedMesh<DX_V::PNT> mesh;
    EXPECT_FALSE(mesh.Bind());
}

TEST_F(MeshDeviceTest, IndexedMeshBindSetsIndicesLayoutAndStream)
{
    DS_IndexedMesh<DX_V::PNT> mesh;
    ASSERT_EQ(D3D_OK, MakeVertexBuffer(3, mesh.vertices, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED));
    ASSERT_EQ(D3D_OK, device()->CreateIndexBuffer(6, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                                  mesh.indexBuffer.Out(), nullptr));
    mesh.triangleCount = 1;
    EXPECT_TRUE(mesh.Bind());

    ComRef<IDirect3DIndexBuffer9> indices;
    device()->GetIndices(indices.Out());
    EXPECT_EQ(mesh.indexBuffer.Get(), indices.Get());
    DWORD fvf = 0;
    device()->GetFVF(&fvf);
    EXPECT_EQ(DX_V::PNT::FVF, fvf);
    ComRef<IDirect3DVertexBuffer9> stream;
    UINT offset = 0, stride = 0;
    device()->GetStreamSource(0, stream.Out(), &offset, &stride);
    EXPECT_EQ(mesh.vertices.buffer.Get(), stream.Get());
    EXPECT_EQ(32u, stride);
}

TEST_F(MeshDeviceTest, IndexedMeshReleasesBothBuffers)
{
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    {
        DS_MeshElement element;
        ASSERT_EQ(D3D_OK, MakeVertexBuffer(3, element.vertices, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED));
        ASSERT_EQ(D3D_OK, device()->CreateIndexBuffer(6, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                                      element.indexBuffer.Out(), nullptr));
        vertices = element.vertices.buffer.Get();
        indices = element.indexBuffer.Get();
        vertices->AddRef();
        indices->AddRef();
    }
    EXPECT_EQ(0u, vertices->Release());
    EXPECT_EQ(0u, indices->Release());
}

TEST_F(MeshDeviceTest, NewMeshElementHasTheDefaults)
{
    DS_MeshElement element;
    EXPECT_FALSE(element.vertices.buffer);
    EXPECT_FALSE(element.indexBuffer);
    EXPECT_FALSE(element.texture);
    EXPECT_EQ(D3DPT_TRIANGLESTRIP, element.primitiveType);
    EXPECT_EQ(0u, element.primitiveCount);
    EXPECT_EQ(0u, element.triangleCount);
    EXPECT_FALSE(element.alpha);
    EXPECT_TRUE(element.instances.empty());
    EXPECT_EQ(0.0f, element.radius);
}

TEST_F(MeshDeviceTest, PictureQuadReleasesTheTextureItReplaces)
{
    ComRef<IDirect3DTexture9> first = MakeTexture(device());
    ComRef<IDirect3DTexture9> second = MakeTexture(device());
    ASSERT_TRUE(first && second);
    TextureInfo a, b;
    a.texture = first;
    a.width = 300;
    a.height = 200;
    b.texture = second;
    b.width = 64;
    b.height = 64;
    const ULONG firstAlone = RefCount(first.Get());

    PictureQuad quad;
    ASSERT_EQ(D3D_OK, quad.MakeBuffer());
    quad.SetFromTextureInfo(a);
    EXPECT_EQ(firstAlone + 1, RefCount(first.Get()));
    EXPECT_EQ(first.Get(), quad.texture.Get());
    quad.SetFromTextureInfo(b);
    EXPECT_EQ(firstAlone, RefCount(first.Get()));
    EXPECT_EQ(second.Get(), quad.texture.Get());
}

TEST_F(MeshDeviceTest, ScreenPictureQuadReleasesTheTextureItReplaces)
{
    ComRef<IDirect3DTexture9> first = MakeTexture(device());
    const ULONG firstAlone = RefCount(first.Get());
    QuadTemplate q;
    MakeSizedQuad(q, 10, 10);
    ScreenPictureQuad quad;
    ASSERT_EQ(D3D_OK, MakeScreenQuadFromTemplate(quad, first.Get(), q));
    EXPECT_EQ(firstAlone + 1, RefCount(first.Get()));
    ASSERT_EQ(D3D_OK, MakeBlankScreenQuad(quad, q));
    EXPECT_EQ(firstAlone, RefCount(first.Get()));
    EXPECT_FALSE(quad.texture);
}

TEST_F(MeshDeviceTest, LakeGroundIsATwoTriangleList)
{
    LakeGround ground;
    ASSERT_EQ(D3D_OK, MakeLakeGround(ground));
    D3DVERTEXBUFFER_DESC desc;
    ASSERT_EQ(D3D_OK, ground.vertices.buffer->GetDesc(&desc));
    EXPECT_EQ(6u * 28u, desc.Size);
    EXPECT_EQ(DX_V::PTT::FVF, desc.FVF);
    EXPECT_EQ(D3DPT_TRIANGLELIST, ground.primitiveType);
    EXPECT_EQ(2u, ground.primitiveCount);
}

} // namespace

namespace {

class ReleaseAndNullTest : public DeviceTest {};

TEST_F(ReleaseAndNullTest, ReleasesClearsAndReturnsTheRemainingCount)
{
    IDirect3DTexture9* plain = nullptr;
    EXPECT_EQ(0u, ReleaseAndNull(plain)); // null: nothing happens

    ASSERT_EQ(D3D_OK, device()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &plain, nullptr));
    plain->AddRef();
    EXPECT_EQ(1u, ReleaseAndNull(plain));
    EXPECT_EQ(nullptr, plain);

    ComRef<IDirect3DTexture9> held;
    EXPECT_EQ(0u, ReleaseAndNull(held));
    ASSERT_EQ(D3D_OK, device()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, held.Out(), nullptr));
    IDirect3DTexture9* raw = held.Get();
    raw->AddRef();
    EXPECT_EQ(1u, ReleaseAndNull(held));
    EXPECT_FALSE(held);
    EXPECT_EQ(0u, raw->Release());
}

} // namespace
