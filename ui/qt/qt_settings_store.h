#pragma once

#include <QSettings>
#include <QString>
#include <optional>

#include "ui/platform.h"

namespace vexilo::qt {

// The settings store as an INI file: sections are groups, entries are keys. Strings are kept
// as byte arrays so that any bytes come back unchanged; a file that cannot be read or parsed
// gives the defaults everywhere (the next write replaces it). A path that is there but is no
// regular file (a named pipe, a device, a folder) is never opened: it would block or be written
// through, so the store reads the defaults and keeps no writes.
class QtSettingsStore final : public SettingsStore {
 public:
  // The user's store: <config folder>/<company>/<application>.conf.
  QtSettingsStore(const QString& company, const QString& application);
  explicit QtSettingsStore(const QString& fileName);
  ~QtSettingsStore() override;

  std::string readString(std::string_view section, std::string_view entry,
                         std::string_view fallback) override;
  int readInt(std::string_view section, std::string_view entry, int fallback) override;
  void writeString(std::string_view section, std::string_view entry,
                   std::string_view value) override;
  void writeInt(std::string_view section, std::string_view entry, int value) override;
  std::string folder() override;

  void flush();  // to disk now
  QString fileName() const { return fileName_; }

 private:
  QVariant read(std::string_view section, std::string_view entry);

  QString fileName_;
  std::optional<QSettings> settings_;  // none when the path is no regular file
  bool readable_ = false;
};

}  // namespace vexilo::qt
