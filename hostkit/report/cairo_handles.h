#pragma once
// Owning handles for cairo objects and the one place that turns a cairo status into an error.
// Included by the renderer's own sources only, so that cairo stays out of the public headers.

#include <cairo.h>

#include <memory>
#include <string>

namespace briskal::hostkit::report {

struct CairoDeleter {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using CairoContext = std::unique_ptr<cairo_t, CairoDeleter>;
using CairoSurface = std::unique_ptr<cairo_surface_t, CairoDeleter>;

// Throws briskal::Error "`what`: cairo's message" unless `status` is success.
void checkCairo(cairo_status_t status, const std::string& what);

}  // namespace briskal::hostkit::report
