// Launcher main window (placeholder: no window yet).
#include "launcher/Plexo3Dlg_win.h"

namespace zarn {

void RunLauncherWindow(CPlexo3App&) {}

} // namespace zarn
