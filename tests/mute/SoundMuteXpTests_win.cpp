// Sound muting where the system reports a version before Vista: a test program of its own, which sets
// Wine's per-program Windows version (AppDefaults\<exe>\Version) for itself and runs again, so that
// it alone sees Windows XP while the rest of the suite keeps 6.1.
#include "mute/SoundMute_win.h"

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/Handle.h"
#include "framework/ProcAddress.h"

using namespace zarn;

namespace {

constexpr DWORD BufferBytes = 4096;

std::vector<uint8_t> BytesAt(const void* p, size_t n) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    return std::vector<uint8_t>(b, b + n);
}

bool AllAre(const void* p, size_t n, uint8_t value) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < n; ++i) {
        if (b[i] != value)
            return false;
    }
    return true;
}

// The export itself (&waveOutWrite in this program is its import thunk).
const void* ExportOf(const wchar_t* module, const char* name) {
    return reinterpret_cast<const void*>(::GetProcAddress(::GetModuleHandleW(module), name));
}

decltype(&DirectSoundCreate) DirectSoundCreateExport() {
    static UniqueModule dsound(::LoadLibraryW(L"dsound.dll"));
    return dsound ? GetProcAddressAs<decltype(DirectSoundCreate)>(dsound.get(), MAKEINTRESOURCEA(1))
                  : nullptr;
}

template <typename T> struct ComRelease {
    T* Object = nullptr;
    ~ComRelease() {
        if (Object != nullptr)
            Object->Release();
    }
};

WAVEFORMATEX Pcm() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 44100 * 4;
    return format;
}

// A DirectSound object with one secondary buffer of `bytes`, made through the export (so through the
// interception once it is installed).
struct SoundBuffer {
    ComRelease<IDirectSound> Sound;
    ComRelease<IDirectSoundBuffer> Buffer;

    explicit SoundBuffer(DWORD bytes) {
        if (FAILED(DirectSoundCreate(nullptr, &Sound.Object, nullptr)) || Sound.Object == nullptr)
            return;
        Sound.Object->SetCooperativeLevel(::GetDesktopWindow(), DSSCL_PRIORITY);
        WAVEFORMATEX format = Pcm();
        DSBUFFERDESC description{};
        description.dwSize = sizeof description;
        description.dwBufferBytes = bytes;
        description.lpwfxFormat = &format;
        Sound.Object->CreateSoundBuffer(&description, &Buffer.Object, nullptr);
    }

    // Locks bytes at offset, fills the locked parts with `value` and unlocks; false on failure.
    bool Write(DWORD offset, DWORD bytes, uint8_t value, bool* wrapped = nullptr) {
        void* p1 = nullptr;
        void* p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        if (FAILED(Buffer.Object->Lock(offset, bytes, &p1, &n1, &p2, &n2, 0)))
            return false;
        std::memset(p1, value, n1);
        if (p2 != nullptr)
            std::memset(p2, value, n2);
        if (wrapped != nullptr)
            *wrapped = p2 != nullptr && n2 != 0;
        return SUCCEEDED(Buffer.Object->Unlock(p1, n1, p2, n2));
    }

    // The whole buffer's bytes as they are now.
    std::vector<uint8_t> Contents(DWORD size) {
        void* p1 = nullptr;
        void* p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        std::vector<uint8_t> out;
        if (FAILED(Buffer.Object->Lock(0, size, &p1, &n1, &p2, &n2, 0)))
            return out;
        out = BytesAt(p1, n1);
        Buffer.Object->Unlock(p1, n1, p2, n2);
        return out;
    }
};

class SoundMuteXp : public testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(IsVistaOrLater()) << "this program must see Windows XP"; }
};

// The bytes of waveOutWrite's entry before the first SetSoundMuted; checked once more at exit.
std::vector<uint8_t> EntryBeforeInterception;

void CheckDetachedAtExit() {
    if (BytesAt(ExportOf(L"winmm.dll", "waveOutWrite"), 16) != EntryBeforeInterception) {
        std::fprintf(stderr, "waveOutWrite is still intercepted at exit\n");
        std::fflush(stderr);
        std::_Exit(3);
    }
}

} // namespace

TEST_F(SoundMuteXp, SeesWindowsXp) {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE(::GetVersionExW(&info));
#pragma GCC diagnostic pop
    EXPECT_EQ(info.dwMajorVersion, 5u);
}

// The first call installs the three interceptions and silences nothing.
TEST_F(SoundMuteXp, FirstCallInstallsTheInterceptionsAndChangesNoSound) {
    const void* entries[] = {ExportOf(L"winmm.dll", "waveOutWrite"), ExportOf(L"winmm.dll", "midiStreamOut"),
                             reinterpret_cast<const void*>(DirectSoundCreateExport())};
    for (const void* e : entries)
        ASSERT_NE(e, nullptr);
    std::vector<std::vector<uint8_t>> before;
    for (const void* e : entries)
        before.push_back(BytesAt(e, 16));
    ASSERT_TRUE(SetSoundMuted(FALSE));
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NE(BytesAt(entries[i], 16), before[i]) << "entry " << i << " is not intercepted";

    std::vector<uint8_t> data(BufferBytes, 0x5A);
    MIDIHDR midi{};
    midi.lpData = reinterpret_cast<LPSTR>(data.data());
    midi.dwBufferLength = BufferBytes;
    midiStreamOut(nullptr, &midi, sizeof midi);
    EXPECT_TRUE(AllAre(data.data(), data.size(), 0x5A));
}

// While muted a 4096-byte buffer reaches waveOutWrite as zeros; with the flag clear, unchanged.
TEST_F(SoundMuteXp, WaveBufferIsZeroedOnlyWhileMuted) {
    ASSERT_TRUE(SetSoundMuted(TRUE));
    WAVEFORMATEX format = Pcm();
    HWAVEOUT device = nullptr;
    ASSERT_EQ(::waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL), MMRESULT{MMSYSERR_NOERROR})
        << "no wave device: the test command starts PulseAudio with a null sink";
    std::vector<uint8_t> muted(BufferBytes, 0x5A), open(BufferBytes, 0x5A);
    WAVEHDR first{}, second{};
    first.lpData = reinterpret_cast<LPSTR>(muted.data());
    first.dwBufferLength = BufferBytes;
    second.lpData = reinterpret_cast<LPSTR>(open.data());
    second.dwBufferLength = BufferBytes;
    ASSERT_EQ(::waveOutPrepareHeader(device, &first, sizeof first), MMRESULT{MMSYSERR_NOERROR});
    ASSERT_EQ(::waveOutPrepareHeader(device, &second, sizeof second), MMRESULT{MMSYSERR_NOERROR});
    EXPECT_EQ(::waveOutWrite(device, &first, sizeof first), MMRESULT{MMSYSERR_NOERROR});
    EXPECT_TRUE(AllAre(muted.data(), muted.size(), 0));
    ASSERT_TRUE(SetSoundMuted(FALSE));
    EXPECT_EQ(::waveOutWrite(device, &second, sizeof second), MMRESULT{MMSYSERR_NOERROR});
    EXPECT_TRUE(AllAre(open.data(), open.size(), 0x5A));
    ::waveOutReset(device);
    ::waveOutUnprepareHeader(device, &first, sizeof first);
    ::waveOutUnprepareHeader(device, &second, sizeof second);
    ::waveOutClose(device);
}

// midiStreamOut's buffer is zeroed before the call (here the call itself fails: no stream is open).
TEST_F(SoundMuteXp, MidiBufferIsZeroedWhileMuted) {
    ASSERT_TRUE(SetSoundMuted(TRUE));
    std::vector<uint8_t> data(256, 0x90);
    MIDIHDR midi{};
    midi.lpData = reinterpret_cast<LPSTR>(data.data());
    midi.dwBufferLength = static_cast<DWORD>(data.size());
    EXPECT_NE(::midiStreamOut(nullptr, &midi, sizeof midi), MMRESULT{MMSYSERR_NOERROR});
    EXPECT_TRUE(AllAre(data.data(), data.size(), 0));
}

// A buffer made after the first call: Unlock of a wrapped region zeroes both parts, of an unwrapped one
// only its single part; with the flag clear nothing is zeroed.
TEST_F(SoundMuteXp, UnlockZeroesTheLockedPartsWhileMuted) {
    ASSERT_TRUE(SetSoundMuted(FALSE));
    constexpr DWORD Size = 8192;
    SoundBuffer sound(Size);
    ASSERT_NE(sound.Buffer.Object, nullptr) << "no DirectSound buffer: is PulseAudio running?";
    ASSERT_TRUE(sound.Write(0, Size, 0x11));
    ASSERT_TRUE(SetSoundMuted(TRUE));
    bool wrapped = false;
    ASSERT_TRUE(sound.Write(Size - 2048, BufferBytes, 0x33, &wrapped));
    EXPECT_TRUE(wrapped);
    ASSERT_TRUE(sound.Write(3000, 1000, 0x44, &wrapped));
    EXPECT_FALSE(wrapped);
    std::vector<uint8_t> bytes = sound.Contents(Size);
    ASSERT_EQ(bytes.size(), Size);
    EXPECT_TRUE(AllAre(bytes.data(), 2048, 0));               // second part of the wrapped region
    EXPECT_TRUE(AllAre(bytes.data() + 2048, 952, 0x11));      // untouched
    EXPECT_TRUE(AllAre(bytes.data() + 3000, 1000, 0));        // the unwrapped region
    EXPECT_TRUE(AllAre(bytes.data() + 4000, 2144, 0x11));     // untouched
    EXPECT_TRUE(AllAre(bytes.data() + Size - 2048, 2048, 0)); // first part of the wrapped region
    ASSERT_TRUE(SetSoundMuted(FALSE));
    ASSERT_TRUE(sound.Write(Size - 2048, BufferBytes, 0x55));
    bytes = sound.Contents(Size);
    ASSERT_EQ(bytes.size(), Size);
    EXPECT_TRUE(AllAre(bytes.data(), 2048, 0x55));
    EXPECT_TRUE(AllAre(bytes.data() + Size - 2048, 2048, 0x55));
}

// An object made before the first call keeps its own methods: its buffers are never zeroed.
TEST_F(SoundMuteXp, ObjectMadeBeforeTheFirstCallIsNotAffected) {
    constexpr DWORD Size = 8192;
    SoundBuffer sound(Size);
    ASSERT_NE(sound.Buffer.Object, nullptr) << "no DirectSound buffer: is PulseAudio running?";
    ASSERT_TRUE(SetSoundMuted(TRUE));
    ASSERT_TRUE(sound.Write(0, Size, 0x66));
    const std::vector<uint8_t> bytes = sound.Contents(Size);
    ASSERT_EQ(bytes.size(), Size);
    EXPECT_TRUE(AllAre(bytes.data(), Size, 0x66));
}

// The interceptions are detached when the process exits (checked by an exit handler registered
// before them, so run after their removal: the process then ends with code 3 if they are still there).
TEST_F(SoundMuteXp, InterceptionsAreDetachedAtExit) {
    EntryBeforeInterception = BytesAt(ExportOf(L"winmm.dll", "waveOutWrite"), 16);
    std::atexit(&CheckDetachedAtExit);
    ASSERT_TRUE(SetSoundMuted(FALSE));
    EXPECT_NE(BytesAt(ExportOf(L"winmm.dll", "waveOutWrite"), 16), EntryBeforeInterception);
}

namespace {

constexpr wchar_t ChildMarker[] = L"ZARN_XP_CHILD";

// Sets Wine's Windows version for this program's file name; true on success.
bool SetOwnWineVersion(const std::wstring& exeName, const wchar_t* version) {
    const std::wstring path = L"Software\\Wine\\AppDefaults\\" + exeName;
    UniqueHKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD bytes = static_cast<DWORD>((std::wcslen(version) + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key.get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                            bytes) == ERROR_SUCCESS;
}

void RemoveOwnWineVersion(const std::wstring& exeName) {
    const std::wstring path = L"Software\\Wine\\AppDefaults\\" + exeName;
    ::RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}

HANDLE Inheritable(DWORD which) {
    HANDLE h = ::GetStdHandle(which);
    if (h != nullptr && h != INVALID_HANDLE_VALUE)
        ::SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    return h;
}

// Runs this program again with the version set, passing the same arguments and standard handles;
// answers the child's exit code.
int RunAgainAsXp() {
    wchar_t self[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 2;
    const wchar_t* slash = std::wcsrchr(self, L'\\');
    const std::wstring exeName = slash ? slash + 1 : self;
    if (!SetOwnWineVersion(exeName, sizeof(void*) == 8 ? L"winxp64" : L"winxp")) {
        std::fprintf(stderr, "cannot set the per-program Windows version\n");
        return 2;
    }
    ::SetEnvironmentVariableW(ChildMarker, L"1");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = Inheritable(STD_INPUT_HANDLE);
    startup.hStdOutput = Inheritable(STD_OUTPUT_HANDLE);
    startup.hStdError = Inheritable(STD_ERROR_HANDLE);
    std::vector<wchar_t> commandLine(::GetCommandLineW(),
                                     ::GetCommandLineW() + std::wcslen(::GetCommandLineW()) + 1);
    PROCESS_INFORMATION info{};
    std::fflush(stdout);
    if (!::CreateProcessW(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &info)) {
        RemoveOwnWineVersion(exeName);
        return 2;
    }
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 2;
    ::GetExitCodeProcess(process.get(), &code);
    RemoveOwnWineVersion(exeName);
    return static_cast<int>(code);
}

} // namespace

int main(int argc, char** argv) {
    // The child runs the tests whatever it sees: SetUp then fails if the version did not take.
    if (IsVistaOrLater() && ::GetEnvironmentVariableW(ChildMarker, nullptr, 0) == 0)
        return RunAgainAsXp();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
