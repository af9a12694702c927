// CGmWndView: the game page or the game hall in the game window. It places the frame into the
// launcher's game area whenever a page completes, reports URL and title to the application, turns
// the hall's entergame links into other games' launchers, and opens only the schemes a page may open.
#pragma once

#include "framework/HtmlView.h"

namespace zarn {

class CGmWndView : public CHtmlView {
  public:
    ~CGmWndView() override;

    void OnInitialUpdate() override;
    HRESULT OnGetHostInfo(DOCHOSTUIINFO* info) override;

  protected:
    int OnCreate(CREATESTRUCTW* cs) override;
    void OnNavigateComplete2(const std::wstring& url) override;
    void OnBeforeNavigate2(const std::wstring& url, VARIANT_BOOL* cancel) override;
    void OnTitleChange(const std::wstring& text) override;

  private:
    void EnterGame(const std::wstring& url);
};

} // namespace zarn
