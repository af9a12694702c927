// Sound muting of a game-window process (see SoundMute_win.h): the mixer path and the interception
// path with its five replacements and the two method-table patches of DirectSound objects.
#include "mute/SoundMute_win.h"

#include <mmsystem.h>
#include <dsound.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/Handle.h"
#include "framework/ProcAddress.h"
#include "intercept/Transaction_win.h"

namespace zarn {
namespace {

// Nonzero while muted. Written by SetSoundMuted on the frame's thread, read by the replacements on the
// game's audio threads; relaxed order is all that is asked (a buffer handed over at the moment of a
// change may see either value) and compiles to plain 32-bit moves.
std::atomic<LONG> ProcessMuteFlag{0};

bool Muted() {
    return ProcessMuteFlag.load(std::memory_order_relaxed) != 0;
}

// --- Mixer path ------------------------------------------------------------------------------------

// Mixer 0, open for the life of the object, through the given functions.
class OpenMixer {
  public:
    explicit OpenMixer(const MixerFunctions& functions) : Functions(functions) {
        if (Functions.Open(&Handle, 0, 0, 0, MIXER_OBJECTF_HMIXER) != MMSYSERR_NOERROR)
            Handle = nullptr;
    }
    ~OpenMixer() {
        if (Handle)
            Functions.Close(Handle);
    }
    OpenMixer(const OpenMixer&) = delete;
    OpenMixer& operator=(const OpenMixer&) = delete;

    explicit operator bool() const { return Handle != nullptr; }
    HMIXEROBJ Object() const { return reinterpret_cast<HMIXEROBJ>(Handle); }

  private:
    const MixerFunctions& Functions;
    HMIXER Handle = nullptr;
};

DWORD ComponentTypeOfLine(int line) {
    return line == 0 ? MIXERLINE_COMPONENTTYPE_DST_SPEAKERS : MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
}

// More items than any mute control has: a driver that reports more is not believed.
constexpr DWORD MaxMuteItems = 256;

// The items a control's details are read and set for: its item count when it is a control of several
// items (MIXERCONTROL_CONTROLF_MULTIPLE), otherwise none (which means one value per channel).
DWORD MultipleItemsOf(const MIXERCONTROLW& control) {
    return (control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) ? control.cMultipleItems : 0;
}

// --- Interception path -----------------------------------------------------------------------------

using CreateSoundBufferMethod = HRESULT STDMETHODCALLTYPE(IDirectSound*, LPCDSBUFFERDESC,
                                                          LPDIRECTSOUNDBUFFER*, LPUNKNOWN);
using UnlockMethod = HRESULT STDMETHODCALLTYPE(IDirectSoundBuffer*, LPVOID, DWORD, LPVOID, DWORD);

constexpr int CreateSoundBufferEntry = 3; // of the IDirectSound method table
constexpr int UnlockEntry = 19;           // of the IDirectSoundBuffer method table

// A method-table entry replaced once per process: where it is and what it held.
template <typename Method> struct SlotPatch {
    Method** Slot = nullptr;
    Method* Previous = nullptr;
};

SlotPatch<CreateSoundBufferMethod> CreateSoundBufferPatch;
SlotPatch<UnlockMethod> UnlockPatch;

// The three targets; after the attach they lead to the intercepted functions themselves.
decltype(&waveOutWrite) RealWaveOutWrite = &waveOutWrite;
decltype(&midiStreamOut) RealMidiStreamOut = &midiStreamOut;
decltype(&DirectSoundCreate) RealDirectSoundCreate = nullptr;

// Replaces entry `index` of the object's method table with `replacement`, once per process.
template <typename Method>
void PatchMethodTable(void* object, int index, Method* replacement, SlotPatch<Method>& patch) {
    if (patch.Slot != nullptr || object == nullptr)
        return;
    Method** table = *static_cast<Method***>(object);
    Method** slot = &table[index];
    if (*slot == replacement)
        return; // another thread got there first
    DWORD old = 0;
    if (!::VirtualProtectEx(::GetCurrentProcess(), slot, sizeof *slot, PAGE_EXECUTE_READWRITE, &old))
        return;
    patch.Previous = *slot;
    patch.Slot = slot;
    *slot = replacement;
}

void Silence(void* data, DWORD bytes) {
    if (data != nullptr && bytes != 0)
        std::memset(data, 0, bytes);
}

MMRESULT WINAPI MutedWaveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size) {
    if (Muted() && header != nullptr)
        Silence(header->lpData, header->dwBufferLength);
    return RealWaveOutWrite(device, header, size);
}

MMRESULT WINAPI MutedMidiStreamOut(HMIDISTRM stream, LPMIDIHDR header, UINT size) {
    if (Muted() && header != nullptr)
        Silence(header->lpData, header->dwBufferLength);
    return RealMidiStreamOut(stream, header, size);
}

HRESULT STDMETHODCALLTYPE MutedBufferUnlock(IDirectSoundBuffer* self, LPVOID part1, DWORD bytes1,
                                            LPVOID part2, DWORD bytes2) {
    if (Muted()) {
        Silence(part1, bytes1);
        Silence(part2, bytes2);
    }
    return UnlockPatch.Previous(self, part1, bytes1, part2, bytes2);
}

HRESULT STDMETHODCALLTYPE MutedCreateSoundBuffer(IDirectSound* self, LPCDSBUFFERDESC description,
                                                 LPDIRECTSOUNDBUFFER* buffer, LPUNKNOWN outer) {
    if (buffer == nullptr)
        return CreateSoundBufferPatch.Previous(self, description, buffer, outer);
    LPDIRECTSOUNDBUFFER created = nullptr;
    const HRESULT hr = CreateSoundBufferPatch.Previous(self, description, &created, outer);
    *buffer = created;
    if (created != nullptr)
        PatchMethodTable(created, UnlockEntry, &MutedBufferUnlock, UnlockPatch);
    return hr;
}

HRESULT WINAPI MutedDirectSoundCreate(LPCGUID device, LPDIRECTSOUND* object, LPUNKNOWN outer) {
    if (object == nullptr)
        return RealDirectSoundCreate(device, object, outer);
    LPDIRECTSOUND created = nullptr;
    const HRESULT hr = RealDirectSoundCreate(device, &created, outer);
    *object = created;
    if (created != nullptr)
        PatchMethodTable(created, CreateSoundBufferEntry, &MutedCreateSoundBuffer, CreateSoundBufferPatch);
    return hr;
}

// The process's interceptions of its own audio output: attached when made, detached when destroyed.
// The engine needs no restore step before the first attach: it patches only this process's own code.
class SoundInterception {
  public:
    SoundInterception() : DirectSound_(::LoadLibraryW(L"dsound.dll")) {
        if (DirectSound_)
            RealDirectSoundCreate =
                GetProcAddressAs<decltype(DirectSoundCreate)>(DirectSound_.get(), MAKEINTRESOURCEA(1));
        intercept::Transaction transaction;
        transaction.Begin();
        transaction.EnlistCurrentThread();
        transaction.Attach(&RealWaveOutWrite, &MutedWaveOutWrite);
        transaction.Attach(&RealMidiStreamOut, &MutedMidiStreamOut);
        if (RealDirectSoundCreate != nullptr)
            transaction.Attach(&RealDirectSoundCreate, &MutedDirectSoundCreate);
        transaction.Commit();
    }
    ~SoundInterception() {
        intercept::Transaction transaction;
        transaction.Begin();
        transaction.EnlistCurrentThread();
        transaction.Detach(&RealWaveOutWrite, &MutedWaveOutWrite);
        transaction.Detach(&RealMidiStreamOut, &MutedMidiStreamOut);
        if (RealDirectSoundCreate != nullptr)
            transaction.Detach(&RealDirectSoundCreate, &MutedDirectSoundCreate);
        transaction.Commit();
    }
    SoundInterception(const SoundInterception&) = delete;
    SoundInterception& operator=(const SoundInterception&) = delete;

  private:
    UniqueModule DirectSound_; // kept loaded while DirectSoundCreate is patched
};

SoundInterception* Interception = nullptr;

void DestroySoundInterception() {
    delete Interception;
    Interception = nullptr;
}

} // namespace

BOOL IsVistaOrLater() {
    OSVERSIONINFOW info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info; // 276
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&info))
        return FALSE;
#pragma GCC diagnostic pop
    return info.dwMajorVersion > 5 ? TRUE : FALSE;
}

BOOL SetMixerLineMute(int line, BOOL muted, const MixerFunctions& functions) {
    if (line != 0 && line != 1)
        return FALSE;
    const OpenMixer mixer(functions);
    if (!mixer)
        return FALSE;
    const HMIXEROBJ handle = mixer.Object();

    MIXERLINEW lineInfo;
    std::memset(&lineInfo, 0, sizeof lineInfo);
    lineInfo.cbStruct = sizeof lineInfo; // 280
    lineInfo.dwComponentType = ComponentTypeOfLine(line);
    if (functions.GetLineInfo(handle, &lineInfo, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) !=
        MMSYSERR_NOERROR)
        return FALSE;

    MIXERCONTROLW control;
    std::memset(&control, 0, sizeof control);
    MIXERLINECONTROLSW controls;
    std::memset(&controls, 0, sizeof controls);
    controls.cbStruct = sizeof controls; // 24
    controls.dwLineID = lineInfo.dwLineID;
    controls.dwControlType = MIXERCONTROL_CONTROLTYPE_MUTE;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof control; // 228
    controls.pamxctrl = &control;
    if (functions.GetLineControls(
            handle, &controls, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) != MMSYSERR_NOERROR)
        return FALSE;

    // One channel (all channels alike) and room for a value per item: the driver fills all of them.
    const DWORD items = MultipleItemsOf(control);
    if (items > MaxMuteItems)
        return FALSE;
    std::vector<MIXERCONTROLDETAILS_BOOLEAN> values(items == 0 ? 1 : items);
    MIXERCONTROLDETAILS details;
    std::memset(&details, 0, sizeof details);
    details.cbStruct = sizeof details; // 24
    details.dwControlID = control.dwControlID;
    details.cChannels = 1;
    details.cMultipleItems = items;
    details.cbDetails = sizeof(MIXERCONTROLDETAILS_BOOLEAN); // 4
    details.paDetails = values.data();
    if (functions.GetControlDetails(
            handle, &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
        return FALSE;
    for (MIXERCONTROLDETAILS_BOOLEAN& value : values)
        value.fValue = muted ? TRUE : FALSE;
    if (functions.SetControlDetails(
            handle, &details, MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
        return FALSE;
    return TRUE;
}

BOOL SetSoundMuted(BOOL muted) {
    if (IsVistaOrLater()) {
        SetMixerLineMute(1, muted);
        return SetMixerLineMute(0, muted);
    }
    if (Interception == nullptr) {
        Interception = new SoundInterception();
        std::atexit(&DestroySoundInterception);
    }
    ProcessMuteFlag.store(muted ? 1 : 0, std::memory_order_relaxed);
    return TRUE;
}

} // namespace zarn
