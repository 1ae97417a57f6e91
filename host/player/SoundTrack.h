// The sound-track player: one DirectShow filter graph for the whole process. It plays one sound
// file at a time, sets its volume and tells the main window (message 0x8000) when a track has
// played to its end. Every call without a graph, or without the interface it needs, does nothing:
// sound failures never reach the slide show.
//
// The graph lives from SoundInit (start-up of the full-screen and test modes) to SoundRelease
// (the end of the saver); a device reset only stops it, so the restarted show plays again.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <cstdint>

class DS_AudioFile;

// The message the graph posts to the notification window; it carries no data.
constexpr UINT kSoundNotifyMessage = 0x8000;
// IBasicAudio::put_Volume is in hundredths of a decibel: 0 is full volume, -10000 silence.
constexpr long kSilentVolume = -10000;

// The volume handed to the graph for a volume setting (0 to 100) and the mute flag: silence when
// muted, else (setting - 100) x 40, so 100 is full volume and 0 is -40 dB. Settings outside 0 to
// 100 (the registry holds whatever was put there) end at the nearest valid volume.
long DirectShowVolume(int32_t setting, bool mute);

// Builds the graph and sets `window` as its notification window: 1 when all of it worked, else 0
// (the interfaces obtained so far stay). A graph already built is released first.
int SoundInit(HWND window);
// Plays a track's file from its start, alone: true when it runs.
bool SoundPlay(const DS_AudioFile* track);
// Stops the graph, breaks every connection in it and plays from the source's "Output" pin: true
// when it runs. The previous track's source filter leaves the graph once this one renders.
bool SoundRenderSource(IBaseFilter* source);
// Lets the graph build the chain for a file by itself and runs it: 1 when it runs, else 0. The
// source filter the graph added for the file becomes the current source, which the next track
// takes out of the graph.
int SoundPlayFile(const wchar_t* path);
// Sets the volume from SoundVolumeSetting and the mute flag.
void SoundSetVolume(bool mute);
// The code of one pending graph event, or -1 when there is none (or no graph).
int SoundGetEvent();
// Stops whatever plays; the graph stays for the next track.
void SoundStop();
// Releases every interface of the graph and the current source, so that nothing holds the
// track's file open any more; safe to call again. COM stays initialised.
void SoundRelease();

// The graph (not an added reference), for looking at it; null without one.
IGraphBuilder* SoundGraph();

// Puts these functions behind the player's and the framework's sound calls.
void UseDirectShowSound();
