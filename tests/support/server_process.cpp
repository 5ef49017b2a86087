#include "support/server_process.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "support/files.h"

namespace briskal::testing {
namespace fs = std::filesystem;
namespace {

constexpr int kStartAttempts = 3;
// Bounds against a hang only: a loaded machine may take many seconds to start a server.
constexpr auto kReadyWithin = std::chrono::seconds(60);
constexpr auto kStopWithin = std::chrono::seconds(10);

// The folder's name holds the id of the process that owns the server: a folder being made is
// never taken for one left behind.
bool ownerIsGone(const fs::path& folder, const std::string& prefix) {
  const std::string name = folder.filename().string();
  if (!name.starts_with(prefix)) return false;
  const long owner = std::atol(name.c_str() + prefix.size());
  return owner > 0 && kill(static_cast<pid_t>(owner), 0) != 0 && errno == ESRCH;
}

// A folder named after no one else's; the folders of owners that are gone go first.
fs::path makeServerFolder(const std::string& prefix) {
  std::error_code ignored;
  for (const fs::directory_entry& entry : fs::directory_iterator(fs::temp_directory_path(), ignored)) {
    if (ownerIsGone(entry.path(), prefix)) fs::remove_all(entry.path(), ignored);
  }
  std::string pattern =
      (fs::temp_directory_path() / (prefix + std::to_string(getpid()) + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category(), "mkdtemp");
  return pattern;
}

// Empty once the server is ready; otherwise why it is not.
std::string waitUntilReady(ChildProcess& server, int port, const std::function<bool(int port)>& ready) {
  if (waitUntil([&] { return !server.ended().empty() || ready(port); }, kReadyWithin) &&
      server.ended().empty())
    return "";
  if (!server.ended().empty()) return "it " + server.ended();
  return "it was not ready on port " + std::to_string(port) + " within " +
         std::to_string(kReadyWithin.count()) + " s";
}

}  // namespace

ServerProcess::ServerProcess(std::string name, int stopSignal)
    : name_(std::move(name)), stopSignal_(stopSignal), folder_(makeServerFolder("briskal-" + name_ + "-")) {
  logs_.push_back(folder_ / (name_ + ".out"));
}

ServerProcess::~ServerProcess() {
  stop();
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

pid_t ServerProcess::pid() const { return process_ ? process_->pid() : 0; }

void ServerProcess::start(const std::function<Command(int port)>& commandOn,
                          const std::function<bool(int port)>& ready) {
  stop();
  for (int attempt = 1;; ++attempt) {
    port_ = freeLoopbackPort();
    process_.emplace(commandOn(port_), logs_.front());
    const std::string failure = waitUntilReady(*process_, port_, ready);
    if (failure.empty()) return;
    // Only a server that ended may have lost its port to another process.
    const bool ended = !process_->ended().empty();
    stop();
    if (!ended || attempt == kStartAttempts)
      throw std::runtime_error(name_ + " did not start: " + failure + "\n" + log());
  }
}

void ServerProcess::stop() {
  if (process_) process_->stop(stopSignal_, kStopWithin);
  process_.reset();
}

void ServerProcess::addLog(const fs::path& file) { logs_.push_back(file); }

std::string ServerProcess::log() const {
  std::string text;
  for (const fs::path& file : logs_) text += "--- " + file.filename().string() + " ---\n" + readFile(file);
  return text;
}

}  // namespace briskal::testing
