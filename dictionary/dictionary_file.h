#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vexilo {

class WordIndex;

inline constexpr int DictionaryRowCount = 3;

// One row of the dictionary panel: its path edit and its "優先" check box.
struct DictionaryRow {
  std::string path;     // the platform's file name, not Shift_JIS
  bool enabled = true;  // checked
};
using DictionaryRows = std::array<DictionaryRow, DictionaryRowCount>;

// What the index was last built from. Never stored, so each run reloads at its first refresh
// unless every path is empty and every box unchecked.
struct DictionaryLoadRecord {
  std::array<std::string, DictionaryRowCount> paths;  // loadedPath1 to loadedPath3
  int mask = 0;                                       // loadedMask: bit n - 1 for row n
};

// Converts words between UTF-8 and code page 932 for UTF-8 word lists; the converter lives
// outside the core. Each gives nothing when a character has no form in the other encoding.
class WordListCodec {
 public:
  virtual ~WordListCodec() = default;
  virtual std::optional<std::string> toCp932(std::string_view utf8) const = 0;
  virtual std::optional<std::string> toUtf8(std::string_view cp932) const = 0;
};

// True for text that begins with a UTF-8 byte-order mark, or that is valid UTF-8 throughout
// and holds at least one character outside ASCII. Shift_JIS text with two-byte characters is
// practically never that: its lead bytes 0x81 to 0x9F cannot start a UTF-8 character.
bool isUtf8WordList(std::string_view text);

// Bit n - 1 set for each checked row n.
int enabledMask(const DictionaryRows& rows);

// Adds the words of text-mode dictionary text to the index in order: one per line, read in
// pieces of at most 511 bytes, blank lines as empty words.
void loadDictionaryText(std::string_view text, WordIndex& index);

// Reads one dictionary file into the index. False, with nothing added, when it cannot be
// opened (missing, no access, not a regular file). With a codec, a UTF-8 word list is read
// line by line converted to code page 932, and a line the code page cannot hold is skipped;
// without one, every file is read as Shift_JIS.
bool loadDictionaryFile(const std::string& path, WordIndex& index,
                        const WordListCodec* codec = nullptr);

// When a path or a box differs from the record: updates the record, clears the index and
// loads the checked rows with a path in row order, calling couldNotOpen(row 1 to 3) for each
// one that cannot be opened as its turn comes. True when it reloaded.
bool refreshDictionaries(const DictionaryRows& rows, DictionaryLoadRecord& loaded, WordIndex& index,
                         const std::function<void(int row)>& couldNotOpen,
                         const WordListCodec* codec = nullptr);

enum class AppendResult { Appended, CouldNotOpen, WriteFailed };

// Opens the file for appending, creating it when missing, and writes the word and CR LF
// (nothing for an empty word). A last line without a line end gets one first, so the word
// never joins it. After a failed write the file is cut back to what it was. In a file with a
// 0x1A byte, which ends what is read, the word goes before it and the file is replaced as a
// whole, so it either stays as it was or holds the word.
AppendResult appendDictionaryWord(const std::string& path, std::string_view word);

enum class RegisterResult { Written, NotWritten, CouldNotOpen, WriteFailed, NotInUtf8 };

// The typed word in full width is appended to the file unless it is empty or the index holds
// it already (compared unfolded), and is added to the index either way. Nothing changes when
// the file cannot be opened or written: a word the file does not hold would be gone at the
// next reload. With a codec, a UTF-8 word list receives the word in UTF-8 (NotInUtf8 when a
// character has no UTF-8 form).
RegisterResult registerWord(const std::string& path, std::string_view typed, WordIndex& index,
                            const WordListCodec* codec = nullptr);

}  // namespace vexilo
