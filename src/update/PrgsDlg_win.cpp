// The download progress dialog. The worker thread owns a shared reference to the download, so nothing
// it touches is freed underneath it; the dialog ends only on its own thread, from a posted message of
// the watch thread or from OnCancel, so it never ends twice. The threads post only through PostTargets
// that the dialog closes as it ends.
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
    std::shared_ptr<PostTarget> Dialog;
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
    Ended = false;
    EndPosition = 0;
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
    SetSkin(UniqueBitmap(LoadSkinImage(instance, SkinImageId)), FALSE, TRUE, nullptr, {}, {},
            CloseImage.get());

    CenterWindow(::GetDesktopWindow());
    ::SetWindowPos(GetSafeHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    Progress.SetImages(UniqueBitmap(LoadSkinImage(instance, TrackImageId)),
                       UniqueBitmap(LoadSkinImage(instance, FillImageId)));
    Progress.SendMessage(PBM_SETRANGE32, 0, 100);
    Progress.SetPos(0);

    StartThreads();
    return TRUE;
}

void CPrgsDlg::StartThreads() {
    BarTarget = std::make_shared<PostTarget>(Progress.GetSafeHwnd());
    DialogTarget = std::make_shared<PostTarget>(GetSafeHwnd());
    // Posted, not sent: the worker never waits for the dialog's thread.
    Download =
        std::make_shared<ProgramDownload>(Url, TargetPath, ExpectedKey, [bar = BarTarget](unsigned percent) {
            bar->Post(PBM_SETPOS, percent, 0);
        });
    StopWatch.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto* job = new std::shared_ptr<ProgramDownload>(Download);
    DownloadWorker.reset(::CreateThread(nullptr, 0, DownloadThread, job, 0, nullptr));
    if (!DownloadWorker) {
        delete job;
        PostMessage(UM_DOWNLOADDONE, 0, 0);
        return;
    }
    auto* watch =
        new WatchArgument{Duplicate(DownloadWorker.get()), Duplicate(StopWatch.get()), DialogTarget};
    Watcher.reset(::CreateThread(nullptr, 0, WatchThread, watch, 0, nullptr));
    if (!Watcher) {
        delete watch;
        OnCancel();
    }
}

bool CPrgsDlg::PostsToWindows() const {
    return (BarTarget && BarTarget->IsOpen()) || (DialogTarget && DialogTarget->IsOpen());
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
    watch->Dialog->Post(UM_DOWNLOADDONE, success == 1 ? 1 : 0, 0);
    return 0;
}

LRESULT CPrgsDlg::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (msg == UM_DOWNLOADDONE) {
        End(w != 0 && Download && Download->Succeeded() ? IDOK : IDCANCEL);
        return 0;
    }
    return CDlgEx::WindowProc(msg, w, l);
}

void CPrgsDlg::End(int result) {
    if (Ended || !GetSafeHwnd())
        return;
    Ended = true;
    CloseTargets();
    // Progress posted before the end has been handled by now: the queue keeps its order.
    EndPosition = static_cast<unsigned>(Progress.GetPos());
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
    CloseTargets();
    if (StopWatch)
        ::SetEvent(StopWatch.get());
    if (Download)
        Download->Cancel();
    if (Watcher)
        ::WaitForSingleObject(Watcher.get(), WatchStopMs);
    if (DownloadWorker)
        ::WaitForSingleObject(DownloadWorker.get(), WorkerStopMs);
    Watcher.reset();
    DownloadWorker.reset();
    StopWatch.reset();
}

// From here on no thread posts to the dialog or its bar, whatever their handles come to name.
void CPrgsDlg::CloseTargets() {
    if (BarTarget)
        BarTarget->Close();
    if (DialogTarget)
        DialogTarget->Close();
}

} // namespace zarn
