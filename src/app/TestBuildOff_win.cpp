// The release build's answers to the test seams: everything off.
#include "base/TestBuild.h"

namespace zarn::testbuild {

bool Enabled() {
    return false;
}
std::wstring Setting(const wchar_t*) {
    return {};
}
void Note(const std::wstring&) {}

} // namespace zarn::testbuild
