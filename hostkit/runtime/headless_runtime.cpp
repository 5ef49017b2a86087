#include "hostkit/runtime/headless_runtime.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "common/error.h"
#include "hostkit/lookups/code_decoder.h"
#include "hostkit/lookups/document_lookup.h"
#include "hostkit/messages/headless_translation_service.h"
#include "hostkit/messages/log_service.h"

namespace briskal::hostkit {
HeadlessWindow::HeadlessWindow(HeadlessRuntime& runtime, host::HostForm& form)
    : runtime_(runtime), form_(form) {}

HeadlessWindow::~HeadlessWindow() { runtime_.forget(this); }

void HeadlessWindow::show(bool modal) {
  shown_ = true;
  modal_ = modal;
  if (modal) runtime_.runModal(*this);
}

HeadlessRuntime::HeadlessRuntime(host::MessageService& messages, std::filesystem::path logFile,
                                 DebugSink debugSink)
    : messages_(messages), logFile_(std::move(logFile)), debugSink_(std::move(debugSink)) {}

HeadlessRuntime::~HeadlessRuntime() = default;

void HeadlessRuntime::debugOutput(std::string_view line) {
  if (debugSink_) debugSink_(line);
}

std::unique_ptr<host::FormWindow> HeadlessRuntime::createWindow(host::HostForm& form) {
  if (windowFactory_) return windowFactory_(form);
  auto window = std::make_unique<HeadlessWindow>(*this, form);
  windows_.push_back(window.get());
  return window;
}

void HeadlessRuntime::forget(HeadlessWindow* window) { std::erase(windows_, window); }

HeadlessWindow* HeadlessRuntime::window(std::string_view formName) const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
    if ((*it)->form().formName() == formName) return *it;
  return nullptr;
}

void HeadlessRuntime::setModalDriver(const std::string& formName, ModalDriver driver) {
  modalDrivers_[formName] = std::move(driver);
}

void HeadlessRuntime::runModal(HeadlessWindow& window) {
  const auto it = modalDrivers_.find(window.form().formName());
  if (it != modalDrivers_.end() && it->second) it->second(window);
}

std::unique_ptr<host::TranslationService> HeadlessRuntime::createTranslationService() {
  return std::make_unique<HeadlessTranslationService>(messages_);
}

std::unique_ptr<host::LogService> HeadlessRuntime::createLog() {
  return std::make_unique<FileLogService>(
      logFile_, messages_, [this](const std::string& entry) { loggedErrors_.push_back(entry); });
}

std::optional<size_t> HeadlessRuntime::showSearchList(const SearchList& list) {
  return searchLists_ ? searchLists_(list) : std::nullopt;
}

std::unique_ptr<host::LookupDecode> HeadlessRuntime::createLookupDecode() {
  return std::make_unique<CodeDecoder>([this](const SearchList& list) { return showSearchList(list); });
}

std::unique_ptr<host::NodeDecode> HeadlessRuntime::createNodeDecode() {
  return std::make_unique<NodeDecoder>();
}

std::unique_ptr<host::DocumentLookup> HeadlessRuntime::createDocumentLookup() {
  return std::make_unique<DocumentFinder>([this](const SearchList& list) { return showSearchList(list); });
}

std::unique_ptr<host::ReportService> HeadlessRuntime::createReportService() {
  if (!reportServices_) throw Error(err::kInvalidProcedureCall, "briskal", "This host has no report service");
  return reportServices_();
}

std::unique_ptr<host::LabelPrinterOutput> HeadlessRuntime::createLabelPrinterOutput() {
  if (!labelPrinters_) throw Error(err::kInvalidProcedureCall, "briskal", "This host has no label printer");
  return labelPrinters_();
}

HeadlessRuntime::DebugSink traceSinkFromEnvironment() {
  const char* trace = std::getenv("BRISKAL_TRACE");
  if (!trace || std::string_view(trace) != "1") return {};
  return [](std::string_view line) { std::cerr << line << '\n'; };
}

}  // namespace briskal::hostkit
