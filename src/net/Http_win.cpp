// WinINet sequence of the program's own HTTP: open with agent "ZUD", connect, one GET with fixed
// headers, then optionally the status, the Content-Length and the body in small pieces.
#include "net/Http_win.h"

#include <cwchar>
#include <vector>

#include "BuildHosts.h"

namespace zarn {
namespace {

// A Location value longer than this is refused rather than cut.
constexpr DWORD LocationChars = 2048;

void SetTimeouts(HINTERNET internet) {
    DWORD ms = HttpTimeoutMs;
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
          INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
        ::InternetSetOptionW(internet, option, &ms, sizeof(ms));
}

// The address a target was split from, to read a relative Location against.
std::wstring AddressOf(const HttpTarget& target) {
    std::wstring url = L"http://" + target.Host;
    if (target.Port != 80)
        url += L":" + std::to_wstring(target.Port);
    return url + L"/" + target.Object;
}

} // namespace

bool IsAllowedDomainUrl(std::wstring_view url) {
    const std::array<std::wstring_view, 3> domains = {build::AllowedDomains[0], build::AllowedDomains[1],
                                                      build::AllowedDomains[2]};
    return IsAllowedDownloadUrl(url, domains);
}

Transfer::~Transfer() {
    std::lock_guard<std::mutex> guard(Lock_);
    CloseAllLocked();
}

void Transfer::CloseAllLocked() {
    if (Output_ != INVALID_HANDLE_VALUE) {
        ::CloseHandle(Output_);
        Output_ = INVALID_HANDLE_VALUE;
    }
    for (HINTERNET* slot : {&Request_, &Connection_, &Internet_}) {
        if (*slot) {
            ::InternetCloseHandle(*slot);
            *slot = nullptr;
        }
    }
}

void Transfer::Cancel() {
    std::lock_guard<std::mutex> guard(Lock_);
    Cancelled_ = true;
    CloseAllLocked();
}

bool Transfer::Cancelled() const {
    std::lock_guard<std::mutex> guard(Lock_);
    return Cancelled_;
}

bool Transfer::Keep(HINTERNET Transfer::*slot, HINTERNET handle) {
    if (!handle)
        return false;
    std::lock_guard<std::mutex> guard(Lock_);
    if (Cancelled_) {
        ::InternetCloseHandle(handle);
        return false;
    }
    this->*slot = handle;
    return true;
}

HINTERNET Transfer::Current(HINTERNET Transfer::*slot) const {
    std::lock_guard<std::mutex> guard(Lock_);
    return Cancelled_ ? nullptr : this->*slot;
}

// Each redirect is looked at here, never by WinINet: the next address must pass the allowed-domain
// test, whatever the first one was, and after MaxRedirects hops the request fails.
bool Transfer::Send(const HttpTarget& target) {
    if (!Keep(&Transfer::Internet_,
              ::InternetOpenW(HttpAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)))
        return false;
    HINTERNET internet = Current(&Transfer::Internet_);
    if (!internet)
        return false;
    SetTimeouts(internet);
    HttpTarget hop = target;
    for (int followed = 0;; ++followed) {
        if (!SendOne(internet, hop))
            return false;
        if (!IsRedirectStatus(StatusCode()))
            return true;
        const std::optional<HttpTarget> next =
            followed < MaxRedirects ? RedirectTarget(hop) : std::optional<HttpTarget>();
        if (!next) {
            ::SetLastError(ERROR_HTTP_REDIRECT_FAILED);
            return false;
        }
        CloseHop();
        hop = *next;
    }
}

bool Transfer::SendOne(HINTERNET internet, const HttpTarget& target) {
    if (!Keep(&Transfer::Connection_, ::InternetConnectW(internet, target.Host.c_str(), target.Port, nullptr,
                                                         nullptr, INTERNET_SERVICE_HTTP, 0, 0)))
        return false;
    HINTERNET connection = Current(&Transfer::Connection_);
    if (!connection)
        return false;
    if (!Keep(&Transfer::Request_,
              ::HttpOpenRequestW(connection, L"GET", target.Object.c_str(), L"HTTP/1.1", nullptr, nullptr,
                                 INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_AUTO_REDIRECT, 0)))
        return false;
    HINTERNET request = Current(&Transfer::Request_);
    if (!request)
        return false;
    SetTimeouts(request); // inherited from the Internet handle on Windows; set again for every WinINet
    return ::HttpSendRequestW(request, HttpRequestHeaders,
                              static_cast<DWORD>(std::wcslen(HttpRequestHeaders)), nullptr, 0) != FALSE;
}

// Where the reply of `answered` redirects to, when that may be followed.
std::optional<HttpTarget> Transfer::RedirectTarget(const HttpTarget& answered) {
    HINTERNET request = Current(&Transfer::Request_);
    std::vector<wchar_t> location(LocationChars, L'\0');
    DWORD size = LocationChars * sizeof(wchar_t);
    if (!request || !::HttpQueryInfoW(request, HTTP_QUERY_LOCATION, location.data(), &size, nullptr))
        return std::nullopt;
    const std::optional<std::wstring> next =
        ResolveRedirect(AddressOf(answered), std::wstring_view(location.data(), size / sizeof(wchar_t)));
    if (!next || !IsAllowedDomainUrl(*next))
        return std::nullopt;
    return SplitHttpUrl(SkipScheme(*next));
}

// The request and the connection of a hop that redirected; the Internet handle stays for the next.
void Transfer::CloseHop() {
    std::lock_guard<std::mutex> guard(Lock_);
    for (HINTERNET* slot : {&Request_, &Connection_}) {
        if (*slot) {
            ::InternetCloseHandle(*slot);
            *slot = nullptr;
        }
    }
}

// The reply's status code; -1 when it cannot be read.
long Transfer::StatusCode() {
    HINTERNET request = Current(&Transfer::Request_);
    wchar_t text[16] = {}; // 32 bytes
    DWORD size = sizeof(text);
    if (!request || !::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE, text, &size, nullptr))
        return -1;
    text[15] = L'\0';
    return std::wcstol(text, nullptr, 10);
}

bool Transfer::CheckStatus(bool requireSuccess) {
    const long status = StatusCode();
    if (status < 0 || status == 404)
        return false;
    return !requireSuccess || (status >= 200 && status <= 299);
}

bool Transfer::ReadAnnouncedLength() {
    HINTERNET request = Current(&Transfer::Request_);
    DWORD length = 0;
    DWORD size = sizeof(length);
    if (!request ||
        !::HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
                          nullptr) ||
        size != sizeof(length))
        return false;
    Announced_ = length;
    return true;
}

// Created under the lock: a transfer cancelled before never creates (or truncates) its file, so a
// cancelling thread may delete the file as soon as Cancel has returned.
bool Transfer::OpenOutput(const std::wstring& path) {
    std::lock_guard<std::mutex> guard(Lock_);
    if (Cancelled_)
        return false;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    Output_ = file;
    return true;
}

bool Transfer::WritePiece(const void* data, DWORD size) {
    std::lock_guard<std::mutex> guard(Lock_);
    if (Cancelled_ || Output_ == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    return size == 0 || (::WriteFile(Output_, data, size, &written, nullptr) && written == size);
}

bool Transfer::StreamToFile(const HttpTarget& target, const std::wstring& path,
                            const StreamOptions& options) {
    Total_ = 0;
    Announced_ = 0;
    bool complete = false;
    if (Send(target) && CheckStatus(options.RequireSuccessStatus) && ReadAnnouncedLength() &&
        OpenOutput(path)) {
        std::vector<char> piece(options.PieceSize ? options.PieceSize : 512);
        unsigned shownPercent = 101;
        bool written = true;
        for (;;) {
            HINTERNET request = Current(&Transfer::Request_);
            DWORD got = 0;
            if (!request ||
                !::InternetReadFile(request, piece.data(), static_cast<DWORD>(piece.size()), &got))
                break;
            if (!WritePiece(piece.data(), got)) {
                written = false;
                break;
            }
            if (options.Written && got > 0)
                options.Written(piece.data(), got);
            Total_ += got;
            const unsigned percent = ProgressPercent(Total_, Announced_);
            if (options.Progress && percent != shownPercent) {
                shownPercent = percent;
                options.Progress(percent);
            }
            if (got == 0)
                break;
        }
        std::lock_guard<std::mutex> guard(Lock_);
        complete = written && !Cancelled_ && Output_ != INVALID_HANDLE_VALUE && Total_ >= Announced_;
    }
    std::lock_guard<std::mutex> guard(Lock_);
    CloseAllLocked();
    return complete;
}

int HttpSendGet(const std::wstring& url, const std::wstring& body) {
    ::SetLastError(0);
    if (!HasHttpScheme(url)) {
        ::SetLastError(ERROR_INTERNET_UNRECOGNIZED_SCHEME);
        return 0;
    }
    const std::optional<HttpTarget> target = SplitHttpUrl(SkipScheme(url));
    if (!target) {
        ::SetLastError(ERROR_INTERNET_INVALID_URL);
        return 0;
    }
    (void)body; // reports carry everything in the query; the body is always empty
    Transfer transfer;
    const bool sent = transfer.Send(*target);
    const DWORD error = sent ? 0 : ::GetLastError();
    transfer.Cancel(); // closes request, connection, Internet handle
    ::SetLastError(error);
    return sent ? 1 : 0;
}

} // namespace zarn
