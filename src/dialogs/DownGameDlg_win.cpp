// The client download dialog and its worker. The worker owns a shared reference to its job (the
// paths, the transfer and where to post), so nothing it uses is freed underneath it, and it reaches
// the dialog only by posting through a PostTarget that the dialog closes before its window goes: the
// dialog's own thread moves the bar, sets the label's text and changes the title and buttons.
#include "dialogs/DownGameDlg_win.h"

#include <commctrl.h>

#include <cwchar>
#include <vector>

#include "app/Program_win.h"
#include "app/Urls.h"
#include "base/GameCode.h"
#include "base/PathLimit.h"
#include "framework/WinApp.h"
#include "net/Http_win.h"
#include "skin/SkinImage_win.h"
#include "update/Md5.h"
#include "update/PrgsDlg_win.h"

namespace zarn {
namespace {

constexpr UINT UM_CLIENTPROGRESS = WM_APP + 0x163; // wParam: percent of the installer that arrived
constexpr UINT UM_CLIENTDONE = WM_APP + 0x164;     // wParam: an Outcome

enum Outcome : WPARAM { ConfigFailed = 0, DownloadFailed = 1, Started = 2 };

constexpr UINT SkinImageId = 131;
constexpr UINT CloseImageId = 132;
constexpr UINT PushButtonImageId = 133;
constexpr UINT TrackImageId = 152;
constexpr UINT FillImageId = 153;
constexpr COLORREF StatusColor = 0x565148;
constexpr size_t ConfigPieceSize = 1024;
constexpr size_t InstallerPieceSize = 1024;
// "UpdAddr" is read into a buffer this large; a value that fills it is refused rather than cut.
constexpr DWORD AddressBufferChars = 4096;
// How long the worker waits for the started installer to end before it leaves the file in place.
constexpr DWORD InstallerWaitMs = 10 * 60 * 1000;

} // namespace

// One run of the worker: the configuration page, then the installer. Cancel may come from any thread.
class ClientDownload {
  public:
    ClientDownload(std::wstring configUrl, std::wstring configPath, std::wstring installerPath,
                   std::shared_ptr<PostTarget> dialog)
        : ConfigUrl_(std::move(configUrl)), ConfigPath_(std::move(configPath)),
          InstallerPath_(std::move(installerPath)), Dialog_(std::move(dialog)) {}

    void Run() {
        std::wstring address;
        if (!FetchConfig(address)) {
            Dialog_->Post(UM_CLIENTDONE, ConfigFailed, 0);
            return;
        }
        // What starts is exactly what arrived: the file's digest as it was written.
        Md5 written;
        StartedProcess installer;
        if (!Download(address, written) || Transfer_.Cancelled() ||
            !LaunchDownloadedProgram(InstallerPath_, DigestHex(written.Final()), installer)) {
            if (Transfer_.Cancelled())
                return; // the dialog has gone or is going: nothing more is touched
            ::DeleteFileW(InstallerPath_.c_str());
            Dialog_->Post(UM_CLIENTDONE, DownloadFailed, 0);
            return;
        }
        Dialog_->Post(UM_CLIENTDONE, Started, 0);
        // The running installer keeps its file in use; a launcher started outside its folder copies
        // itself there and ends soon, so the file is removed once it has. One that runs on keeps it.
        if (!::DeleteFileW(InstallerPath_.c_str()) &&
            ::WaitForSingleObject(installer.Process.get(), InstallerWaitMs) == WAIT_OBJECT_0)
            ::DeleteFileW(InstallerPath_.c_str());
    }

    // Closes the file and the WinINet handles now; a blocked read then returns and every later step
    // fails.
    void Cancel() { Transfer_.Cancel(); }

  private:
    bool FetchConfig(std::wstring& address) {
        const std::optional<HttpTarget> target = SplitHttpUrl(SkipScheme(ConfigUrl_));
        if (!target)
            return false;
        StreamOptions options;
        options.PieceSize = ConfigPieceSize;
        if (!Transfer_.StreamToFile(*target, ConfigPath_, options))
            return false; // a partial file stays
        std::vector<wchar_t> value(AddressBufferChars, L'\0');
        const DWORD got = ::GetPrivateProfileStringW(L"VerKey", L"UpdAddr", L"", value.data(),
                                                     AddressBufferChars, ConfigPath_.c_str());
        ::DeleteFileW(ConfigPath_.c_str());
        if (got + 1 < AddressBufferChars)
            address.assign(value.data(), got);
        return true;
    }

    bool Download(const std::wstring& address, Md5& written) {
        // The allowed-domain test comes first: a refused address makes no request at all.
        if (!IsAllowedDomainUrl(address))
            return false;
        const std::optional<HttpTarget> target = SplitHttpUrl(SkipScheme(address));
        if (!target)
            return false;
        StreamOptions options;
        options.PieceSize = InstallerPieceSize;
        options.Progress = [dialog = Dialog_](unsigned percent) {
            dialog->Post(UM_CLIENTPROGRESS, percent, 0);
        };
        options.Written = [&written](const char* data, size_t size) { written.Update(data, size); };
        return Transfer_.StreamToFile(*target, InstallerPath_, options);
    }

    const std::wstring ConfigUrl_;
    const std::wstring ConfigPath_;
    const std::wstring InstallerPath_;
    const std::shared_ptr<PostTarget> Dialog_;
    Transfer Transfer_; // shared by both steps: once cancelled, neither sends anything more
};

namespace {

DWORD WINAPI ClientDownloadThread(void* parameter) {
    std::unique_ptr<std::shared_ptr<ClientDownload>> job(
        static_cast<std::shared_ptr<ClientDownload>*>(parameter));
    (*job)->Run();
    return 0;
}

} // namespace

CDownGameDlg::CDownGameDlg(const std::wstring& gameCode, HWND parent)
    : CDlgEx(IDD_DOWNGAMEDLG, parent), GameCode(gameCode) {}

CDownGameDlg::~CDownGameDlg() {
    Detach();
    DestroyWindow();
}

void CDownGameDlg::DoDataExchange(DataExchange& exchange) {
    CDlgEx::DoDataExchange(exchange);
    exchange.Control(IDC_DOWNGAMEPROGRESS, Progress);
    exchange.Control(IDOK, OkButton);
    exchange.Control(IDCANCEL, CancelButton);
    exchange.Control(IDC_DOWNGAMESTATUS, StatusLabel);
}

BOOL CDownGameDlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    SetFrameLayout(30, 4, 0, 0, 0);
    SetTitle(L"游戏下载中...");
    const HINSTANCE instance = AfxGetInstanceHandle();
    CloseImage.reset(LoadSkinImage(instance, CloseImageId));
    SetSkin(UniqueBitmap(LoadSkinImage(instance, SkinImageId)), FALSE, TRUE, nullptr, {}, {},
            CloseImage.get());

    const UniqueBitmap buttons(LoadSkinImage(instance, PushButtonImageId));
    OkButton.SetImage(buttons.get(), TRUE);
    CancelButton.SetImage(buttons.get(), TRUE);
    StatusLabel.Text.clear();
    StatusLabel.TextColor = StatusColor;
    StatusLabel.FontHeight = 16;
    StatusLabel.Invalidate();
    Progress.SetImages(UniqueBitmap(LoadSkinImage(instance, TrackImageId)),
                       UniqueBitmap(LoadSkinImage(instance, FillImageId)));
    Progress.SetRange32(0, 100);
    Progress.SetPos(0);

    // The code names files, so only a plain word starts anything.
    if (!IsValidGameCode(GameCode))
        return TRUE;
    ConfigUrl = StatsUrl(L"/update/Config" + GameCode + L".htm");
    const std::wstring temp = TempFolder();
    const std::wstring configPath = PathBesideProgram((GameCode + L".ini").c_str());
    if (temp.empty() || configPath.empty() || configPath.size() > MaxPathLength ||
        temp.size() + GameCode.size() + 4 > MaxPathLength)
        return TRUE;
    InstallerPath = temp + GameCode + L".exe";

    ::EnableWindow(OkButton.GetSafeHwnd(), FALSE);
    Target = std::make_shared<PostTarget>(GetSafeHwnd());
    Job = std::make_shared<ClientDownload>(ConfigUrl, configPath, InstallerPath, Target);
    auto* job = new std::shared_ptr<ClientDownload>(Job);
    Worker.reset(::CreateThread(nullptr, 0, ClientDownloadThread, job, 0, nullptr));
    if (!Worker) {
        delete job;
        PostMessage(UM_CLIENTDONE, DownloadFailed, 0);
    }
    return TRUE;
}

BOOL CDownGameDlg::PreTranslateMessage(MSG* msg) {
    HWND wnd = GetSafeHwnd();
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE && wnd &&
        (msg->hwnd == wnd || ::IsChild(wnd, msg->hwnd)))
        return TRUE;
    return CDlgEx::PreTranslateMessage(msg);
}

void CDownGameDlg::OnOK() {
    // Enter reaches here as well; only an enabled OK button ends the dialog.
    if (::IsWindowEnabled(OkButton.GetSafeHwnd()))
        CDialog::OnOK();
}

void CDownGameDlg::StopDownload() {
    Detach();
    CDialog::OnCancel();
}

void CDownGameDlg::OnClose() {
    if (::IsWindowEnabled(OkButton.GetSafeHwnd()))
        CDialog::OnCancel();
    else
        StopDownload();
}

// From here on the worker posts nothing and writes nothing; its thread is let go, not waited for.
void CDownGameDlg::Detach() {
    if (Target)
        Target->Close();
    if (Job)
        Job->Cancel();
    Worker.reset();
}

void CDownGameDlg::ShowProgress(unsigned percent) {
    Progress.SetPos(static_cast<int>(percent));
    wchar_t text[16] = {};
    std::swprintf(text, 16, L"已加载  %u%%", percent);
    StatusLabel.Text = text;
    StatusLabel.Invalidate();
}

void CDownGameDlg::OnWorkerDone(WPARAM outcome) {
    Worker.reset();
    if (outcome == ConfigFailed) {
        // Nothing was downloaded: OK stays disabled, the user leaves with Cancel or the close button.
        SetTitle(L"下载失败");
        return;
    }
    SetTitle(outcome == Started ? L"下载完成" : L"下载失败");
    ::EnableWindow(OkButton.GetSafeHwnd(), TRUE);
    ::EnableWindow(CancelButton.GetSafeHwnd(), FALSE);
}

LRESULT CDownGameDlg::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case UM_CLIENTPROGRESS:
        ShowProgress(static_cast<unsigned>(w > 100 ? 100 : w));
        return 0;
    case UM_CLIENTDONE:
        OnWorkerDone(w);
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_DESTROY:
        Detach();
        break;
    default:
        break;
    }
    return CDlgEx::WindowProc(msg, w, l);
}

} // namespace zarn
