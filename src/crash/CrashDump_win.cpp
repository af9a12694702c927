// The crash filter and the minidump writer (DbgHelp is loaded only when a dump is written).
#include "crash/CrashDump_win.h"

#include <dbghelp.h>

#include <string>
#include <utility>

#include "crash/DumpTypes.h"
#include "framework/Handle.h"
#include "framework/ProcAddress.h"

namespace zarn {

namespace {

static_assert(RichDumpType ==
              (MiniDumpWithDataSegs | MiniDumpWithHandleData | MiniDumpWithUnloadedModules |
               MiniDumpWithPrivateReadWriteMemory | MiniDumpWithFullMemoryInfo | MiniDumpWithThreadInfo));
static_assert(ReducedDumpType == (MiniDumpWithDataSegs | MiniDumpWithHandleData |
                                  MiniDumpWithUnloadedModules | MiniDumpWithPrivateReadWriteMemory));

// Set once the filter has started on its one dump. Taken before any work, so that an exception
// raised while the dump is written, or one on another thread, never starts a second dump.
volatile LONG DumpWritten = 0;

// The program's own path with everything from its last "." replaced by ".dmp"; empty without a ".".
std::wstring DumpPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return {};
    std::wstring dump(path, n);
    const size_t dot = dump.rfind(L'.');
    if (dot == std::wstring::npos)
        return {};
    return dump.substr(0, dot) + L".dmp";
}

void WriteDump(HANDLE file, EXCEPTION_POINTERS* exception) {
    UniqueModule dbghelp(::LoadLibraryW(L"DbgHelp.dll"));
    if (!dbghelp)
        return;
    auto* write = GetProcAddressAs<decltype(MiniDumpWriteDump)>(dbghelp.get(), "MiniDumpWriteDump");
    if (!write)
        return;
    MINIDUMP_EXCEPTION_INFORMATION info{};
    info.ThreadId = ::GetCurrentThreadId();
    info.ExceptionPointers = exception;
    info.ClientPointers = TRUE;
    WriteFirstAcceptedDump([&](uint32_t type) {
        // A refused attempt may have left part of a dump behind.
        ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
        ::SetEndOfFile(file);
        return write(::GetCurrentProcess(), ::GetCurrentProcessId(), file, static_cast<MINIDUMP_TYPE>(type),
                     &info, nullptr, nullptr) != FALSE;
    });
}

// The file of a dump asked for on this thread, while its breakpoint is being raised.
thread_local HANDLE RequestedDumpFile = nullptr;

LONG WINAPI DumpOnBreakpoint(EXCEPTION_POINTERS* exception) {
    if (!RequestedDumpFile ||
        exception->ExceptionRecord->ExceptionCode != static_cast<DWORD>(EXCEPTION_BREAKPOINT))
        return EXCEPTION_CONTINUE_SEARCH;
    const HANDLE file = std::exchange(RequestedDumpFile, nullptr);
    WriteDump(file, exception);
    // Resume after the breakpoint instruction (the context may point at it or already past it).
#if defined(__x86_64__) || defined(_M_X64)
    DWORD64& ip = exception->ContextRecord->Rip;
#else
    DWORD& ip = exception->ContextRecord->Eip;
#endif
    if (*reinterpret_cast<const unsigned char*>(ip) == 0xCC)
        ++ip;
    return EXCEPTION_CONTINUE_EXECUTION;
}

// A breakpoint instruction in this very function, so that execution resumes here.
__attribute__((noinline)) void Breakpoint() {
    __asm__ volatile("int3");
}

} // namespace

void WriteCrashDump(HANDLE file, EXCEPTION_POINTERS* exception) {
    if (exception) {
        WriteDump(file, exception);
        return;
    }
    // A dump on request: raise a breakpoint exception and write the dump from its handler, which then
    // resumes execution right after the raise.
    RequestedDumpFile = file;
    void* handler = ::AddVectoredExceptionHandler(1, DumpOnBreakpoint);
    if (handler) {
        Breakpoint();
        ::RemoveVectoredExceptionHandler(handler);
    }
    RequestedDumpFile = nullptr;
}

LONG WINAPI TopLevelExceptionFilter(EXCEPTION_POINTERS* exception) {
    if (::InterlockedExchange(&DumpWritten, 1) != 0)
        return EXCEPTION_EXECUTE_HANDLER;
    const std::wstring path = DumpPath();
    if (path.empty())
        return EXCEPTION_CONTINUE_SEARCH;
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file)
        WriteCrashDump(file.get(), exception);
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace zarn
