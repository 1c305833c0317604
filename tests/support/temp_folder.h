#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vexilo::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string path(const std::string& name) const { return (root_ / name).string(); }
  // The names in the folder, sorted; shows leftovers such as temporary files.
  std::vector<std::string> names() const;

 private:
  std::filesystem::path root_;
};

std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);

}  // namespace vexilo::test
