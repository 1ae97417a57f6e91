#include "host/player/ScenePlayer.h"

#include <new>

#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "host/player/PlayerSettings.h"
#include "host/player/PlayerSound.h"
#include "host/player/SlideTiming.h"
#include "scene/render/DeviceBindings.h"

namespace {

SceneDocumentSource documentSource;

void LoadDocument(SceneDoc& doc)
{
    if (documentSource)
        documentSource(doc);
    else
        LoadSceneDocument(doc);
}

} // namespace

void SetSceneDocumentSource(SceneDocumentSource source)
{
    documentSource = std::move(source);
}

const SceneDocumentSource& GetSceneDocumentSource()
{
    return documentSource;
}

ScenePlayer::ScenePlayer()
    : playlistCursor_(doc_.sounds.end())
{
    cache_.reset(new (std::nothrow) ResourceCacheHandle);
    if (cache_)
        ResourceCache::Create(cache_.get());
}

// The light and the cache go with the player. The application destroys its players only after
// every device has been released, and a light's destructor releases only counted references.
ScenePlayer::~ScenePlayer()
{
    light_.reset();
    doc_.Destroy();
}

void ScenePlayer::MakeLight(const SlideRecord* slide)
{
    light_ = CreatePlayerLight(slide);
    if (light_)
        light_->SetStretch(GetStretchPicture());
}

void ScenePlayer::Start(float appTime)
{
    light_.reset();
    // The load replaces the sound list: the cursor must not point into the old one meanwhile.
    playlistCursor_ = doc_.sounds.end();
    try {
        LoadDocument(doc_);
    } catch (...) {
        // A half-read document is not shown: no slides, no sounds, nothing for Advance to do.
        doc_.Destroy();
        playlistCursor_ = doc_.sounds.end();
        throw;
    }

    slideIndex_ = 0;
    MakeLight(doc_.slideCount > 0 ? &doc_.slides[0] : nullptr);
    slideStart_ = appTime;
    framesWithLight_ = 0;
    if (doc_.slideCount > 0)
        speedFactor_ = ::SpeedFactor(doc_.slides[0].speed);

    fadeQuad_.Create(0, MakeBackBufferQuad());

    playlistCursor_ = doc_.sounds.begin();
    PlaylistStep();
}

// Plays the track at the cursor, then sets the volume from the settings as they are now, and
// moves the cursor on, wrapping to the first track. A track that cannot be played is passed
// over, but at most once around the list: a list of unplayable files (or no sound device) then
// plays nothing instead of turning for ever.
void ScenePlayer::PlaylistStep()
{
    const PlayerSoundHooks& sound = GetPlayerSoundHooks();
    for (size_t tried = 0; tried < doc_.sounds.size(); ++tried) {
        if (playlistCursor_ == doc_.sounds.end())
            playlistCursor_ = doc_.sounds.begin();
        DS_AudioFile& track = **playlistCursor_;
        ++playlistCursor_;
        if (playlistCursor_ == doc_.sounds.end())
            playlistCursor_ = doc_.sounds.begin();
        if (sound.play && !sound.play(track))
            continue;
        ReadSettingDword(&SoundVolumeSetting, kSoundVolumeValue);
        ReadSettingDword(&MuteSoundSetting, kMuteSoundValue);
        if (sound.setVolume)
            sound.setVolume(MuteSoundSetting != 0);
        return;
    }
}

void ScenePlayer::OnMediaEvent(int eventCode)
{
    if (eventCode == 1)
        PlaylistStep();
}

void ScenePlayer::Advance(float t)
{
    // A new light's clock is held at 0 through its first frames: the frame that made it read
    // its time before the making, and the first frames drawn with it also pay for what the
    // device makes on first use, which it may finish frames later. Then the slide's clock
    // starts, black again when the slide has a fade-in.
    if (framesWithLight_ <= kFramesBeforeSlideClock)
        slideStart_ = t;
    if (doc_.slideCount >= 2) {
        const SlideTimes times = SlideTimesOf(doc_.slides[slideIndex_]);
        if (SlideExpired(times, t - slideStart_)) {
            slideIndex_ = NextSlideIndex(slideIndex_, doc_.slideCount);
            light_.reset();
            MakeLight(&doc_.slides[slideIndex_]);
            slideStart_ = t;
            framesWithLight_ = 0;
            speedFactor_ = ::SpeedFactor(doc_.slides[slideIndex_].speed);
        }
        // On the frame of a switch this is the ended slide's fade-in at a = 0.
        const float level = FadeLevel(times, t - slideStart_);
        fadeQuad_.SetVertexAlphas(level, level, level, level);
    }
    if (framesWithLight_ <= kFramesBeforeSlideClock)
        ++framesWithLight_;
    if (!light_)
        return;
    light_->UpdateObjects(t);
    light_->Update(speedFactor_ * t);
}

void ScenePlayer::DrawFrame(float appTime)
{
    Advance(appTime);
    if (!CurrentDevice || FAILED(CurrentDevice->BeginScene()))
        return;
    if (light_) {
        light_->BeginFrame();
        light_->DrawObjects();
        light_->EndFrame();
        light_->DrawFadeQuad(&fadeQuad_);
    }
    CurrentDevice->EndScene();
}

void ScenePlayer::ReleaseDeviceResources()
{
    if (light_)
        light_->ReleaseDeviceResources();
    // Whatever a light left bound (and the fade quad's stream) must not hold up the reset.
    UnbindDrawingResources(kMaxTextureStages);
}
