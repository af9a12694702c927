// Looks up a DLL export as a pointer typed from the function's own declaration.
#pragma once

#include <windows.h>

#include <type_traits>

namespace zarn {

// The export `name` of `module` as a `Function*`, or null. Call it with the declared function's type,
// as in GetProcAddressAs<decltype(MiniDumpWriteDump)>(module, "MiniDumpWriteDump"): the pointer then
// carries the real calling convention and parameters, so a caller cannot disagree with the function
// on either (on i686 a wrong convention corrupts the stack; here it does not compile).
template <typename Function> Function* GetProcAddressAs(HMODULE module, const char* name) noexcept {
    static_assert(std::is_function_v<Function>, "GetProcAddressAs takes a function type, not a pointer type");
    // FARPROC stands for any function; going through void* is the conversion the language allows.
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

} // namespace zarn
