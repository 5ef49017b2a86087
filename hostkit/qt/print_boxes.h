#pragma once
// What printing tells the operator in boxes over the window they are looking at: a print system's
// failure in the session's language, and for the label printer, the question before a job is sent
// and what went where once it is.

#include <QString>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "hostkit/qt/screen_texts.h"
#include "hostkit/report/print_failure.h"

class QWidget;

namespace briskal::hostkit::qt {

// The hourglass for as long as a print action runs.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

// Why `failure` happened: the print system's failures in the session's language, with the system's
// own words as it gave them; any other error as its description says.
QString failureText(const std::exception& failure, ScreenTexts texts);
// Shows `what` failed, a sentence already in the session's language, and why, as showError does.
void showPrintFailure(const QString& what, const std::exception& failure, ScreenTexts texts);

// A label printer's destination as the operator is told it: a file by its full path, a printer by
// its address or queue.
QString labelPrinterPlace(const std::string& destination);
// Asks over `parent` whether `labels` labels go to the label printer at `destination`; false when
// the operator answers No.
bool confirmLabelJob(int64_t labels, const std::string& destination, QWidget* parent, ScreenTexts texts);
// Tells over `parent` that `labels` labels went to the label printer at `destination`.
void tellLabelJobSent(int64_t labels, const std::string& destination, QWidget* parent, ScreenTexts texts,
                      const std::vector<report::FailureText>& notes = {});

}  // namespace briskal::hostkit::qt
