#pragma once
// Runs a program and collects what it printed and how it ended.

#include <functional>
#include <string>
#include <vector>

namespace briskal::testing {

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `args` (no shell), feeding it nothing on standard input, with TMPDIR set to
// processTemporaryFolder(): what the programs log stays out of the folders real runs use.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args);

// The same, but the reader of standard output goes away after `outputBytes` bytes, as `| head`
// does: what was read is in `out`.
ProcessResult runProcessClosingOutput(const std::string& program, const std::vector<std::string>& args,
                                      size_t outputBytes);

// Starts the program as runProcess does, with its output thrown away, and kills it with SIGKILL
// after `delay` unless it has ended by then; true when it had to be killed.
bool runProcessKilledAfter(const std::string& program, const std::vector<std::string>& args, int delayMs);
// The same, killing it as soon as `now` says so, asked every `pollMs` milliseconds.
bool runProcessKilledWhen(const std::string& program, const std::vector<std::string>& args,
                          const std::function<bool()>& now, int pollMs);

// A loopback port nobody listens on right now. Another process may still take it before a
// server binds it: the servers the tests start survive that by starting again on another port.
int freeLoopbackPort();

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
