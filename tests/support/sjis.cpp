#include "support/sjis.h"

#include "ui/cp932_codec.h"

namespace vexilo::test {

std::string sj(std::string_view utf8) { return utf8ToCp932(utf8); }
std::string u8(std::string_view cp932) { return cp932ToUtf8(cp932); }

const WordListCodec& wordListCodec() {
  static const Cp932WordListCodec codec;
  return codec;
}

}  // namespace vexilo::test
