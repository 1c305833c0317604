#pragma once

namespace vexilo {

// A byte that starts a two-byte character of code page 932. Up to 0xFC, not 0xEF: the window's
// code page also gives lead bytes 0xF0-0xFC (﨑, 髙).
constexpr bool isLeadByte(unsigned char b) {
  return (0x81 <= b && b <= 0x9F) || (0xE0 <= b && b <= 0xFC);
}
constexpr bool isLeadByte(char b) { return isLeadByte(static_cast<unsigned char>(b)); }

// A byte that may follow a lead byte.
constexpr bool isTrailByte(unsigned char b) {
  return (0x40 <= b && b <= 0x7E) || (0x80 <= b && b <= 0xFC);
}

}  // namespace vexilo
