#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ui/platform.h"

namespace vexilo::qt {

// Texts rendered once per font, text colour and background, then copied: cells show the same
// few letters over and over while a search runs.
class GlyphCache {
 public:
  GlyphCache(const QFont& letters, const QFont& numbers);
  Size extent(std::string_view text, DrawingContext::Font font);
  const QImage& image(std::string_view text, DrawingContext::Font font, Color textColor,
                      Color background);

 private:
  struct Render {
    Color text;
    Color background;
    QImage image;
  };
  struct Entry {
    QString text;
    Size extent;
    std::vector<Render> renders;
  };
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  using Table = std::unordered_map<std::string, Entry, Hash, std::equal_to<>>;

  Entry& entry(std::string_view text, DrawingContext::Font font);

  QFont fonts_[2];
  QFontMetrics metrics_[2];
  Table tables_[2];
};

// The system's 3-D colours, read from the palette once.
struct SystemColors {
  Color face;        // button face, also the dialog background
  Color shadow;      // outer ring of a sunken edge, above and left
  Color darkShadow;  // inner ring, above and left
  Color light;       // inner ring, below and right
  Color highlight;   // outer ring, below and right

  static SystemColors fromPalette();
};

// Told of each part of the image a context changes, as it changes it.
class DamageSink {
 public:
  virtual ~DamageSink() = default;
  virtual void damaged(const QRect& imageArea) = 0;
};

// Draws into an image through a painter that stays open, in dialog client coordinates;
// origin is where the image's top-left pixel lies in them.
class ImageContext final : public DrawingContext {
 public:
  ImageContext(QPainter& painter, GlyphCache& glyphs, Point origin, const SystemColors& colors,
               DamageSink* sink = nullptr);
  void setOrigin(Point origin) { origin_ = origin; }

  void drawSunkenEdge(const Rect& rect) override;
  void frameRect(const Rect& rect, Color color) override;
  void fillRect(const Rect& rect, Color color) override;
  Size textExtent(std::string_view text, Font font) override;
  void drawText(int x, int y, std::string_view text, Font font, Color textColor,
                Color background) override;
  Color buttonFaceColor() override { return colors_.face; }

 private:
  void fill(int left, int top, int width, int height, Color color);

  QPainter& painter_;
  GlyphCache& glyphs_;
  Point origin_;
  const SystemColors& colors_;
  DamageSink* sink_;
};

QColor toQColor(Color color);

}  // namespace vexilo::qt
