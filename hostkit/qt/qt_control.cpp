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

void guarded(const std::function<void()>& action) {
  std::string failure;
  try {
    action();
    return;
  } catch (const Error& e) {
    failure = e.description();
  } catch (const std::exception& e) {
    failure = e.what();
  }
  if (reporter()) reporter()(failure);
  else QMessageBox::warning(QApplication::activeWindow(), "briskal", QString::fromStdString(failure));
}

}  // namespace briskal::hostkit::qt
