#include "ui/qt/image_context.h"

#include <QGuiApplication>
#include <QPalette>

#include "ui/qt/qt_text.h"

namespace vexilo::qt {

namespace {

int index(DrawingContext::Font font) { return font == DrawingContext::Font::Letters ? 0 : 1; }

}  // namespace

QColor toQColor(Color color) { return QColor(color.red, color.green, color.blue); }

SystemColors SystemColors::fromPalette() {
  const QPalette palette = QGuiApplication::palette();
  const auto color = [&palette](QPalette::ColorRole role) {
    const QColor c = palette.color(role);
    return Color{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                 static_cast<std::uint8_t>(c.blue())};
  };
  return {color(QPalette::Button), color(QPalette::Dark), color(QPalette::Shadow),
          color(QPalette::Midlight), color(QPalette::Light)};
}

GlyphCache::GlyphCache(const QFont& letters, const QFont& numbers)
    : fonts_{letters, numbers}, metrics_{QFontMetrics(letters), QFontMetrics(numbers)} {}

GlyphCache::Entry& GlyphCache::entry(std::string_view text, DrawingContext::Font font) {
  Table& table = tables_[index(font)];
  if (const auto found = table.find(text); found != table.end()) return found->second;
  Entry made;
  made.text = font == DrawingContext::Font::Letters
                  ? fromSjis(text)
                  : QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  const QFontMetrics& metrics = metrics_[index(font)];
  made.extent = {metrics.horizontalAdvance(made.text), metrics.height()};
  return table.emplace(std::string(text), std::move(made)).first->second;
}

Size GlyphCache::extent(std::string_view text, DrawingContext::Font font) {
  return entry(text, font).extent;
}

const QImage& GlyphCache::image(std::string_view text, DrawingContext::Font font, Color textColor,
                                Color background) {
  Entry& found = entry(text, font);
  for (const Render& render : found.renders) {
    if (render.text == textColor && render.background == background) return render.image;
  }
  QImage image(qMax(1, found.extent.width), qMax(1, found.extent.height), QImage::Format_RGB32);
  image.fill(toQColor(background));
  {
    QPainter painter(&image);
    painter.setFont(fonts_[index(font)]);
    painter.setPen(toQColor(textColor));
    painter.drawText(0, metrics_[index(font)].ascent(), found.text);
  }
  found.renders.push_back({textColor, background, std::move(image)});
  return found.renders.back().image;
}

ImageContext::ImageContext(QPainter& painter, GlyphCache& glyphs, Point origin,
                           const SystemColors& colors, DamageSink* sink)
    : painter_(painter), glyphs_(glyphs), origin_(origin), colors_(colors), sink_(sink) {}

void ImageContext::fill(int left, int top, int width, int height, Color color) {
  if (width <= 0 || height <= 0) return;
  const QRect area(left - origin_.x, top - origin_.y, width, height);
  painter_.fillRect(area, toQColor(color));
  if (sink_ != nullptr) sink_->damaged(area);
}

void ImageContext::drawSunkenEdge(const Rect& r) {
  if (r.isEmpty()) return;
  const int w = r.width();
  const int h = r.height();
  // Outer ring: shadow above and left, highlight below and right; inner ring darker and lighter.
  fill(r.left, r.top, w - 1, 1, colors_.shadow);
  fill(r.left, r.top, 1, h - 1, colors_.shadow);
  fill(r.left, r.bottom - 1, w, 1, colors_.highlight);
  fill(r.right - 1, r.top, 1, h, colors_.highlight);
  if (w > 2 && h > 2) {
    fill(r.left + 1, r.top + 1, w - 3, 1, colors_.darkShadow);
    fill(r.left + 1, r.top + 1, 1, h - 3, colors_.darkShadow);
    fill(r.left + 1, r.bottom - 2, w - 2, 1, colors_.light);
    fill(r.right - 2, r.top + 1, 1, h - 2, colors_.light);
  }
}

void ImageContext::frameRect(const Rect& r, Color color) {
  if (r.isEmpty()) return;
  fill(r.left, r.top, r.width(), 1, color);
  fill(r.left, r.bottom - 1, r.width(), 1, color);
  fill(r.left, r.top, 1, r.height(), color);
  fill(r.right - 1, r.top, 1, r.height(), color);
}

void ImageContext::fillRect(const Rect& r, Color color) {
  fill(r.left, r.top, r.width(), r.height(), color);
}

Size ImageContext::textExtent(std::string_view text, Font font) {
  return glyphs_.extent(text, font);
}

void ImageContext::drawText(int x, int y, std::string_view text, Font font, Color textColor,
                            Color background) {
  if (text.empty()) return;
  const QImage& glyph = glyphs_.image(text, font, textColor, background);
  const QPoint at(x - origin_.x, y - origin_.y);
  painter_.drawImage(at, glyph);
  if (sink_ != nullptr) sink_->damaged(QRect(at, glyph.size()));
}

}  // namespace vexilo::qt
