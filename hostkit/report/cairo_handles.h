#pragma once
// Owning handles for cairo objects and the one place that turns a cairo status into an error.
// Included by the renderer's own sources only, so that cairo stays out of the public headers.

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>

namespace briskal::hostkit::report {

struct CairoDeleter {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using CairoContext = std::unique_ptr<cairo_t, CairoDeleter>;
using CairoSurface = std::unique_ptr<cairo_surface_t, CairoDeleter>;

// The error number of a PNG that cairo could not read: a missing file, or an invalid picture
// (cairo says "out of memory" for a file that is no PNG).
int32_t imageErrorNumber(cairo_status_t status);

// Throw briskal::Error "`what`: cairo's message", source "ReportService", unless `status` is
// success: checkImage after reading an image, checkCairo after anything else.
void checkCairo(cairo_status_t status, const std::string& what);
void checkImage(cairo_status_t status, const std::string& file);

}  // namespace briskal::hostkit::report
