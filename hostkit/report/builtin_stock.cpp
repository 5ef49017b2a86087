#include "hostkit/report/builtin_stock.h"

namespace briskal::hostkit::report {
namespace {

// Products the catalogue also has carry its figures, in its units, so that a run prints the same
// with or without it.
constexpr double pt(double points) { return points * 25.4 / 72; }
constexpr double in(double inches) { return inches * 25.4; }

constexpr double kA4Width = 210, kA4Height = 297;
const double kLetterWidth = in(8.5), kLetterHeight = in(11);

LabelStock a4(const char* brand, const char* part, const char* description) {
  return LabelStock{brand, part, description, "A4", kA4Width, kA4Height};
}

LabelStock letter(const char* brand, const char* part, const char* description) {
  return LabelStock{brand, part, description, "US-Letter", kLetterWidth, kLetterHeight};
}

LabelStock grid(LabelStock s, double width, double height, int columns, int rows, double x0, double y0,
                double dx, double dy) {
  s.labelWidth = width, s.labelHeight = height;
  s.columns = columns, s.rows = rows;
  s.x0 = x0, s.y0 = y0, s.dx = dx, s.dy = dy;
  return s;
}

}  // namespace

std::vector<LabelStock> builtInStock() {
  const auto l7160 = [](const char* part) {
    return grid(a4("Avery", part, "Mailing labels"), pt(181.4), pt(108), 3, 7, pt(21.2), pt(43.9), pt(187.2),
                pt(108));
  };
  return {
      l7160("J8160"),
      l7160("L7160"),
      grid(a4("Avery", "L7163", "Mailing labels"), pt(280.9), pt(108), 2, 7, pt(9.5), pt(43), pt(292),
           pt(108)),
      // Not in the catalogue: the maker's figures.
      grid(a4("Avery", "L7173", "Shipping labels"), 99.1, 57, 2, 5, 4.65, 6, 101.6, 57),
      grid(a4("Avery", "L7651", "Mini Address Labels"), pt(108), pt(60.09), 5, 13, pt(13.32), pt(30.90),
           pt(115.09), pt(60.09)),
      grid(letter("Avery", "5160", "Address Labels"), in(2.625), in(1), 3, 10, in(0.15625), in(0.5),
           in(2.78125), in(1)),
      grid(letter("Avery", "5163", "Shipping Labels"), in(4), in(2), 2, 5, in(0.1625), in(0.5), in(4.1875),
           in(2)),
      grid(letter("Avery", "5164", "Shipping Labels"), in(4), in(3.333333333), 2, 3, in(0.15625), in(0.5),
           in(4.1875), in(3.333333333)),
      grid(a4("Zweckform", "3475", "Address Labels"), pt(198.570), pt(102.121), 3, 8, 0, pt(12.566),
           pt(198.570), pt(102.121)),
      grid(a4("Zweckform", "3490", "Rectangular Copier Labels"), pt(198.425), pt(102.047), 3, 8, 0,
           pt(12.557), pt(198.425), pt(102.047)),
  };
}

}  // namespace briskal::hostkit::report
