// Sound muting where the system reports Vista or later (Wine's default 6.1): the mute switches of
// mixer 0, on the PulseAudio null sink the test command starts; the speakers line is read back, the
// wave-out line (which Wine answers but does not keep) is judged by the calls' results. Mute controls
// of several items, which Wine's mixer has none of, through a fake mixer.
#include "mute/SoundMute_win.h"

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

namespace {

// A mixer whose mute control is one of several items (MIXERCONTROL_CONTROLF_MULTIPLE), answering as a
// driver is documented to: it checks the item count it is given against the control's, and reads or
// writes one value per item (cChannels × cMultipleItems) wherever paDetails points.
struct FakeMixer {
    DWORD Flags = MIXERCONTROL_CONTROLF_MULTIPLE | MIXERCONTROL_CONTROLF_UNIFORM;
    DWORD Items = 3;
    std::vector<BOOL> Values = std::vector<BOOL>(3, FALSE);
    int Opened = 0;
    int Closed = 0;
    int DetailCalls = 0;
};
FakeMixer Fake;

DWORD DetailCount(const MIXERCONTROLDETAILS& details) {
    return (details.cChannels ? details.cChannels : 1) *
           (details.cMultipleItems ? details.cMultipleItems : 1);
}

bool ItemsAsTheControlHas(const MIXERCONTROLDETAILS& details) {
    const DWORD expected = (Fake.Flags & MIXERCONTROL_CONTROLF_MULTIPLE) ? Fake.Items : 0;
    return details.cMultipleItems == expected && details.cbDetails == sizeof(MIXERCONTROLDETAILS_BOOLEAN) &&
           DetailCount(details) <= Fake.Values.size();
}

MMRESULT WINAPI FakeOpen(LPHMIXER mixer, UINT, DWORD_PTR, DWORD_PTR, DWORD) {
    ++Fake.Opened;
    *mixer = reinterpret_cast<HMIXER>(static_cast<INT_PTR>(0x4D58));
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeClose(HMIXER) {
    ++Fake.Closed;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeLineInfo(HMIXEROBJ, LPMIXERLINEW line, DWORD) {
    line->dwLineID = 7;
    line->cChannels = 2;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeLineControls(HMIXEROBJ, LPMIXERLINECONTROLSW controls, DWORD) {
    MIXERCONTROLW& control = *controls->pamxctrl;
    control.dwControlID = 11;
    control.dwControlType = MIXERCONTROL_CONTROLTYPE_MUTE;
    control.fdwControl = Fake.Flags;
    control.cMultipleItems = Fake.Items;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeGetDetails(HMIXEROBJ, LPMIXERCONTROLDETAILS details, DWORD) {
    ++Fake.DetailCalls;
    if (!ItemsAsTheControlHas(*details))
        return MMSYSERR_INVALPARAM;
    auto* values = static_cast<MIXERCONTROLDETAILS_BOOLEAN*>(details->paDetails);
    for (DWORD i = 0; i < DetailCount(*details); ++i)
        values[i].fValue = Fake.Values[i];
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeSetDetails(HMIXEROBJ, LPMIXERCONTROLDETAILS details, DWORD) {
    if (!ItemsAsTheControlHas(*details))
        return MMSYSERR_INVALPARAM;
    const auto* values = static_cast<const MIXERCONTROLDETAILS_BOOLEAN*>(details->paDetails);
    for (DWORD i = 0; i < DetailCount(*details); ++i)
        Fake.Values[i] = values[i].fValue;
    return MMSYSERR_NOERROR;
}

MixerFunctions FakeMixerFunctions() {
    MixerFunctions functions;
    functions.Open = &FakeOpen;
    functions.Close = &FakeClose;
    functions.GetLineInfo = &FakeLineInfo;
    functions.GetLineControls = &FakeLineControls;
    functions.GetControlDetails = &FakeGetDetails;
    functions.SetControlDetails = &FakeSetDetails;
    return functions;
}

} // namespace

TEST(SoundMuteItems, AMuteControlOfSeveralItemsIsSetForEveryItem) {
    Fake = FakeMixer{};
    ASSERT_TRUE(SetMixerLineMute(0, TRUE, FakeMixerFunctions()));
    EXPECT_EQ(Fake.Values, (std::vector<BOOL>{TRUE, TRUE, TRUE}));
    ASSERT_TRUE(SetMixerLineMute(1, FALSE, FakeMixerFunctions()));
    EXPECT_EQ(Fake.Values, (std::vector<BOOL>{FALSE, FALSE, FALSE}));
    EXPECT_EQ(Fake.Opened, 2);
    EXPECT_EQ(Fake.Closed, 2);
}

TEST(SoundMuteItems, APlainControlGetsOneValueWhateverItsItemCountSays) {
    Fake = FakeMixer{};
    Fake.Flags = MIXERCONTROL_CONTROLF_UNIFORM; // not MULTIPLE: its item count means nothing
    Fake.Items = 5;
    ASSERT_TRUE(SetMixerLineMute(0, TRUE, FakeMixerFunctions()));
    EXPECT_EQ(Fake.Values, (std::vector<BOOL>{TRUE, FALSE, FALSE}));
}

TEST(SoundMuteItems, AnItemCountNoMuteControlHasIsNotBelieved) {
    Fake = FakeMixer{};
    Fake.Items = 100000;
    EXPECT_FALSE(SetMixerLineMute(0, TRUE, FakeMixerFunctions()));
    EXPECT_EQ(Fake.DetailCalls, 0);
    EXPECT_EQ(Fake.Closed, Fake.Opened) << "the mixer is closed all the same";
}
