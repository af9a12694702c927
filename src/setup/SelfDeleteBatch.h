// The text of the hidden batch that deletes the program (and, when it was alone, its folder) once
// the uninstalling process has exited. Portable: the paths are already in the ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace zarn {

enum class SelfDeleteVariant {
    RemoveFolder, // the folder holds only the program: empty and remove it too
    KeepFolder,   // other files stay, and so does the folder
};

// At most one file in the program's folder tree (the program itself) removes the folder too.
SelfDeleteVariant ChooseSelfDeleteVariant(unsigned filesInFolder);

// The batch text, every line ending in CR LF. A "%" in a path is doubled so that the batch does not
// expand it. Empty when a path is empty or holds a character no quoted batch argument can carry
// (double quote, CR, LF, NUL), or when the text would not fit the batch buffer (2047 bytes): a batch
// that might name another file is never written.
std::string FormatSelfDeleteBatch(SelfDeleteVariant variant, std::string_view program,
                                  std::string_view folder, std::string_view batch);

} // namespace zarn
