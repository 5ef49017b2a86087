#include "hostkit/report/label_stock.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <unordered_set>

#include "common/error.h"
#include "hostkit/report/builtin_stock.h"
#include "hostkit/report/report_template.h"
#include "hostkit/report/stock_file.h"

namespace briskal::hostkit::report {
namespace {

// Where Debian's catalogue of label stock is installed, by package version.
const char* const kInstalledFolders[] = {"/usr/share/libglabels-3.0/templates",
                                         "/usr/share/glabels-qt/templates", "/usr/share/glabels/templates"};
// An equivalent product names another that may itself be one; chains are short.
constexpr int kLongestChain = 8;

// Papers a catalogue may name without its paper-sizes file.
std::map<std::string, std::pair<double, double>> knownPapers() {
  return {{"A3", {297, 420}},
          {"A4", {210, 297}},
          {"A5", {148, 210}},
          {"A6", {105, 148}},
          {"US-Letter", {215.9, 279.4}},
          {"US-Legal", {215.9, 355.6}},
          {"US-Executive", {184.15, 266.7}}};
}

size_t editDistance(std::string_view a, std::string_view b) {
  std::vector<size_t> previous(b.size() + 1), current(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) previous[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (size_t j = 1; j <= b.size(); ++j)
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (a[i - 1] != b[j - 1])});
    std::swap(previous, current);
  }
  return previous[b.size()];
}

std::string readWhole(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throwReportError("cannot be read");
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The products of the files, their paper sizes and equivalents resolved.
class CatalogueBuilder {
 public:
  void read(const std::filesystem::path& file) {
    try {
      StockFile read = readStockFile(readWhole(file), file.filename().string());
      papers_.merge(read.paperSizes);
      std::ranges::move(read.products, std::back_inserter(entries_));
      std::ranges::move(read.warnings, std::back_inserter(warnings_));
      for (const std::string& name : read.omitted) omitted_.insert(stockKey(name));
    } catch (const Error& e) {
      warnings_.push_back(file.string() + " skipped: " + e.description());
    }
  }

  std::vector<LabelStock> products() {
    papers_.merge(knownPapers());
    std::unordered_map<std::string, size_t> byName;
    for (size_t i = 0; i < entries_.size(); ++i) byName.emplace(stockKey(entries_[i].stock.name()), i);
    std::vector<LabelStock> products;
    for (size_t i = 0; i < entries_.size(); ++i)
      if (byName.at(stockKey(entries_[i].stock.name())) == i)
        if (std::optional<LabelStock> stock = resolve(entries_[i], byName))
          products.push_back(std::move(*stock));
    return products;
  }

  std::vector<std::string>& warnings() { return warnings_; }

 private:
  std::optional<LabelStock> resolve(const StockEntry& entry,
                                    const std::unordered_map<std::string, size_t>& byName) {
    const StockEntry* geometry = &entry;
    for (int step = 0; !geometry->equiv.empty(); ++step) {
      const std::string equivalent = stockKey(geometry->stock.brand + " " + geometry->equiv);
      // Equivalents of the shapes that are not taken are not taken either.
      if (omitted_.contains(equivalent)) return std::nullopt;
      const auto found = byName.find(equivalent);
      if (found == byName.end() || step == kLongestChain) {
        warnings_.push_back(entry.where + ": " + entry.stock.name() + " left out: its equivalent " +
                            geometry->stock.brand + " " + geometry->equiv + " is not in the catalogue");
        return std::nullopt;
      }
      geometry = &entries_[found->second];
    }
    LabelStock stock = geometry->stock;
    stock.brand = entry.stock.brand;
    stock.part = entry.stock.part;
    if (!entry.stock.description.empty()) stock.description = entry.stock.description;
    if (!stock.paper.empty()) {
      const auto paper = papers_.find(stock.paper);
      if (paper == papers_.end()) {
        warnings_.push_back(entry.where + ": " + entry.stock.name() + " left out: unknown paper " +
                            stock.paper);
        return std::nullopt;
      }
      std::tie(stock.sheetWidth, stock.sheetHeight) = paper->second;
    }
    if (stock.sheetWidth <= 0 || stock.sheetHeight <= 0) {
      warnings_.push_back(entry.where + ": " + entry.stock.name() + " left out: its sheet has no size");
      return std::nullopt;
    }
    return stock;
  }

  std::map<std::string, std::pair<double, double>> papers_;
  std::vector<StockEntry> entries_;
  std::vector<std::string> warnings_;
  std::unordered_set<std::string> omitted_;
};

std::filesystem::path defaultFolder() {
  if (const char* folder = std::getenv("BRISKAL_LABEL_STOCK")) return folder;
  std::error_code ignored;
  for (const char* folder : kInstalledFolders)
    if (std::filesystem::is_directory(folder, ignored)) return folder;
  return {};
}

}  // namespace

std::string stockKey(std::string_view name) {
  std::string key;
  for (const char c : name) {
    if (c == ' ' || c == '\t') {
      if (!key.empty() && key.back() != ' ') key += ' ';
    } else {
      key += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
  }
  if (!key.empty() && key.back() == ' ') key.pop_back();
  return key;
}

StockCatalogue::StockCatalogue(std::vector<LabelStock> products, std::vector<std::string> warnings,
                               std::string source)
    : products_(std::move(products)), warnings_(std::move(warnings)), source_(std::move(source)) {
  std::ranges::sort(products_, [](const LabelStock& a, const LabelStock& b) {
    return std::pair(stockKey(a.brand), stockKey(a.part)) < std::pair(stockKey(b.brand), stockKey(b.part));
  });
  for (size_t i = 0; i < products_.size(); ++i) byName_.emplace(stockKey(products_[i].name()), i);
}

StockCatalogue StockCatalogue::builtIn() { return StockCatalogue(builtInStock(), {}, "the built-in list"); }

StockCatalogue StockCatalogue::load(const std::filesystem::path& folder) {
  std::error_code error;
  if (folder.empty() || !std::filesystem::is_directory(folder, error)) return builtIn();
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    if (entry.path().extension() == ".xml" && entry.is_regular_file(error)) files.push_back(entry.path());
  std::ranges::sort(files);
  CatalogueBuilder builder;
  for (const std::filesystem::path& file : files) builder.read(file);
  std::vector<LabelStock> products = builder.products();
  if (products.empty()) {
    builder.warnings().push_back(folder.string() + " has no label stock: the built-in list is used");
    return StockCatalogue(builtInStock(), std::move(builder.warnings()), "the built-in list");
  }
  return StockCatalogue(std::move(products), std::move(builder.warnings()), folder.string());
}

const LabelStock* StockCatalogue::find(std::string_view name) const {
  const auto found = byName_.find(stockKey(name));
  return found == byName_.end() ? nullptr : &products_[found->second];
}

const LabelStock& StockCatalogue::get(std::string_view name) const {
  if (const LabelStock* stock = find(name)) return *stock;
  std::string names;
  for (const std::string& close : closest(name)) names += (names.empty() ? "" : ", ") + close;
  throwReportError("There is no label stock '" + std::string(name) + "' in " + source_ +
                       (names.empty() ? std::string() : "; the closest: " + names),
                   err::kItemNotFound);
}

std::vector<std::string> StockCatalogue::closest(std::string_view name, size_t count) const {
  const std::string key = stockKey(name);
  std::vector<std::pair<size_t, size_t>> distances;  // distance, product
  distances.reserve(products_.size());
  for (size_t i = 0; i < products_.size(); ++i)
    distances.emplace_back(editDistance(key, stockKey(products_[i].name())), i);
  const size_t kept = std::min(count, distances.size());
  std::ranges::partial_sort(distances, distances.begin() + static_cast<std::ptrdiff_t>(kept));
  std::vector<std::string> names;
  for (size_t i = 0; i < kept; ++i) names.push_back(products_[distances[i].second].name());
  return names;
}

const StockCatalogue& labelStockCatalogue() {
  static const StockCatalogue catalogue = [] {
    StockCatalogue loaded = StockCatalogue::load(defaultFolder());
    for (const std::string& warning : loaded.warnings())
      std::cerr << "warning: label stock: " << warning << '\n';
    return loaded;
  }();
  return catalogue;
}

}  // namespace briskal::hostkit::report
