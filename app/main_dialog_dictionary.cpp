#include <string>

#include "app/main_dialog.h"
#include "dictionary/dictionary_file.h"
#include "ui/cp932_codec.h"

namespace vexilo {

namespace {

constexpr const char* CantOpenDictionary = "Can't Open Dic File";
constexpr const char* NotInUtf8 = "The Dic File is UTF-8 and cannot hold this word";

const Cp932WordListCodec wordListCodec;  // UTF-8 word lists are read and extended through it

// "辞書ファイル(*.dic)", "*.dic", "All Files (*.*)", "*.*"
constexpr const char* DictionaryFilter =
    "\x8E\xAB\x8F\x91\x83\x74\x83\x40\x83\x43\x83\x8B(*.dic)|*.dic|All Files (*.*)|*.*||";

}  // namespace

void MainDialog::refreshDictionaries() {
  pullControls();
  unopenedDictionaries.clear();
  const DictionaryRefresh refresh = vexilo::refreshDictionaries(
      dictionaryRows, loaded, wordIndex,
      [this](int row) {
        unopenedDictionaries.push_back(dictionaryRow(row).path);
        platform.showMessage(CantOpenDictionary);
      },
      &wordListCodec);
  if (!refresh) return;
  slots.markStale();  // the slots' saved positions point into the old index
  dictionaryNote = refresh.note;
  if (!dictionaryNote.empty()) platform.showNotice(dictionaryNote);
}

void MainDialog::BrowseDictionary(int row) {
  FileDialogRequest request;
  request.save = false;
  request.initialName.clear();
  request.defaultExtension = "dic";
  request.filter = DictionaryFilter;
  request.hideReadOnly = true;
  request.fileMustExist = false;  // a new file can be named here and filled by Register
  request.folder = dialogFolder();
  const std::optional<std::string> path = platform.askFileName(request);
  if (!path) return;
  rememberFolder(*path);
  pullControls();
  dictionaryRow(row).path = *path;
  pushControls();
}

void MainDialog::RegisterWord(int row) {
  pullControls();
  const std::string& path = dictionaryRow(row).path;
  if (path.empty()) return;
  const std::optional<std::string> word = platform.runRegisterWord();
  if (!word) return;
  // A file that cannot be opened is passed over silently; one that cannot be read or written is
  // told.
  const RegisterResult result = registerWord(path, *word, wordIndex, &wordListCodec);
  if (result == RegisterResult::WriteFailed || result == RegisterResult::CouldNotRead) {
    platform.showMessage(CantOpenDictionary);
  }
  if (result == RegisterResult::NotInUtf8) platform.showMessage(NotInUtf8);
}

}  // namespace vexilo
