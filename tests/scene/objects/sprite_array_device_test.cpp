#include <gtest/gtest.h>

#include <memory>

#include "../DeviceScene.h"
#include "../SceneFixtures.h"
#include "tests/support/DeviceFixture.h"
#include "scene/objects/DS_SpriteArrayObj.h"

namespace {

UINT VertexBytes(const DS_SpriteArrayObj& s)
{
    D3DVERTEXBUFFER_DESC desc{};
    if (!s.vertices.buffer || FAILED(s.vertices.buffer->GetDesc(&desc)))
        return 0;
    return desc.Size;
}

UINT IndexBytes(const DS_SpriteArrayObj& s)
{
    D3DINDEXBUFFER_DESC desc{};
    if (!s.indexBuffer || FAILED(s.indexBuffer->GetDesc(&desc)))
        return 0;
    return desc.Size;
}

class SpriteArrayDeviceTest : public DeviceTest {
protected:
    CurrentManagerScope current;
    ObjectSpaceScope space{128, 96};
};

} // namespace

TEST_F(SpriteArrayDeviceTest, CountChangesRebuildTheBuffersAndKeepTheSprites)
{
    auto* d = new PlainSpriteKind;
    d->count.value = 5;
    DS_SpriteArrayObj s(d);
    EXPECT_EQ(s.Sprites().size(), 5u);
    EXPECT_EQ(d->initCalls, 5);
    EXPECT_EQ(VertexBytes(s), 480u);
    EXPECT_EQ(IndexBytes(s), 60u);
    EXPECT_EQ(s.primitiveType, D3DPT_TRIANGLELIST);
    EXPECT_EQ(s.triangleCount, 10u);

    struct Step {
        unsigned count;
        UINT vertexBytes, indexBytes;
        size_t sprites;
    } steps[] = {{3, 288, 36, 5}, {5, 480, 60, 5}, {0, 480, 60, 5}, {7, 672, 84, 7}};
    for (const Step& step : steps) {
        d->count.SetValue(step.count, nullptr);
        EXPECT_EQ(VertexBytes(s), step.vertexBytes) << step.count;
        EXPECT_EQ(IndexBytes(s), step.indexBytes) << step.count;
        EXPECT_EQ(s.Sprites().size(), step.sprites) << step.count;
    }
    EXPECT_EQ(d->initCalls, 7);
}

// After a smaller count the sprites beyond it are no longer drawn but keep moving, so they are
// where they should be when the count grows again.
TEST_F(SpriteArrayDeviceTest, SpritesBeyondTheCountKeepMoving)
{
    auto* d = new PlainSpriteKind;
    d->count.value = 5;
    DS_SpriteArrayObj s(d);
    d->count.SetValue(3, nullptr);
    ASSERT_EQ(s.QuadCount(), 3u);
    s.Update(0.1f);
    EXPECT_EQ(d->updateCalls, 5);
}

TEST_F(SpriteArrayDeviceTest, CountIsCappedAtWhatSixteenBitIndicesReach)
{
    auto* d = new PlainSpriteKind;
    d->count.value = 100000;
    DS_SpriteArrayObj s(d);
    EXPECT_EQ(s.QuadCount(), 16384u);
    EXPECT_EQ(s.Sprites().size(), 16384u);
    EXPECT_EQ(IndexBytes(s), 6u * 16384u * 2u);
    // The capped array still animates.
    s.Update(0.1f);
    EXPECT_GT(d->objectTime, 0.0f);
    EXPECT_EQ(d->updateCalls, 16384);
}

TEST_F(SpriteArrayDeviceTest, CountZeroMakesNothingAndNothingMoves)
{
    auto* d = new PlainSpriteKind;
    d->count.value = 0;
    DS_SpriteArrayObj s(d);
    EXPECT_FALSE(s.vertices.buffer);
    EXPECT_FALSE(s.indexBuffer);
    EXPECT_TRUE(s.Sprites().empty());
    s.Update(0.1f);
    EXPECT_EQ(d->objectTime, 0.0f);
}

TEST_F(SpriteArrayDeviceTest, UpdateRunsTheClockTheSpritesAndTheTextureFrames)
{
    const ResKey key(L"anim.png", 3);
    PutTextureAnim(current.manager, key, 64, 64, 2, {0.5f, 0.5f});
    auto* d = new PlainSpriteKind;
    d->pictureKey = key;
    d->count.value = 2;
    d->speed.value = 100;
    DS_SpriteArrayObj s(d);
    ASSERT_EQ(s.frames.size(), 2u);

    float t = 0.0f;
    for (int i = 0; i < 3; ++i)
        s.Update(t += 0.1f); // object time 0.2 per 0.1 s at speed 100
    EXPECT_NEAR(d->objectTime, 0.6f, 1e-5f);
    EXPECT_EQ(d->updateCalls, 6);
    EXPECT_EQ(s.currentFrame, 1u); // more than 0.5 s of object time
}

TEST_F(SpriteArrayDeviceTest, SecondPictureGivesASecondTextureWithItsOwnReference)
{
    ComRef<IDirect3DTexture9> overlay = MakeSolidTexture(device(), 0xFF0000FF);
    const ResKey key(L"overlay.png", 1);
    TextureAnim& anim = current.manager.data().textureAnims[key];
    anim.frames = {overlay};
    auto* d = new PlainSpriteKind;
    d->secondPictureKey = key;
    DS_SpriteArrayObj s(d);
    IDirect3DTexture9* t = s.GetSecondTexture();
    ASSERT_EQ(t, overlay.Get());
    t->Release();

    auto* without = new PlainSpriteKind;
    without->secondPictureKey = ResKey(L"nothing.png", 2);
    DS_SpriteArrayObj plain(without);
    EXPECT_EQ(plain.GetSecondTexture(), nullptr);
}

TEST_F(SpriteArrayDeviceTest, CreateObjectMakesAnArrayOverAClone)
{
    PlainSpriteKind d;
    d.count.value = 3;
    std::unique_ptr<DS_ABObj> object(d.CreateObject());
    auto* s = dynamic_cast<DS_SpriteArrayObj*>(object.get());
    ASSERT_NE(s, nullptr);
    EXPECT_NE(s->Description(), &d);
    EXPECT_EQ(s->Sprites().size(), 3u);
    // The clone's count drives the array, not the slide's description.
    d.count.SetValue(1, nullptr);
    EXPECT_EQ(s->QuadCount(), 3u);
    s->Description()->count.SetValue(1, nullptr);
    EXPECT_EQ(s->QuadCount(), 1u);
}
