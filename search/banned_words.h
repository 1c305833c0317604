#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vexilo {

class WordListCodec;

// The words the author banned: neither engine places or lists them. Words are held in
// Shift_JIS as banned and compared after small-kana folding, as the word index compares.
class BannedWords {
 public:
  bool empty() const { return words_.empty(); }
  bool contains(std::string_view word) const;
  // False when the word is empty or banned already.
  bool add(std::string_view word);
  // False when the word was not banned.
  bool remove(std::string_view word);
  // In the order they were banned.
  const std::vector<std::string>& words() const { return words_; }
  // Counts every change, so that a search can tell that its exclusions are due again.
  std::uint64_t changes() const { return changes_; }

 private:
  std::vector<std::string> words_;
  std::unordered_set<std::string> folded_;
  std::uint64_t changes_ = 0;
};

struct BannedWordsRead {
  BannedWords words;
  int skippedLines = 0;  // lines the code page cannot hold
};

// Reads a UTF-8 word list (one word a line, LF or CR LF, a byte-order mark allowed, blank lines
// skipped); nothing when the file cannot be opened.
std::optional<BannedWordsRead> readBannedWords(const std::string& path, const WordListCodec& codec);

// Writes the words as such a list, UTF-8 with LF line ends, replacing the file atomically;
// false, with the file as it was, when it cannot be written or a word has no UTF-8 form.
bool writeBannedWords(const std::string& path, const BannedWords& words,
                      const WordListCodec& codec);

}  // namespace vexilo
