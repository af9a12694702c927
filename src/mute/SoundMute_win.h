// Silencing the sound of a game-window process: on Vista and later through the mute switches of the
// first audio mixer, on earlier systems by intercepting the process's own audio output and zeroing
// every buffer it hands over while muted.
#pragma once

#include <windows.h>
#include <mmsystem.h>

namespace zarn {

// The winmm mixer functions the mixer path goes through; a test hands in a mixer of its own.
struct MixerFunctions {
    decltype(&::mixerOpen) Open = &::mixerOpen;
    decltype(&::mixerClose) Close = &::mixerClose;
    decltype(&::mixerGetLineInfoW) GetLineInfo = &::mixerGetLineInfoW;
    decltype(&::mixerGetLineControlsW) GetLineControls = &::mixerGetLineControlsW;
    decltype(&::mixerGetControlDetailsW) GetControlDetails = &::mixerGetControlDetailsW;
    decltype(&::mixerSetControlDetails) SetControlDetails = &::mixerSetControlDetails;
};

// Applies the muted state in this process. On earlier systems the first call installs the
// interceptions (detached again at exit); the answer is then always TRUE.
BOOL SetSoundMuted(BOOL muted);

// TRUE when the system's major version is above 5.
BOOL IsVistaOrLater();

// Line 0: the speakers destination line of mixer 0; line 1: its wave-out source line. TRUE only
// when the mixer opened and the mute control was found, read and set; the mixer is always closed.
// A mute control of several items is set for every item.
BOOL SetMixerLineMute(int line, BOOL muted, const MixerFunctions& mixer = MixerFunctions{});

} // namespace zarn
