// Replacing a whole file so that it is never seen half-written: the new bytes go
// to a temporary file in the same folder, are flushed to the disk and then renamed
// over the old file.  A crash, a full disk or a refused write leaves the old file
// as it was.
#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace hoxa {

// Replaces the file at path by data.  Returns 0, or the errno value of the first
// failing step (the file then holds its old bytes).
//
// - An existing file is written only if this process may open it for writing: a
//   file the user made read-only gives EACCES, however writable its folder is.
//   Anything but a regular file (a folder, a FIFO, a device) gives EACCES or
//   EISDIR and is never opened in a way that could block.
// - Ordinarily the new bytes go to ".<name>.tmp<pid>-<n>" beside the file, are
//   flushed and renamed over it; the file keeps its permission bits and owner.
// - Where a rename cannot keep what belongs to the file (a second hard link, an
//   owner or group this process cannot give a new file, extended attributes or an
//   ACL) or the path is a symbolic link, the file is rewritten in place instead:
//   a backup holding its old and its new bytes is first written beside the path,
//   flushed and only then given the name ".<name>.bak<pid>-<n>"; then the file's
//   own bytes are replaced and flushed and the backup removed.  A failed rewrite
//   puts the old bytes back; a writer killed half-way leaves the backup for
//   RecoverFile / RemoveStaleTempFiles.  A link stays a link: its target is
//   rewritten, and the backup lies beside the link, where the clean-up looks.
// - The writer holds an exclusive flock on its temporary file and its backup for
//   as long as it uses them.
// - A new file gets 0666 less the umask.
int ReplaceFileAtomically(const std::string& path, std::string_view data) noexcept;

// Reads the regular file at path into out, at most maxBytes of it (from its
// start).  Returns 0, or the errno value of the failure: ENOENT for a missing
// file, EISDIR for a folder, EACCES for anything else that is not a regular file
// (a FIFO, a socket, a device), which is never read and never waited for.
int ReadFileBytes(const std::string& path, std::string& out,
                  std::size_t maxBytes = std::numeric_limits<std::size_t>::max()) noexcept;

// Reads the regular file at path piece by piece from its start, handing each
// piece to take until it returns false or the file ends.  Errors as ReadFileBytes.
int ReadFileChunks(const std::string& path, const std::function<bool(std::string_view)>& take) noexcept;

// name in the folder dir: "dir/name", the bare name for an empty dir.
std::string PathIn(std::string_view dir, std::string_view name);
// The folder part of a path ("." for a bare name, "/" for a name in the root) and
// the name part.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

// Clears what killed writers of ReplaceFileAtomically left in dir (not below it)
// for the files named in names, and nothing else: a leftover is a regular file
// named exactly ".<name>.tmp<pid>-<n>" or ".<name>.bak<pid>-<n>" whose writer's
// lock can be taken (whatever process now has that pid, here or elsewhere).
// - A temporary file is removed.
// - A backup is removed; before that, its old bytes are put back when the file
//   is a mixture of its old and new bytes (the rewrite was cut short).  A file
//   that is the new bytes, or that anybody changed or replaced after the
//   backup was made, is left as it is.  A backup that is not whole stays.
// Run it with the folder's save lock held (SaveLock), so that no other copy of
// the program writes meanwhile.  Returns the number of files removed.
int RemoveStaleTempFiles(const std::string& dir, const std::vector<std::string>& names) noexcept;

// RemoveStaleTempFiles for the one file at path: run before reading a file that
// is about to be rewritten, so that the rewrite starts from its last whole save.
int RecoverFile(const std::string& path) noexcept;

// Plain English text for a file error, in the words the program's file messages
// use ("File not found", "File access denied", "Disk full", "I/O error 5", ...).
std::string FileErrorText(int err);

}  // namespace hoxa
