#pragma once

#include <map>
#include <string>
#include <utility>

#include "ui/platform.h"

namespace vexilo {

// A settings store that lives only as long as its owner: the headless tool never touches the
// user's own store, and tests seed and read this one directly.
class MemorySettingsStore : public SettingsStore {
 public:
  using Key = std::pair<std::string, std::string>;  // section, entry

  std::string readString(std::string_view section, std::string_view entry,
                         std::string_view fallback) override;
  int readInt(std::string_view section, std::string_view entry, int fallback) override;
  void writeString(std::string_view section, std::string_view entry,
                   std::string_view value) override;
  void writeInt(std::string_view section, std::string_view entry, int value) override;
  std::string folder() override { return folderPath; }

  std::map<Key, std::string> strings;
  std::map<Key, int> integers;
  int writes = 0;
  std::string folderPath;  // none unless a test gives one
};

}  // namespace vexilo
