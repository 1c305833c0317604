#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "fuzz/targets.h"
#include "support/temp_folder.h"

namespace vexilo::fuzz {

// Test names and messages show the target by name.
void PrintTo(const Target& target, std::ostream* out) { *out << target.name; }

namespace {

namespace fs = std::filesystem;

// The files of a folder of fuzz/, sorted; names starting with '.' only keep the folder.
std::vector<fs::path> inputsIn(const std::string& folder) {
  const char* source = std::getenv("VEXILO_SOURCE_DIR");
  const fs::path path = fs::path(source ? source : ".") / "fuzz" / folder;
  std::vector<fs::path> files;
  if (!fs::is_directory(path)) return files;
  for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
    if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

void runAll(const Target& target, const std::vector<fs::path>& files) {
  for (const fs::path& file : files) {
    try {
      target.run(test::readBytes(file.string()));
    } catch (const PropertyViolation& violation) {
      ADD_FAILURE() << file.string() << ": " << violation.what();
    }
  }
}

class FuzzInputs : public testing::TestWithParam<Target> {};

// A failing input that tools/run-fuzz kept stays in the tree and fails here until it is fixed.
TEST_P(FuzzInputs, SeedsAndKeptFailuresKeepEveryProperty) {
  const std::string name(GetParam().name);
  const std::vector<fs::path> seeds = inputsIn("corpus/" + name);
  EXPECT_FALSE(seeds.empty()) << "no seeds in fuzz/corpus/" << name;
  runAll(GetParam(), seeds);
  runAll(GetParam(), inputsIn("regressions/" + name));
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzInputs, testing::ValuesIn(Targets),
                         [](const testing::TestParamInfo<Target>& info) {
                           return std::string(info.param.name);
                         });

TEST(FuzzUtf8, AcceptsOnlyWellFormedText) {
  EXPECT_TRUE(isUtf8(""));
  EXPECT_TRUE(isUtf8("a\xE3\x82\xA2\xF0\x9F\x98\x80\xEF\xBF\xBD"));
  EXPECT_FALSE(isUtf8("\xC0\x80"));          // overlong NUL
  EXPECT_FALSE(isUtf8("\xE0\x80\xAF"));      // overlong '/'
  EXPECT_FALSE(isUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(isUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_FALSE(isUtf8("\xE3\x82"));          // cut short
  EXPECT_FALSE(isUtf8("\xE3\x41\xA2"));      // no continuation byte
  EXPECT_FALSE(isUtf8("\x82\xA0"));          // code page 932 あ
}

}  // namespace
}  // namespace vexilo::fuzz
