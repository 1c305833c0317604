#include "files/json.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace vexilo {

namespace {

constexpr int MaxDepth = 64;

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::optional<JsonValue> document(std::string& error) {
    if (text_.starts_with("\xEF\xBB\xBF")) at_ = 3;
    JsonValue value;
    skipSpace();
    if (parseValue(value, 0)) {
      skipSpace();
      if (at_ != text_.size()) fail("text after the end of the document");
    }
    if (!error_.empty()) {
      error = error_ + " at byte " + std::to_string(at_);
      return std::nullopt;
    }
    return value;
  }

 private:
  bool fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return false;
  }
  bool atEnd() const { return at_ >= text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[at_]; }
  void skipSpace() {
    while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r')) {
      ++at_;
    }
  }
  bool literal(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return fail("unknown word");
    at_ += word.size();
    return true;
  }

  bool parseValue(JsonValue& value, int depth) {
    if (depth >= MaxDepth) return fail("nesting deeper than 64");
    if (atEnd()) return fail("the document ends where a value should be");
    switch (peek()) {
      case '{': return parseObject(value, depth);
      case '[': return parseArray(value, depth);
      case '"': value.kind = JsonValue::Kind::String; return parseString(value.text);
      case 't':
        value.kind = JsonValue::Kind::Boolean;
        value.boolean = true;
        return literal("true");
      case 'f': value.kind = JsonValue::Kind::Boolean; return literal("false");
      case 'n': return literal("null");
      default: value.kind = JsonValue::Kind::Number; return parseNumber(value.number);
    }
  }

  bool parseObject(JsonValue& value, int depth) {
    value.kind = JsonValue::Kind::Object;
    ++at_;
    skipSpace();
    if (peek() == '}') {
      ++at_;
      return true;
    }
    while (true) {
      skipSpace();
      if (peek() != '"') return fail("a member name should be here");
      std::string name;
      if (!parseString(name)) return false;
      if (value.member(name) != nullptr) return fail("the member \"" + name + "\" comes twice");
      skipSpace();
      if (peek() != ':') return fail("':' should follow a member name");
      ++at_;
      skipSpace();
      JsonValue member;
      if (!parseValue(member, depth + 1)) return false;
      value.members.emplace_back(std::move(name), std::move(member));
      skipSpace();
      if (peek() == ',') {
        ++at_;
        continue;
      }
      if (peek() == '}') {
        ++at_;
        return true;
      }
      return fail("',' or '}' should be here");
    }
  }

  bool parseArray(JsonValue& value, int depth) {
    value.kind = JsonValue::Kind::Array;
    ++at_;
    skipSpace();
    if (peek() == ']') {
      ++at_;
      return true;
    }
    while (true) {
      skipSpace();
      JsonValue item;
      if (!parseValue(item, depth + 1)) return false;
      value.items.push_back(std::move(item));
      skipSpace();
      if (peek() == ',') {
        ++at_;
        continue;
      }
      if (peek() == ']') {
        ++at_;
        return true;
      }
      return fail("',' or ']' should be here");
    }
  }

  bool hex4(std::uint32_t& code) {
    if (text_.size() - at_ < 4) return fail("a \\u escape is cut short");
    code = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      code <<= 4;
      if (c >= '0' && c <= '9') {
        code |= static_cast<std::uint32_t>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        code |= static_cast<std::uint32_t>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        code |= static_cast<std::uint32_t>(c - 'A' + 10);
      } else {
        return fail("a \\u escape holds a non-hex digit");
      }
    }
    return true;
  }

  static void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  // One UTF-8 character copied as it stands; false when the bytes are no valid character.
  bool copyCharacter(std::string& out) {
    const auto byte = [this](std::size_t i) { return static_cast<unsigned char>(text_[i]); };
    const unsigned char lead = byte(at_);
    int extra = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      code = lead & 0x07;
    } else {
      return fail("a byte that starts no UTF-8 character");
    }
    if (text_.size() - at_ <= static_cast<std::size_t>(extra)) return fail("a cut UTF-8 character");
    for (int i = 1; i <= extra; ++i) {
      const unsigned char next = byte(at_ + static_cast<std::size_t>(i));
      if ((next & 0xC0) != 0x80) return fail("a broken UTF-8 character");
      code = (code << 6) | (next & 0x3F);
    }
    const std::uint32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < smallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      return fail("an overlong or invalid UTF-8 character");
    }
    out.append(text_.substr(at_, static_cast<std::size_t>(extra) + 1));
    at_ += static_cast<std::size_t>(extra) + 1;
    return true;
  }

  bool parseString(std::string& out) {
    ++at_;
    while (true) {
      if (atEnd()) return fail("a string is not closed");
      const auto c = static_cast<unsigned char>(peek());
      if (c == '"') {
        ++at_;
        return true;
      }
      if (c < 0x20) return fail("a control character inside a string");
      if (c >= 0x80) {
        if (!copyCharacter(out)) return false;
        continue;
      }
      ++at_;
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      if (atEnd()) return fail("a string is not closed");
      const char escape = text_[at_++];
      switch (escape) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          std::uint32_t code = 0;
          if (!hex4(code)) return false;
          if (code >= 0xDC00 && code <= 0xDFFF) return fail("a lone low surrogate");
          if (code >= 0xD800 && code <= 0xDBFF) {
            std::uint32_t low = 0;
            if (text_.substr(at_, 2) != "\\u" || (at_ += 2, !hex4(low)) || low < 0xDC00 ||
                low > 0xDFFF) {
              return fail("a high surrogate without its low one");
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          }
          appendUtf8(out, code);
          break;
        }
        default: return fail("an unknown escape in a string");
      }
    }
  }

  bool parseNumber(double& number) {
    const std::size_t start = at_;
    const auto digits = [this] {
      const std::size_t from = at_;
      while (!atEnd() && peek() >= '0' && peek() <= '9') ++at_;
      return at_ - from;
    };
    if (peek() == '-') ++at_;
    if (peek() == '0') {
      ++at_;
    } else if (digits() == 0) {
      return fail("a value should be here");
    }
    if (peek() == '.') {
      ++at_;
      if (digits() == 0) return fail("a number lacks digits after its point");
    }
    if (peek() == 'e' || peek() == 'E') {
      ++at_;
      if (peek() == '+' || peek() == '-') ++at_;
      if (digits() == 0) return fail("a number lacks the digits of its exponent");
    }
    const char* first = text_.data() + start;
    const auto [end, problem] = std::from_chars(first, text_.data() + at_, number);
    if (problem != std::errc() || end != text_.data() + at_) return fail("a number out of range");
    return true;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::string error_;
};

bool isScalar(const JsonValue& value) { return !value.isArray() && !value.isObject(); }

// An array of scalars, or of arrays of scalars, stays on one line.
bool isFlat(const JsonValue& value) {
  if (!value.isArray()) return isScalar(value);
  for (const JsonValue& item : value.items) {
    if (!isScalar(item) &&
        !(item.isArray() && std::all_of(item.items.begin(), item.items.end(), isScalar))) {
      return false;
    }
  }
  return true;
}

void formatString(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          constexpr char hex[] = "0123456789abcdef";
          out += "\\u00";
          out += hex[(c >> 4) & 0xF];
          out += hex[c & 0xF];
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

void formatValue(std::string& out, const JsonValue& value, int indent) {
  const std::string inner(static_cast<std::size_t>(indent + 2), ' ');
  switch (value.kind) {
    case JsonValue::Kind::Null: out += "null"; break;
    case JsonValue::Kind::Boolean: out += value.boolean ? "true" : "false"; break;
    case JsonValue::Kind::Number: {
      char buffer[32];
      const auto result = std::to_chars(buffer, buffer + sizeof buffer, value.number);
      out.append(buffer, result.ptr);
      break;
    }
    case JsonValue::Kind::String: formatString(out, value.text); break;
    case JsonValue::Kind::Array: {
      const bool flat = isFlat(value);
      out += '[';
      for (std::size_t i = 0; i < value.items.size(); ++i) {
        if (i > 0) out += flat ? ", " : ",";
        if (!flat) out += "\n" + inner;
        formatValue(out, value.items[i], indent + 2);
      }
      if (!flat && !value.items.empty())
        out += "\n" + std::string(static_cast<std::size_t>(indent), ' ');
      out += ']';
      break;
    }
    case JsonValue::Kind::Object: {
      out += '{';
      for (std::size_t i = 0; i < value.members.size(); ++i) {
        out += i > 0 ? ",\n" : "\n";
        out += inner;
        formatString(out, value.members[i].first);
        out += ": ";
        formatValue(out, value.members[i].second, indent + 2);
      }
      if (!value.members.empty()) out += "\n" + std::string(static_cast<std::size_t>(indent), ' ');
      out += '}';
      break;
    }
  }
}

}  // namespace

JsonValue JsonValue::string(std::string text) {
  JsonValue value;
  value.kind = Kind::String;
  value.text = std::move(text);
  return value;
}

JsonValue JsonValue::integer(long long number) {
  JsonValue value;
  value.kind = Kind::Number;
  value.number = static_cast<double>(number);
  return value;
}

JsonValue JsonValue::array(std::vector<JsonValue> items) {
  JsonValue value;
  value.kind = Kind::Array;
  value.items = std::move(items);
  return value;
}

JsonValue JsonValue::object() {
  JsonValue value;
  value.kind = Kind::Object;
  return value;
}

std::optional<int> JsonValue::asInt() const {
  if (!isNumber() || std::trunc(number) != number || number < std::numeric_limits<int>::min() ||
      number > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(number);
}

const JsonValue* JsonValue::member(std::string_view key) const {
  for (const auto& [name, value] : members) {
    if (name == key) return &value;
  }
  return nullptr;
}

JsonValue& JsonValue::add(std::string key, JsonValue value) {
  members.emplace_back(std::move(key), std::move(value));
  return members.back().second;
}

std::optional<JsonValue> parseJson(std::string_view text, std::string& error) {
  return Parser(text).document(error);
}

std::string formatJson(const JsonValue& value) {
  std::string out;
  formatValue(out, value, 0);
  out += '\n';
  return out;
}

}  // namespace vexilo
