// Self-update (placeholder: no update is ever found).
#include "update/SelfUpdate_win.h"

#include "app/Plexo3App_win.h"

namespace zarn {

int CPlexo3App::CheckForUpdate(bool) { return 0; }

bool DownloadAndSwap(CPlexo3App&) { return false; }

} // namespace zarn
