#include "support/process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <thread>

extern char** environ;

namespace briskal::testing {
namespace fs = std::filesystem;
namespace {

constexpr auto kConditionPollInterval = std::chrono::milliseconds(10);

// A file descriptor that closes itself.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void reset() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

Descriptor openOrThrow(const fs::path& file, int flags) {
  const int fd = open(file.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) throw std::system_error(errno, std::generic_category(), "open " + file.string());
  return Descriptor(fd);
}

// The environment of this process with `overrides` (NAME=VALUE) replacing or adding variables.
std::vector<std::string> environmentWith(const std::vector<std::string>& overrides) {
  std::vector<std::string> result;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string_view text(*variable);
    const std::string_view name = text.substr(0, text.find('=') + 1);
    const bool replaced = std::any_of(overrides.begin(), overrides.end(),
                                      [&](const std::string& o) { return o.starts_with(name); });
    if (!replaced) result.emplace_back(text);
  }
  result.insert(result.end(), overrides.begin(), overrides.end());
  return result;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (std::string& text : texts) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

// Starts `command` with its standard output on `out` and its errors on `err`.
pid_t spawn(const Command& command, int out, int err) {
  if (command.words.empty()) throw std::invalid_argument("A command needs a program");
  // Everything is prepared before fork: the child of a threaded process may only make system calls.
  std::vector<std::string> words = command.words;
  std::vector<std::string> environment = environmentWith(command.environment);
  const std::vector<char*> argv = pointersTo(words);
  const std::vector<char*> envp = pointersTo(environment);
  const std::string folder = command.folder.string();
  const std::optional<Account> account = command.account;
  const Descriptor nothing = openOrThrow("/dev/null", O_RDONLY);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) throw std::system_error(errno, std::generic_category(), "fork");
  if (pid == 0) {
    if (setpgid(0, 0) != 0) _exit(126);
    if (account && (setgroups(0, nullptr) != 0 || setgid(account->gid) != 0 || setuid(account->uid) != 0))
      _exit(126);
    // After setuid, which clears the death signal.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) _exit(126);
    if ((!folder.empty() && chdir(folder.c_str()) != 0) || dup2(nothing.get(), STDIN_FILENO) < 0 ||
        dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0)
      _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  // Here too, so that the group exists before this process signals it; the child may have
  // made it already.
  setpgid(pid, pid);
  return pid;
}

// Waits for the process to end when `block`, kills whatever it left running in its group, and
// reaps it; returns its wait status, or nullopt while it runs. Its id names the group, and stays
// taken until it is reaped: the group cannot be someone else's then.
std::optional<int> reap(pid_t pid, bool block) {
  siginfo_t info{};
  while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT | (block ? 0 : WNOHANG)) != 0) {
    if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "waitid");
  }
  if (info.si_pid == 0) return std::nullopt;
  kill(-pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "waitpid");
  }
  return status;
}

std::string statusText(int status) {
  return WIFEXITED(status) ? "exited with status " + std::to_string(WEXITSTATUS(status))
                           : "was killed by signal " + std::to_string(WTERMSIG(status));
}

int exitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

// A pipe whose ends close themselves.
struct OutputPipe {
  std::array<int, 2> fd = {-1, -1};
  OutputPipe() {
    if (pipe2(fd.data(), O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
  }
  ~OutputPipe() {
    for (int f : fd)
      if (f >= 0) close(f);
  }
  OutputPipe(const OutputPipe&) = delete;
  OutputPipe& operator=(const OutputPipe&) = delete;
  void closeEnd(int i) {
    if (fd[i] >= 0) close(fd[i]);
    fd[i] = -1;
  }
};

ProcessResult collect(const Command& command, size_t outputBytes) {
  OutputPipe out;
  OutputPipe err;
  const pid_t pid = spawn(command, out.fd[1], err.fd[1]);
  out.closeEnd(1);
  err.closeEnd(1);
  ProcessResult result;
  std::array<pollfd, 2> fds = {{{out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}}};
  const std::array<std::string*, 2> sinks = {&result.out, &result.err};
  int openPipes = 2;
  std::array<char, 65536> buffer;
  while (openPipes > 0) {
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      const size_t room = i == 0 ? outputBytes - result.out.size() : buffer.size();
      const ssize_t n = read(fds[i].fd, buffer.data(), std::min(room, buffer.size()));
      if (n > 0) sinks[i]->append(buffer.data(), static_cast<size_t>(n));
      if (n <= 0 || (i == 0 && result.out.size() >= outputBytes)) {
        if (i == 0) out.closeEnd(0);
        fds[i].fd = -1;
        --openPipes;
      }
    }
  }
  result.exitCode = exitCodeOf(*reap(pid, true));
  return result;
}

Command withTemporaryFolder(const std::string& program, const std::vector<std::string>& args) {
  Command command{{program}, {"TMPDIR=" + processTemporaryFolder()}, {}, {}};
  command.words.insert(command.words.end(), args.begin(), args.end());
  return command;
}

}  // namespace

const std::string& processTemporaryFolder() {
  struct Folder {
    std::string path;
    Folder() {
      std::string text = (fs::temp_directory_path() / "briskal-runs-XXXXXX").string();
      if (!mkdtemp(text.data())) throw std::system_error(errno, std::generic_category(), "mkdtemp");
      path = text;
    }
    ~Folder() {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  };
  static const Folder folder;
  return folder.path;
}

ProcessResult runProcess(const Command& command) { return collect(command, std::string::npos); }

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args) {
  return runProcess(withTemporaryFolder(program, args));
}

ProcessResult runProcessClosingOutput(const std::string& program, const std::vector<std::string>& args,
                                      size_t outputBytes) {
  return collect(withTemporaryFolder(program, args), outputBytes);
}

bool runProcessKilledWhen(const std::string& program, const std::vector<std::string>& args,
                          const std::function<bool()>& now, int pollMs) {
  ChildProcess child(withTemporaryFolder(program, args), "/dev/null");
  while (!now()) {
    if (!child.ended().empty()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
  }
  child.stop(SIGKILL, {});
  return true;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kConditionPollInterval);
  }
  return true;
}

ChildProcess::ChildProcess(const Command& command, const fs::path& output) {
  const Descriptor out = openOrThrow(output, O_WRONLY | O_CREAT | O_APPEND);
  pid_ = spawn(command, out.get(), out.get());
}

ChildProcess::~ChildProcess() { stop(SIGKILL, {}); }

const std::string& ChildProcess::ended() {
  if (ended_.empty()) {
    if (const std::optional<int> status = reap(pid_, false)) ended_ = statusText(*status);
  }
  return ended_;
}

void ChildProcess::stop(int signal, std::chrono::milliseconds patience) {
  if (!ended().empty()) return;
  kill(pid_, signal);
  if (waitUntil([&] { return !ended().empty(); }, patience)) return;
  kill(-pid_, SIGKILL);
  ended_ = statusText(*reap(pid_, true));
}

std::optional<Account> accountWhenRoot(const std::string& user) {
  if (geteuid() != 0) return std::nullopt;
  const passwd* entry = getpwnam(user.c_str());
  if (entry == nullptr)
    throw std::runtime_error("Running as root, but there is no " + user + " user to run as");
  return Account{entry->pw_uid, entry->pw_gid};
}

namespace {

sockaddr_in loopbackAddress(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  return address;
}

// A socket bound to a free loopback port; returns the socket and sets `port`.
int bindLoopback(int& port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::system_error(errno, std::generic_category(), "socket");
  sockaddr_in address = loopbackAddress(0);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    const int error = errno;
    close(fd);
    throw std::system_error(error, std::generic_category(), "bind to a free port");
  }
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

int freeLoopbackPort() {
  int port = 0;
  close(bindLoopback(port));
  return port;
}

bool acceptsConnections(int port) {
  const Descriptor fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (fd.get() < 0) return false;
  const sockaddr_in address = loopbackAddress(port);
  return connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

RefusingLoopbackPort::RefusingLoopbackPort() { socket_ = bindLoopback(port_); }

RefusingLoopbackPort::~RefusingLoopbackPort() { close(socket_); }

std::string findProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path ? path : "/usr/bin");
  for (std::string folder; std::getline(folders, folder, ':');)
    if (fs::exists(fs::path(folder) / name)) return (fs::path(folder) / name).string();
  return "";
}

}  // namespace briskal::testing
