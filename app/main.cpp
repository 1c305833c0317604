#include <QApplication>

#include "app/puzzle_app.h"
#include "ui/qt/qt_shell.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  vexilo::qt::QtShell shell;
  vexilo::PuzzleApp app(shell);
  return app.InitInstance();
}
