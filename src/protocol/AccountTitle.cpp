// The account title's form, written by the login and read by the launcher.
#include "protocol/AccountTitle.h"

namespace zarn {

std::wstring AccountTitle(const std::wstring& server, const std::wstring& area, const std::wstring& account) {
    return server + L"服-" + area + L"-" + account;
}

std::wstring AccountOfTitle(const std::wstring& title) {
    const size_t dash = title.rfind(L'-');
    return dash == std::wstring::npos ? title : title.substr(dash + 1);
}

} // namespace zarn
