#include "hostkit/report/template_rewrite.h"

#include <map>
#include <vector>

#include "hostkit/report/template_writer.h"

namespace briskal::hostkit::report {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// What a line of the original holds: its statement, if any, by kind and index.
struct LineRole {
  enum class Kind { Page, Formula, Section, Item } kind;
  size_t section = 0;  // of an item, or the section itself
  size_t index = 0;    // the formula's or the item's
};

struct SourceLine {
  std::string_view body;  // without its line end
  std::string_view end;   // "\n", "\r\n" or nothing on the last line
};

std::vector<SourceLine> sourceLines(std::string_view text) {
  std::vector<SourceLine> lines;
  while (!text.empty()) {
    const size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    std::string_view end;
    if (newline != std::string_view::npos) {
      const bool crlf = !line.empty() && line.back() == '\r';
      if (crlf) line.remove_suffix(1);
      end = text.substr(line.size(), crlf ? 2 : 1);
      text.remove_prefix(newline + 1);
    } else {
      text = {};
    }
    lines.push_back({line, end});
  }
  return lines;
}

class Rewriter {
 public:
  Rewriter(std::string_view original, const ReportTemplate& read, const ReportTemplate& edited)
      : read_(read), edited_(edited) {
    if (original.starts_with(kByteOrderMark)) {
      out_ = kByteOrderMark;
      original.remove_prefix(kByteOrderMark.size());
    }
    lines_ = sourceLines(original);
    eol_ = !lines_.empty() && lines_.front().end == "\r\n" ? "\r\n" : "\n";
    roles_[read.page.at.line] = {LineRole::Kind::Page};
    for (size_t f = 0; f < read.formulas.size(); ++f)
      roles_[read.formulas[f].at.line] = {LineRole::Kind::Formula, 0, f};
    for (size_t s = 0; s < read.sections.size(); ++s) {
      roles_[read.sections[s].at.line] = {LineRole::Kind::Section, s};
      for (size_t i = 0; i < read.sections[s].items.size(); ++i)
        roles_[lineOf(read.sections[s].items[i])] = {LineRole::Kind::Item, s, i};
    }
  }

  std::string run() {
    // Sections are kept by name; one the edit renamed or added is written at the end.
    for (size_t n = 0; n < lines_.size(); ++n) {
      const auto role = roles_.find(static_cast<int>(n + 1));
      if (role == roles_.end()) {
        keep(n);
        continue;
      }
      const LineRole& r = role->second;
      switch (r.kind) {
        case LineRole::Kind::Page:
          edited_.page == read_.page ? keep(n) : replace(n, pageStatement(edited_.page));
          // Formulas for a template that had none follow the page.
          if (read_.formulas.empty())
            for (const Formula& f : edited_.formulas) add(n, "", formulaStatement(f));
          break;
        case LineRole::Kind::Formula: formula(n, r.index); break;
        case LineRole::Kind::Section: section(n, r.section); break;
        case LineRole::Kind::Item: item(n, r.section, r.index); break;
      }
    }
    for (const Section& s : edited_.sections) {
      if (findRead(s.name)) continue;
      ensureLineEnd();
      out_ += sectionStatement(s) + eol_;
      for (const TemplateItem& i : s.items) out_ += "  " + itemStatement(i) + eol_;
    }
    return std::move(out_);
  }

 private:
  static int lineOf(const TemplateItem& item) {
    return std::visit([](const auto& i) { return i.at.line; }, item);
  }

  const Section* findRead(const std::string& name) const { return read_.findSection(name); }

  void keep(size_t n) {
    out_ += lines_[n].body;
    out_ += lines_[n].end;
  }

  // The statement in place of line n's, after the line's indentation and before its line end.
  void replace(size_t n, const std::string& statement) {
    const std::string_view body = lines_[n].body;
    out_ += body.substr(0, body.find_first_not_of(" \t"));
    out_ += statement;
    out_ += lines_[n].end;
  }

  // A statement added after line n: on a line of its own, indented as `like`.
  void add(size_t n, const std::string& indent, const std::string& statement) {
    if (lines_[n].end.empty()) out_ += eol_;
    out_ += indent + statement;
    if (!lines_[n].end.empty()) out_ += eol_;
  }

  void ensureLineEnd() {
    if (!out_.empty() && out_.back() != '\n') out_ += eol_;
  }

  void formula(size_t n, size_t index) {
    if (index < edited_.formulas.size()) {
      const Formula& f = edited_.formulas[index];
      f == read_.formulas[index] ? keep(n) : replace(n, formulaStatement(f));
    }
    if (index + 1 == read_.formulas.size())
      for (size_t extra = read_.formulas.size(); extra < edited_.formulas.size(); ++extra)
        add(n, "", formulaStatement(edited_.formulas[extra]));
  }

  void section(size_t n, size_t readIndex) {
    const Section& before = read_.sections[readIndex];
    const Section* after = edited_.findSection(before.name);
    if (!after) return;  // removed, and its items with it
    const bool same = after->kind == before.kind && after->height == before.height;
    same ? keep(n) : replace(n, sectionStatement(*after));
    if (before.items.empty()) addItems(n, *after, 0, "  ");
  }

  void item(size_t n, size_t readSection, size_t index) {
    const Section& before = read_.sections[readSection];
    const Section* after = edited_.findSection(before.name);
    if (!after) return;
    if (index < after->items.size()) {
      // An item that only changed places, as when another before it went, keeps its own text.
      const TemplateItem& edited = after->items[index];
      const int from = lineOf(edited);
      const auto role = roles_.find(from);
      const bool unchanged = role != roles_.end() && role->second.kind == LineRole::Kind::Item &&
                             role->second.section == readSection &&
                             edited == before.items[role->second.index];
      if (unchanged) {
        out_ += lines_[static_cast<size_t>(from) - 1].body;
        out_ += lines_[n].end;
      } else {
        replace(n, itemStatement(edited));
      }
    }
    if (index + 1 == before.items.size()) {
      const std::string_view body = lines_[n].body;
      addItems(n, *after, before.items.size(), std::string(body.substr(0, body.find_first_not_of(" \t"))));
    }
  }

  void addItems(size_t n, const Section& after, size_t from, const std::string& indent) {
    for (size_t i = from; i < after.items.size(); ++i) add(n, indent, itemStatement(after.items[i]));
  }

  const ReportTemplate& read_;
  const ReportTemplate& edited_;
  std::vector<SourceLine> lines_;
  std::map<int, LineRole> roles_;
  std::string eol_;
  std::string out_;
};

}  // namespace

std::string rewriteTemplate(std::string_view original, const ReportTemplate& read,
                            const ReportTemplate& edited) {
  return Rewriter(original, read, edited).run();
}

}  // namespace briskal::hostkit::report
