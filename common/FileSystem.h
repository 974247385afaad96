#pragma once
// What the path helpers and the play-list files ask of the file system, one
// implementation per platform (common/posix, common/win32).
#include <cstdint>
#include <cstdio>
#include <optional>

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

// A plain file: a folder or a device counts as missing.
bool OrdinaryFileExists(const runtime::Text &name);

}  // namespace corvane::common
