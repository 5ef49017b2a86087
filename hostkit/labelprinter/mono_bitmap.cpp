#include "hostkit/labelprinter/mono_bitmap.h"

#include <cstdint>

#include "common/error.h"
#include "hostkit/report/cairo_handles.h"

namespace briskal::hostkit::labelprinter {
namespace {

using report::CairoContext;
using report::CairoSurface;

[[noreturn]] void imageError(const std::filesystem::path& png, cairo_status_t status) {
  throw Error(report::imageErrorNumber(status), "LabelPrinter",
              "Cannot read the image " + png.string() + ": " + cairo_status_to_string(status));
}

}  // namespace

MonoBitmap loadMonoBitmap(const std::filesystem::path& png, int widthDots, int heightDots) {
  MonoBitmap bitmap;
  if (widthDots <= 0 || heightDots <= 0) return bitmap;

  const CairoSurface source(cairo_image_surface_create_from_png(png.c_str()));
  if (cairo_surface_status(source.get()) != CAIRO_STATUS_SUCCESS)
    imageError(png, cairo_surface_status(source.get()));
  const int sourceWidth = cairo_image_surface_get_width(source.get());
  const int sourceHeight = cairo_image_surface_get_height(source.get());

  // Transparent parts of the image are paper: the image is drawn over white before thresholding.
  const CairoSurface target(cairo_image_surface_create(CAIRO_FORMAT_RGB24, widthDots, heightDots));
  if (cairo_surface_status(target.get()) != CAIRO_STATUS_SUCCESS)
    imageError(png, cairo_surface_status(target.get()));
  {
    const CairoContext cr(cairo_create(target.get()));
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_paint(cr.get());
    if (sourceWidth > 0 && sourceHeight > 0) {
      const double sx = static_cast<double>(widthDots) / sourceWidth;
      const double sy = static_cast<double>(heightDots) / sourceHeight;
      cairo_scale(cr.get(), sx, sy);
      cairo_set_source_surface(cr.get(), source.get(), 0, 0);
      // Enlarged pixels stay sharp blocks; a reduced image is averaged so thin strokes survive as
      // dark enough dots.
      cairo_pattern_set_filter(cairo_get_source(cr.get()),
                               sx >= 1 && sy >= 1 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
      cairo_paint(cr.get());
    }
  }
  cairo_surface_flush(target.get());

  bitmap.widthDots = widthDots;
  bitmap.widthBytes = (widthDots + 7) / 8;
  bitmap.height = heightDots;
  bitmap.rows.assign(static_cast<size_t>(bitmap.widthBytes) * heightDots, static_cast<char>(0xFF));
  const unsigned char* data = cairo_image_surface_get_data(target.get());
  const int stride = cairo_image_surface_get_stride(target.get());
  for (int y = 0; y < heightDots; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
    for (int x = 0; x < widthDots; ++x) {
      const uint32_t pixel = row[x];
      const uint32_t luminance =
          (299 * ((pixel >> 16) & 0xFF) + 587 * ((pixel >> 8) & 0xFF) + 114 * (pixel & 0xFF)) / 1000;
      if (luminance < 128) {
        auto& byte = bitmap.rows[static_cast<size_t>(y) * bitmap.widthBytes + x / 8];
        byte = static_cast<char>(static_cast<unsigned char>(byte) & ~(0x80u >> (x % 8)));
      }
    }
  }
  return bitmap;
}

MonoBitmap turned(const MonoBitmap& bitmap, int rotation) {
  if (rotation == 0) return bitmap;
  const bool across = rotation == 90 || rotation == 270;
  MonoBitmap out;
  out.widthDots = across ? bitmap.height : bitmap.widthDots;
  out.height = across ? bitmap.widthDots : bitmap.height;
  out.widthBytes = (out.widthDots + 7) / 8;
  out.rows.assign(static_cast<size_t>(out.widthBytes) * out.height, static_cast<char>(0xFF));
  for (int y = 0; y < bitmap.height; ++y) {
    for (int x = 0; x < bitmap.widthDots; ++x) {
      const auto in =
          static_cast<unsigned char>(bitmap.rows[static_cast<size_t>(y) * bitmap.widthBytes + x / 8]);
      if ((in >> (7 - x % 8)) & 1) continue;  // white
      int tx = x, ty = y;
      if (rotation == 90) tx = bitmap.height - 1 - y, ty = x;
      if (rotation == 180) tx = bitmap.widthDots - 1 - x, ty = bitmap.height - 1 - y;
      if (rotation == 270) tx = y, ty = bitmap.widthDots - 1 - x;
      auto& byte = out.rows[static_cast<size_t>(ty) * out.widthBytes + tx / 8];
      byte = static_cast<char>(static_cast<unsigned char>(byte) & ~(0x80U >> (tx % 8)));
    }
  }
  return out;
}

}  // namespace briskal::hostkit::labelprinter
