#include "support/process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace briskal::testing {
namespace {

// A pipe whose ends close themselves.
struct Pipe {
  int fd[2] = {-1, -1};
  Pipe() {
    if (pipe2(fd, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  }
  ~Pipe() {
    for (int f : fd)
      if (f >= 0) close(f);
  }
  void closeEnd(int i) {
    if (fd[i] >= 0) close(fd[i]);
    fd[i] = -1;
  }
};

}  // namespace

const std::string& processTemporaryFolder() {
  struct Folder {
    std::string path;
    Folder() {
      const std::filesystem::path pattern = std::filesystem::temp_directory_path() / "briskal-runs-XXXXXX";
      std::string text = pattern.string();
      if (!mkdtemp(text.data())) throw std::runtime_error("mkdtemp failed");
      path = text;
    }
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  };
  static const Folder folder;
  return folder.path;
}

namespace {

// Starts `program` with nothing on standard input and its output on `out` and `err` (-1: thrown
// away), TMPDIR set to processTemporaryFolder().
pid_t start(const std::string& program, const std::vector<std::string>& args, int out, int err) {
  const std::string& temporary = processTemporaryFolder();
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid > 0) return pid;
  const int devnull = open("/dev/null", O_RDWR);
  dup2(devnull, STDIN_FILENO);
  dup2(out >= 0 ? out : devnull, STDOUT_FILENO);
  dup2(err >= 0 ? err : devnull, STDERR_FILENO);
  setenv("TMPDIR", temporary.c_str(), 1);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
}

}  // namespace

ProcessResult runProcessClosingOutput(const std::string& program, const std::vector<std::string>& args,
                                      size_t outputBytes) {
  Pipe out, err;
  const pid_t pid = start(program, args, out.fd[1], err.fd[1]);
  out.closeEnd(1);
  err.closeEnd(1);
  ProcessResult result;
  pollfd fds[2] = {{out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  char buf[65536];
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      const size_t room = i == 0 ? outputBytes - result.out.size() : sizeof buf;
      const ssize_t n = read(fds[i].fd, buf, std::min(room, sizeof buf));
      if (n > 0) sinks[i]->append(buf, static_cast<size_t>(n));
      if (n <= 0 || (i == 0 && result.out.size() >= outputBytes)) {
        if (i == 0) out.closeEnd(0);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

bool runProcessKilledWhen(const std::string& program, const std::vector<std::string>& args,
                          const std::function<bool()>& now, int pollMs) {
  const pid_t pid = start(program, args, -1, -1);
  int status = 0;
  while (!now()) {
    if (waitpid(pid, &status, WNOHANG) == pid) return false;
    usleep(static_cast<useconds_t>(pollMs) * 1000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return true;
}

bool runProcessKilledAfter(const std::string& program, const std::vector<std::string>& args, int delayMs) {
  int waited = 0;
  return runProcessKilledWhen(
      program, args, [&] { return waited++ >= delayMs; }, 1);
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args) {
  return runProcessClosingOutput(program, args, std::string::npos);
}

namespace {

// A socket bound to a free loopback port; returns the socket and sets `port`.
int bindLoopback(int& port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::system_error(errno, std::generic_category(), "socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
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

RefusingLoopbackPort::RefusingLoopbackPort() { socket_ = bindLoopback(port_); }

RefusingLoopbackPort::~RefusingLoopbackPort() { close(socket_); }

std::string findProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path ? path : "/usr/bin");
  for (std::string folder; std::getline(folders, folder, ':');)
    if (std::filesystem::exists(std::filesystem::path(folder) / name))
      return (std::filesystem::path(folder) / name).string();
  return "";
}

}  // namespace briskal::testing
