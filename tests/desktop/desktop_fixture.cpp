#include "desktop/desktop_fixture.h"

#include <QAbstractButton>
#include <QTimer>

#include "component/component_fixture.h"
#include "hostkit/qt/qt_control.h"
#include "support/database_backends.h"

namespace briskal::testing {

void DesktopTest::SetUp() {
  folder_ = temporaryFolder();
  hostkit::qt::setErrorReporter([this](const std::string& error) { errors_.push_back(error); });
}

void DesktopTest::TearDown() {
  window_.reset();
  hostkit::qt::setErrorReporter({});
  QApplication::processEvents();
}

void DesktopTest::open(hostkit::AnswerPolicy answers) {
  hostkit::SessionOptions options;
  options.settings.connectionString = "Data Source=" + sharedDemoDatabase();
  options.dataFolder = BRISKAL_DATA_FOLDER;
  options.component = BRISKAL_COMPONENT;
  options.logFile = folder_ + "/briskal.log";
  options.report.destination = folder_ + "/labels.pdf";
  options.labelPrinter = folder_ + "/labels.epl";
  options.answers = std::move(answers);
  options.locale = locale_;
  window_ = std::make_unique<hostkit::qt::HostWindow>(std::move(options), false);
  window_->show();
  window_->openComponent();
  QApplication::processEvents();
}

hostkit::qt::QtFormWindow& DesktopTest::form(std::string_view name) {
  hostkit::qt::QtFormWindow* found = window_->formWindow(name);
  if (!found) throw std::runtime_error("the form " + std::string(name) + " has no window");
  return *found;
}

void DesktopTest::click(std::string_view formName, const char* button) {
  auto* b = widget<QAbstractButton>(formName, button);
  ASSERT_NE(b, nullptr);
  ASSERT_TRUE(b->isEnabled()) << button << " is disabled";
  QTest::mouseClick(b, Qt::LeftButton);
  QApplication::processEvents();
}

void DesktopTest::whenModal(std::string_view formName,
                            std::function<void(hostkit::qt::QtFormWindow&)> driver) {
  const std::string name(formName);
  QTimer::singleShot(0, [this, name, driver] {
    hostkit::qt::QtFormWindow* w = window_->formWindow(name);
    if (!w || !w->dialog()) {
      ADD_FAILURE() << name << " is not on screen as a modal form";
      return;
    }
    driver(*w);
  });
}

}  // namespace briskal::testing
