// Test helpers for install, uninstall, Flash check and crash tests: answering Yes/No boxes of either
// kind, reading shortcuts back, watching processes by image path, and scoped registry overrides.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handle.h"

namespace zarn::test {

// Answers a Yes/No box: the skinned box's buttons 5000/5001 when present, else IDYES/IDNO.
void AnswerYesNo(HWND box, bool yes);
// Answers an OK box: the skinned box's button 5000 when present, else IDOK.
void AnswerOk(HWND box);

struct ShortcutInfo {
    bool Loaded = false;
    std::wstring Target, Arguments, IconFile, Description;
    int IconIndex = -1;
};
// Reads a .lnk file through IShellLinkW (COM must be initialised).
ShortcutInfo ReadShortcut(const std::wstring& linkPath);

// Ids of the running processes whose image path equals path (ignoring case).
std::vector<DWORD> ProcessesOf(const std::wstring& imagePath);
// Ids of the running processes whose image file name equals name (ignoring case).
std::vector<DWORD> ProcessesNamed(const std::wstring& fileName);
// Ends the given process and waits briefly.
void EndProcess(DWORD pid);

// Files in folder whose names match the pattern (e.g. L"Del*.tmp.bat"), full paths.
std::vector<std::wstring> MatchingFiles(const std::wstring& folder, const std::wstring& pattern);

// Sets HKLM "SOFTWARE\Macromedia\FlashPlayer" "CurrentVersion" (nullptr: removes the key) for a scope
// and puts the earlier state back afterwards.
class FlashVersionOverride {
  public:
    explicit FlashVersionOverride(const wchar_t* version);
    ~FlashVersionOverride();
    FlashVersionOverride(const FlashVersionOverride&) = delete;
    FlashVersionOverride& operator=(const FlashVersionOverride&) = delete;

  private:
    bool HadValue_ = false;
    std::wstring Old_;
};

// Points the user's documents folder (CSIDL_PERSONAL) at <root>\Documents for a scope, so that the
// "own desktop" of the program is <root>\Desktop instead of the real one.
class OwnDesktopRedirect {
  public:
    explicit OwnDesktopRedirect(const std::wstring& root);
    ~OwnDesktopRedirect();
    OwnDesktopRedirect(const OwnDesktopRedirect&) = delete;
    OwnDesktopRedirect& operator=(const OwnDesktopRedirect&) = delete;
    std::wstring Desktop() const { return Root_ + L"\\Desktop"; }

  private:
    std::wstring Root_;
    bool HadValue_ = false;
    std::wstring Old_;
    DWORD OldType_ = REG_EXPAND_SZ;
};

} // namespace zarn::test
