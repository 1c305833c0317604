#include "files/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/file_size_limit.h"
#include "support/temp_folder.h"

namespace vexilo {
namespace {

using test::FileSizeLimit;
using test::readBytes;
using test::TempFolder;
using test::writeBytes;

unsigned modeOf(const std::string& path) {
  struct stat status {};
  ::stat(path.c_str(), &status);
  return status.st_mode & 07777;
}

TEST(AtomicFile, WritesNewFilesAndReplacesOldOnes) {
  TempFolder folder;
  const std::string path = folder.path("a.txt");
  ASSERT_TRUE(writeFileAtomically(path, "first"));
  EXPECT_EQ(readBytes(path), "first");

  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(modeOf(path), 0666u & ~mask);

  ::chmod(path.c_str(), 0600);
  ASSERT_TRUE(writeFileAtomically(path, "second, longer"));
  EXPECT_EQ(readBytes(path), "second, longer");
  EXPECT_EQ(modeOf(path), 0600u);

  ASSERT_TRUE(writeFileAtomically(path, ""));
  EXPECT_EQ(readBytes(path), "");
  EXPECT_EQ(folder.names(), std::vector<std::string>{"a.txt"});
}

// The link stays a link and the file it points to is written, in the folder it is in, also when
// it does not exist yet; a link pointing to itself in a loop writes nothing.
TEST(AtomicFile, SavingThroughALinkWritesWhereItPoints) {
  struct Case {
    const char* link;
    const char* pointsTo;  // relative to the link's folder unless absolute
    const char* written;   // the file that holds the bytes after, or "" for none
  };
  const Case cases[] = {
      {"link.txt", "real.txt", "real.txt"},  // an existing file
      {"link.txt", "new.txt", "new.txt"},    // dangling
      {"link.txt", "sub/new.txt", "sub/new.txt"},
      {"sub/link.txt", "../new.txt", "new.txt"},
      {"link.txt", "chain.txt", "sub/end.txt"},  // chain.txt is itself a link to sub/end.txt
      {"link.txt", "link.txt", ""},              // a loop
      {"link.txt", "missing/new.txt", ""},       // into a folder that is not there
  };
  for (const Case& c : cases) {
    TempFolder folder;
    std::filesystem::create_directory(folder.path("sub"));
    writeBytes(folder.path("real.txt"), "old");
    std::filesystem::create_symlink("sub/end.txt", folder.path("chain.txt"));
    std::filesystem::create_symlink(c.pointsTo, folder.path(c.link));
    const bool written = writeFileAtomically(folder.path(c.link), "new");
    EXPECT_EQ(written, *c.written != '\0') << c.pointsTo;
    EXPECT_TRUE(std::filesystem::is_symlink(folder.path(c.link))) << c.pointsTo;
    if (written) {
      EXPECT_EQ(readBytes(folder.path(c.written)), "new") << c.pointsTo;
    }
    EXPECT_EQ(std::filesystem::read_symlink(folder.path(c.link)), c.pointsTo);
  }
}

TEST(AtomicFile, FailuresLeaveEverythingAsItWas) {
  TempFolder folder;
  writeBytes(folder.path("plain"), "not a folder");
  EXPECT_FALSE(writeFileAtomically(folder.path("plain") + "/a.txt", "x"));
  EXPECT_FALSE(writeFileAtomically(folder.path("missing") + "/a.txt", "x"));
  EXPECT_FALSE(writeFileAtomically("", "x"));

  std::filesystem::create_directory(folder.path("sub"));
  writeBytes(folder.path("sub/inside"), "kept");
  EXPECT_FALSE(writeFileAtomically(folder.path("sub"), "x"));
  EXPECT_EQ(readBytes(folder.path("sub/inside")), "kept");

  const std::string old = folder.path("old.txt");
  writeBytes(old, "the old contents");
  {
    FileSizeLimit limit(100);
    EXPECT_FALSE(writeFileAtomically(old, std::string(1000, 'x')));
  }
  EXPECT_EQ(readBytes(old), "the old contents");
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"old.txt", "plain", "sub"}));

  if (geteuid() != 0) {  // root may write anything, so only others see a read-only file kept
    ::chmod(old.c_str(), 0444);
    EXPECT_FALSE(writeFileAtomically(old, "new"));
    EXPECT_EQ(readBytes(old), "the old contents");
  }
}

}  // namespace
}  // namespace vexilo
