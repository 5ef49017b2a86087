#include "hostkit/report/destination_kind.h"

#include <filesystem>
#include <string>
#include <utility>

#include "common/utf8.h"

namespace briskal::hostkit::report {

DestinationKind destinationKind(std::string_view destination) {
  for (const std::string_view scheme : {"tcp://", "ipp://", "ipps://", "cups:"})
    if (destination.starts_with(scheme)) return DestinationKind::LabelPrinter;
  const std::string extension = std::filesystem::path(destination).extension().string();
  constexpr std::pair<std::string_view, DestinationKind> kFiles[] = {
      {".pdf", DestinationKind::PdfFile},  {".png", DestinationKind::PngFiles},
      {".txt", DestinationKind::TextFile}, {".epl", DestinationKind::Epl2File},
      {".zpl", DestinationKind::ZplFile},
  };
  for (const auto& [name, kind] : kFiles)
    if (utf8::equalsNoCase(extension, name)) return kind;
  return DestinationKind::Printer;
}

bool isFile(DestinationKind kind) {
  return kind != DestinationKind::LabelPrinter && kind != DestinationKind::Printer;
}

bool takesLabelJobs(DestinationKind kind) {
  return kind == DestinationKind::Epl2File || kind == DestinationKind::ZplFile ||
         kind == DestinationKind::LabelPrinter;
}

}  // namespace briskal::hostkit::report
