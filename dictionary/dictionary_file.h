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
  // Whether every character of the Shift_JIS text is one the code page holds.
  virtual bool inCodePage(std::string_view cp932) const { return toUtf8(cp932).has_value(); }
};

enum class WordListEncoding { ShiftJis, Utf8 };

// A word list as read: its lines in Shift_JIS, in text mode, and the lines left out because
// they are not text in the list's encoding (or, in UTF-8, not in the code page).
struct DecodedWordList {
  std::string text;
  WordListEncoding encoding = WordListEncoding::ShiftJis;
  int skippedLines = 0;
  int firstSkippedLine = 0;  // 1 for the first line of the file; 0 when none was left out
};

// Reads text-mode word list text in the encoding its bytes show: UTF-8 when it begins with a
// byte-order mark, or when more of its lines are words of two-byte characters of the code page
// read as UTF-8 than read as Shift_JIS; otherwise Shift_JIS. Lines that are not text in that
// encoding are left out and counted, whatever they would be in the other. Without a codec,
// every list is Shift_JIS and only the structure of its bytes is checked.
DecodedWordList decodeWordList(std::string_view text, const WordListCodec* codec);
WordListEncoding wordListEncoding(std::string_view text, const WordListCodec* codec);

// Bit n - 1 set for each checked row n.
int enabledMask(const DictionaryRows& rows);

// Adds the words of text-mode dictionary text to the index in order: one per line, read in
// pieces of at most 511 bytes, blank lines as empty words.
void loadDictionaryText(std::string_view text, WordIndex& index);

// Reads one dictionary file into the index, each line decoded as decodeWordList says (the text
// of the result is left empty). Nothing, with nothing added, when it cannot be opened (missing,
// no access, not a regular file).
std::optional<DecodedWordList> loadDictionaryFile(const std::string& path, WordIndex& index,
                                                  const WordListCodec* codec = nullptr);

struct DictionaryRefresh {
  bool reloaded = false;
  // For each row that left lines out, in Shift_JIS:
  // "辞書2 (UTF-8): 読めない 3 行を飛ばしました (最初は 17 行目)"; empty when none did.
  std::string note;
  explicit operator bool() const { return reloaded; }
};

// When a path or a box differs from the record: updates the record, clears the index and
// loads the checked rows with a path in row order, calling couldNotOpen(row 1 to 3) for each
// one that cannot be opened as its turn comes.
DictionaryRefresh refreshDictionaries(const DictionaryRows& rows, DictionaryLoadRecord& loaded,
                                      WordIndex& index,
                                      const std::function<void(int row)>& couldNotOpen,
                                      const WordListCodec* codec = nullptr);

enum class AppendResult { Appended, CouldNotOpen, CouldNotRead, WriteFailed, NotInUtf8 };

// Adds the word (Shift_JIS) and CR LF to the list at path, or to the file a symbolic link there
// points to, creating it when missing. The word is written in the encoding the list is read in
// (decodeWordList), so in Shift_JIS into an empty or new list; NotInUtf8 when a UTF-8 list
// cannot hold it. The read, the insert and the write hold an exclusive lock on the list
// (flock), so registrations from several windows or processes at once all land. A last line
// without a line end gets one first. In a list with a 0x1A byte, which ends what is read, the
// word goes before it and the list is replaced as a whole; otherwise it is appended and cut back
// after a failed write. A list that cannot be read is not written (CouldNotRead). An empty word
// only makes a missing list.
AppendResult appendDictionaryWord(const std::string& path, std::string_view word,
                                  const WordListCodec* codec = nullptr);

enum class RegisterResult {
  Written,
  NotWritten,
  CouldNotOpen,
  CouldNotRead,
  WriteFailed,
  NotInUtf8
};

// The typed word in full width is appended to the list unless it is empty or the index holds
// it already (compared unfolded), and is added to the index either way. Nothing changes when
// the list cannot be opened, read or written: a word the list does not hold would be gone at
// the next reload.
RegisterResult registerWord(const std::string& path, std::string_view typed, WordIndex& index,
                            const WordListCodec* codec = nullptr);

}  // namespace vexilo
