#include "files/ipuz_file.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <vector>

#include "dictionary/full_width.h"
#include "files/json.h"
#include "files/web_export.h"

namespace vexilo {

namespace {

constexpr std::string_view Extension = "com.vexilo";
constexpr std::string_view Block = "#";
constexpr int FormatVersion = 1;  // of the com.vexilo member

struct Area {
  int top = 0, left = 0, height = 1, width = 1;
};

Area usedArea(const PuzzleGrid& grid) {
  const ExportRectangle rect = exportedRectangle(grid);
  if (rect.bottom <= rect.top) return {};  // nothing open: one blocked cell
  return {rect.top, rect.left, rect.bottom - rect.top, rect.right - rect.left};
}

JsonValue position(int column, int row) {
  return JsonValue::array({JsonValue::integer(column + 1), JsonValue::integer(row + 1)});
}

const char* directionName(SlotDirection direction) {
  return direction == Across ? "Across" : "Down";
}

class Writer {
 public:
  Writer(const PuzzleGrid& grid, const PuzzleClues& clues, const WordListCodec& codec)
      : grid_(grid),
        clues_(clues),
        codec_(codec),
        area_(usedArea(grid)),
        words_(numberWords(grid, clues.properties.numbering)) {}

  JsonValue document() {
    JsonValue root = JsonValue::object();
    root.add("version", JsonValue::string("http://ipuz.org/v2"));
    root.add("kind", JsonValue::array({JsonValue::string("http://ipuz.org/crossword#1")}));
    const PuzzleProperties& properties = clues_.properties;
    if (!properties.title.empty()) root.add("title", text(properties.title));
    if (!properties.author.empty()) root.add("author", text(properties.author));
    if (!properties.copyright.empty()) root.add("copyright", text(properties.copyright));
    JsonValue& dimensions = root.add("dimensions", JsonValue::object());
    dimensions.add("width", JsonValue::integer(area_.width));
    dimensions.add("height", JsonValue::integer(area_.height));
    root.add("block", JsonValue::string(std::string(Block)));
    root.add("empty", JsonValue::integer(0));
    root.add("puzzle", rows([this](int cell) { return puzzleCell(cell); }));
    root.add("solution", rows([this](int cell) { return solutionCell(cell); }));
    JsonValue& lists = root.add("clues", JsonValue::object());
    lists.add("Across", clueList(words_.across));
    lists.add("Down", clueList(words_.down));
    root.add(std::string(Extension), extension());
    return root;
  }

 private:
  JsonValue text(const std::string& sjis) const {
    return JsonValue::string(codec_.toUtf8(sjis).value_or("\xEF\xBF\xBD"));  // U+FFFD
  }

  int cellAt(int row, int column) const {
    return PuzzleGrid::indexOf(area_.top + row, area_.left + column);
  }

  template <typename Cell>
  JsonValue rows(Cell cell) const {
    JsonValue all = JsonValue::array();
    for (int row = 0; row < area_.height; ++row) {
      JsonValue line = JsonValue::array();
      for (int column = 0; column < area_.width; ++column) {
        line.items.push_back(cell(cellAt(row, column)));
      }
      all.items.push_back(std::move(line));
    }
    return all;
  }

  JsonValue puzzleCell(int index) const {
    const NodeBox& cell = grid_.cellAt(index);
    if (cell.flag == vexilo::Block) return JsonValue::string(std::string(Block));
    const NumberedWord* word = words_.find({index, Across});
    if (word == nullptr) word = words_.find({index, Down});
    JsonValue label = JsonValue::integer(word ? word->number : 0);
    const bool grouped = cell.mark >= 0 && cell.mark < CellCount;
    if (!grouped && cell.flag != Fixed) return label;
    JsonValue object = JsonValue::object();
    object.add("cell", std::move(label));
    if (grouped) {
      JsonValue& style = object.add("style", JsonValue::object());
      style.add("shapebg", JsonValue::string("circle"));
      style.add("mark", JsonValue::object())
          .add("BR", JsonValue::string(std::to_string(cell.mark + 1)));
    }
    if (cell.flag == Fixed) object.add("value", text(cell.str));
    return object;
  }

  JsonValue solutionCell(int index) const {
    const NodeBox& cell = grid_.cellAt(index);
    if (cell.flag == vexilo::Block) return JsonValue::string(std::string(Block));
    return cell.str.empty() ? JsonValue() : text(cell.str);
  }

  JsonValue clueList(const std::vector<NumberedWord>& words) const {
    JsonValue list = JsonValue::array();
    for (const NumberedWord& word : words) {
      JsonValue clue = JsonValue::object();
      clue.add("number", JsonValue::integer(word.number));
      clue.add("label", text(word.label));
      clue.add("clue", text(clues_.textOf(word.key)));
      JsonValue cells = JsonValue::array();
      for (const int cell : wordCells(word)) {
        cells.items.push_back(
            position(PuzzleGrid::columnOf(cell) - area_.left, PuzzleGrid::rowOf(cell) - area_.top));
      }
      clue.add("cells", std::move(cells));
      list.items.push_back(std::move(clue));
    }
    return list;
  }

  JsonValue extension() const {
    JsonValue vexilo = JsonValue::object();
    vexilo.add("version", JsonValue::integer(FormatVersion));
    vexilo.add("top", JsonValue::integer(area_.top));
    vexilo.add("left", JsonValue::integer(area_.left));
    vexilo.add("numbering",
               JsonValue::string(clues_.properties.numbering == Numbering::Sequence ? "sequence"
                                                                                    : "magazine"));
    JsonValue stars = JsonValue::array();
    JsonValue flags = JsonValue::array();
    for (int row = 0; row < area_.height; ++row) {
      for (int column = 0; column < area_.width; ++column) {
        const int flag = grid_.cellAt(cellAt(row, column)).flag;
        if (flag == Star) stars.items.push_back(position(column, row));
        if (flag < vexilo::Block || flag > Fixed) {
          JsonValue odd = position(column, row);
          odd.items.push_back(JsonValue::integer(flag));
          flags.items.push_back(std::move(odd));
        }
      }
    }
    vexilo.add("stars", std::move(stars));
    if (!flags.items.empty()) vexilo.add("flags", std::move(flags));
    JsonValue aside = JsonValue::array();
    for (const ClueKey& key : setAsideClues(clues_, words_)) {
      JsonValue clue = JsonValue::object();
      clue.add("direction", JsonValue::string(directionName(key.direction)));
      clue.add("cell", JsonValue::array({JsonValue::integer(PuzzleGrid::columnOf(key.cell) + 1),
                                         JsonValue::integer(PuzzleGrid::rowOf(key.cell) + 1)}));
      clue.add("clue", text(clues_.textOf(key)));
      aside.items.push_back(std::move(clue));
    }
    vexilo.add("aside", std::move(aside));
    return vexilo;
  }

  const PuzzleGrid& grid_;
  const PuzzleClues& clues_;
  const WordListCodec& codec_;
  Area area_;
  WordNumbers words_;
};

// The length of the UTF-8 character that starts text; 1 for a stray byte.
std::size_t characterLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return std::min(length, text.size());
}

class Reader {
 public:
  Reader(const WordListCodec& codec, std::string& error) : codec_(codec), error_(error) {}

  bool read(const JsonValue& root, PuzzleGrid& grid, PuzzleClues& clues) {
    if (!root.isObject()) return fail("the document is not an ipuz object");
    if (!isCrossword(root)) return fail("the document is no ipuz crossword (\"kind\")");
    const JsonValue* dimensions = root.member("dimensions");
    const std::optional<int> width = dimensions ? intMember(*dimensions, "width") : std::nullopt;
    const std::optional<int> height = dimensions ? intMember(*dimensions, "height") : std::nullopt;
    if (!width || !height || *width < 1 || *height < 1) {
      return fail("\"dimensions\" give no width and height");
    }
    if (*width > GridSize || *height > GridSize) {
      return fail("the grid is " + std::to_string(*width) + " by " + std::to_string(*height) +
                  " cells; Vexilo holds at most 32 by 32");
    }
    width_ = *width;
    height_ = *height;
    if (const JsonValue* block = root.member("block"); block && block->isString()) {
      block_ = block->text;
    }
    const JsonValue* puzzle = root.member("puzzle");
    const JsonValue* solution = root.member("solution");
    if (!puzzle || !isTable(*puzzle)) return fail("\"puzzle\" is not a table of the dimensions");
    if (solution && !solution->isNull() && !isTable(*solution)) {
      return fail("\"solution\" is not a table of the dimensions");
    }
    const JsonValue* extension = root.member(Extension);
    if (extension && !readExtension(*extension)) return false;

    PuzzleGrid read;
    PuzzleClues readClues;
    readClues.properties.numbering = numbering_;
    for (int row = 0; row < height_; ++row) {
      for (int column = 0; column < width_; ++column) {
        const JsonValue& entry =
            puzzle->items[static_cast<std::size_t>(row)].items[static_cast<std::size_t>(column)];
        const JsonValue* answer = solution && !solution->isNull()
                                      ? &solution->items[static_cast<std::size_t>(row)]
                                             .items[static_cast<std::size_t>(column)]
                                      : nullptr;
        if (!readCell(entry, answer, row, column, read)) return false;
      }
    }
    for (const auto& [where, flag] : flags_) {
      NodeBox& cell = read.cellAt(where);
      if (flag == Star && cell.flag == Open) cell.flag = Star;
      if (flag < vexilo::Block || flag > Fixed) cell.flag = flag;
    }
    readClues.properties.title = textMember(root, "title");
    readClues.properties.author = textMember(root, "author");
    readClues.properties.copyright = textMember(root, "copyright");
    if (const JsonValue* lists = root.member("clues"); lists && !lists->isNull()) {
      if (!readClueLists(*lists, readClues)) return false;
    }
    for (const auto& [key, text] : aside_) {
      if (!readClues.textOf(key).empty()) return fail("two clues for one word in \"aside\"");
      readClues.setText(key, text);
    }
    grid = read;
    clues = std::move(readClues);
    return true;
  }

 private:
  bool fail(std::string message) {
    error_ = std::move(message);
    return false;
  }
  bool failAt(int row, int column, const std::string& message) {
    return fail("row " + std::to_string(row + 1) + ", column " + std::to_string(column + 1) + ": " +
                message);
  }

  static bool isCrossword(const JsonValue& root) {
    const JsonValue* kind = root.member("kind");
    if (!kind || !kind->isArray()) return false;
    return std::ranges::any_of(kind->items, [](const JsonValue& item) {
      return item.isString() && item.text.starts_with("http://ipuz.org/crossword");
    });
  }

  static std::optional<int> intMember(const JsonValue& object, std::string_view name) {
    const JsonValue* value = object.isObject() ? object.member(name) : nullptr;
    return value ? value->asInt() : std::nullopt;
  }

  bool isTable(const JsonValue& table) const {
    if (!table.isArray() || static_cast<int>(table.items.size()) != height_) return false;
    return std::ranges::all_of(table.items, [this](const JsonValue& row) {
      return row.isArray() && static_cast<int>(row.items.size()) == width_;
    });
  }

  // Text of Shift_JIS; a character the code page lacks becomes "?", as in the window.
  std::string sjis(std::string_view utf8) const {
    if (const std::optional<std::string> whole = codec_.toCp932(utf8)) return *whole;
    std::string out;
    while (!utf8.empty()) {
      const std::size_t length = characterLength(utf8);
      out += codec_.toCp932(utf8.substr(0, length)).value_or("?");
      utf8.remove_prefix(length);
    }
    return out;
  }

  std::string textMember(const JsonValue& object, std::string_view name) const {
    const JsonValue* value = object.member(name);
    return value && value->isString() ? sjis(value->text) : std::string();
  }

  // A label or letter as text: strings as they are, numbers in decimal, anything else empty.
  static std::string scalarText(const JsonValue& value) {
    if (value.isString()) return value.text;
    if (const std::optional<int> number = value.asInt()) return std::to_string(*number);
    return {};
  }

  // One full-width letter, or a message on why the text is none.
  std::optional<std::string> letter(const std::string& utf8, int row, int column) {
    const std::optional<std::string> converted = codec_.toCp932(utf8);
    if (!converted) {
      failAt(row, column, "\"" + sjis(utf8) + "\" has no full-width form in Shift_JIS");
      return std::nullopt;
    }
    const std::string wide = toFullWidth(*converted);
    if (wide.size() != 2) {
      failAt(row, column,
             "\"" + *converted + "\" is " + (wide.empty() ? "no letter" : "more than one letter"));
      return std::nullopt;
    }
    return wide;
  }

  bool readCell(const JsonValue& entry, const JsonValue* answer, int row, int column,
                PuzzleGrid& grid) {
    const JsonValue* label = &entry;
    const JsonValue* given = nullptr;
    const JsonValue* style = nullptr;
    if (entry.isObject()) {
      label = entry.member("cell");
      given = entry.member("value");
      style = entry.member("style");
    }
    if (label && (label->isNull() || (label->isString() && label->text == block_))) return true;
    if (!label && !entry.isObject()) return true;
    NodeBox& cell = grid.cellAt(PuzzleGrid::indexOf(top_ + row, left_ + column));
    cell.flag = Open;
    std::string text;
    if (given && given->isString() && !given->text.empty()) {
      text = given->text;
      cell.flag = Fixed;
    } else if (answer) {
      const JsonValue* value = answer->isObject() ? answer->member("value") : answer;
      if (value && value->isString() && value->text != block_) text = value->text;
    }
    if (!text.empty()) {
      const std::optional<std::string> one = letter(text, row, column);
      if (!one) return false;
      cell.str = *one;
    }
    if (style && style->isObject()) {
      const JsonValue* shape = style->member("shapebg");
      const JsonValue* mark = style->member("mark");
      const JsonValue* number = mark && mark->isObject() ? mark->member("BR") : nullptr;
      if (shape && shape->isString() && shape->text == "circle" && number) {
        const std::string shown = scalarText(*number);
        int group = 0;
        const auto [end, problem] =
            std::from_chars(shown.data(), shown.data() + shown.size(), group);
        if (problem == std::errc() && end == shown.data() + shown.size() && group >= 1 &&
            group <= CellCount) {
          cell.mark = group - 1;
          grid.noteMark(cell.mark);
        }
      }
    }
    const std::string shownLabel = label ? scalarText(*label) : std::string();
    if (!shownLabel.empty() && shownLabel != "0") {
      labels_.emplace(shownLabel, PuzzleGrid::indexOf(top_ + row, left_ + column));
    }
    return true;
  }

  // [column, row] from 1 within the dimensions, or within the whole grid.
  std::optional<int> cellOf(const JsonValue& value, bool whole) const {
    if (!value.isArray() || value.items.size() < 2) return std::nullopt;
    const std::optional<int> column = value.items[0].asInt();
    const std::optional<int> row = value.items[1].asInt();
    const int width = whole ? GridSize : width_;
    const int height = whole ? GridSize : height_;
    if (!column || !row || *column < 1 || *column > width || *row < 1 || *row > height) {
      return std::nullopt;
    }
    return whole ? PuzzleGrid::indexOf(*row - 1, *column - 1)
                 : PuzzleGrid::indexOf(top_ + *row - 1, left_ + *column - 1);
  }

  bool readExtension(const JsonValue& vexilo) {
    if (!vexilo.isObject()) return fail("\"com.vexilo\" is not an object");
    top_ = intMember(vexilo, "top").value_or(0);
    left_ = intMember(vexilo, "left").value_or(0);
    if (top_ < 0 || left_ < 0 || top_ + height_ > GridSize || left_ + width_ > GridSize) {
      return fail("\"com.vexilo\" places the grid outside 32 by 32 cells");
    }
    const JsonValue* numbering = vexilo.member("numbering");
    numbering_ = numbering && numbering->isString() && numbering->text == "sequence"
                     ? Numbering::Sequence
                     : Numbering::Magazine;
    if (const JsonValue* stars = vexilo.member("stars"); stars && stars->isArray()) {
      for (const JsonValue& star : stars->items) {
        const std::optional<int> cell = cellOf(star, false);
        if (!cell) return fail("\"com.vexilo\" names a star cell outside the grid");
        flags_.emplace_back(*cell, Star);
      }
    }
    if (const JsonValue* flags = vexilo.member("flags"); flags && flags->isArray()) {
      for (const JsonValue& odd : flags->items) {
        const std::optional<int> cell = cellOf(odd, false);
        if (!cell || odd.items.size() != 3 || !odd.items[2].asInt()) {
          return fail("\"com.vexilo\" holds a broken cell kind");
        }
        flags_.emplace_back(*cell, odd.items[2].asInt().value_or(0));
      }
    }
    if (const JsonValue* aside = vexilo.member("aside"); aside && aside->isArray()) {
      for (const JsonValue& clue : aside->items) {
        const JsonValue* direction = clue.isObject() ? clue.member("direction") : nullptr;
        const JsonValue* where = clue.isObject() ? clue.member("cell") : nullptr;
        const JsonValue* text = clue.isObject() ? clue.member("clue") : nullptr;
        const std::optional<int> cell = where ? cellOf(*where, true) : std::nullopt;
        if (!direction || !direction->isString() || !cell || !text || !text->isString() ||
            (direction->text != "Across" && direction->text != "Down")) {
          return fail("\"com.vexilo\" holds a broken clue set aside");
        }
        aside_.emplace_back(ClueKey{*cell, direction->text == "Across" ? Across : Down},
                            sjis(text->text));
      }
    }
    return true;
  }

  bool readClueLists(const JsonValue& lists, PuzzleClues& clues) {
    if (!lists.isObject()) return fail("\"clues\" is not an object");
    for (const auto& [name, list] : lists.members) {
      const std::string direction = name.substr(0, name.find(':'));
      if (direction != "Across" && direction != "Down") {
        return fail("clues \"" + sjis(name) + "\": Vexilo holds only Across and Down");
      }
      if (!list.isArray()) return fail("clues \"" + sjis(name) + "\" are not a list");
      for (const JsonValue& clue : list.items) {
        if (!readClue(clue, direction == "Across" ? Across : Down, clues)) return false;
      }
    }
    return true;
  }

  bool readClue(const JsonValue& clue, SlotDirection direction, PuzzleClues& clues) {
    std::string number;
    std::string text;
    const JsonValue* cells = nullptr;
    if (clue.isArray() && clue.items.size() >= 2 && clue.items[1].isString()) {
      number = scalarText(clue.items[0]);
      text = clue.items[1].text;
    } else if (clue.isObject()) {
      const JsonValue* n = clue.member("number");
      const JsonValue* t = clue.member("clue");
      if (n) number = scalarText(*n);
      if (t && t->isString()) text = t->text;
      cells = clue.member("cells");
    } else {
      return fail(std::string("a clue of ") + directionName(direction) +
                  " has neither a number nor its cells");
    }
    std::optional<int> cell;
    if (const auto found = labels_.find(number); !number.empty() && found != labels_.end()) {
      cell = found->second;
    } else if (cells && cells->isArray() && !cells->items.empty()) {
      cell = cellOf(cells->items[0], false);
    }
    const std::string named = std::string(directionName(direction)) + " " + sjis(number);
    if (!cell) return fail("clue " + named + " names no cell of the grid");
    const ClueKey key{*cell, direction};
    if (text.empty()) return true;
    if (!clues.textOf(key).empty()) return fail("two clues for " + named);
    clues.setText(key, sjis(text));
    return true;
  }

  const WordListCodec& codec_;
  std::string& error_;
  int width_ = 0, height_ = 0;
  int top_ = 0, left_ = 0;
  std::string block_{Block};
  Numbering numbering_ = Numbering::Sequence;  // as files made elsewhere number their words
  std::vector<std::pair<int, int>> flags_;     // cell and kind from the extension
  std::vector<std::pair<ClueKey, std::string>> aside_;
  std::multimap<std::string, int> labels_;  // a cell's label to the cell
};

}  // namespace

std::string formatIpuz(const PuzzleGrid& grid, const PuzzleClues& clues,
                       const WordListCodec& codec) {
  return formatJson(Writer(grid, clues, codec).document());
}

bool parseIpuz(std::string_view bytes, const WordListCodec& codec, PuzzleGrid& grid,
               PuzzleClues& clues, std::string& error) {
  std::string syntax;
  const std::optional<JsonValue> root = parseJson(bytes, syntax);
  if (!root) {
    error = "not a valid JSON document: " + syntax;
    return false;
  }
  return Reader(codec, error).read(*root, grid, clues);
}

bool looksLikeIpuz(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  const std::size_t first = bytes.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && bytes[first] == '{';
}

}  // namespace vexilo
