#include "search/banned_words.h"

#include <algorithm>

#include "dictionary/dictionary_file.h"
#include "dictionary/word_index.h"
#include "files/atomic_file.h"
#include "files/text_file.h"

namespace vexilo {

bool BannedWords::contains(std::string_view word) const {
  return !folded_.empty() && folded_.contains(foldSmallKana(word));
}

bool BannedWords::add(std::string_view word) {
  if (word.empty() || !folded_.insert(foldSmallKana(word)).second) return false;
  words_.emplace_back(word);
  ++changes_;
  return true;
}

bool BannedWords::remove(std::string_view word) {
  const std::string folded = foldSmallKana(word);
  if (folded_.erase(folded) == 0) return false;
  std::erase_if(words_, [&](const std::string& w) { return foldSmallKana(w) == folded; });
  ++changes_;
  return true;
}

std::optional<BannedWordsRead> readBannedWords(const std::string& path,
                                               const WordListCodec& codec) {
  std::optional<std::string> text = readTextFile(path);
  if (!text) return std::nullopt;
  std::string_view rest = *text;
  if (rest.starts_with("\xEF\xBB\xBF")) rest.remove_prefix(3);
  BannedWordsRead read;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty()) continue;
    const std::optional<std::string> word = codec.toCp932(line);
    if (!word || word->empty()) {
      ++read.skippedLines;
      continue;
    }
    read.words.add(*word);
  }
  return read;
}

bool writeBannedWords(const std::string& path, const BannedWords& words,
                      const WordListCodec& codec) {
  std::string bytes;
  for (const std::string& word : words.words()) {
    const std::optional<std::string> utf8 = codec.toUtf8(word);
    if (!utf8) return false;
    bytes += *utf8;
    bytes += '\n';
  }
  return writeFileAtomically(path, bytes);
}

}  // namespace vexilo
