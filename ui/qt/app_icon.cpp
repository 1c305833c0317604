#include "ui/qt/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace vexilo::qt {

namespace {

// 5 by 5 cells: '#' blocked, '.' open, 'x' a filled letter cell under the red word frame.
constexpr const char* Pattern[5] = {"xxx#.", ".#..#", "...#.", "#..#.", ".#..."};

QPixmap drawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  const qreal margin = size / 16.0;
  const qreal cell = (size - 2 * margin) / 5.0;
  painter.fillRect(QRectF(margin, margin, 5 * cell, 5 * cell), QColor(40, 40, 40));
  for (int row = 0; row < 5; ++row) {
    for (int column = 0; column < 5; ++column) {
      const char kind = Pattern[row][column];
      if (kind == '#') continue;
      const QRectF box(margin + column * cell + 1, margin + row * cell + 1, cell - 1, cell - 1);
      painter.fillRect(box, kind == 'x' ? QColor(255, 236, 236) : QColor(Qt::white));
      if (kind == 'x' && size >= 32) {
        painter.fillRect(box.adjusted(cell * 0.3, cell * 0.3, -cell * 0.3, -cell * 0.3),
                         QColor(200, 0, 0));
      }
    }
  }
  QPen frame(QColor(230, 0, 0));
  frame.setWidthF(qMax(1.0, size / 24.0));
  painter.setPen(frame);
  painter.drawRect(QRectF(margin, margin, 3 * cell, cell));
  return pixmap;
}

}  // namespace

QIcon appIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(drawIcon(size));
  return icon;
}

}  // namespace vexilo::qt
