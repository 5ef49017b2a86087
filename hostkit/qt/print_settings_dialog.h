#pragma once
// The report service's print options on screen: whether the header, the selection limits and the
// notes print, and the notes' texts, asked before each run. Only a report's sheets print them: for
// labels they are shown greyed out, with a line saying why.

#include "hostkit/qt/screen_texts.h"
#include "hostkit/report/report_service.h"

class QWidget;

namespace briskal::hostkit::qt {

// Shows the options of a run of `kind` in a modal dialog over `parent`, starting from `options`.
// OK writes the choices back and returns true; Cancel leaves `options` as they were and returns
// false.
bool editPrintSettings(report::ReportOptions& options, report::PageKind kind, QWidget* parent,
                       ScreenTexts texts);

}  // namespace briskal::hostkit::qt
