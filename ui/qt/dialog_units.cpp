#include "ui/qt/dialog_units.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

namespace vexilo::qt {

namespace {

QString japaneseFamily() {
  const QStringList families = QFontDatabase::families();
  if (families.contains(QStringLiteral("IPAPGothic"))) return QStringLiteral("IPAPGothic");
  const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
  for (const QString& family : japanese) {
    if (family.contains(QStringLiteral("Gothic"), Qt::CaseInsensitive) ||
        family.contains(QStringLiteral("Sans"), Qt::CaseInsensitive)) {
      return family;
    }
  }
  return japanese.isEmpty() ? QString() : japanese.first();
}

}  // namespace

QFont dialogFont(int points) {
  static const QString family = japaneseFamily();
  QFont font;
  if (!family.isEmpty()) font.setFamily(family);
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(points);
  return font;
}

DialogUnits DialogUnits::of(const QFont& font) {
  const QFontMetrics metrics(font);
  const int width = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(width / 26 + 1) / 2, metrics.height()};
}

QRect DialogUnits::rect(const DialogRect& r) const {
  const int left = x(r.x);
  const int top = y(r.y);
  return {left, top, x(r.x + r.width) - left, y(r.y + r.height) - top};
}

}  // namespace vexilo::qt
