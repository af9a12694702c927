// The self-update: the published version key, the download of the new program and the file swap.
#pragma once

namespace zarn {

class CPlexo3App;

// Downloads the program from the application's UpdateAddress and puts it in place of the running
// file; true when the new file is in place.
bool DownloadAndSwap(CPlexo3App& app);

} // namespace zarn
