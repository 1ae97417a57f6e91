// The guards of the process-wide hooks: what a test installs is gone when the test ends, also
// when an assertion ends it early, and what was installed before it is back.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/ProcessHooks.h"

namespace {

void ReadOuterDocument(SceneDoc&) {}
void ReadInnerDocument(SceneDoc&) {}
std::unique_ptr<PlayerLight> OuterLight(const SlideRecord*) { return nullptr; }
std::unique_ptr<PlayerLight> InnerLight(const SlideRecord*) { return nullptr; }
bool OuterPlay(DS_AudioFile&) { return true; }
bool InnerPlay(DS_AudioFile&) { return false; }
IDirect3D9* OuterDirect3D(UINT) { return nullptr; }
IDirect3D9* InnerDirect3D(UINT) { return nullptr; }
HRESULT OuterTest(IDirect3DDevice9*) { return D3D_OK; }
HRESULT InnerTest(IDirect3DDevice9*) { return D3DERR_DEVICELOST; }

// Every hook the guard keeps, set through the product's own calls.
void InstallHooks(void (*document)(SceneDoc&), std::unique_ptr<PlayerLight> (*light)(const SlideRecord*),
                  bool (*play)(DS_AudioFile&), IDirect3D9* (*direct3D)(UINT), const DeviceCalls& calls)
{
    SetSceneDocumentSource(document);
    SetPlayerLightFactory(light);
    PlayerSoundHooks sound;
    sound.play = play;
    SetPlayerSoundHooks(sound);
    SetDirect3DFactory(direct3D);
    SetDeviceCalls(&calls);
}

// A test in small: it installs hooks of its own, then an assertion ends it.
void InstallInnerHooksThenFail()
{
    const HostHooksGuard hooks;
    const StreamAnimTimeGuard clock(7.0f);
    InstallHooks(ReadInnerDocument, InnerLight, InnerPlay, InnerDirect3D, {InnerTest, nullptr, nullptr});
    ASSERT_TRUE(false) << "the test ends here";
}

} // namespace

TEST(ProcessHooksGuards, AnAssertionThatEndsATestEarlyLeavesTheHooksAsTheyWere)
{
    const HostHooksGuard hooks;
    const StreamAnimTimeGuard clock(2.0f);
    InstallHooks(ReadOuterDocument, OuterLight, OuterPlay, OuterDirect3D, {OuterTest, nullptr, nullptr});

    EXPECT_FATAL_FAILURE(InstallInnerHooksThenFail(), "the test ends here");

    using DocumentReader = void (*)(SceneDoc&);
    const DocumentReader* source = GetSceneDocumentSource().target<DocumentReader>();
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(*source, &ReadOuterDocument);
    EXPECT_EQ(GetPlayerLightFactory(), &OuterLight);
    EXPECT_EQ(GetPlayerSoundHooks().play, &OuterPlay);
    EXPECT_EQ(CurrentDirect3DFactory(), &OuterDirect3D);
    EXPECT_EQ(CurrentDeviceCalls().testCooperativeLevel, &OuterTest);
    EXPECT_EQ(StreamAnimTime, 2.0f);
}
