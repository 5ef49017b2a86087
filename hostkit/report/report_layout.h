#pragma once
// Lays a template out over its records into device-neutral pages. A flowing report prints its
// header once at the top of the first page, then each record's detail sections; a record's details
// are never split: a new page starts when they would not fit, though a trailing section with no
// items (a gap) may run past the bottom. A label report prints one page of the label's size per
// record, and its header, when it has one, on a page of its own before the labels.

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/regional.h"
#include "hostkit/report/drawing.h"
#include "hostkit/report/label_numbers.h"
#include "hostkit/report/report_template.h"

namespace briskal::data {
class Recordset;
}

namespace briskal::hostkit::report {

// What a run changes in its template.
struct RunSettings {
  std::map<std::string, std::string> formulas;   // replace the template's texts
  std::map<std::string, double> sectionHeights;  // millimetres, replace the template's heights
  std::set<std::string> suppressed;              // sections not printed
  // A caption's text in the run's language; without it captions print as written.
  std::function<std::string(const std::string& caption)> captions;
  // Numbers the run's labels carry (label_numbers.h), printed by fields the records lack.
  LabelNumbers labelNumbers;
  // A sketch, as the designer draws one to place the items, perhaps with the fields' names for
  // their values: a GS1 barcode whose element string breaks a rule is drawn as a frame holding
  // its text, and a field that is no date prints as it is when days are added to it, instead
  // of stopping the run.
  bool sketch = false;
};

// Takes each page as soon as it is laid out.
using PageSink = std::function<void(Page&& page)>;

// Walks `records` from the first record to the end, where it leaves them, handing the pages to
// `sink` in order. Throws briskal::Error naming the item's line and column when a field it prints
// is not among the records' fields; what `sink` throws ends the walk.
void layOut(const ReportTemplate& reportTemplate, data::Recordset& records, const RunSettings& run,
            const RegionalSettings& regional, const PageSink& sink);
// Lays nothing out, but checks on every record, from the first, what would stop layOut at that
// record: the GS1 element strings of the barcodes. Walks a clone; throws as layOut does.
void checkLabels(const ReportTemplate& reportTemplate, const data::Recordset& records, const RunSettings& run,
                 const RegionalSettings& regional);
// The same, with every page kept.
std::vector<Page> layOut(const ReportTemplate& reportTemplate, data::Recordset& records,
                         const RunSettings& run, const RegionalSettings& regional);

class Layouter;

// The current record alone on a page of the template's size, as one label: its detail sections
// from the top margin, without the header. What a label printer prints record by record; the
// template's fields and formulas are looked up once, not for every label. Keeps its own copies of
// the settings; the template and the recordset must outlive it. Throws briskal::Error as layOut
// does when a field is missing.
class RecordLayout {
 public:
  RecordLayout(const ReportTemplate& reportTemplate, const data::Recordset& records, RunSettings run,
               RegionalSettings regional);
  ~RecordLayout();
  RecordLayout(const RecordLayout&) = delete;
  RecordLayout& operator=(const RecordLayout&) = delete;

  // The recordset's current record as one label.
  Page current();

 private:
  RunSettings run_;
  RegionalSettings regional_;
  std::unique_ptr<Layouter> layouter_;
};

}  // namespace briskal::hostkit::report
