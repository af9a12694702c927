// Which frames register, the account of a title and the login report's address.
#include "launcher/TabList.h"

#include "base/Product.h"

namespace zarn {
namespace {

bool Unreserved(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' ||
           c == L'_' || c == L'.' || c == L'~';
}

void AppendByte(std::wstring& out, unsigned byte) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    out += L'%';
    out += digits[(byte >> 4) & 0xF];
    out += digits[byte & 0xF];
}

// Percent-encodes one code point as UTF-8; an unpaired surrogate becomes U+FFFD.
void AppendEncoded(std::wstring& out, char32_t cp) {
    if (cp < 0x80) {
        AppendByte(out, cp);
    } else if (cp < 0x800) {
        AppendByte(out, 0xC0 | (cp >> 6));
        AppendByte(out, 0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        AppendByte(out, 0xE0 | (cp >> 12));
        AppendByte(out, 0x80 | ((cp >> 6) & 0x3F));
        AppendByte(out, 0x80 | (cp & 0x3F));
    } else {
        AppendByte(out, 0xF0 | (cp >> 18));
        AppendByte(out, 0x80 | ((cp >> 12) & 0x3F));
        AppendByte(out, 0x80 | ((cp >> 6) & 0x3F));
        AppendByte(out, 0x80 | (cp & 0x3F));
    }
}

// The account as a query value: unreserved characters as they are, everything else (a "&" or "#"
// that would change the query, spaces, Chinese) percent-encoded as UTF-8. Whole characters only, as
// many as fit in `limit` code units, so the address stays within the program's 512-character URLs.
std::wstring QueryValue(const std::wstring& text, size_t limit) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t before = out.size();
        const wchar_t c = text[i];
        if (Unreserved(c)) {
            out += c;
            if (out.size() > limit)
                return out.substr(0, before);
            continue;
        }
        char32_t cp = c;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendEncoded(out, cp);
        if (out.size() > limit)
            return out.substr(0, before);
    }
    return out;
}

// Room for the account in a report address of at most 511 characters on the statistics host.
constexpr size_t MaxAccountInUrl = 320;

} // namespace

FrameKind ClassifyFrame(uint32_t framePid, uint32_t loginPid, uint32_t hallPid, int tabCount) {
    if (framePid == 0)
        return FrameKind::Refused;
    if (framePid == loginPid)
        return tabCount < MaxTabs ? FrameKind::Tab : FrameKind::Refused;
    return framePid == hallPid ? FrameKind::Hall : FrameKind::Refused;
}

std::wstring AccountOfTitle(const std::wstring& title) {
    const size_t dash = title.rfind(L'-');
    return dash == std::wstring::npos ? title : title.substr(dash + 1);
}

std::wstring LoginReportPath(const std::wstring& account, int index) {
    std::wstring path = L"/login.htm?tag=zarn&ver=";
    path += product::Version;
    path += L"&uid=";
    path += QueryValue(account, MaxAccountInUrl);
    path += L"&index=";
    path += std::to_wstring(index);
    return path;
}

} // namespace zarn
