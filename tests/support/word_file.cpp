#include "support/word_file.h"

#include <optional>

#include "files/text_file.h"

namespace vexilo::test {

std::vector<std::string> fileWords(const std::string& path, std::size_t limit) {
  std::vector<std::string> words;
  const std::optional<std::string> text = readTextFile(path);
  if (!text) return words;
  std::size_t start = 0;
  while (start < text->size() && words.size() < limit) {
    std::size_t end = text->find('\n', start);
    if (end == std::string::npos) end = text->size();
    std::string line = text->substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) words.push_back(std::move(line));
    start = end + 1;
  }
  return words;
}

}  // namespace vexilo::test
