// Sound muting where the system reports Vista or later (Wine's default 6.1): the mute switches of
// mixer 0, on the PulseAudio null sink the test command starts; the speakers line is read back, the
// wave-out line (which Wine answers but does not keep) is judged by the calls' results.
#include "launcher/SoundMute_win.h"

#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace zarn;

namespace {

// The Mute value of the mixer-0 line of this component type; -1 when it cannot be read.
int ReadLineMute(DWORD componentType) {
    HMIXER mixer = nullptr;
    if (::mixerOpen(&mixer, 0, 0, 0, MIXER_OBJECTF_HMIXER) != MMSYSERR_NOERROR)
        return -1;
    const auto handle = reinterpret_cast<HMIXEROBJ>(mixer);
    int result = -1;
    MIXERLINEW line{};
    line.cbStruct = sizeof line;
    line.dwComponentType = componentType;
    MIXERCONTROLW control{};
    MIXERLINECONTROLSW controls{};
    controls.cbStruct = sizeof controls;
    controls.dwControlType = MIXERCONTROL_CONTROLTYPE_MUTE;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof control;
    controls.pamxctrl = &control;
    MIXERCONTROLDETAILS_BOOLEAN value{};
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.cChannels = 1;
    details.cbDetails = sizeof value;
    details.paDetails = &value;
    if (::mixerGetLineInfoW(handle, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) ==
        MMSYSERR_NOERROR) {
        controls.dwLineID = line.dwLineID;
        if (::mixerGetLineControlsW(handle, &controls,
                                    MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) ==
            MMSYSERR_NOERROR) {
            details.dwControlID = control.dwControlID;
            if (::mixerGetControlDetailsW(handle, &details,
                                          MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) ==
                MMSYSERR_NOERROR)
                result = value.fValue ? 1 : 0;
        }
    }
    ::mixerClose(mixer);
    return result;
}

int SpeakersMute() {
    return ReadLineMute(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
}

class SoundMuteMixer : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_GT(::mixerGetNumDevs(), 0u) << "no mixer: the test command starts PulseAudio with a null sink";
    }
    void TearDown() override { SetMixerLineMute(0, FALSE); }
};

} // namespace

TEST(SoundMute, SeesVistaOrLaterUnderDefaultWine) {
    EXPECT_TRUE(IsVistaOrLater());
}

TEST_F(SoundMuteMixer, MutingSetsAndClearsTheSpeakersLine) {
    ASSERT_TRUE(SetSoundMuted(FALSE));
    EXPECT_EQ(SpeakersMute(), 0);
    ASSERT_TRUE(SetSoundMuted(TRUE));
    EXPECT_EQ(SpeakersMute(), 1);
    ASSERT_TRUE(SetSoundMuted(FALSE));
    EXPECT_EQ(SpeakersMute(), 0);
}

TEST_F(SoundMuteMixer, BothLinesAnswerEachStep) {
    EXPECT_TRUE(SetMixerLineMute(1, TRUE));
    EXPECT_TRUE(SetMixerLineMute(0, TRUE));
    EXPECT_EQ(SpeakersMute(), 1);
    EXPECT_TRUE(SetMixerLineMute(1, FALSE));
    EXPECT_TRUE(SetMixerLineMute(0, FALSE));
    EXPECT_EQ(SpeakersMute(), 0);
}

// A line number that names neither line is refused without touching the mixer.
TEST_F(SoundMuteMixer, UnknownLineIsRefused) {
    ASSERT_TRUE(SetMixerLineMute(0, TRUE));
    EXPECT_FALSE(SetMixerLineMute(2, FALSE));
    EXPECT_FALSE(SetMixerLineMute(-1, FALSE));
    EXPECT_EQ(SpeakersMute(), 1);
}

// The mixer path intercepts nothing: waveOutWrite keeps its own first bytes.
TEST_F(SoundMuteMixer, MixerPathInstallsNoInterception) {
    const auto* entry =
        reinterpret_cast<const uint8_t*>(::GetProcAddress(::GetModuleHandleW(L"winmm.dll"), "waveOutWrite"));
    ASSERT_NE(entry, nullptr);
    const std::vector<uint8_t> before(entry, entry + 16);
    ASSERT_TRUE(SetSoundMuted(TRUE));
    EXPECT_EQ(std::vector<uint8_t>(entry, entry + 16), before);
}
