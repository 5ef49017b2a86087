#include "output/tabular.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "common/convert.h"
#include "common/error.h"
#include "common/utf8.h"

namespace briskal::cli {
namespace {

std::string quoteCsv(const std::string& text) {
  const bool plain = !text.empty() && text.find_first_of(",\"\r\n") == std::string::npos &&
                     text.front() != ' ' && text.back() != ' ';
  if (plain) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

Format defaultFormat() { return isatty(STDOUT_FILENO) ? Format::Table : Format::Csv; }

void requireWritten(std::ostream& out) {
  if (out.flush()) return;
  if (errno == EPIPE) throw OutputClosed{};
  throw Error(fileErrorNumber(errno), "briskal",
              std::string("Cannot write the output: ") + std::strerror(errno));
}

TabularOutput::TabularOutput(std::ostream& out, Format format, const RegionalSettings& rs)
    : out_(out), format_(format), rs_(rs) {}

TabularOutput::~TabularOutput() {
  if (!finished_) finish();
}

void TabularOutput::header(std::vector<std::string> names, std::vector<bool> numbers) {
  names_ = std::move(names);
  rightAligned_ = std::move(numbers);
  rightAligned_.resize(names_.size(), false);
  if (format_ == Format::Table) return;
  for (size_t i = 0; i < names_.size(); ++i) out_ << (i ? "," : "") << quoteCsv(names_[i]);
  out_ << "\r\n";
}

std::string TabularOutput::csvField(const Value& v) const {
  static const RegionalSettings kMachine = RegionalSettings::english();
  switch (v.kind()) {
    case Value::Kind::Null: return "";
    case Value::Kind::Empty: return "\"\"";
    case Value::Kind::Decimal: return v.asDecimal().toString();
    case Value::Kind::Double: return doubleToText(v.asDouble(), kMachine);
    case Value::Kind::Date: return v.asDate().toIso();
    case Value::Kind::Text: return quoteCsv(v.asText());
    default: return toText(v, kMachine);
  }
}

// Text from the database may hold anything: control characters are shown escaped, so that an
// escape sequence in a description cannot act on the terminal, and a line break keeps its row whole.
std::string TabularOutput::tableField(const Value& v) const {
  if (v.isNull() || v.isEmpty()) return "";
  return utf8::printable(toText(v, rs_), false);
}

void TabularOutput::row(std::span<const Value> values) {
  if (format_ == Format::Csv) {
    for (size_t i = 0; i < values.size(); ++i) out_ << (i ? "," : "") << csvField(values[i]);
    out_ << "\r\n";
    // A reader that went away stops the rows at once, not after the last of a million.
    if (!out_) requireWritten(out_);
    return;
  }
  std::vector<std::string> texts;
  texts.reserve(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    texts.push_back(tableField(values[i]));
    if (i < rightAligned_.size() && values[i].isNumber()) rightAligned_[i] = true;
  }
  cells_.push_back(std::move(texts));
}

void TabularOutput::finish() {
  finished_ = true;
  if (format_ == Format::Csv) {
    out_.flush();
    return;
  }
  std::vector<size_t> widths(names_.size());
  for (std::string& name : names_) name = utf8::printable(name, false);
  for (size_t c = 0; c < names_.size(); ++c) widths[c] = utf8::length(names_[c]);
  for (const auto& r : cells_)
    for (size_t c = 0; c < r.size() && c < widths.size(); ++c)
      widths[c] = std::max(widths[c], utf8::length(r[c]));
  auto line = [&](const std::vector<std::string>& texts) {
    std::string s;
    for (size_t c = 0; c < widths.size(); ++c) {
      const std::string& t = c < texts.size() ? texts[c] : std::string();
      const std::string pad(widths[c] - utf8::length(t), ' ');
      s += (c ? "  " : "") + (rightAligned_[c] ? pad + t : t + pad);
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    out_ << s << '\n';
  };
  line(names_);
  std::vector<std::string> rule;
  for (size_t w : widths) rule.emplace_back(w, '-');
  line(rule);
  for (const auto& r : cells_) line(r);
  out_ << "(" << cells_.size() << (cells_.size() == 1 ? " row)\n" : " rows)\n");
  out_.flush();
}

}  // namespace briskal::cli
