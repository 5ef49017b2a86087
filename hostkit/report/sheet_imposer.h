#pragma once
// Puts labels laid out one a page onto the sheets of a label stock: each label's drawing moved to
// its place on the sheet, row by row from left to right, then down. A sheet is handed on as soon
// as it is full, so a run of any length holds one sheet at a time.

#include <optional>

#include "hostkit/report/drawing.h"
#include "hostkit/report/label_stock.h"
#include "hostkit/report/report_layout.h"

namespace briskal::hostkit::report {

class SheetImposer {
 public:
  // The first label goes to `start`, 1-based, of the first sheet, whose earlier places stay empty
  // (a sheet used before). Throws briskal::Error when the sheet has no such place.
  SheetImposer(const LabelStock& stock, int start, PageSink sink);

  // A label as the layout gives it, drawn from its top left corner; it is not scaled to the
  // stock's labels.
  void add(Page&& label);
  // Hands on the last sheet, when it has labels.
  void finish();

 private:
  LabelStock stock_;
  PageSink sink_;
  int next_;  // the place, 0-based, the next label takes
  std::optional<Page> sheet_;
};

}  // namespace briskal::hostkit::report
