#pragma once
// The fields of the customisable labels' print support by the captions a designer shows them
// with, in Italian as the screens write them (the catalogue's screen texts translate them), and a
// record that shows each field as its caption, for a label designed without data.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/recordset.h"

namespace briskal::hostkit::designer {

struct SupportField {
  std::string name;
  std::string caption;
};

// Every field of the print support, in its order.
const std::vector<SupportField>& supportFields();

// One record whose fields hold "[caption]", their captions given by `caption`.
std::unique_ptr<data::Recordset> captionRecord(const std::function<std::string(const std::string&)>& caption);

}  // namespace briskal::hostkit::designer
