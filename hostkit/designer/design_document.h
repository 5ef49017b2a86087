#pragma once
// A template being designed: the text it was opened from, the template as it is now, the items
// chosen, and every change kept so that it can be undone and redone. Saving writes the changes
// into the opened text, so a template saved unchanged is the text it was opened from.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "hostkit/report/report_template.h"

namespace briskal::hostkit::designer {

// An item by its section and its place among the section's items (which is also its order in
// drawing: later items are drawn over earlier ones).
struct ItemRef {
  size_t section = 0;
  size_t index = 0;
  friend auto operator<=>(const ItemRef&, const ItemRef&) = default;
};

// A rectangle in millimetres from the top left of the item's section.
struct Box {
  double x = 0, y = 0, width = 0, height = 0;
};

Box boundsOf(const report::TemplateItem& item);
// Moves and sizes the item to `box`; a line keeps its direction, its ends scaled into the box.
void setBounds(report::TemplateItem& item, const Box& box);

// Every error the parser finds in `text`, one a line: after each, the line it names is left out
// and the rest read again, so that one mistake does not hide the next. Empty when it parses.
std::vector<std::string> templateErrors(const std::string& text, const std::string& name,
                                        const std::filesystem::path& folder);

enum class Edge { Left, Right, Top, Bottom, CentreX, CentreY };
enum class Axis { Horizontal, Vertical };

class DesignDocument {
 public:
  // Throws briskal::Error with the parser's line and column when the text is no template.
  DesignDocument(std::string text, const std::string& name, const std::filesystem::path& folder);

  const report::ReportTemplate& current() const { return current_; }
  const std::string& name() const { return read_.name; }
  // The opened text with the changes written in.
  std::string text() const;
  bool modified() const { return !(current_ == saved_); }
  // After the text was kept somewhere, its images found from `folder`: that text is what the
  // document now changes.
  void saved(const std::string& text, const std::filesystem::path& folder);

  const std::vector<ItemRef>& selection() const { return selection_; }
  void select(std::vector<ItemRef> items);
  const report::TemplateItem& item(ItemRef ref) const {
    return current_.sections.at(ref.section).items.at(ref.index);
  }
  // The top of a section on the label, below the page's top margin and the detail sections
  // before it.
  double sectionTop(size_t section) const;
  // The item whose box holds the point (millimetres from the label's top left), the topmost one.
  std::optional<ItemRef> itemAt(double x, double y) const;

  // Every change goes through here: one step of undo each.
  void change(const std::function<void(report::ReportTemplate&)>& edit);
  bool canUndo() const { return !undo_.empty(); }
  bool canRedo() const { return !redo_.empty(); }
  void undo();
  void redo();

  // The section under the point, for an item dropped there.
  size_t sectionAt(double y) const;
  void add(report::TemplateItem item, size_t section);
  void moveSelection(double dx, double dy);
  void resize(ItemRef ref, const Box& box);
  void align(Edge edge);
  void distribute(Axis axis);
  void raise();
  void lower();
  void removeSelection();
  void copySelection();
  void paste();

 private:
  struct Step {
    report::ReportTemplate before;
    std::vector<ItemRef> selection;
  };
  void forSelected(const std::function<void(report::TemplateItem&)>& edit);

  std::string text_;
  report::ReportTemplate read_;   // what text_ parses to
  report::ReportTemplate saved_;  // the template as last saved
  report::ReportTemplate current_;
  std::vector<ItemRef> selection_;
  std::vector<Step> undo_, redo_;
  std::vector<report::TemplateItem> clipboard_;
};

}  // namespace briskal::hostkit::designer
