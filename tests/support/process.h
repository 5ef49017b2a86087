#pragma once
// Runs programs for the tests: to their end, collecting what they printed, or as child processes
// that live until they are stopped. Every child starts with nothing on standard input, in a
// process group of its own, and is killed when the thread that started it ends, so that a test
// process that crashes or is killed leaves none behind.

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace briskal::testing {

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// A user a child process runs as instead of this process's.
struct Account {
  uid_t uid = 0;
  gid_t gid = 0;
};

// What a child process runs: `words` starts with the program's path; `environment` (NAME=VALUE)
// replaces or adds to this process's variables; an empty `folder` keeps this process's working
// folder.
struct Command {
  std::vector<std::string> words;
  std::vector<std::string> environment;
  std::filesystem::path folder;
  std::optional<Account> account;
};

// Runs the command to its end and collects what it printed.
ProcessResult runProcess(const Command& command);

// Runs `program` with `args` (no shell), with TMPDIR set to processTemporaryFolder(): what the
// programs log stays out of the folders real runs use.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args);

// The same, but the reader of standard output goes away after `outputBytes` bytes, as `| head`
// does: what was read is in `out`.
ProcessResult runProcessClosingOutput(const std::string& program, const std::vector<std::string>& args,
                                      size_t outputBytes);

// Starts the program as runProcess does, with its output thrown away, and kills it with SIGKILL
// as soon as `now` says so, asked every `pollMs` milliseconds; true when it had to be killed,
// false when it ended first.
bool runProcessKilledWhen(const std::string& program, const std::vector<std::string>& args,
                          const std::function<bool()>& now, int pollMs);

// Asks `done` every few milliseconds until it holds, for at most `bound`, which only stops a hang;
// true when it held.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound);

// A child process, running until it ends or is stopped; the destructor kills what is left of it.
class ChildProcess {
 public:
  // Starts `command` with its standard output and error appended to `output`. Throws
  // std::system_error when it cannot be started; a program that cannot be run ends with status 127.
  ChildProcess(const Command& command, const std::filesystem::path& output);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  // Empty while the process runs; once it has ended, how, in words: "exited with status 3".
  const std::string& ended();
  // Sends `signal` to the process, kills it when it has not ended within `patience`, and returns
  // once it has ended; whatever it left running in its group is killed too.
  void stop(int signal, std::chrono::milliseconds patience);

 private:
  pid_t pid_ = 0;
  std::string ended_;
};

// The account of `user` when this process runs as root, which the servers that refuse root (or
// that root would let change the machine) run as; nullopt otherwise. Throws std::runtime_error
// when running as root and there is no such user.
std::optional<Account> accountWhenRoot(const std::string& user);

// A loopback port nobody listens on right now. Another process may still take it before a
// server binds it: the servers the tests start survive that by starting again on another port.
int freeLoopbackPort();

// Someone accepts connections on the loopback port.
bool acceptsConnections(int port);

// A loopback port that refuses connections while this object lives: a socket bound to it that
// does not listen, which also keeps the port from others.
class RefusingLoopbackPort {
 public:
  RefusingLoopbackPort();  // throws std::system_error when no port can be bound
  ~RefusingLoopbackPort();
  RefusingLoopbackPort(const RefusingLoopbackPort&) = delete;
  RefusingLoopbackPort& operator=(const RefusingLoopbackPort&) = delete;
  int port() const { return port_; }

 private:
  int socket_ = -1;
  int port_ = 0;
};

// The full path of an installed program, or "" when it is not on the PATH.
std::string findProgram(const std::string& name);

// The temporary folder of the programs this test process runs; removed when it ends.
const std::string& processTemporaryFolder();

}  // namespace briskal::testing
