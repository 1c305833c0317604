#include "ui/qt/image_context.h"

#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "ui/qt/qt_text.h"

namespace vexilo::qt {

namespace {

int index(DrawingContext::Font font) { return font == DrawingContext::Font::Letters ? 0 : 1; }

// rows of width pixels from one block to another; strides in pixels.
void copyPixels(const QRgb* from, qsizetype fromStride, QRgb* to, qsizetype toStride, int width,
                int rows) {
  for (int y = 0; y < rows; ++y, from += fromStride, to += toStride) std::copy_n(from, width, to);
}

qsizetype pixelStride(const QImage& image) {
  return image.bytesPerLine() / qsizetype{sizeof(QRgb)};
}

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
  made.text = fromSjis(text);  // numbers too: a clue label holds kana (ア, 3イ)
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

std::uint32_t TileCache::hashOf(std::string_view key, QSize size) {
  const auto load = [&key](std::size_t at, std::size_t n) {
    std::uint64_t word = 0;
    std::memcpy(&word, key.data() + at, n);
    return word;
  };
  std::uint64_t h = (static_cast<std::uint64_t>(size.width()) << 48 ^
                     static_cast<std::uint64_t>(size.height()) << 32 ^ key.size()) *
                    0x9E3779B97F4A7C15ULL;
  std::size_t at = 0;
  for (; at + 8 < key.size(); at += 8) h = (h ^ load(at, 8)) * 0xFF51AFD7ED558CCDULL;
  // The last one to eight bytes, as two words that may overlap.
  const std::size_t rest = key.size() - at;
  if (rest >= 4) {
    h ^= load(at, 4) << 32 | load(key.size() - 4, 4);
  } else if (rest > 0) {
    h ^= load(at, 1) << 16 | load(at + rest / 2, 1) << 8 | load(key.size() - 1, 1);
  }
  h *= 0xC4CEB9FE1A85EC53ULL;
  return static_cast<std::uint32_t>(h >> 32);
}

int TileCache::find(std::string_view key, QSize size) const {
  if (slots_.empty()) return -1;
  const std::uint32_t hash = hashOf(key, size);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.id == -1) return -1;
    if (slot.hash != hash) continue;
    const Tile& found = tile(slot.id);
    if (found.size == size && found.key == key) return slot.id;
  }
}

void TileCache::clear() {
  tiles_.clear();
  slots_.clear();
  placed_.clear();
  bytes_ = 0;
}

namespace {

// Row by row, then left to right, so that the places near a row are neighbours in the map.
std::uint64_t corner(int top, int left) {
  constexpr std::uint32_t Bias = 0x80000000u;  // negative coordinates sort first
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(top) ^ Bias) << 32 |
         (static_cast<std::uint32_t>(left) ^ Bias);
}

std::uint64_t corner(const QRect& area) { return corner(area.top(), area.left()); }

}  // namespace

int* TileCache::placedSlot(const QRect& area) {
  const auto found = placed_.find(corner(area));
  return found != placed_.end() && found->second.area == area ? &found->second.id : nullptr;
}

void TileCache::place(const QRect& area, int id) {
  if (int* there = placedSlot(area)) {
    *there = id;  // the same place, which overlaps no other
    return;
  }
  drawnOver(area);
  placed_.emplace(corner(area), Placed{area, id});
  tallest_ = std::max(tallest_, area.height());
}

// Only the places that start in the rows area covers, or in the rows above it as far as the
// tallest place reaches, are looked at: every stroke of a cell drawn afresh comes here.
void TileCache::drawnOver(const QRect& area) {
  auto at = placed_.lower_bound(corner(area.top() - tallest_ + 1, std::numeric_limits<int>::min()));
  const auto end = placed_.upper_bound(corner(area.bottom(), std::numeric_limits<int>::max()));
  while (at != end) {
    at = at->second.area.intersects(area) ? placed_.erase(at) : std::next(at);
  }
}

void TileCache::addSlot(std::uint32_t hash, int id) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = hash & mask;
  while (slots_[i].id != -1) i = (i + 1) & mask;
  slots_[i] = {hash, id};
}

int TileCache::store(std::string_view key, const QImage& image, const QRect& area) {
  const std::size_t count =
      static_cast<std::size_t>(area.width()) * static_cast<std::size_t>(area.height());
  if (count * sizeof(QRgb) > Budget / 16) return -1;
  if (bytes_ + count * sizeof(QRgb) > Budget) clear();
  Tile made{std::string(key), area.size(), std::vector<QRgb>(count), {}};
  copyPixels(reinterpret_cast<const QRgb*>(image.constScanLine(area.top())) + area.left(),
             pixelStride(image), made.pixels.data(), area.width(), area.width(), area.height());
  bytes_ += count * sizeof(QRgb);
  const int id = static_cast<int>(tiles_.size());
  tiles_.push_back(std::move(made));
  if (2 * tiles_.size() > slots_.size()) {
    slots_.assign(std::max<std::size_t>(256, 2 * slots_.size()), Slot{});
    for (std::size_t t = 0; t < tiles_.size(); ++t) {
      addSlot(hashOf(tiles_[t].key, tiles_[t].size), static_cast<int>(t));
    }
  } else {
    addSlot(hashOf(key, area.size()), id);
  }
  return id;
}

QRect TileCache::changed(int from, int to) {
  Tile& b = tiles_[static_cast<std::size_t>(to)];
  for (const auto& [other, area] : b.changes) {
    if (other == from) return area;
  }
  const Tile& a = tile(from);
  QRect differ;
  for (int y = 0; y < b.size.height(); ++y) {
    for (int x = 0; x < b.size.width(); ++x) {
      const std::size_t at = static_cast<std::size_t>(y * b.size.width() + x);
      if (a.pixels[at] != b.pixels[at]) differ |= QRect(x, y, 1, 1);
    }
  }
  b.changes.emplace_back(from, differ);
  return differ;
}

ImageContext::ImageContext(QPainter& painter, GlyphCache& glyphs, Point origin,
                           const SystemColors& colors, DamageSink* sink, QImage* direct,
                           TileCache* tiles)
    : painter_(painter),
      glyphs_(glyphs),
      origin_(origin),
      colors_(colors),
      sink_(sink),
      direct_(direct),
      tiles_(tiles) {}

namespace {

// a & b without the library call; empty when they do not meet.
QRect meet(const QRect& a, const QRect& b) {
  const int left = std::max(a.left(), b.left());
  const int top = std::max(a.top(), b.top());
  const int right = std::min(a.right(), b.right());
  const int bottom = std::min(a.bottom(), b.bottom());
  return left <= right && top <= bottom ? QRect(QPoint(left, top), QPoint(right, bottom)) : QRect();
}

}  // namespace

QRect ImageContext::limit(const QImage& image) const {
  return bounds_.isNull() ? image.rect() : meet(bounds_, image.rect());
}

QRect ImageContext::imageArea(const Rect& area) const {
  return {area.left - origin_.x, area.top - origin_.y, area.width(), area.height()};
}

void ImageContext::touched(const QRect& area) {
  if (sink_ != nullptr) sink_->damaged(area);
  if (tiles_ != nullptr) tiles_->drawnOver(area);
  if (!keeping_.isNull() && !keeping_.contains(area)) spilled_ = true;
}

bool ImageContext::drawKept(const Rect& area, std::string_view key) {
  keeping_ = QRect();
  QImage* image = tiles_ != nullptr ? directTarget() : nullptr;
  if (image == nullptr) return false;
  const QRect at = imageArea(area);
  if (at.isEmpty() || !limit(*image).contains(at)) return false;
  const int id = tiles_->find(key, at.size());
  if (id == -1) {
    keeping_ = at;
    spilled_ = false;
    return false;
  }
  int* there = tiles_->placedSlot(at);
  const QRect part =
      there == nullptr ? QRect(QPoint(0, 0), at.size()) : tiles_->changed(*there, id);
  if (part.isEmpty()) return true;
  const QRect target = part.translated(at.topLeft());
  copyPixels(tiles_->tile(id).pixels.data() + part.top() * at.width() + part.left(), at.width(),
             reinterpret_cast<QRgb*>(image->scanLine(target.top())) + target.left(),
             pixelStride(*image), part.width(), part.height());
  if (there != nullptr) {
    *there = id;
  } else {
    tiles_->place(at, id);
  }
  if (sink_ != nullptr) sink_->damaged(target);
  return true;
}

void ImageContext::keep(const Rect& area, std::string_view key) {
  const QRect at = std::exchange(keeping_, QRect());
  QImage* image = directTarget();
  if (at.isNull() || spilled_ || image == nullptr || at != imageArea(area)) return;
  if (const int id = tiles_->store(key, *image, at); id != -1) tiles_->place(at, id);
}

QImage* ImageContext::directTarget() const {
  if (direct_ == nullptr || painter_.hasClipping()) return nullptr;
  return direct_->format() == QImage::Format_RGB32 ? direct_ : nullptr;
}

void ImageContext::fill(int left, int top, int width, int height, Color color) {
  if (width <= 0 || height <= 0) return;
  QRect area(left - origin_.x, top - origin_.y, width, height);
  if (QImage* image = directTarget()) {
    area = meet(area, limit(*image));
    if (area.isEmpty()) return;
    const QRgb pixel = qRgb(color.red, color.green, color.blue);
    const qsizetype stride = image->bytesPerLine();
    uchar* row = image->bits() + area.top() * stride;
    for (int y = area.top(); y <= area.bottom(); ++y, row += stride) {
      std::fill_n(reinterpret_cast<QRgb*>(row) + area.left(), area.width(), pixel);
    }
  } else {
    painter_.fillRect(area, toQColor(color));
  }
  touched(area);
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
  QImage* image = directTarget();
  if (image == nullptr || glyph.format() != QImage::Format_RGB32) {
    painter_.drawImage(at, glyph);
    touched(QRect(at, glyph.size()));
    return;
  }
  const QRect area = meet(QRect(at, glyph.size()), limit(*image));
  if (area.isEmpty()) return;
  copyPixels(reinterpret_cast<const QRgb*>(glyph.constScanLine(area.top() - at.y())) +
                 (area.left() - at.x()),
             pixelStride(glyph), reinterpret_cast<QRgb*>(image->scanLine(area.top())) + area.left(),
             pixelStride(*image), area.width(), area.height());
  touched(area);
}

}  // namespace vexilo::qt
