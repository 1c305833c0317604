#include "ui/qt/qt_settings_store.h"

#include <QByteArray>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <limits>

#include "ui/qt/qt_text.h"

namespace vexilo::qt {

namespace {

QString key(std::string_view section, std::string_view entry) {
  return QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size())) +
         QLatin1Char('/') + QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size()));
}

}  // namespace

QtSettingsStore::QtSettingsStore(const QString& company, const QString& application)
    : QtSettingsStore(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                      QLatin1Char('/') + company + QLatin1Char('/') + application +
                      QStringLiteral(".conf")) {}

QtSettingsStore::QtSettingsStore(const QString& fileName) : fileName_(fileName) {
  const QFileInfo file(fileName);
  if (file.exists() && !file.isFile()) return;  // follows links: a link to a pipe is a pipe
  settings_.emplace(fileName, QSettings::IniFormat);
  readable_ = settings_->status() == QSettings::NoError;
}

QtSettingsStore::~QtSettingsStore() { flush(); }

void QtSettingsStore::flush() {
  if (settings_) settings_->sync();
}

QVariant QtSettingsStore::read(std::string_view section, std::string_view entry) {
  if (!readable_) return {};
  return settings_->value(key(section, entry));
}

std::string QtSettingsStore::readString(std::string_view section, std::string_view entry,
                                        std::string_view fallback) {
  const QVariant value = read(section, entry);
  switch (value.typeId()) {
    case QMetaType::QByteArray: return value.toByteArray().toStdString();
    case QMetaType::QString:  // written by hand: taken as the file's UTF-8
      return value.toString().toUtf8().toStdString();
    case QMetaType::QStringList:  // a hand-written value with commas
      return value.toStringList().join(QLatin1Char(',')).toUtf8().toStdString();
    default: return std::string(fallback);
  }
}

int QtSettingsStore::readInt(std::string_view section, std::string_view entry, int fallback) {
  const QVariant value = read(section, entry);
  if (!value.isValid()) return fallback;
  bool ok = false;
  const qlonglong number = value.toLongLong(&ok);
  if (!ok || number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) {
    return fallback;
  }
  return static_cast<int>(number);
}

void QtSettingsStore::writeString(std::string_view section, std::string_view entry,
                                  std::string_view value) {
  if (!settings_) return;
  settings_->setValue(key(section, entry),
                      QByteArray(value.data(), static_cast<qsizetype>(value.size())));
}

void QtSettingsStore::writeInt(std::string_view section, std::string_view entry, int value) {
  if (settings_) settings_->setValue(key(section, entry), value);
}

std::string QtSettingsStore::folder() { return toPath(QFileInfo(fileName_).absolutePath()); }

}  // namespace vexilo::qt
