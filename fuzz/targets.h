#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace vexilo::fuzz {

// A property that must hold for every input did not hold for this one.
class PropertyViolation : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Throws PropertyViolation naming the property when ok is false.
void require(bool ok, const std::string& property);

// Each target runs one input through the program's own code and checks what must always hold.
void crosswordTarget(std::string_view input);   // crossword file, both pages, the shown grid
void dictionaryTarget(std::string_view input);  // dictionary file, then searches of one grid
void textTarget(std::string_view input);        // text mode, full width, code page 932
void settingsTarget(std::string_view input);    // a stored grid and dictionary rows, start and Exit
void ipuzTarget(std::string_view input);        // an ipuz document, saved again, its pages

struct Target {
  std::string_view name;  // also the folder of its seeds and regression cases
  void (*run)(std::string_view input);
};

inline constexpr Target Targets[] = {
    {"crossword", crosswordTarget}, {"dictionary", dictionaryTarget},
    {"text", textTarget},           {"settings", settingsTarget},
    {"ipuz", ipuzTarget},
};

// True when text is well-formed UTF-8 (no overlong form, surrogate or code point past U+10FFFF).
bool isUtf8(std::string_view text);

}  // namespace vexilo::fuzz
