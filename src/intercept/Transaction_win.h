// Attaching and detaching replacements of functions in this process. Inside one transaction
// (Begin, EnlistCurrentThread, Attach/Detach..., Commit or Abort) each Attach names a function by a
// pointer variable; after the commit every call of the function reaches the replacement and the
// variable leads to a trampoline that runs the original. Detach undoes it and puts the function's
// own address back into the variable. While the bytes are written every other thread of the process is
// suspended, and one stopped inside the rewritten bytes is moved to the same instruction's new place.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <vector>

#include "intercept/InterceptError.h"

namespace zarn::intercept {

enum class Reach {
    Auto, // a 5-byte jump to memory near the target; the 14-byte absolute jump when none is free
    Near, // only the 5-byte form
    Far,  // x86-64: the 14-byte absolute jump with the trampoline more than 4 GB away (x86: as Near)
};

struct Interception;
// Deletes an Interception where its type is complete (in the engine's own source).
struct InterceptionDeleter {
    void operator()(Interception* item) const noexcept;
};
using InterceptionPtr = std::unique_ptr<Interception, InterceptionDeleter>;

class Transaction {
  public:
    Transaction();
    // An open transaction that was not committed is aborted.
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Opens the transaction on the calling thread; Busy while another one is open in the process.
    Error Begin();
    // The calling thread commits and is never suspended; the others of the process all are.
    Error EnlistCurrentThread();

    // `Function` is the declared type of the target (decltype of the real declaration), so the
    // replacement must have the same parameters and calling convention or this does not compile.
    template <typename Function>
    Error Attach(Function** target, Function* replacement, Reach reach = Reach::Auto) {
        static_assert(std::is_function_v<Function>, "Attach takes a pointer to a function pointer");
        if (target == nullptr)
            return Error::NullArgument;
        return AttachPointer(reinterpret_cast<void**>(target), reinterpret_cast<void*>(replacement), reach);
    }
    template <typename Function> Error Detach(Function** target, Function* replacement) {
        static_assert(std::is_function_v<Function>, "Detach takes a pointer to a function pointer");
        if (target == nullptr)
            return Error::NullArgument;
        return DetachPointer(reinterpret_cast<void**>(target), reinterpret_cast<void*>(replacement));
    }

    // Writes every pending attach and detach, or none of them (then the error says why).
    Error Commit();
    // Drops what is pending and closes the transaction.
    void Abort();

  private:
    struct Pending {
        bool IsAttach;
        void** Pointer;
        InterceptionPtr Added;           // attach
        Interception* Removed = nullptr; // detach
    };

    Error AttachPointer(void** pointer, void* replacement, Reach reach);
    Error DetachPointer(void** pointer, void* replacement);
    bool OnOwnThread() const;
    void Close();

    bool Open_ = false;
    DWORD Thread_ = 0;
    std::vector<Pending> Pending_;
};

} // namespace zarn::intercept
