// Report templates laid out over fuzzed records and written in ZPL and EPL2: whatever the
// template and the values, the streams hold the writers' own commands only, each value as data.
//
// The input is a template, then for each record a line "@record" and lines of its values:
//   NAME=TEXT       a field's text (%XX for any byte)
//   NAME#=NUMBER    a field's number
//   NAME            a null field
//   $NAME=TEXT      a formula's text for the run

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "common/error.h"
#include "common/utf8.h"
#include "data/recordset.h"
#include "fuzz_input.h"
#include "hostkit/report/report_layout.h"
#include "hostkit/report/template_parser.h"
#include "label_stream_check.h"

namespace {

using namespace briskal;
using namespace briskal::hostkit::report;

constexpr size_t kMaxRecords = 8;

// The fields the template prints, in the order it names them first; field names ignore case.
std::vector<std::string> printedFields(const ReportTemplate& reportTemplate) {
  std::vector<std::string> names;
  std::set<std::string> seen;
  const auto add = [&](const ValueSource& source) {
    if (source.kind == ValueSource::Kind::Field && seen.insert(utf8::foldCase(source.text)).second)
      names.push_back(source.text);
  };
  for (const Section& section : reportTemplate.sections) {
    for (const TemplateItem& item : section.items) {
      if (const auto* text = std::get_if<TextItem>(&item)) add(text->source);
      if (const auto* barcode = std::get_if<BarcodeItem>(&item)) add(barcode->source);
    }
  }
  return names;
}

using Record = std::map<std::string, Value>;

// A line of a record: its field's name and value, or a formula's text for the run.
void readRecordLine(std::string_view line, Record& record, RunSettings& run) {
  const size_t equals = line.find('=');
  const std::string_view name = line.substr(0, equals);
  const std::string value =
      equals == std::string_view::npos ? "" : fuzz::percentDecoded(line.substr(equals + 1));
  if (name.starts_with('$')) {
    run.formulas[std::string(name.substr(1))] = value;
  } else if (equals == std::string_view::npos) {
    record[std::string(name)] = Value::null();
  } else if (name.ends_with('#')) {
    record[std::string(name.substr(0, name.size() - 1))] = Value(fuzz::numberIn(value, -1e15, 1e15));
  } else {
    record[std::string(name)] = Value(value);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t recordsAt = std::min(input.find("\n@record"), input.size());
  ReportTemplate parsed;
  try {
    parsed = parseTemplate(input.substr(0, recordsAt), "F.RPT", "/nonexistent");
  } catch (const Error&) {
    return 0;
  }
  std::vector<Record> records;
  RunSettings run;
  // Captions come out of the session's catalogue longer or shorter than written.
  run.captions = [](const std::string& caption) {
    return caption.size() % 2 ? caption + caption : std::string();
  };
  for (const std::string_view line : fuzz::lines(input.substr(recordsAt))) {
    if (line == "@record") {
      if (records.size() == kMaxRecords) break;
      records.emplace_back();
    } else if (!records.empty()) {
      readRecordLine(line, records.back(), run);
    }
  }
  data::Recordset rows;
  std::vector<std::string> fields = printedFields(parsed);
  // A recordset needs a field, printed or not.
  if (fields.empty()) fields.emplace_back("RECORD");
  for (const std::string& name : fields)
    rows.appendField(name, data::FieldType::Variant, 0, data::attr::kIsNullable);
  rows.open();
  for (const Record& record : records) {
    rows.addNew();
    for (const std::string& name : fields) {
      const auto value = record.find(name);
      if (value != record.end()) rows.setValue(name, value->second);
    }
    rows.update();
  }
  std::vector<Page> pages;
  try {
    rows.moveFirst();
    pages = layOut(parsed, rows, run, RegionalSettings::italian());
  } catch (const Error&) {
    return 0;
  }
  // The template's folder does not exist: its images are refused, which their own tests cover.
  for (Page& page : pages)
    std::erase_if(page.ops, [](const DrawingOp& op) { return std::holds_alternative<ImageOp>(op); });
  fuzz::writeAndCheckJobs(pages, {});
  return 0;
}
