// Shortcut and uninstall names built from paths.
#include "setup/Shortcuts.h"

#include "base/Strings.h"

namespace zarn::setup {

std::wstring PortalShortcutDescription(const std::wstring& portalHost) {
    return portalHost + PortalDescriptionSuffix;
}

std::wstring LinkPath(const std::wstring& folder, const std::wstring& name) {
    return folder + L"\\" + name + L".lnk";
}

std::wstring UserDesktopFolder(const std::wstring& documents, const std::wstring& commonDesktop) {
    const size_t docSlash = documents.rfind(L'\\');
    const size_t deskSlash = commonDesktop.rfind(L'\\');
    if (docSlash == std::wstring::npos || deskSlash == std::wstring::npos)
        return {};
    return documents.substr(0, docSlash) + commonDesktop.substr(deskSlash);
}

std::wstring BrowserEmulationValueName(const std::wstring& programPath) {
    return Truncated(FileNameOf(programPath), 64);
}

} // namespace zarn::setup
