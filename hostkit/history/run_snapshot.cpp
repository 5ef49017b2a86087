#include "hostkit/history/run_snapshot.h"

#include <charconv>
#include <system_error>

#include "common/convert.h"
#include "common/error.h"
#include "common/routines.h"
#include "data/recordset.h"

namespace briskal::hostkit {
namespace {

// Values of a record are apart by this; a value holding it or a backslash has them escaped.
constexpr char kValueSeparator = '\x1f';
constexpr const char* kEscaped = "\\\x1f";

[[noreturn]] void damaged(const std::string& what) {
  throw Error(err::kInvalidArgument, "briskal", "A print job's record is damaged: " + what);
}

std::string numberText(double v) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, end);
}

template <typename T>
T parsedNumber(std::string_view text, const char* what) {
  T v{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size())
    damaged(std::string(what) + " '" + std::string(text) + "'");
  return v;
}

// Settings lines: fields apart by tabs, each with its backslashes, tabs and line feeds escaped.
void appendField(std::string& out, std::string_view field) {
  if (!out.empty() && out.back() != '\n') out += '\t';
  for (const char c : field) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
}

void appendLine(std::string& out, std::initializer_list<std::string_view> fields) {
  for (const std::string_view f : fields) appendField(out, f);
  out += '\n';
}

std::vector<std::string> splitLine(std::string_view line) {
  std::vector<std::string> fields(1);
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\t') {
      fields.emplace_back();
    } else if (c == '\\') {
      if (++i == line.size()) damaged("a setting ends in a backslash");
      fields.back() += line[i] == 't' ? '\t' : line[i] == 'n' ? '\n' : line[i];
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

std::string optionalNumber(const std::optional<int>& v) { return v ? std::to_string(*v) : std::string(); }
std::optional<int> optionalNumber(std::string_view text) {
  if (text.empty()) return std::nullopt;
  return parsedNumber<int>(text, "number");
}

void requireFields(const std::vector<std::string>& line, size_t count) {
  if (line.size() < count) damaged("the setting " + line[0] + " lacks values");
}

template <typename T>
void appendNumber(std::string& out, char type, T v) {
  char digits[24];
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, v);
  out += type;
  out.append(digits, end);
}

void appendValue(std::string& out, const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Empty: out += 'E'; return;
    case Value::Kind::Null: out += 'N'; return;
    case Value::Kind::Bool: out += v.asBool() ? "b1" : "b0"; return;
    case Value::Kind::Int16: return appendNumber(out, 's', v.asInt16());
    case Value::Kind::Int32: return appendNumber(out, 'i', v.asInt32());
    case Value::Kind::Int64: return appendNumber(out, 'l', v.asInt64());
    case Value::Kind::Double: return appendNumber(out, 'd', v.asDouble());
    case Value::Kind::Decimal: out += 'm' + v.asDecimal().toString(); return;
    case Value::Kind::Date: return appendNumber(out, 'D', v.asDate().secondsSinceEpoch());
    case Value::Kind::Text: {
      out += 't';
      const std::string& text = v.asText();
      size_t from = 0;
      for (size_t at = text.find_first_of(kEscaped); at != std::string::npos;
           at = text.find_first_of(kEscaped, from)) {
        out.append(text, from, at - from);
        out += text[at] == '\\' ? "\\\\" : "\\u";
        from = at + 1;
      }
      out.append(text, from, std::string::npos);
      return;
    }
  }
}

Value parsedValue(std::string_view text) {
  if (text.empty()) damaged("a value without its type");
  const std::string_view body = text.substr(1);
  switch (text[0]) {
    case 'E': return Value();
    case 'N': return Value::null();
    case 'b': return Value(body == "1");
    case 's': return Value(parsedNumber<int16_t>(body, "number"));
    case 'i': return Value(parsedNumber<int32_t>(body, "number"));
    case 'l': return Value(parsedNumber<int64_t>(body, "number"));
    case 'd': return Value(parsedNumber<double>(body, "number"));
    case 'D': return Value(DateTime::fromSecondsSinceEpoch(parsedNumber<int64_t>(body, "date")));
    case 'm': {
      const std::optional<Decimal> d = Decimal::parse(body);
      if (!d) damaged("the number '" + std::string(body) + "'");
      return Value(*d);
    }
    case 't': {
      std::string s;
      s.reserve(body.size());
      for (size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\') {
          s += body[i];
          continue;
        }
        if (++i == body.size()) damaged("a text ends in a backslash");
        s += body[i] == 'u' ? kValueSeparator : body[i];
      }
      return Value(std::move(s));
    }
    default: damaged("a value of unknown type '" + std::string(1, text[0]) + "'");
  }
}

// The values of one record's text, without checking their number.
std::vector<Value> parsedValues(std::string_view text) {
  std::vector<Value> values;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] == '\\') {
      ++i;
      continue;
    }
    if (i < text.size() && text[i] != kValueSeparator) continue;
    values.push_back(parsedValue(text.substr(start, i - start)));
    start = i + 1;
  }
  return values;
}

}  // namespace

std::string writeSnapshot(const RunSnapshot& s) {
  std::string out;
  appendLine(out, {"title", s.title});
  appendLine(out, {"folder", s.templateFolder.string()});
  const RegionalSettings& r = s.regional;
  appendLine(out,
             {"regional", r.name, std::string(1, r.decimalSeparator), std::string(1, r.thousandsSeparator),
              r.dateOrder == RegionalSettings::DateOrder::DayMonthYear ? "dmy" : "mdy",
              std::string(1, r.dateSeparator), r.paddedDayMonth ? "1" : "0", r.twelveHourClock ? "1" : "0"});
  for (const auto& [name, text] : s.formulas) appendLine(out, {"formula", name, text});
  for (const auto& [name, mm] : s.sectionHeights) appendLine(out, {"height", name, numberText(mm)});
  for (const std::string& name : s.suppressed) appendLine(out, {"suppress", name});
  for (const auto& [caption, text] : s.captions) appendLine(out, {"caption", caption, text});
  if (!s.stock.empty()) appendLine(out, {"stock", s.stock, std::to_string(s.startAt)});
  if (const auto& p = s.printer) {
    // The label size and the offsets came later: a job kept before has neither.
    appendLine(out, {"printer", p->language ? labelprinter::languageName(*p->language) : "",
                     optionalNumber(p->dpi), std::string(labelprinter::mediaName(p->media)),
                     numberText(p->gapMm), optionalNumber(p->darkness), optionalNumber(p->speed),
                     p->labelSize ? numberText(p->labelSize->widthMm) : "",
                     p->labelSize ? numberText(p->labelSize->heightMm) : "", numberText(p->offsetXMm),
                     numberText(p->offsetYMm)});
  }
  for (const data::Field& f : s.fields)
    appendLine(out,
               {"field", f.name, std::to_string(static_cast<int32_t>(f.type)), std::to_string(f.definedSize),
                std::to_string(f.precision), std::to_string(f.numericScale), std::to_string(f.attributes)});
  return out;
}

RunSnapshot readSnapshot(std::string_view text) {
  RunSnapshot s;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::vector<std::string> line = splitLine(text.substr(start, end - start));
    start = end + 1;
    const std::string& key = line[0];
    if (key == "title") {
      requireFields(line, 2);
      s.title = line[1];
    } else if (key == "folder") {
      requireFields(line, 2);
      s.templateFolder = line[1];
    } else if (key == "regional") {
      requireFields(line, 8);
      RegionalSettings& r = s.regional;
      r.name = line[1];
      if (line[2].size() != 1 || line[3].size() != 1 || line[5].size() != 1) damaged("the regional settings");
      r.decimalSeparator = line[2][0];
      r.thousandsSeparator = line[3][0];
      r.dateOrder = line[4] == "mdy" ? RegionalSettings::DateOrder::MonthDayYear
                                     : RegionalSettings::DateOrder::DayMonthYear;
      r.dateSeparator = line[5][0];
      r.paddedDayMonth = line[6] == "1";
      r.twelveHourClock = line[7] == "1";
    } else if (key == "formula") {
      requireFields(line, 3);
      s.formulas[line[1]] = line[2];
    } else if (key == "height") {
      requireFields(line, 3);
      s.sectionHeights[line[1]] = parsedNumber<double>(line[2], "height");
    } else if (key == "suppress") {
      requireFields(line, 2);
      s.suppressed.insert(line[1]);
    } else if (key == "caption") {
      requireFields(line, 3);
      s.captions[line[1]] = line[2];
    } else if (key == "stock") {
      requireFields(line, 3);
      s.stock = line[1];
      s.startAt = parsedNumber<int>(line[2], "place");
    } else if (key == "printer") {
      requireFields(line, 7);
      labelprinter::PrinterSettings p;
      p.language = labelprinter::languageFromName(line[1]);
      p.dpi = optionalNumber(line[2]);
      p.media = labelprinter::mediaFromName(line[3]).value_or(labelprinter::Media::Gap);
      p.gapMm = parsedNumber<double>(line[4], "gap");
      p.darkness = optionalNumber(line[5]);
      p.speed = optionalNumber(line[6]);
      if (line.size() >= 11) {
        if (!line[7].empty())
          p.labelSize = labelprinter::LabelSize{parsedNumber<double>(line[7], "label width"),
                                                parsedNumber<double>(line[8], "label height")};
        p.offsetXMm = parsedNumber<double>(line[9], "offset");
        p.offsetYMm = parsedNumber<double>(line[10], "offset");
      }
      s.printer = p;
    } else if (key == "field") {
      requireFields(line, 7);
      data::Field f;
      f.name = line[1];
      f.type = static_cast<data::FieldType>(parsedNumber<int32_t>(line[2], "field type"));
      f.definedSize = parsedNumber<int64_t>(line[3], "field size");
      f.precision = parsedNumber<uint8_t>(line[4], "precision");
      f.numericScale = parsedNumber<uint8_t>(line[5], "scale");
      f.attributes = parsedNumber<int32_t>(line[6], "attributes");
      s.fields.push_back(std::move(f));
    }
  }
  return s;
}

std::string recordText(const data::Recordset& records, std::span<const std::string> numbers) {
  std::string out;
  const size_t fields = records.fieldCount();
  out.reserve(fields * 8);
  for (size_t f = 0; f < fields; ++f) {
    if (f > 0) out += kValueSeparator;
    appendValue(out, records.value(f));
  }
  for (const std::string& number : numbers) {
    out += kValueSeparator;
    appendValue(out, Value(number));
  }
  return out;
}

std::unique_ptr<data::Recordset> restoreRecords(const std::vector<data::Field>& fields,
                                                const std::vector<std::string_view>& texts) {
  auto records = std::make_unique<data::Recordset>();
  if (fields.empty()) damaged("it names no fields");
  for (const data::Field& f : fields) {
    data::Field& added = records->appendField(f.name, f.type, f.definedSize, f.attributes);
    added.precision = f.precision;
    added.numericScale = f.numericScale;
  }
  records->open();
  for (const std::string_view text : texts) {
    const std::vector<Value> values = parsedValues(text);
    if (values.size() != fields.size())
      damaged("a label holds " + std::to_string(values.size()) + " values for " +
              std::to_string(fields.size()) + " fields");
    records->addNew();
    for (size_t f = 0; f < values.size(); ++f) records->setValue(f, values[f]);
    records->update();
  }
  if (records->recordCount() > 0) records->moveFirst();
  return records;
}

std::string readableRecord(const std::vector<data::Field>& fields, std::string_view text,
                           const RegionalSettings& regional) {
  const std::vector<Value> values = parsedValues(text);
  std::string out;
  if (values.size() == 1 && values[0].isText()) {
    for (const char c : values[0].asText()) {
      if (c == '\r') continue;
      out += c == '\n' ? std::string(" | ") : std::string(1, c);
    }
    return out;
  }
  for (size_t f = 0; f < values.size(); ++f) {
    if (values[f].isNull() || values[f].isEmpty()) continue;
    const std::string shown(RTrim(toText(values[f], regional)));
    if (shown.empty()) continue;
    if (!out.empty()) out += "; ";
    out += (f < fields.size() ? fields[f].name : "?") + "=" + shown;
  }
  return out;
}

}  // namespace briskal::hostkit
