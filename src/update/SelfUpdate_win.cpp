// The self-update: configuration fetch, version keys, the throttled or forced check, and the download
// and swap of the program file.
#include "update/SelfUpdate_win.h"

#include <windows.h>

#include <cstdio>

#include "app/Plexo3App_win.h"
#include "base/Product.h"
#include "app/Program_win.h"
#include "app/Settings_win.h"
#include "base/Strings.h"
#include "app/Urls.h"
#include "net/Http_win.h"
#include "update/Md5.h"
#include "update/VersionKey.h"

namespace zarn {
namespace {

constexpr size_t PublishedKeyChars = 64;
constexpr size_t AddressChars = 512;

// A value of the configuration page; a value that does not fit its buffer (capacity characters with
// the terminator) is refused as empty rather than cut into a different key or address.
std::wstring ReadConfigValue(const std::wstring& file, const wchar_t* key, size_t capacity) {
    std::wstring buffer(4096, L'\0');
    const DWORD got = ::GetPrivateProfileStringW(L"VerKey", key, L"", buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), file.c_str());
    buffer.resize(got);
    return buffer.size() < capacity ? buffer : std::wstring();
}

std::string ToAnsi(const std::wstring& text, size_t capacity) {
    std::string out(capacity, '\0');
    const int got = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), static_cast<int>(capacity),
                                          nullptr, nullptr);
    out.resize(got > 0 ? static_cast<size_t>(got) - 1 : 0);
    return out;
}

std::wstring FromAnsi(const std::string& text) {
    if (text.empty())
        return {};
    std::wstring out(text.size() + 1, L'\0');
    const int got =
        ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()));
    out.resize(got > 0 ? static_cast<size_t>(got) - 1 : 0);
    return out;
}

bool CheckAllowedInThisMode() {
    switch (GetRunMode()) {
    case RunMode::GameShortcut:
    case RunMode::Installed:
    case RunMode::Update:
    case RunMode::GameHallWindow:
        return true;
    default:
        return false;
    }
}

} // namespace

std::string Md5OfFile(const std::wstring& path) {
    std::FILE* file = ::_wfopen(path.c_str(), L"rb");
    if (!file)
        return {};
    std::string digest = Md5OfStream(file);
    std::fclose(file);
    return digest;
}

std::wstring VersionKey(const std::wstring& programPath) {
    return VersionKeyOf(Md5OfFile(programPath), product::VersionDigits);
}

bool FetchUpdateConfig(CPlexo3App& app, std::string& key) {
    key.clear();
    const std::optional<HttpTarget> target = SplitHttpUrl(SkipScheme(UpdateConfigUrl()));
    const std::wstring file = PathBesideProgram(product::UpdateConfigFileName);
    if (!target || file.empty())
        return false;
    Transfer transfer;
    StreamOptions options;
    options.PieceSize = 512;
    if (!transfer.StreamToFile(*target, file, options))
        return false;
    const std::wstring published = ReadConfigValue(file, L"Zarn", PublishedKeyChars);
    app.UpdateAddress = ReadConfigValue(file, L"UpdAddr", AddressChars);
    ::DeleteFileW(file.c_str());
    key = ToAnsi(published, PublishedKeyChars);
    return true;
}

int CPlexo3App::CheckForUpdate(bool forced) {
    if (!forced && (!CheckAllowedInThisMode() || !IsUpdateCheckDue()))
        return 0;
    std::string key;
    FetchUpdateConfig(*this, key);
    UpdateKey = FromAnsi(key);
    if (UpdateKey.empty())
        return 0;
    return KeysDiffer(UpdateKey, VersionKey(ProgramPath())) ? 1 : 0;
}

bool DownloadAndSwap(CPlexo3App& app, const std::wstring& programPath) {
    const std::wstring folder = FolderWithSlash(programPath);
    if (folder.empty())
        return false;
    const std::wstring fresh = folder + product::NewProgramFileName;
    const std::wstring old = folder + product::OldProgramFileName;

    CPrgsDlg& dialog = app.UpdateDialog;
    dialog.Url = app.UpdateAddress;
    dialog.TargetPath = fresh;
    dialog.ExpectedKey = app.UpdateKey;
    if (dialog.DoModal() != IDOK) {
        ::MoveFileExW(fresh.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return false;
    }
    if (!SwapProgramFiles(programPath, fresh, old)) {
        ::MoveFileExW(fresh.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return false;
    }
    ::MoveFileExW(old.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return true;
}

bool SwapProgramFiles(const std::wstring& program, const std::wstring& fresh, const std::wstring& old) {
    if (!::MoveFileExW(program.c_str(), old.c_str(), MOVEFILE_REPLACE_EXISTING))
        return false;
    if (::MoveFileExW(fresh.c_str(), program.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    ::MoveFileExW(old.c_str(), program.c_str(), MOVEFILE_REPLACE_EXISTING); // never lose the program
    return false;
}

bool DownloadAndSwap(CPlexo3App& app) {
    return DownloadAndSwap(app, ProgramPath());
}

} // namespace zarn
