#include "document/DocResManager.h"
#include "scene/render/Meshes.h"

void DS_MeshElement::SetTextureAndMesh(const ResKey& textureKey, const ResKey& meshKey)
{
    IDirect3DTexture9* frame0 = nullptr;
    if (CurrentDocResManager) {
        const TextureAnim& picture = CurrentDocResManager->GetTextureAnim(textureKey);
        if (!picture.frames.empty())
            frame0 = picture.frames[0].Get();
    }
    SetTexture(frame0);
    LoadMesh(meshKey);
}

void DS_MeshElement::LoadMesh(const ResKey& meshKey)
{
    MeshRecord empty;
    const MeshRecord& mesh =
        CurrentDocResManager ? CurrentDocResManager->GetMesh(meshKey, DX_V::PNT::Stride) : empty;

    vertices.buffer = mesh.vertexBuffer;
    vertices.locked = nullptr;
    vertices.count = mesh.vertexCount;
    indexBuffer = mesh.indexBuffer;
    lockedIndices = nullptr;
    triangleCount = mesh.faceCount;
    radius = mesh.radius;
    centre = mesh.centre;
    primitiveType = D3DPT_TRIANGLELIST;
}
