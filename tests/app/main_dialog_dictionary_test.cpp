#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "app/main_dialog.h"
#include "support/file_size_limit.h"
#include "support/scripted_platform.h"
#include "support/sjis.h"
#include "support/temp_folder.h"

namespace vexilo {
namespace {

using test::readBytes;
using test::sj;
using test::writeBytes;

class DictionaryPanel : public ::testing::Test {
 protected:
  DictionaryPanel() {
    for (int id : {IdEnabled1, IdEnabled2, IdEnabled3}) platform.checks[id] = true;
  }
  void registerInto(int row, const std::string& typed) {
    platform.registerAnswers.push_back(typed);
    dialog->RegisterWord(row);
  }

  test::TempFolder folder;
  test::ScriptedPlatform platform;
  test::MemorySettingsStore settings;
  std::unique_ptr<MainDialog> dialog = std::make_unique<MainDialog>(platform, settings);
};

TEST_F(DictionaryPanel, RegisterAppendsTheFullWidthWordToTheRowsFile) {
  writeBytes(folder.path("main.dic"), sj("ねこ\r\n"));
  platform.texts[IdDicPath1] = folder.path("main.dic");
  dialog->refreshDictionaries();
  const std::string path = folder.path("user.dic");
  platform.texts[IdDicPath2] = path;
  platform.checks[IdEnabled2] = false;  // the box plays no part
  registerInto(2, sj("ねこ"));          // row 1 supplies it already
  registerInto(2, "abc");
  registerInto(2, sj("ｶﾞﾝ"));
  registerInto(2, sj("きゃく"));
  registerInto(2, sj("きゃく"));  // the index holds it folded, so it is written again
  registerInto(2, "abc");
  EXPECT_EQ(readBytes(path), sj("ａｂｃ\r\nカ゛ン\r\nきゃく\r\nきゃく\r\n"));
  EXPECT_EQ(dialog->wordIndex[3].wordCount(), 5u);
  EXPECT_EQ(dialog->wordIndex[3].findWord(sj("カ゛ン")), 1);
  EXPECT_EQ(dialog->wordIndex[2].wordCount(), 2u);
}

TEST_F(DictionaryPanel, RegisterStopsWithoutPathOrWordAndEmptyWordOnlyCreatesTheFile) {
  dialog->RegisterWord(1);  // no path: no dialog
  EXPECT_EQ(platform.registerDialogs, 0);

  const std::string path = folder.path("new.dic");
  platform.texts[IdDicPath1] = path;
  dialog->RegisterWord(1);  // cancelled
  EXPECT_EQ(platform.registerDialogs, 1);
  EXPECT_FALSE(std::filesystem::exists(path));

  registerInto(1, "");
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(readBytes(path), "");

  std::filesystem::create_directory(folder.path("folder.dic"));
  platform.texts[IdDicPath3] = folder.path("folder.dic");
  registerInto(3, "abc");
  EXPECT_EQ(dialog->wordIndex.wordCount(), 1u);  // only the empty word
  EXPECT_EQ(platform.registerDialogs, 3);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(DictionaryPanel, RegisterThatCannotWriteIsShownAndAddsNothing) {
  const std::string path = folder.path("full.dic");
  writeBytes(path, sj("ふゆ\r\n"));
  platform.texts[IdDicPath1] = path;
  {
    const test::FileSizeLimit limit(8);  // as a full disk would
    registerInto(1, sj("はるなつあき"));
  }
  EXPECT_EQ(readBytes(path), sj("ふゆ\r\n"));
  EXPECT_EQ(dialog->wordIndex.wordCount(), 0u);
  EXPECT_EQ(platform.messages, (std::vector<std::string>{"Can't Open Dic File"}));
}

// The lines a load left out are told when it happens and after each search on that load.
TEST_F(DictionaryPanel, LinesALoadLeftOutAreToldWithTheSearchOutcome) {
  std::string cut = "うさぎ";
  cut.pop_back();
  writeBytes(folder.path("u.dic"), "ねこ\n" + cut + "\nいぬ\n");
  platform.texts[IdDicPath1] = folder.path("u.dic");
  const std::string note = sj("辞書1 (UTF-8): 読めない 1 行を飛ばしました (最初は 2 行目)");
  for (int search = 0; search < 2; ++search) {
    dialog->RunSearch();
    ASSERT_FALSE(platform.statuses.empty());
    EXPECT_TRUE(platform.statuses.back().text.ends_with("  " + note)) << search;
  }
  const auto told = std::count_if(platform.statuses.begin(), platform.statuses.end(),
                                  [&](const auto& status) { return status.text == note; });
  EXPECT_EQ(told, 1);  // only the search that loaded the list
}

TEST_F(DictionaryPanel, BrowseSetsTheRowsPathAndCancelKeepsTypedText) {
  dialog->dictionaryRows[1].path = "old.dic";
  platform.texts[IdDicPath1] = "typed.dic";
  platform.texts[IdDicPath2] = "old.dic";
  dialog->BrowseDictionary(2);
  EXPECT_EQ(dialog->dictionaryRows[1].path, "old.dic");
  EXPECT_EQ(platform.texts[IdDicPath1], "typed.dic");
  EXPECT_EQ(dialog->dictionaryRows[0].path, "");

  platform.fileAnswers.push_back("/home/u/words.dic");
  dialog->BrowseDictionary(2);
  EXPECT_EQ(platform.texts[IdDicPath2], "/home/u/words.dic");
  EXPECT_EQ(platform.texts[IdDicPath1], "typed.dic");

  ASSERT_EQ(platform.fileRequests.size(), 2u);
  const FileDialogRequest& request = platform.fileRequests[0];
  EXPECT_FALSE(request.save);
  EXPECT_EQ(request.initialName, "");
  EXPECT_EQ(request.defaultExtension, "dic");
  EXPECT_EQ(request.filter, sj("辞書ファイル(*.dic)|*.dic|All Files (*.*)|*.*||"));
  EXPECT_TRUE(request.hideReadOnly);
  EXPECT_FALSE(request.fileMustExist);
}

// Which rows reload when is the core's rule; the panel shows each failed row once and marks the
// slots stale only when the index was rebuilt.
TEST_F(DictionaryPanel, RefreshTellsEachFailedRowOnceAndMarksTheSlotsStaleOnReload) {
  dialog->wordIndex.addWord(sj("まえ"));
  dialog->slots.slotsCurrent = true;
  dialog->refreshDictionaries();  // the first refresh reloads even with every path empty
  EXPECT_FALSE(dialog->slots.slotsCurrent);
  EXPECT_EQ(dialog->wordIndex.wordCount(), 0u);

  writeBytes(folder.path("1.dic"), sj("いち\r\n"));
  writeBytes(folder.path("3.dic"), sj("さん\r\n"));
  platform.texts[IdDicPath1] = folder.path("1.dic");
  platform.texts[IdDicPath2] = folder.path("2.dic");
  platform.texts[IdDicPath3] = folder.path("3.dic");
  dialog->refreshDictionaries();
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Can't Open Dic File"});
  EXPECT_EQ(dialog->wordIndex[2].wordCount(), 2u);

  dialog->slots.slotsCurrent = true;
  dialog->refreshDictionaries();  // nothing changed: no reload, no message
  EXPECT_EQ(platform.messages.size(), 1u);
  EXPECT_TRUE(dialog->slots.slotsCurrent);

  platform.checks[IdEnabled2] = false;
  dialog->refreshDictionaries();
  EXPECT_EQ(platform.messages.size(), 1u);
  EXPECT_FALSE(dialog->slots.slotsCurrent);
  EXPECT_EQ(dialog->loaded.mask, 5);
}

}  // namespace
}  // namespace vexilo
