// One download of a program file: the allowed-domain test, the body streamed in pieces with progress, and the
// checks that make it complete (2xx status, the whole announced length, and the published version key's
// digest when there is one). Shared by the progress dialog and its worker.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "net/Http_win.h"

namespace zarn {

class ProgramDownload {
  public:
    ProgramDownload(std::wstring url, std::wstring target, std::wstring expectedKey,
                    std::function<void(unsigned percent)> progress);
    ProgramDownload(const ProgramDownload&) = delete;
    ProgramDownload& operator=(const ProgramDownload&) = delete;

    // Runs the download on the calling thread; true when the file is complete and checked. The
    // output file and every handle are closed when it returns.
    bool Run();
    // From any thread: closes the file and the handles now and makes the download fail.
    void Cancel() { Transfer_.Cancel(); }
    bool Succeeded() const { return Success_.load(); }

  private:
    const std::wstring Url_;
    const std::wstring Target_;
    const std::wstring ExpectedKey_;
    const std::function<void(unsigned)> Progress_;
    Transfer Transfer_;
    std::atomic<bool> Success_{false};
};

} // namespace zarn
