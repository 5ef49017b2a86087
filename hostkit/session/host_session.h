#pragma once
// One run of the stand-in host: the message catalogue and boxes, the runtime, the global context
// and the navigator, the component loaded from its shared library and given its context, and
// its parameter form on screen. The command line and the end-to-end tests drive it.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hostkit/labelprinter/printer_settings.h"
#include "hostkit/messages/headless_message_service.h"
#include "hostkit/messages/message_catalogue.h"
#include "hostkit/report/report_service.h"
#include "hostkit/runtime/component_loader.h"
#include "hostkit/runtime/headless_context.h"
#include "hostkit/runtime/headless_runtime.h"

namespace briskal::hostkit {

struct SessionOptions {
  GlobalSettings settings;
  std::string locale = "it";         // the message catalogue's language
  std::filesystem::path dataFolder;  // holds messages/<locale>.tsv
  std::filesystem::path component;   // the component's shared library
  std::filesystem::path logFile;
  MessageSink messageSink;
  AnswerPolicy answers = AnswerPolicy::defaultButton();
  HeadlessRuntime::DebugSink debugSink;
  report::ReportOptions report;  // where reports go and the service's own print options
  // Where label-printer jobs go: FILE.epl|.zpl, tcp://, ipp://, cups:QUEUE, or the name of one of
  // the company's printer profiles, whose destination and settings the session takes.
  std::string labelPrinter;
  labelprinter::PrinterSettings labelPrinterSettings;
  // The customisable labels' template: a file, or a name the database keeps templates under; empty
  // prints the one the database keeps under the component's file name, or else that file.
  std::string customTemplate;
  HeadlessRuntime::WindowFactory windowFactory;  // a screen's windows; headless ones without it
  report::DeliverySink delivered;                // hears of each run the session delivered

  // A screen's hooks into each report run; without them a run prints as `report` says.
  report::SettingsPrompt reportSettingsPrompt;  // asks for the print options before anything is read
  report::ReportPresenter reportPresenter;      // shows the laid-out pages instead of sending them
};

class HostSession {
 public:
  explicit HostSession(SessionOptions options);
  ~HostSession();
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;

  // Hands the component its context and opens the parameter form, modeless.
  void showParameterForm();
  // Closes the parameter form as the host does; true when it closed.
  bool closeParameterForm();

  host::Cinterface& component() { return component_->object(); }
  HeadlessRuntime& runtime() { return *runtime_; }
  HeadlessMessageService& messages() { return *messages_; }
  const HeadlessMessageService& messages() const { return *messages_; }
  // The message catalogue of the session's language.
  const MessageCatalogue& catalogue() const { return catalogue_; }
  HeadlessNavigator& navigator() { return *navigator_; }
  HeadlessGlobalContext& global() { return *global_; }
  // The controls of the newest window of `form`; error when the form has no window.
  HeadlessControlHost& controls(std::string_view form);
  // The newest window of `form`, or nullptr.
  HeadlessWindow* window(std::string_view form) { return runtime_->window(form); }
  // The errors the component's log objects recorded in this session, oldest first.
  const std::vector<std::string>& loggedErrors() const { return runtime_->loggedErrors(); }
  // What the session's report and label-printer runs delivered, oldest first.
  const std::vector<report::Delivery>& deliveries() const { return deliveries_; }
  // The customisable labels' template as the session's runs print it; throws briskal::Error as a
  // run would when there is none.
  report::ReportTemplate customLabelTemplate() const;
  // Where the component's label-printer jobs go from now on, and with what settings.
  void setLabelPrinter(std::string destination, labelprinter::PrinterSettings settings);
  const std::string& labelPrinter() const { return labelPrinter_; }
  const labelprinter::PrinterSettings& labelPrinterSettings() const { return labelPrinterSettings_; }

 private:
  void deliver(const report::Delivery& delivery);
  // The template a run names by file in `folder`: the active version of the template the database
  // keeps under the file's name (or under the session's own choice for the customisable labels),
  // otherwise the file. Throws briskal::Error when a chosen template is neither file nor stored.
  report::ReportTemplate templateFor(const std::filesystem::path& folder, const std::string& file) const;

  MessageCatalogue catalogue_;
  std::vector<report::Delivery> deliveries_;  // before the runtime, whose services report here
  report::DeliverySink delivered_;
  std::unique_ptr<HeadlessMessageService> messages_;
  std::unique_ptr<HeadlessRuntime> runtime_;
  std::shared_ptr<HeadlessGlobalContext> global_;
  std::shared_ptr<HeadlessNavigator> navigator_;
  std::unique_ptr<LoadedComponent> component_;
  std::string customTemplate_;
  std::filesystem::path componentFolder_;
  std::string labelPrinter_;
  labelprinter::PrinterSettings labelPrinterSettings_;
};

// The folder of the host's data files: BRISKAL_DATA when set, otherwise ../share/briskal from
// the running program's folder.
std::filesystem::path defaultDataFolder();

}  // namespace briskal::hostkit
