// The resource library common_res.dll: every picture and mesh that the scene asks for by number
// is there, decodes the way the loaders decode it, and holds what its callers rely on.
#include <windows.h>
#include <d3dx9.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <map>
#include <tuple>

#include "document/ComRef.h"
#include "tests/resources/PictureChecks.h"
#include "tests/support/DeviceFixture.h"

namespace {

HMODULE Library()
{
    static HMODULE library = LoadLibraryW((ProgramFolder() + L"common_res.dll").c_str());
    return library;
}

struct Resource {
    const void* data = nullptr;
    DWORD size = 0;
};

Resource FindLibraryResource(int id, const wchar_t* type)
{
    Resource r;
    HRSRC found = FindResourceW(Library(), MAKEINTRESOURCEW(id), type);
    if (!found)
        return r;
    HGLOBAL loaded = LoadResource(Library(), found);
    r.size = SizeofResource(Library(), found);
    r.data = loaded ? LockResource(loaded) : nullptr;
    return r;
}

TEST(CommonResLibrary, LoadsByNameFromTheProgramFolder)
{
    ASSERT_NE(nullptr, Library()) << "common_res.dll is missing beside the test program";
    // The system loads it by file name alone; the program's folder comes first in the search.
    EXPECT_EQ(Library(), LoadLibraryW(L"common_res.dll"));
}

TEST(CommonResLibrary, IdsThatStayAbsentAreAbsent)
{
    ASSERT_NE(nullptr, Library());
    for (int id : {54, 55, 56, 57, 61}) {
        EXPECT_EQ(nullptr, FindResourceW(Library(), MAKEINTRESOURCEW(id), L"DDS")) << id;
        EXPECT_EQ(nullptr, FindResourceW(Library(), MAKEINTRESOURCEW(id), RT_RCDATA)) << id;
    }
}

// --- Pictures ---------------------------------------------------------------------------------

struct PictureCase {
    int id;
    const wchar_t* name;
    UINT width;
    UINT height;
    bool alpha;
};

void PrintTo(const PictureCase& c, std::ostream* os) { *os << "picture " << c.id; }

const PictureCase kPictures[] = {
    {5, L"background", 1024, 768, false},
    {6, L"butterfly", 256, 256, true},
    {7, L"flames", 512, 256, true},
    {8, L"flame_offsets", 256, 256, false},
    {62, L"haze_bump", 256, 256, false},
    // Sprite pictures of flows, rain, grass, static pictures and flowers.
    {20, L"stone", 256, 128, true},
    {21, L"bubble", 64, 64, true},
    {22, L"daisy", 128, 256, true},
    {23, L"poppy", 128, 256, true},
    {24, L"rain_streak", 16, 128, true},
    {25, L"smoke_puff", 128, 128, true},
    {27, L"grass_blade", 32, 256, true},
    {30, L"leaf", 128, 128, true},
    {31, L"leaf_golden", 128, 128, true},
    // Pictures that older documents name by id alone.
    {17, L"sprite_long_fish", 128, 64, true},
    {19, L"sprite_seed", 64, 64, true},
    {39, L"sprite_firefly", 64, 64, true},
    {10, L"sprite_fish", 512, 64, true}, // four frames of 128 x 64
    {11, L"sprite_bird", 256, 64, true}, // four frames of 64 x 64
    {12, L"sprite_ghost", 128, 128, true},
    {13, L"sprite_fog", 256, 128, true},
    {14, L"sprite_sparkle", 64, 64, true},
    {15, L"sprite_light_ray", 64, 256, true},
    {16, L"sprite_lightning", 128, 256, true},
};
constexpr size_t kFirstOlderDocumentPicture = 14; // 17, 19 and 39
constexpr size_t kFirstFishAndLightPicture = 17; // the fish, the first of pictures 10 to 16

class LibraryPicture : public DeviceTest, public ::testing::WithParamInterface<PictureCase> {
protected:
    // Decodes the picture as the library texture loader does: natural size rounded by D3DX,
    // one level, format from the file, triangle filter.
    void SetUp() override
    {
        DeviceTest::SetUp();
        ASSERT_NE(nullptr, Library());
        const Resource r = FindLibraryResource(GetParam().id, L"DDS");
        ASSERT_NE(nullptr, r.data) << "picture " << GetParam().id << " is missing";
        ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileInMemoryEx(
                              device(), r.data, r.size, D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN,
                              D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE, D3DX_FILTER_NONE, 0, &info,
                              nullptr, texture.Out()));
        image = ReadTexels(texture.Get());
        ASSERT_FALSE(image.texels.empty()) << "not a 32-bit texture";
    }

    D3DXIMAGE_INFO info = {};
    ComRef<IDirect3DTexture9> texture;
    TexelImage image;
};

TEST_P(LibraryPicture, DecodesAtItsSizeAndIsSavedForALook)
{
    const PictureCase& c = GetParam();
    EXPECT_EQ(c.width, info.Width);
    EXPECT_EQ(c.height, info.Height);
    EXPECT_EQ(D3DXIFF_PNG, info.ImageFileFormat);
    if (c.alpha) {
        EXPECT_EQ(D3DFMT_A8R8G8B8, image.format);
    }
    EXPECT_TRUE(SaveTextureArtifact(texture.Get(), L"common_res_" + std::to_wstring(c.id) + L"_" + c.name));
}

INSTANTIATE_TEST_SUITE_P(AllPictures, LibraryPicture, ::testing::ValuesIn(kPictures));

// The default background: a real picture, dark sky above a brighter horizon.
class BackgroundPicture : public LibraryPicture {};
TEST_P(BackgroundPicture, IsAPictureNotAFlatColour)
{
    const ChannelStats red = MeasureChannel(image, 16);
    EXPECT_GT(red.deviation, 20.0);
    auto luminance = [&](UINT y) {
        double sum = 0;
        for (UINT x = 0; x < image.width; ++x) {
            const uint32_t c = image.At(x, y);
            sum += ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF);
        }
        return sum / image.width;
    };
    EXPECT_LT(luminance(image.height / 20), luminance(image.height * 6 / 10));
}
INSTANTIATE_TEST_SUITE_P(Picture5, BackgroundPicture, ::testing::Values(kPictures[0]));

// The butterfly atlas: the wing outline is cut out by alpha in u 0 to 0.75; the body strip in u
// 0.8 to 0.95 is opaque along its whole length; transparent texels keep a dark colour so that
// filtering at the outline never pulls in white.
class ButterflyPicture : public LibraryPicture {};
TEST_P(ButterflyPicture, HasAWingCutOutAndAnOpaqueBodyStrip)
{
    auto alpha = [&](double u, double v) {
        return image.At(UINT(u * (image.width - 1)), UINT(v * (image.height - 1))) >> 24;
    };
    // Corners of the wing area are clear, the middle of the wing is solid.
    EXPECT_EQ(0u, alpha(0.0, 0.0));
    EXPECT_EQ(0u, alpha(0.74, 0.98));
    EXPECT_EQ(255u, alpha(0.35, 0.5));
    EXPECT_EQ(255u, alpha(0.3, 0.7));
    for (double v = 0.0; v <= 1.0; v += 0.05) {
        EXPECT_EQ(255u, alpha(0.8, v)) << "body strip at v " << v;
        EXPECT_EQ(255u, alpha(0.875, v)) << "body strip at v " << v;
        EXPECT_EQ(255u, alpha(0.95, v)) << "body strip at v " << v;
        // The columns the wing's outer edge filters from are clear.
        EXPECT_EQ(0u, alpha(0.75, v)) << "wing edge at v " << v;
        EXPECT_EQ(0u, image.At(image.width * 3 / 4, UINT(v * (image.height - 1))) >> 24) << v;
    }
    size_t clear = 0, solid = 0, brightClear = 0;
    for (UINT y = 0; y < image.height; ++y)
        for (UINT x = 0; x < image.width * 3 / 4; ++x) {
            const uint32_t c = image.At(x, y);
            const uint32_t a = c >> 24;
            clear += a == 0;
            solid += a == 255;
            if (a == 0 && (((c >> 16) & 0xFF) > 64 || ((c >> 8) & 0xFF) > 64 || (c & 0xFF) > 64))
                ++brightClear;
        }
    EXPECT_GT(clear, size_t(5000));
    EXPECT_GT(solid, size_t(15000));
    EXPECT_EQ(0u, brightClear);
}
INSTANTIATE_TEST_SUITE_P(Picture6, ButterflyPicture, ::testing::Values(kPictures[1]));

// The flame picture: clear air at the top rows (displaced look-ups clamp there), hot and opaque
// at the bottom, warm colours throughout.
class FlamePicture : public LibraryPicture {};
TEST_P(FlamePicture, IsClearAtTheTopAndHotAtTheBottom)
{
    for (UINT x = 0; x < image.width; ++x) {
        for (UINT y = 0; y < 4; ++y)
            ASSERT_EQ(0u, image.At(x, y) >> 24) << x << ", " << y;
        const uint32_t bottom = image.At(x, image.height - 1);
        ASSERT_GT(bottom >> 24, 200u) << x;
        ASSERT_GE((bottom >> 16) & 0xFF, (bottom >> 8) & 0xFF) << "red leads green at " << x;
        ASSERT_GE((bottom >> 8) & 0xFF, bottom & 0xFF) << "green leads blue at " << x;
    }
}
INSTANTIATE_TEST_SUITE_P(Picture7, FlamePicture, ::testing::Values(kPictures[2]));

// The offset maps: red and green noise centred on 128 that tiles across its edges.
class NoisePicture : public LibraryPicture {};
TEST_P(NoisePicture, IsRedAndGreenNoiseAroundTheMiddleThatTiles)
{
    for (int shift : {16, 8}) {
        const ChannelStats s = MeasureChannel(image, shift);
        EXPECT_NEAR(128.0, s.mean, 14.0) << "channel shift " << shift;
        EXPECT_GT(s.deviation, 12.0) << "channel shift " << shift;
        EXPECT_LT(s.wrapStep, 3.0 * s.neighbourStep + 1.0) << "channel shift " << shift;
    }
}
INSTANTIATE_TEST_SUITE_P(Pictures8And62, NoisePicture, ::testing::Values(kPictures[3], kPictures[4]));

// The sprite pictures stand free of their frame: every corner is clear. The ones that stand on
// the ground (grass, flowers) reach the bottom row at its middle, where the kinds fix their foot;
// the rain streak is brightest toward its leading lower end.
class SpritePicture : public LibraryPicture {
protected:
    uint32_t Alpha(UINT x, UINT y) const { return image.At(x, y) >> 24; }
};
TEST_P(SpritePicture, StandsFreeWithItsFootWhereTheKindExpectsIt)
{
    const UINT w = image.width, h = image.height;
    for (UINT x : {0u, w - 1})
        for (UINT y : {0u, h - 1})
            EXPECT_EQ(0u, Alpha(x, y)) << "corner " << x << ", " << y;
    const int id = GetParam().id;
    if (id == 27 || id == 22 || id == 23) {
        EXPECT_GT(Alpha(w / 2, h - 1), 200u) << "the foot at the bottom centre";
    }
    if (id == 24) {
        EXPECT_GT(Alpha(w / 2, h * 7 / 8), Alpha(w / 2, h / 8) + 64) << "bright at the leading end";
    }
    size_t shown = 0;
    for (uint32_t texel : image.texels)
        shown += (texel >> 24) > 32 ? 1 : 0;
    EXPECT_GT(shown, image.texels.size() / 20) << "hardly anything to see";
}
INSTANTIATE_TEST_SUITE_P(Pictures20To27, SpritePicture,
                         ::testing::Values(kPictures[5], kPictures[6], kPictures[7], kPictures[8], kPictures[9],
                                           kPictures[10], kPictures[11]));
// The autumn leaves: a blade cut out by alpha around the middle of the picture, warm colours on
// it, and clear texels that keep the dark rim colour.
class LeafPicture : public LibraryPicture {};
TEST_P(LeafPicture, IsAnAutumnLeafCutOutByAlpha)
{
    auto at = [&](double u, double v) { return image.At(UINT(u * (image.width - 1)), UINT(v * (image.height - 1))); };
    for (double u : {0.0, 1.0})
        for (double v : {0.0, 1.0})
            EXPECT_EQ(0u, at(u, v) >> 24) << u << ", " << v;
    EXPECT_EQ(0u, at(0.1, 0.5) >> 24);  // beside the blade
    EXPECT_EQ(0u, at(0.5, 0.01) >> 24); // above the tip
    EXPECT_EQ(255u, at(0.5, 0.5) >> 24);
    EXPECT_EQ(255u, at(0.35, 0.55) >> 24);
    EXPECT_EQ(255u, at(0.5, 0.9) >> 24); // the stalk
    size_t solid = 0, warm = 0, greyClear = 0;
    for (UINT y = 0; y < image.height; ++y)
        for (UINT x = 0; x < image.width; ++x) {
            const uint32_t c = image.At(x, y);
            const uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            if ((c >> 24) == 255) {
                ++solid;
                warm += r >= g && g >= b;
            } else if ((c >> 24) == 0 && !(r > g && r > b)) {
                ++greyClear;
            }
        }
    EXPECT_GT(solid, size_t(image.width * image.height / 4));
    EXPECT_GT(warm, solid * 95 / 100);
    EXPECT_EQ(0u, greyClear);
}
INSTANTIATE_TEST_SUITE_P(Pictures30And31, LeafPicture, ::testing::Values(kPictures[12], kPictures[13]));

// The fish and light pictures: every frame is clear along its whole border, so no edge shows when a
// sprite turns, is mirrored or is filtered beside the next frame of its strip; and each one
// shows something.
class FishAndLightPicture : public LibraryPicture {};
TEST_P(FishAndLightPicture, EveryFrameIsClearAlongItsBorder)
{
    const UINT frames = GetParam().id == 10 || GetParam().id == 11 ? 4 : 1;
    const UINT frameWidth = image.width / frames;
    for (UINT k = 0; k < frames; ++k) {
        const UINT x0 = k * frameWidth, x1 = x0 + frameWidth - 1;
        for (UINT x = x0; x <= x1; ++x) {
            ASSERT_EQ(0u, image.At(x, 0) >> 24) << x << ", top";
            ASSERT_EQ(0u, image.At(x, image.height - 1) >> 24) << x << ", bottom";
        }
        for (UINT y = 0; y < image.height; ++y) {
            ASSERT_EQ(0u, image.At(x0, y) >> 24) << "frame " << k << " left, " << y;
            ASSERT_EQ(0u, image.At(x1, y) >> 24) << "frame " << k << " right, " << y;
        }
        size_t shown = 0;
        for (UINT y = 0; y < image.height; ++y)
            for (UINT x = x0; x <= x1; ++x)
                shown += (image.At(x, y) >> 24) > 128;
        EXPECT_GT(shown, size_t(frameWidth * image.height / 50)) << "frame " << k;
    }
}
INSTANTIATE_TEST_SUITE_P(Pictures10To16, FishAndLightPicture,
                         ::testing::ValuesIn(kPictures + kFirstFishAndLightPicture, std::end(kPictures)));
// The pictures older documents name meet the same rule.
INSTANTIATE_TEST_SUITE_P(Pictures17_19And39, FishAndLightPicture,
                         ::testing::ValuesIn(kPictures + kFirstOlderDocumentPicture,
                                             kPictures + kFirstFishAndLightPicture));

// --- Meshes -----------------------------------------------------------------------------------

struct Vertex {
    D3DXVECTOR3 position;
    D3DXVECTOR2 uv;
};

struct LoadedMesh {
    ComRef<ID3DXMesh> mesh;
    std::vector<Vertex> vertices;
    std::vector<DWORD> indices;
};

class LibraryMesh : public DeviceTest {
protected:
    // Loads the mesh as the mesh loader does and reads its positions, texture coordinates and
    // faces back.
    LoadedMesh Load(int id)
    {
        LoadedMesh m;
        const Resource r = FindLibraryResource(id, L"DDS");
        EXPECT_NE(nullptr, r.data) << "mesh " << id << " is missing";
        if (!r.data)
            return m;
        ComRef<ID3DXBuffer> adjacency, materials, effects;
        DWORD materialCount = 0;
        const HRESULT hr = D3DXLoadMeshFromXInMemory(r.data, r.size, D3DXMESH_SYSTEMMEM, device(),
                                                     adjacency.Out(), materials.Out(), effects.Out(),
                                                     &materialCount, m.mesh.Out());
        EXPECT_EQ(D3D_OK, hr) << "mesh " << id;
        if (FAILED(hr))
            return m;
        const DWORD fvf = m.mesh->GetFVF();
        EXPECT_EQ(DWORD(D3DFVF_XYZ), fvf & D3DFVF_POSITION_MASK);
        EXPECT_EQ(DWORD(D3DFVF_TEX1), fvf & D3DFVF_TEXCOUNT_MASK);
        // The texture coordinates follow the position and, when present, the normal.
        const UINT stride = D3DXGetFVFVertexSize(fvf);
        const UINT uvOffset = 12 + ((fvf & D3DFVF_NORMAL) ? 12 : 0);
        const DWORD count = m.mesh->GetNumVertices();
        const unsigned char* bytes = nullptr;
        if (SUCCEEDED(m.mesh->LockVertexBuffer(D3DLOCK_READONLY, (void**)&bytes))) {
            for (DWORD i = 0; i < count; ++i) {
                Vertex v;
                memcpy(&v.position, bytes + i * stride, 12);
                memcpy(&v.uv, bytes + i * stride + uvOffset, 8);
                m.vertices.push_back(v);
            }
            m.mesh->UnlockVertexBuffer();
        }
        const bool wide = (m.mesh->GetOptions() & D3DXMESH_32BIT) != 0;
        const void* index = nullptr;
        if (SUCCEEDED(m.mesh->LockIndexBuffer(D3DLOCK_READONLY, (void**)&index))) {
            for (DWORD i = 0; i < m.mesh->GetNumFaces() * 3; ++i)
                m.indices.push_back(wide ? static_cast<const DWORD*>(index)[i]
                                         : static_cast<const WORD*>(index)[i]);
            m.mesh->UnlockIndexBuffer();
        }
        return m;
    }

    // The cross product (b - a) x (c - a) of face f.
    static D3DXVECTOR3 FaceCross(const LoadedMesh& m, size_t f)
    {
        const D3DXVECTOR3 a = m.vertices[m.indices[f * 3]].position;
        const D3DXVECTOR3 b = m.vertices[m.indices[f * 3 + 1]].position;
        const D3DXVECTOR3 c = m.vertices[m.indices[f * 3 + 2]].position;
        const D3DXVECTOR3 ab = b - a, ac = c - a;
        D3DXVECTOR3 n;
        D3DXVec3Cross(&n, &ab, &ac);
        return n;
    }
    static D3DXVECTOR3 FaceCentre(const LoadedMesh& m, size_t f)
    {
        return (m.vertices[m.indices[f * 3]].position + m.vertices[m.indices[f * 3 + 1]].position +
                m.vertices[m.indices[f * 3 + 2]].position) / 3.0f;
    }
};

// The body: a closed spindle along z with its nose at +z, texture coordinates on the body strip
// of picture 6, faces wound inward so that the near half survives counter-clockwise culling
// under the picture camera, which keeps y growing downward.
TEST_F(LibraryMesh, BodyIsAClosedSpindleAlongZWithTheNoseForward)
{
    const LoadedMesh m = Load(68);
    ASSERT_FALSE(m.vertices.empty());
    ASSERT_EQ(m.indices.size(), size_t(m.mesh->GetNumFaces()) * 3);
    float minZ = 1e9f, maxZ = -1e9f, maxRadius = 0;
    for (const Vertex& v : m.vertices) {
        minZ = std::min(minZ, v.position.z);
        maxZ = std::max(maxZ, v.position.z);
        maxRadius = std::max(maxRadius, std::hypot(v.position.x, v.position.y));
        EXPECT_GE(v.uv.x, 0.8f - 1e-4f);
        EXPECT_LE(v.uv.x, 0.95f + 1e-4f);
        EXPECT_GE(v.uv.y, 0.0f);
        EXPECT_LE(v.uv.y, 1.0f);
    }
    EXPECT_FLOAT_EQ(24.0f, maxZ);
    EXPECT_FLOAT_EQ(-24.0f, minZ);
    EXPECT_GT(maxRadius, 2.0f);
    EXPECT_LT(maxRadius, 5.0f);
    // The nose end of the texture strip (v = 0) is at the front.
    for (const Vertex& v : m.vertices) {
        if (v.position.z == maxZ) {
            EXPECT_FLOAT_EQ(0.0f, v.uv.y);
        }
    }

    // Closed: every edge, matched by position (the texture seam doubles a column of vertices),
    // belongs to exactly two faces.
    using Key = std::tuple<long, long, long>;
    auto key = [&](DWORD i) {
        const D3DXVECTOR3& p = m.vertices[i].position;
        return Key(std::lround(p.x * 1000), std::lround(p.y * 1000), std::lround(p.z * 1000));
    };
    std::map<std::pair<Key, Key>, int> edges;
    for (size_t f = 0; f < m.indices.size() / 3; ++f)
        for (int e = 0; e < 3; ++e) {
            Key a = key(m.indices[f * 3 + e]), b = key(m.indices[f * 3 + (e + 1) % 3]);
            if (b < a)
                std::swap(a, b);
            ++edges[{a, b}];
        }
    for (const auto& edge : edges)
        EXPECT_EQ(2, edge.second);

    for (size_t f = 0; f < m.indices.size() / 3; ++f) {
        const D3DXVECTOR3 n = FaceCross(m, f);
        const D3DXVECTOR3 c = FaceCentre(m, f);
        EXPECT_LT(n.x * c.x + n.y * c.y, 0.0f) << "face " << f << " is not wound inward";
    }
}

// The wing: one flat wing in the x-z plane hinged at x = 0, reaching out along +x, front edge at
// +z; its faces are wound toward -y (the back), which orders the two culled wing passes far
// wing first.
TEST_F(LibraryMesh, WingIsAFlatPlanformHingedOnTheBodyAxis)
{
    const LoadedMesh m = Load(69);
    ASSERT_FALSE(m.vertices.empty());
    float minX = 1e9f, maxX = -1e9f, minZ = 1e9f, maxZ = -1e9f;
    for (const Vertex& v : m.vertices) {
        EXPECT_EQ(0.0f, v.position.y);
        minX = std::min(minX, v.position.x);
        maxX = std::max(maxX, v.position.x);
        minZ = std::min(minZ, v.position.z);
        maxZ = std::max(maxZ, v.position.z);
        // u runs along the span over the wing part of the atlas, v from front (0) to rear (1).
        EXPECT_NEAR(v.position.x / 64.0f * 0.75f, v.uv.x, 1e-5f);
        EXPECT_NEAR((28.0f - v.position.z) / 64.0f, v.uv.y, 1e-5f);
    }
    EXPECT_EQ(0.0f, minX);
    EXPECT_EQ(64.0f, maxX);
    EXPECT_EQ(-36.0f, minZ);
    EXPECT_EQ(28.0f, maxZ);
    for (size_t f = 0; f < m.indices.size() / 3; ++f)
        EXPECT_LT(FaceCross(m, f).y, 0.0f) << "face " << f;
}

// The leaf: a small grid 20 wide and 28 long in the x-y plane, cupped a little toward +z, with
// the picture laid over it once, u across and v from the tip (top) to the stalk.
TEST_F(LibraryMesh, LeafIsASmallCurvedGridCoveredOnceByThePicture)
{
    const LoadedMesh m = Load(70);
    ASSERT_FALSE(m.vertices.empty());
    EXPECT_GE(m.mesh->GetNumFaces(), 8u);
    float minZ = 1e9f, maxZ = -1e9f;
    for (const Vertex& v : m.vertices) {
        EXPECT_NEAR((v.position.x + 10.0f) / 20.0f, v.uv.x, 1e-4f);
        EXPECT_NEAR((v.position.y + 14.0f) / 28.0f, v.uv.y, 1e-4f);
        minZ = std::min(minZ, v.position.z);
        maxZ = std::max(maxZ, v.position.z);
    }
    EXPECT_GE(minZ, 0.0f);
    EXPECT_GT(maxZ, 1.0f) << "the leaf is flat";
    EXPECT_LT(maxZ, 8.0f);

    ComRef<ID3DXMesh> clone;
    ASSERT_EQ(D3D_OK, m.mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, device(),
                                           clone.Out()));
    void* data = nullptr;
    ASSERT_EQ(D3D_OK, clone->LockVertexBuffer(D3DLOCK_READONLY, &data));
    D3DXVECTOR3 centre;
    float radius = 0;
    EXPECT_EQ(D3D_OK, D3DXComputeBoundingSphere(static_cast<D3DXVECTOR3*>(data), clone->GetNumVertices(), 32, &centre,
                                                &radius));
    clone->UnlockVertexBuffer();
    EXPECT_NEAR(0.0f, centre.x, 1e-3f);
    EXPECT_NEAR(0.0f, centre.y, 1e-3f);
    EXPECT_GT(radius, 17.0f);
    EXPECT_LT(radius, 19.0f);
}

// Both meshes go through the loader's conversion to position, normal and one texture
// coordinate pair (32 bytes a vertex) and give a sensible bounding sphere.
TEST_F(LibraryMesh, BothConvertToTheLoaderLayout)
{
    for (int id : {68, 69}) {
        const LoadedMesh m = Load(id);
        ASSERT_TRUE(m.mesh.Get()) << id;
        ComRef<ID3DXMesh> clone;
        ASSERT_EQ(D3D_OK, m.mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1,
                                               device(), clone.Out())) << id;
        EXPECT_EQ(32u, clone->GetNumBytesPerVertex());
        EXPECT_EQ(D3D_OK, D3DXComputeNormals(clone.Get(), nullptr));
        EXPECT_LT(clone->GetNumVertices(), 65536u);
        void* data = nullptr;
        ASSERT_EQ(D3D_OK, clone->LockVertexBuffer(D3DLOCK_READONLY, &data));
        D3DXVECTOR3 centre;
        float radius = 0;
        EXPECT_EQ(D3D_OK, D3DXComputeBoundingSphere(static_cast<D3DXVECTOR3*>(data), clone->GetNumVertices(),
                                                    32, &centre, &radius));
        clone->UnlockVertexBuffer();
        EXPECT_GT(radius, 20.0f) << id;
        EXPECT_LT(radius, 60.0f) << id;
    }
}

// --- Effects ------------------------------------------------------------------------------------

// The heat haze (63) is a compiled effect, so that D3DX loads it without a compiler, with the
// names the fire light sets; its pass binds them to pixel-shader registers above the flame
// shader's c1 to c4, and its samplers to stages 0 and 1.
TEST(LibraryEffect, HeatHazeLoadsWithTheNamesTheFireSets)
{
    const Resource r = FindLibraryResource(63, RT_RCDATA);
    ASSERT_TRUE(r.data) << "RCDATA 63 is missing";
    ASSERT_GE(r.size, 8u);
    EXPECT_EQ(0xFEFF0901u, *static_cast<const DWORD*>(r.data)) << "not a compiled effect";

    TestDevice testDevice(64, 64);
    ASSERT_TRUE(testDevice.Ok());
    IDirect3DDevice9* device = testDevice.device();
    ComRef<ID3DXEffect> effect;
    ASSERT_EQ(D3D_OK, D3DXCreateEffect(device, r.data, r.size, nullptr, nullptr, 0, nullptr, effect.Out(), nullptr));
    D3DXHANDLE technique = effect->GetTechniqueByName("BumpmapDistortLow2");
    ASSERT_NE(nullptr, technique);
    EXPECT_EQ(D3D_OK, effect->ValidateTechnique(technique));
    struct Name {
        const char* name;
        D3DXPARAMETER_CLASS cls;
        UINT elements, columns;
    };
    const Name names[] = {{"SceneTex", D3DXPC_OBJECT, 0, 0}, {"Bumpmap", D3DXPC_OBJECT, 0, 0},
                          {"stenght", D3DXPC_SCALAR, 0, 1},  {"Offset", D3DXPC_VECTOR, 2, 2},
                          {"bump_scale", D3DXPC_VECTOR, 2, 2}};
    for (const Name& n : names) {
        D3DXHANDLE parameter = effect->GetParameterByName(nullptr, n.name);
        ASSERT_NE(nullptr, parameter) << n.name;
        D3DXPARAMETER_DESC desc = {};
        ASSERT_EQ(D3D_OK, effect->GetParameterDesc(parameter, &desc)) << n.name;
        EXPECT_EQ(n.cls, desc.Class) << n.name;
        EXPECT_EQ(n.elements, desc.Elements) << n.name;
        EXPECT_EQ(n.columns, desc.Columns) << n.name;
    }

    const float flame[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    for (UINT reg = 1; reg <= 4; ++reg)
        device->SetPixelShaderConstantF(reg, flame, 1);
    ComRef<IDirect3DTexture9> scene, bump;
    ASSERT_EQ(D3D_OK, device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, scene.Out(), nullptr));
    ASSERT_EQ(D3D_OK, device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, bump.Out(), nullptr));
    effect->SetTexture("SceneTex", scene.Get());
    effect->SetTexture("Bumpmap", bump.Get());
    effect->SetFloat("stenght", 0.0025f);
    const float offset[2] = {0.3f, -0.3f}, bumpScale[2] = {0.208f, 0.156f};
    effect->SetFloatArray("Offset", offset, 2);
    effect->SetFloatArray("bump_scale", bumpScale, 2);
    ASSERT_EQ(D3D_OK, effect->SetTechnique("BumpmapDistortLow2"));
    UINT passes = 0;
    ASSERT_EQ(D3D_OK, effect->Begin(&passes, 0));
    ASSERT_EQ(1u, passes);
    ASSERT_EQ(D3D_OK, effect->BeginPass(0));
    float c[10][4] = {};
    device->GetPixelShaderConstantF(0, &c[0][0], 10);
    ComRef<IDirect3DBaseTexture9> stage0, stage1;
    device->GetTexture(0, stage0.Out());
    device->GetTexture(1, stage1.Out());
    DWORD zEnable = TRUE, blending = TRUE, bumpAddress = 0;
    device->GetRenderState(D3DRS_ZENABLE, &zEnable);
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
    device->GetSamplerState(1, D3DSAMP_ADDRESSU, &bumpAddress);
    effect->EndPass();
    effect->End();

    EXPECT_FLOAT_EQ(0.0025f, c[5][0]) << "stenght in c5";
    EXPECT_FLOAT_EQ(0.3f, c[6][0]) << "Offset[0] in c6";
    EXPECT_FLOAT_EQ(-0.3f, c[6][1]);
    EXPECT_FLOAT_EQ(0.208f, c[8][0]) << "bump_scale[0] in c8";
    EXPECT_FLOAT_EQ(0.156f, c[8][1]);
    for (UINT reg = 1; reg <= 4; ++reg)
        EXPECT_EQ(0, std::memcmp(flame, c[reg], sizeof flame)) << "the flame shader's c" << reg;
    EXPECT_EQ(static_cast<IDirect3DBaseTexture9*>(scene.Get()), stage0.Get());
    EXPECT_EQ(static_cast<IDirect3DBaseTexture9*>(bump.Get()), stage1.Get());
    EXPECT_EQ(DWORD(FALSE), zEnable);
    EXPECT_EQ(DWORD(FALSE), blending);
    EXPECT_EQ(DWORD(D3DTADDRESS_WRAP), bumpAddress);
}

} // namespace
