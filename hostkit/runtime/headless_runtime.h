#pragma once
// The host process without a screen: form windows whose controls tests and the command line
// drive, objects made by program identifier, and the debugger output as a sink.

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/runtime.h"
#include "hostkit/controls/headless_control_host.h"
#include "hostkit/lookups/search_list.h"

namespace briskal::hostkit {

class HeadlessRuntime;

class HeadlessWindow final : public host::FormWindow {
 public:
  HeadlessWindow(HeadlessRuntime& runtime, host::HostForm& form);
  ~HeadlessWindow() override;

  host::ControlHost& controls() override { return controls_; }
  void show(bool modal) override;
  void hide() override { shown_ = false; }
  bool isShown() const override { return shown_; }
  void setCaption(const std::string& caption) override { caption_ = caption; }
  std::string caption() const override { return caption_; }
  void setWindowState(int16_t state) override { windowState_ = state; }
  void setMousePointer(int32_t pointer) override { mousePointer_ = pointer; }

  HeadlessControlHost& headlessControls() { return controls_; }
  host::HostForm& form() { return form_; }
  bool modal() const { return modal_; }
  int16_t windowState() const { return windowState_; }
  int32_t mousePointer() const { return mousePointer_; }

 private:
  HeadlessRuntime& runtime_;
  host::HostForm& form_;
  HeadlessControlHost controls_;
  std::string caption_;
  bool shown_ = false;
  bool modal_ = false;
  int16_t windowState_ = 0;
  int32_t mousePointer_ = 0;
};

class HeadlessRuntime final : public host::HostRuntime {
 public:
  using DebugSink = std::function<void(std::string_view line)>;
  // Runs a modal form until it closes: the driver sets its controls and presses its buttons.
  using ModalDriver = std::function<void(HeadlessWindow& window)>;

  // `messages` is borrowed; log files go to `logFile`.
  HeadlessRuntime(host::MessageService& messages, std::filesystem::path logFile, DebugSink debugSink);
  ~HeadlessRuntime() override;

  void debugOutput(std::string_view line) override;
  std::unique_ptr<host::FormWindow> createWindow(host::HostForm& form) override;
  std::unique_ptr<host::TranslationService> createTranslationService() override;
  std::unique_ptr<host::LogService> createLog() override;
  std::unique_ptr<host::LookupDecode> createLookupDecode() override;
  std::unique_ptr<host::NodeDecode> createNodeDecode() override;
  std::unique_ptr<host::DocumentLookup> createDocumentLookup() override;
  std::unique_ptr<host::ReportService> createReportService() override;
  std::unique_ptr<host::LabelPrinterOutput> createLabelPrinterOutput() override;
  std::filesystem::path componentFolder() const override { return componentFolder_; }

  // How this host makes its report service and label-printer output; without them asking for one
  // is an error.
  using ReportServiceFactory = std::function<std::unique_ptr<host::ReportService>()>;
  using LabelPrinterFactory = std::function<std::unique_ptr<host::LabelPrinterOutput>()>;
  void setReportServiceFactory(ReportServiceFactory factory) { reportServices_ = std::move(factory); }
  void setLabelPrinterFactory(LabelPrinterFactory factory) { labelPrinters_ = std::move(factory); }
  const LabelPrinterFactory& labelPrinterFactory() const { return labelPrinters_; }
  void setComponentFolder(std::filesystem::path folder) { componentFolder_ = std::move(folder); }
  // Where a host with a screen makes its forms' windows; without it they are headless windows.
  using WindowFactory = std::function<std::unique_ptr<host::FormWindow>(host::HostForm& form)>;
  void setWindowFactory(WindowFactory factory) { windowFactory_ = std::move(factory); }

  // The newest headless window of the form named `formName`, nullptr when there is none.
  HeadlessWindow* window(std::string_view formName) const;
  void setModalDriver(const std::string& formName, ModalDriver driver);
  // Who answers the search lists the lookups show; without one every list closes with no choice,
  // as nobody is at the screen.
  void setSearchListDriver(SearchListDriver driver) { searchLists_ = std::move(driver); }
  const std::filesystem::path& logFile() const { return logFile_; }
  // Every entry the forms' log objects wrote in this runtime, as one readable line each.
  const std::vector<std::string>& loggedErrors() const { return loggedErrors_; }

 private:
  friend class HeadlessWindow;
  void forget(HeadlessWindow* window);
  void runModal(HeadlessWindow& window);
  std::optional<size_t> showSearchList(const SearchList& list);

  host::MessageService& messages_;
  std::filesystem::path logFile_;
  std::vector<std::string> loggedErrors_;
  DebugSink debugSink_;
  std::vector<HeadlessWindow*> windows_;
  std::map<std::string, ModalDriver, std::less<>> modalDrivers_;
  SearchListDriver searchLists_;
  WindowFactory windowFactory_;
  ReportServiceFactory reportServices_;
  LabelPrinterFactory labelPrinters_;
  std::filesystem::path componentFolder_;
};

// The debugger output of the command line: stderr when BRISKAL_TRACE=1, nowhere otherwise.
HeadlessRuntime::DebugSink traceSinkFromEnvironment();

}  // namespace briskal::hostkit
