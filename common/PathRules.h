#pragma once
// How this platform spells paths, decided in one place (common/posix,
// common/win32). Windows: "\" and "/" separate folders, a drive root such as
// C:\ stays whole, a play-list line's "\path" is on drive c:, and a file's
// name for sorting is what follows the last "\". POSIX systems: only "/"
// separates folders, the root folder is "/", and no drive letter is ever
// invented.
#include "runtime/Text.h"

namespace corvane::common {

// The folder part of a path; a trailing separator is removed from the
// caller's path itself (see GetParentFolder).
runtime::Text ParentFolderOf(runtime::Text &path);

// The name of a file within its folder, as sorting by file compares it.
runtime::Text FilePartOf(const runtime::Text &path);

// The path a line of a play-list file names.
runtime::Text PathOfListLine(runtime::Text line);

}  // namespace corvane::common
