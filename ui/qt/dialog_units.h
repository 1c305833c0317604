#pragma once

#include <QFont>
#include <QRect>

#include "app/dialog_templates.h"

namespace vexilo::qt {

// The dialog font: IPAPGothic, or another Japanese sans face when it is missing.
QFont dialogFont(int points = 9);

// Dialog units of a font: x * baseX / 4 and y * baseY / 8 pixels.
struct DialogUnits {
  int baseX = 0;  // average character width
  int baseY = 0;  // character height

  static DialogUnits of(const QFont& font);
  int x(int units) const { return units * baseX / 4; }
  int y(int units) const { return units * baseY / 8; }
  // Each side is mapped on its own, so controls that touch in units touch in pixels.
  QRect rect(const DialogRect& r) const;
};

}  // namespace vexilo::qt
