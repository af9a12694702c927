// Seams that only the test build of the program opens. The release executable links an implementation
// that answers "off" to every question, so none of these paths exist in what users run.
#pragma once

#include <string>

namespace zarn::testbuild {

// Whether this executable is the test build.
bool Enabled();
// A named test setting (the test build reads the environment variable ZARN_TEST_<name>; child
// processes inherit it). Always empty in the release build.
std::wstring Setting(const wchar_t* name);
// Appends "<process id> <line>" to the file the test setting NOTES names, so that a test can follow
// what a process of the program did where no window shows it. Does nothing in the release build.
void Note(const std::wstring& line);

} // namespace zarn::testbuild
