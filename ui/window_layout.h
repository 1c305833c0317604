#pragma once

#include <vector>

#include "app/dialog_templates.h"
#include "ui/geometry.h"

namespace vexilo {

// Pixels of dialog units: x * baseX / 4 and y * baseY / 8, each side mapped on its own.
struct DialogScale {
  int baseX = 0;
  int baseY = 0;

  int x(int units) const { return units * baseX / 4; }
  int y(int units) const { return units * baseY / 8; }
  Rect rect(const DialogRect& r) const {
    return {x(r.x), y(r.y), x(r.x + r.width), y(r.y + r.height)};
  }
};

// Where the controls of a resizable template stand for a size of its client area. The grid
// frame (the control that stretches both ways) takes the room the others leave; at the
// template's size everything stands as the template draws it and the frame shows 16 by 16
// cells. A larger frame first shows more cells at about the template's pitch, up to all 32 by
// 32, and then larger cells; a smaller one shows smaller cells. Cells stay between the
// smallest and the largest pitch.
class WindowLayout {
 public:
  static constexpr int LargestPitch = 64;

  struct Placed {
    std::vector<Rect> controls;  // in template order, client pixels
    GridShape shown;             // cells the frame shows
  };

  WindowLayout(const DialogTemplate& dialog, DialogScale scale, int smallestPitch);

  Size templateSize() const { return templateClient_; }
  Rect templateFrame() const { return templateFrame_; }
  Size minimumSize() const;
  Placed place(Size client) const;

 private:
  int frameExtent(int room, int templateExtent) const;

  const DialogTemplate& dialog_;
  DialogScale scale_;
  int smallestPitch_;
  Size templateClient_;
  Rect templateFrame_;  // of the frame control, at the template's size
};

}  // namespace vexilo
