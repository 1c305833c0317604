#pragma once

#include <algorithm>
#include <cstdint>

namespace vexilo {

struct Point {
  int x = 0;
  int y = 0;
};

struct Size {
  int width = 0;
  int height = 0;
};

// Right and bottom are one past the last pixel.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool isEmpty() const { return right <= left || bottom <= top; }
  bool contains(Point p) const { return left <= p.x && p.x < right && top <= p.y && p.y < bottom; }
  bool intersects(const Rect& other) const {
    return !isEmpty() && !other.isEmpty() && left < other.right && other.left < right &&
           top < other.bottom && other.top < bottom;
  }
  Rect inflated(int by) const { return {left - by, top - by, right + by, bottom + by}; }
  Rect intersected(const Rect& o) const {
    return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
            std::min(bottom, o.bottom)};
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Cells of the grid shown at once.
struct GridShape {
  int columns = 16;
  int rows = 16;
  friend bool operator==(const GridShape&, const GridShape&) = default;
};

struct Color {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Color&, const Color&) = default;
};

}  // namespace vexilo
