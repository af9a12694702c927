// The interception engine at work in this process: attach and detach on the real audio exports and
// on our own functions (compiled, and hand-assembled ones with a call, a RIP-relative lea, a thread
// stopped inside the patched bytes), both jump forms on x86-64, and the refusals.
#include "intercept/Transaction_win.h"

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "framework/Handle.h"
#include "framework/ProcAddress.h"

using namespace zarn;
using namespace zarn::intercept;

namespace {

// A page of executable memory holding hand-assembled functions.
class CodePage {
  public:
    CodePage()
        : Base_(static_cast<uint8_t*>(
              ::VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE))) {
        if (Base_ != nullptr)
            std::memset(Base_, 0xCC, 4096);
    }
    ~CodePage() {
        if (Base_ != nullptr)
            ::VirtualFree(Base_, 0, MEM_RELEASE);
    }
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;

    // Copies code to offset and answers its address.
    uint8_t* Put(size_t offset, const std::vector<uint8_t>& code) {
        std::memcpy(Base_ + offset, code.data(), code.size());
        ::FlushInstructionCache(::GetCurrentProcess(), Base_ + offset, code.size());
        return Base_ + offset;
    }
    uint8_t* Base() const { return Base_; }

  private:
    uint8_t* Base_;
};

template <typename Function> Function* AsFunction(void* code) {
    return reinterpret_cast<Function*>(code);
}

std::vector<uint8_t> BytesAt(const void* p, size_t n) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    return std::vector<uint8_t>(b, b + n);
}

template <typename Function>
Error AttachOne(Function** target, Function* replacement, Reach reach = Reach::Auto) {
    Transaction t;
    EXPECT_EQ(t.Begin(), Error::None);
    EXPECT_EQ(t.EnlistCurrentThread(), Error::None);
    const Error e = t.Attach(target, replacement, reach);
    if (e != Error::None)
        return e;
    return t.Commit();
}

template <typename Function> Error DetachOne(Function** target, Function* replacement) {
    Transaction t;
    EXPECT_EQ(t.Begin(), Error::None);
    EXPECT_EQ(t.EnlistCurrentThread(), Error::None);
    const Error e = t.Detach(target, replacement);
    if (e != Error::None)
        return e;
    return t.Commit();
}

// The export itself (a call of &waveOutWrite in this program goes through its import thunk first).
void* ExportOf(const wchar_t* module, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(module), name));
}

uint64_t Distance(const void* a, const void* b) {
    const uint64_t x = reinterpret_cast<uint64_t>(a), y = reinterpret_cast<uint64_t>(b);
    return x > y ? x - y : y - x;
}

// --- our own compiled function ---------------------------------------------------------------------

__attribute__((noipa)) int WINAPI OwnSum(int a, int b) {
    volatile int scaled = a * 3;
    return scaled + b;
}
decltype(&OwnSum) RealOwnSum = &OwnSum;
std::atomic<int> OwnSumCalls{0};
int WINAPI OwnSumReplacement(int a, int b) {
    OwnSumCalls.fetch_add(1);
    return RealOwnSum(a, b) + 1000;
}

// --- the real exports ------------------------------------------------------------------------------

decltype(&waveOutWrite) RealWaveOutWrite = &waveOutWrite;
std::atomic<int> WaveOutWriteCalls{0};
MMRESULT WINAPI CountedWaveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size) {
    WaveOutWriteCalls.fetch_add(1);
    return RealWaveOutWrite(device, header, size);
}

decltype(&midiStreamOut) RealMidiStreamOut = &midiStreamOut;
std::atomic<int> MidiStreamOutCalls{0};
MMRESULT WINAPI CountedMidiStreamOut(HMIDISTRM stream, LPMIDIHDR header, UINT size) {
    MidiStreamOutCalls.fetch_add(1);
    return RealMidiStreamOut(stream, header, size);
}

decltype(&DirectSoundCreate) RealDirectSoundCreate = nullptr;
std::atomic<int> DirectSoundCreateCalls{0};
HRESULT WINAPI CountedDirectSoundCreate(LPCGUID device, LPDIRECTSOUND* object, LPUNKNOWN outer) {
    DirectSoundCreateCalls.fetch_add(1);
    return RealDirectSoundCreate(device, object, outer);
}

// Attaches, checks that calls of the export reach the replacement and give what the export gave
// before, detaches, and checks that the export's bytes and behaviour are back.
void CheckWaveOutWrite(Reach reach) {
    void* const entry = ExportOf(L"winmm.dll", "waveOutWrite");
    ASSERT_NE(entry, nullptr);
    RealWaveOutWrite = &waveOutWrite; // the import thunk, which the attach follows to the export
    const std::vector<uint8_t> original = BytesAt(entry, 16);
    const MMRESULT before = waveOutWrite(nullptr, nullptr, 0);
    WaveOutWriteCalls = 0;
    ASSERT_EQ(AttachOne(&RealWaveOutWrite, &CountedWaveOutWrite, reach), Error::None);
    EXPECT_NE(reinterpret_cast<void*>(RealWaveOutWrite), entry);
    if (sizeof(void*) == 8) {
        const uint8_t first = *static_cast<uint8_t*>(entry);
        EXPECT_EQ(first, reach == Reach::Far ? 0xFF : 0xE9);
        if (reach == Reach::Far)
            EXPECT_GT(Distance(reinterpret_cast<void*>(RealWaveOutWrite), entry), 0x100000000ull);
        else
            EXPECT_LT(Distance(reinterpret_cast<void*>(RealWaveOutWrite), entry), 0x7FFFFFFFull);
    }
    EXPECT_EQ(waveOutWrite(nullptr, nullptr, 0), before);
    WAVEHDR header{};
    EXPECT_EQ(waveOutWrite(nullptr, &header, sizeof header),
              RealWaveOutWrite(nullptr, &header, sizeof header));
    EXPECT_EQ(WaveOutWriteCalls.load(), 2);
    ASSERT_EQ(DetachOne(&RealWaveOutWrite, &CountedWaveOutWrite), Error::None);
    EXPECT_EQ(reinterpret_cast<void*>(RealWaveOutWrite), entry);
    EXPECT_EQ(BytesAt(entry, 16), original);
    EXPECT_EQ(waveOutWrite(nullptr, nullptr, 0), before);
    EXPECT_EQ(WaveOutWriteCalls.load(), 2);
}

void CheckMidiStreamOut(Reach reach) {
    void* const entry = ExportOf(L"winmm.dll", "midiStreamOut");
    ASSERT_NE(entry, nullptr);
    RealMidiStreamOut = &midiStreamOut;
    const std::vector<uint8_t> original = BytesAt(entry, 24);
    MIDIHDR header{};
    const MMRESULT before = midiStreamOut(nullptr, &header, sizeof header);
    MidiStreamOutCalls = 0;
    ASSERT_EQ(AttachOne(&RealMidiStreamOut, &CountedMidiStreamOut, reach), Error::None);
    EXPECT_EQ(midiStreamOut(nullptr, &header, sizeof header), before);
    EXPECT_EQ(midiStreamOut(reinterpret_cast<HMIDISTRM>(1), &header, sizeof header),
              RealMidiStreamOut(reinterpret_cast<HMIDISTRM>(1), &header, sizeof header));
    EXPECT_EQ(MidiStreamOutCalls.load(), 2);
    ASSERT_EQ(DetachOne(&RealMidiStreamOut, &CountedMidiStreamOut), Error::None);
    EXPECT_EQ(reinterpret_cast<void*>(RealMidiStreamOut), entry);
    EXPECT_EQ(BytesAt(entry, 24), original);
    EXPECT_EQ(midiStreamOut(nullptr, &header, sizeof header), before);
    EXPECT_EQ(MidiStreamOutCalls.load(), 2);
}

void CheckDirectSoundCreate(Reach reach) {
    UniqueModule dsound(::LoadLibraryW(L"dsound.dll"));
    ASSERT_TRUE(dsound);
    RealDirectSoundCreate = GetProcAddressAs<decltype(DirectSoundCreate)>(dsound.get(), MAKEINTRESOURCEA(1));
    ASSERT_NE(RealDirectSoundCreate, nullptr);
    auto* const entry = RealDirectSoundCreate;
    const std::vector<uint8_t> original = BytesAt(reinterpret_cast<void*>(entry), 24);
    LPDIRECTSOUND object = nullptr;
    const HRESULT before = entry(nullptr, &object, nullptr);
    if (object != nullptr)
        object->Release();
    DirectSoundCreateCalls = 0;
    ASSERT_EQ(AttachOne(&RealDirectSoundCreate, &CountedDirectSoundCreate, reach), Error::None);
    object = nullptr;
    EXPECT_EQ(entry(nullptr, &object, nullptr), before);
    EXPECT_EQ(object != nullptr, SUCCEEDED(before));
    if (object != nullptr)
        object->Release();
    EXPECT_EQ(DirectSoundCreateCalls.load(), 1);
    ASSERT_EQ(DetachOne(&RealDirectSoundCreate, &CountedDirectSoundCreate), Error::None);
    EXPECT_EQ(RealDirectSoundCreate, entry);
    EXPECT_EQ(BytesAt(reinterpret_cast<void*>(entry), 24), original);
}

} // namespace

TEST(Intercept, WaveOutWriteNear) {
    CheckWaveOutWrite(Reach::Near);
}
TEST(Intercept, MidiStreamOutNear) {
    CheckMidiStreamOut(Reach::Near);
}
TEST(Intercept, DirectSoundCreateNear) {
    CheckDirectSoundCreate(Reach::Near);
}

#if defined(_WIN64)
// The 14-byte absolute jump takes waveOutWrite's and midiStreamOut's RIP-relative lea into a trampoline
// more than 4 GB away: the export must still work through it.
TEST(Intercept, WaveOutWriteAbsolute) {
    CheckWaveOutWrite(Reach::Far);
}
TEST(Intercept, MidiStreamOutAbsolute) {
    CheckMidiStreamOut(Reach::Far);
}
TEST(Intercept, DirectSoundCreateAbsolute) {
    CheckDirectSoundCreate(Reach::Far);
}
#endif

TEST(Intercept, OwnFunctionAttachAndDetach) {
    OwnSumCalls = 0;
    ASSERT_EQ(OwnSum(2, 5), 11);
    ASSERT_EQ(AttachOne(&RealOwnSum, &OwnSumReplacement), Error::None);
    EXPECT_EQ(OwnSum(2, 5), 1011);
    EXPECT_EQ(RealOwnSum(2, 5), 11); // the trampoline runs the original
    EXPECT_EQ(OwnSumCalls.load(), 1);
    ASSERT_EQ(DetachOne(&RealOwnSum, &OwnSumReplacement), Error::None);
    EXPECT_EQ(RealOwnSum, &OwnSum);
    EXPECT_EQ(OwnSum(2, 5), 11);
    EXPECT_EQ(OwnSumCalls.load(), 1);
}

namespace {

struct SharedCounts {
    std::atomic<bool> Stop{false};
    std::atomic<long> Calls{0};
    std::atomic<long> Wrong{0};
};

DWORD WINAPI CallOwnSumUntilStopped(void* p) {
    SharedCounts& s = *static_cast<SharedCounts*>(p);
    while (!s.Stop.load()) {
        const int v = OwnSum(1, 2);
        if (v != 5 && v != 1005)
            s.Wrong.fetch_add(1);
        s.Calls.fetch_add(1);
    }
    return 0;
}

} // namespace

// Another thread calls the function all the time while it is attached and detached again and again:
// every call answers either the original's value or the replacement's, and nothing breaks.
TEST(Intercept, AnotherThreadRunsTheTargetWhilePatching) {
    SharedCounts shared;
    UniqueHandle thread(::CreateThread(nullptr, 0, &CallOwnSumUntilStopped, &shared, 0, nullptr));
    ASSERT_TRUE(thread);
    while (shared.Calls.load() == 0)
        ::SwitchToThread();
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(AttachOne(&RealOwnSum, &OwnSumReplacement), Error::None);
        ASSERT_EQ(DetachOne(&RealOwnSum, &OwnSumReplacement), Error::None);
    }
    ASSERT_EQ(AttachOne(&RealOwnSum, &OwnSumReplacement), Error::None);
    const long seen = OwnSumCalls.load();
    while (OwnSumCalls.load() == seen)
        ::SwitchToThread(); // the worker's calls now reach the replacement
    shared.Stop = true;
    EXPECT_EQ(::WaitForSingleObject(thread.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(shared.Wrong.load(), 0);
    EXPECT_EQ(DetachOne(&RealOwnSum, &OwnSumReplacement), Error::None);
}

namespace {

using SpinFunction = intptr_t(intptr_t* flag);
std::atomic<int> SpinReplacementCalls{0};
intptr_t SpinReplacement(intptr_t*) {
    SpinReplacementCalls.fetch_add(1);
    return 99;
}

// L0: six nops; then loads *flag and jumps back to L0 while it is zero.
std::vector<uint8_t> SpinCode() {
#if defined(_WIN64)
    return {0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x48, 0x8b, 0x01, 0x48, 0x85, 0xc0, 0x74, 0xf2, 0xc3};
#else
    return {0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x8b, 0x44, 0x24,
            0x04, 0x8b, 0x00, 0x85, 0xc0, 0x74, 0xf0, 0xc3};
#endif
}

#if defined(_WIN64)
uint64_t Ip(const CONTEXT& c) {
    return c.Rip;
}
void SetIp(CONTEXT& c, uint64_t ip) {
    c.Rip = ip;
}
#else
uint64_t Ip(const CONTEXT& c) {
    return c.Eip;
}
void SetIp(CONTEXT& c, uint64_t ip) {
    c.Eip = static_cast<DWORD>(ip);
}
#endif

struct SpinThread {
    SpinFunction* Spin;
    intptr_t Flag = 0;
    intptr_t Result = 0;
};

DWORD WINAPI RunSpin(void* p) {
    auto& s = *static_cast<SpinThread*>(p);
    s.Result = s.Spin(&s.Flag);
    return 0;
}

} // namespace

// A thread stopped inside the bytes the patch overwrites goes on at the same instruction in the
// trampoline; left where it was it would run the middle of the new jump. The thread is stopped wherever
// it is and then put on the third nop, as if it had been stopped there: waiting for a stop that lands in
// those bytes by chance takes very long where the spinning thread seldom gets a core of its own.
TEST(Intercept, ThreadInsidePatchedBytesIsMoved) {
    CodePage page;
    ASSERT_NE(page.Base(), nullptr);
    SpinThread spin{AsFunction<SpinFunction>(page.Put(0, SpinCode()))};
    uint8_t* const entry = reinterpret_cast<uint8_t*>(spin.Spin);
    UniqueHandle thread(::CreateThread(nullptr, 0, &RunSpin, &spin, 0, nullptr));
    ASSERT_TRUE(thread);
    // Stop the thread once it spins, and move it onto the nop at offset 2.
    const uint64_t offset = 2;
    for (;;) {
        ASSERT_NE(::SuspendThread(thread.get()), static_cast<DWORD>(-1));
        CONTEXT c{};
        c.ContextFlags = CONTEXT_CONTROL;
        ASSERT_TRUE(::GetThreadContext(thread.get(), &c));
        const uint64_t ip = Ip(c) - reinterpret_cast<uint64_t>(entry);
        if (ip < SpinCode().size()) {
            SetIp(c, reinterpret_cast<uint64_t>(entry) + offset);
            ASSERT_TRUE(::SetThreadContext(thread.get(), &c));
            break;
        }
        ::ResumeThread(thread.get()); // not in the loop yet
        ::Sleep(1);
    }
    SpinReplacementCalls = 0;
    ASSERT_EQ(AttachOne(&spin.Spin, &SpinReplacement, Reach::Near), Error::None);
    CONTEXT c{};
    c.ContextFlags = CONTEXT_CONTROL;
    ASSERT_TRUE(::GetThreadContext(thread.get(), &c));
    EXPECT_EQ(Ip(c), reinterpret_cast<uint64_t>(spin.Spin) + offset);
    ::ResumeThread(thread.get());
    // Through the trampoline it loops back to the function's start, which now leads to the replacement.
    ASSERT_EQ(::WaitForSingleObject(thread.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(spin.Result, 99);
    EXPECT_EQ(SpinReplacementCalls.load(), 1);
    EXPECT_EQ(DetachOne(&spin.Spin, &SpinReplacement), Error::None);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(spin.Spin), entry);
}

namespace {

using ValueFunction = intptr_t();
intptr_t ValueReplacement() {
    return -1;
}

// call helper (mov eax, 7; ret), then add eax, 1; six nops; ret: the call is in the patched bytes.
std::vector<uint8_t> CallingCode(int32_t helperRel) {
    std::vector<uint8_t> code = {0xe8, 0,    0,    0,    0,    0x83, 0xc0, 0x01,
                                 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0xc3};
    std::memcpy(&code[1], &helperRel, 4);
    return code;
}

} // namespace

TEST(Intercept, RelocatedCallRunsFromTheTrampoline) {
    CodePage page;
    ASSERT_NE(page.Base(), nullptr);
    page.Put(64, {0x31, 0xc0, 0xb0, 0x07, 0xc3}); // xor eax,eax; mov al,7; ret
    ValueFunction* fn = AsFunction<ValueFunction>(page.Put(0, CallingCode(64 - 5)));
    ValueFunction* const entry = fn;
    ASSERT_EQ(static_cast<int>(fn()), 8);
    for (Reach reach : {Reach::Near, Reach::Far}) {
        ASSERT_EQ(AttachOne(&fn, &ValueReplacement, reach), Error::None);
        EXPECT_EQ(entry(), -1);
        EXPECT_EQ(static_cast<int>(fn()), 8);
        ASSERT_EQ(DetachOne(&fn, &ValueReplacement), Error::None);
        EXPECT_EQ(static_cast<int>(entry()), 8);
    }
}

#if defined(_WIN64)
// lea rax, [rip+d] to a value, mov rax, [rax], four nops, ret: 14 bytes with the lea inside.
TEST(Intercept, RipRelativeLeaInBothJumpForms) {
    CodePage page;
    ASSERT_NE(page.Base(), nullptr);
    const int64_t value = 0x1234567890ll;
    std::memcpy(page.Base() + 256, &value, sizeof value);
    const int32_t disp = 256 - 7;
    std::vector<uint8_t> code = {0x48, 0x8d, 0x05, 0,    0,    0,    0,   0x48,
                                 0x8b, 0x00, 0x90, 0x90, 0x90, 0x90, 0xc3};
    std::memcpy(&code[3], &disp, 4);
    ValueFunction* fn = AsFunction<ValueFunction>(page.Put(0, code));
    ValueFunction* const entry = fn;
    ASSERT_EQ(fn(), value);
    for (Reach reach : {Reach::Near, Reach::Far}) {
        ASSERT_EQ(AttachOne(&fn, &ValueReplacement, reach), Error::None);
        EXPECT_EQ(page.Base()[0], reach == Reach::Far ? 0xFF : 0xE9);
        EXPECT_EQ(entry(), -1);
        EXPECT_EQ(fn(), value);
        ASSERT_EQ(DetachOne(&fn, &ValueReplacement), Error::None);
        EXPECT_EQ(entry(), value);
    }
}
#endif

// Each refusal fails the attach with its error and leaves the code and the pointer as they were.
TEST(Intercept, RefusalsLeaveTheFunctionUntouched) {
    struct Case {
        std::vector<uint8_t> Code;
        Error Expected;
    };
    const Case cases[] = {
        {{0x0f, 0x04, 0x90, 0x90, 0x90, 0x90, 0xc3}, Error::UnknownInstruction},
        {{0x90, 0x90, 0x75, 0xfd, 0x90, 0x90, 0xc3}, Error::JumpIntoPatch},
        {{0x31, 0xc0, 0xc3}, Error::TooShort},
    };
    CodePage page;
    ASSERT_NE(page.Base(), nullptr);
    size_t offset = 0;
    for (const Case& c : cases) {
        ValueFunction* fn = AsFunction<ValueFunction>(page.Put(offset, c.Code));
        ValueFunction* const entry = fn;
        const std::vector<uint8_t> before = BytesAt(page.Base() + offset, 16);
        Transaction t;
        ASSERT_EQ(t.Begin(), Error::None);
        EXPECT_EQ(t.Attach(&fn, &ValueReplacement), c.Expected) << ErrorName(c.Expected);
        EXPECT_EQ(t.Commit(), Error::None);
        EXPECT_EQ(fn, entry);
        EXPECT_EQ(BytesAt(page.Base() + offset, 16), before);
        offset += 64;
    }
}

TEST(Intercept, TransactionRules) {
    Transaction outside;
    EXPECT_EQ(outside.Attach(&RealOwnSum, &OwnSumReplacement), Error::NoTransaction);
    EXPECT_EQ(outside.Commit(), Error::NoTransaction);
    {
        Transaction first;
        ASSERT_EQ(first.Begin(), Error::None);
        Transaction second;
        EXPECT_EQ(second.Begin(), Error::Busy);
        EXPECT_EQ(first.Detach(&RealOwnSum, &OwnSumReplacement), Error::NotAttached);
        ASSERT_EQ(first.Attach(&RealOwnSum, &OwnSumReplacement), Error::None);
        EXPECT_EQ(first.Attach(&RealOwnSum, &OwnSumReplacement), Error::AlreadyAttached);
        first.Abort(); // nothing written
    }
    EXPECT_EQ(RealOwnSum, &OwnSum);
    EXPECT_EQ(OwnSum(2, 5), 11);
    // A transaction left open by its owner is aborted when it goes, and the next one can begin.
    {
        Transaction forgotten;
        ASSERT_EQ(forgotten.Begin(), Error::None);
        ASSERT_EQ(forgotten.Attach(&RealOwnSum, &OwnSumReplacement), Error::None);
    }
    EXPECT_EQ(OwnSum(2, 5), 11);
    ASSERT_EQ(AttachOne(&RealOwnSum, &OwnSumReplacement), Error::None);
    EXPECT_EQ(AttachOne(&RealOwnSum, &OwnSumReplacement), Error::AlreadyAttached);
    EXPECT_EQ(OwnSum(2, 5), 1011);
    EXPECT_EQ(DetachOne(&RealOwnSum, &OwnSumReplacement), Error::None);
    EXPECT_EQ(OwnSum(2, 5), 11);
}
