#include "hostkit/qt/screen_label_printer.h"

#include "common/convert.h"
#include "data/recordset.h"
#include "hostkit/qt/print_boxes.h"

namespace briskal::hostkit::qt {

ScreenLabelPrinter::ScreenLabelPrinter(std::unique_ptr<host::LabelPrinterOutput> printer,
                                       std::string destination, QWidget* parent, ScreenTexts texts,
                                       JobNotes notes)
    : printer_(std::move(printer)),
      destination_(std::move(destination)),
      parent_(parent),
      texts_(texts),
      notes_(std::move(notes)) {}

void ScreenLabelPrinter::prepare() {
  declined_ = false;
  printer_->prepare();
}

void ScreenLabelPrinter::setRecordset(data::Recordset* recordset) {
  records_ = recordset;
  printer_->setRecordset(recordset);
}

void ScreenLabelPrinter::start() {
  declined_ = false;
  // One label a record the recordset shows, as the printer sends them.
  const int64_t labels = records_ && records_->isOpen() ? records_->recordCount() : 0;
  if (labels > 0 && !confirmLabelJob(labels, destination_, parent_, texts_)) {
    declined_ = true;
    return;
  }
  try {
    const BusyCursor busy;
    printer_->start();
  } catch (const std::exception& e) {
    showPrintFailure(texts_("Le etichette non sono state inviate alla stampante di etichette."), e, texts_);
    throw;
  }
  if (labels > 0)
    tellLabelJobSent(toInt64(printer_->result(), RegionalSettings::italian()), destination_, parent_, texts_,
                     notes_());
}

Value ScreenLabelPrinter::result() { return declined_ ? Value(int32_t{0}) : printer_->result(); }

}  // namespace briskal::hostkit::qt
