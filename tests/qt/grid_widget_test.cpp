#include "ui/qt/grid_widget.h"

#include <gtest/gtest.h>

#include <QTest>
#include <vector>

#include "qt_helpers.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/image_context.h"

namespace vexilo::qt {
namespace {

using test::centreOf;

// Drags the outline of a fixed rectangle whenever the left button goes down.
class TrackingEvents : public GridEvents {
 public:
  explicit TrackingEvents(GridWidget& grid) : grid_(grid) {}
  void paintGrid(DrawingContext& dc, const Rect& area) override {
    paints.push_back(area);
    dc.fillRect(area, paintColour);
  }
  void leftPressed(Point point) override { results.push_back(grid_.track(start, point)); }
  void rightPressed(Point point) override { rightPresses.push_back(point); }
  void doubleClicked(Point point) override { doubleClicks.push_back(point); }
  void wheelTurned(int, bool) override {}  // the wheel is tried through the window
  void selectionDragged(Point anchor, Point point) override {
    selections.push_back({anchor, point});
  }

  Rect start{40, 40, 70, 70};
  Color paintColour{255, 255, 0};
  std::vector<TrackResult> results;
  std::vector<Rect> paints;
  std::vector<Point> rightPresses;
  std::vector<Point> doubleClicks;
  std::vector<std::pair<Point, Point>> selections;

 private:
  GridWidget& grid_;
};

struct GridFixture : ::testing::Test {
  GridFixture() : grid(&parent, dialogFont(), dialogFont(7)), events(grid) {
    parent.resize(400, 400);
    grid.setGeometry(10, 20, 300, 300);  // client origin (10, 20)
    grid.setEvents(&events);
    parent.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&parent));
  }
  QPoint local(Point client) const { return {client.x - 10, client.y - 20}; }

  QWidget parent;
  GridWidget grid;
  TrackingEvents events;
};

TEST_F(GridFixture, TrackerFollowsTheMouseUntilReleased) {
  const QPoint from = local({55, 55});
  QTimer::singleShot(0, &grid, [this, from] {
    QTest::mouseMove(&grid, from + QPoint(33, 5));
    QTest::mouseMove(&grid, from + QPoint(40, 7));
    QTest::mouseRelease(&grid, Qt::LeftButton, {}, from + QPoint(40, 7));
  });
  QTest::mousePress(&grid, Qt::LeftButton, {}, from);
  ASSERT_EQ(events.results.size(), 1u);
  EXPECT_TRUE(events.results[0].changed);
  EXPECT_EQ(events.results[0].dx, 40);
  EXPECT_EQ(events.results[0].dy, 7);
  EXPECT_FALSE(grid.tracking());
}

TEST_F(GridFixture, TrackerReportsNoChangeWhenCancelledOrNotMoved) {
  const QPoint from = local({55, 55});
  QTimer::singleShot(0, &grid, [this, from] {
    QTest::mouseMove(&grid, from + QPoint(33, 0));
    QTest::keyClick(&grid, Qt::Key_Escape);
  });
  QTest::mousePress(&grid, Qt::LeftButton, {}, from);
  QTest::mouseRelease(&grid, Qt::LeftButton, {}, from + QPoint(33, 0));
  ASSERT_EQ(events.results.size(), 1u);
  EXPECT_FALSE(events.results[0].changed);

  QTimer::singleShot(0, &grid, [this, from] {
    QTest::mouseMove(&grid, from + QPoint(0, 33));
    QTest::mousePress(&grid, Qt::RightButton, {}, from + QPoint(0, 33));
  });
  QTest::mousePress(&grid, Qt::LeftButton, {}, from);
  QTest::mouseRelease(&grid, Qt::RightButton, {}, from + QPoint(0, 33));
  QTest::mouseRelease(&grid, Qt::LeftButton, {}, from + QPoint(0, 33));
  ASSERT_EQ(events.results.size(), 2u);
  EXPECT_FALSE(events.results[1].changed);
  EXPECT_TRUE(events.rightPresses.empty());  // the cancelling press goes nowhere else

  QTimer::singleShot(0, &grid,
                     [this, from] { QTest::mouseRelease(&grid, Qt::LeftButton, {}, from); });
  QTest::mousePress(&grid, Qt::LeftButton, {}, from);
  ASSERT_EQ(events.results.size(), 3u);
  EXPECT_FALSE(events.results[2].changed);
}

TEST_F(GridFixture, AShiftDragReportsItsAnchorAtEachMoveAndNoPress) {
  QTest::mousePress(&grid, Qt::LeftButton, Qt::ShiftModifier, local({50, 60}));
  QTest::mouseMove(&grid, local({90, 100}));
  QTest::mouseRelease(&grid, Qt::LeftButton, Qt::ShiftModifier, local({90, 100}));
  QTest::mouseMove(&grid, local({120, 120}));  // the button is up: no more selecting
  ASSERT_EQ(events.selections.size(), 2u);
  EXPECT_EQ(events.selections[0].second.x, 50);
  EXPECT_EQ(events.selections[1].first.y, 60);
  EXPECT_EQ(events.selections[1].second.x, 90);
  EXPECT_EQ(events.selections[1].second.y, 100);
  EXPECT_TRUE(events.results.empty());  // no press of the grid, no drag of a link
}

TEST_F(GridFixture, PressesArriveInClientCoordinates) {
  QTest::mousePress(&grid, Qt::RightButton, {}, local({100, 120}));
  QTest::mouseRelease(&grid, Qt::RightButton, {}, local({100, 120}));
  ASSERT_EQ(events.rightPresses.size(), 1u);
  EXPECT_EQ(events.rightPresses[0].x, 100);
  EXPECT_EQ(events.rightPresses[0].y, 120);

  // Each press of the double click starts a drag that ends when the button goes up.
  QTimer release;
  QObject::connect(&release, &QTimer::timeout, &grid, [this] {
    if (!grid.tracking()) return;
    QTest::mouseRelease(&grid, Qt::LeftButton, {}, local({60, 60}));
    QTest::lastMouseTimestamp -= QTest::mouseDoubleClickInterval;  // still one double click
  });
  release.start(1);
  QTest::mouseDClick(&grid, Qt::LeftButton, {}, local({60, 60}));
  release.stop();
  ASSERT_EQ(events.doubleClicks.size(), 1u);
  EXPECT_EQ(events.doubleClicks[0].x, 60);
}

TEST_F(GridFixture, InvalidatedAreasArePaintedIntoTheImageAndDrawingAtOnceLandsThere) {
  (void)grid.image();
  events.paints.clear();
  events.paintColour = Color{0, 0, 255};
  grid.invalidate({100, 100, 120, 130}, false);
  const QImage& painted = grid.image();
  ASSERT_EQ(events.paints.size(), 1u);
  EXPECT_EQ(events.paints[0], (Rect{100, 100, 120, 130}));
  EXPECT_EQ(painted.pixelColor(95, 85), QColor(0, 0, 255));  // client (105, 105)
  EXPECT_NE(painted.pixelColor(85, 85), QColor(0, 0, 255));  // outside the invalid area

  // Drawing at once reaches the screen at the next dispatches, without painting the grid.
  const test::ScreenPaints screen(&grid);
  grid.immediateContext().fillRect({200, 200, 210, 210}, Color{0, 255, 0});
  EXPECT_EQ(grid.image().pixelColor(195, 185), QColor(0, 255, 0));
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  EXPECT_TRUE(screen.region.contains(QRect(190, 180, 10, 10)));
  EXPECT_TRUE(events.paints.size() == 1u);  // no painting asked for
}

// Drawing kept by key comes back pixel for pixel anywhere; over what the context put there, only
// where the two differ, unless something else was drawn over it since; and what reached beyond
// its area is never kept.
TEST(ImageContext, KeptDrawingsComeBackWhereTheyDifferAndOnlyWhenWhollyInside) {
  QImage image(200, 100, QImage::Format_RGB32);
  image.fill(Qt::gray);
  QPainter painter(&image);
  GlyphCache glyphs(dialogFont(), dialogFont(7));
  const SystemColors colors = SystemColors::fromPalette();
  TileCache tiles;
  ImageContext dc(painter, glyphs, {0, 0}, colors, nullptr, &image, &tiles);
  const auto draw = [&dc](const Rect& area, std::string_view key, const Rect& stroke = {}) {
    if (dc.drawKept(area, key)) return true;
    dc.fillRect(area, Color{255, 255, 255});
    dc.fillRect(stroke, Color{0, 0, 0});
    dc.keep(area, key);
    return false;
  };
  const auto part = [&image](const Rect& r) {
    return image.copy(r.left, r.top, r.width(), r.height());
  };
  const Rect first{10, 10, 40, 40};
  EXPECT_FALSE(draw(first, "a", {20, 20, 25, 25}));
  const QImage a = part(first);
  EXPECT_FALSE(draw(first, "b", {30, 30, 35, 35}));
  const QImage b = part(first);
  ASSERT_NE(a, b);
  EXPECT_TRUE(draw(first, "a"));
  EXPECT_EQ(part(first), a);

  // Elsewhere, from what was kept: the strokes are not drawn again.
  const Rect second{100, 50, 130, 80};
  EXPECT_TRUE(draw(second, "b"));
  EXPECT_EQ(part(second), b);
  // Over a, only where b differs: a pixel they share, changed behind the context's back, stays.
  const Rect third{150, 10, 180, 40};
  EXPECT_TRUE(draw(third, "a"));
  image.setPixelColor(151, 11, Qt::green);
  EXPECT_TRUE(draw(third, "b"));
  EXPECT_TRUE(draw(third, "b"));
  EXPECT_EQ(image.pixelColor(151, 11), QColor(Qt::green));
  // Drawn over through the context: the next copy is whole.
  dc.fillRect({170, 30, 175, 35}, Color{255, 0, 0});
  EXPECT_TRUE(draw(third, "b"));
  EXPECT_EQ(part(third), b);

  // Strokes past the area leave nothing kept, as does an area not wholly in the image.
  EXPECT_FALSE(draw(first, "c", {35, 35, 45, 45}));
  EXPECT_FALSE(draw(second, "c"));
  EXPECT_FALSE(draw({190, 90, 220, 120}, "d"));
  EXPECT_FALSE(draw({150, 60, 180, 90}, "d"));
}

}  // namespace
}  // namespace vexilo::qt
