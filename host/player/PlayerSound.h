// The sound calls of the playlist. The sound-track player fills these in; until it does, every
// playlist step plays nothing (the steps and the volume settings are still read).
#pragma once

class DS_AudioFile;

struct PlayerSoundHooks {
    bool (*play)(DS_AudioFile& track) = nullptr;  // true when the track plays
    void (*setVolume)(bool muted) = nullptr;       // reads SoundVolumeSetting
    void (*stop)() = nullptr;                      // stops the sound graph (before a device reset)
    void (*release)() = nullptr;                   // releases the sound graph (the saver ends)
};

void SetPlayerSoundHooks(const PlayerSoundHooks& hooks);
const PlayerSoundHooks& GetPlayerSoundHooks();
