#include "dictionary/dictionary_file.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "dictionary/full_width.h"
#include "dictionary/word_index.h"
#include "files/text_file.h"

namespace vexilo {

namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// False when the last byte of a non-empty file is something other than LF.
bool endsWithLineEnd(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0 || std::ftell(file) <= 0) return true;
  if (std::fseek(file, -1, SEEK_END) != 0) return true;
  return std::fgetc(file) == '\n';
}

}  // namespace

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

bool loadDictionaryFile(const std::string& path, WordIndex& index) {
  const std::optional<std::string> text = readTextFile(path);
  if (!text) return false;
  loadDictionaryText(*text, index);
  return true;
}

bool refreshDictionaries(const DictionaryRows& rows, DictionaryLoadRecord& loaded, WordIndex& index,
                         const std::function<void(int row)>& couldNotOpen) {
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
    if (!loadDictionaryFile(rows[row].path, index) && couldNotOpen) couldNotOpen(row + 1);
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

  std::string bytes;
  if (readable && !endsWithLineEnd(file.get())) bytes += "\r\n";
  bytes.append(word);
  bytes += "\r\n";
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

RegisterResult registerWord(const std::string& path, std::string_view typed, WordIndex& index) {
  const std::string word = toFullWidth(typed);
  LengthIndex& lengths = index[lengthClass(word)];
  const bool write = !word.empty() && lengths.findWord(word) < 0;
  const AppendResult appended = appendDictionaryWord(path, write ? word : std::string_view());
  if (appended == AppendResult::CouldNotOpen) return RegisterResult::CouldNotOpen;
  if (appended == AppendResult::WriteFailed) return RegisterResult::WriteFailed;
  lengths.addWord(word);
  return write ? RegisterResult::Written : RegisterResult::NotWritten;
}

}  // namespace vexilo
