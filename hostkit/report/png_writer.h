#pragma once
// Writes a drawn page as an 8-bit RGB PNG, favouring speed over size: pages are mostly paper, and
// the compression a general-purpose writer spends on them costs far more than drawing them.

#include <filesystem>

#include "hostkit/report/cairo_renderer.h"

namespace briskal::hostkit::report {

// Writes `file`, which will become `destination` (a staged file's name means nothing to a
// person); throws briskal::Error naming the destination and the reason when it cannot be written.
void writePng(const PageImage& image, const std::filesystem::path& file,
              const std::filesystem::path& destination);

}  // namespace briskal::hostkit::report
