#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "ui/platform.h"

class QLabel;
class QTableWidget;

namespace vexilo::qt {

// The clue panel beside the grid: the keyword, タテのカギ and ヨコのカギ (label, the word as
// filled, the clue to edit) and the clues whose word is gone. It shows what the dialog gives
// and reports edits and selections; it holds no rules.
class CluePanel final : public QWidget {
 public:
  explicit CluePanel(QWidget* parent);

  std::function<void(ClueKey, std::string_view)> onEdited;  // Shift_JIS
  std::function<void(ClueKey)> onSelected;

  void show(const CluePanelData& data);
  void select(std::optional<ClueKey> key);
  QTableWidget* table(SlotDirection direction) const {
    return direction == Across ? across_ : down_;
  }
  QTableWidget* asideTable() const { return aside_; }

 private:
  void fill(QTableWidget* table, const std::vector<ClueRow>& rows);
  void wire(QTableWidget* table);

  QLabel* keyword_;
  QTableWidget* down_;
  QTableWidget* across_;
  QLabel* asideHeading_;
  QTableWidget* aside_;
  bool updating_ = false;  // filling the tables is no edit of the user's
};

}  // namespace vexilo::qt
