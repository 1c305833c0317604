#pragma once

#include <cstdint>
#include <string>

#include "app/puzzle_generator.h"
#include "search/fill_host.h"

namespace vexilo {

// Values of the settings entry Search/Engine.
enum class SearchEngine : int {
  DictionaryOrder = 0,  // the search of the Search button as it always was
  Fast = 1,             // FastFill
};

// The figures of the search that runs or ran last, as the status line shows them. Each engine
// fills in the counters it keeps: candidates tested for the dictionary order; decisions,
// backtracks, restarts, nogoods and the best fill so far for the fast engine; words placed for
// both.
struct SearchProgress {
  SearchEngine engine = SearchEngine::DictionaryOrder;
  bool generating = false;  // 自動作成 runs the fast engine
  std::uint64_t candidatesTested = 0;
  std::uint64_t decisions = 0;
  std::uint64_t backtracks = 0;
  std::uint64_t restarts = 0;
  std::uint64_t nogoods = 0;
  std::uint64_t wordsPlaced = 0;
  std::uint32_t worstRank = 0;  // of the best fill so far: the rank of its rarest word; 0: none
  bool proven = false;          // no fill has a more common rarest word
  double closedShare = -1;      // of the search space, while a proof runs; -1: unknown
  std::int64_t elapsedMs = 0;
};

struct SearchOutcome {
  SearchEnd end = SearchEnd::Filled;
  int unfilledGroups = 0;  // with NoFill: groups left without a word
  int groups = 0;
  int blockingWords = 0;  // with the fast engine's NoFill: the words named as blocking it
};

// Status-line texts, Shift_JIS. A dictionary-order search that has run 10 s also names the
// fast engine.
std::string progressText(const SearchProgress& progress);
std::string outcomeText(const SearchProgress& progress, const SearchOutcome& outcome);
// How 自動作成 ended: filled, stopped or without a fill; the layouts tried, the rarest word's
// rank, the seed and the time.
std::string generateText(const GenerateOutcome& outcome, std::uint64_t seed,
                         std::int64_t elapsedMs);
inline constexpr const char* OpenedText =
    "\x8A\x4A\x82\xAB\x82\xDC\x82\xB5\x82\xBD: ";  // 開きました
inline constexpr const char* SavedText =
    "\x95\xDB\x91\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD: ";  // 保存しました

}  // namespace vexilo
