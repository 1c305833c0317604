#include "app/puzzle_app.h"

#include "app/main_dialog.h"

namespace vexilo {

int PuzzleApp::InitInstance() {
  const std::unique_ptr<SettingsStore> settings = shell_.openSettings("Orvik", "Vexilo");
  // Far too large for the stack: the word index and the slot table are held by value.
  auto dialog = std::make_unique<MainDialog>(shell_.platform(), *settings);
  dialog->samplesFolder = shell_.samplesFolder();
  shell_.createWindow(*dialog);
  dialog->OnInitDialog();
  shell_.runModal();  // the result is not used
  dialog->OnClosed();
  shell_.destroyWindow();
  dialog.reset();
  return 0;
}

}  // namespace vexilo
