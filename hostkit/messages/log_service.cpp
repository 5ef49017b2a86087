#include "hostkit/messages/log_service.h"

#include <spdlog/logger.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/stdout_sinks.h>

namespace briskal::hostkit {
namespace {

constexpr const char* kEntryCode = "0_0_0_0";

std::string oneLine(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    if (c == '\r') result += "\\r";
    else if (c == '\n') result += "\\n";
    else result.push_back(c);
  }
  return result;
}

}  // namespace

FileLogService::FileLogService(const std::filesystem::path& file, host::MessageService& messages,
                               EntrySink recorded)
    : messages_(messages), recorded_(std::move(recorded)) {
  std::string unopened;
  try {
    auto sink = std::make_shared<spdlog::sinks::basic_file_sink_st>(file.string(), false);
    // Not registered with spdlog: each form's log object is its own, and none outlives its owner.
    logger_ = std::make_shared<spdlog::logger>("briskal", std::move(sink));
  } catch (const spdlog::spdlog_ex& e) {
    unopened = e.what();
    logger_ = std::make_shared<spdlog::logger>("briskal", std::make_shared<spdlog::sinks::stderr_sink_st>());
  }
  logger_->set_pattern("%Y-%m-%d %H:%M:%S.%e | %v");
  logger_->flush_on(spdlog::level::trace);
  if (!unopened.empty())
    logger_->warn("the log file {} cannot be opened ({}); its entries follow here", file.string(), unopened);
}

FileLogService::~FileLogService() = default;

void FileLogService::setError(const Error& error) { error_ = error; }

void FileLogService::setErrors(const std::vector<data::ProviderError>& errors) { providerErrors_ = errors; }

void FileLogService::write(const std::string& code, const std::string& component,
                           const std::string& procedure) {
  writeEntry(code, component, procedure);
  error_.reset();
  providerErrors_.clear();
}

int FileLogService::showError(const std::string& applicationTitle, const std::string& caption,
                              const std::string& procedure, int32_t buttons, int32_t& /*extra*/) {
  writeEntry(kEntryCode, applicationTitle, procedure);
  // The database's errors carry a provider's code, which tells a person nothing; the log keeps it.
  const int32_t number = error_ ? error_->number() : 0;
  const std::string description = error_ ? error_->description() : std::string();
  error_.reset();
  providerErrors_.clear();
  const std::string code = number < 0 ? std::string() : "error " + std::to_string(number) + " ";
  return messages_.textBox(procedure + ": " + code + description, buttons, caption);
}

void FileLogService::writeEntry(const std::string& code, const std::string& component,
                                const std::string& procedure) {
  std::string line = oneLine(code) + " | " + oneLine(component) + " | " + oneLine(procedure) + " | ";
  if (error_) {
    line += std::to_string(error_->number()) + " | " + oneLine(error_->source()) + " | " +
            oneLine(error_->description());
  } else {
    line += "0 |  | ";
  }
  std::string readable = procedure + ": " + (error_ ? error_->description() : std::string("error"));
  // The provider's words, where they add to the error's own.
  std::string added;
  for (size_t i = 0; i < providerErrors_.size(); ++i) {
    line += i == 0 ? " | provider: " : "; ";
    line += oneLine(providerErrors_[i].description);
    if (error_ && providerErrors_[i].description == error_->description()) continue;
    added += (added.empty() ? "" : "; ") + providerErrors_[i].description;
  }
  if (!added.empty()) readable += " (" + added + ")";
  logger_->error("{}", line);
  if (recorded_) recorded_(oneLine(readable));
}

}  // namespace briskal::hostkit
