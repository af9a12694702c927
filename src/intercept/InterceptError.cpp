// Names of the interception errors.
#include "intercept/InterceptError.h"

namespace zarn::intercept {

const char* ErrorName(Error error) noexcept {
    switch (error) {
    case Error::None:
        return "none";
    case Error::UnknownInstruction:
        return "unknown instruction";
    case Error::JumpIntoPatch:
        return "jump into the patched bytes";
    case Error::TooShort:
        return "function too short";
    case Error::OutOfReach:
        return "operand out of reach";
    case Error::NoMemory:
        return "no executable memory";
    case Error::ProtectFailed:
        return "code not writable";
    case Error::NotAttached:
        return "not attached";
    case Error::AlreadyAttached:
        return "already attached";
    case Error::NoTransaction:
        return "no transaction";
    case Error::Busy:
        return "another transaction is open";
    case Error::NullArgument:
        return "null argument";
    }
    return "?";
}

} // namespace zarn::intercept
