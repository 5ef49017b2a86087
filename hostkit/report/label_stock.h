#pragma once
// Label stock: sheets of office labels, as a catalogue of products describes them, and the
// catalogue the host prints customisable labels on sheets with. Every measure is in millimetres.

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace briskal::hostkit::report {

struct LabelStock {
  std::string brand, part, description;
  std::string paper;  // the sheet's paper name (A4, US-Letter); empty for a size of its own
  double sheetWidth = 0, sheetHeight = 0;
  double labelWidth = 0, labelHeight = 0;
  int columns = 0, rows = 0;
  double x0 = 0, y0 = 0;  // the first label's top left corner, from the sheet's top left
  double dx = 0, dy = 0;  // from one label to the next across and down

  std::string name() const { return brand + " " + part; }
  int perSheet() const { return columns * rows; }
  // The top left corner of the label at `position` of a sheet, 0-based, filled row by row.
  double left(int position) const { return x0 + column(position) * dx; }
  double top(int position) const { return y0 + row(position) * dy; }
  int column(int position) const { return position % columns; }
  int row(int position) const { return position / columns; }
  friend bool operator==(const LabelStock&, const LabelStock&) = default;
};

class StockCatalogue {
 public:
  // The products of every .xml file of `folder`, their paper sizes from its paper-sizes.xml; a
  // file that is not well formed, or a product that cannot be used, is left out with a warning.
  // Without the folder, or without a product in it, the built-in list.
  static StockCatalogue load(const std::filesystem::path& folder);
  static StockCatalogue builtIn();

  // By "BRAND PART", in any case and spacing; nullptr when the catalogue does not have it.
  const LabelStock* find(std::string_view name) const;
  // The same; throws briskal::Error naming the closest products when there is none.
  const LabelStock& get(std::string_view name) const;
  // Up to `count` products' names, the closest to `name` first.
  std::vector<std::string> closest(std::string_view name, size_t count = 3) const;

  // In the order of brand and part.
  const std::vector<LabelStock>& products() const { return products_; }
  const std::vector<std::string>& warnings() const { return warnings_; }
  // The folder read, or "the built-in list".
  const std::string& source() const { return source_; }

 private:
  explicit StockCatalogue(std::vector<LabelStock> products, std::vector<std::string> warnings,
                          std::string source);

  std::vector<LabelStock> products_;
  std::vector<std::string> warnings_;
  std::string source_;
  std::unordered_map<std::string, size_t> byName_;
};

// The catalogue the host prints with, loaded on first use: from the folder BRISKAL_LABEL_STOCK
// names, else from the first installed catalogue folder, else the built-in list. Its warnings go
// to standard error once, when it is loaded.
const StockCatalogue& labelStockCatalogue();

// A product name as lookups compare it: lower case, single spaces, none at the ends.
std::string stockKey(std::string_view name);

}  // namespace briskal::hostkit::report
