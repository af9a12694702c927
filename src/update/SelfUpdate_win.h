// The self-update: the published version key, the download of the new program and the file swap.
#pragma once

#include <memory>
#include <string>

#include <windows.h>

#include "update/PrgsDlg_win.h"

namespace zarn {

class PostTarget;

// What the self-update keeps between its check and its download, one per process.
struct UpdateState {
    CPrgsDlg UpdateDialog;      // the download's dialog
    std::wstring UpdateAddress; // "UpdAddr" of the update configuration (at most 511 characters)
    // The published version key of the last check; a downloaded program's digest must match it.
    std::wstring UpdateKey;
};

// Compares the published version key with the program's own; nonzero means they differ. Throttled
// (not forced) it runs only in the modes and on the days the throttle allows.
int CheckForUpdate(UpdateState& update, bool forced);

// The MD5 of a file as 32 lower-case hex digits; empty when the file cannot be read.
std::string Md5OfFile(const std::wstring& path);

// The version key of a program file: its digest's first 28 digits and "3002"; empty when unreadable.
std::wstring VersionKey(const std::wstring& programPath);

// Fetches "/update/ConfigZarn.htm" into "ConfigZarn.htm" beside the program, reads the published key
// (into key, as ANSI text of at most 63 bytes) and "UpdAddr" (into address), deletes the file. False,
// with both empty, when the fetch failed.
bool FetchUpdateConfig(std::string& key, std::wstring& address);

// The forced check on a thread of its own, for a window that must not wait for the network: posts
// (message, 1 when the published key differs from programPath's, else 0, 0) to target. The thread
// owns everything it reads and writes and touches no object of the process, so it may outlive the
// window (the target closed) and the application object. False when no thread could be started.
bool StartUpdateCheck(std::shared_ptr<PostTarget> target, UINT message, std::wstring programPath);

// Downloads the program from UpdateAddress into "NewZarn.exe" beside programPath
// with the progress dialog and, when it is a program for this machine (IsProgramFile), puts it in
// place of programPath ("OldZarn.exe" keeps the previous file). True only when the new file is in
// place; when renaming it into place fails, the previous file is moved back.
bool DownloadAndSwap(UpdateState& update, const std::wstring& programPath);
// Renames program to old and fresh to program (replacing existing files), after taking any deletion
// scheduled for old out of the restart-time list. When the second rename fails, old is moved back, so
// the program file is never lost; false then, and also when the first rename fails or the scheduled
// deletion cannot be cancelled.
bool SwapProgramFiles(const std::wstring& program, const std::wstring& fresh, const std::wstring& old);
// After a swap: starts programPath and schedules "OldZarn.exe" for deletion at the next restart. When
// the new program cannot be started, it is renamed back to "NewZarn.exe" (scheduled for deletion),
// "OldZarn.exe" returns to programPath and is started; false then.
bool StartUpdatedProgram(const std::wstring& programPath);

// Whether the file starts with the headers of a Windows GUI program for this build's machine.
bool IsProgramFile(const std::wstring& path);
// Takes every deletion of path (made full) out of the system's restart-time rename list. True when
// none is left scheduled; false when one stays because the list cannot be read or written.
bool CancelScheduledDeletion(const std::wstring& path);

// The same for the running program's own file.
bool DownloadAndSwap(UpdateState& update);

} // namespace zarn
