#include "ui/qt/qt_text.h"

#include <QFile>

#include "ui/cp932_codec.h"

namespace vexilo::qt {

QString fromSjis(std::string_view sjis) {
  const std::string utf8 = cp932ToUtf8(sjis);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string toSjis(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return utf8ToCp932(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QString fromPath(std::string_view path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string toPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace vexilo::qt
