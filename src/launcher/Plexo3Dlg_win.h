// The launcher main window.
#pragma once

namespace zarn {

class CPlexo3App;

// Shows the launcher window modally; returns when it closes.
void RunLauncherWindow(CPlexo3App& app);

} // namespace zarn
