#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
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

// Drawings kept by key and size, copied back pixel for pixel; bounded, and emptied when full.
// Looked up for every cell a search draws, so by an open table of a hash of a few words.
class TileCache {
 public:
  static constexpr std::size_t Budget = 8 << 20;  // bytes of pixels

  struct Tile {
    std::string key;
    QSize size;
    std::vector<QRgb> pixels;                    // row after row
    std::vector<std::pair<int, QRect>> changes;  // where it differs from other tiles, by id
  };

  // -1 when there is none.
  int find(std::string_view key, QSize size) const;
  int store(std::string_view key, const QImage& image, const QRect& area);
  const Tile& tile(int id) const { return tiles_[static_cast<std::size_t>(id)]; }
  // Where two tiles of one size differ, in tile coordinates; empty when nowhere.
  QRect changed(int from, int to);

  // Which tile was copied to or kept from an image rectangle and is there still, as far as
  // the image's users tell (null when unknown), to be read and changed at once. Rectangles
  // placed never overlap.
  int* placedSlot(const QRect& area);
  void place(const QRect& area, int id);
  // Something else was drawn over area: the tiles it touches are no longer known to be there.
  void drawnOver(const QRect& area);
  void forgetAll() { clear(); }  // the drawings are no longer what cells look like
  void forgetPlaces() {
    placed_.clear();
    tallest_ = 0;
  }

 private:
  struct Slot {
    std::uint32_t hash = 0;
    int id = -1;
  };
  struct Placed {
    QRect area;
    int id;
  };
  static std::uint32_t hashOf(std::string_view key, QSize size);
  void clear();
  void addSlot(std::uint32_t hash, int id);

  std::vector<Tile> tiles_;
  std::vector<Slot> slots_;  // a power of two, at most half full
  std::size_t bytes_ = 0;
  std::map<std::uint64_t, Placed> placed_;  // by top-left corner, row by row
  int tallest_ = 0;                         // of the places since they were last forgotten
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
  // direct: the image the painter is open on, drawn into straight while no clip is set (a
  // search draws thousands of cells a second; the painter's path costs several times the
  // pixels themselves).
  ImageContext(QPainter& painter, GlyphCache& glyphs, Point origin, const SystemColors& colors,
               DamageSink* sink = nullptr, QImage* direct = nullptr, TileCache* tiles = nullptr);
  void setOrigin(Point origin) { origin_ = origin; }
  // Straight drawing stays inside this image rectangle; null: the whole image.
  void setBounds(const QRect& bounds) { bounds_ = bounds; }

  void drawSunkenEdge(const Rect& rect) override;
  void frameRect(const Rect& rect, Color color) override;
  void fillRect(const Rect& rect, Color color) override;
  Size textExtent(std::string_view text, Font font) override;
  void drawText(int x, int y, std::string_view text, Font font, Color textColor,
                Color background) override;
  Color buttonFaceColor() override { return colors_.face; }
  // Only straight drawing is kept or copied back, and only wholly inside the bounds.
  bool drawKept(const Rect& area, std::string_view key) override;
  void keep(const Rect& area, std::string_view key) override;

 private:
  QImage* directTarget() const;
  QRect limit(const QImage& image) const;
  QRect imageArea(const Rect& area) const;
  void fill(int left, int top, int width, int height, Color color);
  void touched(const QRect& imageArea);  // by anything but a tile

  QPainter& painter_;
  GlyphCache& glyphs_;
  Point origin_;
  const SystemColors& colors_;
  DamageSink* sink_;
  QImage* direct_;
  QRect bounds_;
  TileCache* tiles_;
  QRect keeping_;         // drawn since a drawKept that found nothing
  bool spilled_ = false;  // something was drawn outside keeping_ meanwhile
};

QColor toQColor(Color color);

}  // namespace vexilo::qt
