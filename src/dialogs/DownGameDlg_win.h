// CDownGameDlg: downloads and starts the launcher of another of the portal's games. A worker thread
// fetches that game's update configuration ("/update/Config<code>.htm" on the statistics host) into
// "<code>.ini" beside the program, downloads the address it names into "<code>.exe" in the temporary
// folder with a progress bar and starts exactly the bytes that arrived (its file is deleted once it
// has ended); the title tells how it ended.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Handle.h"
#include "skin/BtnEx_win.h"
#include "skin/DlgEx_win.h"
#include "skin/ImgProgress_win.h"
#include "skin/StaticEx_win.h"

namespace zarn {

class ClientDownload;
class PostTarget;

inline constexpr UINT IDD_DOWNGAMEDLG = 163;
inline constexpr int IDC_DOWNGAMESTATUS = 1024;
inline constexpr int IDC_DOWNGAMEPROGRESS = 1025;

class CDownGameDlg : public CDlgEx {
  public:
    // gameCode: the game's code ("Zarn2"). A code that IsValidGameCode refuses (the empty one too)
    // leaves the dialog with its first title and nothing running.
    CDownGameDlg(const std::wstring& gameCode, HWND parent);
    ~CDownGameDlg() override;

    // Esc is swallowed: it cannot interrupt the download.
    BOOL PreTranslateMessage(MSG* msg) override;

    const std::wstring GameCode;
    std::wstring ConfigUrl;     // set by OnInitDialog
    std::wstring InstallerPath; // set by OnInitDialog: temporary folder + GameCode + ".exe"

    CImgProgress Progress; // 1025
    CBtnEx OkButton;       // 1 "确定", enabled once the worker has finished
    CBtnEx CancelButton;   // 2 "取消", enabled while it runs
    CStaticEx StatusLabel; // 1024 "已加载  n%"

  protected:
    void DoDataExchange(DataExchange& exchange) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override { StopDownload(); }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

  private:
    // Ends the dialog with IDCANCEL at once. A running worker is told to stop: its file and WinINet
    // handles are closed here, and from then on it touches neither the dialog nor any file.
    void StopDownload();
    void OnClose();
    void ShowProgress(unsigned percent);
    void OnWorkerDone(WPARAM outcome);
    void Detach();

    UniqueBitmap CloseImage; // the title bar's close button (SetSkin only reads it)
    std::shared_ptr<ClientDownload> Job;
    std::shared_ptr<PostTarget> Target; // where the worker posts; closed before the window goes
    UniqueHandle Worker;
};

} // namespace zarn
