// The one way the program shows a message: type MB_OK (0), MB_OKCANCEL (1) or MB_YESNO (4), caption,
// text and owner (none before any window exists) -> IDOK, IDCANCEL, IDYES or IDNO.
#pragma once

#include <windows.h>

namespace zarn {

int ShowMessageBox(UINT type, const wchar_t* caption, const wchar_t* text, HWND parent);

} // namespace zarn
