// Test helpers for install, uninstall, Flash check and crash tests.
#include "support/SetupTestSupport_win.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <cwchar>

#include "support/WinTestSupport_win.h"

namespace zarn::test {

namespace {
constexpr const wchar_t* FlashKey = L"SOFTWARE\\Macromedia\\FlashPlayer";
constexpr const wchar_t* ShellFoldersKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

bool ReadString(HKEY root, const wchar_t* key, const wchar_t* name, std::wstring& out,
                DWORD* type = nullptr) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    DWORD t = 0;
    if (::RegGetValueW(root, key, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &t, buffer,
                       &size) != ERROR_SUCCESS)
        return false;
    out = buffer;
    if (type)
        *type = t;
    return true;
}

void WriteString(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value, DWORD type) {
    UniqueHKey k;
    if (::RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, k.put(), nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExW(k.get(), name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}
} // namespace

void AnswerYesNo(HWND box, bool yes) {
    if (::GetDlgItem(box, 5000))
        ClickButton(box, yes ? 5000 : 5001);
    else
        ClickButton(box, yes ? IDYES : IDNO);
}

void AnswerOk(HWND box) {
    ClickButton(box, ::GetDlgItem(box, 5000) ? 5000 : IDOK);
}

ShortcutInfo ReadShortcut(const std::wstring& linkPath) {
    ShortcutInfo info;
    ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.put_void())))
        return info;
    ComPtr<IPersistFile> file = link.As<IPersistFile>();
    if (!file || FAILED(file->Load(linkPath.c_str(), STGM_READ)))
        return info;
    wchar_t text[1024] = {};
    link->GetPath(text, 1024, nullptr, SLGP_RAWPATH);
    info.Target = text;
    text[0] = 0;
    link->GetArguments(text, 1024);
    info.Arguments = text;
    text[0] = 0;
    link->GetIconLocation(text, 1024, &info.IconIndex);
    info.IconFile = text;
    text[0] = 0;
    link->GetDescription(text, 1024);
    info.Description = text;
    info.Loaded = true;
    return info;
}

namespace {
template <typename Match> std::vector<DWORD> Processes(Match match) {
    std::vector<DWORD> ids;
    UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry))
        if (match(entry))
            ids.push_back(entry.th32ProcessID);
    return ids;
}
} // namespace

std::vector<DWORD> ProcessesOf(const std::wstring& imagePath) {
    return Processes([&](const PROCESSENTRY32W& entry) {
        UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process)
            return false;
        wchar_t path[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        return ::QueryFullProcessImageNameW(process.get(), 0, path, &size) &&
               ::lstrcmpiW(path, imagePath.c_str()) == 0;
    });
}

std::vector<DWORD> ProcessesNamed(const std::wstring& fileName) {
    return Processes(
        [&](const PROCESSENTRY32W& entry) { return ::lstrcmpiW(entry.szExeFile, fileName.c_str()) == 0; });
}

void EndProcess(DWORD pid) {
    UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process)
        return;
    ::TerminateProcess(process.get(), 99);
    ::WaitForSingleObject(process.get(), 5000);
}

std::vector<std::wstring> MatchingFiles(const std::wstring& folder, const std::wstring& pattern) {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileW((folder + L"\\" + pattern).c_str(), &data));
    if (!find)
        return files;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(folder + L"\\" + data.cFileName);
    } while (::FindNextFileW(find.get(), &data));
    return files;
}

FlashVersionOverride::FlashVersionOverride(const wchar_t* version) {
    HadValue_ = ReadString(HKEY_LOCAL_MACHINE, FlashKey, L"CurrentVersion", Old_);
    if (version)
        WriteString(HKEY_LOCAL_MACHINE, FlashKey, L"CurrentVersion", version, REG_SZ);
    else
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, FlashKey), ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, FlashKey);
}

FlashVersionOverride::~FlashVersionOverride() {
    if (HadValue_) {
        WriteString(HKEY_LOCAL_MACHINE, FlashKey, L"CurrentVersion", Old_, REG_SZ);
    } else {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, FlashKey);
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, FlashKey);
    }
}

OwnDesktopRedirect::OwnDesktopRedirect(const std::wstring& root) : Root_(root) {
    HadValue_ = ReadString(HKEY_CURRENT_USER, ShellFoldersKey, L"Personal", Old_, &OldType_);
    ::CreateDirectoryW(root.c_str(), nullptr);
    ::CreateDirectoryW((root + L"\\Documents").c_str(), nullptr);
    ::CreateDirectoryW((root + L"\\Desktop").c_str(), nullptr);
    WriteString(HKEY_CURRENT_USER, ShellFoldersKey, L"Personal", root + L"\\Documents", REG_EXPAND_SZ);
}

OwnDesktopRedirect::~OwnDesktopRedirect() {
    if (HadValue_) {
        WriteString(HKEY_CURRENT_USER, ShellFoldersKey, L"Personal", Old_, OldType_);
    } else {
        UniqueHKey key;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, ShellFoldersKey, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
            ::RegDeleteValueW(key.get(), L"Personal");
    }
}

} // namespace zarn::test
