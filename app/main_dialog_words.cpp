#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/main_dialog.h"
#include "app/result_lines.h"
#include "puzzle/shift_jis.h"
#include "search/alternatives.h"
#include "search/banned_words.h"
#include "ui/cp932_codec.h"

namespace vexilo {

namespace {

constexpr const char* BannedWordsName = "Vexilo.banned-words.txt";
constexpr std::size_t WordsToCheck = 30;  // the checking goes on until so many fit
constexpr auto CheckSlice = std::chrono::milliseconds(15);  // of each dispatch

constexpr const char* Rank = "\x88\xCA";                        // 位
constexpr const char* Unchecked = " \x96\xA2\x8A\x6D\x94\x46";  // 未確認
constexpr const char* Comma = "\x81\x41";                       // 、
// 使わない語にしました:
constexpr const char* BannedText =
    "\x8E\x67\x82\xED\x82\xC8\x82\xA2\x8C\xEA\x82\xC9\x82\xB5\x82\xDC\x82\xB5\x82\xBD: ";
// 使えるようにしました:
constexpr const char* AllowedText =
    "\x8E\x67\x82\xA6\x82\xE9\x82\xE6\x82\xA4\x82\xC9\x82\xB5\x82\xDC\x82\xB5\x82\xBD: ";
// 盤面にある語です。検索で埋め直せます
constexpr const char* InTheGridText =
    "  \x94\xD5\x96\xCA\x82\xC9\x82\xA0\x82\xE9\x8C\xEA\x82\xC5\x82\xB7\x81\x42\x8C\x9F\x8D\xF5"
    "\x82\xC5\x96\x84\x82\xDF\x92\xBC\x82\xB9\x82\xDC\x82\xB7";
// 使わない語を保存できませんでした
constexpr const char* NotSavedText =
    "\x8E\x67\x82\xED\x82\xC8\x82\xA2\x8C\xEA\x82\xF0\x95\xDB\x91\xB6\x82\xC5\x82\xAB\x82\xDC"
    "\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD";
// 使わない語のファイル: 読めない N 行を飛ばしました:
constexpr const char* SkippedText =
    "\x8E\x67\x82\xED\x82\xC8\x82\xA2\x8C\xEA\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B: "
    "\x93\xC7\x82\xDF\x82\xC8\x82\xA2 ";
constexpr const char* SkippedLinesText =
    " \x8D\x73\x82\xF0\x94\xF2\x82\xCE\x82\xB5\x82\xDC\x82\xB5\x82\xBD: ";

const Cp932WordListCodec bansCodec;  // the file is UTF-8

bool sameCells(const PuzzleGrid& a, const PuzzleGrid& b) {
  for (int i = 0; i < CellCount; ++i) {
    const NodeBox& x = a.cellAt(i);
    const NodeBox& y = b.cellAt(i);
    if (x.flag != y.flag || x.mark != y.mark || x.str != y.str) return false;
  }
  return true;
}

// Two or more two-byte letters: a word that a slot could hold.
bool isWordOfLetters(std::string_view word) {
  if (word.size() < 4 || word.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < word.size(); i += 2) {
    if (!isLeadByte(word[i]) || !isTrailByte(static_cast<unsigned char>(word[i + 1]))) {
      return false;
    }
  }
  return true;
}

std::string wordIn(const PuzzleGrid& grid, const WordSlot& slot) {
  std::string word;
  for (int p = 0; p < slot.length; ++p) word += grid.cellAt(slotCell(slot, p)).str;
  return word;
}

}  // namespace

std::string MainDialog::bannedWordsPath() {
  const std::string folder = settings.folder();
  return folder.empty() ? std::string() : folder + "/" + BannedWordsName;
}

int MainDialog::restoreBannedWords() {
  const std::string path = bannedWordsPath();
  if (path.empty()) return 0;
  std::optional<BannedWordsRead> read = readBannedWords(path, bansCodec);
  std::error_code error;
  if (!read) {
    // One that is there yet cannot be read is never written over.
    bansUnreadable = std::filesystem::exists(path, error);
    return 0;
  }
  bannedWords = std::move(read->words);
  if (read->skippedLines > 0) {
    // The next change writes the words alone: the lines as the author wrote them stay beside.
    std::filesystem::copy_file(path, path + ".bak",
                               std::filesystem::copy_options::overwrite_existing, error);
  }
  return read->skippedLines;
}

void MainDialog::tellSkippedBans(int lines) {
  showStatus(SkippedText + std::to_string(lines) + SkippedLinesText, bannedWordsPath());
}

void MainDialog::setBannedWords(const std::vector<std::string>& words) {
  // Changed in place, so that the engines' count of changes goes on rising.
  for (const std::string& word : std::vector<std::string>(bannedWords.words())) {
    bannedWords.remove(word);
  }
  for (const std::string& word : words) bannedWords.add(word);
  slots.markStale();  // no search goes on from a fill that may hold a banned word
  const std::string path = bannedWordsPath();
  if (path.empty()) return;
  std::error_code error;
  std::filesystem::create_directories(settings.folder(), error);
  if (!bansUnreadable && writeBannedWords(path, bannedWords, bansCodec)) return;
  platform.showMessage(NotSavedText);
  showStatus(std::string(NotSavedText) + ": ", path);
}

void MainDialog::BanWord() {
  if (searchState != SearchIdle) return;
  pullControls();
  const std::string word(wordOfLine(lineOf(resultText, platform.currentLine(IdResult))));
  if (!isWordOfLetters(word) || bannedWords.contains(word)) return;
  std::vector<std::string> words = bannedWords.words();
  words.push_back(word);
  setBannedWords(words);
  std::string told = BannedText + word;
  for (int s = 0; s < slots.slotCount; ++s) {
    if (bannedWords.contains(wordIn(grid, slots.slots[static_cast<std::size_t>(s)]))) {
      told += InTheGridText;
      break;
    }
  }
  relistWords();
  showStatus(told, {});
  recordStep(false);
  keepSearchView();
}

void MainDialog::ShowBannedWords() {
  if (searchState != SearchIdle) return;
  pullControls();
  const std::vector<std::string> allowed =
      platform.runBannedWords(bannedWords.words(), bannedWordsPath());
  std::vector<std::string> words = bannedWords.words();
  std::string told;
  for (const std::string& word : allowed) {
    const auto found = std::find(words.begin(), words.end(), word);
    if (found == words.end()) continue;
    words.erase(found);
    told += (told.empty() ? AllowedText : Comma) + word;
  }
  if (told.empty()) return;
  setBannedWords(words);
  relistWords();
  showStatus(told, {});
  recordStep(false);
  keepSearchView();
}

bool MainDialog::fillIsLive() {
  if (!fastFillGrid || !sameCells(*fastFillGrid, grid)) return false;
  // A fill of some slots only (a region, say) gives no list: the rest is not the engine's.
  const std::vector<int>& fill = fastFill.lastFill();
  if (fill.size() != static_cast<std::size_t>(slots.slotCount) ||
      std::any_of(fill.begin(), fill.end(), [](int word) { return word < 0; })) {
    return false;
  }
  if (bannedWords.empty()) return true;
  for (int s = 0; s < slots.slotCount; ++s) {
    if (bannedWords.contains(wordIn(grid, slots.slots[static_cast<std::size_t>(s)]))) {
      return false;
    }
  }
  return true;
}

void MainDialog::listAlternatives(int k) {
  const std::vector<std::string>& engineList = slots.slots[static_cast<std::size_t>(k)].candidates;
  knownToFit = std::unordered_set<std::string>(engineList.begin(), engineList.end());
  alternatives = std::make_unique<AlternativeList>(fastFill, grid, slots, k, &bannedWords,
                                                   AlternativeCheck::AnyFill);
  resultText = alternativeLines(true);
  platform.setTimer(IdWordChecks, 0);
}

std::string MainDialog::alternativeLines(bool checksHold) {
  std::string text;
  int listed = 0;
  for (const Alternative& entry : alternatives->words()) {
    if (entry.state == Alternative::State::NoFill || bannedWords.contains(entry.word)) continue;
    text += entry.word + ' ' + std::to_string(entry.rank) + Rank;
    const bool fits = entry.state == Alternative::State::Fits || knownToFit.contains(entry.word);
    if (!(checksHold && fits)) text += Unchecked;
    text += "\r\n";
    if (++listed == ListedWords) {
      text += TooMany;
      break;
    }
  }
  return text;
}

void MainDialog::checkAlternatives() {
  if (searchState != SearchIdle) return;
  if (!alternatives || !fillIsLive()) {
    stopAlternatives();
    return;
  }
  alternatives->checkMore(std::chrono::steady_clock::now() + CheckSlice);
  if (alternatives->done() || alternatives->fitting() >= WordsToCheck) stopAlternatives();
  const std::string lines = alternativeLines(true);
  if (lines == resultText) return;
  resultText = lines;
  platform.refreshControlText(IdResult, resultText);
}

void MainDialog::stopAlternatives() { platform.killTimer(IdWordChecks); }

bool MainDialog::isUncheckedWord(std::string_view word) {
  if (!alternatives || !fillIsLive()) return false;
  const std::vector<Alternative>& words = alternatives->words();
  const auto entry = std::find_if(words.begin(), words.end(),
                                  [word](const Alternative& a) { return a.word == word; });
  return entry != words.end() && entry->state == Alternative::State::Unchecked &&
         !knownToFit.contains(entry->word);
}

void MainDialog::relistWords() {
  if (!slots.holds(slots.currentSlot)) return;
  stopAlternatives();
  if (fillIsLive()) {
    listAlternatives(slots.currentSlot);
  } else if (alternatives) {
    resultText = alternativeLines(false);  // checked against what no longer holds
  } else {
    resultText = candidateLines(slots.currentSlot);
  }
  platform.refreshControlText(IdResult, resultText);
}

}  // namespace vexilo
