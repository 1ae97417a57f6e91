#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "../SceneFixtures.h"
#include "document/CurrentDevice.h"
#include "scene/objects/DS_SpriteArrayObj.h"
#include "scene/objects/RuntimeObjects.h"
#include "tests/support/CurrentObjects.h"

namespace {

// A description kind without a runtime object.
class NoObjectKind : public DS_ABObj_Constructor {
public:
    bool Write(DS_IOF_Virtual*) override { return true; }
};

// No device is current for the test: every buffer creation and lock fails.
class NoDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        CurrentDevice = nullptr;
    }

    CurrentObjectsGuard currentObjects;
    CurrentManagerScope current;
    ObjectSpaceScope space{640, 480};
};

} // namespace

TEST_F(NoDevice, NullRuntimeObjectsAreNotKept)
{
    PlainSpriteKind a, c;
    NoObjectKind b;
    ObjectList descriptions = {&a, &b, nullptr, &c};
    RuntimeObjectList objects;
    MakeRuntimeObjects(descriptions, objects);
    ASSERT_EQ(objects.size(), 2u);
    for (const auto& object : objects)
        EXPECT_NE(dynamic_cast<DS_SpriteArrayObj*>(object.get()), nullptr);
}

TEST_F(NoDevice, WithoutABufferOnlyTheTextureAnimationMoves)
{
    const ResKey key(L"anim.png", 5);
    PutTextureAnim(current.manager, key, 32, 32, 2, {0.1f, 0.1f});
    auto* d = new PlainSpriteKind;
    d->pictureKey = key;
    d->count.value = 2;
    d->objectTime = 1.0f; // the clock stands still, so the frame moves on object time 1.0
    DS_SpriteArrayObj s(d);
    EXPECT_EQ(s.triangleCount, 0u);
    EXPECT_FALSE(s.indexBuffer);
    s.Update(0.5f);
    EXPECT_EQ(d->objectTime, 1.0f);
    EXPECT_EQ(d->lastAppTime, 0.0f);
    EXPECT_EQ(d->updateCalls, 0);
    EXPECT_EQ(s.currentFrame, 1u);
}

TEST_F(NoDevice, ViewQuadFollowsTheRectangle)
{
    PlainSpriteKind d;
    d.pixelRect.left.SetValue(64, nullptr);
    d.pixelRect.top.SetValue(48, nullptr);
    float q[20];
    EXPECT_EQ(d.GetViewQuad(q), q);
    const float expected[4][2] = {{64, 480}, {64, 48}, {640, 480}, {640, 48}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(q[5 * i], expected[i][0]) << i;
        EXPECT_FLOAT_EQ(q[5 * i + 1], expected[i][1]) << i;
    }
    // u and v as the template makes them.
    EXPECT_EQ(q[3], 0.0f);
    EXPECT_EQ(q[4], 1.0f);
    EXPECT_EQ(q[18], 1.0f);
    EXPECT_EQ(q[19], 0.0f);
}

TEST_F(NoDevice, NewSpritesDrawScaleThenTheAlphaCoin)
{
    const ResKey key(L"pic.png", 9);
    PutTextureAnim(current.manager, key, 100, 100, 1);
    auto* d = new PlainSpriteKind;
    d->pictureKey = key;
    d->scaleMin = 1.0f;
    d->scaleMax = 2.0f;
    d->alphaRate = 0.5f;
    d->count.value = 2;
    d->transparency.SetValue(50, nullptr);
    d->colour.value = 0x00336699;
    std::srand(1); // 41, 18467 (odd), 6334, 26500 (even)
    DS_SpriteArrayObj s(d);
    ASSERT_EQ(s.Sprites().size(), 2u);
    const DS_Sprite& first = *s.Sprites().front();
    const DS_Sprite& second = *s.Sprites().back();
    EXPECT_FLOAT_EQ(first.scale, 1.0f + static_cast<float>(41 / 32767.0));
    EXPECT_EQ(first.alphaRate, -0.5f);
    EXPECT_FLOAT_EQ(second.scale, 1.0f + static_cast<float>(6334 / 32767.0));
    EXPECT_EQ(second.alphaRate, 0.5f);
    EXPECT_EQ(first.alpha, 1.0f);
    EXPECT_EQ(first.colour, 0x7F996633u); // opacity 127 at alpha 1
    EXPECT_EQ(d->initCalls, 2);
}
