#include "hostkit/report/page_drawer.h"

#include <numbers>

#include "hostkit/report/barcode_painter.h"
#include "hostkit/report/text_measure.h"

namespace briskal::hostkit::report {
namespace {

// Turns the context about the middle of the op's box and returns the op as it is drawn there,
// upright in a box of its own whose sides follow the turn.
template <typename Op>
Op turned(cairo_t* cr, const Op& op) {
  Op upright = op;
  const bool across = op.rotation == 90 || op.rotation == 270;
  upright.width = across ? op.height : op.width;
  upright.height = across ? op.width : op.height;
  upright.x = 0;
  upright.y = 0;
  upright.rotation = 0;
  cairo_translate(cr, op.x + op.width / 2, op.y + op.height / 2);
  cairo_rotate(cr, op.rotation * std::numbers::pi / 180);
  cairo_translate(cr, -upright.width / 2, -upright.height / 2);
  return upright;
}

}  // namespace

void PageDrawer::draw(cairo_t* cr, const Page& page) {
  if (target_ == Target::Pixels) {
    // The whole surface: a PNG is rounded up to whole pixels, beyond the page's own size.
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
  }
  drawOps(cr, page, page.ops);
}

void PageDrawer::drawOps(cairo_t* cr, const Page& page, const std::vector<DrawingOp>& ops) {
  for (const DrawingOp& op : ops) {
    cairo_save(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    std::visit([&](const auto& o) { drawOp(cr, page, o); }, op);
    cairo_restore(cr);
  }
  checkCairo(cairo_status(cr), "Drawing a page");
}

void PageDrawer::drawOp(cairo_t* cr, const Page& page, const TextOp& t) const {
  if (t.rotation != 0) {
    // Upright, the text is cut at its box's sides as any other, and free above and below.
    TextOp upright = turned(cr, t);
    upright.y = upright.height;
    cairo_translate(cr, 0, -upright.height);
    return drawOp(cr, Page{upright.width, 3 * upright.height, {}}, upright);
  }
  selectFont(cr, t.font, t.bold, t.italic, t.size);
  cairo_font_extents_t font;
  cairo_font_extents(cr, &font);
  cairo_text_extents_t text;
  cairo_text_extents(cr, t.text.c_str(), &text);
  double x = t.x;
  if (t.align == Align::Center) x += (t.width - text.x_advance) / 2;
  if (t.align == Align::Right) x += t.width - text.x_advance;
  // Text is cut at its box's sides, not at its top and bottom, so that a tight box keeps whole
  // glyphs.
  const bool inside = x + text.x_bearing >= t.x && x + text.x_bearing + text.width <= t.x + t.width;
  if (target_ == Target::Pixels || !inside) {
    cairo_rectangle(cr, t.x, 0, t.width, page.height);
    cairo_clip(cr);
  }
  const double baseline = t.y + (t.height - (font.ascent + font.descent)) / 2 + font.ascent;
  cairo_move_to(cr, x, baseline);
  cairo_show_text(cr, t.text.c_str());
}

void PageDrawer::drawOp(cairo_t* cr, const Page&, const BarcodeOp& b) const {
  drawBarcode(cr, b.rotation != 0 ? turned(cr, b) : b,
              target_ == Target::Document ? Bars::EachApart : Bars::OneShape);
}

void PageDrawer::drawOp(cairo_t* cr, const Page&, const LineOp& l) {
  cairo_set_line_width(cr, l.thickness);
  cairo_move_to(cr, l.x1, l.y1);
  cairo_line_to(cr, l.x2, l.y2);
  cairo_stroke(cr);
}

void PageDrawer::drawOp(cairo_t* cr, const Page&, const BoxOp& b) {
  cairo_rectangle(cr, b.x, b.y, b.width, b.height);
  if (b.filled) {
    cairo_fill(cr);
  } else {
    cairo_set_line_width(cr, b.thickness);
    cairo_stroke(cr);
  }
}

void PageDrawer::drawOp(cairo_t* cr, const Page& page, const ImageOp& i) {
  if (i.rotation != 0) return drawOp(cr, page, turned(cr, i));
  cairo_surface_t* picture = image(i.file);
  const int width = cairo_image_surface_get_width(picture);
  const int height = cairo_image_surface_get_height(picture);
  if (width == 0 || height == 0) return;
  cairo_translate(cr, i.x, i.y);
  cairo_scale(cr, i.width / width, i.height / height);
  cairo_set_source_surface(cr, picture, 0, 0);
  cairo_paint(cr);
}

cairo_surface_t* PageDrawer::image(const std::string& file) {
  auto found = images_.find(file);
  if (found == images_.end()) {
    CairoSurface surface(cairo_image_surface_create_from_png(file.c_str()));
    checkImage(cairo_surface_status(surface.get()), file);
    found = images_.emplace(file, std::move(surface)).first;
  }
  return found->second.get();
}

}  // namespace briskal::hostkit::report
