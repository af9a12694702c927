// The login backdrop and the portal's login page of a new game window.
#pragma once

#include <windows.h>

namespace zarn {

// Runs the login modally, owned by the launcher window; IDOK once an account logged in.
INT_PTR RunLoginBackdrop(HWND launcher);

} // namespace zarn
