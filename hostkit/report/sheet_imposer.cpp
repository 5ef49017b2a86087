#include "hostkit/report/sheet_imposer.h"

#include <utility>

#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {

SheetImposer::SheetImposer(const LabelStock& stock, int start, PageSink sink)
    : stock_(stock), sink_(std::move(sink)), next_(start - 1) {
  if (start < 1 || start > stock.perSheet())
    throwReportError("A sheet of " + stock.name() + " has places 1 to " + std::to_string(stock.perSheet()) +
                     ": the run cannot start at " + std::to_string(start));
}

void SheetImposer::add(Page&& label) {
  if (!sheet_) sheet_ = Page{stock_.sheetWidth, stock_.sheetHeight, {}};
  const double left = stock_.left(next_);
  const double top = stock_.top(next_);
  for (DrawingOp& op : label.ops) {
    translate(op, left, top);
    sheet_->ops.push_back(std::move(op));
  }
  sheet_->records += label.records;
  if (++next_ < stock_.perSheet()) return;
  next_ = 0;
  sink_(*std::exchange(sheet_, std::nullopt));
}

void SheetImposer::finish() {
  if (sheet_) sink_(*std::exchange(sheet_, std::nullopt));
}

}  // namespace briskal::hostkit::report
