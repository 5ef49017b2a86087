#include "hostkit/qt/qt_control.h"

#include <QApplication>
#include <QMessageBox>

#include "common/error.h"

namespace briskal::hostkit::qt {
namespace {

std::function<void(const std::string&)>& reporter() {
  static std::function<void(const std::string&)> report;
  return report;
}

}  // namespace

void setErrorReporter(std::function<void(const std::string& error)> report) {
  reporter() = std::move(report);
}

std::optional<std::string> failureOf(const std::function<void()>& action) {
  try {
    action();
    return std::nullopt;
  } catch (const Error& e) {
    return e.description();
  } catch (const std::exception& e) {
    return e.what();
  }
}

void guarded(const std::function<void()>& action) {
  if (const std::optional<std::string> failure = failureOf(action)) showError(*failure);
}

void showError(const std::string& error) {
  if (reporter()) reporter()(error);
  else QMessageBox::warning(QApplication::activeWindow(), "briskal", QString::fromStdString(error));
}

}  // namespace briskal::hostkit::qt
