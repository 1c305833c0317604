#include "ui/qt/qt_platform.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <exception>
#include <functional>
#include <utility>

#include "app/control_ids.h"
#include "app/main_dialog.h"
#include "print/puzzle_pages.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/page_painter.h"
#include "ui/qt/qt_text.h"

namespace vexilo::qt {

namespace {

// Shows a widget's events to a handler first, which returns true for those it took; it lives as
// long as the widget.
class EventHook : public QObject {
 public:
  EventHook(QObject* watched, std::function<bool(const QEvent&)> handler)
      : QObject(watched), handler_(std::move(handler)) {
    watched->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override { return handler_(*event); }

 private:
  std::function<bool(const QEvent&)> handler_;
};

// Ctrl+Z and its kin undo the typing of an edit that has some to undo, and the grid otherwise:
// the edit lets such a key go by, so the menu's shortcut takes it.
bool leavesUndoKeyToMenu(const QEvent& event, bool editCanUndo, bool editCanRedo) {
  if (event.type() != QEvent::ShortcutOverride) return false;
  const auto& key = static_cast<const QKeyEvent&>(event);
  return (key.matches(QKeySequence::Undo) && !editCanUndo) ||
         (key.matches(QKeySequence::Redo) && !editCanRedo);
}

bool isPathControl(int id) { return id == IdDicPath1 || id == IdDicPath2 || id == IdDicPath3; }

// "text|pattern|...||" as Qt name filters; "*.*" means every file, as the user expects.
QStringList nameFilters(std::string_view filter) {
  const QStringList parts = fromSjis(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
    QString text = parts[i];
    QString pattern = parts[i + 1];
    pattern.replace(QStringLiteral("*.*"), QStringLiteral("*"));
    pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
    static const QRegularExpression shown(QStringLiteral("\\(([^()]*)\\)$"));
    if (const QRegularExpressionMatch match = shown.match(text); match.hasMatch()) {
      text.replace(match.capturedStart(1), match.capturedLength(1), pattern);
    } else {
      text += QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    filters << text;
  }
  return filters;
}

QString withDefaultExtension(const QString& path, const std::string& extension) {
  if (extension.empty() || QFileInfo(path).fileName().contains(QLatin1Char('.'))) return path;
  return path + QLatin1Char('.') + fromPath(extension);
}

}  // namespace

// A box opened during a search shows the ordinary pointer, not the search's wait cursor; the
// time it waits is no search's time.
class QtPlatform::ModalBox {
 public:
  explicit ModalBox(QtPlatform& platform)
      : platform_(platform), start_(platform.milliseconds()), pointer_(platform.waitCursors_ > 0) {
    if (pointer_) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~ModalBox() {
    if (pointer_) QApplication::restoreOverrideCursor();
    platform_.modalMs_ += platform_.milliseconds() - start_;
  }
  ModalBox(const ModalBox&) = delete;
  ModalBox& operator=(const ModalBox&) = delete;

 private:
  QtPlatform& platform_;
  std::int64_t start_;
  bool pointer_;
};

QtPlatform::QtPlatform() = default;

QtPlatform::~QtPlatform() { detach(); }

template <class Handler>
void QtPlatform::guarded(Handler&& handler) {
  try {
    handler();
  } catch (const std::exception& failure) {
    QMessageBox::critical(window_.get(), QStringLiteral("Vexilo"),
                          QString::fromLocal8Bit(failure.what()));
  }
}

void QtPlatform::attach(MainDialog& dialog) {
  detach();
  dialog_ = &dialog;
  const DialogTemplate& main = dialogTemplate(MainTemplateId);
  const QFont letters = dialogFont(main.fontPoints);
  QFont numbers;  // the default face
  numbers.setPointSizeF(7.0);
  window_ = std::make_unique<TemplateDialog>(
      main, nullptr, [this, letters, numbers](const ControlTemplate& control, QWidget* parent) {
        if (control.id != IdGridFrame) return static_cast<QWidget*>(nullptr);
        grid_ = new GridWidget(parent, letters, numbers);
        return static_cast<QWidget*>(grid_);
      });
  window_->setWindowIcon(appIcon());
  window_->setModal(true);
  window_->onCommand = [this](int id) { guarded([this, id] { dialog_->OnCommand(id); }); };
  window_->onCancel = [this] { guarded([this] { dialog_->OnCancel(); }); };
  grid_->setEvents(this);
  // The grid has the focus at start: Enter searches and Escape asks before closing, where the
  // first button in tab order, 終了, would have taken Enter and ended the program.
  grid_->setFocusPolicy(Qt::StrongFocus);
  grid_->setFocus(Qt::OtherFocusReason);
  wireScrollBar(IdVerticalBar);
  wireScrollBar(IdHorizontalBar);
  window_->onLaidOut = [this] {
    scaleLetters();
    if (dialog_ != nullptr) guarded([this] { dialog_->OnGridResized(); });
  };
  // Beside the template's controls, in the side area; shown, it widens the window by its width.
  cluePanel_ = new CluePanel(window_->sideArea());
  cluePanel_->setFixedWidth(window_->units().x(190));
  cluePanel_->onEdited = [this](ClueKey key, std::string_view text) {
    guarded([this, key, text] { dialog_->OnClueEdited(key, text); });
  };
  cluePanel_->onSelected = [this](ClueKey key) {
    guarded([this, key] { dialog_->OnClueSelected(key); });
  };
  window_->sideArea()->layout()->addWidget(cluePanel_);
  // Under the template's controls, as wide as the window.
  status_ = new QLabel(window_.get());
  status_->setObjectName(QStringLiteral("statusLine"));
  status_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  status_->setContentsMargins(4, 1, 4, 1);
  status_->setFixedHeight(status_->fontMetrics().height() + 6);
  status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  window_->layout()->addWidget(status_);
  window_->resize(window_->defaultSize());
  if (auto* result = qobject_cast<QPlainTextEdit*>(window_->control(IdResult))) {
    // A word and its rank stay on one line; a narrow box scrolls sideways instead.
    result->setLineWrapMode(QPlainTextEdit::NoWrap);
    // A double click on a listed word locks it into the framed slot.
    new EventHook(result->viewport(), [this, result](const QEvent& event) {
      if (event.type() != QEvent::MouseButtonDblClick) return false;
      const auto& mouse = static_cast<const QMouseEvent&>(event);
      if (mouse.button() != Qt::LeftButton) return false;
      const int line = result->cursorForPosition(mouse.position().toPoint()).blockNumber();
      guarded([this, line] { dialog_->OnResultDoubleClick(line); });
      return true;
    });
    new EventHook(result, [this, result](const QEvent& event) {
      // Delete bans the word of the chosen line: the box lists words, it is no text to edit.
      if (event.type() == QEvent::KeyPress &&
          static_cast<const QKeyEvent&>(event).key() == Qt::Key_Delete &&
          static_cast<const QKeyEvent&>(event).modifiers() == Qt::NoModifier) {
        guarded([this] { dialog_->OnCommand(IdBanWord); });
        return true;
      }
      return leavesUndoKeyToMenu(event, result->document()->isUndoAvailable(),
                                 result->document()->isRedoAvailable());
    });
    // The chosen line, whose word the menu's commands take, stands out.
    QObject::connect(result, &QPlainTextEdit::cursorPositionChanged, result, [result] {
      QTextEdit::ExtraSelection line;
      line.format.setBackground(result->palette().color(QPalette::AlternateBase));
      line.format.setProperty(QTextFormat::FullWidthSelection, true);
      line.cursor = result->textCursor();
      line.cursor.clearSelection();
      result->setExtraSelections({line});
    });
  }
  for (QLineEdit* edit : window_->findChildren<QLineEdit*>()) {
    new EventHook(edit, [edit](const QEvent& event) {
      return leavesUndoKeyToMenu(event, edit->isUndoAvailable(), edit->isRedoAvailable());
    });
  }
  // No access to the window manager's window menu: its About entry joins the Help menu.
  if (QMenu* help = window_->menu(static_cast<int>(mainMenu().size()) - 1)) {
    help->addSeparator();
    QAction* about = help->addAction(fromSjis(systemMenuAboutText()));
    QObject::connect(about, &QAction::triggered, window_.get(),
                     [this] { guarded([this] { dialog_->OnSysCommand(IdAbout); }); });
  }
}

// Cells larger than the template's get larger letters, in quarter steps, so that a window
// dragged wider does not render them anew at every pixel.
void QtPlatform::scaleLetters() {
  const WindowLayout* layout = window_->windowLayout();
  if (layout == nullptr || grid_ == nullptr) return;
  const Rect normal = layout->templateFrame();
  const GridShape shown = window_->shown();
  const double across = static_cast<double>(grid_->width() / shown.columns) /
                        std::max(1, normal.width() / VisibleCells);
  const double down = static_cast<double>(grid_->height() / shown.rows) /
                      std::max(1, normal.height() / VisibleCells);
  grid_->setLetterScale(std::max(1.0, std::floor(std::min(across, down) * 4) / 4));
}

void QtPlatform::detach() {
  waitCursors_ = 0;
  dropWaitCursor();
  restorePosted_ = false;
  timers_.clear();
  status_ = nullptr;
  cluePanel_ = nullptr;
  statusRaw_.clear();
  statusPath_.clear();
  statusPosted_ = false;
  statusShown_.clear();
  grid_ = nullptr;
  window_.reset();
  dialog_ = nullptr;
}

void QtPlatform::wireScrollBar(int barId) {
  auto* bar = qobject_cast<QScrollBar*>(window_->control(barId));
  bar->setContextMenuPolicy(Qt::NoContextMenu);  // its "Scroll here" would pass by the handlers
  const bool vertical = barId == IdVerticalBar;
  const auto scroll = [this, vertical](ScrollCode code, int position) {
    guarded([this, vertical, code, position] {
      if (vertical) {
        dialog_->OnVScroll(code, position);
      } else {
        dialog_->OnHScroll(code, position);
      }
    });
  };
  QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [bar, scroll](int action) {
    switch (action) {
      case QAbstractSlider::SliderSingleStepSub: scroll(ScrollLineUp, 0); break;
      case QAbstractSlider::SliderSingleStepAdd: scroll(ScrollLineDown, 0); break;
      case QAbstractSlider::SliderPageStepSub: scroll(ScrollPageUp, 0); break;
      case QAbstractSlider::SliderPageStepAdd: scroll(ScrollPageDown, 0); break;
      case QAbstractSlider::SliderMove: scroll(ScrollThumbTrack, bar->sliderPosition()); break;
      case QAbstractSlider::SliderToMinimum: scroll(ScrollTop, 0); break;
      case QAbstractSlider::SliderToMaximum: scroll(ScrollBottom, 0); break;
      default: break;
    }
  });
  QObject::connect(bar, &QAbstractSlider::sliderReleased, bar, [bar, scroll] {
    scroll(ScrollThumbPosition, bar->sliderPosition());
    scroll(ScrollEnd, 0);
  });
}

const std::string* QtPlatform::keptBytes(int id, const QString& shown) const {
  const auto kept = shownTexts_.find(id);
  return kept != shownTexts_.end() && kept->second.shown == shown ? &kept->second.bytes : nullptr;
}

std::string QtPlatform::controlText(int id) {
  QWidget* widget = window_ ? window_->control(id) : nullptr;
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    if (const std::string* bytes = keptBytes(id, edit->text())) return *bytes;
    return isPathControl(id) ? toPath(edit->text()) : toSjis(edit->text());
  }
  if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
    if (const std::string* bytes = keptBytes(id, edit->toPlainText())) return *bytes;
    QString text = edit->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));  // an edit's lines end in CR LF
    return toSjis(text);
  }
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return toSjis(button->text());
  return {};
}

void QtPlatform::setControlText(int id, std::string_view text) {
  QWidget* widget = window_ ? window_->control(id) : nullptr;
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    const QString shown = isPathControl(id) ? fromPath(text) : fromSjis(text);
    if (edit->text() != shown) edit->setText(shown);
    shownTexts_[id] = {shown, std::string(text)};
  } else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
    QString shown = fromSjis(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (edit->toPlainText() != shown) edit->setPlainText(shown);
    shownTexts_[id] = {shown, std::string(text)};
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(fromSjis(text));
  }
}

void QtPlatform::refreshControlText(int id, std::string_view text) {
  auto* edit = qobject_cast<QPlainTextEdit*>(window_ ? window_->control(id) : nullptr);
  if (edit == nullptr) {
    setControlText(id, text);
    return;
  }
  // The cursor stays with the entry it was on (a line's first word), or else at its line.
  const QString chosen = edit->textCursor().block().text().section(QLatin1Char(' '), 0, 0);
  int line = edit->textCursor().blockNumber();
  const int scrolled = edit->verticalScrollBar()->value();
  setControlText(id, text);
  for (QTextBlock block = edit->document()->begin(); block.isValid() && !chosen.isEmpty();
       block = block.next()) {
    if (block.text().section(QLatin1Char(' '), 0, 0) == chosen) {
      line = block.blockNumber();
      break;
    }
  }
  line = std::min(line, edit->document()->blockCount() - 1);
  edit->setTextCursor(QTextCursor(edit->document()->findBlockByNumber(line)));
  edit->verticalScrollBar()->setValue(scrolled);
}

int QtPlatform::currentLine(int id) {
  auto* edit = qobject_cast<QPlainTextEdit*>(window_ ? window_->control(id) : nullptr);
  return edit != nullptr ? edit->textCursor().blockNumber() : 0;
}

bool QtPlatform::isChecked(int id) {
  auto* button = qobject_cast<QAbstractButton*>(window_ ? window_->control(id) : nullptr);
  if (button != nullptr) return button->isChecked();
  const QAction* item = window_ ? window_->action(id) : nullptr;  // a radio item of the menu
  return item != nullptr && item->isChecked();
}

void QtPlatform::setChecked(int id, bool checked) {
  if (auto* button = qobject_cast<QAbstractButton*>(window_ ? window_->control(id) : nullptr)) {
    button->setChecked(checked);
  } else if (QAction* item = window_ ? window_->action(id) : nullptr) {
    item->setChecked(checked);
  }
}

void QtPlatform::enableCommand(int id, bool enabled) {
  if (QAction* action = window_ ? window_->action(id) : nullptr) action->setEnabled(enabled);
}

Rect QtPlatform::gridFrameRect() {
  if (grid_ == nullptr) return {};
  const QRect g = grid_->geometry();
  return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

void QtPlatform::invalidate(const Rect& rect, bool erase) {
  if (grid_ != nullptr) grid_->invalidate(rect, erase);
}

DrawingContext& QtPlatform::immediateContext() { return grid_->immediateContext(); }

GridShape QtPlatform::visibleCells() { return window_ ? window_->shown() : GridShape{}; }

void QtPlatform::setScrollRange(int barId, int minimum, int maximum, int page) {
  auto* bar = qobject_cast<QScrollBar*>(window_ ? window_->control(barId) : nullptr);
  if (bar == nullptr) return;
  // A page of the bar covers page positions, so the thumb stops page - 1 short of the end.
  const int last = qMax(minimum, maximum - qMax(page, 1) + 1);
  bar->setRange(minimum, last);
  bar->setPageStep(qMax(page, 1));
  bar->setSingleStep(1);
  bar->setEnabled(last > minimum);  // disabled, not hidden, when nothing can scroll
}

void QtPlatform::setScrollPosition(int barId, int position) {
  auto* bar = qobject_cast<QScrollBar*>(window_ ? window_->control(barId) : nullptr);
  if (bar == nullptr) return;
  bar->setSliderPosition(position);
  bar->setValue(position);
}

void QtPlatform::pumpMessages() {
  if (!pacer_.due()) return;
  QCoreApplication::processEvents();
  pacer_.dispatched();
}

void QtPlatform::beginWaitCursor() {
  ++waitCursors_;
  if (waitShown_) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  waitShown_ = true;
}

// Taken back once the handler has returned to the event loop: searches run one after another
// keep the cursor instead of asking the window system twice each (the restore waits for its
// answer, which cost a short search in the window some 7 %).
void QtPlatform::endWaitCursor() {
  if (waitCursors_ == 0 || --waitCursors_ > 0 || !waitShown_ || restorePosted_) return;
  if (!window_) {
    dropWaitCursor();
    return;
  }
  restorePosted_ = true;
  QMetaObject::invokeMethod(
      window_.get(),
      [this] {
        restorePosted_ = false;
        if (waitCursors_ == 0) dropWaitCursor();
      },
      Qt::QueuedConnection);
}

void QtPlatform::dropWaitCursor() {
  if (!waitShown_) return;
  QApplication::restoreOverrideCursor();
  waitShown_ = false;
}

void QtPlatform::endDialog(int result) {
  if (window_) window_->done(result);
}

void QtPlatform::setTimer(int id, int periodMs) {
  std::unique_ptr<QTimer>& timer = timers_[id];
  if (!timer) {
    timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, timer.get(),
                     [this, id] { guarded([this, id] { dialog_->OnTimer(id); }); });
  }
  timer->start(periodMs);
}

void QtPlatform::killTimer(int id) {
  if (const auto found = timers_.find(id); found != timers_.end()) found->second->stop();
}

std::int64_t QtPlatform::milliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void QtPlatform::showTitle(std::string_view fileName, bool unsaved) {
  if (!window_) return;
  QString title = fromSjis(dialogTemplate(MainTemplateId).caption);
  if (!fileName.empty()) title = fromPath(fileName) + QStringLiteral(" - ") + title;
  if (unsaved) title.prepend(QLatin1Char('*'));
  if (window_->windowTitle() != title) window_->setWindowTitle(title);
}

void QtPlatform::showRecentFiles(const std::vector<std::string>& paths) {
  QMenu* recent = window_ ? window_->submenu(IdRecentFiles) : nullptr;
  if (recent == nullptr) return;
  recent->clear();
  for (std::size_t n = 0; n < paths.size(); ++n) {
    QString shown = fromPath(paths[n]);
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* entry = recent->addAction(QStringLiteral("&%1 %2").arg(n + 1).arg(shown));
    const int id = IdRecentFile1 + static_cast<int>(n);
    QObject::connect(entry, &QAction::triggered, window_.get(),
                     [this, id] { guarded([this, id] { dialog_->OnCommand(id); }); });
  }
  recent->setEnabled(!paths.empty());
}

// Without the side panel, which widens the window by its own width while shown.
Size QtPlatform::windowSize() {
  if (!window_) return {};
  return {window_->width() - window_->sideExtent(), window_->height()};
}

void QtPlatform::resizeWindow(Size size) {
  if (!window_) return;
  QSize wanted(size.width + window_->sideExtent(), size.height);
  if (const QScreen* screen = window_->screen()) {
    wanted = wanted.boundedTo(screen->availableGeometry().size());
  }
  window_->resize(wanted.expandedTo(window_->minimumSizeHint()));
}

// Shown at the next dispatch of events, with whatever came last: a search that ends before
// it shows only how it ended, and laying out the line costs as much as a short search.
void QtPlatform::showStatus(std::string_view text, std::string_view path) {
  statusRaw_ = text;
  statusPath_ = path;
  if (status_ == nullptr || statusPosted_) return;
  statusPosted_ = true;
  QMetaObject::invokeMethod(
      status_,
      [this] {
        statusPosted_ = false;
        if (status_ == nullptr) return;
        // The same line again, as after every short search, is not laid out again.
        std::string shown = statusRaw_ + '\0' + statusPath_;
        if (shown == statusShown_) return;
        statusShown_ = std::move(shown);
        const int room = status_->contentsRect().width() - 2 * status_->margin();
        // A path keeps its both ends; a long text its start.
        status_->setText(status_->fontMetrics().elidedText(
            statusText(), statusPath_.empty() ? Qt::ElideRight : Qt::ElideMiddle, room));
      },
      Qt::QueuedConnection);
}

QString QtPlatform::statusText() const { return fromSjis(statusRaw_) + fromPath(statusPath_); }

void QtPlatform::showMessage(std::string_view text) {
  const ModalBox waiting(*this);
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vexilo"), fromSjis(text), QMessageBox::Ok,
                  window_.get());
  box.exec();
}

bool QtPlatform::askYesNo(std::string_view question) {
  const ModalBox waiting(*this);
  QMessageBox box(QMessageBox::Question, QStringLiteral("Vexilo"), fromSjis(question),
                  QMessageBox::NoButton, window_.get());
  QAbstractButton* yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole);
  box.setDefaultButton(no);  // Enter keeps the work, as Escape does
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

std::optional<std::string> QtPlatform::askFileName(const FileDialogRequest& request) {
  const ModalBox waiting(*this);
  QFileDialog dialog(window_.get());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(!request.save && request.fileMustExist ? QFileDialog::ExistingFile
                                                            : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
  const QStringList filters = nameFilters(request.filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
  }
  dialog.setDefaultSuffix(fromPath(request.defaultExtension));
  if (!request.folder.empty()) dialog.setDirectory(fromPath(request.folder));
  // A type chosen in the list (ipuz, say) gives a typed name without an extension its own.
  QObject::connect(
      &dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &request](const QString& filter) {
        static const QRegularExpression single(QStringLiteral("\\(\\*\\.([A-Za-z0-9]+)\\)$"));
        const QRegularExpressionMatch match = single.match(filter);
        dialog.setDefaultSuffix(match.hasMatch() ? match.captured(1)
                                                 : fromPath(request.defaultExtension));
      });
  if (!request.initialName.empty()) dialog.selectFile(fromPath(request.initialName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return toPath(
      withDefaultExtension(dialog.selectedFiles().first(), toPath(dialog.defaultSuffix())));
}

bool QtPlatform::runWordEntry(WordEntryData& data) {
  const ModalBox waiting(*this);
  TemplateDialog box(dialogTemplate(WordEntryTemplateId), window_.get());
  auto* edit = qobject_cast<QLineEdit*>(box.control(IdEntryText));
  auto* across = qobject_cast<QAbstractButton*>(box.control(IdAcross));
  auto* down = qobject_cast<QAbstractButton*>(box.control(IdDown));
  const QString shown = fromSjis(data.text);
  edit->setText(shown);
  (data.direction == Down ? down : across)->setChecked(true);
  edit->setFocus(Qt::OtherFocusReason);
  if (box.exec() != QDialog::Accepted) return false;
  if (edit->text() != shown) data.text = toSjis(edit->text());  // else the very bytes it showed
  data.direction = down->isChecked() ? Down : Across;
  return true;
}

std::optional<std::string> QtPlatform::runRegisterWord() {
  const ModalBox waiting(*this);
  TemplateDialog box(dialogTemplate(RegisterWordTemplateId), window_.get());
  auto* edit = qobject_cast<QLineEdit*>(box.control(IdEntryText));
  if (box.exec() != QDialog::Accepted) return std::nullopt;
  return toSjis(edit->text());
}

void QtPlatform::runAbout() {
  const ModalBox waiting(*this);
  TemplateDialog box(dialogTemplate(AboutTemplateId), window_.get());
  box.exec();
}

bool QtPlatform::runNewPuzzle(NewPuzzleData& data) {
  const ModalBox waiting(*this);
  TemplateDialog box(dialogTemplate(NewPuzzleTemplateId), window_.get());
  auto* width = qobject_cast<QLineEdit*>(box.control(IdWidthText));
  auto* height = qobject_cast<QLineEdit*>(box.control(IdHeightText));
  width->setText(fromSjis(data.width));
  height->setText(fromSjis(data.height));
  width->selectAll();
  width->setFocus(Qt::OtherFocusReason);
  if (box.exec() != QDialog::Accepted) return false;
  data.width = toSjis(width->text());
  data.height = toSjis(height->text());
  return true;
}

TrackResult QtPlatform::trackRectangle(const Rect& start, Point pressed) {
  return grid_ != nullptr ? grid_->track(start, pressed) : TrackResult{};
}

void QtPlatform::paintGrid(DrawingContext& dc, const Rect& area) {
  guarded([this, &dc, &area] { dialog_->OnPaint(dc, area); });
}

void QtPlatform::leftPressed(Point point) {
  guarded([this, point] { dialog_->OnGridPress(point); });
}

void QtPlatform::rightPressed(Point point) {
  guarded([this, point] { dialog_->OnGridRightPress(point); });
}

void QtPlatform::doubleClicked(Point point) {
  guarded([this, point] { dialog_->OnGridDoubleClick(point); });
}

void QtPlatform::selectionDragged(Point anchor, Point point) {
  guarded([this, anchor, point] { dialog_->OnGridSelect(anchor, point); });
}

void QtPlatform::wheelTurned(int lines, bool columns) {
  guarded([this, lines, columns] { dialog_->OnGridWheel(lines, columns); });
}

void QtPlatform::keyPressed(GridKey key) {
  guarded([this, key] { dialog_->OnGridKey(key); });
}

void QtPlatform::textTyped(const QString& text) {
  guarded([this, &text] { dialog_->OnGridText(toSjis(text)); });
}

void QtPlatform::focusChanged(bool focused) {
  guarded([this, focused] { dialog_->OnGridFocus(focused); });
}

Rect QtPlatform::inputCursor() { return dialog_ != nullptr ? dialog_->cursorRect() : Rect{}; }

void QtPlatform::showClues(const CluePanelData& data) {
  if (cluePanel_ != nullptr) cluePanel_->show(data);
}

void QtPlatform::selectClue(std::optional<ClueKey> key) {
  if (cluePanel_ != nullptr) cluePanel_->select(key);
}

void QtPlatform::showCluePanel(bool shown) {
  if (cluePanel_ == nullptr || window_->sideArea()->isVisibleTo(window_.get()) == shown) return;
  const Size size = windowSize();
  cluePanel_->setVisible(shown);
  window_->sideArea()->setVisible(shown);
  if (!window_->isMaximized() && !window_->isFullScreen()) resizeWindow(size);
}

bool QtPlatform::runPuzzleProperties(PuzzleProperties& properties) {
  QDialog box(window_.get());
  box.setWindowTitle(
      fromSjis("\x83\x70\x83\x59\x83\x8B\x82\xCC\x83\x76\x83\x8D\x83\x70"
               "\x83\x65\x83\x42"));  // パズルのプロパティ
  auto* form = new QFormLayout(&box);
  auto* title = new QLineEdit(fromSjis(properties.title), &box);
  auto* author = new QLineEdit(fromSjis(properties.author), &box);
  auto* copyright = new QLineEdit(fromSjis(properties.copyright), &box);
  auto* numbering = new QComboBox(&box);
  // タテ 1, 2, 3 とヨコ ア, イ, ウ; 通し番号
  numbering->addItem(
      fromSjis("\x83\x5E\x83\x65 1, 2, 3 \x82\xC6\x83\x88\x83\x52 \x83\x41, "
               "\x83\x43, \x83\x45"));
  numbering->addItem(fromSjis("\x92\xCA\x82\xB5\x94\xD4\x8D\x86"));
  numbering->setCurrentIndex(properties.numbering == Numbering::Sequence ? 1 : 0);
  form->addRow(fromSjis("\x91\xE8\x96\xBC"), title);              // 題名
  form->addRow(fromSjis("\x8D\xEC\x8E\xD2"), author);             // 作者
  form->addRow(fromSjis("\x92\x98\x8D\xEC\x8C\xA0"), copyright);  // 著作権
  form->addRow(fromSjis("\x94\xD4\x8D\x86\x82\xCC\x95\x74\x82\xAF\x95\xFB"),
               numbering);  // 番号の付け方
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
  form->addRow(buttons);
  const ModalBox waiting(*this);
  if (box.exec() != QDialog::Accepted) return false;
  properties.title = toSjis(title->text());
  properties.author = toSjis(author->text());
  properties.copyright = toSjis(copyright->text());
  properties.numbering = numbering->currentIndex() == 1 ? Numbering::Sequence : Numbering::Magazine;
  return true;
}

std::vector<std::string> QtPlatform::runBannedWords(const std::vector<std::string>& words,
                                                    std::string_view path) {
  QDialog box(window_.get());
  box.setWindowTitle(fromSjis("\x8E\x67\x82\xED\x82\xC8\x82\xA2\x8C\xEA"));  // 使わない語
  auto* layout = new QVBoxLayout(&box);
  // 選んだ語を次の検索から使えるようにします。一覧のファイル:
  auto* note = new QLabel(fromSjis("\x91\x49\x82\xF1\x82\xBE\x8C\xEA\x82\xF0\x8E\x9F\x82\xCC"
                                   "\x8C\x9F\x8D\xF5\x82\xA9\x82\xE7\x8E\x67\x82\xA6\x82\xE9"
                                   "\x82\xE6\x82\xA4\x82\xC9\x82\xB5\x82\xDC\x82\xB7\x81\x42"
                                   "\x88\xEA\x97\x97\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B: ") +
                              fromPath(path),
                          &box);
  note->setWordWrap(true);
  note->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(note);
  auto* list = new QListWidget(&box);
  list->setObjectName(QStringLiteral("bannedWords"));
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  for (const std::string& word : words) list->addItem(fromSjis(word));
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(&box);
  QPushButton* allow = buttons->addButton(
      fromSjis(
          "\x8E\x67\x82\xA6\x82\xE9\x82\xE6\x82\xA4\x82\xC9\x82\xB7\x82\xE9"),  // 使えるようにする
      QDialogButtonBox::AcceptRole);
  buttons->addButton(fromSjis("\x95\xC2\x82\xB6\x82\xE9"), QDialogButtonBox::RejectRole);  // 閉じる
  allow->setEnabled(false);
  QObject::connect(list, &QListWidget::itemSelectionChanged, allow,
                   [list, allow] { allow->setEnabled(!list->selectedItems().isEmpty()); });
  QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
  layout->addWidget(buttons);
  const ModalBox waiting(*this);
  if (box.exec() != QDialog::Accepted) return {};
  std::vector<std::string> chosen;
  for (int row = 0; row < list->count(); ++row) {  // the bytes as banned, not converted back
    if (list->item(row)->isSelected()) chosen.push_back(words[static_cast<std::size_t>(row)]);
  }
  return chosen;
}

std::optional<PaperSize> QtPlatform::askPaperSize() {
  const ModalBox waiting(*this);
  bool ok = false;
  const QStringList papers{QStringLiteral("A4"), QStringLiteral("B5"), QStringLiteral("Letter")};
  const QString chosen = QInputDialog::getItem(window_.get(), fromSjis("\x97\x70\x8E\x86"),  // 用紙
                                               fromSjis("\x97\x70\x8E\x86"), papers, 0, false, &ok);
  if (!ok) return std::nullopt;
  return chosen == papers[1]   ? PaperSize::B5
         : chosen == papers[2] ? PaperSize::Letter
                               : PaperSize::A4;
}

bool QtPlatform::writePdf(const std::string& path, const PuzzleGrid& grid, const PuzzleClues& clues,
                          PaperSize paper) {
  return writePuzzlePdf(path, grid, clues, paper);
}

bool QtPlatform::printPuzzle(const PuzzleGrid& grid, const PuzzleClues& clues) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageSize(pageSizeOf(PaperSize::A4));
  printer.setFullPage(true);  // the layout keeps its own margins
  QPrintDialog box(&printer, window_.get());
  const ModalBox waiting(*this);
  if (box.exec() != QDialog::Accepted) return false;
  return paintPuzzlePages(printer, grid, clues, paperOf(printer.pageLayout().pageSize()));
}

}  // namespace vexilo::qt
