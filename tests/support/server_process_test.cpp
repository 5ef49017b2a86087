// The servers the tests start: one that does not start says why with its log, and a stopped or
// orphaned server leaves no process behind.

#include "support/server_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "support/files.h"
#include "support/process.h"

namespace briskal::testing {
namespace {

namespace fs = std::filesystem;

constexpr auto kGoneWithin = std::chrono::seconds(30);

// A shell script as a server, run in the server's folder.
Command shellServer(const ServerProcess& server, const std::string& script) {
  return Command{{"/bin/sh", "-c", script}, {}, server.folder(), {}};
}

bool isFile(const fs::path& file) { return fs::exists(file); }

// The process is gone, or ended and waits only for its parent to collect it.
bool isGone(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string fields;
  if (!std::getline(stat, fields)) return true;
  const size_t name = fields.rfind(')');
  return name != std::string::npos && fields.compare(name + 2, 1, "Z") == 0;
}

bool goneSoon(pid_t pid) {
  return waitUntil([&] { return isGone(pid); }, kGoneWithin);
}

pid_t pidIn(const fs::path& file) { return static_cast<pid_t>(std::stol(readFile(file))); }

// Starts a server that leaves a process of its own running beside it, and is ready once both run.
void startWithHelper(ServerProcess& server) {
  server.start([&](int) { return shellServer(server, "sleep 600 & echo $! > helper; touch ready; wait"); },
               [&](int) { return isFile(server.folder() / "ready"); });
}

TEST(ServerProcess, OneThatEndsAtOnceSaysHowWithItsOutputAfterTryingOtherPorts) {
  ServerProcess server("broken", SIGTERM);
  try {
    server.start(
        [&](int port) {
          return shellServer(server, "echo cannot listen on " + std::to_string(port) + "; exit 3");
        },
        [](int) { return false; });
    FAIL() << "a server that ends at once started";
  } catch (const std::runtime_error& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("broken did not start: it exited with status 3"), std::string::npos) << message;
    size_t attempts = 0;
    for (size_t at = message.find("cannot listen on"); at != std::string::npos;
         at = message.find("cannot listen on", at + 1))
      ++attempts;
    EXPECT_EQ(attempts, 3U) << message;
  }
}

TEST(ServerProcess, AStoppedServerLeavesNoProcessAndNoFolder) {
  fs::path folder;
  pid_t pid = 0;
  pid_t helper = 0;
  {
    ServerProcess server("stopped", SIGTERM);
    folder = server.folder();
    startWithHelper(server);
    pid = server.pid();
    helper = pidIn(folder / "helper");
    ASSERT_FALSE(isGone(pid));
    ASSERT_FALSE(isGone(helper));
    server.stop();
    EXPECT_EQ(server.pid(), 0);
  }
  EXPECT_TRUE(isGone(pid));
  EXPECT_TRUE(goneSoon(helper)) << "the server's helper " << helper << " still runs";
  EXPECT_FALSE(fs::exists(folder));
}

// A test process that dies takes its servers along: they die with the thread that started them.
TEST(ServerProcess, AServerDiesWithTheThreadThatStartedIt) {
  ServerProcess server("orphaned", SIGTERM);
  std::thread([&] { startWithHelper(server); }).join();
  EXPECT_TRUE(goneSoon(server.pid())) << "the server still runs";
}

}  // namespace
}  // namespace briskal::testing
