// ProcessWatch: the launcher's watch on the processes it started (logins, tabs, the hall), so that it
// hears of a process that ends without a word: killed, crashed or ended by the user.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/Handle.h"

namespace zarn {

class PostTarget;

class ProcessWatch {
  public:
    ProcessWatch();
    ~ProcessWatch();
    ProcessWatch(const ProcessWatch&) = delete;
    ProcessWatch& operator=(const ProcessWatch&) = delete;

    // From now on each watched process posts (message, its id, 0) to the window once it has ended.
    void Start(HWND window, UINT message);
    // Watches a process (a handle of its own is kept); false when it cannot be watched.
    bool Watch(HANDLE process);
    // Stops watching the process and closes the watch's handle of it.
    void Forget(DWORD pid);
    // The watch's handle of a watched process (valid until Forget), or null.
    HANDLE Process(DWORD pid) const;
    // The ids of the watched processes.
    std::vector<DWORD> Pids() const;
    // Stops every wait; nothing is posted after it has returned.
    void Stop();

  private:
    struct Entry;
    std::shared_ptr<PostTarget> Target_;
    UINT Message_ = 0;
    std::vector<std::unique_ptr<Entry>> Entries_;
};

} // namespace zarn
