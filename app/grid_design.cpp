#include "app/grid_design.h"

#include <array>

namespace vexilo {

namespace {

constexpr const char* NoViolation =  // 黒マスの規則: 違反なし
    "\x8D\x95\x83\x7D\x83\x58\x82\xCC\x8B\x4B\x91\xA5: \x88\xE1\x94\xBD\x82\xC8\x82\xB5";
constexpr const char* ViolationLead =  // 黒マスの規則に違反:
    "\x8D\x95\x83\x7D\x83\x58\x82\xCC\x8B\x4B\x91\xA5\x82\xC9\x88\xE1\x94\xBD: ";
constexpr const char* Separator = "\x81\x41";  // 、

// In BlockRule order.
constexpr std::array<const char*, BlockRuleCount> RuleNames{
    "\x8D\x95\x83\x7D\x83\x58\x82\xCC\x98\x41\x91\xB1",                  // 黒マスの連続
    "\x8B\xF7\x82\xCC\x8D\x95\x83\x7D\x83\x58",                          // 隅の黒マス
    "\x94\x92\x83\x7D\x83\x58\x82\xCC\x95\xAA\x92\x66",                  // 白マスの分断
    "\x8E\x4F\x95\xFB\x82\xAA\x8D\x95\x82\xCC\x94\x92\x83\x7D\x83\x58",  // 三方が黒の白マス
    "\x8C\xEA\x82\xCC\x82\xC8\x82\xA2\x94\x92\x83\x7D\x83\x58",          // 語のない白マス
};

}  // namespace

std::string ruleStatusText(const RuleCheck& check, unsigned rules, bool anyOpen) {
  if (!anyOpen || (rules & AllBlockRules) == 0) return {};
  if (check.holds()) return NoViolation;
  std::string text = ViolationLead;
  bool first = true;
  for (int r = 0; r < BlockRuleCount; ++r) {
    const int count = check.count(static_cast<BlockRule>(r));
    if (count == 0) continue;
    if (!first) text += Separator;
    first = false;
    text += RuleNames[static_cast<std::size_t>(r)];
    text += ' ' + std::to_string(count);
  }
  return text;
}

std::optional<int> puzzleSide(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::string digits;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const auto next = at + 1 < text.size() ? static_cast<unsigned char>(text[at + 1]) : 0;
    if ('0' <= byte && byte <= '9') {
      digits += static_cast<char>(byte);
    } else if (byte == 0x82 && 0x4F <= next && next <= 0x58) {  // ０..９
      digits += static_cast<char>('0' + next - 0x4F);
      ++at;
    } else {
      return std::nullopt;
    }
  }
  if (digits.empty() || digits.size() > 2) return std::nullopt;
  const int side = std::stoi(digits);
  if (side < MinPuzzleSide || side > MaxPuzzleSide) return std::nullopt;
  return side;
}

}  // namespace vexilo
