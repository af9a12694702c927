// The self-update: configuration fetch, version keys, the throttled or forced check, and the download
// and swap of the program file.
#include "update/SelfUpdate_win.h"

#include <windows.h>

#include <cstdio>

#include "app/Program_win.h"
#include "app/Settings_win.h"
#include "app/Urls.h"
#include "base/Product.h"
#include "base/Strings.h"
#include "framework/Handle.h"
#include "net/Http_win.h"
#include "update/ExeCheck.h"
#include "update/Md5.h"
#include "update/PendingRenames.h"
#include "update/PrgsDlg_win.h"
#include "update/VersionKey.h"

namespace zarn {
namespace {

constexpr size_t PublishedKeyChars = 64;
constexpr size_t AddressChars = 512;
constexpr const wchar_t* SessionManagerKey = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const wchar_t* PendingRenamesValue = L"PendingFileRenameOperations";

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

// An empty published key means no update; any other difference from the program's own key means one.
bool PublishedKeyDiffers(const std::wstring& published, const std::wstring& programPath) {
    return !published.empty() && KeysDiffer(published, VersionKey(programPath));
}

struct UpdateCheckJob {
    std::shared_ptr<PostTarget> Target;
    UINT Message;
    std::wstring ProgramPath;
};

DWORD WINAPI UpdateCheckThread(void* parameter) {
    const std::unique_ptr<UpdateCheckJob> job(static_cast<UpdateCheckJob*>(parameter));
    std::string key;
    std::wstring address;
    FetchUpdateConfig(key, address);
    const bool differs = PublishedKeyDiffers(FromAnsi(key), job->ProgramPath);
    job->Target->Post(job->Message, differs ? 1 : 0, 0);
    return 0;
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

bool FetchUpdateConfig(std::string& key, std::wstring& address) {
    key.clear();
    address.clear();
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
    address = ReadConfigValue(file, L"UpdAddr", AddressChars);
    ::DeleteFileW(file.c_str());
    key = ToAnsi(published, PublishedKeyChars);
    return true;
}

int CheckForUpdate(UpdateState& update, bool forced) {
    if (!forced && (!CheckAllowedInThisMode() || !IsUpdateCheckDue()))
        return 0;
    std::string key;
    FetchUpdateConfig(key, update.UpdateAddress);
    update.UpdateKey = FromAnsi(key);
    return PublishedKeyDiffers(update.UpdateKey, ProgramPath()) ? 1 : 0;
}

bool StartUpdateCheck(std::shared_ptr<PostTarget> target, UINT message, std::wstring programPath) {
    auto job =
        std::make_unique<UpdateCheckJob>(UpdateCheckJob{std::move(target), message, std::move(programPath)});
    HANDLE thread = ::CreateThread(nullptr, 0, UpdateCheckThread, job.get(), 0, nullptr);
    if (!thread)
        return false;
    job.release(); // the thread's now
    ::CloseHandle(thread);
    return true;
}

bool DownloadAndSwap(UpdateState& update, const std::wstring& programPath) {
    const std::wstring folder = FolderWithSlash(programPath);
    if (folder.empty())
        return false;
    const std::wstring fresh = folder + product::NewProgramFileName;
    const std::wstring old = folder + product::OldProgramFileName;

    CPrgsDlg& dialog = update.UpdateDialog;
    dialog.Url = update.UpdateAddress;
    dialog.TargetPath = fresh;
    dialog.ExpectedKey = update.UpdateKey;
    // Whatever arrived is put in place only when it is a program of this kind: an empty file or an
    // error page would leave nothing that starts.
    if (dialog.DoModal() != IDOK || !IsProgramFile(fresh) || !SwapProgramFiles(programPath, fresh, old)) {
        ::MoveFileExW(fresh.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return false;
    }
    return true;
}

bool SwapProgramFiles(const std::wstring& program, const std::wstring& fresh, const std::wstring& old) {
    // The only copy of the program may end up at old: a deletion an earlier update scheduled for
    // that name must not take it at the next restart.
    if (!CancelScheduledDeletion(old))
        return false;
    if (!::MoveFileExW(program.c_str(), old.c_str(), MOVEFILE_REPLACE_EXISTING))
        return false;
    if (::MoveFileExW(fresh.c_str(), program.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    ::MoveFileExW(old.c_str(), program.c_str(), MOVEFILE_REPLACE_EXISTING); // never lose the program
    return false;
}

bool StartUpdatedProgram(const std::wstring& programPath) {
    const std::wstring folder = FolderWithSlash(programPath);
    if (folder.empty())
        return false;
    const std::wstring fresh = folder + product::NewProgramFileName;
    const std::wstring old = folder + product::OldProgramFileName;
    if (LaunchProgram(programPath.c_str())) {
        ::MoveFileExW(old.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return true;
    }
    // The new program does not start: it goes back to its download name and the previous one returns.
    if (SwapProgramFiles(programPath, old, fresh)) {
        ::MoveFileExW(fresh.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        LaunchProgram(programPath.c_str());
    }
    return false;
}

bool IsProgramFile(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    unsigned char header[ProgramHeaderBytes];
    DWORD got = 0;
    if (!::ReadFile(file.get(), header, sizeof(header), &got, nullptr))
        return false;
    return IsProgramImage(header, got, BuildMachine());
}

bool CancelScheduledDeletion(const std::wstring& path) {
    wchar_t full[MAX_PATH * 2] = {};
    const DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
    if (length == 0 || length >= MAX_PATH * 2)
        return false;
    UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, SessionManagerKey, 0, KEY_QUERY_VALUE, key.put()) !=
        ERROR_SUCCESS)
        return true; // no list, so nothing is scheduled
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key.get(), PendingRenamesValue, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return true;
    std::wstring list(bytes / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key.get(), PendingRenamesValue, nullptr, &type,
                           reinterpret_cast<BYTE*>(list.data()), &bytes) != ERROR_SUCCESS)
        return false;
    list.resize(bytes / sizeof(wchar_t));
    const std::wstring kept = WithoutDeletionOf(list, L"\\??\\" + std::wstring(full, length));
    if (kept == WithoutDeletionOf(list, std::wstring()))
        return true; // the same list as read, so nothing to take out
    UniqueHKey writable;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, SessionManagerKey, 0, KEY_SET_VALUE, writable.put()) !=
        ERROR_SUCCESS)
        return false;
    if (kept.empty())
        return ::RegDeleteValueW(writable.get(), PendingRenamesValue) == ERROR_SUCCESS;
    return ::RegSetValueExW(writable.get(), PendingRenamesValue, 0, REG_MULTI_SZ,
                            reinterpret_cast<const BYTE*>(kept.data()),
                            static_cast<DWORD>(kept.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool DownloadAndSwap(UpdateState& update) {
    return DownloadAndSwap(update, ProgramPath());
}

} // namespace zarn
