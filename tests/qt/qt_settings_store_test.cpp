#include "ui/qt/qt_settings_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <climits>

namespace vexilo::qt {
namespace {

TEST(QtSettingsStore, StringsComeBackByteForByte) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("store.conf"));
  // Not code page 932 at all, separators of the file format, a NUL, and an empty string.
  const std::string odd("\x81\xFF\x80\xA0\x5C=;,\"\n\r[x]@B\0z", 16);
  {
    QtSettingsStore store(file);
    store.writeString("NodeBoxStr", "5", odd);
    store.writeString("NodeBoxStr", "6", "");
    store.writeString("DicFile1", "Name", "/tmp/\xE8\xBE\x9E\xE6\x9B\xB8.dic");  // UTF-8 name
  }
  QtSettingsStore store(file);
  EXPECT_EQ(store.readString("NodeBoxStr", "5", "x"), odd);
  EXPECT_EQ(store.readString("NodeBoxStr", "6", "x"), "");
  EXPECT_EQ(store.readString("DicFile1", "Name", ""), "/tmp/\xE8\xBE\x9E\xE6\x9B\xB8.dic");
  EXPECT_EQ(store.readString("NodeBoxStr", "7", "fallback"), "fallback");
}

TEST(QtSettingsStore, IntegersAreThirtyTwoBit) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("store.conf"));
  {
    QtSettingsStore store(file);
    store.writeInt("NodeBoxMark", "0", -1);
    store.writeInt("NodeBoxMark", "1", INT_MAX);
    store.writeInt("NodeBoxMark", "2", INT_MIN);
    store.writeString("NodeBoxMark", "3", "12");
  }
  {
    QFile raw(file);
    ASSERT_TRUE(raw.open(QIODevice::Append));
    raw.write("[NodeBoxFlag]\n0=4294967296\n1=seven\n2=3\n");
  }
  QtSettingsStore store(file);
  EXPECT_EQ(store.readInt("NodeBoxMark", "0", 5), -1);
  EXPECT_EQ(store.readInt("NodeBoxMark", "1", 5), INT_MAX);
  EXPECT_EQ(store.readInt("NodeBoxMark", "2", 5), INT_MIN);
  EXPECT_EQ(store.readInt("NodeBoxMark", "3", 5), 12);
  EXPECT_EQ(store.readInt("NodeBoxFlag", "0", 5), 5);  // beyond 32 bits
  EXPECT_EQ(store.readInt("NodeBoxFlag", "1", 5), 5);
  EXPECT_EQ(store.readInt("NodeBoxFlag", "2", 5), 3);  // typed by hand
  EXPECT_EQ(store.readInt("NodeBoxFlag", "9", -1), -1);
}

TEST(QtSettingsStore, MissingOrBrokenStoresGiveTheDefaults) {
  QTemporaryDir dir;
  {
    QtSettingsStore missing(dir.filePath(QStringLiteral("none/store.conf")));
    EXPECT_EQ(missing.readInt("DicFile1", "Flag", 1), 1);
    EXPECT_EQ(missing.readString("DicFile1", "Name", ""), "");
  }
  const QString garbage = dir.filePath(QStringLiteral("garbage.conf"));
  {
    QFile raw(garbage);
    ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
    raw.write("[DicFile1\nFlag=0\n\x01\x02\xFF[[[=\n[NodeBoxFlag]\n0=3\n\"unterminated");
  }
  {
    QtSettingsStore broken(garbage);
    EXPECT_EQ(broken.readInt("NodeBoxFlag", "0", 0), 0);
    EXPECT_EQ(broken.readInt("DicFile1", "Flag", 1), 1);
    broken.writeInt("NodeBoxFlag", "0", 2);  // the next write replaces the broken file
  }
  EXPECT_EQ(QtSettingsStore(garbage).readInt("NodeBoxFlag", "0", 0), 2);

  // A folder where the file should be cannot be read or written; nothing fails loudly.
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.conf")));
  QtSettingsStore folder(dir.filePath(QStringLiteral("folder.conf")));
  folder.writeInt("NodeBoxFlag", "0", 3);
  folder.flush();
  EXPECT_EQ(
      QtSettingsStore(dir.filePath(QStringLiteral("folder.conf"))).readInt("NodeBoxFlag", "0", 0),
      0);
}

TEST(QtSettingsStore, TheUserStoreLivesUnderCompanyAndApplication) {
  const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           QStringLiteral("/Orvik/Vexilo.conf");
  QtSettingsStore store(QStringLiteral("Orvik"), QStringLiteral("Vexilo"));
  EXPECT_EQ(store.fileName().toStdString(), expected.toStdString());
  EXPECT_TRUE(expected.startsWith(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"))));
}

TEST(QtSettingsStore, AUserStoreThatIsANamedPipeIsNeitherReadNorWritten) {
  QtSettingsStore place(QStringLiteral("Orvik"), QStringLiteral("Vexilo"));
  const QByteArray pipe = QFile::encodeName(place.fileName());
  ASSERT_TRUE(QDir().mkpath(QFileInfo(place.fileName()).path()));
  ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
  // Both ends held open here, so a store that used the pipe would not wait for a partner.
  const int reader = ::open(pipe.constData(), O_RDONLY | O_NONBLOCK);
  const int writer = ::open(pipe.constData(), O_WRONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ASSERT_EQ(::write(writer, "[DicFile1]\nFlag=0\n", 18), 18);
  {
    QtSettingsStore store(QStringLiteral("Orvik"), QStringLiteral("Vexilo"));
    EXPECT_EQ(store.readInt("DicFile1", "Flag", 1), 1);
    store.writeInt("DicFile1", "Flag", 0);
    store.writeString("DicFile1", "Name", "words.dic");
    store.flush();
  }
  char bytes[64];
  EXPECT_EQ(::read(reader, bytes, sizeof bytes), 18);  // what was put in, nothing more
  struct stat status {};
  ASSERT_EQ(::stat(pipe.constData(), &status), 0);
  EXPECT_TRUE(S_ISFIFO(status.st_mode));
  ::close(writer);
  ::close(reader);
  ::unlink(pipe.constData());
}

}  // namespace
}  // namespace vexilo::qt
