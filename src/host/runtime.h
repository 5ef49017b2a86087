#pragma once
// What the host process gives the component besides its context: windows for the forms, objects
// created by program identifier (translation, log, lookups) and the debugger output.

#include <memory>
#include <string>
#include <string_view>

#include "common/value.h"
#include "host/controls.h"
#include "host/report_service.h"
#include "host/services.h"

namespace briskal::host {

// What the host sees of a form.
class HostForm {
 public:
  virtual ~HostForm() = default;
  virtual std::string formName() const = 0;
  virtual std::string formCaption() const = 0;
  // A public property, for the host's scripts; Empty when the form has none of that name.
  virtual Value property(std::string_view name) const = 0;
  // A key pressed while the form has the focus.
  virtual void keyDown(int32_t keyCode, int32_t shift) = 0;
  // The user closes the window from its control menu.
  virtual void requestClose() = 0;
};

// The host's window around a form, with the form's controls.
class FormWindow {
 public:
  virtual ~FormWindow() = default;
  virtual ControlHost& controls() = 0;
  // A modal form returns from show only once it has closed.
  virtual void show(bool modal) = 0;
  virtual void hide() = 0;
  virtual bool isShown() const = 0;
  virtual void setCaption(const std::string& caption) = 0;
  virtual std::string caption() const = 0;
  virtual void setWindowState(int16_t state) = 0;
  virtual void setMousePointer(int32_t pointer) = 0;
};

class HostRuntime {
 public:
  virtual ~HostRuntime() = default;
  // The debugger output, where the objects write their trace lines.
  virtual void debugOutput(std::string_view line) = 0;
  virtual std::unique_ptr<FormWindow> createWindow(HostForm& form) = 0;
  virtual std::unique_ptr<TranslationService> createTranslationService() = 0;
  virtual std::unique_ptr<LogService> createLog() = 0;
  virtual std::unique_ptr<LookupDecode> createLookupDecode() = 0;
  virtual std::unique_ptr<NodeDecode> createNodeDecode() = 0;
  virtual std::unique_ptr<DocumentLookup> createDocumentLookup() = 0;
  virtual std::unique_ptr<ReportService> createReportService() = 0;
  virtual std::unique_ptr<LabelPrinterOutput> createLabelPrinterOutput() = 0;
  // The folder the component's own files (its report templates) lie in.
  virtual std::filesystem::path componentFolder() const = 0;
};

}  // namespace briskal::host
