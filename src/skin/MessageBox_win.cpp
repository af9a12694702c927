// Message box: the system's own box for now.
#include "skin/MessageBox_win.h"

namespace zarn {

int ShowMessageBox(UINT type, const wchar_t* caption, const wchar_t* text, HWND parent) {
    UINT style = MB_OK;
    if (type == MB_OKCANCEL || type == MB_YESNO)
        style = type;
    return ::MessageBoxW(parent, text ? text : L"", caption ? caption : L"", style | MB_SETFOREGROUND);
}

} // namespace zarn
