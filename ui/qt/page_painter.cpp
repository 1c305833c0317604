#include "ui/qt/page_painter.h"

#include <QBuffer>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <cstdio>

#include "files/atomic_file.h"
#include "print/puzzle_pages.h"
#include "ui/cp932_codec.h"

namespace vexilo {

namespace {

constexpr const char* FontFamily = "IPAGothic";
constexpr const char* FontFile = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

QString fromSjis(std::string_view text) { return QString::fromStdString(cp932ToUtf8(text)); }

QFont printFont(double points) {
  static const bool known = [] {
    if (QFontDatabase::families().contains(QString::fromLatin1(FontFamily))) return true;
    return QFontDatabase::addApplicationFont(QString::fromLatin1(FontFile)) != -1;
  }();
  (void)known;  // without the font Qt falls back to another face with Japanese glyphs
  QFont font(QString::fromLatin1(FontFamily));
  font.setPointSizeF(points);
  font.setKerning(false);
  return font;
}

// Widths as the painter will set the texts on this device.
class DeviceMetrics : public TextMetrics {
 public:
  explicit DeviceMetrics(QPaintDevice& device) : device_(device) {}
  double width(std::string_view text, double points) const override {
    const QFontMetricsF metrics(printFont(points), &device_);
    return metrics.horizontalAdvance(fromSjis(text)) * 25.4 / device_.logicalDpiX();
  }

 private:
  QPaintDevice& device_;
};

}  // namespace

QPageSize pageSizeOf(PaperSize paper) {
  switch (paper) {
    case PaperSize::B5: return QPageSize(QPageSize::JisB5);
    case PaperSize::Letter: return QPageSize(QPageSize::Letter);
    case PaperSize::A4: break;
  }
  return QPageSize(QPageSize::A4);
}

PaperSize paperOf(const QPageSize& size) {
  if (size.id() == QPageSize::JisB5) return PaperSize::B5;
  if (size.id() == QPageSize::Letter) return PaperSize::Letter;
  return PaperSize::A4;
}

bool paintPuzzlePages(QPagedPaintDevice& device, const PuzzleGrid& grid, const PuzzleClues& clues,
                      PaperSize paper) {
  const std::vector<PrintPage> pages = layoutPuzzle(grid, clues, paper, DeviceMetrics(device));
  QPainter painter;
  if (!painter.begin(&device)) return false;
  const double dots = device.logicalDpiX() / 25.4;  // device units per millimetre
  const auto at = [dots](double mm) { return mm * dots; };
  for (std::size_t p = 0; p < pages.size(); ++p) {
    if (p > 0) device.newPage();
    for (const PrintBox& box : pages[p].boxes) {
      const QRectF rect(QPointF(at(box.left), at(box.top)), QPointF(at(box.right), at(box.bottom)));
      if (box.filled) painter.fillRect(rect, Qt::black);
      if (box.line > 0) {
        painter.setPen(QPen(Qt::black, at(box.line)));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect);
      }
    }
    painter.setPen(Qt::black);
    for (const PrintText& text : pages[p].texts) {
      const QFont font = printFont(text.points);
      painter.setFont(font);
      const QFontMetricsF metrics(font, &device);
      const double line = at(text.points * PointsToMillimetres * LineSpacing);
      const double baseline = at(text.y) + (line - metrics.height()) / 2 + metrics.ascent();
      painter.drawText(QPointF(at(text.x), baseline), fromSjis(text.text));
    }
  }
  return painter.end();
}

bool writePuzzlePdf(const std::string& path, const PuzzleGrid& grid, const PuzzleClues& clues,
                    PaperSize paper) {
  if (QGuiApplication::instance() == nullptr) {
    // A tool's standard error is for its own messages: Qt's notes about the session go.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
      if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
      }
    });
    static int argc = 3;
    static char name[] = "vexilo-cli", option[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    static QGuiApplication application(argc, argv);
  }
  QBuffer bytes;
  bytes.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&bytes);
    writer.setResolution(600);
    writer.setPageSize(pageSizeOf(paper));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setCreator(QStringLiteral("Vexilo"));
    writer.setTitle(fromSjis(clues.properties.title));
    if (!paintPuzzlePages(writer, grid, clues, paper)) return false;
  }
  const QByteArray& pdf = bytes.data();
  return writeFileAtomically(
      path, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())));
}

}  // namespace vexilo
