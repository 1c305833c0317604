#include "support/scripted_platform.h"

namespace vexilo::test {

void RecordingContext::drawSunkenEdge(const Rect& rect) {
  ops_.push_back({DrawOp::SunkenEdge, rect, {}, {}, {}, Font::Letters, {}});
}

void RecordingContext::frameRect(const Rect& rect, Color color) {
  ops_.push_back({DrawOp::Frame, rect, color, {}, {}, Font::Letters, {}});
}

void RecordingContext::fillRect(const Rect& rect, Color color) {
  ops_.push_back({DrawOp::Fill, rect, color, {}, {}, Font::Letters, {}});
}

Size RecordingContext::textExtent(std::string_view text, Font font) {
  const int width = font == Font::Letters ? 10 : 5;
  return {static_cast<int>(text.size()) * width, font == Font::Letters ? 12 : 7};
}

void RecordingContext::drawText(int x, int y, std::string_view text, Font font, Color textColor,
                                Color background) {
  ops_.push_back({DrawOp::Text, {}, textColor, std::string(text), {x, y}, font, background});
}

ScriptedPlatform::ScriptedPlatform() = default;

void ScriptedPlatform::setScrollRange(int barId, int minimum, int maximum, int page) {
  ScrollBar& bar = scrollBars[barId];
  bar.minimum = minimum;
  bar.maximum = maximum;
  bar.page = page;
}

void ScriptedPlatform::setScrollPosition(int barId, int position) {
  ScrollBar& bar = scrollBars[barId];
  bar.position = position;
  bar.positionsSet.push_back(position);
}

void ScriptedPlatform::atPump(int k, std::function<void()> action) {
  pumpActions_.emplace(k, std::move(action));
}

void ScriptedPlatform::pumpMessages() {
  const int k = ++pumps;
  auto [first, last] = pumpActions_.equal_range(k);
  std::vector<std::function<void()>> due;
  for (auto it = first; it != last; ++it) due.push_back(std::move(it->second));
  pumpActions_.erase(first, last);
  for (auto& action : due) action();  // may pump again, nested
}

bool ScriptedPlatform::askYesNo(std::string_view question) {
  boxWaited();
  questions.emplace_back(question);
  if (questionAnswers.empty()) return true;
  const bool yes = questionAnswers.front();
  questionAnswers.pop_front();
  return yes;
}

std::optional<std::string> ScriptedPlatform::askFileName(const FileDialogRequest& request) {
  boxWaited();
  fileRequests.push_back(request);
  if (fileAnswers.empty()) return std::nullopt;
  auto answer = std::move(fileAnswers.front());
  fileAnswers.pop_front();
  return answer;
}

bool ScriptedPlatform::runWordEntry(WordEntryData& data) {
  boxWaited();
  wordEntryOpenedWith.push_back(data.text);
  if (wordEntryAnswers.empty()) return false;
  WordEntryAnswer answer = std::move(wordEntryAnswers.front());
  wordEntryAnswers.pop_front();
  if (!answer.ok) return false;
  data.text = answer.text;
  data.direction = answer.direction;
  return true;
}

std::optional<std::string> ScriptedPlatform::runRegisterWord() {
  boxWaited();
  ++registerDialogs;
  if (registerAnswers.empty()) return std::nullopt;
  auto answer = std::move(registerAnswers.front());
  registerAnswers.pop_front();
  return answer;
}

std::vector<std::string> ScriptedPlatform::runBannedWords(const std::vector<std::string>& words,
                                                          std::string_view path) {
  boxWaited();
  bannedListsShown.push_back(words);
  bannedPathsShown.emplace_back(path);
  if (allowAnswers.empty()) return {};
  std::vector<std::string> answer = std::move(allowAnswers.front());
  allowAnswers.pop_front();
  return answer;
}

bool ScriptedPlatform::runNewPuzzle(NewPuzzleData& data) {
  newPuzzleOpenedWith.push_back(data);
  if (newPuzzleAnswers.empty()) return false;
  const std::optional<NewPuzzleData> answer = std::move(newPuzzleAnswers.front());
  newPuzzleAnswers.pop_front();
  if (!answer) return false;
  data = *answer;
  return true;
}

TrackResult ScriptedPlatform::trackRectangle(const Rect& start, Point pressed) {
  trackRequests.push_back({start, pressed});
  if (trackAnswers.empty()) return {};
  TrackResult answer = trackAnswers.front();
  trackAnswers.pop_front();
  return answer;
}

bool ScriptedPlatform::runPuzzleProperties(PuzzleProperties& properties) {
  if (propertiesAnswers.empty()) return false;
  const std::optional<PuzzleProperties> answer = propertiesAnswers.front();
  propertiesAnswers.pop_front();
  if (!answer) return false;
  properties = *answer;
  return true;
}

}  // namespace vexilo::test
