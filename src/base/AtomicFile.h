// Replacing a whole file so that it is never seen half-written: the new bytes go
// to a temporary file in the same folder, are flushed to the disk and then renamed
// over the old file.  A crash, a full disk or a refused write leaves the old file
// as it was.
#pragma once

#include <string>
#include <string_view>

namespace hoxa {

// Replaces the file at path by data.  An existing file keeps its permission bits
// (and its owner where the process may set it); a new file gets 0666 less the
// umask.  A symbolic link is followed: its target is replaced, the link stays.
// Returns 0, or the errno value of the first failing step (nothing is changed then).
int ReplaceFileAtomically(const std::string& path, std::string_view data) noexcept;

// Reads the whole file into out.  Returns 0, or the errno value of the failure
// (ENOENT for a missing file, EISDIR for a folder).
int ReadFileBytes(const std::string& path, std::string& out) noexcept;

// Plain English text for a file error, in the words the program's file messages
// use ("File not found", "File access denied", "Disk full", "I/O error 5", ...).
std::string FileErrorText(int err);

}  // namespace hoxa
