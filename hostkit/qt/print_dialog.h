#pragma once
// Where and how a preview's pages print: a printer of the print system (or one typed by name),
// the number of copies and the pages.

#include <optional>
#include <string>
#include <vector>

#include "hostkit/qt/screen_texts.h"

class QWidget;

namespace briskal::hostkit::qt {

struct PrintRequest {
  std::string printer;
  int copies = 1;
  int firstPage = 1;  // counted from 1, both included
  int lastPage = 1;
};

// Asks over `parent` in a modal dialog, listing `printers` and proposing `proposed` (the first
// printer when empty) and all of `pageCount` pages; nullopt when the operator cancels. Without
// printers the dialog says that none is installed and how to add one.
std::optional<PrintRequest> askPrintRequest(const std::vector<std::string>& printers,
                                            const std::string& proposed, int pageCount, QWidget* parent,
                                            ScreenTexts texts);

}  // namespace briskal::hostkit::qt
