#include "ui/qt/clue_panel.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/qt/qt_text.h"

namespace vexilo::qt {

namespace {

constexpr int LabelColumn = 0;
constexpr int WordColumn = 1;
constexpr int TextColumn = 2;
constexpr int KeyRole = Qt::UserRole;  // cell index * 2 + direction, on the label item

int keyValue(ClueKey key) { return key.cell * 2 + key.direction; }
ClueKey keyOf(int value) { return {value / 2, static_cast<SlotDirection>(value % 2)}; }

QTableWidget* makeTable(QWidget* parent) {
  auto* table = new QTableWidget(0, 3, parent);
  table->setHorizontalHeaderLabels({fromSjis("\x94\xD4\x8D\x86"),    // 番号
                                    fromSjis("\x8C\xBE\x97\x74"),    // 言葉
                                    fromSjis("\x83\x4A\x83\x4D")});  // カギ
  table->verticalHeader()->hide();
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->horizontalHeader()->setSectionResizeMode(LabelColumn, QHeaderView::ResizeToContents);
  table->horizontalHeader()->setSectionResizeMode(WordColumn, QHeaderView::ResizeToContents);
  table->horizontalHeader()->setStretchLastSection(true);
  table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
  return table;
}

QLabel* heading(const char* sjis, QWidget* parent) {
  auto* label = new QLabel(fromSjis(sjis), parent);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

}  // namespace

CluePanel::CluePanel(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  keyword_ = new QLabel(this);
  keyword_->setTextFormat(Qt::PlainText);
  layout->addWidget(keyword_);
  layout->addWidget(heading("\x83\x5E\x83\x65\x82\xCC\x83\x4A\x83\x4D", this));  // タテのカギ
  down_ = makeTable(this);
  layout->addWidget(down_, 1);
  layout->addWidget(heading("\x83\x88\x83\x52\x82\xCC\x83\x4A\x83\x4D", this));  // ヨコのカギ
  across_ = makeTable(this);
  layout->addWidget(across_, 1);
  // 使われていないカギ
  asideHeading_ =
      heading("\x8E\x67\x82\xED\x82\xEA\x82\xC4\x82\xA2\x82\xC8\x82\xA2\x83\x4A\x83\x4D", this);
  layout->addWidget(asideHeading_);
  aside_ = makeTable(this);
  layout->addWidget(aside_);
  asideHeading_->hide();
  aside_->hide();
  for (QTableWidget* table : {down_, across_, aside_}) wire(table);
}

void CluePanel::wire(QTableWidget* table) {
  connect(table, &QTableWidget::itemChanged, this, [this, table](QTableWidgetItem* item) {
    if (updating_ || item->column() != TextColumn || !onEdited) return;
    const QTableWidgetItem* label = table->item(item->row(), LabelColumn);
    onEdited(keyOf(label->data(KeyRole).toInt()), toSjis(item->text()));
  });
  connect(table, &QTableWidget::currentCellChanged, this, [this, table](int row) {
    if (updating_ || row < 0 || !onSelected) return;
    for (QTableWidget* other : {down_, across_, aside_}) {
      if (other != table) other->clearSelection();
    }
    onSelected(keyOf(table->item(row, LabelColumn)->data(KeyRole).toInt()));
  });
}

void CluePanel::fill(QTableWidget* table, const std::vector<ClueRow>& rows) {
  const bool sameWords = table->rowCount() == static_cast<int>(rows.size());
  table->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const ClueRow& row = rows[static_cast<std::size_t>(r)];
    const auto set = [&](int column, const std::string& text, bool editable) {
      QTableWidgetItem* item = table->item(r, column);
      if (item == nullptr) {
        item = new QTableWidgetItem;
        table->setItem(r, column, item);
      }
      const QString shown = fromSjis(text);
      // An unchanged text keeps its bytes, also where two codes show as one character.
      if (!sameWords || item->text() != shown) item->setText(shown);
      item->setFlags(editable ? item->flags() | Qt::ItemIsEditable
                              : item->flags() & ~Qt::ItemIsEditable);
    };
    set(LabelColumn, row.label, false);
    table->item(r, LabelColumn)->setData(KeyRole, keyValue(row.key));
    set(WordColumn, row.word, false);
    set(TextColumn, row.text, true);
  }
}

void CluePanel::show(const CluePanelData& data) {
  updating_ = true;
  QString keyword;
  for (std::size_t k = 0; k < data.keyword.size(); ++k) {
    const std::string& letter = data.keyword[k];
    keyword += QStringLiteral("%1[%2] ").arg(k + 1).arg(
        letter.empty() ? fromSjis("\x81\x40") : fromSjis(letter));  // 　 for a letter not known
  }
  keyword_->setText(keyword.isEmpty()
                        ? QString()
                        : fromSjis("\x83\x4C\x81\x5B\x83\x8F\x81\x5B\x83\x68 ") +  // キーワード
                              keyword.trimmed());
  keyword_->setVisible(!keyword.isEmpty());
  fill(down_, data.down);
  fill(across_, data.across);
  fill(aside_, data.aside);
  asideHeading_->setVisible(!data.aside.empty());
  aside_->setVisible(!data.aside.empty());
  updating_ = false;
}

void CluePanel::select(std::optional<ClueKey> key) {
  updating_ = true;
  for (QTableWidget* table : {down_, across_, aside_}) {
    table->clearSelection();
    for (int r = 0; key && r < table->rowCount(); ++r) {
      if (table->item(r, LabelColumn)->data(KeyRole).toInt() != keyValue(*key)) continue;
      table->setCurrentCell(r, TextColumn);
      table->scrollToItem(table->item(r, TextColumn));
    }
  }
  updating_ = false;
}

}  // namespace vexilo::qt
