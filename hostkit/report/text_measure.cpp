#include "hostkit/report/text_measure.h"

#include <algorithm>
#include <cmath>

#include "hostkit/report/drawing.h"

namespace briskal::hostkit::report {
namespace {

// Sizes are tried in quarter points, which the eye cannot tell apart.
constexpr double kSizeStep = 0.25;

}  // namespace

void selectFont(cairo_t* cr, const std::string& font, bool bold, bool italic, double points) {
  cairo_select_font_face(cr, font.c_str(), italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, points * kMillimetresPerPoint);
}

TextMeasure::TextMeasure()
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1)), cr_(cairo_create(surface_.get())) {
  checkCairo(cairo_status(cr_.get()), "Measuring texts");
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_set_font_options(cr_.get(), options);
  cairo_font_options_destroy(options);
}

double TextMeasure::width(const std::string& text, const std::string& font, bool bold, bool italic,
                          double points) {
  selectFont(cr_.get(), font, bold, italic, points);
  cairo_text_extents_t extents;
  cairo_text_extents(cr_.get(), text.c_str(), &extents);
  return extents.x_advance;
}

double fittingSize(TextMeasure& measure, const std::string& text, const std::string& font, bool bold,
                   bool italic, double points, double smallest, double width) {
  const double natural = measure.width(text, font, bold, italic, points);
  if (natural <= width) return points;
  // Widths grow about in proportion to the size; the steps below make up for what kerning and
  // rounding leave over.
  double size = std::floor(points * width / natural / kSizeStep) * kSizeStep;
  while (size > smallest && measure.width(text, font, bold, italic, size) > width) size -= kSizeStep;
  return std::max(size, smallest);
}

}  // namespace briskal::hostkit::report
