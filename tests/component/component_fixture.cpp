#include "component/component_fixture.h"

#include <fstream>
#include <sstream>

#include "data/connection.h"
#include "hostkit/demo/demo_database.h"
#include "support/database_backends.h"
#include "support/files.h"

namespace briskal::testing {

const std::string& ComponentTest::databaseFile() { return sharedDemoDatabase(); }

const std::string& sharedDemoDatabase() {
  static const std::string file = [] {
    const std::string path = temporaryFolder() + "/demo.db";
    data::Connection cn;
    cn.setConnectionString("Data Source=" + path);
    cn.open();
    hostkit::createDemoDatabase(cn, {300, 11});
    return path;
  }();
  return file;
}

void ComponentTest::SetUp() { logFile_ = temporaryFolder() + "/briskal.log"; }

void ComponentTest::TearDown() { session_.reset(); }

hostkit::SessionOptions ComponentTest::sessionOptions(const std::string& connectionString) const {
  hostkit::SessionOptions options;
  options.settings.connectionString = connectionString;
  options.dataFolder = BRISKAL_DATA_FOLDER;
  options.component = BRISKAL_COMPONENT;
  options.logFile = logFile_;
  return options;
}

void ComponentTest::start(hostkit::AnswerPolicy answers) {
  hostkit::SessionOptions options = sessionOptions("Data Source=" + databaseFile());
  options.settings.userCode = userCode_;
  options.settings.confirmLabelsAbove = confirmAbove_;
  options.answers = std::move(answers);
  options.debugSink = [this](std::string_view line) { trace_.emplace_back(line); };
  session_ = std::make_unique<hostkit::HostSession>(std::move(options));
}

std::vector<int32_t> ComponentTest::shownNumbers() const {
  std::vector<int32_t> numbers;
  for (const auto& m : session_->messages().shown()) numbers.push_back(m.number);
  return numbers;
}

std::string ComponentTest::logText() const { return readFile(logFile_); }

}  // namespace briskal::testing
