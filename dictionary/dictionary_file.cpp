#include "dictionary/dictionary_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "dictionary/full_width.h"
#include "dictionary/word_index.h"
#include "files/atomic_file.h"
#include "files/locked_file.h"
#include "files/text_file.h"
#include "puzzle/shift_jis.h"

namespace vexilo {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// The length of the UTF-8 character at the start of text, or 0 when none starts there
// (overlong forms, surrogates and values past U+10FFFF are no characters).
std::size_t utf8CharacterLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
  }
  return length;
}

// Every lead byte with its trail byte, and no byte that starts no character (0x80, 0xA0, 0xFD
// to 0xFF).
bool isShiftJisText(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (isLeadByte(c)) {
      if (i + 1 == text.size() || !isTrailByte(static_cast<unsigned char>(text[i + 1]))) {
        return false;
      }
      ++i;
    } else if (c == 0x80 || c == 0xA0 || c >= 0xFD) {
      return false;
    }
  }
  return true;
}

// A word the grid can use: one or more two-byte characters and nothing else.
bool isFullWidthWord(std::string_view text) {
  if (text.empty() || text.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    if (!isLeadByte(static_cast<unsigned char>(text[i])) ||
        !isTrailByte(static_cast<unsigned char>(text[i + 1]))) {
      return false;
    }
  }
  return true;
}

bool isUtf8Text(std::string_view text) {
  while (!text.empty()) {
    const std::size_t length = utf8CharacterLength(text);
    if (length == 0) return false;
    text.remove_prefix(length);
  }
  return true;
}

// One line of a word list as each encoding reads it.
struct LineReadings {
  std::string_view bytes;
  bool shiftJis = false;            // text in Shift_JIS (and in the code page, with a codec)
  std::optional<std::string> utf8;  // converted to the code page, when it is UTF-8 it can hold
};

// A list is UTF-8 when it starts with a byte-order mark, or when more of its lines are words in
// UTF-8 than in Shift_JIS; so a list mostly in one encoding is read in it whatever a few bad
// lines hold. Without a codec every list is Shift_JIS.
WordListEncoding decideEncoding(const std::vector<LineReadings>& lines, bool byteOrderMark,
                                const WordListCodec* codec) {
  if (codec == nullptr) return WordListEncoding::ShiftJis;
  if (byteOrderMark) return WordListEncoding::Utf8;
  std::size_t shiftJisWords = 0;
  std::size_t utf8Words = 0;
  for (const LineReadings& line : lines) {
    if (line.shiftJis && isFullWidthWord(line.bytes)) ++shiftJisWords;
    if (line.utf8 && isFullWidthWord(*line.utf8)) ++utf8Words;
  }
  return utf8Words > shiftJisWords ? WordListEncoding::Utf8 : WordListEncoding::ShiftJis;
}

std::vector<LineReadings> readLines(std::string_view text, const WordListCodec* codec) {
  std::vector<LineReadings> lines;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    LineReadings line;
    line.bytes = text.substr(0, lf);
    text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    line.shiftJis =
        isShiftJisText(line.bytes) && (codec == nullptr || codec->inCodePage(line.bytes));
    if (codec != nullptr && isUtf8Text(line.bytes)) line.utf8 = codec->toCp932(line.bytes);
    lines.push_back(std::move(line));
  }
  return lines;
}

// The list's lines in Shift_JIS, or no text when it is Shift_JIS with nothing left out and
// wholeOrNothing asks for that: the text stands as it is.
DecodedWordList decodeLines(std::string_view text, const WordListCodec* codec,
                            bool wholeOrNothing) {
  const bool byteOrderMark = text.starts_with(ByteOrderMark);
  if (byteOrderMark && codec != nullptr) text.remove_prefix(ByteOrderMark.size());
  const std::vector<LineReadings> lines = readLines(text, codec);
  DecodedWordList list;
  list.encoding = decideEncoding(lines, byteOrderMark, codec);
  const bool utf8 = list.encoding == WordListEncoding::Utf8;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    if (utf8 ? !lines[n].utf8 : !lines[n].shiftJis) {
      if (list.skippedLines++ == 0) list.firstSkippedLine = static_cast<int>(n) + 1;
    }
  }
  if (wholeOrNothing && !utf8 && list.skippedLines == 0) return list;
  list.text.reserve(text.size());
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const LineReadings& line = lines[n];
    if (utf8 ? !line.utf8 : !line.shiftJis) continue;
    list.text += utf8 ? std::string_view(*line.utf8) : line.bytes;
    // A last line without a line end stays without one: the reader takes it differently.
    if (n + 1 < lines.size() || text.ends_with('\n')) list.text += '\n';
  }
  return list;
}

// Whether a word appended after these bytes needs a line end first to stand on a line of its
// own.
bool needsLineEnd(std::string_view before) {
  return !before.empty() && before.back() != '\n' && before != ByteOrderMark;
}

}  // namespace

DecodedWordList decodeWordList(std::string_view text, const WordListCodec* codec) {
  return decodeLines(text, codec, false);
}

WordListEncoding wordListEncoding(std::string_view text, const WordListCodec* codec) {
  return decodeLines(text, codec, true).encoding;
}

int enabledMask(const DictionaryRows& rows) {
  int mask = 0;
  for (int row = 0; row < DictionaryRowCount; ++row) {
    if (rows[row].enabled) mask |= 1 << row;
  }
  return mask;
}

void loadDictionaryText(std::string_view text, WordIndex& index) {
  PieceReader reader(text);
  std::string_view piece;
  while (reader.next(piece)) {
    if (!piece.empty() && piece.back() == '\n') piece.remove_suffix(1);
    index.addWord(piece);
  }
}

std::optional<DecodedWordList> loadDictionaryFile(const std::string& path, WordIndex& index,
                                                  const WordListCodec* codec) {
  const std::optional<std::string> text = readTextFile(path);
  if (!text) return std::nullopt;
  DecodedWordList list = decodeLines(*text, codec, true);
  const bool whole = list.encoding == WordListEncoding::ShiftJis && list.skippedLines == 0;
  loadDictionaryText(whole ? std::string_view(*text) : list.text, index);
  list.text.clear();  // what a caller wants is how it was read
  return list;
}

DictionaryRefresh refreshDictionaries(const DictionaryRows& rows, DictionaryLoadRecord& loaded,
                                      WordIndex& index,
                                      const std::function<void(int row)>& couldNotOpen,
                                      const WordListCodec* codec) {
  DictionaryRefresh refresh;
  const int mask = enabledMask(rows);
  bool unchanged = mask == loaded.mask;
  for (int row = 0; row < DictionaryRowCount; ++row) {
    unchanged = unchanged && rows[row].path == loaded.paths[row];
  }
  if (unchanged) return refresh;

  // Recorded before loading, so a row that fails is not tried again until something changes.
  for (int row = 0; row < DictionaryRowCount; ++row) loaded.paths[row] = rows[row].path;
  loaded.mask = mask;
  index.clear();
  refresh.reloaded = true;
  for (int row = 0; row < DictionaryRowCount; ++row) {
    if (rows[row].path.empty() || !rows[row].enabled) continue;
    const std::optional<DecodedWordList> list = loadDictionaryFile(rows[row].path, index, codec);
    if (!list) {
      if (couldNotOpen) couldNotOpen(row + 1);
      continue;
    }
    if (list->skippedLines == 0) continue;
    if (!refresh.note.empty()) refresh.note += "  ";
    refresh.note += "\x8E\xAB\x8F\x91" + std::to_string(row + 1) +  // 辞書
                    (list->encoding == WordListEncoding::Utf8 ? " (UTF-8" : " (Shift_JIS") +
                    "): \x93\xC7\x82\xDF\x82\xC8\x82\xA2 " +  // 読めない
                    std::to_string(list->skippedLines) +
                    // 行を飛ばしました (最初は
                    " \x8D\x73\x82\xF0\x94\xF2\x82\xCE\x82\xB5\x82\xDC\x82\xB5\x82\xBD (\x8D\xC5"
                    "\x8F\x89\x82\xCD " +
                    std::to_string(list->firstSkippedLine) + " \x8D\x73\x96\xDA)";  // 行目
  }
  return refresh;
}

AppendResult appendDictionaryWord(const std::string& path, std::string_view word,
                                  const WordListCodec* codec) {
  const std::optional<std::string> target = linkTarget(path);
  if (!target) return AppendResult::CouldNotOpen;
  if (word.empty()) {  // the list is made when missing, and nothing is read or written
    return createFileIfMissing(*target) ? AppendResult::Appended : AppendResult::CouldNotOpen;
  }
  LockedFile list;
  switch (list.open(*target)) {
    case LockedFile::Opened::Yes: break;
    case LockedFile::Opened::CouldNotOpen: return AppendResult::CouldNotOpen;
    case LockedFile::Opened::CouldNotRead: return AppendResult::CouldNotRead;
  }

  std::optional<std::string> old = list.readAll();
  if (!old) return AppendResult::CouldNotRead;
  std::string bytes(word);
  if (wordListEncoding(toTextMode(*old), codec) == WordListEncoding::Utf8) {
    const std::optional<std::string> utf8 = codec->toUtf8(word);
    if (!utf8) return AppendResult::NotInUtf8;
    bytes = *utf8;
  }
  bytes += "\r\n";
  const std::size_t end = std::min(old->find('\x1A'), old->size());
  if (needsLineEnd(std::string_view(*old).substr(0, end))) bytes.insert(0, "\r\n");
  if (end < old->size()) {
    // Appended after the 0x1A the word would never be read again. The new file replaces the
    // old one while the lock is held, so a registration waiting for it reads the new one.
    old->insert(end, bytes);
    return writeFileAtomically(*target, *old) ? AppendResult::Appended : AppendResult::WriteFailed;
  }
  const std::size_t size = old->size();
  const bool written = list.writeAt(bytes, size);
  if (!written && !list.truncate(size)) {
    // The file keeps what was written; nothing else can be done about it here.
  }
  return list.close() && written ? AppendResult::Appended : AppendResult::WriteFailed;
}

RegisterResult registerWord(const std::string& path, std::string_view typed, WordIndex& index,
                            const WordListCodec* codec) {
  const std::string word = toFullWidth(typed);
  LengthIndex& lengths = index[lengthClass(word)];
  const bool write = !word.empty() && lengths.findWord(word) < 0;
  switch (appendDictionaryWord(path, write ? std::string_view(word) : std::string_view(), codec)) {
    case AppendResult::Appended: break;
    case AppendResult::CouldNotOpen: return RegisterResult::CouldNotOpen;
    case AppendResult::CouldNotRead: return RegisterResult::CouldNotRead;
    case AppendResult::WriteFailed: return RegisterResult::WriteFailed;
    case AppendResult::NotInUtf8: return RegisterResult::NotInUtf8;
  }
  index.addWord(word);
  return write ? RegisterResult::Written : RegisterResult::NotWritten;
}

}  // namespace vexilo
