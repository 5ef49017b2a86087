#pragma once
// How wide a text prints: the fonts the page drawer selects, measured without hinting so that a
// width does not depend on the resolution a page is later drawn at. Included by the report's own
// sources only, so that cairo stays out of the public headers.

#include <string>

#include "hostkit/report/cairo_handles.h"

namespace briskal::hostkit::report {

// Selects the face and the size in points on a context that draws in millimetres.
void selectFont(cairo_t* cr, const std::string& font, bool bold, bool italic, double points);

class TextMeasure {
 public:
  TextMeasure();
  // Millimetres from the text's start to where the next character would go.
  double width(const std::string& text, const std::string& font, bool bold, bool italic, double points);

 private:
  CairoSurface surface_;
  CairoContext cr_;
};

// The size, from `points` down to no less than `smallest`, at which `text` fits `width`
// millimetres; `smallest` when even that is too wide, since the text is then cut at its box.
double fittingSize(TextMeasure& measure, const std::string& text, const std::string& font, bool bold,
                   bool italic, double points, double smallest, double width);

}  // namespace briskal::hostkit::report
