#pragma once
// Writes a drawn page as an 8-bit RGB PNG, favouring speed over size: pages are mostly paper, and
// the compression a general-purpose writer spends on them costs far more than drawing them.

#include <filesystem>

#include "hostkit/report/cairo_renderer.h"

namespace briskal::hostkit::report {

// Throws briskal::Error naming the file when it cannot be written.
void writePng(const PageImage& image, const std::filesystem::path& file);

}  // namespace briskal::hostkit::report
