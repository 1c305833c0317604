#include "cli/cli.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>
#include <utility>

#include "app/main_dialog.h"
#include "app/memory_settings_store.h"
#include "cli/grid_text.h"
#include "cli/headless_platform.h"
#include "cli/search_watch.h"
#include "files/atomic_file.h"
#include "files/puzzle_file.h"
#include "files/web_export.h"
#include "puzzle/block_rules.h"
#include "search/alternatives.h"
#include "search/banned_words.h"
#include "ui/cp932_codec.h"

namespace vexilo::cli {

namespace {

constexpr int MaxDictionaries = 3;
constexpr int MaxRuns = 1000000;

// A path the tool reads or writes, named as its message names it.
struct NamedPath {
  std::string what;
  std::string path;
};

struct Options {
  std::vector<std::string> files;
  std::vector<std::string> dictionaries;
  int runs = 1;
  std::optional<std::string> out;
  std::optional<std::string> slots;
  bool stats = false;
  bool fast = false;   // --engine fast
  bool dfs = false;    // --engine dfs
  bool first = false;  // --first
  std::optional<std::string> ban;
  std::optional<CellRectangle> region;
  int threads = 0;  // --threads; 0: one per core
  int slot = -1;    // --slot of alternatives
  int count = 30;   // --count
  int width = 0;    // --size, 0 when not given
  int height = 0;
  Symmetry symmetry = Symmetry::Point;  // --symmetry
  std::uint64_t seed = 1;               // --seed
  bool help = false;
  std::vector<NamedPath> read;
  std::vector<NamedPath> written;
};

enum class PathUse { None, Read, Written };

// The main dialog on the headless platform, started with the window's initial grid.
struct Session {
  Session(std::FILE* out, std::FILE* err)
      : out(out),
        err(err),
        platform(err),
        dialog(std::make_unique<MainDialog>(platform, settings)) {
    dialog->pushControls();
  }

  // Runs a file command on path; false when it failed (and showed why).
  bool fileCommand(const std::string& path, bool (MainDialog::*command)()) {
    platform.answerFileDialog(path);
    return ((*dialog).*command)();
  }

  std::FILE* out;
  std::FILE* err;
  HeadlessPlatform platform;
  MemorySettingsStore settings;  // the user's own store is never touched
  std::unique_ptr<MainDialog> dialog;
};

void printGrid(const PuzzleGrid& grid, std::FILE* out) { std::fputs(gridText(grid).c_str(), out); }

// One line per slot in table order, TAB between fields, UTF-8 words.
std::string slotLines(const SlotTable& table) {
  std::string text;
  for (int i = 0; i < table.slotCount; ++i) {
    const WordSlot& s = table.slots[static_cast<std::size_t>(i)];
    const long long fields[] = {i,
                                s.row,
                                s.column,
                                s.length,
                                s.direction,
                                s.constrained,
                                s.groupState,
                                s.firstChild,
                                s.nextSibling,
                                static_cast<long long>(s.candidates.size())};
    for (std::size_t f = 0; f < std::size(fields); ++f) {
      if (f > 0) text += '\t';
      text += std::to_string(fields[f]);
    }
    for (const std::string& word : s.candidates) text += '\t' + cp932ToUtf8(word);
    text += '\n';
  }
  return text;
}

int groupCount(const SlotTable& table) {
  int groups = 0;
  for (int i = 0; i < table.slotCount; ++i) {
    if (table.slots[static_cast<std::size_t>(i)].groupState & GroupRoot) ++groups;
  }
  return groups;
}

int runShow(const Options& options, Session& session) {
  if (!session.fileCommand(options.files[0], &MainDialog::OpenCrosswordFile)) return ExitFailed;
  printGrid(session.dialog->grid, session.out);
  return ExitOk;
}

int runExport(const Options& options, Session& session) {
  if (!session.fileCommand(options.files[0], &MainDialog::OpenCrosswordFile)) return ExitFailed;
  const std::string& output = options.files[1];
  const std::string extension = fileExtension(output);
  const bool pdf = extension.size() == 3 && (extension[0] | 0x20) == 'p' &&
                   (extension[1] | 0x20) == 'd' && (extension[2] | 0x20) == 'f';
  const auto command = isIpuzPath(output) ? &MainDialog::SaveCrosswordFile
                       : pdf              ? &MainDialog::ExportPdf
                                          : &MainDialog::ExportPuzzleHtml;
  return session.fileCommand(output, command) ? ExitOk : ExitFailed;
}

// How the fast engine's last fill stands: "worst rank 1,234 (proven best)".
std::string rankLine(const FastFill& engine, bool firstOnly, SearchEnd outcome) {
  const FastProgress& progress = engine.progress();
  if (progress.worstRank == 0) return outcome == SearchEnd::Stopped ? "no fill found" : "no fill";
  return "worst rank " + std::to_string(progress.worstRank) +
         (firstOnly         ? " (first fill)"
          : progress.proven ? " (proven best)"
                            : " (not proven best)");
}

// The fast engine's end: "no fill:" and the blocking slots, its figures, exit 3 without a fill.
int finishFastSearch(const MainDialog& dialog, std::FILE* err, bool stats, bool firstOnly,
                     double seconds, int status) {
  const SearchEnd outcome = dialog.fastOutcome.value_or(SearchEnd::Stopped);
  if (outcome == SearchEnd::NoFill) {
    std::fputs("no fill: no words fill the grid; the slots that block it:\n", err);
    for (const BlockingSlot& blocking : dialog.fastFill.blocking()) {
      const WordSlot& slot = dialog.slots.slots[static_cast<std::size_t>(blocking.slot)];
      std::fprintf(err, "%s\n",
                   cp932ToUtf8(blockingSlotLine(dialog.grid, slot, blocking.candidates)).c_str());
    }
  } else if (outcome == SearchEnd::NoFurtherFill) {
    std::fputs("no fill: every fill has been shown since the search started afresh\n", err);
  }
  if (stats) {
    const FastProgress& progress = dialog.fastFill.progress();
    std::fprintf(err,
                 "slots %d, decisions %llu, backtracks %llu, restarts %llu, nogoods %llu, %s, "
                 "seconds %.3f\n",
                 dialog.slots.slotCount, static_cast<unsigned long long>(dialog.decisions),
                 static_cast<unsigned long long>(dialog.backtracks),
                 static_cast<unsigned long long>(progress.restarts),
                 static_cast<unsigned long long>(progress.nogoods),
                 rankLine(dialog.fastFill, firstOnly, outcome).c_str(), seconds);
  }
  if (status != ExitOk) return status;
  return outcome == SearchEnd::Filled ? ExitOk : ExitNoFill;
}

// The --dic files in rows 1 to 3 of the dictionary panel, the other rows empty.
void nameDictionaries(const Options& options, Session& session) {
  constexpr int pathIds[MaxDictionaries] = {IdDicPath1, IdDicPath2, IdDicPath3};
  constexpr int enabledIds[MaxDictionaries] = {IdEnabled1, IdEnabled2, IdEnabled3};
  for (std::size_t row = 0; row < MaxDictionaries; ++row) {
    const bool given = row < options.dictionaries.size();
    session.platform.setControlText(pathIds[row], given ? options.dictionaries[row] : "");
    session.platform.setChecked(enabledIds[row], given);
  }
}

// Opens the puzzle, names the dictionaries and reads the banned words: false, with the
// message shown, when the puzzle or the list cannot be read.
bool prepareSearch(const Options& options, Session& session) {
  if (!session.fileCommand(options.files[0], &MainDialog::OpenCrosswordFile)) return false;
  MainDialog& dialog = *session.dialog;
  if (options.fast) dialog.OnCommand(IdSearchFast);
  dialog.fastFill.settings.firstOnly = options.first;
  dialog.fastFill.settings.threads = options.threads;  // 0: one per core, the window's default
  nameDictionaries(options, session);
  if (options.ban) {
    const Cp932WordListCodec codec;
    std::optional<BannedWordsRead> banned = readBannedWords(*options.ban, codec);
    if (!banned) {
      std::fprintf(session.err, "vexilo-cli: cannot read the banned words %s\n",
                   options.ban->c_str());
      return false;
    }
    dialog.bannedWords = std::move(banned->words);
  }
  return true;
}

int runSearch(const Options& options, Session& session) {
  if (!prepareSearch(options, session)) return ExitFailed;
  MainDialog& dialog = *session.dialog;
  SearchWatch watch(
      dialog, session.err,
      options.stats ? SearchWatch::Progress::Always : SearchWatch::Progress::OnATerminal);
  session.platform.pumpHook = [&watch] { watch.onPump(); };
  const auto start = std::chrono::steady_clock::now();
  if (options.region) dialog.selectCells(*options.region);
  for (int run = 0; run < options.runs && !watch.interrupted(); ++run) {
    if (options.region) {
      dialog.SearchRegion();
    } else {
      dialog.RunSearch();
    }
  }
  session.platform.pumpHook = nullptr;
  watch.finish();
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;

  int status = ExitOk;
  if (options.out && !session.fileCommand(*options.out, &MainDialog::SaveCrosswordFile)) {
    status = ExitFailed;
  }
  if (options.slots && !writeFileAtomically(*options.slots, slotLines(dialog.slots))) {
    std::fprintf(session.err, "vexilo-cli: cannot write %s\n", options.slots->c_str());
    status = ExitFailed;
  }
  printGrid(dialog.grid, session.out);
  if (options.fast) {
    return finishFastSearch(dialog, session.err, options.stats, options.first, seconds.count(),
                            watch.interrupted() ? ExitInterrupted : status);
  }
  if (options.stats) {
    std::fprintf(session.err,
                 "slots %d, groups %d, candidates tested %llu, words placed %llu, seconds %.3f\n",
                 dialog.slots.slotCount, groupCount(dialog.slots),
                 static_cast<unsigned long long>(dialog.candidatesTested),
                 static_cast<unsigned long long>(dialog.wordsPlaced), seconds.count());
  }
  if (status == ExitOk && watch.interrupted()) status = ExitInterrupted;
  return status;
}

// The best fill, then the words slot N can take in some fill: one a line, its rank and the worst
// rank of the best fill that takes it, the word standing there first.
int runAlternatives(const Options& options, Session& session) {
  Options fast = options;
  fast.fast = true;
  if (!prepareSearch(fast, session)) return ExitFailed;
  MainDialog& dialog = *session.dialog;
  SearchWatch watch(dialog, session.err, SearchWatch::Progress::OnATerminal);
  session.platform.pumpHook = [&watch] { watch.onPump(); };
  dialog.RunSearch();
  session.platform.pumpHook = nullptr;
  watch.finish();
  if (watch.interrupted()) return ExitInterrupted;
  if (!dialog.slots.holds(options.slot)) {
    std::fprintf(session.err, "vexilo-cli: the grid has no slot %d (it has %d)\n", options.slot,
                 dialog.slots.slotCount);
    return ExitUsage;
  }
  if (dialog.fastOutcome != SearchEnd::Filled) {
    return finishFastSearch(dialog, session.err, false, false, 0, ExitOk);
  }
  AlternativeList list(dialog.fastFill, dialog.grid, dialog.slots, options.slot,
                       &dialog.bannedWords);
  list.checkUntil(static_cast<std::size_t>(options.count), dialog.fastFill.threadCount());
  for (const Alternative& entry : list.words()) {
    if (entry.state != Alternative::State::Fits) continue;
    std::fprintf(session.out, "%s\t%u\t%u\n", cp932ToUtf8(entry.word).c_str(), entry.rank,
                 entry.worstRank);
  }
  return ExitOk;
}

// The rule names of check, in BlockRule order.
constexpr std::string_view RuleNames[BlockRuleCount] = {
    "adjacent-black", "black-corner", "split-white", "closed-white", "single-white"};

int runNew(const Options& options, Session& session) {
  session.dialog->MakeNewPuzzle(options.width, options.height);
  return session.fileCommand(*options.out, &MainDialog::SaveCrosswordFile) ? ExitOk : ExitFailed;
}

// Lays out and fills a grid; writes it only when it filled. One line on standard error tells
// how many layouts were tried and how rare the fill's words are.
int runGenerate(const Options& options, Session& session) {
  MainDialog& dialog = *session.dialog;
  dialog.OnCommand(IdSearchFast);  // for the progress line
  nameDictionaries(options, session);
  GenerateRequest request;
  request.width = options.width;
  request.height = options.height;
  request.symmetry = options.symmetry;
  request.seed = options.seed;
  SearchWatch watch(dialog, session.err, SearchWatch::Progress::OnATerminal);
  session.platform.pumpHook = [&watch] { watch.onPump(); };
  const GenerateOutcome outcome = dialog.GenerateGrid(request);
  session.platform.pumpHook = nullptr;
  watch.finish();
  if (outcome.longestWord == 0) {
    std::fputs("vexilo-cli: the dictionaries hold no words to fill a grid with\n", session.err);
    return ExitFailed;
  }
  if (watch.interrupted()) return ExitInterrupted;
  if (!outcome.filled) {
    std::fprintf(session.err, "no fill: none of the %d layouts tried could be filled\n",
                 outcome.layoutsTried);
    return ExitNoFill;
  }
  std::fprintf(session.err, "layouts tried %d, worst rank %u (%s), median rank %u\n",
               outcome.layoutsTried, outcome.worstRank,
               outcome.proven ? "proven best" : "not proven best", outcome.medianRank);
  printGrid(dialog.grid, session.out);
  return session.fileCommand(*options.out, &MainDialog::SaveCrosswordFile) ? ExitOk : ExitFailed;
}

// One line per violation: the rule, the row and the column counted from 1.
int runCheck(const Options& options, Session& session) {
  if (!session.fileCommand(options.files[0], &MainDialog::OpenCrosswordFile)) return ExitFailed;
  const RuleCheck check = checkBlockRules(session.dialog->grid);
  for (const RuleViolation& v : check.violations) {
    const std::string_view name = RuleNames[static_cast<int>(v.rule)];
    std::fprintf(session.out, "%.*s %d %d\n", static_cast<int>(name.size()), name.data(),
                 PuzzleGrid::rowOf(v.cell) + 1, PuzzleGrid::columnOf(v.cell) + 1);
  }
  return check.holds() ? ExitOk : ExitRuleBroken;
}

using Complaint = std::optional<std::string>;  // why an argument is wrong, if it is

std::optional<int> parseRuns(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > MaxRuns) {
    return std::nullopt;
  }
  return value;
}

// A whole number from 0 up to a million.
std::optional<int> parseCount(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > MaxRuns) {
    return std::nullopt;
  }
  return value;
}

// A side of --size, from 2 to 32.
std::optional<int> parseSide(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < MinPuzzleSide ||
      value > MaxPuzzleSide) {
    return std::nullopt;
  }
  return value;
}

constexpr const char* RegionEngine = "--region fills with the fast search, not --engine dfs";

// The rectangle of --region: two corners, rows and columns counted from 1, in any order.
std::optional<CellRectangle> parseRegion(std::string_view text) {
  int values[4] = {};
  const char* at = text.data();
  const char* end = text.data() + text.size();
  for (int k = 0; k < 4; ++k) {
    if (k > 0 && (at == end || *at++ != ',')) return std::nullopt;
    const auto [next, error] = std::from_chars(at, end, values[k]);
    if (error != std::errc() || values[k] < 1 || values[k] > GridSize) return std::nullopt;
    at = next;
  }
  if (at != end) return std::nullopt;
  return CellRectangle{std::min(values[0], values[2]) - 1, std::min(values[1], values[3]) - 1,
                       std::max(values[0], values[2]), std::max(values[1], values[3])};
}

// An option: the table below drives the parsing, the usage lines and the help.
struct Option {
  std::string_view name;
  std::string_view value;  // as the usage shows it; empty for an option without a value
  bool repeatable;
  PathUse use;
  std::string_view help;
  Complaint (*take)(Options&, const std::string& value);
  bool required = false;  // shown without brackets
};

const Option SearchOptions[] = {
    {"--dic", "FILE", true, PathUse::Read,
     "a dictionary, rows 1 to 3 in the order given (at most three)",
     [](Options& o, const std::string& value) -> Complaint {
       if (o.dictionaries.size() == MaxDictionaries) return "at most three --dic files";
       o.dictionaries.push_back(value);
       return std::nullopt;
     }},
    {"--engine", "dfs|fast", false, PathUse::None,
     "dfs: the search in dictionary order (the default); fast: the fast search",
     [](Options& o, const std::string& value) -> Complaint {
       if (value != "fast" && value != "dfs") return "--engine takes dfs or fast";
       o.fast = value == "fast";
       o.dfs = value == "dfs";
       if (o.dfs && o.region) return RegionEngine;
       return std::nullopt;
     }},
    {"--region", "R1,C1,R2,C2", false, PathUse::None,
     "fills only the words with a cell from row R1, column C1 to row R2, column C2 (from 1), "
     "keeping every letter outside, with the fast search",
     [](Options& o, const std::string& value) -> Complaint {
       o.region = parseRegion(value);
       if (!o.region) return "--region takes R1,C1,R2,C2, each from 1 to 32";
       if (o.dfs) return RegionEngine;
       o.fast = true;
       return std::nullopt;
     }},
    {"--runs", "N", false, PathUse::None, "presses Search N times in a row (default 1)",
     [](Options& o, const std::string& value) -> Complaint {
       const std::optional<int> runs = parseRuns(value);
       if (!runs) return "--runs takes a whole number from 1 to 1000000";
       o.runs = *runs;
       return std::nullopt;
     }},
    {"--out", "RESULT.crs", false, PathUse::Written,
     "writes the grid after the last run as a crossword file",
     [](Options& o, const std::string& value) -> Complaint {
       o.out = value;
       return std::nullopt;
     }},
    {"--slots", "SLOTS.tsv", false, PathUse::Written,
     "writes the word slots and their candidates after the last run",
     [](Options& o, const std::string& value) -> Complaint {
       o.slots = value;
       return std::nullopt;
     }},
    {"--stats", "", false, PathUse::None,
     "shows progress and a closing line of figures on standard error",
     [](Options& o, const std::string&) -> Complaint {
       o.stats = true;
       return std::nullopt;
     }},
    {"--first", "", false, PathUse::None, "the fast search stops at its first fill",
     [](Options& o, const std::string&) -> Complaint {
       o.first = true;
       return std::nullopt;
     }},
    {"--ban", "FILE", false, PathUse::Read, "words neither search uses (UTF-8, one a line)",
     [](Options& o, const std::string& value) -> Complaint {
       o.ban = value;
       return std::nullopt;
     }},
    {"--threads", "N", false, PathUse::None, "threads of the fast search (default: one per core)",
     [](Options& o, const std::string& value) -> Complaint {
       const std::optional<int> threads = parseCount(value);
       if (!threads || *threads == 0 || *threads > 256) return "--threads takes 1 to 256";
       o.threads = *threads;
       return std::nullopt;
     }},
};

const Option AlternativesOptions[] = {
    {"--slot", "N", false, PathUse::None, "the slot, numbered as --slots lists them from 0",
     [](Options& o, const std::string& value) -> Complaint {
       const std::optional<int> slot = parseCount(value);
       if (!slot) return "--slot takes a whole number from 0";
       o.slot = *slot;
       return std::nullopt;
     },
     true},
    SearchOptions[0],
    {"--count", "K", false, PathUse::None, "how many fitting words to check (default 30)",
     [](Options& o, const std::string& value) -> Complaint {
       const std::optional<int> count = parseCount(value);
       if (!count || *count == 0) return "--count takes a whole number from 1";
       o.count = *count;
       return std::nullopt;
     }},
    SearchOptions[7],
    SearchOptions[8],
    SearchOptions[9],
};

const Option NewOptions[] = {
    {"--size", "WxH", false, PathUse::None, "the width and height, each from 2 to 32",
     [](Options& o, const std::string& value) -> Complaint {
       const std::size_t x = value.find_first_of("xX");
       const std::optional<int> width = parseSide(std::string_view(value).substr(0, x));
       const std::optional<int> height =
           x == std::string::npos ? std::nullopt : parseSide(std::string_view(value).substr(x + 1));
       if (!width || !height) return "--size takes WxH, each side from 2 to 32";
       o.width = *width;
       o.height = *height;
       return std::nullopt;
     },
     true},
    {"--out", "P.crs", false, PathUse::Written, "the crossword file written",
     [](Options& o, const std::string& value) -> Complaint {
       o.out = value;
       return std::nullopt;
     },
     true},
};

const Option GenerateOptions[] = {
    NewOptions[0],
    {"--symmetry", "point|none", false, PathUse::None,
     "point: black cells in pairs about the centre (the default); none: anywhere",
     [](Options& o, const std::string& value) -> Complaint {
       if (value != "point" && value != "none") return "--symmetry takes point or none";
       o.symmetry = value == "point" ? Symmetry::Point : Symmetry::None;
       return std::nullopt;
     }},
    {"--seed", "N", false, PathUse::None,
     "the same seed, size and words make the same grid (default 1)",
     [](Options& o, const std::string& value) -> Complaint {
       const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), o.seed);
       if (error != std::errc() || end != value.data() + value.size()) {
         return "--seed takes a whole number from 0";
       }
       return std::nullopt;
     }},
    SearchOptions[0],
    NewOptions[1],
};

// A positional argument.
struct Argument {
  std::string_view shown;
  std::string_view what;  // in messages
  PathUse use;
};

constexpr Argument Puzzle{"PUZZLE", "the puzzle", PathUse::Read};  // .crs or .ipuz, by content
constexpr Argument PuzzleOnly[] = {Puzzle};
constexpr Argument PuzzleAndOutput[] = {Puzzle, {"OUT", "the output", PathUse::Written}};

struct Subcommand {
  std::string_view name;
  std::span<const Argument> files;
  std::string_view note;  // after the usage line
  std::string_view help;
  std::span<const Option> options;
  int (*run)(const Options&, Session&);
};

const Subcommand Subcommands[] = {
    {"search", PuzzleOnly, "", "fills the puzzle's grid from the dictionaries and prints it",
     SearchOptions, runSearch},
    {"export",
     PuzzleAndOutput,
     "(by OUT's ending: .ipuz, .pdf, .php for the PHP page, else the HTML page)",
     "writes the puzzle as an ipuz file, a PDF or a web page",
     {},
     runExport},
    {"show", PuzzleOnly, "", "prints the puzzle's grid", {}, runShow},
    {"alternatives", PuzzleOnly, "",
     "the words a slot can take in some fill of the fast search, with the best worst rank",
     AlternativesOptions, runAlternatives},
    {"new", {}, "", "writes an empty grid of open cells", NewOptions, runNew},
    {"generate",
     {},
     "",
     "lays out black cells and fills the grid from the dictionaries",
     GenerateOptions,
     runGenerate},
    {"check",
     PuzzleOnly,
     "",
     "prints each place where the grid breaks a block rule (exit 4 if any)",
     {},
     runCheck},
};

constexpr std::string_view HelpNames[] = {"help", "-h", "--help"};
constexpr std::string_view VersionName = "--version";

bool isHelp(std::string_view arg) {
  return std::ranges::find(HelpNames, arg) != std::end(HelpNames);
}

std::string optionShown(const Option& option) {
  std::string shown(option.name);
  if (!option.value.empty()) shown += ' ' + std::string(option.value);
  return shown;
}

std::string usageLine(const Subcommand& sub) {
  std::string line = "vexilo-cli " + std::string(sub.name);
  for (const Argument& file : sub.files) line += ' ' + std::string(file.shown);
  for (const Option& option : sub.options) {
    line += option.required ? " " + optionShown(option) : " [" + optionShown(option) + ']';
    if (option.repeatable) line += "...";
  }
  if (!sub.note.empty()) line += "  " + std::string(sub.note);
  return line;
}

void printUsage(std::FILE* to, const Subcommand* only) {
  const char* lead = "usage:";
  for (const Subcommand& sub : Subcommands) {
    if (only && only != &sub) continue;
    std::fprintf(to, "%s %s\n", lead, usageLine(sub).c_str());
    lead = "      ";
  }
}

int usageError(std::FILE* err, const std::string& reason, const Subcommand* only) {
  if (!reason.empty()) std::fprintf(err, "vexilo-cli: %s\n", reason.c_str());
  printUsage(err, only);
  return ExitUsage;
}

// The usage, then one line per subcommand and per option.
int printHelp(std::FILE* out) {
  printUsage(out, nullptr);
  std::fputs("       vexilo-cli --help | --version\n", out);
  using Section = std::pair<std::string, std::vector<std::pair<std::string, std::string_view>>>;
  std::vector<Section> sections(1, {"commands", {}});
  for (const Subcommand& sub : Subcommands) sections[0].second.emplace_back(sub.name, sub.help);
  for (const Subcommand& sub : Subcommands) {
    if (sub.options.empty()) continue;
    sections.push_back({"options of " + std::string(sub.name), {}});
    for (const Option& option : sub.options) {
      sections.back().second.emplace_back(optionShown(option), option.help);
    }
  }
  sections.push_back({"other options",
                      {{"-h, --help, help", "prints this help"},
                       {std::string(VersionName), "prints the version"}}});
  std::size_t width = 0;
  for (const Section& section : sections) {
    for (const auto& line : section.second) width = std::max(width, line.first.size());
  }
  for (const Section& section : sections) {
    std::fprintf(out, "\n%s:\n", section.first.c_str());
    for (const auto& [left, right] : section.second) {
      std::fprintf(out, "  %-*s  %.*s\n", static_cast<int>(width), left.c_str(),
                   static_cast<int>(right.size()), right.data());
    }
  }
  return ExitOk;
}

// The options of the subcommand, or the reason they are wrong.
Complaint parseOptions(const Subcommand& sub, const std::vector<std::string>& args,
                       Options& options) {
  bool optionsEnd = false;
  std::vector<std::string> files;
  std::vector<std::string_view> given;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
      files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnd = true;
      continue;
    }
    if (isHelp(arg)) {
      options.help = true;
      return std::nullopt;
    }
    const auto option = std::ranges::find(sub.options, std::string_view(arg), &Option::name);
    if (option == sub.options.end()) return "unknown option " + arg;
    std::string value;
    if (!option->value.empty()) {
      if (i + 1 == args.size()) return arg + " needs a value";
      value = args[++i];
    }
    if (Complaint complaint = option->take(options, value)) return complaint;
    given.push_back(option->name);
    if (option->use == PathUse::Read) options.read.push_back({arg, value});
    if (option->use == PathUse::Written) options.written.push_back({arg, value});
  }
  for (const Option& option : sub.options) {
    if (option.required && std::ranges::find(given, option.name) == given.end()) {
      return std::string(option.name) + " is needed";
    }
  }
  if (options.first && !options.fast) return "--first goes with --engine fast";
  if (files.size() != sub.files.size()) {
    if (sub.files.empty()) return "unexpected argument " + files[0];
    return sub.files.size() == 1 ? "expected one puzzle file"
                                 : "expected a puzzle file and an output";
  }
  for (std::size_t f = 0; f < files.size(); ++f) {
    const Argument& file = sub.files[f];
    if (file.use == PathUse::Read) options.read.push_back({std::string(file.what), files[f]});
    if (file.use == PathUse::Written) options.written.push_back({std::string(file.what), files[f]});
  }
  options.files = std::move(files);
  return std::nullopt;
}

// Whether two paths name one file: the same inode when both exist, else the same place once
// symbolic links and dots are resolved.
bool sameFile(const std::string& a, const std::string& b) {
  struct stat statA {};
  struct stat statB {};
  const bool hasA = ::stat(a.c_str(), &statA) == 0;
  const bool hasB = ::stat(b.c_str(), &statB) == 0;
  if (hasA && hasB) return statA.st_dev == statB.st_dev && statA.st_ino == statB.st_ino;
  if (hasA || hasB || a.empty() || b.empty()) return false;
  const auto place = [](const std::string& path) {
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(path, error);
    if (!error) full = std::filesystem::weakly_canonical(full, error);
    return error ? std::filesystem::path() : full;
  };
  const std::filesystem::path placeA = place(a);
  return !placeA.empty() && placeA == place(b);
}

// An output that would replace an input, or another output, is refused before anything runs.
Complaint overwrittenPath(const Options& options) {
  for (std::size_t w = 0; w < options.written.size(); ++w) {
    const NamedPath& output = options.written[w];
    const auto clash = [&](const NamedPath& other) {
      return "vexilo-cli: " + output.what + " " + output.path + " is the same file as " +
             other.what + " " + other.path + "; nothing was written";
    };
    for (const NamedPath& input : options.read) {
      if (sameFile(output.path, input.path)) return clash(input);
    }
    for (std::size_t o = 0; o < w; ++o) {
      if (sameFile(output.path, options.written[o].path)) return clash(options.written[o]);
    }
  }
  return std::nullopt;
}

}  // namespace

int run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  if (args.empty()) return usageError(err, "", nullptr);
  if (isHelp(args[0])) return printHelp(out);
  if (args[0] == VersionName) {
    std::fprintf(out, "vexilo-cli %s\n", VEXILO_VERSION);
    return ExitOk;
  }
  const auto sub = std::ranges::find(Subcommands, std::string_view(args[0]), &Subcommand::name);
  if (sub == std::end(Subcommands)) return usageError(err, "unknown command " + args[0], nullptr);
  Options options;
  if (const Complaint reason = parseOptions(*sub, args, options)) {
    return usageError(err, *reason, &*sub);
  }
  if (options.help) return printHelp(out);
  if (const Complaint clash = overwrittenPath(options)) {
    std::fprintf(err, "%s\n", clash->c_str());
    return ExitUsage;
  }
  Session session(out, err);
  return sub->run(options, session);
}

}  // namespace vexilo::cli
