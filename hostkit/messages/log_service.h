#pragma once
// A form's log object: it keeps the error the form hands it (and the database's provider errors),
// writes it as one line of the log file, and for showError also shows it to the user.
//
// A line: "2024-05-02 14:30:00.123 | CODE | COMPONENT | PROCEDURE | NUMBER | SOURCE | DESCRIPTION",
// followed by " | provider: D1; D2" when provider errors were given. Line breaks inside a text are
// written as \r and \n so that one entry stays one line. The kept errors are cleared after each
// entry, so an entry never repeats the error of an earlier one.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "data/provider_error.h"
#include "host/services.h"

namespace spdlog {
class logger;
}

namespace briskal::hostkit {

class FileLogService : public host::LogService {
 public:
  // Appends to `file` (created with its folders when missing), flushing every line; shows
  // showError's box through `messages`, which is borrowed. A file that cannot be opened (a folder
  // of another user, a read-only disk) leaves the entries on standard error instead, after a line
  // that says so: the errors are never lost and the form goes on.
  // `recorded` hears every entry as one readable line ("PROCEDURE: description"), so that the
  // host can tell the user what went wrong without reading the file.
  using EntrySink = std::function<void(const std::string& entry)>;
  FileLogService(const std::filesystem::path& file, host::MessageService& messages, EntrySink recorded = {});
  ~FileLogService() override;

  void setError(const Error& error) override;
  void setErrors(const std::vector<data::ProviderError>& errors) override;
  void write(const std::string& code, const std::string& component, const std::string& procedure) override;
  // Writes the entry with the application title as component, then shows "PROCEDURE: error
  // NUMBER DESCRIPTION" with `buttons` and the form caption as title; returns the answer.
  // `extra` is left as it is.
  int showError(const std::string& applicationTitle, const std::string& caption, const std::string& procedure,
                int32_t buttons, int32_t& extra) override;

 private:
  void writeEntry(const std::string& code, const std::string& component, const std::string& procedure);

  std::shared_ptr<spdlog::logger> logger_;
  host::MessageService& messages_;
  EntrySink recorded_;
  std::optional<Error> error_;
  std::vector<data::ProviderError> providerErrors_;
};

}  // namespace briskal::hostkit
