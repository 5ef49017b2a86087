#include "hostkit/designer/design_document.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <type_traits>
#include <utility>

#include "hostkit/report/template_parser.h"
#include "hostkit/report/template_rewrite.h"

namespace briskal::hostkit::designer {

using report::LineItem;
using report::ReportTemplate;
using report::TemplateItem;

namespace {

// Pasted items land this far from what they copy, so that they show as copies.
constexpr double kPasteOffset = 2;
// A text so broken that every line is wrong still gets a list of reasonable length.
constexpr size_t kMostErrors = 100;

// The line an error "NAME:LINE:COLUMN: message" names, or 0.
int errorLine(const std::string& message, const std::string& name) {
  if (!message.starts_with(name + ":")) return 0;
  int line = 0;
  const char* from = message.data() + name.size() + 1;
  std::from_chars(from, message.data() + message.size(), line);
  return line;
}

}  // namespace

std::vector<std::string> templateErrors(const std::string& text, const std::string& name,
                                        const std::filesystem::path& folder) {
  std::vector<std::string> errors;
  std::string rest = text;
  std::set<int> dropped;
  while (errors.size() < kMostErrors) {
    try {
      report::parseTemplate(rest, name, folder);
      break;
    } catch (const Error& e) {
      errors.push_back(e.description());
      const int line = errorLine(e.description(), name);
      // A line left out already, or none named: what is wrong is the template as a whole.
      if (line <= 0 || !dropped.insert(line).second) break;
      size_t start = 0;
      for (int n = 1; n < line && start != std::string::npos; ++n) {
        start = rest.find('\n', start);
        if (start != std::string::npos) ++start;
      }
      if (start == std::string::npos || start > rest.size()) break;
      const size_t end = std::min(rest.find('\n', start), rest.size());
      // Blanked, not removed: the lines after it keep their numbers.
      rest.replace(start, end - start, std::string());
    }
  }
  return errors;
}

Box boundsOf(const TemplateItem& item) {
  return std::visit(
      [](const auto& i) {
        if constexpr (std::is_same_v<std::decay_t<decltype(i)>, LineItem>)
          return Box{std::min(i.x1, i.x2), std::min(i.y1, i.y2), std::abs(i.x2 - i.x1),
                     std::abs(i.y2 - i.y1)};
        else return Box{i.x, i.y, i.width, i.height};
      },
      item);
}

void setBounds(TemplateItem& item, const Box& box) {
  std::visit(
      [&](auto& i) {
        if constexpr (std::is_same_v<std::decay_t<decltype(i)>, LineItem>) {
          const Box old = boundsOf(item);
          const auto mapX = [&](double x) {
            return old.width > 0 ? box.x + (x - old.x) * box.width / old.width : box.x;
          };
          const auto mapY = [&](double y) {
            return old.height > 0 ? box.y + (y - old.y) * box.height / old.height : box.y;
          };
          i.x1 = mapX(i.x1), i.x2 = mapX(i.x2), i.y1 = mapY(i.y1), i.y2 = mapY(i.y2);
        } else {
          i.x = box.x, i.y = box.y, i.width = box.width, i.height = box.height;
        }
      },
      item);
}

DesignDocument::DesignDocument(std::string text, const std::string& name, const std::filesystem::path& folder)
    : text_(std::move(text)),
      read_(report::parseTemplate(text_, name, folder)),
      saved_(read_),
      current_(read_) {}

std::string DesignDocument::text() const { return report::rewriteTemplate(text_, read_, current_); }

void DesignDocument::saved(const std::string& text, const std::filesystem::path& folder) {
  read_ = report::parseTemplate(text, read_.name, folder);
  text_ = text;
  // Positions now point into the saved text; the template's meaning is the same.
  current_ = read_;
  saved_ = read_;
  undo_.clear();
  redo_.clear();
  selection_.clear();
}

void DesignDocument::select(std::vector<ItemRef> items) {
  std::sort(items.begin(), items.end());
  items.erase(std::unique(items.begin(), items.end()), items.end());
  selection_ = std::move(items);
}

double DesignDocument::sectionTop(size_t section) const {
  double top = current_.page.marginTop;
  for (size_t s = 0; s < section && s < current_.sections.size(); ++s)
    if (current_.sections[s].kind == report::SectionKind::Detail) top += current_.sections[s].height;
  return top;
}

std::optional<ItemRef> DesignDocument::itemAt(double x, double y) const {
  for (size_t s = current_.sections.size(); s-- > 0;) {
    const double left = current_.page.marginLeft;
    const double top = sectionTop(s);
    const auto& items = current_.sections[s].items;
    for (size_t i = items.size(); i-- > 0;) {
      const Box b = boundsOf(items[i]);
      // Lines are thin: they are picked within a millimetre.
      const double slack = b.width < 1 || b.height < 1 ? 1 : 0;
      if (x >= left + b.x - slack && x <= left + b.x + b.width + slack && y >= top + b.y - slack &&
          y <= top + b.y + b.height + slack)
        return ItemRef{s, i};
    }
  }
  return std::nullopt;
}

size_t DesignDocument::sectionAt(double y) const {
  size_t found = 0;
  for (size_t s = 0; s < current_.sections.size(); ++s)
    if (current_.sections[s].kind == report::SectionKind::Detail && y >= sectionTop(s)) found = s;
  return found;
}

void DesignDocument::change(const std::function<void(ReportTemplate&)>& edit) {
  ReportTemplate before = current_;
  edit(current_);
  if (current_ == before) return;
  undo_.push_back({std::move(before), selection_});
  redo_.clear();
}

void DesignDocument::undo() {
  if (undo_.empty()) return;
  redo_.push_back({current_, selection_});
  current_ = std::move(undo_.back().before);
  selection_ = std::move(undo_.back().selection);
  undo_.pop_back();
}

void DesignDocument::redo() {
  if (redo_.empty()) return;
  undo_.push_back({current_, selection_});
  current_ = std::move(redo_.back().before);
  selection_ = std::move(redo_.back().selection);
  redo_.pop_back();
}

void DesignDocument::forSelected(const std::function<void(TemplateItem&)>& edit) {
  change([&](ReportTemplate& t) {
    for (const ItemRef& ref : selection_) edit(t.sections.at(ref.section).items.at(ref.index));
  });
}

void DesignDocument::add(TemplateItem item, size_t section) {
  change([&](ReportTemplate& t) { t.sections.at(section).items.push_back(std::move(item)); });
  selection_ = {ItemRef{section, current_.sections[section].items.size() - 1}};
}

void DesignDocument::moveSelection(double dx, double dy) {
  forSelected([&](TemplateItem& item) {
    Box b = boundsOf(item);
    // Nothing moves off the section's top or left: the format has no negative positions.
    b.x = std::max(0.0, b.x + dx);
    b.y = std::max(0.0, b.y + dy);
    setBounds(item, b);
  });
}

void DesignDocument::resize(ItemRef ref, const Box& box) {
  change([&](ReportTemplate& t) { setBounds(t.sections.at(ref.section).items.at(ref.index), box); });
}

void DesignDocument::align(Edge edge) {
  if (selection_.size() < 2) return;
  // To the first chosen item, as people expect of the item they picked first.
  const Box anchor = boundsOf(item(selection_.front()));
  forSelected([&](TemplateItem& i) {
    Box b = boundsOf(i);
    switch (edge) {
      case Edge::Left: b.x = anchor.x; break;
      case Edge::Right: b.x = anchor.x + anchor.width - b.width; break;
      case Edge::Top: b.y = anchor.y; break;
      case Edge::Bottom: b.y = anchor.y + anchor.height - b.height; break;
      case Edge::CentreX: b.x = anchor.x + (anchor.width - b.width) / 2; break;
      case Edge::CentreY: b.y = anchor.y + (anchor.height - b.height) / 2; break;
    }
    b.x = std::max(0.0, b.x);
    b.y = std::max(0.0, b.y);
    setBounds(i, b);
  });
}

void DesignDocument::distribute(Axis axis) {
  if (selection_.size() < 3) return;
  // Equal gaps between the items, the outermost two staying where they are.
  std::vector<ItemRef> order = selection_;
  const auto start = [&](const ItemRef& r) {
    const Box b = boundsOf(item(r));
    return axis == Axis::Horizontal ? b.x : b.y;
  };
  const auto length = [&](const ItemRef& r) {
    const Box b = boundsOf(item(r));
    return axis == Axis::Horizontal ? b.width : b.height;
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](const ItemRef& a, const ItemRef& b) { return start(a) < start(b); });
  double total = 0;
  for (const ItemRef& r : order) total += length(r);
  const double first = start(order.front());
  const double last = start(order.back()) + length(order.back());
  const double gap = (last - first - total) / static_cast<double>(order.size() - 1);
  std::vector<std::pair<ItemRef, double>> places;
  double at = first;
  for (const ItemRef& r : order) {
    places.emplace_back(r, at);
    at += length(r) + gap;
  }
  change([&](ReportTemplate& t) {
    for (const auto& [ref, place] : places) {
      TemplateItem& i = t.sections.at(ref.section).items.at(ref.index);
      Box b = boundsOf(i);
      (axis == Axis::Horizontal ? b.x : b.y) = std::max(0.0, place);
      setBounds(i, b);
    }
  });
}

void DesignDocument::raise() {
  // Each chosen item one step up in its section, the topmost first so that they keep their order.
  std::vector<ItemRef> moved = selection_;
  change([&](ReportTemplate& t) {
    for (auto r = moved.rbegin(); r != moved.rend(); ++r) {
      auto& items = t.sections.at(r->section).items;
      const bool blocked =
          r->index + 1 >= items.size() ||
          std::find(moved.begin(), moved.end(), ItemRef{r->section, r->index + 1}) != moved.end();
      if (blocked) continue;
      std::swap(items[r->index], items[r->index + 1]);
      ++r->index;
    }
  });
  select(moved);
}

void DesignDocument::lower() {
  std::vector<ItemRef> moved = selection_;
  change([&](ReportTemplate& t) {
    for (ItemRef& r : moved) {
      auto& items = t.sections.at(r.section).items;
      const bool blocked = r.index == 0 || std::find(moved.begin(), moved.end(),
                                                     ItemRef{r.section, r.index - 1}) != moved.end();
      if (blocked) continue;
      std::swap(items[r.index], items[r.index - 1]);
      --r.index;
    }
  });
  select(moved);
}

void DesignDocument::removeSelection() {
  const std::vector<ItemRef> gone = selection_;
  change([&](ReportTemplate& t) {
    for (auto r = gone.rbegin(); r != gone.rend(); ++r) {
      auto& items = t.sections.at(r->section).items;
      items.erase(items.begin() + static_cast<std::ptrdiff_t>(r->index));
    }
  });
  selection_.clear();
}

void DesignDocument::copySelection() {
  clipboard_.clear();
  for (const ItemRef& ref : selection_) clipboard_.push_back(item(ref));
}

void DesignDocument::paste() {
  if (clipboard_.empty()) return;
  const size_t section = selection_.empty() ? sectionAt(0) : selection_.front().section;
  std::vector<ItemRef> pasted;
  change([&](ReportTemplate& t) {
    auto& items = t.sections.at(section).items;
    for (TemplateItem copy : clipboard_) {
      // A copy is a new statement: it has no place in the opened text.
      std::visit([](auto& i) { i.at = {}; }, copy);
      Box b = boundsOf(copy);
      b.x += kPasteOffset;
      b.y += kPasteOffset;
      setBounds(copy, b);
      items.push_back(std::move(copy));
      pasted.push_back({section, items.size() - 1});
    }
  });
  selection_ = std::move(pasted);
}

}  // namespace briskal::hostkit::designer
