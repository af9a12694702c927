// ProcessWatch: one wait of the system's thread pool per process; each posts its process's end through a
// PostTarget that the watch closes before it lets the waits go.
#include "launcher/ProcessWatch_win.h"

#include <algorithm>

#include "framework/PostTarget.h"

namespace zarn {

struct ProcessWatch::Entry {
    DWORD Pid = 0;
    UniqueHandle Process;
    HANDLE Wait = nullptr;
    // What the pool's callback reads; it lives as long as the wait.
    std::shared_ptr<PostTarget> Target;
    UINT Message = 0;

    ~Entry() {
        // Waits for a callback that may be running, so that the entry outlives it.
        if (Wait)
            ::UnregisterWaitEx(Wait, INVALID_HANDLE_VALUE);
    }

    static void CALLBACK Ended(void* parameter, BOOLEAN) {
        const auto* entry = static_cast<const Entry*>(parameter);
        entry->Target->Post(entry->Message, entry->Pid, 0);
    }
};

ProcessWatch::ProcessWatch() = default;

ProcessWatch::~ProcessWatch() {
    Stop();
}

void ProcessWatch::Start(HWND window, UINT message) {
    Stop();
    Target_ = std::make_shared<PostTarget>(window);
    Message_ = message;
}

bool ProcessWatch::Watch(HANDLE process) {
    const DWORD pid = process ? ::GetProcessId(process) : 0;
    if (!Target_ || pid == 0)
        return false;
    Forget(pid);
    auto entry = std::make_unique<Entry>();
    entry->Pid = pid;
    entry->Target = Target_;
    entry->Message = Message_;
    if (!::DuplicateHandle(::GetCurrentProcess(), process, ::GetCurrentProcess(), entry->Process.put(),
                           SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 0) ||
        !::RegisterWaitForSingleObject(&entry->Wait, entry->Process.get(), Entry::Ended, entry.get(),
                                       INFINITE, WT_EXECUTEONLYONCE))
        return false;
    Entries_.push_back(std::move(entry));
    return true;
}

void ProcessWatch::Forget(DWORD pid) {
    Entries_.erase(std::remove_if(Entries_.begin(), Entries_.end(),
                                  [pid](const std::unique_ptr<Entry>& e) { return e->Pid == pid; }),
                   Entries_.end());
}

HANDLE ProcessWatch::Process(DWORD pid) const {
    for (const auto& entry : Entries_)
        if (entry->Pid == pid)
            return entry->Process.get();
    return nullptr;
}

std::vector<DWORD> ProcessWatch::Pids() const {
    std::vector<DWORD> pids;
    for (const auto& entry : Entries_)
        pids.push_back(entry->Pid);
    return pids;
}

void ProcessWatch::Stop() {
    if (Target_)
        Target_->Close();
    Entries_.clear();
    Target_.reset();
}

} // namespace zarn
