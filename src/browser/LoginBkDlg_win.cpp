// Login backdrop (placeholder: the login is cancelled).
#include "browser/LoginBkDlg_win.h"

namespace zarn {

INT_PTR RunLoginBackdrop(HWND) {
    return IDCANCEL;
}

} // namespace zarn
