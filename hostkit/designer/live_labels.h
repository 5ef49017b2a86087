#pragma once
// Real data for a label being designed: the company's order lines, and for the one chosen the
// labels a run prints from it, as the print support a customisable run fills. The lines are read
// as the parameter form reads them, and expanded one label per unit of the first unit of measure,
// the run's default.

#include <memory>
#include <string>
#include <vector>

#include "common/regional.h"
#include "data/connection.h"
#include "data/recordset.h"

namespace briskal::hostkit::designer {

class LiveLabels {
 public:
  // At most `limit` lines, the oldest orders first. Throws briskal::Error when they cannot be read.
  LiveLabels(data::Connection& connection, int company, RegionalSettings regional, size_t limit = 1000);

  // "Ordine 123/1 · ART-00042 · Flangia cieca DN 80", one for each line.
  const std::vector<std::string>& lines() const { return titles_; }
  // The print support of the line's labels, on its first record; empty when the line gives none.
  std::unique_ptr<data::Recordset> labels(size_t line);

 private:
  struct Line {
    std::string orderType;
    std::string registration;  // DO30_NUMREG_CO99
    std::string lineNumber;    // DO30_PROGRIGA as text
    std::string detail;        // DO46_PROGDET as text: a line has a row for each detail of its cycle
  };
  std::unique_ptr<data::Recordset> read(const std::string& orderType, const std::string& filter);

  data::Connection& connection_;
  int company_;
  RegionalSettings regional_;
  std::vector<Line> lines_;
  std::vector<std::string> titles_;
};

}  // namespace briskal::hostkit::designer
