// The self-update's download progress dialog (template 156): downloads the program file on a worker
// thread, moves the image progress bar, and ends with IDOK when the checked file is complete, IDCANCEL
// when the download failed or the user cancelled.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Handle.h"
#include "framework/PostTarget.h"
#include "skin/DlgEx_win.h"
#include "skin/ImgProgress_win.h"

namespace zarn {

class ProgramDownload;

inline constexpr UINT IDD_PRGSDLG = 156;
inline constexpr int IDC_UPDATEPROGRESS = 1000;

class CPrgsDlg : public CDlgEx {
  public:
    CPrgsDlg();
    ~CPrgsDlg() override;

    // Runs the dialog until the download ends or is cancelled: IDOK when the whole file is at
    // TargetPath, else IDCANCEL (also when the dialog cannot be created).
    INT_PTR DoModal();

    CImgProgress Progress;    // control 1000
    std::wstring Url;         // the download address (at most 511 characters); set before DoModal
    std::wstring TargetPath;  // where the file is written (at most 259 characters); set before DoModal
    std::wstring ExpectedKey; // the published version key; when set, the file's digest must match it

    // The progress bar's position when the dialog ended (100 after a complete download).
    unsigned FinalPosition() const { return EndPosition; }
    // The dialog window while it runs; null otherwise.
    HWND Window() const { return GetSafeHwnd(); }
    // Whether the worker threads of the last run may still post to the dialog and its progress bar:
    // only until the dialog ends.
    bool PostsToWindows() const;

  protected:
    void DoDataExchange(DataExchange& exchange) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

  private:
    static DWORD WINAPI DownloadThread(void* parameter);
    static DWORD WINAPI WatchThread(void* parameter);
    void StartThreads();
    void End(int result);
    void StopThreads();
    void CloseTargets();

    UniqueBitmap CloseImage;     // the title bar's close button (SetSkin only reads it)
    UniqueHandle DownloadWorker; // runs DownloadThread
    UniqueHandle Watcher;        // runs WatchThread
    UniqueHandle StopWatch;      // tells the watch thread to end without ending the dialog
    std::shared_ptr<ProgramDownload> Download;
    // Where the threads post: the progress bar (progress) and the dialog (the end of the download).
    std::shared_ptr<PostTarget> BarTarget;
    std::shared_ptr<PostTarget> DialogTarget;
    bool Ended = false;
    unsigned EndPosition = 0;
};

} // namespace zarn
