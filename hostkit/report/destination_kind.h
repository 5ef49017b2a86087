#pragma once
// What a destination's name makes of it, one rule for every output of the host (the command line,
// the report service, the print preview, the label printer): an address or a raw queue is a label
// printer, a file is known by its extension in any case, any other name is a print-system printer.

#include <string_view>

namespace briskal::hostkit::report {

enum class DestinationKind {
  PdfFile,       // NAME.pdf
  PngFiles,      // NAME.png, a file a page
  TextFile,      // NAME.txt, the composed texts of standard labels
  Epl2File,      // NAME.epl, a label printer's EPL2 stream
  ZplFile,       // NAME.zpl, a label printer's ZPL II stream
  LabelPrinter,  // tcp://HOST[:PORT], ipp://HOST[:PORT]/PATH, ipps://..., cups:QUEUE
  Printer,       // any other name: a printer of the print system
};

DestinationKind destinationKind(std::string_view destination);

// A file the run writes.
bool isFile(DestinationKind kind);
// Where label-printer jobs go: a label printer or a file of its language.
bool takesLabelJobs(DestinationKind kind);

}  // namespace briskal::hostkit::report
