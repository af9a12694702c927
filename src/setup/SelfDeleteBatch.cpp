// Formats the self-delete batch.
#include "setup/SelfDeleteBatch.h"

namespace zarn {

namespace {

constexpr size_t BatchBufferBytes = 2048;

// The path as it goes between double quotes in the batch; empty when it cannot go there safely.
std::string QuotedArgument(std::string_view path) {
    std::string out;
    for (char c : path) {
        if (c == '"' || c == '\r' || c == '\n' || c == '\0')
            return {};
        out.push_back(c);
        if (c == '%')
            out.push_back('%');
    }
    return out;
}

} // namespace

SelfDeleteVariant ChooseSelfDeleteVariant(unsigned filesInFolder) {
    return filesInFolder <= 1 ? SelfDeleteVariant::RemoveFolder : SelfDeleteVariant::KeepFolder;
}

std::string FormatSelfDeleteBatch(SelfDeleteVariant variant, std::string_view program,
                                  std::string_view folder, std::string_view batch) {
    const std::string p = QuotedArgument(program);
    const std::string f = QuotedArgument(folder);
    const std::string b = QuotedArgument(batch);
    if (p.empty() || b.empty() || (variant == SelfDeleteVariant::RemoveFolder && f.empty()))
        return {};

    std::string text = "cd\\\r\n:delexe\r\nping -n 1 127.0.0.1\r\n";
    text += "del \"" + p + "\"\r\n";
    text += "if exist \"" + p + "\" goto :delexe\r\n";
    if (variant == SelfDeleteVariant::RemoveFolder) {
        text += "del \"" + f + "\" /Q /F /A\r\n";
        text += "rd \"" + f + "\"\r\n";
    }
    text += "del \"" + b + "\"\r\n";
    if (text.size() >= BatchBufferBytes)
        return {};
    return text;
}

} // namespace zarn
