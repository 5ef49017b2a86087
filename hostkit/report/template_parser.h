#pragma once
// Reads report templates from their text form (grammar in docs/report-templates.md). A malformed
// template throws briskal::Error whose description starts with "NAME:LINE:COLUMN: ", columns
// counted in characters from 1.

#include <filesystem>
#include <string>
#include <string_view>

#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {

// `name` starts the error messages; image files are looked for in `folder`. A UTF-8 byte order
// mark at the start is ignored.
ReportTemplate parseTemplate(std::string_view text, const std::string& name,
                             const std::filesystem::path& folder);

// Reads the UTF-8 file; its file name is the template's name and its folder holds the images.
ReportTemplate loadTemplate(const std::filesystem::path& file);

}  // namespace briskal::hostkit::report
