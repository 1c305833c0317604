#include "ui/cp932_codec.h"

#include <iconv.h>

#include <bitset>
#include <cerrno>

namespace vexilo {

namespace {

// One conversion, with a replacement for each unit iconv refuses.
std::string convert(const char* to, const char* from, std::string_view text,
                    std::string_view replacement, bool skipUtf8Character) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
  std::string out;
  out.reserve(text.size() * 2);
  char buffer[256];
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    // EILSEQ or EINVAL: replace one character (or one byte) and go on.
    out.append(replacement);
    std::size_t skip = 1;
    if (skipUtf8Character) {
      while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) ++skip;
    }
    in += skip;
    inLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return out;
}

// Nothing when iconv refuses any unit.
std::optional<std::string> convertExactly(iconv_t cd, std::string_view text) {
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // the initial state, whatever came before
  std::string out;
  out.reserve(text.size() * 2);
  char buffer[256];
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  bool ok = true;
  while (ok && inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    ok = result != static_cast<std::size_t>(-1) || errno == E2BIG;
  }
  if (!ok) return std::nullopt;
  return out;
}

// The two-byte codes the code page holds, by lead byte * 256 + trail byte.
const std::bitset<65536>& twoByteCodes() {
  static const std::bitset<65536> codes = [] {
    std::bitset<65536> table;
    const iconv_t cd = iconv_open("UTF-8", "CP932");
    for (std::size_t code = 0x8100; code < table.size(); ++code) {
      const char pair[] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
      table[code] = convertExactly(cd, std::string_view(pair, 2)).has_value();
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    return table;
  }();
  return codes;
}

}  // namespace

Cp932WordListCodec::Cp932WordListCodec()
    : toCp932_(iconv_open("CP932", "UTF-8")), toUtf8_(iconv_open("UTF-8", "CP932")) {}

Cp932WordListCodec::~Cp932WordListCodec() {
  for (void* cd : {toCp932_, toUtf8_}) {
    if (cd != reinterpret_cast<void*>(-1)) iconv_close(static_cast<iconv_t>(cd));
  }
}

std::optional<std::string> Cp932WordListCodec::toCp932(std::string_view utf8) const {
  return convertExactly(static_cast<iconv_t>(toCp932_), utf8);
}

std::optional<std::string> Cp932WordListCodec::toUtf8(std::string_view cp932) const {
  return convertExactly(static_cast<iconv_t>(toUtf8_), cp932);
}

bool Cp932WordListCodec::inCodePage(std::string_view cp932) const {
  for (std::size_t i = 0; i < cp932.size(); ++i) {
    const auto lead = static_cast<unsigned char>(cp932[i]);
    if (lead < 0x80 || (lead >= 0xA1 && lead <= 0xDF)) continue;  // one-byte characters
    if (i + 1 == cp932.size()) return false;
    const auto code = static_cast<std::size_t>(lead) * 256 + static_cast<unsigned char>(cp932[++i]);
    if (!twoByteCodes()[code]) return false;
  }
  return true;
}

std::string cp932ToUtf8(std::string_view cp932) {
  return convert("UTF-8", "CP932", cp932, "\xEF\xBF\xBD", false);
}

std::string utf8ToCp932(std::string_view utf8) {
  return convert("CP932", "UTF-8", utf8, "?", true);
}

}  // namespace vexilo
