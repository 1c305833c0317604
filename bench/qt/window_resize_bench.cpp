// Resizing the main window until the grid is drawn again, with every one of the 32 by 32 cells
// shown and holding a letter: the layout of the controls, a new backing image and every cell
// painted into it at its new size, as a drag of the window's corner does at each step.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/main_dialog.h"
#include "app/memory_settings_store.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/qt_shell.h"

namespace {

using namespace vexilo;

// Times what the events of one widget cost: everything the grid does for a resize (its new
// image, every cell painted into it, the image copied to the window) against the rest of the
// cycle (the layout of the other controls, the window system's flush).
class TimingApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    if (receiver != timed || depth_ > 0) return QApplication::notify(receiver, event);
    ++depth_;
    const std::int64_t start = threadNanoseconds();
    const bool done = QApplication::notify(receiver, event);
    spent += threadNanoseconds() - start;
    --depth_;
    return done;
  }

  // CPU time of this thread: the painting runs here, whatever other threads Qt keeps.
  static std::int64_t threadNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
  }

  QObject* timed = nullptr;
  std::int64_t spent = 0;

 private:
  int depth_ = 0;
};

TimingApplication* application() { return static_cast<TimingApplication*>(qApp); }

// Katakana ア to ン, one after another, with a numbered group here and there.
void fillWithLetters(PuzzleGrid& grid) {
  for (int i = 0; i < CellCount; ++i) {
    int code = 0x8341 + i % 0x52;
    if (code >= 0x837F) ++code;
    NodeBox& cell = grid.cellAt(i);
    cell.str = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    cell.flag = i % 7 == 0 ? Open : Fixed;
    cell.mark = i % 11 == 0 ? i % 50 : -1;
  }
}

void resizeWithWholeGridShown(benchmark::State& state) {
  MemorySettingsStore store;
  qt::QtPlatform platform;
  MainDialog dialog(platform, store);
  platform.attach(dialog);
  dialog.OnInitDialog();
  platform.showCluePanel(false);  // the whole width for the grid
  fillWithLetters(dialog.grid);
  qt::TemplateDialog* window = platform.window();
  window->show();
  if (!QTest::qWaitForWindowExposed(window)) throw std::runtime_error("window not shown");
  // Two sizes apart by about a cell, both large enough for all 32 columns and rows.
  const QSize large(state.range(0), state.range(0));
  const QSize sizes[2] = {large, large + QSize(40, 40)};
  int turn = 0;
  int unchanged = 0;
  application()->timed = platform.grid();
  application()->spent = 0;
  for (auto _ : state) {
    const QSize before = platform.grid()->size();
    window->resize(sizes[turn ^= 1]);
    QApplication::processEvents();  // the layout, the new frame size, the repaint asked for
    benchmark::DoNotOptimize(platform.grid()->image().constBits());  // nothing left to paint
    if (platform.grid()->size() == before) ++unchanged;
  }
  application()->timed = nullptr;
  // CPU time of the grid's own events per resize, in milliseconds.
  state.counters["grid_ms"] =
      static_cast<double>(application()->spent) / 1e6 / static_cast<double>(state.iterations());
  const GridShape shown = platform.visibleCells();
  if (shown.columns != GridSize || shown.rows != GridSize) {
    state.SkipWithError("the window does not show all 32 by 32 cells");
  } else if (unchanged > 0) {
    state.SkipWithError("the grid kept its size through a resize");
  }
  state.counters["pitch_px"] = dialog.cellRect(1).left - dialog.cellRect(0).left;
  platform.detach();
}

}  // namespace

// 1,500 pixels: a square window that shows 32 by 32 cells at about the template's pitch;
// 2,100: cells near the largest pitch. Time and CPU: the whole cycle; grid_ms: the grid's part.
BENCHMARK(resizeWithWholeGridShown)->Arg(1500)->Arg(2100)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  TimingApplication application(argc, argv);
  vexilo::qt::QtShell shell;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
