// The self-update's download progress dialog (template 156): downloads the program file on a worker
// thread, moves the progress bar, and ends with IDOK when the checked file is complete, IDCANCEL when
// the download failed or the user cancelled.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Handle.h"

namespace zarn {

class ProgramDownload;

inline constexpr int IDD_PRGSDLG = 156;
inline constexpr int IDC_UPDATEPROGRESS = 1000;

class CPrgsDlg {
  public:
    CPrgsDlg();
    ~CPrgsDlg();
    CPrgsDlg(const CPrgsDlg&) = delete;
    CPrgsDlg& operator=(const CPrgsDlg&) = delete;

    // Runs the dialog until the download ends or is cancelled: IDOK when the whole file is at
    // TargetPath, else IDCANCEL.
    INT_PTR DoModal(HWND owner = nullptr);

    std::wstring Url;         // the download address (at most 511 characters); set before DoModal
    std::wstring TargetPath;  // where the file is written (at most 259 characters); set before DoModal
    std::wstring ExpectedKey; // the published version key; when set, the file's digest must match it

    // The progress bar's position when the dialog ended (100 after a complete download).
    unsigned FinalPosition() const { return FinalPosition_; }
    // The dialog window while it runs (for tests); null otherwise.
    HWND Window() const { return Hwnd_; }

  protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

  private:
    static INT_PTR CALLBACK DialogProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
    static DWORD WINAPI DownloadThread(void* parameter);
    static DWORD WINAPI WatchThread(void* parameter);
    void StartThreads();
    void OnDownloadDone(bool success);
    void End(INT_PTR result);
    void StopThreads();

    HWND Hwnd_ = nullptr;
    HWND ProgressBar_ = nullptr;
    UniqueHandle DownloadThread_;
    UniqueHandle WatchThread_;
    UniqueHandle StopWatch_; // tells the watch thread to end without ending the dialog
    std::shared_ptr<ProgramDownload> Download_;
    bool Ended_ = false;
    unsigned FinalPosition_ = 0;
};

} // namespace zarn
