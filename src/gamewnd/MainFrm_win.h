// CMainFrame: the frame of a game tab or of the game hall. It drops its border, registers with the
// launcher and becomes a child of the launcher's window; it ends its process when the launcher's
// window is gone, passes the switch key on, and handles Ctrl+D, F5 and the close request.
#pragma once

#include "framework/DocView.h"

namespace zarn {

class CMainFrame : public CFrameWnd {
  public:
    static constexpr UINT_PTR LauncherWatchTimer = 2;
    static constexpr UINT_PTR DialogKillTimer = 5;
    static constexpr UINT_PTR RaiseLauncherTimer = 6;

    ~CMainFrame() override;

    BOOL PreTranslateMessage(MSG* msg) override;

  protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    int OnCreate(CREATESTRUCTW* cs) override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

  private:
    void OnTimer(UINT_PTR id);
    LRESULT ApplySoundState(WPARAM state);
    LRESULT OnBossKey(bool hide);
    LRESULT LoadHotKeysIntoGlobals();
    void RunFavourites();
    void DestroyBrowserMessageBox();
    void RaiseLauncher();
    void WatchLauncher();
    // A thread timer beside the frame's own: when the launcher's process dies, its window tree (this
    // frame with it) can vanish without a WM_DESTROY reaching this thread, and the frame's timer with it.
    static void CALLBACK ThreadWatch(HWND, UINT, UINT_PTR, DWORD);

    UINT_PTR ThreadWatchTimer_ = 0;
};

} // namespace zarn
