// Helpers for the statistics and update tests: running the program to its end, the report paths in
// the portal's log, the statistics file, and local dates.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zarn::test {

// A fresh copy of the program inside the install folder (the installed launcher); its path. It is the
// test build, whose launcher plays its game windows with the tests' stand-in (which, unless a test
// says otherwise, cancels its login and so ends the launcher).
std::wstring InstalledCopy();
// Waits until no process runs the file any more (it can be opened for writing); false on time-out.
bool WaitUntilWritable(const std::wstring& path, DWORD timeoutMs = 30000);

// A fresh copy of the program (the test build, as above) in a scratch folder outside the install
// folder; its path.
std::wstring LooseCopy(const std::wstring& scratchName);

// Runs exe with arguments to its end (at most timeoutMs); false when it did not end.
bool RunToEnd(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs = 60000);

// The request targets ("path" of each JSON line) logged from index `from` on, whose path starts with
// prefix.
std::vector<std::string> LoggedPaths(size_t from, const std::string& prefix);
// The value of a header of the first logged request whose path starts with prefix.
// The portal's clock, in seconds, at the arrival of the first logged request since entry from whose
// path starts with prefix; -1 when there is none.
double LoggedTime(size_t from, const std::string& prefix);
std::string LoggedHeader(size_t from, const std::string& prefix, const std::string& header);

// "Statistic.ini" in the install folder.
std::wstring StatisticIni();
void WriteStatistic(const wchar_t* key, const std::wstring& value);
std::wstring ReadStatistic(const wchar_t* key);

// The local date `daysAgo` days before today, "%d/%d/%d".
std::wstring LocalDateDaysAgo(int daysAgo);

// Percent-encodes a text for a query value.
std::wstring QueryEscape(const std::wstring& text);

} // namespace zarn::test
