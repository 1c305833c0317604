#pragma once

#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QWidget>
#include <optional>
#include <vector>

#include "ui/platform.h"
#include "ui/qt/image_context.h"

namespace vexilo::qt {

// What the grid widget asks of the dialog, in dialog client coordinates.
class GridEvents {
 public:
  virtual ~GridEvents() = default;
  virtual void paintGrid(DrawingContext& dc, const Rect& area) = 0;
  virtual void leftPressed(Point point) = 0;
  virtual void rightPressed(Point point) = 0;
  virtual void doubleClicked(Point point) = 0;
  virtual void wheelTurned(int lines, bool columns) = 0;  // lines > 0: down or right
  // A drag with Shift held, from the pressed point; called at the press and at each move.
  virtual void selectionDragged(Point /*anchor*/, Point /*point*/) {}
  // The keyboard, once a click gave the grid the focus.
  virtual void keyPressed(GridKey /*key*/) {}
  virtual void textTyped(const QString& /*text*/) {}  // typed, or given by the input method
  virtual void focusChanged(bool /*focused*/) {}
  virtual Rect inputCursor() { return {}; }  // the cell typing goes into, client coordinates
};

// The grid frame 1000. Everything is drawn into a backing image that the widget copies to the
// screen: painting (of what was invalidated) and drawing at once (during a search) both land
// there, and the screen catches up at the next message pump.
class GridWidget final : public QWidget, private DamageSink {
 public:
  GridWidget(QWidget* parent, const QFont& letters, const QFont& numbers);
  ~GridWidget() override;

  void setEvents(GridEvents* events) { events_ = events; }
  Point origin() const { return {x(), y()}; }  // top-left in dialog client coordinates
  // Letters this many times the dialog font's size (from 1), for cells larger than the
  // template's; everything is painted again.
  void setLetterScale(double scale);
  // Schedules painting of a client rectangle; with erase the background is filled first.
  void invalidate(const Rect& rect, bool erase);
  // Draws into the image at once; what it draws reaches the screen at the next dispatch.
  DrawingContext& immediateContext();
  // Drags the outline of start (client coordinates) from pressed until the left button goes
  // up (accept), or Escape or another button (cancel).
  TrackResult track(const Rect& start, Point pressed);
  bool tracking() const { return tracking_; }
  // The backing image after pending painting has been done.
  const QImage& image();
  const SystemColors& colors() const { return colors_; }

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void damaged(const QRect& imageArea) override;
  void postFlush();  // of what is to be painted and what is to go to the screen
  void restartImage();
  void paintPending();
  void drawEtchedFrame(const QRect& area);  // the part inside area
  Point clientPoint(const QPointF& widgetPoint) const;
  QRegion trackerBand(const QRect& rect) const;     // hatched, just outside the rectangle
  QRegion trackerHandles(const QRect& rect) const;  // resize handles, outside the band
  QRegion trackerOutline(const QRect& rect) const;
  void moveTracker(const QPointF& globalPoint);
  void endTracking(bool accepted);
  QRect preeditRect() const;  // where the text being composed shows, widget coordinates

  GridEvents* events_ = nullptr;
  int wheelRows_ = 0;  // eighths of a degree turned and not yet scrolled; a notch is 120
  int wheelColumns_ = 0;
  SystemColors colors_;
  QFont letters_;
  QFont numbers_;
  double letterScale_ = 1.0;
  GlyphCache glyphs_;
  TileCache tiles_;            // cells as drawn, for drawing the same cell again
  std::vector<uchar> pixels_;  // of image_
  QImage image_;
  QPainter painter_;  // open on image_ for the widget's whole life, except while resizing
  QRegion pending_;   // to be painted by the dialog, image coordinates
  QRegion erase_;     // part of pending_ whose background is filled first
  ImageContext immediate_;
  QRect scheduled_;  // changed in the image and not yet on the screen, bounding box
  bool flushPosted_ = false;
  bool resized_ = false;  // the image is new: the next painting keeps no tile

  QString preedit_;  // being composed in the input method, shown over the cursor cell

  std::optional<Point> selecting_;  // the anchor of a Shift drag while the button is down

  bool tracking_ = false;
  bool ending_ = false;  // the loop is told to quit; events queued behind it pass on
  bool accepted_ = false;
  QRect trackStart_;
  QRect trackRect_;
  QPoint trackPressed_;   // global
  QRegion trackCovered_;  // every place the outline was drawn during this drag
  QEventLoop* trackLoop_ = nullptr;
};

}  // namespace vexilo::qt
