// The glyph batch: how quads are split into chunks, what the writers put into a quad's vertices,
// and on a real device the texture references of the chunks and the quads drawn by global index.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <vector>

#include "document/CurrentDevice.h"
#include "scene/render/GlyphBatch.h"
#include "tests/support/CurrentObjects.h"
#include "tests/support/DeviceFixture.h"
#include "tests/support/TestPictures.h"

namespace {

struct ChunkCase {
    int32_t quads;
    std::vector<int32_t> sizes;
};

void PrintTo(const ChunkCase& c, std::ostream* os) { *os << c.quads << " quads"; }

class GlyphChunkSizesTest : public ::testing::TestWithParam<ChunkCase> {};

TEST_P(GlyphChunkSizesTest, AtMost16383QuadsPerChunk)
{
    EXPECT_EQ(GetParam().sizes, GlyphChunkSizes(GetParam().quads));
}

INSTANTIATE_TEST_SUITE_P(Counts, GlyphChunkSizesTest,
                         ::testing::Values(ChunkCase{0, {}}, ChunkCase{-3, {}}, ChunkCase{1, {1}},
                                           ChunkCase{16383, {16383}}, ChunkCase{16384, {16383, 1}},
                                           ChunkCase{32766, {16383, 16383}}, ChunkCase{32767, {16383, 16383, 1}}));

TEST(GlyphChunkSizesTest, LargestGridSplitsIntoFullChunksAndARest)
{
    const std::vector<int32_t> sizes = GlyphChunkSizes(1921 * 1081);
    ASSERT_EQ(127u, sizes.size());
    EXPECT_EQ(126, std::count(sizes.begin(), sizes.end(), 16383));
    EXPECT_EQ(12343, sizes.back());
}

TEST(GlyphQuadWritersTest, IndexPatternOfEachQuadStaysWithinSixteenBits)
{
    std::vector<uint16_t> indices(6 * 16383);
    WriteQuadIndices(indices.data(), 16383);
    const uint16_t second[6] = {4, 5, 6, 6, 5, 7};
    EXPECT_TRUE(std::equal(second, second + 6, indices.begin() + 6));
    EXPECT_EQ(65531, *std::max_element(indices.begin(), indices.end()));
    EXPECT_EQ(65531, indices.back());
}

TEST(GlyphQuadWritersTest, CornersRunBottomLeftTopLeftBottomRightTopRight)
{
    DX_V::SCT quad[4] = {};
    WriteQuadCorners(quad, D3DXVECTOR3(10, 20, 0.5f), D3DXVECTOR3(3, 0, 0), D3DXVECTOR3(0, 4, 0));
    const float expected[4][2] = {{7, 24}, {7, 16}, {13, 24}, {13, 16}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i][0], quad[i].x) << i;
        EXPECT_EQ(expected[i][1], quad[i].y) << i;
        EXPECT_EQ(0.5f, quad[i].z) << i;
        EXPECT_EQ(1.0f, quad[i].rhw) << i;
    }
}

TEST(GlyphQuadWritersTest, TextureRangeGoesToTheMatchingCorners)
{
    DX_V::SCT quad[4] = {};
    WriteQuadUV(quad, 0.0f, 1.0f, 0.25f, 0.5f);
    const float expected[4][2] = {{0, 0.5f}, {0, 0.25f}, {1, 0.5f}, {1, 0.25f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i][0], quad[i].u) << i;
        EXPECT_EQ(expected[i][1], quad[i].v) << i;
    }
}

TEST(GlyphQuadWritersTest, ResetQuadIsTransparentBlackAtTheOrigin)
{
    DX_V::SCT quads[8];
    std::fill(std::begin(quads), std::end(quads), DX_V::SCT{5, 5, 5, 5, 0xFFFFFFFFu, 5, 5});
    ResetQuadVertices(quads, 2);
    const float uv[4][2] = {{0, 1}, {0, 0}, {1, 1}, {1, 0}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(0.0f, quads[i].x) << i;
        EXPECT_EQ(0.0f, quads[i].y) << i;
        EXPECT_EQ(0.0f, quads[i].z) << i;
        EXPECT_EQ(1.0f, quads[i].rhw) << i;
        EXPECT_EQ(0u, quads[i].colour) << i;
        EXPECT_EQ(uv[i % 4][0], quads[i].u) << i;
        EXPECT_EQ(uv[i % 4][1], quads[i].v) << i;
    }
}

TEST(GlyphBatchTest, WithoutADeviceNothingIsWrittenOrDrawn)
{
    const CurrentObjectsGuard current;
    CurrentDevice = nullptr;
    GlyphBatch batch;
    EXPECT_EQ(1u, batch.ChunkCount());
    EXPECT_EQ(0, batch.QuadCount());
    batch.Resize(20000);
    EXPECT_EQ(2u, batch.ChunkCount());
    batch.LockAll(); // no buffers: the writers skip every quad
    batch.SetQuadPosition(0, D3DXVECTOR3(1, 1, 0), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0));
    batch.SetQuadColour(19999, 0xFFFFFFFFu);
    batch.SetQuadUV(16383, 0, 1, 0, 1);
    batch.UnlockAll();
    batch.Draw();
}

// Reference count of a texture, as AddRef and Release report it.
ULONG References(IDirect3DTexture9* texture)
{
    texture->AddRef();
    return texture->Release();
}

class GlyphBatchDeviceTest : public DeviceTest {
protected:
    // Stage 0 as the glyph light draws: texture × vertex colour, texture alpha × vertex alpha,
    // blended over what is there; point sampling so that texels do not mix.
    void SetGlyphStates()
    {
        device()->SetRenderState(D3DRS_ZENABLE, FALSE);
        device()->SetRenderState(D3DRS_LIGHTING, FALSE);
        device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device()->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device()->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device()->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device()->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device()->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device()->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        device()->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        device()->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        device()->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    }

    // Clears to black, draws the batch in one scene and reads the back buffer.
    PixelImage DrawOnBlack(const GlyphBatch& batch)
    {
        device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        device()->BeginScene();
        batch.Draw();
        device()->EndScene();
        return ReadBackBuffer();
    }

    // A batch of n quads with a white texture, the glyph states set.
    GlyphBatch& WhiteBatch(int32_t n)
    {
        SetGlyphStates();
        white_ = SolidTexture(device(), 4, 4, 0xFFFFFFFFu);
        batch_ = std::make_unique<GlyphBatch>();
        batch_->Resize(n);
        batch_->SetTexture(white_.Get());
        return *batch_;
    }

    // The batch and its texture go before the device.
    void TearDown() override
    {
        batch_.reset();
        white_.Reset();
        DeviceTest::TearDown();
    }

    // A quad of 16 × 16 pixels centred on (x, y).
    static void PlaceQuad(GlyphBatch& batch, int32_t q, float x, float y)
    {
        batch.SetQuadPosition(q, D3DXVECTOR3(x, y, 0), D3DXVECTOR3(8, 0, 0), D3DXVECTOR3(0, 8, 0));
    }

private:
    ComRef<IDirect3DTexture9> white_;
    std::unique_ptr<GlyphBatch> batch_;
};

// Largest difference of one colour channel between two 0x..RRGGBB colours.
int ChannelDistance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift : {0, 8, 16})
        worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return worst;
}

TEST_F(GlyphBatchDeviceTest, ChunksShareTheTextureThroughResizes)
{
    ComRef<IDirect3DTexture9> texture = SolidTexture(device(), 4, 4, 0xFFFFFFFFu);
    ASSERT_TRUE(texture);
    const ULONG alone = References(texture.Get());
    {
        GlyphBatch batch;
        batch.SetTexture(texture.Get()); // before the first resize
        batch.Resize(40000);
        ASSERT_EQ(3u, batch.ChunkCount());
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ(texture.Get(), batch.Chunk(i).texture.Get()) << i;
        EXPECT_EQ(alone + 3, References(texture.Get()));

        batch.SetTexture(texture.Get()); // the texture each chunk holds already
        EXPECT_EQ(alone + 3, References(texture.Get()));

        batch.Resize(10); // the surplus chunks let go of theirs
        ASSERT_EQ(1u, batch.ChunkCount());
        EXPECT_EQ(texture.Get(), batch.Chunk(0).texture.Get());
        EXPECT_EQ(alone + 1, References(texture.Get()));
    }
    EXPECT_EQ(alone, References(texture.Get()));
}

TEST_F(GlyphBatchDeviceTest, ResizeBuildsEachChunkForItsQuads)
{
    GlyphBatch batch;
    batch.Resize(16384);
    EXPECT_EQ(16384, batch.QuadCount());
    ASSERT_EQ(2u, batch.ChunkCount());
    const uint32_t quads[2] = {16383, 1};
    for (size_t i = 0; i < 2; ++i) {
        const GlyphChunk& chunk = batch.Chunk(i);
        EXPECT_TRUE(chunk.vertices.buffer) << i;
        EXPECT_TRUE(chunk.indexBuffer) << i;
        EXPECT_EQ(4 * quads[i], chunk.vertices.count) << i;
        EXPECT_EQ(2 * quads[i], chunk.triangleCount) << i;
        EXPECT_EQ(D3DPT_TRIANGLELIST, chunk.primitiveType) << i;
        D3DINDEXBUFFER_DESC desc = {};
        chunk.indexBuffer->GetDesc(&desc);
        EXPECT_EQ(D3DFMT_INDEX16, desc.Format);
        EXPECT_EQ(D3DPOOL_MANAGED, desc.Pool);
        EXPECT_EQ(6 * quads[i] * 2, desc.Size);
    }
}

TEST_F(GlyphBatchDeviceTest, FreshBatchDrawsNothing)
{
    EXPECT_EQ(kWidth * kHeight, DrawOnBlack(WhiteBatch(50)).Count(0x000000));
}

// A texture with a red top half and a green bottom half: each quad shows the band it was given,
// at the place of its global index, with its vertex colour's alpha.
TEST_F(GlyphBatchDeviceTest, QuadsShowTheirBandsAtTheirPlaces)
{
    SetGlyphStates();
    ComRef<IDirect3DTexture9> bands =
        PaintedTexture(device(), 2, 2, [](UINT, UINT y) { return y == 0 ? 0xFFFF0000u : 0xFF00FF00u; });
    ASSERT_TRUE(bands);
    GlyphBatch batch;
    batch.Resize(3);
    batch.SetTexture(bands.Get());
    batch.LockAll();
    PlaceQuad(batch, 0, 40, 40);
    batch.SetQuadColour(0, 0xFFFFFFFFu);
    batch.SetQuadUV(0, 0, 1, 0, 0.5f);
    PlaceQuad(batch, 1, 120, 40);
    batch.SetQuadColour(1, 0xFFFFFFFFu);
    batch.SetQuadUV(1, 0, 1, 0.5f, 1);
    PlaceQuad(batch, 2, 200, 40);
    batch.SetQuadColour(2, 0x80FFFFFFu);
    batch.SetQuadUV(2, 0, 1, 0.5f, 1);
    batch.UnlockAll();

    const PixelImage image = DrawOnBlack(batch);
    EXPECT_EQ(256u, image.Count(0xFF0000, 32, 32, 48, 48));
    EXPECT_EQ(256u, image.Count(0x00FF00, 112, 32, 128, 48));
    EXPECT_LE(ChannelDistance(0x008000, image.Rgb(200, 40)), 2) << std::hex << image.Rgb(200, 40);
    EXPECT_EQ(0x000000u, image.Rgb(40, 60)); // nothing outside the quads
    EXPECT_EQ(0x000000u, image.Rgb(80, 40));
}

TEST_F(GlyphBatchDeviceTest, QuadsOnBothSidesOfAChunkBoundaryAreDrawn)
{
    GlyphBatch& batch = WhiteBatch(16384);
    batch.LockAll();
    PlaceQuad(batch, 16382, 40, 100); // the last quad of chunk 0
    batch.SetQuadColour(16382, 0xFFFF0000u);
    PlaceQuad(batch, 16383, 120, 100); // the only quad of chunk 1
    batch.SetQuadColour(16383, 0xFF0000FFu);
    batch.SetQuadColour(16384, 0xFFFFFFFFu); // past the end: ignored
    batch.UnlockAll();

    const PixelImage image = DrawOnBlack(batch);
    EXPECT_EQ(256u, image.Count(0xFF0000, 32, 92, 48, 108));
    EXPECT_EQ(256u, image.Count(0x0000FF, 112, 92, 128, 108));
    EXPECT_EQ(256u * 2, image.Count(0xFF0000) + image.Count(0x0000FF));
}

// The glyph light draws only the quads of the cells it listed: those after them are cleared to
// alpha 0 and draw nothing, so leaving them out keeps every pixel, across the chunk boundary too.
TEST_F(GlyphBatchDeviceTest, DrawingTheListedQuadsAloneKeepsEveryPixel)
{
    const int32_t quads = kGlyphChunkQuads + 100, listed = kGlyphChunkQuads + 10;
    GlyphBatch& batch = WhiteBatch(quads);
    batch.LockAll();
    for (int32_t q = 0; q < quads; ++q) {
        // Listed quads 2 × 2 pixels over the whole back buffer, row by row; the rest copies of
        // the last listed one without its alpha, as the glyph cursor leaves them.
        const int32_t cell = q < listed ? q : listed - 1;
        const float x = float(2 * (cell % 128) + 1), y = float(2 * ((cell / 128) % 96) + 1);
        batch.SetQuadPosition(q, D3DXVECTOR3(x, y, 0), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0));
        // The cells past the first 128 × 96 lie over those before them in blue.
        const D3DCOLOR colour = cell >= 128 * 96 ? 0xFF0000FFu
                                : (cell % 3 == 0) ? 0xFFFF0000u
                                : (cell % 3 == 1) ? 0x80FFFFFFu
                                                  : 0xFF00FF00u;
        batch.SetQuadColour(q, q < listed ? colour : colour & 0x00FFFFFFu);
    }
    batch.UnlockAll();
    auto draw = [&](int32_t count) {
        device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        device()->BeginScene();
        batch.Draw(count);
        device()->EndScene();
        return ReadBackBuffer();
    };
    const PixelImage all = draw(quads);
    EXPECT_TRUE(all.pixels == draw(listed).pixels);
    EXPECT_FALSE(all.pixels == draw(listed - 20).pixels) << "the quads of the second chunk are drawn";
    EXPECT_EQ(size_t(kWidth) * kHeight, draw(0).Count(0x000000));
}

} // namespace
