#include "files/locked_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vexilo {

LockedFile::~LockedFile() {
  if (fd_ >= 0) ::close(fd_);
}

LockedFile::Opened LockedFile::open(const std::string& path) {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) {
      const int writeOnly = errno == EACCES ? ::open(path.c_str(), O_WRONLY | O_CLOEXEC) : -1;
      if (writeOnly < 0) return Opened::CouldNotOpen;
      ::close(writeOnly);
      return Opened::CouldNotRead;
    }
    struct stat opened {};
    if (::fstat(fd_, &opened) != 0 || !S_ISREG(opened.st_mode)) return Opened::CouldNotOpen;
    int locked = ::flock(fd_, LOCK_EX);
    while (locked != 0 && errno == EINTR) locked = ::flock(fd_, LOCK_EX);
    if (locked != 0) return Opened::CouldNotOpen;
    struct stat now {};
    if (::stat(path.c_str(), &now) == 0 && now.st_dev == opened.st_dev &&
        now.st_ino == opened.st_ino) {
      return Opened::Yes;
    }
  }
  return Opened::CouldNotOpen;
}

std::optional<std::string> LockedFile::readAll() const {
  std::string bytes;
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t n = ::pread(fd_, buffer, sizeof buffer, static_cast<off_t>(bytes.size()));
    if (n == 0) return bytes;
    if (n < 0 && errno != EINTR) return std::nullopt;
    if (n > 0) bytes.append(buffer, static_cast<std::size_t>(n));
  }
}

bool LockedFile::writeAt(std::string_view bytes, std::size_t offset) {
  auto at = static_cast<off_t>(offset);
  while (!bytes.empty()) {
    const ssize_t n = ::pwrite(fd_, bytes.data(), bytes.size(), at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
    at += n;
  }
  return true;
}

bool LockedFile::truncate(std::size_t size) {
  return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
}

bool LockedFile::close() {
  const int fd = fd_;
  fd_ = -1;
  return ::close(fd) == 0;
}

bool createFileIfMissing(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) return false;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace vexilo
