#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vexilo {

// What a command that writes a file did: written or not, and what the author should know about
// it (Shift_JIS, empty when nothing).
struct FileWrite {
  bool written = false;
  std::string note;
  explicit operator bool() const { return written; }
};

// The file that writing to path must replace: path itself, or where the symbolic link at path
// points, followed link by link, whether or not a file is there yet. Nothing for a loop.
std::optional<std::string> linkTarget(const std::string& path);

// Replaces the file at path with bytes, or leaves it exactly as it was: the bytes go to a
// temporary file beside it, renamed over it only once every write, the flush and the close
// succeeded. An existing file keeps its permissions; a new one gets 0666 less the umask.
// False, with nothing changed, when the folder is missing or not writable, the target is a
// folder or a read-only file, or a write fails (for example on a full disk).
bool writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace vexilo
