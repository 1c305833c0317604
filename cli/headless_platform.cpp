#include "cli/headless_platform.h"

#include "ui/cp932_codec.h"
#ifdef VEXILO_PDF
#include "print/puzzle_pages.h"
#endif

namespace vexilo::cli {

namespace {

// Measures as a fixed-pitch face would, so layout code gets sizes it can work with.
class NullContext : public DrawingContext {
 public:
  void drawSunkenEdge(const Rect&) override {}
  void frameRect(const Rect&, Color) override {}
  void fillRect(const Rect&, Color) override {}
  Size textExtent(std::string_view text, Font font) override {
    const int pitch = font == Font::Letters ? 8 : 4;
    return {static_cast<int>(text.size()) * pitch, font == Font::Letters ? 16 : 9};
  }
  void drawText(int, int, std::string_view, Font, Color, Color) override {}
  Color buttonFaceColor() override { return {212, 208, 200}; }
};

}  // namespace

HeadlessPlatform::HeadlessPlatform(std::FILE* messages)
    : messages_(messages), context_(std::make_unique<NullContext>()) {}

HeadlessPlatform::~HeadlessPlatform() = default;

std::string HeadlessPlatform::controlText(int id) {
  const auto found = texts_.find(id);
  return found == texts_.end() ? std::string() : found->second;
}

void HeadlessPlatform::setControlText(int id, std::string_view text) {
  texts_[id] = std::string(text);
}

bool HeadlessPlatform::isChecked(int id) {
  const auto found = checks_.find(id);
  return found != checks_.end() && found->second;
}

void HeadlessPlatform::showMessage(std::string_view text) {
  ++messagesShown_;
  showNotice(text);
}

void HeadlessPlatform::showNotice(std::string_view text) {
  const std::string line = cp932ToUtf8(text) + "\n";
  std::fputs(line.c_str(), messages_);
}

std::optional<std::string> HeadlessPlatform::askFileName(const FileDialogRequest&) {
  if (fileAnswers_.empty()) return std::nullopt;
  std::string path = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return path;
}

bool HeadlessPlatform::writePdf(const std::string& path, const PuzzleGrid& grid,
                                const PuzzleClues& clues, PaperSize paper) {
#ifdef VEXILO_PDF
  return writePuzzlePdf(path, grid, clues, paper);
#else
  (void)path, (void)grid, (void)clues, (void)paper;
  std::fputs("vexilo-cli: this build has no Qt, which PDF needs\n", messages_);
  return false;
#endif
}

}  // namespace vexilo::cli
