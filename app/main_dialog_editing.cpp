// UNFINISHED: a helper is writing these handlers; until then they fail loudly.
#include <stdexcept>
#include <string>

#include "app/main_dialog.h"

namespace vexilo {

namespace {
[[noreturn]] void unfinished(const std::string& what) { throw std::logic_error(what + " is not built yet"); }
}  // namespace

void MainDialog::OnGridPress(Point) { unfinished("OnGridPress"); }
void MainDialog::OnGridRightPress(Point) { unfinished("OnGridRightPress"); }
void MainDialog::OnGridDoubleClick(Point) { unfinished("OnGridDoubleClick"); }
void MainDialog::Clear() { unfinished("Clear"); }
void MainDialog::About() { unfinished("About"); }

}  // namespace vexilo
