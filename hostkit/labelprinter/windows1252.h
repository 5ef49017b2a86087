#pragma once
// Text for the label printers' 8-bit code page: Windows-1252, which the printer selects with
// its I8 command.

#include <string>
#include <string_view>

namespace briskal::hostkit::labelprinter {

// UTF-8 to Windows-1252. A character the code page lacks, a control character and each maximal
// part that is not valid UTF-8 (a stray byte, an overlong form, a surrogate) become one '?'.
std::string toWindows1252(std::string_view utf8);
// The other way, for what a printer shows of a stream; the code page's unused bytes become '?'.
std::string fromWindows1252(std::string_view windows1252);

}  // namespace briskal::hostkit::labelprinter
