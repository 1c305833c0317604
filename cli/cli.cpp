#include "cli/cli.h"

#include <charconv>
#include <chrono>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>

#include "app/main_dialog.h"
#include "app/memory_settings_store.h"
#include "cli/grid_text.h"
#include "cli/headless_platform.h"
#include "cli/search_watch.h"
#include "files/atomic_file.h"
#include "ui/cp932_codec.h"

namespace vexilo::cli {

namespace {

constexpr int MaxDictionaries = 3;
constexpr int MaxRuns = 1000000;

struct Options {
  std::vector<std::string> files;
  std::vector<std::string> dictionaries;
  int runs = 1;
  std::optional<std::string> out;
  std::optional<std::string> slots;
  bool stats = false;
};

// The main dialog on the headless platform, started with the window's initial grid.
struct Session {
  Session(std::FILE* out, std::FILE* err)
      : out(out),
        err(err),
        platform(err),
        dialog(std::make_unique<MainDialog>(platform, settings)) {
    dialog->pushControls();
  }

  // Runs a file command on path; false when it showed its failure message.
  template <typename Command>
  bool fileCommand(const std::string& path, Command command) {
    const int before = platform.messagesShown();
    platform.answerFileDialog(path);
    ((*dialog).*command)();
    return platform.messagesShown() == before;
  }

  std::FILE* out;
  std::FILE* err;
  HeadlessPlatform platform;
  MemorySettingsStore settings;  // the user's own store is never touched
  std::unique_ptr<MainDialog> dialog;
};

struct Subcommand {
  std::string_view name;
  std::string_view arguments;  // as shown in the usage line
  std::size_t files;           // positional arguments
  bool searchOptions;
  int (*run)(const Options&, Session&);
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
  return session.fileCommand(options.files[1], &MainDialog::ExportPuzzleHtml) ? ExitOk : ExitFailed;
}

int runSearch(const Options& options, Session& session) {
  if (!session.fileCommand(options.files[0], &MainDialog::OpenCrosswordFile)) return ExitFailed;
  constexpr int pathIds[MaxDictionaries] = {IdDicPath1, IdDicPath2, IdDicPath3};
  constexpr int enabledIds[MaxDictionaries] = {IdEnabled1, IdEnabled2, IdEnabled3};
  for (std::size_t row = 0; row < MaxDictionaries; ++row) {
    const bool given = row < options.dictionaries.size();
    session.platform.setControlText(pathIds[row], given ? options.dictionaries[row] : "");
    session.platform.setChecked(enabledIds[row], given);
  }

  MainDialog& dialog = *session.dialog;
  SearchWatch watch(
      dialog, session.err,
      options.stats ? SearchWatch::Progress::Always : SearchWatch::Progress::AfterASecond);
  session.platform.pumpHook = [&watch] { watch.onPump(); };
  const auto start = std::chrono::steady_clock::now();
  for (int run = 0; run < options.runs && !watch.interrupted(); ++run) dialog.RunSearch();
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

constexpr Subcommand Subcommands[] = {
    {"search",
     "PUZZLE.crs [--dic FILE]... [--runs N] [--out RESULT.crs] [--slots SLOTS.tsv] [--stats]", 1,
     true, runSearch},
    {"export", "PUZZLE.crs PAGE          (PAGE ending in .php gives the PHP form)", 2, false,
     runExport},
    {"show", "PUZZLE.crs", 1, false, runShow},
};

int usageError(std::FILE* err, const std::string& reason, const Subcommand* only) {
  if (!reason.empty()) std::fprintf(err, "vexilo-cli: %s\n", reason.c_str());
  const char* lead = "usage:";
  for (const Subcommand& sub : Subcommands) {
    if (only && only != &sub) continue;
    std::fprintf(err, "%s vexilo-cli %.*s %.*s\n", lead, static_cast<int>(sub.name.size()),
                 sub.name.data(), static_cast<int>(sub.arguments.size()), sub.arguments.data());
    lead = "      ";
  }
  return ExitUsage;
}

std::optional<int> parseRuns(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > MaxRuns) {
    return std::nullopt;
  }
  return value;
}

// The options of the subcommand, or the reason they are wrong.
std::optional<std::string> parseOptions(const Subcommand& sub, const std::vector<std::string>& args,
                                        Options& options) {
  bool optionsEnd = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
      options.files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnd = true;
      continue;
    }
    const bool takesValue = arg == "--dic" || arg == "--runs" || arg == "--out" || arg == "--slots";
    if (!sub.searchOptions || (!takesValue && arg != "--stats")) return "unknown option " + arg;
    if (arg == "--stats") {
      options.stats = true;
      continue;
    }
    if (i + 1 == args.size()) return arg + " needs a value";
    const std::string& value = args[++i];
    if (arg == "--dic") {
      if (options.dictionaries.size() == MaxDictionaries) return "at most three --dic files";
      options.dictionaries.push_back(value);
    } else if (arg == "--runs") {
      const std::optional<int> runs = parseRuns(value);
      if (!runs) return "--runs takes a whole number from 1 to 1000000";
      options.runs = *runs;
    } else if (arg == "--out") {
      options.out = value;
    } else {
      options.slots = value;
    }
  }
  if (options.files.size() != sub.files) {
    return sub.files == 1 ? "expected one crossword file" : "expected a crossword file and a page";
  }
  return std::nullopt;
}

}  // namespace

int run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  if (args.empty()) return usageError(err, "", nullptr);
  const Subcommand* sub = nullptr;
  for (const Subcommand& candidate : Subcommands) {
    if (candidate.name == args[0]) sub = &candidate;
  }
  if (!sub) return usageError(err, "unknown command " + args[0], nullptr);
  Options options;
  if (const std::optional<std::string> reason = parseOptions(*sub, args, options)) {
    return usageError(err, *reason, sub);
  }
  Session session(out, err);
  return sub->run(options, session);
}

}  // namespace vexilo::cli
