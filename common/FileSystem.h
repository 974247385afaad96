#pragma once
// What the path helpers and the play-list files ask of the file system, one
// implementation per platform (common/posix, common/win32).
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>

#include "runtime/Text.h"

namespace corvane::common {

// True when the path (whose last component may be a pattern with * and ?)
// finds existing folders and no file. "\" separates folders as "/" does.
bool NamesFolderOnly(const runtime::Text &path);

// For a drive root such as X:\, whether that drive exists; no value for any
// other path, and everywhere on systems without drive letters.
std::optional<bool> DriveRootExists(const runtime::Text &path);

// fopen by a name of the component's text; on failure null, with the error
// number in the numbering shared with the decoder library.
std::FILE *OpenFile(const runtime::Text &name, const char *mode, int32_t &errorNumber);

// Puts a file holding `bytes` in the place of `name` in one step: written to
// a new file in the same folder, every write checked, flushed to the disk,
// then renamed over the old one. When anything fails the old file stays as
// it was and the new one is removed. The outcome: kReplaced, kNotWritten
// (writing, flushing or renaming failed), or the error number of a file
// that could not even be created.
constexpr int32_t kReplaced = 0, kNotWritten = -1;
int32_t ReplaceWholeFile(const runtime::Text &name, std::string_view bytes);

// A plain file: a folder or a device counts as missing.
bool OrdinaryFileExists(const runtime::Text &name);

}  // namespace corvane::common
