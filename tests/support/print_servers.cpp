#include "support/print_servers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <utility>

#include "support/process.h"

extern char** environ;

namespace briskal::testing {
namespace fs = std::filesystem;
using namespace std::chrono_literals;
namespace {

constexpr const char* kCupsd = "/usr/sbin/cupsd";
constexpr const char* kLpadmin = "/usr/sbin/lpadmin";
constexpr const char* kCupsDisable = "/usr/sbin/cupsdisable";
constexpr const char* kCupsReject = "/usr/sbin/cupsreject";
constexpr const char* kLprint = "/usr/bin/lprint";
const fs::path kCupsServerBin = "/usr/lib/cups";

constexpr int kStartAttempts = 3;
constexpr auto kStartTimeout = 5s;
constexpr auto kStopTimeout = 3s;
constexpr auto kPollInterval = 10ms;

// The raw queues' device, a backend of our own: cupsd writes a file: device only at the end of a
// filter chain, which a raw queue has none of, and cups-pdf takes its settings from /etc/cups and
// converts what it gets. cupsd runs it once per job with the job's file (or the job on standard
// input); the bytes are renamed into place once complete, so a file that is there is whole.
constexpr std::string_view kJobFileBackend = R"(#!/bin/sh
# jobfile:FOLDER writes each job to FOLDER/JOB-ID.prn
if [ $# -eq 0 ]; then echo 'direct jobfile "Unknown" "Job files"'; exit 0; fi
folder="${DEVICE_URI#jobfile:}"
cat ${6:+"$6"} > "$folder/.$1.part" && mv "$folder/.$1.part" "$folder/$1.prn"
)";

// A ready ZPL printer's answers: ~HQES with no error and no warning flag; ~HS with nothing
// paused or out and no measured label length, so that LPrint keeps the labels its driver loads
// (for a length it would make up a label size of its own).
constexpr std::string_view kZplStatusAnswer =
    "\x02\r\n"
    "  PRINTER STATUS\r\n"
    "   ERRORS:         0 00000000 00000000\r\n"
    "   WARNINGS:       0 00000000 00000000\r\n"
    "\x03\r\n";
constexpr std::string_view kZplHostStatusAnswer =
    "\x02"
    "030,0,0,0000,000,0,0,0,000,0,0,0\x03\r\n"
    "\x02"
    "001,0,0,0,1,2,6,0,00000000,1,000\x03\r\n"
    "\x02"
    "1234,0\x03\r\n";
constexpr std::array<std::pair<std::string_view, std::string_view>, 2> kZplQueries = {{
    {"~HQES", kZplStatusAnswer},
    {"~HS", kZplHostStatusAnswer},
}};

bool isExecutable(const char* path) { return access(path, X_OK) == 0; }

bool acceptsConnections(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return connected;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeFile(const fs::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out.flush()) throw std::runtime_error("Cannot write " + path.string());
}

bool isAlive(pid_t pid) { return kill(pid, 0) == 0 || errno == EPERM; }

// A test process that crashed or was killed took its servers with it, not their folders: remove
// the folders whose owner is gone, so that they do not pile up from run to run.
void removeAbandonedFolders(std::string_view prefix) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(fs::temp_directory_path(), ec)) {
    if (!entry.path().filename().string().starts_with(prefix)) continue;
    std::ifstream in(entry.path() / "owner");
    long owner = 0;
    if (!(in >> owner) || owner <= 0 || isAlive(static_cast<pid_t>(owner))) continue;
    fs::remove_all(entry.path(), ec);
  }
}

// A folder named after no one else's, holding the id of the process that owns the server.
fs::path makeFolder(std::string_view prefix) {
  removeAbandonedFolders(prefix);
  std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category(), "mkdtemp");
  writeFile(fs::path(pattern) / "owner", std::to_string(getpid()) + "\n");
  return pattern;
}

struct Account {
  uid_t uid = 0;
  gid_t gid = 0;
};

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

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (std::string& text : texts) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

// Starts a server in the foreground of a child process, its output appended to `output`, as
// `account` when given. The child is killed when the thread that started it ends, so that a test
// process that dies does not leave its servers behind.
pid_t startServer(std::vector<std::string> command, std::vector<std::string> environment,
                  const fs::path& output, const std::optional<Account>& account) {
  // Everything is prepared before fork: the child of a threaded process may only make system calls.
  const std::vector<char*> argv = pointers(command);
  const std::vector<char*> envp = pointers(environment);
  const std::string outputPath = output.string();
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) throw std::system_error(errno, std::generic_category(), "fork");
  if (pid > 0) return pid;
  if (account && (setgroups(0, nullptr) != 0 || setgid(account->gid) != 0 || setuid(account->uid) != 0))
    _exit(126);
  // After setuid, which clears the death signal.
  if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) _exit(126);
  const int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  const int in = open("/dev/null", O_RDONLY);
  if (out < 0 || in < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0) _exit(126);
  execve(argv[0], argv.data(), envp.data());
  _exit(127);
}

std::string millisecondsText(std::chrono::milliseconds time) { return std::to_string(time.count()) + " ms"; }

// Waits until the server takes connections on `port`; otherwise says why not: it ended (pid then
// becomes 0) or did not listen in time.
std::string waitUntilListening(pid_t& pid, int port) {
  const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      pid = 0;
      return WIFEXITED(status) ? "it exited with status " + std::to_string(WEXITSTATUS(status))
                               : "it was killed by signal " + std::to_string(WTERMSIG(status));
    }
    if (acceptsConnections(port)) return "";
    std::this_thread::sleep_for(kPollInterval);
  }
  return "it did not listen on port " + std::to_string(port) + " within " +
         millisecondsText(std::chrono::duration_cast<std::chrono::milliseconds>(kStartTimeout));
}

// Asks the server to end, and kills it when it does not in time.
void stopServer(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  pid = 0;
}

void removeFolder(const fs::path& folder) {
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

}  // namespace

bool cupsdAvailable() {
  return isExecutable(kCupsd) && isExecutable(kLpadmin) && isExecutable(kCupsDisable) &&
         isExecutable(kCupsReject) && fs::is_directory(kCupsServerBin / "backend");
}

bool lprintAvailable() { return isExecutable(kLprint); }

// ---- CupsTestServer ----

CupsTestServer::CupsTestServer() : folder_(makeFolder("briskal-cupsd-")) {
  try {
    start();
  } catch (...) {
    stopServer(pid_);
    removeFolder(folder_);
    throw;
  }
}

CupsTestServer::~CupsTestServer() {
  stopServer(pid_);
  removeFolder(folder_);
}

void CupsTestServer::start() {
  // Filters and backends run as the lp user, which must reach the spool and temporary folders.
  fs::permissions(folder_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
  for (const char* sub : {"conf", "spool", "tmp", "cache", "state", "log", "bin/backend", "jobs"})
    fs::create_directories(folder_ / sub);
  // A program folder of its own, to add the job file backend; the rest are the system's programs.
  for (const fs::directory_entry& entry : fs::directory_iterator(kCupsServerBin)) {
    if (entry.path().filename() != "backend")
      fs::create_directory_symlink(entry.path(), folder_ / "bin" / entry.path().filename());
  }
  // Owner-only: a cupsd running as root then runs it as root too, which writes in any folder.
  const fs::path backend = folder_ / "bin" / "backend" / "jobfile";
  writeFile(backend, kJobFileBackend);
  fs::permissions(backend, fs::perms::owner_all);

  const group* systemGroup = getgrgid(getegid());
  if (systemGroup == nullptr) throw std::runtime_error("The group of this process has no name");
  const std::pair<const char*, const char*> places[] = {
      {"ServerRoot", "conf"},        {"ServerBin", "bin"},
      {"RequestRoot", "spool"},      {"TempDir", "tmp"},
      {"CacheDir", "cache"},         {"StateDir", "state"},
      {"ErrorLog", "log/error_log"}, {"AccessLog", "log/access_log"},
      {"PageLog", "log/page_log"},   {"Printcap", "printcap"}};
  std::ostringstream files;
  for (const auto& [directive, sub] : places) files << directive << " " << (folder_ / sub).string() << "\n";
  if (geteuid() == 0) files << "User lp\nGroup lp\n";
  files << "SystemGroup " << systemGroup->gr_name << "\n";
  const fs::path filesConf = folder_ / "cups-files.conf";
  writeFile(filesConf, files.str());

  // Only loopback clients, none of them asked to authenticate, and every one may see and manage
  // every job and queue.
  constexpr std::string_view kAccess = R"(Browsing No
WebInterface No
DefaultAuthType None
DefaultPolicy open
<Location />
  Order allow,deny
  Allow 127.0.0.1
</Location>
<Policy open>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
)";
  // No bus: cupsd would announce the test queues to the desktop's colour manager.
  const std::vector<std::string> environment =
      environmentWith({"DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + (folder_ / "no-bus").string()});
  const fs::path conf = folder_ / "cupsd.conf";
  std::string failure;
  for (int attempt = 1; attempt <= kStartAttempts; ++attempt) {
    port_ = freeLoopbackPort();
    writeFile(conf, "LogLevel info\nListen 127.0.0.1:" + std::to_string(port_) + "\n" + std::string(kAccess));
    pid_ = startServer({kCupsd, "-f", "-c", conf.string(), "-s", filesConf.string()}, environment,
                       folder_ / "log" / "cupsd.out", std::nullopt);
    failure = waitUntilListening(pid_, port_);
    if (failure.empty()) return;
    stopServer(pid_);
  }
  throw std::runtime_error("cupsd did not start: " + failure + "\n" + log());
}

std::string CupsTestServer::server() const { return "127.0.0.1:" + std::to_string(port_); }

void CupsTestServer::manage(const std::string& program, const std::vector<std::string>& args) const {
  std::vector<std::string> command = {"-h", server()};
  command.insert(command.end(), args.begin(), args.end());
  const ProcessResult result = runProcess(program, command);
  if (result.exitCode != 0)
    throw std::runtime_error(program + " failed (" + std::to_string(result.exitCode) + "): " + result.err +
                             result.out + "\n" + log());
}

void CupsTestServer::addQueue(const std::string& name) {
  const fs::path jobs = folder_ / "jobs" / name;
  fs::create_directory(jobs);
  manage(kLpadmin, {"-p", name, "-E", "-v", "jobfile:" + jobs.string()});
}

void CupsTestServer::stopQueue(const std::string& name) { manage(kCupsDisable, {name}); }

void CupsTestServer::rejectJobs(const std::string& name) { manage(kCupsReject, {name}); }

std::vector<PrintedJob> CupsTestServer::waitForJobs(const std::string& queue, size_t count,
                                                    std::chrono::milliseconds timeout) const {
  const fs::path jobs = folder_ / "jobs" / queue;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::vector<PrintedJob> printed;
  for (;;) {
    printed.clear();
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(jobs, ec)) {
      if (entry.path().extension() == ".prn")
        printed.push_back({std::stoi(entry.path().stem().string()), readFile(entry.path())});
    }
    if (printed.size() >= count || std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(kPollInterval);
  }
  if (printed.size() < count)
    throw std::runtime_error("The queue " + queue + " printed " + std::to_string(printed.size()) + " of " +
                             std::to_string(count) + " jobs within " + millisecondsText(timeout) + ":\n" +
                             log());
  std::sort(printed.begin(), printed.end(),
            [](const PrintedJob& a, const PrintedJob& b) { return a.id < b.id; });
  return printed;
}

std::uintmax_t CupsTestServer::spooledBytes() const {
  std::uintmax_t bytes = 0;
  std::error_code error;
  for (const char* sub : {"spool", "tmp"})
    for (const auto& entry : fs::recursive_directory_iterator(folder_ / sub, error))
      if (entry.is_regular_file(error)) bytes += entry.file_size(error);
  return bytes;
}

std::string CupsTestServer::log() const {
  return "--- cupsd output ---\n" + readFile(folder_ / "log" / "cupsd.out") + "--- cupsd error_log ---\n" +
         readFile(folder_ / "log" / "error_log");
}

// ---- LprintTestServer ----

LprintTestServer::LprintTestServer() : folder_(makeFolder("briskal-lprint-")) {
  try {
    start();
  } catch (...) {
    stopServer(pid_);
    removeFolder(folder_);
    throw;
  }
}

LprintTestServer::~LprintTestServer() {
  stopServer(pid_);
  removeFolder(folder_);
}

void LprintTestServer::start() {
  fs::create_directory(folder_ / "home");
  fs::create_directory(folder_ / "spool");
  // As root, LPrint listens on /run/lprint.sock, which every server would share, and its
  // server-hostname renames the machine (/etc/hostname too): it runs as lp, with its state,
  // socket and spool in the folder.
  std::optional<Account> account;
  if (geteuid() == 0) {
    const passwd* lp = getpwnam("lp");
    if (lp == nullptr) throw std::runtime_error("Running as root, but there is no lp user to run LPrint");
    account = Account{lp->pw_uid, lp->pw_gid};
    for (const fs::path& path : {folder_, folder_ / "home", folder_ / "spool"}) {
      if (chown(path.c_str(), account->uid, account->gid) != 0)
        throw std::system_error(errno, std::generic_category(), "chown " + path.string());
    }
  }
  const std::vector<std::string> environment =
      environmentWith({"HOME=" + (folder_ / "home").string(), "TMPDIR=" + folder_.string()});
  std::string failure;
  for (int attempt = 1; attempt <= kStartAttempts; ++attempt) {
    port_ = freeLoopbackPort();
    pid_ = startServer({kLprint, "server", "-o", "server-port=" + std::to_string(port_), "-o",
                        "server-hostname=localhost", "-o", "log-file=" + (folder_ / "server.log").string(),
                        "-o", "log-level=info", "-o", "spool-directory=" + (folder_ / "spool").string()},
                       environment, folder_ / "lprint.out", account);
    failure = waitUntilListening(pid_, port_);
    if (failure.empty()) return;
    stopServer(pid_);
  }
  throw std::runtime_error("LPrint did not start: " + failure + "\n" + log());
}

void LprintTestServer::addPrinter(const std::string& name, const std::string& driver,
                                  const std::string& deviceUri) {
  // Through the server's port: otherwise the command looks for its user's own server, and
  // starts one when there is none.
  const ProcessResult result =
      runProcess(kLprint, {"add", "-u", "ipp://localhost:" + std::to_string(port_) + "/ipp/system", "-d",
                           name, "-m", driver, "-v", deviceUri});
  if (result.exitCode != 0)
    throw std::runtime_error("lprint add " + name + " failed: " + result.err + result.out + "\n" + log());
}

std::string LprintTestServer::printerUri(const std::string& name) const {
  return "ipp://localhost:" + std::to_string(port_) + "/ipp/print/" + name;
}

std::string LprintTestServer::log() const {
  return "--- lprint output ---\n" + readFile(folder_ / "lprint.out") + "--- lprint log ---\n" +
         readFile(folder_ / "server.log");
}

// ---- LoopbackLabelPrinter ----

LoopbackLabelPrinter::LoopbackLabelPrinter(Language language) : language_(language) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  wake_ = eventfd(0, EFD_CLOEXEC);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener_ < 0 || wake_ < 0 ||
      bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 16) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    const int error = errno;
    if (listener_ >= 0) close(listener_);
    if (wake_ >= 0) close(wake_);
    throw std::system_error(error, std::generic_category(), "A label printer cannot listen on 127.0.0.1");
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { serve(); });
}

LoopbackLabelPrinter::~LoopbackLabelPrinter() {
  const uint64_t one = 1;
  if (write(wake_, &one, sizeof one) != sizeof one) std::terminate();
  thread_.join();
  close(listener_);
  close(wake_);
}

std::string LoopbackLabelPrinter::deviceUri() const { return "socket://127.0.0.1:" + std::to_string(port_); }

void LoopbackLabelPrinter::serve() {
  for (;;) {
    std::vector<pollfd> waits = {{wake_, POLLIN, 0}, {listener_, POLLIN, 0}};
    std::vector<size_t> open;
    {
      const std::lock_guard lock(mutex_);
      for (size_t i = 0; i < connections_.size(); ++i) {
        if (connections_[i].closed) continue;
        waits.push_back({connections_[i].fd, POLLIN, 0});
        open.push_back(i);
      }
    }
    if (poll(waits.data(), waits.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (waits[0].revents != 0) break;
    if (waits[1].revents & POLLIN) {
      const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      const std::lock_guard lock(mutex_);
      if (fd >= 0) connections_.push_back({fd, "", "", false});
    }
    for (size_t w = 2; w < waits.size(); ++w) {
      if (waits[w].revents == 0) continue;
      std::array<char, 65536> buffer;
      const ssize_t n = recv(waits[w].fd, buffer.data(), buffer.size(), 0);
      const std::lock_guard lock(mutex_);
      Connection& connection = connections_[open[w - 2]];
      if (n > 0) {
        connection.pending.append(buffer.data(), static_cast<size_t>(n));
        receive(connection, false);
      } else {
        receive(connection, true);
        close(connection.fd);
        connection.fd = -1;
        connection.closed = true;
        changed_.notify_all();
      }
    }
  }
  const std::lock_guard lock(mutex_);
  for (Connection& connection : connections_) {
    if (!connection.closed) close(connection.fd);
    connection.closed = true;
  }
}

// Moves what came into the connection's bytes; a ZPL printer first answers the status queries
// in it and leaves them out, with their line end.
void LoopbackLabelPrinter::receive(Connection& connection, bool closing) {
  std::string& pending = connection.pending;
  if (language_ == Language::Raw) {
    connection.bytes += pending;
    pending.clear();
    return;
  }
  size_t done = 0;
  for (;;) {
    const size_t tilde = pending.find('~', done);
    connection.bytes.append(pending, done, tilde == std::string::npos ? std::string::npos : tilde - done);
    if (tilde == std::string::npos) break;
    const std::string_view rest = std::string_view(pending).substr(tilde);
    const auto query = std::find_if(kZplQueries.begin(), kZplQueries.end(),
                                    [&](const auto& q) { return rest.starts_with(q.first); });
    if (query != kZplQueries.end()) {
      send(connection.fd, query->second.data(), query->second.size(), MSG_NOSIGNAL);
      ++statusQueries_;
      done = tilde + query->first.size();
      if (pending.compare(done, 2, "\r\n") == 0) done += 2;
      else if (pending.compare(done, 1, "\n") == 0) done += 1;
      continue;
    }
    const bool cutShort = std::any_of(kZplQueries.begin(), kZplQueries.end(),
                                      [&](const auto& q) { return q.first.starts_with(rest); });
    if (cutShort && !closing) {
      pending.erase(0, tilde);
      return;
    }
    connection.bytes += '~';
    done = tilde + 1;
  }
  pending.clear();
}

std::vector<std::string> LoopbackLabelPrinter::finishedJobs() const {
  std::vector<std::string> jobs;
  for (const Connection& connection : connections_) {
    if (connection.closed && !connection.bytes.empty()) jobs.push_back(connection.bytes);
  }
  return jobs;
}

std::vector<std::string> LoopbackLabelPrinter::waitForJobs(size_t count,
                                                           std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  if (changed_.wait_for(lock, timeout, [&] { return finishedJobs().size() >= count; })) return finishedJobs();
  std::ostringstream what;
  what << "The label printer on port " << port_ << " received " << finishedJobs().size() << " of " << count
       << " jobs within " << millisecondsText(timeout) << "; connections (bytes, open):";
  for (const Connection& connection : connections_)
    what << " (" << connection.bytes.size() + connection.pending.size() << ", "
         << (connection.closed ? "closed" : "open") << ")";
  what << "; status queries answered: " << statusQueries_;
  throw std::runtime_error(what.str());
}

int LoopbackLabelPrinter::statusQueries() const {
  const std::lock_guard lock(mutex_);
  return statusQueries_;
}

}  // namespace briskal::testing
