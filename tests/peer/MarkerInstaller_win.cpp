// A harmless stand-in for a game's downloaded launcher: the client download tests serve it as the
// installer. Started, it writes its own path, its command line and who it is into the file that
// ZARN_TEST_MARKER names (inherited from the test) and ends at once, so the test can see that it ran
// and nothing stays. A test makes a different program of it by rewriting Identity in a copy's bytes.
#include <windows.h>

#include <string>

namespace {
// Read from the running image, never from the file, which may have changed since it started.
const wchar_t Identity[] = L"genuine installer";
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t marker[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"ZARN_TEST_MARKER", marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 1;
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring text = std::wstring(self) + L"\n" + ::GetCommandLineW() + L"\n" + Identity;
    HANDLE file =
        ::CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 2;
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(file);
    return 0;
}
