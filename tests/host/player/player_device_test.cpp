// The slide show on a real device with the scene's own light modes: two picture slides faded
// through black, and the stretch setting's effect on the layout.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "document/DocResManager.h"
#include "document/ResourceCache.h"
#include "host/player/PlayerLight.h"
#include "host/player/PlayerSettings.h"
#include "host/player/ScenePlayer.h"
#include "scene/render/BufferLocks.h"
#include "tests/support/DeviceFixture.h"
#include "tests/support/ProcessHooks.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TestSettingsKey.h"
#include "tools/docwriter/DocumentBuilder.h"

namespace {

// A 24-bit BMP of one colour.
SlidePlan PictureSlide(uint32_t rgb, int width, int height)
{
    SlidePlan slide;
    slide.kind = 0;
    slide.picture.name = L"picture.bmp";
    slide.picture.data = SolidBmp(width, height, rgb);
    slide.fadeIn = L"1";
    slide.hold = L"2";
    slide.fadeOut = L"1";
    return slide;
}

std::vector<uint8_t> documentBytes;

// A light that only writes down the calls it gets, and which quad it is asked to draw.
std::vector<std::string> lightCalls;
const DS_ScreenQuad* drawnFadeQuad = nullptr;

class CallRecordingLight : public PlayerLight {
public:
    void SetStretch(int) override {}
    void UpdateObjects(float) override { lightCalls.push_back("UpdateObjects"); }
    void Update(float) override { lightCalls.push_back("Update"); }
    void BeginFrame() override { lightCalls.push_back("BeginFrame"); }
    void DrawObjects() override { lightCalls.push_back("DrawObjects"); }
    void EndFrame() override { lightCalls.push_back("EndFrame"); }
    void DrawFadeQuad(DS_ScreenQuad* quad) override
    {
        lightCalls.push_back("DrawFadeQuad");
        drawnFadeQuad = quad;
    }
    void ReleaseDeviceResources() override {}
};

class PlayerDeviceTest : public DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        settingsKey_.emplace(L"PlayerDevice");
        ForgetStretchPictureSetting();
        SetSceneDocumentSource([](SceneDoc& doc) { LoadSceneDocument(documentBytes.data(), documentBytes.size(), doc); });
    }
    // The players live in the tests' bodies: they and their lights are gone before the device.
    // DeviceTest::TearDown puts the current objects back, and hooks_ the hooks after it.
    void TearDown() override
    {
        settingsKey_.reset();
        ForgetStretchPictureSetting();
        DeviceTest::TearDown();
    }

    void StoreStretch(DWORD value)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, settingsKey_->Path().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, L"\"StretchPicture\"", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
        RegCloseKey(key);
    }

    // The centre pixel after one frame of the player at time t.
    uint32_t CentreAfterFrame(ScenePlayer& player, float t)
    {
        device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF00FF00u, 1.0f, 0);
        player.DrawFrame(t);
        const PixelImage image = ReadBackBuffer();
        return image.Rgb(image.width / 2, image.height / 2);
    }

    // A started player over a one-picture document whose light only records its calls.
    void StartWithRecordingLight(ScenePlayer& player)
    {
        DocumentPlan plan;
        plan.slides = {PictureSlide(0xC02010, 64, 48)};
        documentBytes = BuildDocument(plan);
        SetPlayerLightFactory([](const SlideRecord*) -> std::unique_ptr<PlayerLight> {
            return std::make_unique<CallRecordingLight>();
        });
        CurrentResourceCache = player.Cache();
        player.Start(0.0f);
    }

    std::optional<TestSettingsKey> settingsKey_;
    HostHooksGuard hooks_;
};

bool Near(uint32_t rgb, uint32_t expected, int tolerance = 3)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((rgb >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

TEST_F(PlayerDeviceTest, TwoPictureSlidesFadeThroughBlack)
{
    DocumentPlan plan;
    plan.slides = {PictureSlide(0xC02010, 64, 48), PictureSlide(0x1040C0, 64, 48)};
    documentBytes = BuildDocument(plan);

    ScenePlayer player;
    CurrentResourceCache = player.Cache();
    player.Start(0.0f);
    ASSERT_NE(player.Light(), nullptr);

    struct Frame {
        float t;
        uint32_t rgb;
        int heldBefore = 0;  // frames that hold the slide's clock, drawn just before this one
    };
    const Frame frames[] = {
        // The light's first frames hold the slide's clock, the one at 0.25 s starts it: black.
        {0.25f, 0x000000, kFramesBeforeSlideClock},
        {0.75f, 0x601008},  // half way through its fade-in
        {1.75f, 0xC02010},  // clear
        {3.75f, 0x601008},  // half way through its fade-out
        {4.5f, 0x000000},   // the switch frame: black
        {4.75f, 0x000000, kFramesBeforeSlideClock - 1},  // the second slide's clock starts: black
        {6.0f, 0x1040C0},   // the second picture, clear
    };
    for (const Frame& f : frames) {
        for (int i = f.heldBefore; i > 0; --i)
            EXPECT_TRUE(Near(CentreAfterFrame(player, f.t - 0.01f * static_cast<float>(i)), 0x000000));
        const uint32_t rgb = CentreAfterFrame(player, f.t);
        EXPECT_TRUE(Near(rgb, f.rgb)) << "t = " << f.t << ": " << std::hex << rgb << " instead of " << f.rgb;
    }
    EXPECT_EQ(player.SlideIndex(), 1u);
    SaveBackBufferPng(device(), L"player_second_slide");
}

TEST_F(PlayerDeviceTest, StretchSettingTurnsLetterboxIntoStretch)
{
    DocumentPlan plan;
    plan.slides = {PictureSlide(0xC02010, 64, 64)};  // square picture on a 4:3 back buffer
    documentBytes = BuildDocument(plan);

    for (DWORD stretch : {0u, 1u}) {
        SCOPED_TRACE(testing::Message() << "StretchPicture " << stretch);
        StoreStretch(stretch);
        ForgetStretchPictureSetting();
        ScenePlayer player;
        CurrentResourceCache = player.Cache();
        player.Start(0.0f);
        device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF00FF00u, 1.0f, 0);
        player.DrawFrame(1.5f);  // one slide: never faded
        const PixelImage image = ReadBackBuffer();
        const uint32_t edge = image.Rgb(4, image.height / 2);
        if (stretch)
            EXPECT_TRUE(Near(edge, 0xC02010)) << std::hex << edge;
        else
            EXPECT_TRUE(Near(edge, 0x000000)) << "letterboxed: a black bar at the side, not " << std::hex << edge;
        EXPECT_TRUE(Near(image.Rgb(image.width / 2, image.height / 2), 0xC02010));
        player.ReleaseDeviceResources();
    }
}

TEST_F(PlayerDeviceTest, FrameDrawsTheLightInsideOneSceneAndNothingWhenTheSceneCannotBegin)
{
    ScenePlayer player;
    StartWithRecordingLight(player);
    lightCalls.clear();
    player.DrawFrame(1.0f);
    const std::vector<std::string> wholeFrame = {"UpdateObjects", "Update",  "BeginFrame",
                                                 "DrawObjects",   "EndFrame", "DrawFadeQuad"};
    EXPECT_EQ(lightCalls, wholeFrame);
    EXPECT_EQ(drawnFadeQuad, &player.FadeQuad());
    // The frame ended its scene, so a new one can begin.
    ASSERT_EQ(device()->BeginScene(), D3D_OK);

    // Inside that scene the player's own BeginScene fails: the slide still advances, nothing is
    // drawn, and the scene begun here is not ended by the player.
    lightCalls.clear();
    player.DrawFrame(2.0f);
    EXPECT_EQ(lightCalls, (std::vector<std::string>{"UpdateObjects", "Update"}));
    EXPECT_EQ(device()->EndScene(), D3D_OK);
}

// The fade quad is uploaded on the frames whose fade level changes, and not while it holds. The
// recording light writes no buffer, so every lock counted is the fade quad's.
TEST_F(PlayerDeviceTest, FadeQuadIsUploadedOnlyWhenItsLevelChanges)
{
    DocumentPlan plan;
    plan.slides = {PictureSlide(0xC02010, 64, 48), PictureSlide(0x1040C0, 64, 48)};
    documentBytes = BuildDocument(plan);
    SetPlayerLightFactory([](const SlideRecord*) -> std::unique_ptr<PlayerLight> {
        return std::make_unique<CallRecordingLight>();
    });
    ScenePlayer player;
    CurrentResourceCache = player.Cache();
    player.Start(0.0f);
    // The light's first frames hold the slide's clock; the last of them starts it at 0.
    for (int i = 0; i <= kFramesBeforeSlideClock; ++i)
        player.DrawFrame(0.0f);
    const struct {
        float t;
        uint64_t locks;
    } frames[] = {{0.25f, 1}, {0.5f, 1}, {1.5f, 1}, {1.75f, 0}, {2.0f, 0}, {2.5f, 0}};
    for (const auto& f : frames) {
        const uint64_t before = BufferLocks.locks;
        player.DrawFrame(f.t);
        EXPECT_EQ(f.locks, BufferLocks.locks - before) << "t = " << f.t;
    }
}

// Before a reset the player unbinds every stage texture, the stream and the indices, whatever
// its light left bound (this light releases nothing itself).
TEST_F(PlayerDeviceTest, ReleaseUnbindsEveryStageTheStreamAndTheIndices)
{
    ScenePlayer player;
    StartWithRecordingLight(player);

    ComRef<IDirect3DTexture9> texture = SolidTexture(device(), 4, 4, 0xFFFFFFFF);
    ComRef<IDirect3DVertexBuffer9> vertices;
    ASSERT_EQ(device()->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, vertices.Out(), nullptr), D3D_OK);
    ComRef<IDirect3DIndexBuffer9> indices;
    ASSERT_EQ(device()->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, indices.Out(), nullptr), D3D_OK);
    for (DWORD stage = 0; stage < 8; ++stage)
        device()->SetTexture(stage, texture.Get());
    device()->SetStreamSource(0, vertices.Get(), 0, 16);
    device()->SetIndices(indices.Get());

    player.ReleaseDeviceResources();
    for (DWORD stage = 0; stage < 8; ++stage) {
        ComRef<IDirect3DBaseTexture9> bound;
        device()->GetTexture(stage, bound.Out());
        EXPECT_FALSE(bound) << "stage " << stage;
    }
    ComRef<IDirect3DVertexBuffer9> stream;
    UINT offset = 0, stride = 0;
    device()->GetStreamSource(0, stream.Out(), &offset, &stride);
    EXPECT_FALSE(stream);
    ComRef<IDirect3DIndexBuffer9> boundIndices;
    device()->GetIndices(boundIndices.Out());
    EXPECT_FALSE(boundIndices);
}

} // namespace
