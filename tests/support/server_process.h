#pragma once
// A server run by the tests: a folder of its own in the temporary folder, and the server process,
// started on a free loopback port, waited for until it takes requests, and stopped. The server
// dies with the thread that started it (see process.h); the folder's name holds the id of the test
// process that owns it, and the next server of the same name removes the folders of owners that
// are gone.

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/process.h"

namespace briskal::testing {

class ServerProcess {
 public:
  // `name` names the server in messages and its folder; `stopSignal` asks it to end. Throws
  // std::system_error when the folder cannot be made.
  ServerProcess(std::string name, int stopSignal);
  // Stops the server and removes its folder.
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  const std::filesystem::path& folder() const { return folder_; }
  int port() const { return port_; }
  // The server's process id, or 0 when it does not run.
  pid_t pid() const;

  // Starts the server that `commandOn` gives for a free loopback port, its output in the log, and
  // returns once `ready` says it takes requests there. A server that ends before (another
  // process took the port) starts again on another port, three times in all. Throws
  // std::runtime_error with the log when it does not start, or is not ready within a bound that
  // only stops a hang.
  void start(const std::function<Command(int port)>& commandOn, const std::function<bool(int port)>& ready);
  // Asks the server to end, and kills it when it does not in time; nothing it started is left.
  void stop();

  // A file the server writes its log to, shown by log() after its output.
  void addLog(const std::filesystem::path& file);
  // The server's output and log files, each under its name.
  std::string log() const;

 private:
  std::string name_;
  int stopSignal_;
  std::filesystem::path folder_;
  std::vector<std::filesystem::path> logs_;
  std::optional<ChildProcess> process_;
  int port_ = 0;
};

}  // namespace briskal::testing
