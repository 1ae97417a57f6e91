// The sound calls of the playlist. The sound-track player fills these in; until it does, every
// playlist step plays nothing (the steps and the volume settings are still read).
#pragma once

class DS_AudioFile;

struct PlayerSoundHooks {
    void (*play)(DS_AudioFile& track) = nullptr;
    void (*setVolume)(bool muted) = nullptr;  // reads SoundVolumeSetting
    void (*release)() = nullptr;               // stops and releases the sound graph (release hook)
};

void SetPlayerSoundHooks(const PlayerSoundHooks& hooks);
const PlayerSoundHooks& GetPlayerSoundHooks();
