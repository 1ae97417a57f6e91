// The sound calls without a graph, and the volume the graph is given.
#include <gtest/gtest.h>

#include "document/SceneDoc.h"
#include "host/player/SoundTrack.h"

namespace {

TEST(DirectShowVolume, FollowsTheSettingInFortiethsOfADecibelUnlessMuted)
{
    struct Case {
        int32_t setting;
        bool mute;
        long volume;
    };
    const Case cases[] = {
        {100, false, 0},       {99, false, -40},      {50, false, -2000},   {1, false, -3960},
        {0, false, -4000},     {100, true, -10000},   {0, true, -10000},
        // Whatever else the registry holds ends at the nearest volume the graph accepts.
        {101, false, 0},       {2000000000, false, 0}, {-100, false, -8000}, {-150, false, -10000},
        {INT32_MIN, false, -10000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "setting " << c.setting << (c.mute ? " muted" : ""));
        EXPECT_EQ(DirectShowVolume(c.setting, c.mute), c.volume);
    }
}

// Before the graph is built and after it is released, every call does nothing.
void ExpectNoSound()
{
    DS_AudioFile track;
    track.title = L"tone";
    track.file.name = L"C:\\no-such-folder\\tone.wav";
    EXPECT_EQ(SoundGraph(), nullptr);
    EXPECT_FALSE(SoundPlay(&track));
    EXPECT_FALSE(SoundPlay(nullptr));
    EXPECT_FALSE(SoundRenderSource(nullptr));
    EXPECT_EQ(SoundPlayFile(track.file.name.c_str()), 0);
    SoundSetVolume(true);
    SoundStop();
    EXPECT_EQ(SoundGetEvent(), -1);
    SoundRelease();
}

TEST(SoundWithoutGraph, EveryCallIsANoOpAndNoEventIsPending)
{
    ExpectNoSound();
    ASSERT_EQ(SoundInit(nullptr), 1);
    ASSERT_NE(SoundGraph(), nullptr);
    SoundRelease();
    ExpectNoSound();
    SoundRelease();  // the saver's end may come twice
}

} // namespace
