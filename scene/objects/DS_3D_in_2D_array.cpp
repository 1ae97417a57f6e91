#include "scene/objects/DS_3D_in_2D_array.h"

#include "document/ResourceCache.h"
#include "scene/objects/DS_ABRender.h"
#include "scene/objects/DS_LeafFallAnim.h"

DS_3D_in_2D_array::DS_3D_in_2D_array(DS_3D_in_2D_array_Constructor* clone)
    : DS_ABObj(clone), meshFrame(new DS_MeshElement), leafDescription(clone)
{
    LoadMeshAndTexture();
    SyncLeafCount();
}

DS_3D_in_2D_array::~DS_3D_in_2D_array()
{
    description = nullptr; // the clone goes with leafDescription, the leaves with the mesh frame
}

void DS_3D_in_2D_array::LoadMeshAndTexture()
{
    const TextureInfo picture = ResourceCache::GetTexture(leafDescription->texture, CurrentResourceCache);
    const MeshRecord mesh = ResourceCache::GetMesh(leafDescription->mesh, CurrentResourceCache, DX_V::PNT::Stride);
    // The picture is optional: without one the renderer draws the leaves untextured.
    DS_MeshElement& m = *meshFrame;
    m.SetTexture(picture.texture.Get());
    if (!mesh.Loaded())
        return;

    m.vertices.buffer = mesh.vertexBuffer;
    m.vertices.count = mesh.vertexCount;
    m.indexBuffer = mesh.indexBuffer;
    m.triangleCount = mesh.faceCount;
    m.radius = mesh.radius;
    m.centre = mesh.centre;
    m.primitiveType = D3DPT_TRIANGLELIST;
}

void DS_3D_in_2D_array::SyncLeafCount()
{
    DS_MeshElement& m = *meshFrame;
    const size_t count = leafDescription->EffectiveCount();
    while (m.children.size() < count) {
        DS_Frame* leaf = m.AddChild();
        leaf->SetAnimation(new DS_LeafFallAnim(&leafDescription->params));
        D3DXMatrixTranslation(&leaf->local, -m.centre.x, -m.centre.y, -m.centre.z);
    }
    while (m.children.size() > count) {
        DS_Frame::DeleteChildren(m.children.begin(), m.children.begin() + 1);
        m.children.erase(m.children.begin());
    }
}

void DS_3D_in_2D_array::Update(float appTime)
{
    StreamAnimTime = appTime;
    DS_MeshElement& m = *meshFrame;
    m.world = m.local;
    for (DS_Frame* leaf : m.children)
        leaf->Update(&m.world);
}

void DS_3D_in_2D_array::Render(DS_ABRender* renderer)
{
    if (renderer)
        renderer->Draw3DArray(meshFrame.get());
}
