// The rules the page dialogs apply to the URLs and texts a page hands them: the app: command
// protocol, the loadgame payload, the login page's protected areas and the sign-in addresses.
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zarn {

// "app:" at the very start, case-sensitive.
bool IsAppUrl(std::wstring_view url);
// "javascript" as the first ten characters, case-sensitive.
bool IsJavascriptUrl(std::wstring_view url);
// The command name of an app: URL: the characters at positions 6 to 13 (fewer when the URL is shorter).
std::wstring AppCommandName(std::wstring_view url);

// Whether a page may navigate to this URL at all: http, https, about and javascript only (scheme
// without regard to case). Everything else (file:, res:, shell:, mk:, a program's own protocol)
// could open files or start programs, and is cancelled.
bool IsAllowedPageScheme(std::wstring_view url);

// A loadgame command split into the payload and the game URL (the text after the first "|" at
// position 15 or later; both empty when there is none).
struct LoadGameCommand {
    std::wstring Payload;
    std::wstring GameUrl;
};
LoadGameCommand ParseLoadGame(std::wstring_view url);

// "server服-area-account", split with the clamping rules of the login page (a missing "服-" gives
// an empty server part and the dash search starts at position 1; a missing second dash gives an
// empty area part and the whole payload as the account), then edited: every capital S leaves the
// server part, and an area part with "》" keeps only the up to four characters after the first one.
struct LoginAccount {
    std::wstring Server;
    std::wstring Area;
    std::wstring Account;
};
LoginAccount SplitLoginPayload(std::wstring_view payload);
// server + "服-" + area + "-" + account: the text the launcher registers.
std::wstring LoginAccountText(const LoginAccount& account);
// "账号 <account> 已在 <server>服 登录，同一账号不能在一服重复登录".
std::wstring DuplicateLoginText(const LoginAccount& account);

// A payload with "%" is unescaped; without one it is used as it is.
bool PayloadNeedsUnescape(std::wstring_view payload);
// The byte-wise unescape of URLs: "%" and two hex digits give that byte, everything else is copied.
std::string PercentUnescape(std::string_view bytes);
// UTF-8 to UTF-16; every ill-formed sequence gives one U+FFFD. At most capacity - 1 units (a
// buffer of `capacity` with its terminator), never ending inside a surrogate pair.
std::wstring DecodeUtf8(std::string_view bytes, size_t capacity);
// The longest leading run of whole characters (a surrogate pair counts as one) whose encoding,
// as `encodedSize` measures each character, takes at most `limit` bytes. A payload too long for
// the code-page buffer is cut here, never inside a double-byte character.
template <typename EncodedSize>
std::wstring_view FitToByteLimit(std::wstring_view text, size_t limit, EncodedSize encodedSize) {
    size_t used = 0;
    size_t i = 0;
    while (i < text.size()) {
        const bool pair = i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        const size_t n = pair ? 2 : 1;
        const size_t bytes = encodedSize(text.substr(i, n));
        if (bytes == 0 || used + bytes > limit)
            break;
        used += bytes;
        i += n;
    }
    return text.substr(0, i);
}

// The login page's two areas where a press is the page's own (its window buttons and sign-in
// links) rather than a drag of the window. Both bounds inclusive, in the dialog's client pixels.
bool InLoginProtectedArea(int x, int y);

// Picture buttons: the background x-position for each picture of a button `offsetWidth` wide.
enum class ButtonPicture { Normal, Hover, Pressed };
int ButtonBackgroundX(ButtonPicture picture, int offsetWidth);

// Sign-in addresses on the sign-in host (scheme http) and on QQ's open platform (https).
enum class AuthProvider { None, QQ, Weibo };
// The provider whose authorisation redirect the URL contains anywhere (QQ tested first).
AuthProvider AuthRedirectIn(std::wstring_view url, std::wstring_view signInHost);
// The URL starts with one of the four callback and binding addresses.
bool IsAuthCallbackUrl(std::wstring_view url, std::wstring_view signInHost);
// The URL starts with QQ's own authorisation page.
bool IsQqAuthorizeUrl(std::wstring_view url, std::wstring_view qqOpenHost);
// The window titles of the two sign-ins.
const wchar_t* AuthWindowTitle(AuthProvider provider);
// The portal's sign-in cookie, which ends a sign-in.
inline constexpr wchar_t SignInCookieName[] = L"Pauth";
// Whether a URL's cookie string as WinINet gives it ("name=value; name=value", each name and value
// trimmed of spaces and tabs) holds a cookie of exactly this name (case included) whose value is not
// empty (a pair of quotes around nothing is empty too). A cookie without "=" has no name.
bool HasCookieValue(std::wstring_view cookies, std::wstring_view name);

} // namespace zarn
