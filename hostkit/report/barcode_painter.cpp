#include "hostkit/report/barcode_painter.h"

#include <zint.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "hostkit/report/report_template.h"
#include "hostkit/report/zint_input.h"

namespace briskal::hostkit::report {
namespace {

struct SymbolDeleter {
  void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};
using Symbol = std::unique_ptr<zint_symbol, SymbolDeleter>;

void check(int status, const zint_symbol& symbol, const BarcodeOp& op) {
  if (status >= ZINT_ERROR)
    throwReportError("The barcode '" + op.data + "' cannot be drawn: " + std::string(symbol.errtxt));
}

Symbol encode(const BarcodeOp& op) {
  Symbol symbol(ZBarcode_Create());
  if (!symbol) throwReportError("The barcode library is out of memory");
  const ZintInput input = zintInput(op.symbology, op.data);
  symbol->symbology = input.symbology;
  symbol->input_mode = input.inputMode;
  symbol->show_hrt = op.showText ? 1 : 0;
  check(ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(input.data.data()),
                        static_cast<int>(input.data.size())),
        *symbol, op);
  check(ZBarcode_Buffer_Vector(symbol.get(), 0), *symbol, op);
  return symbol;
}

void hexagon(cairo_t* cr, double x, double y, double diameter) {
  const double radius = diameter / 2;
  for (int corner = 0; corner < 6; ++corner) {
    const double angle = std::numbers::pi / 3 * corner + std::numbers::pi / 6;
    const double px = x + radius * std::cos(angle);
    const double py = y + radius * std::sin(angle);
    corner == 0 ? cairo_move_to(cr, px, py) : cairo_line_to(cr, px, py);
  }
  cairo_close_path(cr);
}

}  // namespace

void drawBarcode(cairo_t* cr, const BarcodeOp& op, Bars bars) {
  const Symbol symbol = encode(op);
  const zint_vector& v = *symbol->vector;
  if (v.width <= 0 || v.height <= 0) return;

  // Bars scale by `barScale` vertically; everything else by `scale`, the horizontal factor.
  double scale = op.width / v.width;
  double barScale = op.height / v.height;
  double barsBottom = 0;
  for (const zint_vector_rect* r = v.rectangles; r; r = r->next)
    barsBottom = std::max<double>(barsBottom, r->y + r->height);
  const double textHeight = (v.height - barsBottom) * scale;
  double left = op.x;
  double top = op.y;
  if (isMatrix(op.symbology) || barsBottom <= 0 || textHeight >= op.height / 2) {
    scale = barScale = std::min(scale, barScale);
    left += (op.width - v.width * scale) / 2;
    top += (op.height - v.height * scale) / 2;
  } else {
    barScale = (op.height - textHeight) / barsBottom;
  }

  cairo_save(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (const zint_vector_rect* r = v.rectangles; r; r = r->next) {
    if (r->colour == 8) continue;  // white: the paper shows through
    cairo_rectangle(cr, left + r->x * scale, top + r->y * barScale, r->width * scale, r->height * barScale);
    if (bars == Bars::EachApart) cairo_fill(cr);
  }
  for (const zint_vector_hexagon* h = v.hexagons; h; h = h->next)
    hexagon(cr, left + h->x * scale, top + h->y * barScale, h->diameter * scale);
  cairo_fill(cr);

  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  for (const zint_vector_string* s = v.strings; s; s = s->next) {
    cairo_set_font_size(cr, s->fsize * scale);
    const char* text = reinterpret_cast<const char*>(s->text);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    double x = left + s->x * scale;
    if (s->halign == 0) x -= extents.x_advance / 2;
    if (s->halign == 2) x -= extents.x_advance;
    const double baseline = top + barsBottom * barScale + (s->y - barsBottom) * scale;
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, text);
  }
  cairo_restore(cr);
  checkCairo(cairo_status(cr), "Drawing the barcode '" + op.data + "'");
}

}  // namespace briskal::hostkit::report
