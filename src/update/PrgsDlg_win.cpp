// The download progress dialog. The worker thread owns a shared reference to the download, so nothing
// it touches is freed underneath it; the dialog ends only on its own thread, from a posted message of
// the watch thread or from OnCancel, so it never ends twice.
#include "update/PrgsDlg_win.h"

#include <commctrl.h>

#include "framework/WinApp.h"
#include "skin/SkinImage_win.h"
#include "update/ProgramDownload_win.h"

namespace zarn {
namespace {

constexpr UINT UM_DOWNLOADDONE = WM_APP + 0x156; // wParam: 1 success, 0 failure
constexpr DWORD WatchStopMs = 5000;              // the watch thread ends as soon as it is told
constexpr DWORD WorkerStopMs = 250;              // closing its handles ends a blocked read at once on Windows

constexpr UINT SkinImageId = 131;
constexpr UINT CloseImageId = 132;
constexpr UINT TrackImageId = 152;
constexpr UINT FillImageId = 153;

struct WatchArgument {
    UniqueHandle Download; // our own handles, closed by the watch thread
    UniqueHandle Stop;
    HWND Dialog;
};

UniqueHandle Duplicate(HANDLE handle) {
    UniqueHandle copy;
    ::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), copy.put(), 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    return copy;
}

} // namespace

CPrgsDlg::CPrgsDlg() : CDlgEx(IDD_PRGSDLG) {}

CPrgsDlg::~CPrgsDlg() {
    StopThreads();
    DestroyWindow();
}

INT_PTR CPrgsDlg::DoModal() {
    Ended_ = false;
    FinalPosition_ = 0;
    const INT_PTR result = CDialog::DoModal();
    StopThreads();
    return result == IDOK ? IDOK : IDCANCEL;
}

void CPrgsDlg::DoDataExchange(DataExchange& exchange) {
    CDlgEx::DoDataExchange(exchange);
    exchange.Control(IDC_UPDATEPROGRESS, Progress);
}

BOOL CPrgsDlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    SetFrameLayout(30, 4, 0, 0, 0);
    SetTitle(L"版本更新中...");

    const HINSTANCE instance = AfxGetInstanceHandle();
    CloseImage.reset(LoadSkinImage(instance, CloseImageId));
    SetSkin(LoadSkinImage(instance, SkinImageId), FALSE, TRUE, nullptr, nullptr, nullptr, CloseImage.get());

    CenterWindow(::GetDesktopWindow());
    ::SetWindowPos(GetSafeHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    // The control rectangles accumulate in SetImages; start from the control's own place each time.
    Progress.ControlRect = RECT{};
    Progress.FillRect = RECT{};
    Progress.SetImages(LoadSkinImage(instance, TrackImageId), LoadSkinImage(instance, FillImageId));
    Progress.SendMessage(PBM_SETRANGE32, 0, 100);
    Progress.SetPos(0);

    StartThreads();
    return TRUE;
}

void CPrgsDlg::StartThreads() {
    HWND bar = Progress.GetSafeHwnd();
    Download_ = std::make_shared<ProgramDownload>(Url, TargetPath, ExpectedKey, [bar](unsigned percent) {
        // Posted, not sent: the worker never waits for the dialog's thread.
        ::PostMessageW(bar, PBM_SETPOS, percent, 0);
    });
    StopWatch_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto* job = new std::shared_ptr<ProgramDownload>(Download_);
    DownloadThread_.reset(::CreateThread(nullptr, 0, DownloadThread, job, 0, nullptr));
    if (!DownloadThread_) {
        delete job;
        PostMessage(UM_DOWNLOADDONE, 0, 0);
        return;
    }
    auto* watch =
        new WatchArgument{Duplicate(DownloadThread_.get()), Duplicate(StopWatch_.get()), GetSafeHwnd()};
    WatchThread_.reset(::CreateThread(nullptr, 0, WatchThread, watch, 0, nullptr));
    if (!WatchThread_) {
        delete watch;
        OnCancel();
    }
}

DWORD WINAPI CPrgsDlg::DownloadThread(void* parameter) {
    std::unique_ptr<std::shared_ptr<ProgramDownload>> job(
        static_cast<std::shared_ptr<ProgramDownload>*>(parameter));
    return (*job)->Run() ? 1 : 0;
}

DWORD WINAPI CPrgsDlg::WatchThread(void* parameter) {
    std::unique_ptr<WatchArgument> watch(static_cast<WatchArgument*>(parameter));
    const HANDLE waits[2] = {watch->Download.get(), watch->Stop.get()};
    if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0)
        return 0; // stopped: the dialog ends itself
    DWORD success = 0;
    ::GetExitCodeThread(watch->Download.get(), &success);
    ::PostMessageW(watch->Dialog, UM_DOWNLOADDONE, success == 1 ? 1 : 0, 0);
    return 0;
}

LRESULT CPrgsDlg::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (msg == UM_DOWNLOADDONE) {
        End(w != 0 && Download_ && Download_->Succeeded() ? IDOK : IDCANCEL);
        return 0;
    }
    return CDlgEx::WindowProc(msg, w, l);
}

void CPrgsDlg::End(int result) {
    if (Ended_ || !GetSafeHwnd())
        return;
    Ended_ = true;
    // Progress posted before the end has been handled by now: the queue keeps its order.
    FinalPosition_ = static_cast<unsigned>(Progress.GetPos());
    EndDialog(result);
}

void CPrgsDlg::OnOK() {} // Enter never closes the dialog

// The close button (SC_CLOSE) and Escape.
void CPrgsDlg::OnCancel() {
    StopThreads();
    End(IDCANCEL);
}

// Ends the watch thread, cancels the download and lets the worker go. Cancelling closes the output
// file and the WinINet handles at once, so the partial file can be deleted as soon as the dialog has
// ended. Closing the handles makes a blocking read return on Windows; where a read stays blocked until
// its receive timeout (Wine does this), the worker finishes on its own later: it holds its own
// reference to the download, finds it cancelled, and touches nothing else (no window, no file).
void CPrgsDlg::StopThreads() {
    if (StopWatch_)
        ::SetEvent(StopWatch_.get());
    if (Download_)
        Download_->Cancel();
    if (WatchThread_)
        ::WaitForSingleObject(WatchThread_.get(), WatchStopMs);
    if (DownloadThread_)
        ::WaitForSingleObject(DownloadThread_.get(), WorkerStopMs);
    WatchThread_.reset();
    DownloadThread_.reset();
    StopWatch_.reset();
}

} // namespace zarn
