#include "hostkit/report/drawing.h"

#include <functional>
#include <type_traits>

namespace briskal::hostkit::report {
namespace {

class Hasher {
 public:
  template <typename... T>
  void add(const T&... values) {
    ((seed_ ^= std::hash<T>{}(values) + 0x9e3779b97f4a7c15ULL + (seed_ << 6) + (seed_ >> 2)), ...);
  }
  size_t value() const { return seed_; }

 private:
  size_t seed_ = 0;
};

}  // namespace

size_t DrawingOpHash::operator()(const DrawingOp& op) const {
  Hasher h;
  h.add(op.index());
  std::visit(
      [&](const auto& o) {
        using Op = std::decay_t<decltype(o)>;
        if constexpr (std::is_same_v<Op, TextOp>) {
          h.add(o.x, o.y, o.width, o.height, o.text, o.font, o.size, o.bold, static_cast<int>(o.align),
                o.italic, o.rotation);
        } else if constexpr (std::is_same_v<Op, BarcodeOp>) {
          h.add(o.x, o.y, o.width, o.height, static_cast<int>(o.symbology), o.data, o.showText, o.rotation);
        } else if constexpr (std::is_same_v<Op, LineOp>) {
          h.add(o.x1, o.y1, o.x2, o.y2, o.thickness);
        } else if constexpr (std::is_same_v<Op, BoxOp>) {
          h.add(o.x, o.y, o.width, o.height, o.thickness, o.filled);
        } else {
          h.add(o.x, o.y, o.width, o.height, o.file, o.rotation);
        }
      },
      op);
  return h.value();
}

void translate(DrawingOp& op, double dx, double dy) {
  std::visit(
      [&](auto& o) {
        if constexpr (std::is_same_v<std::decay_t<decltype(o)>, LineOp>) {
          o.x1 += dx, o.x2 += dx, o.y1 += dy, o.y2 += dy;
        } else {
          o.x += dx, o.y += dy;
        }
      },
      op);
}

}  // namespace briskal::hostkit::report
