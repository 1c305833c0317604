#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vexilo {

// A regular file held open for reading and writing, locked for this process alone until it is
// closed (flock), so that two programs appending to one list take turns.
class LockedFile {
 public:
  enum class Opened { Yes, CouldNotOpen, CouldNotRead };

  LockedFile() = default;
  ~LockedFile();
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

  // Opens the file at path, created when missing, and waits for the lock. One that waited while
  // another replaced the file opens the new one. CouldNotRead for a file that may be written
  // but not read; CouldNotOpen for anything but a regular file.
  Opened open(const std::string& path);
  std::optional<std::string> readAll() const;
  bool writeAt(std::string_view bytes, std::size_t offset);
  bool truncate(std::size_t size);
  // Releases the lock; false when the close failed, which may lose what was written.
  bool close();

 private:
  int fd_ = -1;
};

// Creates the file at path when missing, writing nothing; false when it cannot be created or is
// not a regular file.
bool createFileIfMissing(const std::string& path);

}  // namespace vexilo
