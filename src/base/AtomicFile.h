// Replacing a whole file so that it is never seen half-written: the new bytes go
// to a temporary file in the same folder, are flushed to the disk and then renamed
// over the old file.  A crash, a full disk or a refused write leaves the old file
// as it was.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

namespace hoxa {

// Replaces the file at path by data.  Returns 0, or the errno value of the first
// failing step (the file then holds its old bytes).
//
// - An existing file is written only if this process may open it for writing: a
//   file the user made read-only gives EACCES, however writable its folder is.
// - Ordinarily the new bytes go to ".<name>.tmp<pid>-<n>" beside the file, are
//   flushed and renamed over it; the file keeps its permission bits and owner.
// - Where a rename cannot keep what belongs to the file (a second hard link, an
//   owner or group this process cannot give a new file, extended attributes or an
//   ACL), the file is rewritten in place instead: its old bytes are first copied
//   beside it, flushed and only then given the name ".<name>.bak<pid>-<n>"; then
//   the file's own bytes are replaced and flushed and the copy removed.  A failed
//   rewrite puts the old bytes back; a writer killed half-way leaves the copy for
//   RemoveStaleTempFiles.
// - A new file gets 0666 less the umask.  A symbolic link is followed: its target
//   is replaced, the link stays.
int ReplaceFileAtomically(const std::string& path, std::string_view data) noexcept;

// Reads the file into out, at most maxBytes of it (from its start).  Returns 0, or
// the errno value of the failure (ENOENT for a missing file, EISDIR for a folder).
int ReadFileBytes(const std::string& path, std::string& out,
                  std::size_t maxBytes = std::numeric_limits<std::size_t>::max()) noexcept;

// name in the folder dir: "dir/name", the bare name for an empty dir.
std::string PathIn(std::string_view dir, std::string_view name);

// Clears what killed writers of ReplaceFileAtomically left in dir (not below it):
// a temporary file ".<name>.tmp<pid>-<n>" whose process no longer exists is
// removed; an in-place copy ".<name>.bak<pid>-<n>" of such a process is written
// back over <name> (the rewrite may have stopped half-way) and then removed.
// Names of any other shape, symbolic links and the files of running processes
// stay.  Returns the number of files removed.
int RemoveStaleTempFiles(const std::string& dir) noexcept;

// Plain English text for a file error, in the words the program's file messages
// use ("File not found", "File access denied", "Disk full", "I/O error 5", ...).
std::string FileErrorText(int err);

}  // namespace hoxa
