// The page dialogs' URL and text rules; see PageRules.h.
#include "browser/PageRules.h"

#include <cwctype>

#include "protocol/AccountTitle.h"

namespace zarn {
namespace {

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// CString's clamping Find: a start beyond the text finds nothing, a negative start counts as 0.
long Find(std::wstring_view text, std::wstring_view what, long start) {
    if (start < 0)
        start = 0;
    if (static_cast<size_t>(start) > text.size())
        return -1;
    const size_t at = text.find(what, static_cast<size_t>(start));
    return at == std::wstring_view::npos ? -1 : static_cast<long>(at);
}

// CString's clamping Mid: negative positions and counts become 0, the end stops at the text's end.
std::wstring Mid(std::wstring_view text, long first, long count) {
    if (first < 0)
        first = 0;
    if (count < 0)
        count = 0;
    if (static_cast<size_t>(first) >= text.size())
        return {};
    return std::wstring(text.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::wstring Http(std::wstring_view host, std::wstring_view path) {
    std::wstring url = L"http://";
    url.append(host).append(path);
    return url;
}

std::wstring_view TrimCookieSpace(std::wstring_view text) {
    const auto space = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

bool IsAppUrl(std::wstring_view url) {
    return StartsWith(url, L"app:");
}

bool IsJavascriptUrl(std::wstring_view url) {
    return StartsWith(url, L"javascript");
}

std::wstring AppCommandName(std::wstring_view url) {
    return Mid(url, 6, 8);
}

bool IsAllowedPageScheme(std::wstring_view url) {
    const size_t colon = url.find(L':');
    if (colon == std::wstring_view::npos)
        return false;
    std::wstring scheme;
    for (wchar_t c : url.substr(0, colon))
        scheme.push_back(c < 0x80 ? static_cast<wchar_t>(std::towlower(c)) : c);
    return scheme == L"http" || scheme == L"https" || scheme == L"about" || scheme == L"javascript";
}

LoadGameCommand ParseLoadGame(std::wstring_view url) {
    LoadGameCommand command;
    if (url.size() <= 15)
        return command;
    const size_t bar = url.find(L'|', 15);
    if (bar == std::wstring_view::npos)
        return command;
    command.Payload = std::wstring(url.substr(15, bar - 15));
    command.GameUrl = std::wstring(url.substr(bar + 1));
    return command;
}

LoginAccount SplitLoginPayload(std::wstring_view payload) {
    LoginAccount result;
    const long server = Find(payload, L"服-", 0);
    result.Server = Mid(payload, 0, server);
    const long dash = Find(payload, L"-", server + 2);
    result.Area = Mid(payload, server + 2, dash - (server + 2));
    result.Account = Mid(payload, dash + 1, static_cast<long>(payload.size()));

    std::wstring edited;
    for (wchar_t c : result.Server)
        if (c != L'S')
            edited.push_back(c);
    result.Server = edited;
    const long mark = Find(result.Area, L"》", 0);
    if (mark >= 0)
        result.Area = Mid(result.Area, mark + 1, 4);
    return result;
}

std::wstring LoginAccountText(const LoginAccount& account) {
    return AccountTitle(account.Server, account.Area, account.Account);
}

std::wstring DuplicateLoginText(const LoginAccount& account) {
    return L"账号 " + account.Account + L" 已在 " + account.Server + L"服 登录，同一账号不能在一服重复登录";
}

bool PayloadNeedsUnescape(std::wstring_view payload) {
    return payload.find(L'%') != std::wstring_view::npos;
}

std::string PercentUnescape(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '%' && i + 2 < bytes.size() && HexValue(bytes[i + 1]) >= 0 &&
            HexValue(bytes[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(bytes[i + 1]) * 16 + HexValue(bytes[i + 2])));
            i += 2;
            continue;
        }
        out.push_back(bytes[i]);
    }
    return out;
}

std::wstring DecodeUtf8(std::string_view bytes, size_t capacity) {
    // Ill-formed input is replaced by its maximal valid prefix, one U+FFFD each (as Unicode advises):
    // the second byte's range rules out overlong forms, surrogates and values beyond U+10FFFF.
    std::u32string points;
    size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        char32_t value = 0;
        if (lead < 0x80) {
            length = 1, value = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, value = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, value = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        size_t taken = 1;
        bool valid = length != 0;
        for (; valid && taken < length; ++taken) {
            if (i + taken >= bytes.size()) {
                valid = false;
                break;
            }
            const unsigned char next = static_cast<unsigned char>(bytes[i + taken]);
            const unsigned char from = taken == 1 ? low : 0x80;
            const unsigned char to = taken == 1 ? high : 0xBF;
            if (next < from || next > to) {
                valid = false;
                break;
            }
            value = (value << 6) | (next & 0x3F);
        }
        points.push_back(valid ? value : U'\xFFFD');
        i += taken;
    }

    std::wstring out;
    const size_t limit = capacity == 0 ? 0 : capacity - 1;
    for (char32_t c : points) {
        const size_t need = c >= 0x10000 ? 2 : 1;
        if (out.size() + need > limit)
            break;
        if (need == 2) {
            c -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<wchar_t>(c));
        }
    }
    return out;
}

bool InLoginProtectedArea(int x, int y) {
    const bool windowButtons = x >= 778 && x <= 883 && y >= 85 && y <= 120;
    const bool signInLinks = x >= 775 && x <= 800 && y >= 290 && y <= 470;
    return windowButtons || signInLinks;
}

int ButtonBackgroundX(ButtonPicture picture, int offsetWidth) {
    switch (picture) {
    case ButtonPicture::Hover:
        return -offsetWidth;
    case ButtonPicture::Pressed:
        return -2 * offsetWidth;
    case ButtonPicture::Normal:
        break;
    }
    return 0;
}

AuthProvider AuthRedirectIn(std::wstring_view url, std::wstring_view signInHost) {
    if (url.find(Http(signInHost, L"/qzone/redirectToAuthorize.do?")) != std::wstring_view::npos)
        return AuthProvider::QQ;
    if (url.find(Http(signInHost, L"/weibo/redirectToAuthorize.do?")) != std::wstring_view::npos)
        return AuthProvider::Weibo;
    return AuthProvider::None;
}

bool IsAuthCallbackUrl(std::wstring_view url, std::wstring_view signInHost) {
    for (const wchar_t* path : {L"/qzone/callback.do?code=", L"/weibo/callback.do?state",
                                L"/qzone/extAutoBind.do", L"/weibo/extAutoBind.do"})
        if (StartsWith(url, Http(signInHost, path)))
            return true;
    return false;
}

bool IsQqAuthorizeUrl(std::wstring_view url, std::wstring_view qqOpenHost) {
    std::wstring page = L"https://";
    page.append(qqOpenHost).append(L"/oauth2.0/authorize");
    return StartsWith(url, page);
}

const wchar_t* AuthWindowTitle(AuthProvider provider) {
    return provider == AuthProvider::QQ ? L"QQ账号安全登录" : L"新浪微博账号安全登录";
}

bool HasCookieValue(std::wstring_view cookies, std::wstring_view name) {
    while (!cookies.empty()) {
        const size_t end = cookies.find(L';');
        const std::wstring_view pair = cookies.substr(0, end);
        cookies = end == std::wstring_view::npos ? std::wstring_view() : cookies.substr(end + 1);
        const size_t equals = pair.find(L'=');
        if (equals == std::wstring_view::npos || TrimCookieSpace(pair.substr(0, equals)) != name)
            continue;
        const std::wstring_view value = TrimCookieSpace(pair.substr(equals + 1));
        if (!value.empty() && value != L"\"\"")
            return true;
    }
    return false;
}

} // namespace zarn
