#include "hostkit/report/label_numbers.h"

#include <algorithm>
#include <variant>

#include "data/recordset.h"
#include "hostkit/report/composed_text.h"
#include "hostkit/report/report_layout.h"
#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {
namespace {

bool prints(const ValueSource& source, const std::string& field) {
  if (source.kind == ValueSource::Kind::Field) return source.text == field;
  if (source.kind != ValueSource::Kind::Composed) return false;
  const std::vector<ComposedPart> parts = parseComposed(source.text);
  return std::any_of(parts.begin(), parts.end(), [&](const ComposedPart& p) { return p.field == field; });
}

bool prints(const ReportTemplate& t, const std::string& field) {
  for (const Section& s : t.sections)
    for (const TemplateItem& item : s.items) {
      const ValueSource* source = nullptr;
      if (const auto* text = std::get_if<TextItem>(&item)) source = &text->source;
      if (const auto* barcode = std::get_if<BarcodeItem>(&item)) source = &barcode->source;
      if (source && prints(*source, field)) return true;
    }
  return false;
}

}  // namespace

std::unique_ptr<NumberLease> takeNumbers(NumberSource* source, const ReportTemplate& reportTemplate,
                                         const data::Recordset& records, RunSettings& run) {
  std::vector<std::string> fields;
  for (const std::string field : {kSsccField, kSerialField})
    if (records.fieldIndex(field) < 0 && !run.labelNumbers.contains(field) && prints(reportTemplate, field))
      fields.push_back(field);
  if (fields.empty()) return nullptr;
  if (!source)
    throwReportError(reportTemplate.name + " prints " + fields.front() +
                     ", which the company's counters give, and this run has no counters");
  return source->take(fields, records.recordCount(), run.labelNumbers);
}

}  // namespace briskal::hostkit::report
