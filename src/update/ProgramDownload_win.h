// One download of a program file: the allowed-domain test, the body streamed in pieces with progress, and the
// checks that make it complete (2xx status, the whole announced length, and the published version key's
// digest when there is one). Shared by the progress dialog and its worker. And the start of a
// downloaded program from the bytes that were checked.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "app/Program_win.h"
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

// Starts a downloaded program as LaunchProgram does, only when its file holds exactly the bytes whose
// MD5 is md5Hex (32 lower-case digits). The file is opened without write or delete sharing, checked
// through that handle and kept open until the process has started, so no other process can change or
// replace it in between. False, with nothing started, when it cannot be opened, differs or does not
// start.
bool LaunchDownloadedProgram(const std::wstring& path, const std::string& md5Hex, StartedProcess& started);

} // namespace zarn
