#include "hostkit/report/cairo_renderer.h"

#include <cairo-pdf.h>

#include <cmath>
#include <map>
#include <type_traits>

#include "common/error.h"
#include "hostkit/report/barcode_painter.h"
#include "hostkit/report/cairo_handles.h"
#include "hostkit/report/png_writer.h"
#include "hostkit/report/report_template.h"
#include "hostkit/report/staged_file.h"

namespace briskal::hostkit::report {
namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kPointsPerInch = 72;
constexpr double kMillimetresPerPoint = kMillimetresPerInch / kPointsPerInch;

void requirePages(const std::vector<Page>& pages) {
  if (pages.empty()) throwReportError("The report has no pages to print");
}

// Draws the ops of a page on a context in millimetres; images are read once per render.
class PageDrawer {
 public:
  void draw(cairo_t* cr, const Page& page) {
    // The whole surface: a PNG is rounded up to whole pixels, beyond the page's own size.
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    for (const DrawingOp& op : page.ops) {
      cairo_save(cr);
      cairo_set_source_rgb(cr, 0, 0, 0);
      std::visit([&](const auto& o) { drawOp(cr, page, o); }, op);
      cairo_restore(cr);
    }
    checkCairo(cairo_status(cr), "Drawing a page");
  }

 private:
  static void drawOp(cairo_t* cr, const Page& page, const TextOp& t) {
    // Text is cut at its box's sides, not at its top and bottom, so that a tight box keeps
    // whole glyphs.
    cairo_rectangle(cr, t.x, 0, t.width, page.height);
    cairo_clip(cr);
    cairo_select_font_face(cr, t.font.c_str(), CAIRO_FONT_SLANT_NORMAL,
                           t.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, t.size * kMillimetresPerPoint);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    cairo_text_extents_t text;
    cairo_text_extents(cr, t.text.c_str(), &text);
    double x = t.x;
    if (t.align == Align::Center) x += (t.width - text.x_advance) / 2;
    if (t.align == Align::Right) x += t.width - text.x_advance;
    const double baseline = t.y + (t.height - (font.ascent + font.descent)) / 2 + font.ascent;
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, t.text.c_str());
  }

  static void drawOp(cairo_t* cr, const Page&, const BarcodeOp& b) { drawBarcode(cr, b); }

  static void drawOp(cairo_t* cr, const Page&, const LineOp& l) {
    cairo_set_line_width(cr, l.thickness);
    cairo_move_to(cr, l.x1, l.y1);
    cairo_line_to(cr, l.x2, l.y2);
    cairo_stroke(cr);
  }

  static void drawOp(cairo_t* cr, const Page&, const BoxOp& b) {
    cairo_rectangle(cr, b.x, b.y, b.width, b.height);
    if (b.filled) {
      cairo_fill(cr);
    } else {
      cairo_set_line_width(cr, b.thickness);
      cairo_stroke(cr);
    }
  }

  void drawOp(cairo_t* cr, const Page&, const ImageOp& i) {
    cairo_surface_t* picture = image(i.file);
    const int width = cairo_image_surface_get_width(picture);
    const int height = cairo_image_surface_get_height(picture);
    if (width == 0 || height == 0) return;
    cairo_translate(cr, i.x, i.y);
    cairo_scale(cr, i.width / width, i.height / height);
    cairo_set_source_surface(cr, picture, 0, 0);
    cairo_paint(cr);
  }

  cairo_surface_t* image(const std::string& file) {
    auto found = images_.find(file);
    if (found == images_.end()) {
      CairoSurface surface(cairo_image_surface_create_from_png(file.c_str()));
      checkImage(cairo_surface_status(surface.get()), file);
      found = images_.emplace(file, std::move(surface)).first;
    }
    return found->second.get();
  }

  std::map<std::string, CairoSurface> images_;
};

// A cairo surface over the image's own pixels; the image must outlive it.
CairoSurface imageSurface(PageImage& image) {
  CairoSurface surface(cairo_image_surface_create_for_data(image.pixels.data(), CAIRO_FORMAT_RGB24,
                                                           image.width, image.height, image.stride));
  checkCairo(cairo_surface_status(surface.get()), "Creating a page image");
  return surface;
}

PageImage drawImage(PageDrawer& drawer, const Page& page, double dpi) {
  const double scale = dpi / kMillimetresPerInch;
  PageImage image;
  image.width = static_cast<int>(std::ceil(page.width * scale));
  image.height = static_cast<int>(std::ceil(page.height * scale));
  image.stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, image.width);
  if (image.stride < 0)
    throwReportError("A page of " + std::to_string(image.width) + " pixels cannot be drawn");
  image.pixels.resize(static_cast<size_t>(image.stride) * static_cast<size_t>(image.height));
  CairoSurface surface = imageSurface(image);
  CairoContext cr(cairo_create(surface.get()));
  cairo_scale(cr.get(), scale, scale);
  drawer.draw(cr.get(), page);
  cr.reset();
  cairo_surface_flush(surface.get());
  return image;
}

}  // namespace

void renderPdf(const std::vector<Page>& pages, const std::filesystem::path& file, const std::string& title) {
  requirePages(pages);
  const double scale = kPointsPerInch / kMillimetresPerInch;
  StagedFile staged(file);
  CairoSurface surface(cairo_pdf_surface_create(staged.path().c_str(), pages.front().width * scale,
                                                pages.front().height * scale));
  checkCairo(cairo_surface_status(surface.get()), "Writing " + file.string());
  if (!title.empty()) cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, title.c_str());
  CairoContext cr(cairo_create(surface.get()));
  PageDrawer drawer;
  try {
    for (const Page& page : pages) {
      cairo_pdf_surface_set_size(surface.get(), page.width * scale, page.height * scale);
      cairo_save(cr.get());
      cairo_scale(cr.get(), scale, scale);
      drawer.draw(cr.get(), page);
      cairo_restore(cr.get());
      cairo_show_page(cr.get());
    }
  } catch (const Error&) {
    // A file that could not be written (a full disk) fails every drawing step after it: that
    // is the cause to tell.
    checkCairo(cairo_surface_status(surface.get()), "Writing " + file.string());
    throw;
  }
  cr.reset();
  cairo_surface_finish(surface.get());
  checkCairo(cairo_surface_status(surface.get()), "Writing " + file.string());
  surface.reset();
  staged.commit();
}

PageImage renderPageImage(const Page& page, double dpi) {
  PageDrawer drawer;
  return drawImage(drawer, page, dpi);
}

std::vector<std::filesystem::path> renderPng(const std::vector<Page>& pages,
                                             const std::filesystem::path& file, double dpi) {
  requirePages(pages);
  std::vector<std::filesystem::path> files = pngFileNames(file, pages.size());
  PageDrawer drawer;
  std::vector<StagedFile> staged;
  staged.reserve(files.size());
  for (size_t n = 0; n < pages.size(); ++n) {
    PageImage image = drawImage(drawer, pages[n], dpi);
    staged.emplace_back(files[n]);
    writePng(image, staged.back().path());
  }
  // The pages take their places only once all of them are drawn.
  for (StagedFile& page : staged) page.commit();
  return files;
}

std::vector<std::filesystem::path> pngFileNames(const std::filesystem::path& file, size_t pageCount) {
  if (pageCount == 1) return {file};
  std::vector<std::filesystem::path> files;
  for (size_t n = 1; n <= pageCount; ++n) {
    std::filesystem::path numbered = file;
    numbered.replace_filename(file.stem().string() + "-" + std::to_string(n) + file.extension().string());
    files.push_back(std::move(numbered));
  }
  return files;
}

}  // namespace briskal::hostkit::report
