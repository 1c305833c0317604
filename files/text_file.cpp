#include "files/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace vexilo {

std::string toTextMode(std::string_view raw) {
  const std::size_t end = std::min(raw.find('\x1A'), raw.size());
  std::string text;
  text.reserve(end);
  for (std::size_t i = 0; i < end; ++i) {
    if (raw[i] == '\r' && i + 1 < end && raw[i + 1] == '\n') continue;
    text += raw[i];
  }
  return text;
}

std::optional<std::string> readTextFile(const std::string& path, std::size_t byteLimit) {
  // Without O_NONBLOCK, opening a pipe that nobody writes to would wait for ever.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(::fdopen(fd, "rb"), &std::fclose);
  if (!file) {
    ::close(fd);
    return std::nullopt;
  }
  std::string raw;
  char buffer[64 * 1024];
  while (raw.size() < byteLimit) {
    const std::size_t wanted = std::min(sizeof buffer, byteLimit - raw.size());
    const std::size_t n = std::fread(buffer, 1, wanted, file.get());
    if (n == 0) break;
    const std::string_view chunk(buffer, n);
    const std::size_t eof = chunk.find('\x1A');
    raw.append(chunk.substr(0, eof));
    if (eof != std::string_view::npos) break;  // no need to read what is never used
  }
  return toTextMode(raw);
}

bool PieceReader::next(std::string_view& piece) {
  if (rest_.empty()) return false;
  // Looks no further than one piece, so a long line costs no more than its length.
  const std::string_view window = rest_.substr(0, MaxPiece);
  const std::size_t lf = window.find('\n');
  const std::size_t length = lf == std::string_view::npos ? window.size() : lf + 1;
  piece = rest_.substr(0, length);
  rest_.remove_prefix(length);
  return true;
}

}  // namespace vexilo
