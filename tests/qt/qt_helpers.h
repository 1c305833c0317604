#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPaintEvent>
#include <QPoint>
#include <QRegion>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <functional>

#include "ui/geometry.h"

namespace vexilo::test {

// Runs action on the first modal window other than skip, once it is shown; the test goes on
// when that window's own loop ends.
inline void whenModal(QWidget* skip, std::function<void(QWidget*)> action) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, skip, action = std::move(action)] {
    QWidget* box = QApplication::activeModalWidget();
    // Wait for activation too: the focus lands only once the box is the active window.
    if (box == nullptr || box == skip || !box->isVisible() || !box->isActiveWindow()) return;
    timer->stop();
    timer->deleteLater();
    action(box);
  });
  timer->start();
}

// Types text as key presses, also characters that have no key of their own.
inline void typeText(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

// The next widget after from that takes the focus.
inline QWidget* nextFocusable(QWidget* from) {
  QWidget* next = from->nextInFocusChain();
  while (next != from && (next->focusPolicy() & Qt::TabFocus) == 0) next = next->nextInFocusChain();
  return next;
}

// Pixels of a client rectangle that pass a test, for smooth letters.
template <class Test>
int countWhere(const QImage& image, Point origin, const Rect& r, Test test) {
  int count = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      if (test(image.pixelColor(x - origin.x, y - origin.y))) ++count;
    }
  }
  return count;
}

// What of a widget reaches the screen while this lives: the regions of its paint events.
class ScreenPaints : public QObject {
 public:
  explicit ScreenPaints(QWidget* widget) : widget_(widget) { widget_->installEventFilter(this); }
  ~ScreenPaints() override { widget_->removeEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) region += static_cast<QPaintEvent*>(event)->region();
    return false;
  }

  QRegion region;

 private:
  QWidget* widget_;
};

inline QPoint centreOf(const Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// A pixel of a client-area image whose top-left lies at origin.
inline QColor pixelAt(const QImage& image, Point origin, QPoint client) {
  return image.pixelColor(client.x() - origin.x, client.y() - origin.y);
}

// How many pixels of a client rectangle have exactly this colour.
inline int countColour(const QImage& image, Point origin, const Rect& r, QColor colour) {
  int count = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      if (image.pixelColor(x - origin.x, y - origin.y) == colour) ++count;
    }
  }
  return count;
}

}  // namespace vexilo::test
