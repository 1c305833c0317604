#pragma once

#include <QIcon>

namespace vexilo::qt {

// The application icon: a small crossword grid, drawn in code at the usual sizes.
QIcon appIcon();

}  // namespace vexilo::qt
