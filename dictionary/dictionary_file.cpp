#include "dictionary/dictionary_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "dictionary/full_width.h"
#include "dictionary/word_index.h"
#include "files/atomic_file.h"
#include "files/text_file.h"

namespace vexilo {

namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

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

// Lines that the code page cannot hold are left out, so they yield no word at all.
std::string utf8ListToCp932(std::string_view text, const WordListCodec& codec) {
  if (text.starts_with(ByteOrderMark)) text.remove_prefix(ByteOrderMark.size());
  std::string converted;
  converted.reserve(text.size());
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    const std::size_t length = lf == std::string_view::npos ? text.size() : lf;
    if (const std::optional<std::string> line = codec.toCp932(text.substr(0, length))) {
      converted += *line;
      if (lf != std::string_view::npos) converted += '\n';
    }
    text.remove_prefix(std::min(text.size(), length + 1));
  }
  return converted;
}

// Whether a word appended after these bytes needs a line end first to stand on a line of its
// own.
bool needsLineEnd(std::string_view before) {
  return !before.empty() && before.back() != '\n' && before != ByteOrderMark;
}

std::optional<std::string> readWhole(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_SET) != 0) return std::nullopt;
  std::string bytes;
  char buffer[64 * 1024];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  if (std::ferror(file)) return std::nullopt;
  return bytes;
}

}  // namespace

bool isUtf8WordList(std::string_view text) {
  if (text.starts_with(ByteOrderMark)) return true;
  bool beyondAscii = false;
  while (!text.empty()) {
    const std::size_t length = utf8CharacterLength(text);
    if (length == 0) return false;
    beyondAscii = beyondAscii || length > 1;
    text.remove_prefix(length);
  }
  return beyondAscii;
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

bool loadDictionaryFile(const std::string& path, WordIndex& index, const WordListCodec* codec) {
  const std::optional<std::string> text = readTextFile(path);
  if (!text) return false;
  if (codec != nullptr && isUtf8WordList(*text)) {
    loadDictionaryText(utf8ListToCp932(*text, *codec), index);
  } else {
    loadDictionaryText(*text, index);
  }
  return true;
}

bool refreshDictionaries(const DictionaryRows& rows, DictionaryLoadRecord& loaded, WordIndex& index,
                         const std::function<void(int row)>& couldNotOpen,
                         const WordListCodec* codec) {
  const int mask = enabledMask(rows);
  bool unchanged = mask == loaded.mask;
  for (int row = 0; row < DictionaryRowCount; ++row) {
    unchanged = unchanged && rows[row].path == loaded.paths[row];
  }
  if (unchanged) return false;

  // Recorded before loading, so a row that fails is not tried again until something changes.
  for (int row = 0; row < DictionaryRowCount; ++row) loaded.paths[row] = rows[row].path;
  loaded.mask = mask;
  index.clear();
  for (int row = 0; row < DictionaryRowCount; ++row) {
    if (rows[row].path.empty() || !rows[row].enabled) continue;
    if (!loadDictionaryFile(rows[row].path, index, codec) && couldNotOpen) couldNotOpen(row + 1);
  }
  return true;
}

AppendResult appendDictionaryWord(const std::string& path, std::string_view word) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (fs::exists(status) && !fs::is_regular_file(status)) return AppendResult::CouldNotOpen;

  File file(std::fopen(path.c_str(), "a+b"), &std::fclose);
  const bool readable = file != nullptr;
  if (!readable) file.reset(std::fopen(path.c_str(), "ab"));  // a file we may only write to
  if (!file) return AppendResult::CouldNotOpen;
  if (word.empty()) return AppendResult::Appended;

  std::optional<std::string> old;
  if (readable && !(old = readWhole(file.get()))) return AppendResult::WriteFailed;
  const std::size_t end = old ? std::min(old->find('\x1A'), old->size()) : 0;
  std::string bytes;
  if (old && needsLineEnd(std::string_view(*old).substr(0, end))) bytes += "\r\n";
  bytes.append(word);
  bytes += "\r\n";
  if (old && end < old->size()) {
    // Appended after the 0x1A the word would never be read again.
    file.reset();
    old->insert(end, bytes);
    return writeFileAtomically(path, *old) ? AppendResult::Appended : AppendResult::WriteFailed;
  }
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return AppendResult::WriteFailed;
  const long before = std::ftell(file.get());
  const bool written = before >= 0 &&
                       std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
                       std::fflush(file.get()) == 0;
  const bool closed = std::fclose(file.release()) == 0;
  if (written && closed) return AppendResult::Appended;
  if (before >= 0) fs::resize_file(path, static_cast<std::uintmax_t>(before), error);
  return AppendResult::WriteFailed;
}

RegisterResult registerWord(const std::string& path, std::string_view typed, WordIndex& index,
                            const WordListCodec* codec) {
  const std::string word = toFullWidth(typed);
  LengthIndex& lengths = index[lengthClass(word)];
  const bool write = !word.empty() && lengths.findWord(word) < 0;
  std::string bytes = write ? word : std::string();
  if (write && codec != nullptr) {
    const std::optional<std::string> text = readTextFile(path);
    if (text && isUtf8WordList(*text)) {
      const std::optional<std::string> utf8 = codec->toUtf8(word);
      if (!utf8) return RegisterResult::NotInUtf8;
      bytes = *utf8;
    }
  }
  const AppendResult appended = appendDictionaryWord(path, bytes);
  if (appended == AppendResult::CouldNotOpen) return RegisterResult::CouldNotOpen;
  if (appended == AppendResult::WriteFailed) return RegisterResult::WriteFailed;
  index.addWord(word);
  return write ? RegisterResult::Written : RegisterResult::NotWritten;
}

}  // namespace vexilo
