#pragma once
// Saves an edited template as a change of the text it was read from, so that what did not change
// keeps its bytes: comments, blank lines, spacing, attribute order and line ends. A template saved
// without changes is the text it was read from, and a changed one differs from it only in the
// lines of the statements that changed.

#include <string>
#include <string_view>

#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {

// `read` is what `original` parses to; `edited` is `read` changed, its statements keeping the
// positions they were read at, new ones with none. A changed statement is written anew in its
// line, with that line's indentation; a removed one loses its line; new formulas follow the last
// formula, new items the last item of their section (or the section itself), new sections the
// end. Parsing the result gives `edited`.
std::string rewriteTemplate(std::string_view original, const ReportTemplate& read,
                            const ReportTemplate& edited);

}  // namespace briskal::hostkit::report
