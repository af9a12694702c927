// The transaction: trampolines are built when a function is attached, and the patches are written at
// the commit with the other threads of the process suspended.
#include "intercept/Transaction_win.h"

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "framework/Handle.h"
#include "intercept/ExecutableMemory_win.h"
#include "intercept/Relocation.h"
#include "intercept/Trampoline.h"

namespace zarn::intercept {

// One intercepted function: its patch, its saved bytes and its slot (a relay jump to the replacement,
// then the trampoline).
struct Interception {
    uint8_t* Target = nullptr;
    void* Replacement = nullptr;
    uint8_t* Slot = nullptr;
    uint8_t* Trampoline = nullptr;
    TrampolinePlan Plan;
    std::vector<uint8_t> Saved;
    std::vector<uint8_t> Patch;

    ~Interception() { FreeSlot(Slot); }
};

namespace {

constexpr size_t RelaySize = 16;
constexpr size_t MaxPrologue = 32;

std::atomic<DWORD>& OpenTransactionThread() {
    static std::atomic<DWORD> thread{0};
    return thread;
}

// Functions attached in this process; changed only by a commit, inside the one open transaction.
// Never destroyed: patched code may still be called by the last exit handlers of the process.
std::vector<InterceptionPtr>& Attached() {
    static auto* attached = new std::vector<InterceptionPtr>();
    return *attached;
}

uint64_t Address(const void* p) {
    return reinterpret_cast<uint64_t>(p);
}

// How many bytes from code on may be read (up to MaxPrologue): the rest of its committed region.
size_t Readable(const uint8_t* code) {
    MEMORY_BASIC_INFORMATION mbi;
    if (::VirtualQuery(code, &mbi, sizeof mbi) == 0 || mbi.State != MEM_COMMIT ||
        (mbi.Protect & (PAGE_NOACCESS | PAGE_GUARD)) != 0)
        return 0;
    const uint8_t* end = static_cast<const uint8_t*>(mbi.BaseAddress) + mbi.RegionSize;
    return std::min<size_t>(MaxPrologue, static_cast<size_t>(end - code));
}

// The function itself when `code` is an import thunk (jmp [slot]) of this module; the code otherwise.
uint8_t* FollowImportThunk(uint8_t* code) {
    uint64_t slot = 0;
    if (!IndirectJumpSlot(HostArch(), code, Readable(code), Address(code), slot))
        return code;
    void* const* slotPointer = reinterpret_cast<void* const*>(static_cast<uintptr_t>(slot));
    if (Readable(reinterpret_cast<const uint8_t*>(slotPointer)) < sizeof(void*) || *slotPointer == nullptr)
        return code;
    return static_cast<uint8_t*>(*slotPointer);
}

bool IsOurTrampoline(const void* code) {
    for (const auto& a : Attached()) {
        if (a->Trampoline == code)
            return true;
    }
    return false;
}

// Plans the interception in a slot of the given placement; the patch jumps to the relay when the
// replacement is out of rel32 reach, or straight to the replacement.
Error Prepare(Interception& item, Placement placement, bool absolutePatch) {
    const Arch arch = HostArch();
    const size_t available = Readable(item.Target);
    if (available == 0)
        return Error::ProtectFailed;
    item.Slot = AllocateSlot(item.Target, placement);
    if (item.Slot == nullptr)
        return Error::NoMemory;
    item.Trampoline = item.Slot + RelaySize;
    const unsigned patchLength = absolutePatch ? AbsoluteJumpLength : NearJumpLength;
    const Error e = PlanTrampoline(arch, item.Target, available, Address(item.Target), patchLength,
                                   Address(item.Trampoline), item.Plan);
    if (e != Error::None)
        return e;
    if (item.Plan.Code.size() > TrampolineSlotSize - RelaySize)
        return Error::NoMemory;
    const std::vector<uint8_t> relay = JumpBytes(arch, Address(item.Slot), Address(item.Replacement));
    std::memcpy(item.Slot, relay.data(), relay.size());
    std::memcpy(item.Trampoline, item.Plan.Code.data(), item.Plan.Code.size());
    item.Saved.assign(item.Target, item.Target + item.Plan.SourceLength);
    if (absolutePatch) {
        item.Patch = {0xFF, 0x25, 0, 0, 0, 0};
        const uint64_t to = Address(item.Replacement);
        for (int i = 0; i < 8; ++i)
            item.Patch.push_back(static_cast<uint8_t>(to >> (8 * i)));
        item.Patch.resize(item.Plan.SourceLength, 0xCC);
    } else {
        const bool direct = Reaches(arch, Address(item.Target) + NearJumpLength, Address(item.Replacement));
        item.Patch =
            PatchBytes(arch, Address(item.Target), direct ? Address(item.Replacement) : Address(item.Slot),
                       item.Plan.SourceLength);
    }
    return Error::None;
}

// Code made writable for a commit, with the protection it had.
struct Unprotected {
    uint8_t* Address;
    size_t Size;
    DWORD Old;
};

// Puts the protections back and drops what the processor may still hold of the old code.
void Reprotect(std::vector<Unprotected>& done) {
    for (const Unprotected& u : done) {
        DWORD ignored;
        ::VirtualProtect(u.Address, u.Size, u.Old, &ignored);
        ::FlushInstructionCache(::GetCurrentProcess(), u.Address, u.Size);
    }
    done.clear();
}

// The other threads of the process, opened with the rights to suspend them and move their instruction
// pointers; the caller suspends them.
std::vector<UniqueHandle> OtherThreads() {
    std::vector<UniqueHandle> threads;
    UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot)
        return threads;
    const DWORD process = ::GetCurrentProcessId();
    const DWORD self = ::GetCurrentThreadId();
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more;
         more = ::Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID != process || entry.th32ThreadID == self)
            continue;
        HANDLE h = ::OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_SET_CONTEXT, FALSE,
                                entry.th32ThreadID);
        if (h != nullptr)
            threads.emplace_back(h);
        entry.dwSize = sizeof entry;
    }
    return threads;
}

#if defined(_WIN64)
DWORD64& InstructionPointer(CONTEXT& context) {
    return context.Rip;
}
#else
DWORD& InstructionPointer(CONTEXT& context) {
    return context.Eip;
}
#endif

} // namespace

void InterceptionDeleter::operator()(Interception* item) const noexcept {
    delete item;
}

Transaction::Transaction() = default;

Transaction::~Transaction() {
    if (Open_)
        Abort();
}

Error Transaction::Begin() {
    if (Open_)
        return Error::Busy;
    DWORD expected = 0;
    const DWORD self = ::GetCurrentThreadId();
    if (!OpenTransactionThread().compare_exchange_strong(expected, self))
        return Error::Busy;
    Open_ = true;
    Thread_ = self;
    return Error::None;
}

bool Transaction::OnOwnThread() const {
    return Open_ && Thread_ == ::GetCurrentThreadId();
}

Error Transaction::EnlistCurrentThread() {
    return OnOwnThread() ? Error::None : Error::NoTransaction;
}

Error Transaction::AttachPointer(void** pointer, void* replacement, Reach reach) {
    if (!OnOwnThread())
        return Error::NoTransaction;
    if (*pointer == nullptr || replacement == nullptr)
        return Error::NullArgument;
    if (IsOurTrampoline(*pointer))
        return Error::AlreadyAttached;
    InterceptionPtr item(new Interception());
    item->Target = FollowImportThunk(static_cast<uint8_t*>(*pointer));
    item->Replacement = replacement;
    const auto sameTarget = [&](const Interception* other) { return other->Target == item->Target; };
    for (const auto& a : Attached()) {
        if (sameTarget(a.get()))
            return Error::AlreadyAttached;
    }
    for (const Pending& p : Pending_) {
        if (p.IsAttach && sameTarget(p.Added.get()))
            return Error::AlreadyAttached;
    }
    const bool x64 = HostArch() == Arch::X64;
    Error e = Error::NoMemory;
    if (reach != Reach::Far || !x64)
        e = Prepare(*item, Placement::Near, false);
    if (x64 && (reach == Reach::Far || (reach == Reach::Auto && e == Error::NoMemory))) {
        FreeSlot(std::exchange(item->Slot, nullptr));
        e = Prepare(*item, Placement::Far, true);
    }
    if (e != Error::None)
        return e;
    Pending_.push_back(Pending{true, pointer, std::move(item), nullptr});
    return Error::None;
}

Error Transaction::DetachPointer(void** pointer, void* replacement) {
    if (!OnOwnThread())
        return Error::NoTransaction;
    for (const auto& a : Attached()) {
        if (a->Trampoline == *pointer && a->Replacement == replacement) {
            for (const Pending& p : Pending_) {
                if (!p.IsAttach && p.Removed == a.get())
                    return Error::NotAttached;
            }
            Pending_.push_back(Pending{false, pointer, nullptr, a.get()});
            return Error::None;
        }
    }
    return Error::NotAttached;
}

Error Transaction::Commit() {
    if (!OnOwnThread())
        return Error::NoTransaction;
    std::vector<Unprotected> unprotected;
    unprotected.reserve(Pending_.size());
    for (const Pending& p : Pending_) {
        Interception& item = p.IsAttach ? *p.Added : *p.Removed;
        DWORD old = 0;
        if (!::VirtualProtect(item.Target, item.Saved.size(), PAGE_EXECUTE_READWRITE, &old)) {
            Reprotect(unprotected);
            Abort();
            return Error::ProtectFailed;
        }
        unprotected.push_back({item.Target, item.Saved.size(), old});
    }

    // Everything is allocated before the other threads stop: one of them may hold the heap's lock.
    std::vector<UniqueHandle> threads = OtherThreads();
    std::vector<HANDLE> suspended;
    suspended.reserve(threads.size());
    for (const UniqueHandle& t : threads) {
        if (::SuspendThread(t.get()) != static_cast<DWORD>(-1))
            suspended.push_back(t.get());
    }
    for (HANDLE t : suspended) {
        CONTEXT context{};
        context.ContextFlags = CONTEXT_CONTROL;
        if (!::GetThreadContext(t, &context))
            continue;
        const uint64_t before = InstructionPointer(context);
        uint64_t ip = before;
        for (const Pending& p : Pending_) {
            const Interception& item = p.IsAttach ? *p.Added : *p.Removed;
            ip = p.IsAttach
                     ? MovedIntoTrampoline(item.Plan, Address(item.Target), Address(item.Trampoline), ip)
                     : MovedOutOfTrampoline(item.Plan, Address(item.Target), Address(item.Trampoline), ip);
        }
        if (ip != before) {
            InstructionPointer(context) =
                static_cast<std::remove_reference_t<decltype(InstructionPointer(context))>>(ip);
            ::SetThreadContext(t, &context);
        }
    }
    for (const Pending& p : Pending_) {
        Interception& item = p.IsAttach ? *p.Added : *p.Removed;
        const std::vector<uint8_t>& bytes = p.IsAttach ? item.Patch : item.Saved;
        std::memcpy(item.Target, bytes.data(), bytes.size());
        *p.Pointer = p.IsAttach ? static_cast<void*>(item.Trampoline) : static_cast<void*>(item.Target);
    }
    for (HANDLE t : suspended)
        ::ResumeThread(t);
    Reprotect(unprotected);

    for (Pending& p : Pending_) {
        if (p.IsAttach) {
            Attached().push_back(std::move(p.Added));
        } else {
            auto& list = Attached();
            list.erase(
                std::remove_if(list.begin(), list.end(), [&](const auto& a) { return a.get() == p.Removed; }),
                list.end());
        }
    }
    Pending_.clear();
    Close();
    return Error::None;
}

void Transaction::Abort() {
    Pending_.clear();
    Close();
}

void Transaction::Close() {
    if (!Open_)
        return;
    Open_ = false;
    OpenTransactionThread().store(0);
}

} // namespace zarn::intercept
