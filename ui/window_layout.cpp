#include "ui/window_layout.h"

#include <algorithm>

#include "puzzle/node_box.h"

namespace vexilo {

namespace {

constexpr unsigned FrameAnchor = StretchRight | StretchBottom;

// Columns (or rows) shown in an extent: 16 up to the template's, then one more for each pitch
// of the template's that fits, all 32 at most.
int cellsShown(int extent, int templateExtent) {
  const int templatePitch = std::max(templateExtent / VisibleCells, 1);
  return std::clamp(extent / templatePitch, VisibleCells, GridSize);
}

}  // namespace

WindowLayout::WindowLayout(const DialogTemplate& dialog, DialogScale scale, int smallestPitch)
    : dialog_(dialog),
      scale_(scale),
      smallestPitch_(smallestPitch),
      templateClient_{scale.x(dialog.width), scale.y(dialog.height)} {
  for (const ControlTemplate& control : dialog.controls) {
    if ((control.anchor & FrameAnchor) == FrameAnchor)
      templateFrame_ = scale.rect(control.position);
  }
}

// The frame's extent for the room the window leaves it, between the smallest cells (or the
// template's, when they are smaller still) and 32 of the largest. The cells fill it but for 2 to
// 6 pixels, as in the template: room for the frame's edge, and no cut cell beyond the last.
int WindowLayout::frameExtent(int room, int templateExtent) const {
  constexpr int LeastSpare = 2;
  constexpr int MostSpare = 6;
  const int smallest = std::min(templateExtent, VisibleCells * smallestPitch_ + LeastSpare);
  int extent = std::clamp(room, smallest, std::max(smallest, GridSize * LargestPitch + LeastSpare));
  while (extent != templateExtent && extent > smallest) {
    const int spare = extent % cellsShown(extent, templateExtent);
    if (spare < LeastSpare) {
      extent -= spare + 1;
    } else if (spare > MostSpare) {
      extent -= spare - MostSpare;
    } else {
      break;
    }
  }
  return std::max(extent, smallest);
}

Size WindowLayout::minimumSize() const {
  const int width = frameExtent(0, templateFrame_.width());
  const int height = frameExtent(0, templateFrame_.height());
  return {templateClient_.width + width - templateFrame_.width(),
          templateClient_.height + height - templateFrame_.height()};
}

WindowLayout::Placed WindowLayout::place(Size client) const {
  const int width = frameExtent(client.width - templateClient_.width + templateFrame_.width(),
                                templateFrame_.width());
  const int height = frameExtent(client.height - templateClient_.height + templateFrame_.height(),
                                 templateFrame_.height());
  const int dx = width - templateFrame_.width();
  const int dy = height - templateFrame_.height();
  Placed placed;
  placed.shown = {cellsShown(width, templateFrame_.width()),
                  cellsShown(height, templateFrame_.height())};
  for (const ControlTemplate& control : dialog_.controls) {
    Rect r = scale_.rect(control.position);
    if ((control.anchor & FollowRight) != 0) {
      r.left += dx;
      r.right += dx;
    }
    if ((control.anchor & FollowBottom) != 0) {
      r.top += dy;
      r.bottom += dy;
    }
    if ((control.anchor & StretchRight) != 0) r.right += dx;
    if ((control.anchor & StretchBottom) != 0) r.bottom += dy;
    placed.controls.push_back(r);
  }
  return placed;
}

}  // namespace vexilo
