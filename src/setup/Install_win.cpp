// Install, shortcuts and uninstall: the program copies itself into the install folder and links to the
// copy; uninstall removes the links and registry entries and leaves a batch that deletes the program.
#include "setup/Install_win.h"

#include <direct.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "BuildHosts.h"
#include "app/Program_win.h"
#include "base/Product.h"
#include "base/Strings.h"
#include "framework/FileTree_win.h"
#include "framework/Handle.h"
#include "setup/SelfDeleteBatch.h"
#include "setup/Shortcuts.h"
#include "skin/MessageBox_win.h"
#include "stats/Statistics_win.h"

namespace zarn {

namespace {

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)))
        return {};
    return path;
}

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Exactly convertible to the ANSI code page and back.
std::optional<std::string> LosslessAnsi(const std::wstring& text) {
    if (text.empty())
        return std::string();
    BOOL usedDefault = FALSE;
    const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return std::nullopt;
    std::string ansi(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                          ansi.data(), size, nullptr, &usedDefault);
    const int back = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), size, nullptr, 0);
    std::wstring roundTrip(static_cast<size_t>(back > 0 ? back : 0), L'\0');
    if (back > 0)
        ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), size, roundTrip.data(), back);
    if (usedDefault || roundTrip != text)
        return std::nullopt;
    return ansi;
}

std::wstring ShortPath(const std::wstring& path) {
    const DWORD size = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::wstring shortPath(size, L'\0');
    const DWORD n = ::GetShortPathNameW(path.c_str(), shortPath.data(), size);
    if (n == 0 || n >= size)
        return {};
    shortPath.resize(n);
    return shortPath;
}

// The path itself when the ANSI code page holds it, else its short (8.3) form when that converts;
// empty when neither does.
std::wstring BatchForm(const std::wstring& path) {
    if (path.empty())
        return {};
    if (LosslessAnsi(path))
        return path;
    const std::wstring shortPath = ShortPath(path);
    if (!shortPath.empty() && LosslessAnsi(shortPath))
        return shortPath;
    return {};
}

void ClearReadOnly(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

void MakeFolder(const std::wstring& folder) {
    ::_wmkdir(folder.c_str());
}

} // namespace

std::wstring CommonDesktopFolder() {
    return ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
}

std::wstring OwnDesktopFolder() {
    return setup::UserDesktopFolder(ShellFolder(CSIDL_PERSONAL), CommonDesktopFolder());
}

std::wstring StartMenuFolder() {
    const std::wstring programs = ShellFolder(CSIDL_COMMON_PROGRAMS);
    if (programs.empty())
        return {};
    return programs + L"\\" + setup::StartMenuFolderName;
}

bool CreateShellLinkFile(const std::wstring& linkPath, const std::wstring& target,
                         const std::wstring& arguments, int iconIndex, const std::wstring& description) {
    if (linkPath.empty())
        return false;
    ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.put_void())))
        return false;
    link->SetPath(target.c_str());
    link->SetIconLocation(target.c_str(), iconIndex);
    ComPtr<IPersistFile> file = link.As<IPersistFile>();
    if (!file)
        return false;
    link->SetArguments(arguments.c_str());
    if (!description.empty())
        link->SetDescription(description.c_str());
    return SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}

bool CreateDesktopShortcut(const std::wstring& target, const std::wstring& arguments,
                           const std::wstring& name, int iconIndex, const std::wstring& description) {
    if (target.empty() || name.empty() || !IsExistingFile(target))
        return false;
    const std::wstring desktop = CommonDesktopFolder();
    if (desktop.empty())
        return false;
    // An older shortcut of the same name on the user's own desktop would show twice.
    const std::wstring own = OwnDesktopFolder();
    if (!own.empty())
        ::DeleteFileW(setup::LinkPath(own, name).c_str());
    return CreateShellLinkFile(setup::LinkPath(desktop, name), target, arguments, iconIndex, description);
}

bool CreateStartMenuShortcut(const std::wstring& name, const std::wstring& target,
                             const std::wstring& arguments) {
    if (name.empty() || target.empty() || !IsExistingFile(target))
        return false;
    const std::wstring folder = StartMenuFolder();
    if (folder.empty())
        return false;
    MakeFolder(folder);
    return CreateShellLinkFile(setup::LinkPath(folder, name), target, arguments, setup::ProgramIconIndex,
                               L"");
}

void CreateProgramShortcuts(const std::wstring& target) {
    CreateDesktopShortcut(target, setup::GameArguments, setup::GameShortcutName, setup::ProgramIconIndex,
                          setup::GameShortcutName);
    CreateDesktopShortcut(target, setup::PortalArguments, setup::PortalShortcutName, setup::PortalIconIndex,
                          setup::PortalShortcutDescription(build::PortalHost));
    CreateStartMenuShortcut(setup::GameShortcutName, target, setup::GameArguments);
    CreateStartMenuShortcut(setup::UninstallShortcutName, target, setup::UninstallArguments);
}

int InstallProgram() {
    ComInit com;
    const std::wstring appData = CommonAppDataFolder();
    MakeFolder(appData + product::MakerFolder);
    MakeFolder(appData + product::InstallSubFolder);
    const std::wstring own = ProgramPath();
    const std::wstring installed = appData + product::InstallSubFolder + L"\\" + FileNameOf(own);
    // The copy keeps the source's attributes; a read-only copy could never be deleted by the uninstall.
    if (::lstrcmpiW(installed.c_str(), own.c_str()) != 0) {
        ClearReadOnly(installed); // an earlier read-only copy could not be overwritten either
        if (::CopyFileW(own.c_str(), installed.c_str(), FALSE))
            ClearReadOnly(installed);
    }
    CreateProgramShortcuts(installed);
    LaunchProgram(installed.c_str());
    return 1;
}

bool DeleteDesktopShortcut(const std::wstring& name) {
    const std::wstring desktop = CommonDesktopFolder();
    return !desktop.empty() && ::DeleteFileW(setup::LinkPath(desktop, name).c_str());
}

bool DeleteStartMenuShortcut(const std::wstring& name) {
    const std::wstring folder = StartMenuFolder();
    return !folder.empty() && ::DeleteFileW(setup::LinkPath(folder, name).c_str());
}

void RemoveRegistryEntries() {
    ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, product::RegistryKey);
    const std::wstring value = setup::BrowserEmulationValueName(ProgramPath());
    ::SHDeleteValueW(HKEY_LOCAL_MACHINE, setup::BrowserEmulationKey, value.c_str());
}

int RemoveShortcuts() {
    ComInit com;
    DeleteDesktopShortcut(setup::PortalShortcutName);
    DeleteDesktopShortcut(setup::GameShortcutName);
    DeleteStartMenuShortcut(setup::GameShortcutName);
    DeleteStartMenuShortcut(setup::UninstallShortcutName);
    const std::wstring folder = StartMenuFolder();
    if (!folder.empty() && CountFilesInTree(folder) == 0)
        ::RemoveDirectoryW(folder.c_str());
    return 1;
}

unsigned CountFilesInTree(const std::wstring& folder) {
    Win32FileTree fs;
    return CountFilesWith(fs, folder);
}

long AppendTextToFile(const std::wstring& path, const std::string& text) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return -1;
    DWORD written = 0;
    if (::SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
        ::GetLastError() != NO_ERROR)
        return -1;
    if (!::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        const DWORD error = ::GetLastError();
        file.reset();
        ::SetLastError(error);
        return -1;
    }
    return static_cast<long>(written);
}

std::optional<std::string> AnsiPathForBatch(const std::wstring& path) {
    const std::wstring form = BatchForm(path);
    if (form.empty())
        return std::nullopt;
    return LosslessAnsi(form);
}

std::wstring ScheduleSelfDelete() {
    // The program and its folder, in a form the ANSI batch names without loss or ambiguity. The folder
    // is cut in UTF-16: in a double-byte code page a backslash byte can be the second half of a letter.
    const std::wstring programForm = BatchForm(ProgramPath());
    const std::wstring folder = FolderWithoutSlash(ProgramPath());
    if (programForm.empty() || folder.empty())
        return {};
    const std::optional<std::string> programAnsi = LosslessAnsi(programForm);
    const std::optional<std::string> folderAnsi = LosslessAnsi(FolderWithoutSlash(programForm));
    if (!programAnsi || !folderAnsi)
        return {};

    const std::wstring temp = TempFolder();
    if (temp.empty())
        return {};
    // The temporary folder in its batch-safe form; the generated name itself is plain ASCII.
    const std::optional<std::string> tempAnsi = AnsiPathForBatch(FolderWithoutSlash(temp));
    if (!tempAnsi)
        return {};
    wchar_t unique[MAX_PATH] = {};
    if (!::GetTempFileNameW(temp.c_str(), L"DelSelf", 0, unique))
        return {};
    const std::wstring batch = std::wstring(unique) + L".bat";
    const std::optional<std::string> nameAnsi = LosslessAnsi(FileNameOf(batch));
    if (!nameAnsi)
        return {};

    const SelfDeleteVariant variant = ChooseSelfDeleteVariant(CountFilesInTree(folder));
    const std::string text =
        FormatSelfDeleteBatch(variant, *programAnsi, *folderAnsi, *tempAnsi + "\\" + *nameAnsi);
    if (text.empty())
        return {};
    // A batch left over under this name by an interrupted uninstall must not run its old lines first.
    ::DeleteFileW(batch.c_str());
    if (AppendTextToFile(batch, text) != static_cast<long>(text.size())) {
        ::DeleteFileW(batch.c_str());
        return {};
    }

    // The batch cannot delete a read-only program: "del" would fail on every round for ever.
    ClearReadOnly(ProgramPath());
    StartedProcess started;
    if (StartProcess(nullptr, L"\"" + batch + L"\"", SW_HIDE, 0, started))
        ::SetThreadPriority(started.Thread.get(), THREAD_PRIORITY_IDLE);
    return batch;
}

void UninstallProgram(ReportEvents& reports) {
    RemoveRegistryEntries();
    RemoveShortcuts();
    ScheduleSelfDelete();
    SendReport(ReportUrl(Report::Uninstall, UpdateStatistic(StatisticKind::UnInst)), reports);
    ShowMessageBox(MB_OK, product::Caption, setup::UninstalledText, nullptr);
}

} // namespace zarn
