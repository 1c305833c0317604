#include "ui/qt/grid_widget.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QWheelEvent>
#include <optional>
#include <utility>

namespace vexilo::qt {

namespace {

constexpr int HatchWidth = 4;  // of the tracker's hatched outline
constexpr int HandleSize = 5;  // of its resize handles, outside the rectangle

const QEvent::Type FlushDamage = static_cast<QEvent::Type>(QEvent::registerEventType());

QRect toQRect(const Rect& r) { return {r.left, r.top, r.width(), r.height()}; }

bool withCommandModifier(const QKeyEvent& key) {
  return (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
}

// The grid's own key; keys with Ctrl, Alt or Meta belong to the menus.
std::optional<GridKey> gridKeyOf(const QKeyEvent& key) {
  if (withCommandModifier(key)) return std::nullopt;
  switch (key.key()) {
    case Qt::Key_Left: return GridKey::Left;
    case Qt::Key_Right: return GridKey::Right;
    case Qt::Key_Up: return GridKey::Up;
    case Qt::Key_Down: return GridKey::Down;
    case Qt::Key_Space: return GridKey::Space;
    case Qt::Key_Delete: return GridKey::Delete;
    case Qt::Key_Backspace: return GridKey::Backspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return GridKey::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return GridKey::Enter;
    default: return std::nullopt;
  }
}

// What a key types into the grid: printable text without Ctrl, Alt or Meta.
QString typedText(const QKeyEvent& key) {
  if (withCommandModifier(key)) return {};
  const QString text = key.text();
  for (const QChar c : text) {
    if (!c.isPrint() || c.isSpace()) return {};
  }
  return text;
}

}  // namespace

GridWidget::GridWidget(QWidget* parent, const QFont& letters, const QFont& numbers)
    : QWidget(parent),
      colors_(SystemColors::fromPalette()),
      letters_(letters),
      numbers_(numbers),
      glyphs_(letters, numbers),
      immediate_(painter_, glyphs_, {}, colors_, this, &image_, &tiles_) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_InputMethodEnabled);
  setFocusPolicy(Qt::ClickFocus);
  setFont(letters);
  restartImage();
}

GridWidget::~GridWidget() {
  if (painter_.isActive()) painter_.end();
}

// The pixels stay in one buffer that only grows: a window resized step by step would otherwise
// take fresh memory from the system at every step, which costs more than painting it.
void GridWidget::restartImage() {
  if (painter_.isActive()) painter_.end();
  image_ = QImage();
  const int w = qMax(1, width());
  const int h = qMax(1, height());
  const std::size_t bytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4;
  if (pixels_.size() < bytes) pixels_.resize(bytes);
  image_ = QImage(pixels_.data(), w, h, w * 4, QImage::Format_RGB32);
  painter_.begin(&image_);
  tiles_.forgetPlaces();
  resized_ = true;
  pending_ = QRegion(image_.rect());
  erase_ = pending_;
}

void GridWidget::resizeEvent(QResizeEvent*) {
  restartImage();
  update();
}

void GridWidget::setLetterScale(double scale) {
  if (scale == letterScale_) return;
  letterScale_ = scale;
  QFont letters = letters_;
  letters.setPointSizeF(letters_.pointSizeF() * scale);
  glyphs_ = GlyphCache(letters, numbers_);
  tiles_.forgetAll();
  pending_ = QRegion(image_.rect());
  erase_ = pending_;
  postFlush();
}

void GridWidget::invalidate(const Rect& rect, bool erase) {
  const QRect area = toQRect(rect).translated(-x(), -y()) & image_.rect();
  if (area.isEmpty()) return;
  pending_ += area;
  if (erase) erase_ += area;
  postFlush();
}

void GridWidget::postFlush() {
  if (flushPosted_) return;
  flushPosted_ = true;
  QCoreApplication::postEvent(this, new QEvent(FlushDamage));
}

DrawingContext& GridWidget::immediateContext() {
  immediate_.setOrigin(origin());
  return immediate_;
}

// Gathered into one rectangle that goes to the screen at the next dispatch of events: a cell is
// many small strokes, and one update per stroke would cost more than the drawing. What is
// painted lands here too, so that a repaint that leaves the image as it was (the whole grid at
// the end of a search, drawn already) costs the screen nothing.
void GridWidget::damaged(const QRect& imageArea) {
  // Compared inline: this runs for every stroke of every cell drawn during a search.
  if (!scheduled_.isEmpty() && imageArea.left() >= scheduled_.left() &&
      imageArea.top() >= scheduled_.top() && imageArea.right() <= scheduled_.right() &&
      imageArea.bottom() <= scheduled_.bottom()) {
    return;
  }
  scheduled_ |= imageArea & image_.rect();
  postFlush();
}

bool GridWidget::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
    // The grid's keys reach the grid alone: no shortcut takes them, and Tab moves no focus.
    const auto* key = static_cast<QKeyEvent*>(event);
    if (events_ != nullptr && !tracking_ && (gridKeyOf(*key) || !typedText(*key).isEmpty())) {
      if (event->type() == QEvent::KeyPress) keyPressEvent(static_cast<QKeyEvent*>(event));
      event->accept();
      return true;
    }
  }
  if (event->type() != FlushDamage) return QWidget::event(event);
  paintPending();
  flushPosted_ = false;
  // Now rather than at a later dispatch: the screen stays at most one dispatch behind.
  if (!scheduled_.isEmpty()) repaint(std::exchange(scheduled_, QRect()));
  return true;
}

const QImage& GridWidget::image() {
  paintPending();
  return image_;
}

void GridWidget::drawEtchedFrame(const QRect& area) {
  const int w = image_.width();
  const int h = image_.height();
  const QColor shadow = toQColor(colors_.shadow);
  const QColor highlight = toQColor(colors_.highlight);
  const auto stroke = [this, &area](int left, int top, int width, int height, const QColor& c) {
    const QRect part = QRect(left, top, width, height) & area;
    if (!part.isEmpty()) painter_.fillRect(part, c);
  };
  stroke(0, 0, w - 1, 1, shadow);
  stroke(0, 0, 1, h - 1, shadow);
  stroke(1, 1, w - 2, 1, highlight);
  stroke(1, 1, 1, h - 2, highlight);
  stroke(0, h - 1, w, 1, highlight);
  stroke(w - 1, 0, 1, h, highlight);
  stroke(1, h - 2, w - 2, 1, shadow);
  stroke(w - 2, 1, 1, h - 2, shadow);
}

// Rectangle by rectangle, each drawn straight within its bounds: the painter is never clipped.
// (A clip of several rectangles, set after clipping had been turned off, was not honoured here:
// erasing two places apart erased the whole grid, and the screen showed the holes wherever it
// was next repainted, as under a dragged outline.)
void GridWidget::paintPending() {
  if (pending_.isEmpty()) return;
  // Taken first: painting may invalidate again, which belongs to the next round.
  const QRegion region = std::exchange(pending_, QRegion());
  const QRegion erase = std::exchange(erase_, QRegion());
  for (const QRect& area : erase) {
    painter_.fillRect(area, toQColor(colors_.face));
    drawEtchedFrame(area);
    tiles_.drawnOver(area);
    damaged(area);
  }
  if (events_ == nullptr) return;
  // Cells drawn at a new size are kept only once a search draws them again: a window resized
  // step by step would fill the cache with sizes that never come back.
  TileCache* tiles = std::exchange(resized_, false) ? nullptr : &tiles_;
  for (const QRect& area : region) {
    ImageContext dc(painter_, glyphs_, origin(), colors_, this, &image_, tiles);
    dc.setBounds(area);
    const QRect box = area.translated(x(), y());
    events_->paintGrid(
        dc, Rect{box.left(), box.top(), box.left() + box.width(), box.top() + box.height()});
  }
}

void GridWidget::paintEvent(QPaintEvent* event) {
  paintPending();
  QPainter screen(this);
  screen.drawImage(event->rect().topLeft(), image_, event->rect());
  if (!preedit_.isEmpty()) {  // on the screen only, as the input method composes
    const QRect box = preeditRect();
    screen.fillRect(box, QColor(Qt::white));
    screen.setPen(QColor(Qt::black));
    screen.drawRect(box.adjusted(0, 0, -1, -1));
    QFont underlined = font();
    underlined.setUnderline(true);
    screen.setFont(underlined);
    screen.drawText(box, Qt::AlignCenter, preedit_);
  }
  if (tracking_) {
    for (const QRect& band : trackerBand(trackRect_) & event->region()) {
      screen.fillRect(band, QColor(Qt::white));
      screen.fillRect(band, QBrush(Qt::black, Qt::BDiagPattern));
    }
    for (const QRect& handle : trackerHandles(trackRect_) & event->region()) {
      screen.fillRect(handle, QColor(Qt::black));
    }
  }
}

Point GridWidget::clientPoint(const QPointF& widgetPoint) const {
  const QPoint p = widgetPoint.toPoint();
  return {p.x() + x(), p.y() + y()};
}

void GridWidget::mousePressEvent(QMouseEvent* event) {
  if (events_ == nullptr || tracking_) return;
  if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier) != 0) {
    selecting_ = clientPoint(event->position());
    events_->selectionDragged(*selecting_, *selecting_);
  } else if (event->button() == Qt::LeftButton) {
    events_->leftPressed(clientPoint(event->position()));
  } else if (event->button() == Qt::RightButton) {
    events_->rightPressed(clientPoint(event->position()));
  }
}

void GridWidget::mouseMoveEvent(QMouseEvent* event) {
  if (events_ != nullptr && selecting_ && (event->buttons() & Qt::LeftButton) != 0) {
    events_->selectionDragged(*selecting_, clientPoint(event->position()));
  }
}

void GridWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) selecting_.reset();
}

void GridWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (events_ != nullptr && !tracking_ && event->button() == Qt::LeftButton) {
    events_->doubleClicked(clientPoint(event->position()));
  }
}

void GridWidget::wheelEvent(QWheelEvent* event) {
  event->accept();
  if (events_ == nullptr || tracking_) return;
  const QPoint delta = event->angleDelta();
  // Shift turns the wheel to the columns; a tilted wheel or a sideways swipe reaches them too.
  const bool columns = delta.y() == 0 || (event->modifiers() & Qt::ShiftModifier) != 0;
  int& turned = columns ? wheelColumns_ : wheelRows_;
  turned += delta.y() != 0 ? delta.y() : delta.x();
  const int notches = turned / 120;  // small steps of a touchpad add up to a notch
  turned -= notches * 120;
  if (notches != 0) events_->wheelTurned(-notches * QApplication::wheelScrollLines(), columns);
}

void GridWidget::keyPressEvent(QKeyEvent* event) {
  if (events_ == nullptr || tracking_) return QWidget::keyPressEvent(event);
  if (const std::optional<GridKey> key = gridKeyOf(*event)) {
    events_->keyPressed(*key);
  } else if (const QString text = typedText(*event); !text.isEmpty()) {
    events_->textTyped(text);
  } else {
    QWidget::keyPressEvent(event);  // Escape and the like go on to the window
  }
}

void GridWidget::inputMethodEvent(QInputMethodEvent* event) {
  event->accept();
  update(preeditRect());
  preedit_ = event->preeditString();
  update(preeditRect());
  if (events_ == nullptr || event->commitString().isEmpty()) return;
  if (event->commitString().trimmed().isEmpty()) {
    events_->keyPressed(GridKey::Space);  // the input method's own space
  } else {
    events_->textTyped(event->commitString());
  }
}

QVariant GridWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled: return true;
    case Qt::ImCursorRectangle: return preeditRect();
    default: return QWidget::inputMethodQuery(query);
  }
}

QRect GridWidget::preeditRect() const {
  if (events_ == nullptr) return {};
  const QRect cell = toQRect(events_->inputCursor()).translated(-x(), -y());
  if (preedit_.isEmpty()) return cell;
  const int width = fontMetrics().horizontalAdvance(preedit_) + 6;
  return {cell.topLeft(), QSize(qMax(cell.width(), width), cell.height())};
}

void GridWidget::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  if (events_ != nullptr) events_->focusChanged(true);
}

void GridWidget::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  if (events_ != nullptr) events_->focusChanged(false);
}

QRegion GridWidget::trackerBand(const QRect& r) const {
  return QRegion(r.adjusted(-HatchWidth, -HatchWidth, HatchWidth, HatchWidth)) - QRegion(r);
}

QRegion GridWidget::trackerHandles(const QRect& r) const {
  const QRect outer = r.adjusted(-HatchWidth, -HatchWidth, HatchWidth, HatchWidth);
  QRegion handles;
  const int half = HandleSize / 2;
  for (const int hx : {outer.left() - HandleSize, r.center().x() - half, outer.right() + 1}) {
    for (const int hy : {outer.top() - HandleSize, r.center().y() - half, outer.bottom() + 1}) {
      if (hx == r.center().x() - half && hy == r.center().y() - half) continue;
      handles += QRect(hx, hy, HandleSize, HandleSize);
    }
  }
  return handles;
}

QRegion GridWidget::trackerOutline(const QRect& r) const {
  return trackerBand(r) + trackerHandles(r);
}

void GridWidget::moveTracker(const QPointF& globalPoint) {
  const QPoint moved = globalPoint.toPoint() - trackPressed_;
  const QRect next = trackStart_.translated(moved);
  if (next == trackRect_) return;
  update(trackerOutline(trackRect_));
  trackRect_ = next;
  update(trackerOutline(trackRect_));
  trackCovered_ += trackerOutline(trackRect_);
}

void GridWidget::endTracking(bool accepted) {
  if (ending_) return;
  accepted_ = accepted;
  ending_ = true;
  if (trackLoop_ != nullptr) trackLoop_->quit();
}

bool GridWidget::eventFilter(QObject* watched, QEvent* event) {
  if (!tracking_ || ending_) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseMove:
      moveTracker(static_cast<QMouseEvent*>(event)->globalPosition());
      return false;
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return true;
      moveTracker(mouse->globalPosition());
      endTracking(true);
      return false;  // the release still ends the press for Qt
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      endTracking(false);  // the right button, or any other, cancels
      return true;
    case QEvent::KeyPress:
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) endTracking(false);
      return true;
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ShortcutOverride: return true;
    case QEvent::WindowDeactivate:
      if (watched == window()) endTracking(false);
      return false;
    default: return false;
  }
}

TrackResult GridWidget::track(const Rect& start, Point pressed) {
  // A press that is already over (or never held the button) has nothing to drag.
  if (tracking_ || !(QGuiApplication::mouseButtons() & Qt::LeftButton)) return {};
  trackStart_ = toQRect(start).translated(-x(), -y());
  trackRect_ = trackStart_;
  trackPressed_ = mapToGlobal(QPoint(pressed.x - x(), pressed.y - y()));
  accepted_ = false;
  ending_ = false;
  tracking_ = true;
  trackCovered_ = trackerOutline(trackRect_);
  update(trackCovered_);

  QEventLoop loop;
  trackLoop_ = &loop;
  QCoreApplication::instance()->installEventFilter(this);
  loop.exec();
  QCoreApplication::instance()->removeEventFilter(this);
  trackLoop_ = nullptr;
  tracking_ = false;
  // Everything the outline ever covered comes back from the image, in case a repaint of a
  // place it left went missing on the way to the screen.
  update(std::exchange(trackCovered_, QRegion()));

  if (!accepted_ || trackRect_ == trackStart_) return {};
  return {true, trackRect_.left() - trackStart_.left(), trackRect_.top() - trackStart_.top()};
}

}  // namespace vexilo::qt
