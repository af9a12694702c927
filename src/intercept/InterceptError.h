// The ways an interception can be refused or fail; shared by the portable and the Windows parts.
#pragma once

namespace zarn::intercept {

enum class Error {
    None,
    UnknownInstruction, // the prologue holds an instruction the decoder does not know
    JumpIntoPatch,      // an instruction of the prologue branches back into the bytes to be patched
    TooShort,           // the function ends before enough bytes for the patch
    OutOfReach,         // a relative operand cannot reach its target from the trampoline
    NoMemory,           // no executable memory could be had for the trampoline
    ProtectFailed,      // the target's code could not be made writable
    NotAttached,        // a detach of a pointer that leads to no trampoline of ours
    AlreadyAttached,    // the target is already intercepted
    NoTransaction,      // attach, detach or commit outside a transaction, or on another thread
    Busy,               // another transaction is open
    NullArgument,
};

// A short English name for logs and test messages.
const char* ErrorName(Error error) noexcept;

} // namespace zarn::intercept
