// Helpers for tests that drive the test build's hosted browsers: their commands and the local
// portal's page addresses.
#pragma once

#include <windows.h>

#include <string>

namespace zarn::test {

// Sends a browser test command ("complete", "navigate", "title", "box", ...) to the window hosting a
// browser of the test build, and waits until it has been queued.
void BrowserCommand(HWND host, const std::wstring& verb, const std::wstring& argument);
// "http://" + the portal's host + pathAndQuery.
std::wstring PortalUrl(const std::wstring& pathAndQuery);

} // namespace zarn::test
