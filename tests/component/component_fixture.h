#pragma once
// A stand-in host with the real component loaded from its shared library, on a small demo
// database: what the component tests drive, only through controls and host interfaces.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hostkit/session/host_session.h"

namespace briskal::testing {

// The small demo database the component and desktop suites share, made once a process.
const std::string& sharedDemoDatabase();

class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A session on the shared demo database; `answers` chooses the replies to the questions.
  void start(hostkit::AnswerPolicy answers = hostkit::AnswerPolicy::defaultButton());
  // What every session of these tests is given: the database, the host's data, the component and
  // this test's log file.
  hostkit::SessionOptions sessionOptions(const std::string& connectionString) const;
  hostkit::HostSession& session() { return *session_; }
  hostkit::HeadlessControlHost& form() { return session_->controls("FRMPD_BRISKAL"); }

  template <typename T>
  T& control(std::string_view name) {
    T* found = form().find<T>(name);
    if (!found) throw std::runtime_error("no control " + std::string(name));
    return *found;
  }

  // Message numbers shown so far, oldest first.
  std::vector<int32_t> shownNumbers() const;
  const std::vector<std::string>& traceLines() const { return trace_; }
  std::string logText() const;
  static const std::string& databaseFile();

  std::unique_ptr<hostkit::HostSession> session_;
  std::string userCode_ = "admin";  // the user of the sessions start() opens
  int64_t confirmAbove_ = 0;        // and the labels a run prints without asking
  std::vector<std::string> trace_;
  std::string logFile_;
};

}  // namespace briskal::testing
