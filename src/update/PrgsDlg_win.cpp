// The download progress dialog. The worker thread owns a shared reference to the download, so nothing
// it touches is freed underneath it; the dialog ends only on its own thread, from a posted message of
// the watch thread or from OnCancel, so it never ends twice.
#include "update/PrgsDlg_win.h"

#include <commctrl.h>

#include "framework/WinApp.h"
#include "update/ProgramDownload_win.h"

namespace zarn {
namespace {

constexpr UINT UM_DOWNLOADDONE = WM_APP + 0x156; // wParam: 1 success, 0 failure
constexpr DWORD WatchStopMs = 5000;              // the watch thread ends as soon as it is told
constexpr DWORD WorkerStopMs = 250;              // closing its handles ends a blocked read at once on Windows

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

CPrgsDlg::CPrgsDlg() = default;

CPrgsDlg::~CPrgsDlg() {
    StopThreads();
}

INT_PTR CPrgsDlg::DoModal(HWND owner) {
    Ended_ = false;
    FinalPosition_ = 0;
    HINSTANCE instance = AfxGetInstanceHandle();
    if (!instance)
        instance = ::GetModuleHandleW(nullptr);
    const INT_PTR result = ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PRGSDLG), owner, DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    StopThreads();
    return result == IDOK ? IDOK : IDCANCEL;
}

INT_PTR CALLBACK CPrgsDlg::DialogProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CPrgsDlg*>(::GetWindowLongPtrW(wnd, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        self = reinterpret_cast<CPrgsDlg*>(lParam);
        ::SetWindowLongPtrW(wnd, DWLP_USER, lParam);
        self->Hwnd_ = wnd;
        return self->OnInitDialog();
    case WM_COMMAND:
        if (!self)
            return FALSE;
        if (LOWORD(wParam) == IDOK)
            self->OnOK();
        else if (LOWORD(wParam) == IDCANCEL)
            self->OnCancel();
        return TRUE;
    case WM_SYSCOMMAND:
        if (self && (wParam & 0xFFF0) == SC_CLOSE) {
            self->OnCancel();
            return TRUE;
        }
        return FALSE;
    case UM_DOWNLOADDONE:
        if (self)
            self->OnDownloadDone(wParam != 0);
        return TRUE;
    case WM_DESTROY:
        if (self) {
            self->Hwnd_ = nullptr;
            self->ProgressBar_ = nullptr;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

BOOL CPrgsDlg::OnInitDialog() {
    ::SetWindowTextW(Hwnd_, L"版本更新中...");
    ProgressBar_ = ::GetDlgItem(Hwnd_, IDC_UPDATEPROGRESS);
    ::SendMessageW(ProgressBar_, PBM_SETRANGE32, 0, 100);
    RECT rc{};
    ::GetWindowRect(Hwnd_, &rc);
    RECT desk{};
    ::GetWindowRect(::GetDesktopWindow(), &desk);
    ::SetWindowPos(Hwnd_, HWND_TOPMOST, (desk.right - desk.left - (rc.right - rc.left)) / 2,
                   (desk.bottom - desk.top - (rc.bottom - rc.top)) / 2, 0, 0, SWP_NOSIZE);
    StartThreads();
    return TRUE;
}

void CPrgsDlg::StartThreads() {
    HWND bar = ProgressBar_;
    Download_ = std::make_shared<ProgramDownload>(Url, TargetPath, ExpectedKey, [bar](unsigned percent) {
        // Posted, not sent: the worker never waits for the dialog's thread.
        ::PostMessageW(bar, PBM_SETPOS, percent, 0);
    });
    StopWatch_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto* job = new std::shared_ptr<ProgramDownload>(Download_);
    DownloadThread_.reset(::CreateThread(nullptr, 0, DownloadThread, job, 0, nullptr));
    if (!DownloadThread_) {
        delete job;
        ::PostMessageW(Hwnd_, UM_DOWNLOADDONE, 0, 0);
        return;
    }
    auto* watch = new WatchArgument{Duplicate(DownloadThread_.get()), Duplicate(StopWatch_.get()), Hwnd_};
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

void CPrgsDlg::OnDownloadDone(bool success) {
    End(success && Download_ && Download_->Succeeded() ? IDOK : IDCANCEL);
}

void CPrgsDlg::End(INT_PTR result) {
    if (Ended_ || !Hwnd_)
        return;
    Ended_ = true;
    // Progress posted before the end has been handled by now: the queue keeps its order.
    FinalPosition_ = static_cast<unsigned>(::SendMessageW(ProgressBar_, PBM_GETPOS, 0, 0));
    ::EndDialog(Hwnd_, result);
}

void CPrgsDlg::OnOK() {} // Enter never closes the dialog

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
