#pragma once
// Draws the operations of laid-out pages on a cairo context in millimetres: what the PDF, the PNG
// files and the screen share. Pictures are read once per drawer.

#include <map>
#include <string>
#include <vector>

#include "hostkit/report/cairo_handles.h"
#include "hostkit/report/drawing.h"

namespace briskal::hostkit::report {

class PageDrawer {
 public:
  // Pixels start from white paper and cut every text at its box's sides. A document (PDF) has
  // its own white paper, cuts a text only where its glyphs reach beyond its box, and fills
  // barcode bars one by one, which keeps the document small.
  enum class Target { Pixels, Document };
  explicit PageDrawer(Target target) : target_(target) {}

  // The whole page, on paper of its own.
  void draw(cairo_t* cr, const Page& page);
  // Some of a page's operations, in the order given, on what is drawn already.
  void drawOps(cairo_t* cr, const Page& page, const std::vector<DrawingOp>& ops);

 private:
  void drawOp(cairo_t* cr, const Page& page, const TextOp& t) const;
  void drawOp(cairo_t* cr, const Page&, const BarcodeOp& b) const;
  static void drawOp(cairo_t* cr, const Page&, const LineOp& l);
  static void drawOp(cairo_t* cr, const Page&, const BoxOp& b);
  void drawOp(cairo_t* cr, const Page& page, const ImageOp& i);
  cairo_surface_t* image(const std::string& file);

  Target target_;
  std::map<std::string, CairoSurface> images_;
};

}  // namespace briskal::hostkit::report
