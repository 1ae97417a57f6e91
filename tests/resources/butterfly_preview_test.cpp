// The butterfly meshes and picture put together the way a flock draws them: body and wing
// worlds from the flight model's matrix chain, the body drawn once with counter-clockwise
// culling, the wings in two passes with alpha. Three poses are drawn and saved for a look;
// the wing beat must move the wing tips down for a positive flap angle and up for a negative one.
#include <windows.h>
#include <d3dx9.h>

#include <cmath>

#include "document/ComRef.h"
#include "document/CurrentDevice.h"
#include "tests/resources/PictureChecks.h"
#include "tests/support/CurrentObjects.h"
#include "tests/support/DeviceFixture.h"

namespace {

constexpr float kDegrees = 3.14159265f / 180.0f;

struct Resource {
    const void* data = nullptr;
    DWORD size = 0;
};

Resource FindIn(HMODULE module, int id)
{
    Resource r;
    HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(id), L"DDS") : nullptr;
    if (!found)
        return r;
    r.size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    r.data = loaded ? LockResource(loaded) : nullptr;
    return r;
}

struct Pose {
    float x, y;      // position in back-buffer pixels
    float heading;   // degrees, 0 faces right
    float flap;      // wing angle in degrees
};

// A device of its own, larger than the shared fixture's, so the saved picture shows detail.
class ButterflyPreview : public ::testing::Test {
protected:
    static constexpr UINT kWidth = 576;
    static constexpr UINT kHeight = 256;

    void SetUp() override
    {
        ASSERT_TRUE(testDevice.Ok());
        CurrentDevice = device();
        HMODULE library = LoadLibraryW((ProgramFolder() + L"common_res.dll").c_str());
        ASSERT_NE(nullptr, library);
        const Resource picture = FindIn(library, 6);
        ASSERT_NE(nullptr, picture.data);
        ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileInMemoryEx(
                              device(), picture.data, picture.size, D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                              D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE, D3DX_FILTER_NONE, 0,
                              nullptr, nullptr, texture.Out()));
        body = LoadMesh(library, 68);
        wing = LoadMesh(library, 69);
        ASSERT_TRUE(body.Get());
        ASSERT_TRUE(wing.Get());
    }

    // As the mesh loader does: position, normal, one texture coordinate pair.
    ComRef<ID3DXMesh> LoadMesh(HMODULE library, int id)
    {
        ComRef<ID3DXMesh> loaded, clone;
        const Resource r = FindIn(library, id);
        if (!r.data || FAILED(D3DXLoadMeshFromXInMemory(r.data, r.size, D3DXMESH_SYSTEMMEM, device(), nullptr,
                                                         nullptr, nullptr, nullptr, loaded.Out())))
            return clone;
        loaded->CloneMeshFVF(D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, device(), clone.Out());
        return clone;
    }

    // The picture camera: object space is back-buffer pixels with y growing downward.
    void SetCamera()
    {
        D3DXMATRIX view, projection, identity;
        const D3DXVECTOR3 eye(0, 0, -1), at(0, 0, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixOrthoOffCenterLH(&projection, 0, float(kWidth), float(kHeight), 0, -5000, 5000);
        D3DXMatrixIdentity(&identity);
        device()->SetTransform(D3DTS_WORLD, &identity);
        device()->SetTransform(D3DTS_VIEW, &view);
        device()->SetTransform(D3DTS_PROJECTION, &projection);
        device()->SetRenderState(D3DRS_LIGHTING, FALSE);
        device()->SetRenderState(D3DRS_ZENABLE, FALSE);
        device()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device()->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device()->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    }

    // size x bob x tilt x heading x body local x position (no roll, no slow-flight pitch).
    static D3DXMATRIX BodyWorld(const Pose& p, float size)
    {
        D3DXMATRIX s, bob, tilt, heading, localScale, localTurn, position;
        D3DXMatrixScaling(&s, size, size, size);
        D3DXMatrixTranslation(&bob, 0, p.flap * -3.0f / 45.0f, 0);
        D3DXMatrixRotationX(&tilt, 10.0f * kDegrees);
        D3DXMatrixRotationY(&heading, p.heading * kDegrees);
        D3DXMatrixScaling(&localScale, 0.5f, 0.5f, 0.5f);
        D3DXMatrixRotationY(&localTurn, 3.14159265f / 2.0f);
        D3DXMatrixTranslation(&position, p.x, p.y, 0);
        return s * bob * tilt * heading * localScale * localTurn * position;
    }

    void DrawMesh(ID3DXMesh* mesh, const D3DXMATRIX& world, D3DCULL cull)
    {
        device()->SetTransform(D3DTS_WORLD, &world);
        device()->SetRenderState(D3DRS_CULLMODE, cull);
        mesh->DrawSubset(0);
    }

    void Draw(const std::vector<Pose>& poses, float size)
    {
        SetCamera();
        device()->SetTexture(0, texture.Get());
        // Bodies: the body frame's cull flag is set, so one pass culling counter-clockwise faces.
        device()->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        for (const Pose& p : poses)
            DrawMesh(body.Get(), BodyWorld(p, size), D3DCULL_CCW);
        // Wings: wing 1 as modelled, wing 2 mirrored; each wing's cull flag follows the flap's
        // sign and the second pass swaps the cull modes.
        device()->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        for (int pass = 0; pass < 2; ++pass) {
            for (const Pose& p : poses) {
                D3DXMATRIX flap, mirror;
                D3DXMatrixRotationZ(&flap, p.flap * kDegrees);
                D3DXMatrixScaling(&mirror, -1, 1, 1);
                const D3DXMATRIX world = BodyWorld(p, size);
                const bool flags[2] = {p.flap > 0, p.flap < 0};
                const D3DXMATRIX wings[2] = {flap * world, flap * mirror * world};
                for (int w = 0; w < 2; ++w) {
                    const bool ccw = flags[w] != (pass == 1);
                    DrawMesh(wing.Get(), wings[w], ccw ? D3DCULL_CCW : D3DCULL_CW);
                }
            }
        }
        device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device()->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    }

    // Warm wing colour, far from the blue-grey clear colour.
    static bool IsWing(uint32_t c)
    {
        const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        return r > 140 && r > g + 30 && b < 90;
    }

    IDirect3DDevice9* device() const { return testDevice.device(); }

    TestDevice testDevice{kWidth, kHeight};
    ComRef<IDirect3DTexture9> texture;
    ComRef<ID3DXMesh> body, wing;
    CurrentObjectsGuard current; // the last member: the current objects come back first
};

TEST_F(ButterflyPreview, WingsBeatDownForPositiveFlapAndUpForNegative)
{
    const std::vector<Pose> poses = {{96, 128, 0, 40}, {288, 128, 20, -40}, {480, 128, 180, 25}};
    device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF506070, 1.0f, 0);
    ASSERT_EQ(D3D_OK, device()->BeginScene());
    Draw(poses, 4.5f);
    device()->EndScene();
    const PixelImage image = ReadRenderTarget(device());
    SaveBackBufferPng(device(), L"common_res_butterfly_poses");

    for (const Pose& p : poses) {
        size_t above = 0, below = 0;
        for (UINT y = 0; y < kHeight; ++y)
            for (UINT x = UINT(p.x) - 90; x < UINT(p.x) + 90; ++x)
                if (IsWing(image.Rgb(x, y)))
                    ++(float(y) < p.y ? above : below);
        EXPECT_GT(above + below, size_t(800)) << "pose at x " << p.x << " shows no wing";
        if (p.flap > 0) {
            EXPECT_GT(below, 3 * above) << "pose at x " << p.x;
        } else {
            EXPECT_GT(above, 3 * below) << "pose at x " << p.x;
        }
    }
}

} // namespace
