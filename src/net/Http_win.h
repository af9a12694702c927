// The program's own HTTP traffic through WinINet: one GET for the report pings, and the streaming of a
// reply body into a file for the update configuration and the program download. Every connection has
// bounded connect, send and receive timeouts. WinINet never follows a redirect by itself: the program
// follows one only to an address in the allowed domains, at most MaxRedirects times.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "net/HttpUrl.h"

namespace zarn {

inline constexpr const wchar_t* HttpAgent = L"ZUD";
inline constexpr const wchar_t* HttpRequestHeaders =
    L"Accept-Language: zh-cn \r\nContent-Type: application/x-www-form-urlencoded\r\n";
inline constexpr DWORD HttpTimeoutMs = 10000;

// The allowed-domain test with this build's three download domains (IsAllowedDownloadUrl).
bool IsAllowedDomainUrl(std::wstring_view url);

// One GET without reading the reply. url must begin with "http://" (any case). 1 when the request went
// out (and any redirect was followed), else 0 with the thread's last error as the failing step left it
// (0 when nothing failed; ERROR_HTTP_REDIRECT_FAILED for a redirect that is not followed).
int HttpSendGet(const std::wstring& url, const std::wstring& body);

// How one reply body is streamed into a file.
struct StreamOptions {
    size_t PieceSize = 512;
    // Only a 2xx status counts (program downloads). Otherwise every status but 404 is streamed.
    bool RequireSuccessStatus = false;
    // Told the percentage of the announced length whenever it changes; called on the streaming thread.
    std::function<void(unsigned percent)> Progress;
    // Given every piece once it is written to the file, in order; called on the streaming thread.
    std::function<void(const char* data, size_t size)> Written;
};

// The state of one transfer: the three WinINet handles, the output file, the announced length and the
// running total. One thread runs it; any other thread may Cancel it, which closes the file and the
// handles at once (a blocking read then returns) and makes every later step fail. Each handle is
// closed exactly once, by whichever side takes it under the lock.
class Transfer {
  public:
    Transfer() = default;
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // Open, connect and send the request, following redirects into the allowed domains. False when a
    // step failed, a redirect was not followed (ERROR_HTTP_REDIRECT_FAILED) or the transfer was
    // cancelled.
    bool Send(const HttpTarget& target);
    // Send, check the status and the announced length, and stream the body into path ("wb"). True when
    // the whole announced length arrived and was written. The file and the handles are closed when it
    // returns; a partial file stays on disk.
    bool StreamToFile(const HttpTarget& target, const std::wstring& path, const StreamOptions& options);

    void Cancel();
    bool Cancelled() const;
    uint32_t AnnouncedLength() const { return Announced_; }
    uint64_t Total() const { return Total_; }

  private:
    bool Keep(HINTERNET Transfer::*slot, HINTERNET handle);
    HINTERNET Current(HINTERNET Transfer::*slot) const;
    bool SendOne(HINTERNET internet, const HttpTarget& target);
    std::optional<HttpTarget> RedirectTarget(const HttpTarget& answered);
    void CloseHop();
    long StatusCode();
    bool CheckStatus(bool requireSuccess);
    bool ReadAnnouncedLength();
    bool OpenOutput(const std::wstring& path);
    bool WritePiece(const void* data, DWORD size);
    void CloseAllLocked();

    mutable std::mutex Lock_;
    bool Cancelled_ = false;
    HINTERNET Internet_ = nullptr;
    HINTERNET Connection_ = nullptr;
    HINTERNET Request_ = nullptr;
    HANDLE Output_ = INVALID_HANDLE_VALUE;
    uint32_t Announced_ = 0;
    uint64_t Total_ = 0;
};

} // namespace zarn
