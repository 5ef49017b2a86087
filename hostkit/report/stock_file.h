#pragma once
// One file of the label stock catalogue read into products, and the lengths the files write.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hostkit/report/label_stock.h"

namespace briskal::hostkit::report {

// Millimetres from a catalogue length: a number and its unit, mm, cm, in, pt or pc, or a bare
// number of points; an empty length is 0. Nullopt for anything else, or a negative length.
std::optional<double> catalogueLength(std::string_view text);

// A product as its file gives it. One that copies another's geometry names that product's part in
// `equiv`, of the same brand; one on a named paper has its sheet size filled in later.
struct StockEntry {
  LabelStock stock;
  std::string equiv;
  std::string where;  // FILE:LINE, for warnings
};

struct StockFile {
  std::map<std::string, std::pair<double, double>> paperSizes;  // by paper name, width and height
  std::vector<StockEntry> products;
  std::vector<std::string> warnings;  // products left out, and why
  std::vector<std::string> omitted;   // products of shapes that are not taken, by name
};

// Reads one catalogue file: its paper sizes and its products of rectangular or round labels laid
// out on a grid (the first grid of each). Throws briskal::Error when the file is not well formed.
StockFile readStockFile(std::string_view xml, const std::string& name);

}  // namespace briskal::hostkit::report
