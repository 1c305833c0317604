#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "dictionary/dictionary_file.h"

namespace vexilo {

// Code page 932 and UTF-8, converted through iconv. A character with no code-page-932 form
// becomes "?", and a byte that starts no valid character becomes U+FFFD. The few characters
// that the code page holds under two codes (NEC and IBM rows) come back under one of them, so
// callers that must give back unchanged text keep its bytes.
std::string cp932ToUtf8(std::string_view cp932);
std::string utf8ToCp932(std::string_view utf8);

// The same conversions with nothing in place of a replacement: UTF-8 word lists skip the words
// the code page cannot hold instead of loading them with "?". The converters stay open, since
// a list of a hundred thousand words is converted a word at a time.
class Cp932WordListCodec : public WordListCodec {
 public:
  Cp932WordListCodec();
  ~Cp932WordListCodec() override;
  Cp932WordListCodec(const Cp932WordListCodec&) = delete;
  Cp932WordListCodec& operator=(const Cp932WordListCodec&) = delete;

  std::optional<std::string> toCp932(std::string_view utf8) const override;
  std::optional<std::string> toUtf8(std::string_view cp932) const override;
  // By a table of the two-byte codes, made once: a list of a hundred thousand Shift_JIS words is
  // checked line by line.
  bool inCodePage(std::string_view cp932) const override;

 private:
  void* toCp932_;  // iconv descriptors, (void*) -1 when they could not be opened
  void* toUtf8_;
};

}  // namespace vexilo
