// The download dialog's posting: a dialog that ended (here by a cancel while the host stalls) leaves its
// threads nothing to post to.
#include "update/PrgsDlg_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "BuildHosts.h"
#include "support/NetTestSupport_win.h"
#include "support/SkinTestSupport_win.h"
#include "support/WinTestSupport_win.h"

using namespace zarn;
using namespace zarn::test;

TEST(PrgsDlg, AfterACancelTheThreadsPostToNoWindow) {
    ASSERT_TRUE(PortalControl(L"/__portal/reset"));
    const std::wstring folder = MakeScratchFolder(L"prgsdlg");
    const std::wstring payload = folder + L"\\payload.bin";
    {
        std::ofstream out(payload.c_str(), std::ios::binary);
        out << std::string(200000, 'z');
    }
    std::wstring unixPath = payload.substr(2); // drop "Z:"
    for (auto& c : unixPath)
        if (c == L'\\')
            c = L'/';
    ASSERT_TRUE(PortalControl(L"/__portal/file?path=/files/NewZarn.exe&src=" + QueryEscape(unixPath)));
    // Half the body, then nothing: the worker stays in the middle of the download.
    ASSERT_TRUE(PortalControl(L"/__portal/fault?path=/files/NewZarn.exe&kind=stall&seconds=60"));
    const std::wstring host = build::StatsHost;

    CPrgsDlg dialog;
    dialog.Url = L"http://localhost:" + host.substr(host.find(L':') + 1) + L"/files/NewZarn.exe";
    dialog.TargetPath = folder + L"\\NewZarn.exe";
    INT_PTR result = 0;
    {
        BackgroundDriver driver([] {
            if (HWND wnd = WaitForOwnWindow(L"版本更新中...", 20000))
                ::PostMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        result = dialog.DoModal();
    }
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(dialog.PostsToWindows());
    EXPECT_EQ(dialog.Window(), nullptr);
    PortalControl(L"/__portal/reset");
}
