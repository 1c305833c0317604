#include "files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

namespace vexilo {

namespace {

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// O_EXCL with a fresh name, so a file of the same name is never reused or truncated.
int createTemporary(const std::string& folder, std::string& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name =
        folder + "/.vexilo-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".tmp";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Gives the new file the old one's mode and, where allowed, its owner.
bool copyPermissions(int fd, const struct stat& old) {
  if (fchmod(fd, old.st_mode & 07777) != 0) return false;
  if ((old.st_uid != geteuid() || old.st_gid != getegid()) &&
      fchown(fd, old.st_uid, old.st_gid) != 0) {
    // Only a privileged user may give a file away; the saved file then belongs to the saver.
  }
  return true;
}

}  // namespace

std::optional<std::string> linkTarget(const std::string& path) {
  std::string target = path;
  for (int hop = 0; hop < 40; ++hop) {  // as many as the system follows before ELOOP
    struct stat link {};
    if (::lstat(target.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return target;
    char to[PATH_MAX];
    const ssize_t length = ::readlink(target.c_str(), to, sizeof to);
    if (length <= 0 || static_cast<std::size_t>(length) == sizeof to) return std::nullopt;
    const std::string next(to, static_cast<std::size_t>(length));
    target = next.front() == '/' ? next : folderOf(target) + "/" + next;
  }
  return std::nullopt;
}

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
  if (path.empty()) return false;
  const std::optional<std::string> resolved = linkTarget(path);
  if (!resolved) return false;
  const std::string& target = *resolved;
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) return false;
  if (exists && ::access(target.c_str(), W_OK) != 0) return false;  // a read-only file stays

  std::string temporary;
  const int fd = createTemporary(folderOf(target), temporary);
  if (fd < 0) return false;
  bool ok = (!exists || copyPermissions(fd, old)) && writeAll(fd, bytes) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  const int folder = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);  // best effort: the rename itself has already succeeded
    ::close(folder);
  }
  return true;
}

}  // namespace vexilo
