#include "app/search_status.h"

namespace vexilo {

namespace {

constexpr const char* DictionaryOrderName =
    "\x8E\xAB\x8F\x91\x8F\x87\x8C\x9F\x8D\xF5";                       // 辞書順検索
constexpr const char* FastName = "\x8D\x82\x91\xAC\x8C\x9F\x8D\xF5";  // 高速検索
constexpr const char* Running = "\x92\x86";                           // 中
constexpr const char* Seconds = " \x95\x62";                          // 秒
constexpr const char* Candidates = "\x8C\xF3\x95\xE2 ";               // 候補
constexpr const char* Decisions = "\x8C\x88\x92\xE8 ";                // 決定
constexpr const char* Backtracks = "\x8C\xE3\x96\xDF\x82\xE8 ";       // 後戻り
constexpr const char* Placed = "\x94\x7A\x92\x75 ";                   // 配置
constexpr const char* Restarts = "\x8D\xC4\x8A\x4A ";                 // 再開
constexpr const char* Nogoods = "\x8A\x77\x8F\x4B ";                  // 学習
constexpr const char* BestSoFar = "\x8D\xC5\x97\xC7 ";                // 最良
constexpr const char* Rank = " \x88\xCA";                             // 位
constexpr const char* Closed = "\x92\x54\x8D\xF5\x8D\xCF\x82\xDD ";   // 探索済み
constexpr const char* RarestWord =
    "\x8D\xC5\x82\xE0\x92\xBF\x82\xB5\x82\xA2\x8C\xEA ";   // 最も珍しい語
constexpr const char* ProvenBest = " (\x8D\xC5\x91\x50)";  // (最善)
// (最善かは未証明)
constexpr const char* NotProven = " (\x8D\xC5\x91\x50\x82\xA9\x82\xCD\x96\xA2\x8F\xD8\x96\xBE)";
// すべて埋まりました
constexpr const char* AllFilled =
    "\x82\xB7\x82\xD7\x82\xC4\x96\x84\x82\xDC\x82\xE8\x82\xDC\x82\xB5\x82\xBD";
constexpr const char* GroupsOf = " \x83\x4F\x83\x8B\x81\x5B\x83\x76\x92\x86 ";  // グループ中
// グループは埋まりません
constexpr const char* GroupsUnfilled =
    " \x83\x4F\x83\x8B\x81\x5B\x83\x76\x82\xCD\x96\x84\x82\xDC\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
constexpr const char* BlockingWords =
    "\x96\x57\x82\xB0\x82\xC4\x82\xA2\x82\xE9\x8C\xEA ";  // 妨げている語
constexpr const char* Stopped = "\x92\x86\x8E\x7E\x82\xB5\x82\xDC\x82\xB5\x82\xBD";  // 中止しました
// ほかに埋められる組み合わせはありません
constexpr const char* NoFurtherFill =
    "\x82\xD9\x82\xA9\x82\xC9\x96\x84\x82\xDF\x82\xE7\x82\xEA\x82\xE9\x91\x67\x82\xDD"
    "\x8D\x87\x82\xED\x82\xB9\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// 大きな辞書では 検索 メニューの 高速検索 が埋め方を見つけます
constexpr const char* FastEngineHint =
    "\x91\xE5\x82\xAB\x82\xC8\x8E\xAB\x8F\x91\x82\xC5\x82\xCD \x8C\x9F\x8D\xF5 "
    "\x83\x81\x83\x6A\x83\x85\x81\x5B\x82\xCC \x8D\x82\x91\xAC\x8C\x9F\x8D\xF5 "
    "\x82\xAA\x96\x84\x82\xDF\x95\xFB\x82\xF0\x8C\xA9\x82\xC2\x82\xAF\x82\xDC\x82\xB7";
constexpr const char* GeneratingName = "\x8E\xA9\x93\xAE\x8D\xEC\x90\xAC";         // 自動作成
constexpr const char* GenerateName = "\x8E\xA9\x93\xAE\x8D\xEC\x90\xAC: ";         // 自動作成:
constexpr const char* LayoutsTried = "\x8E\x8E\x82\xB5\x82\xBD\x94\x7A\x92\x75 ";  // 試した配置
constexpr const char* Seed = "\x83\x56\x81\x5B\x83\x68 ";                          // シード
// 埋まる配置が見つかりませんでした
constexpr const char* NoLayoutFilled =
    "\x96\x84\x82\xDC\x82\xE9\x94\x7A\x92\x75\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8"
    "\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD";
// 辞書に語がありません
constexpr const char* NoWords =
    "\x8E\xAB\x8F\x91\x82\xC9\x8C\xEA\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
constexpr std::int64_t HintAfterMs = 10000;
constexpr const char* Gap = "  ";

// 1234567 as "1,234,567".
std::string grouped(std::uint64_t n) {
  std::string digits = std::to_string(n);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<std::size_t>(at), ",");
  }
  return digits;
}

// Tenths of a second, rounded down: "12.3 秒".
std::string seconds(std::int64_t ms) {
  const std::int64_t tenths = ms < 0 ? 0 : ms / 100;
  return grouped(static_cast<std::uint64_t>(tenths / 10)) + "." + std::to_string(tenths % 10) +
         Seconds;
}

const char* engineName(SearchEngine engine) {
  return engine == SearchEngine::Fast ? FastName : DictionaryOrderName;
}

}  // namespace

std::string progressText(const SearchProgress& progress) {
  const std::string name = progress.generating ? GeneratingName : engineName(progress.engine);
  std::string text = name + Running + Gap + seconds(progress.elapsedMs) + Gap;
  if (progress.engine == SearchEngine::Fast) {
    text +=
        Decisions + grouped(progress.decisions) + Gap + Backtracks + grouped(progress.backtracks);
    text += Gap + std::string(Restarts) + grouped(progress.restarts) + Gap + Nogoods +
            grouped(progress.nogoods);
  } else {
    text += Candidates + grouped(progress.candidatesTested);
  }
  text += Gap + std::string(Placed) + grouped(progress.wordsPlaced);
  if (progress.engine == SearchEngine::Fast && progress.worstRank > 0) {
    text += Gap + std::string(BestSoFar) + grouped(progress.worstRank) + Rank;
  }
  if (progress.engine == SearchEngine::Fast && progress.closedShare >= 0) {
    text += Gap + std::string(Closed) +
            std::to_string(static_cast<int>(progress.closedShare * 100)) + "%";
  }
  if (progress.engine == SearchEngine::DictionaryOrder && progress.elapsedMs >= HintAfterMs) {
    text += Gap + std::string(FastEngineHint);
  }
  return text;
}

std::string outcomeText(const SearchProgress& progress, const SearchOutcome& outcome) {
  std::string text = std::string(engineName(progress.engine)) + ": ";
  switch (outcome.end) {
    case SearchEnd::Filled: text += AllFilled; break;
    case SearchEnd::NoFill:
      text += std::to_string(outcome.groups) + GroupsOf + std::to_string(outcome.unfilledGroups) +
              GroupsUnfilled;
      if (outcome.blockingWords > 0) {
        text += Gap + std::string(BlockingWords) + std::to_string(outcome.blockingWords);
      }
      break;
    case SearchEnd::NoFurtherFill: text += NoFurtherFill; break;
    case SearchEnd::Stopped: text += Stopped; break;
  }
  const bool ranked = outcome.end == SearchEnd::Filled || outcome.end == SearchEnd::Stopped;
  if (progress.engine == SearchEngine::Fast && ranked && progress.worstRank > 0) {
    text += Gap + std::string(RarestWord) + grouped(progress.worstRank) + Rank +
            (progress.proven ? ProvenBest : NotProven);
  }
  return text + Gap + seconds(progress.elapsedMs);
}

std::string generateText(const GenerateOutcome& outcome, std::uint64_t seed,
                         std::int64_t elapsedMs) {
  std::string text = GenerateName;
  if (outcome.longestWord == 0) return text + NoWords;
  text += outcome.filled ? AllFilled : outcome.stopped ? Stopped : NoLayoutFilled;
  text +=
      Gap + std::string(LayoutsTried) + grouped(static_cast<std::uint64_t>(outcome.layoutsTried));
  if (outcome.filled) {
    text += Gap + std::string(RarestWord) + grouped(outcome.worstRank) + Rank +
            (outcome.proven ? ProvenBest : NotProven);
  }
  return text + Gap + Seed + std::to_string(seed) + Gap + seconds(elapsedMs);
}

}  // namespace vexilo
