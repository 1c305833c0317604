#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexilo {

// A JSON value as RFC 8259 has it; strings are UTF-8, members keep the file's order.
struct JsonValue {
  enum class Kind { Null, Boolean, Number, String, Array, Object };

  Kind kind = Kind::Null;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<JsonValue> items;
  std::vector<std::pair<std::string, JsonValue>> members;

  static JsonValue string(std::string text);
  static JsonValue integer(long long value);
  static JsonValue array(std::vector<JsonValue> items = {});
  static JsonValue object();

  bool isNull() const { return kind == Kind::Null; }
  bool isString() const { return kind == Kind::String; }
  bool isNumber() const { return kind == Kind::Number; }
  bool isArray() const { return kind == Kind::Array; }
  bool isObject() const { return kind == Kind::Object; }
  // A number without a fraction that fits an int.
  std::optional<int> asInt() const;
  // The member of an object, or nullptr.
  const JsonValue* member(std::string_view key) const;
  JsonValue& add(std::string key, JsonValue value);  // to an object, in order
};

// Parses a whole document: one value between optional white space (and an optional UTF-8
// byte-order mark). Strict: no comments, no trailing commas, no duplicate member names, no
// invalid UTF-8, nesting at most 64 deep. On failure, error says what and at which byte.
std::optional<JsonValue> parseJson(std::string_view text, std::string& error);

// Two-space indentation, one member a line; an array of scalars or of such arrays stays on one
// line (so a puzzle row reads as a row). Ends with a line feed.
std::string formatJson(const JsonValue& value);

}  // namespace vexilo
