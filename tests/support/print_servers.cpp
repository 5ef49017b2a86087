#include "support/print_servers.h"

#include <arpa/inet.h>
#include <cups/cups.h>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <utility>

#include "support/files.h"
#include "support/process.h"

namespace briskal::testing {
namespace fs = std::filesystem;
namespace {

constexpr const char* kCupsd = "/usr/sbin/cupsd";
constexpr const char* kLpadmin = "/usr/sbin/lpadmin";
constexpr const char* kCupsDisable = "/usr/sbin/cupsdisable";
constexpr const char* kCupsReject = "/usr/sbin/cupsreject";
constexpr const char* kLprint = "/usr/bin/lprint";
const fs::path kCupsServerBin = "/usr/lib/cups";

// Bounds against a hang only: a loaded machine may take many seconds to print a job.
constexpr auto kPrintedWithin = std::chrono::seconds(60);

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

// The status queries a ZPL printer answers: ~HQES (errors and warnings) and ~HS (host status).
constexpr std::array<std::string_view, 2> kZplQueries = {"~HQES", "~HS"};

// ~HQES: the error flags, none for a ready printer.
std::string errorsAnswer(const LoopbackLabelPrinter::Status& s) {
  const unsigned errors = (s.paperOut ? 0x01U : 0U) | (s.ribbonOut ? 0x02U : 0U) | (s.headOpen ? 0x04U : 0U);
  char flags[64];
  std::snprintf(flags, sizeof flags, "%d 00000000 %08x", errors != 0 ? 1 : 0, errors);
  return std::string("\x02\r\n  PRINTER STATUS\r\n   ERRORS:         ") + flags +
         "\r\n   WARNINGS:       0 00000000 00000000\r\n\x03\r\n";
}

// ~HS: no measured label length, so that LPrint keeps the labels its driver loads (for a length
// it would make up a label size of its own).
std::string hostStatusAnswer(const LoopbackLabelPrinter::Status& s) {
  char answer[160];
  std::snprintf(answer, sizeof answer,
                "\x02"
                "030,%d,%d,0000,%03d,0,0,0,000,0,0,0\x03\r\n"
                "\x02"
                "001,0,%d,%d,1,2,6,0,00000000,1,000\x03\r\n"
                "\x02"
                "1234,0\x03\r\n",
                s.paperOut ? 1 : 0, s.paused ? 1 : 0, s.labelsWaiting, s.headOpen ? 1 : 0,
                s.ribbonOut ? 1 : 0);
  return answer;
}

bool isExecutable(const char* path) { return access(path, X_OK) == 0; }

// cupsd takes in the document of a request as a file of its spool folder named by eight hex
// digits, and removes it once the request is done or its client has gone.
bool isIncomingDocument(const fs::path& file) {
  const std::string name = file.filename().string();
  return name.size() == 8 && name.find_first_not_of("0123456789abcdef") == std::string::npos;
}

struct HttpCloser {
  void operator()(http_t* http) const { httpClose(http); }
};
struct IppDeleter {
  void operator()(ipp_t* message) const { ippDelete(message); }
};

}  // namespace

bool cupsdAvailable() {
  return isExecutable(kCupsd) && isExecutable(kLpadmin) && isExecutable(kCupsDisable) &&
         isExecutable(kCupsReject) && fs::is_directory(kCupsServerBin / "backend");
}

bool lprintAvailable() { return isExecutable(kLprint); }

// ---- CupsTestServer ----

CupsTestServer::CupsTestServer() : server_("cupsd", SIGTERM) {
  const fs::path& folder = server_.folder();
  // Filters and backends run as the lp user, which must reach the spool and temporary folders.
  fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  for (const char* sub : {"conf", "spool", "tmp", "cache", "state", "log", "bin/backend", "jobs"})
    fs::create_directories(folder / sub);
  // A program folder of its own, to add the job file backend; the rest are the system's programs.
  for (const fs::directory_entry& entry : fs::directory_iterator(kCupsServerBin)) {
    if (entry.path().filename() != "backend")
      fs::create_directory_symlink(entry.path(), folder / "bin" / entry.path().filename());
  }
  // Owner-only: a cupsd running as root then runs it as root too, which writes in any folder.
  const fs::path backend = folder / "bin" / "backend" / "jobfile";
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
  for (const auto& [directive, sub] : places) files << directive << " " << (folder / sub).string() << "\n";
  if (geteuid() == 0) files << "User lp\nGroup lp\n";
  files << "SystemGroup " << systemGroup->gr_name << "\n";
  const fs::path filesConf = folder / "cups-files.conf";
  writeFile(filesConf, files.str());
  server_.addLog(folder / "log" / "error_log");

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
  const fs::path conf = folder / "cupsd.conf";
  server_.start(
      [&](int port) {
        writeFile(conf,
                  "LogLevel info\nListen 127.0.0.1:" + std::to_string(port) + "\n" + std::string(kAccess));
        // No bus: cupsd would announce the test queues to the desktop's colour manager.
        return Command{{kCupsd, "-f", "-c", conf.string(), "-s", filesConf.string()},
                       {"DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + (folder / "no-bus").string()},
                       {},
                       {}};
      },
      acceptsConnections);
}

std::string CupsTestServer::server() const { return "127.0.0.1:" + std::to_string(server_.port()); }

void CupsTestServer::manage(const std::string& program, const std::vector<std::string>& args) const {
  std::vector<std::string> command = {"-h", server()};
  command.insert(command.end(), args.begin(), args.end());
  const ProcessResult result = runProcess(program, command);
  if (result.exitCode != 0)
    throw std::runtime_error(program + " failed (" + std::to_string(result.exitCode) + "): " + result.err +
                             result.out + "\n" + log());
}

void CupsTestServer::addQueue(const std::string& name) {
  const fs::path jobs = server_.folder() / "jobs" / name;
  fs::create_directory(jobs);
  manage(kLpadmin, {"-p", name, "-E", "-v", "jobfile:" + jobs.string()});
}

void CupsTestServer::stopQueue(const std::string& name) { manage(kCupsDisable, {name}); }

void CupsTestServer::rejectJobs(const std::string& name) { manage(kCupsReject, {name}); }

std::vector<PrintedJob> CupsTestServer::printedJobs(const std::string& queue) const {
  std::vector<PrintedJob> printed;
  std::error_code ignored;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(server_.folder() / "jobs" / queue, ignored)) {
    if (entry.path().extension() == ".prn")
      printed.push_back({std::stoi(entry.path().stem().string()), readFile(entry.path())});
  }
  std::sort(printed.begin(), printed.end(),
            [](const PrintedJob& a, const PrintedJob& b) { return a.id < b.id; });
  return printed;
}

std::vector<PrintedJob> CupsTestServer::waitForJobs(const std::string& queue, size_t count) const {
  std::vector<PrintedJob> printed;
  if (!waitUntil([&] { return (printed = printedJobs(queue)).size() >= count; }, kPrintedWithin))
    throw std::runtime_error("The queue " + queue + " printed " + std::to_string(printed.size()) + " of " +
                             std::to_string(count) + " jobs:\n" + log());
  return printed;
}

std::vector<ServerJob> CupsTestServer::jobs() const {
  const std::unique_ptr<http_t, HttpCloser> http(
      httpConnect2("127.0.0.1", server_.port(), nullptr, AF_INET, HTTP_ENCRYPTION_NEVER, 1, 30000, nullptr));
  if (!http) throw std::runtime_error("cupsd does not answer on " + server() + "\n" + log());
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOBS);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, "ipp://localhost/");
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "all");
  static const char* const kAttributes[] = {"job-id", "job-state", "number-of-documents"};
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
  // cupsDoRequest takes the request and frees it.
  const std::unique_ptr<ipp_t, IppDeleter> response(cupsDoRequest(http.get(), request, "/"));
  if (!response || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
    throw std::runtime_error(std::string("cupsd did not list its jobs: ") + cupsLastErrorString() + "\n" +
                             log());
  // Each job is a group of its own; groups end at a nameless separator.
  std::vector<ServerJob> found;
  std::optional<ServerJob> job;
  for (ipp_attribute_t* a = ippFirstAttribute(response.get());; a = ippNextAttribute(response.get())) {
    if (a == nullptr || ippGetName(a) == nullptr) {
      if (job) found.push_back(*job);
      job.reset();
      if (a == nullptr) break;
      continue;
    }
    if (ippGetGroupTag(a) != IPP_TAG_JOB) continue;
    if (!job) job.emplace();
    const std::string_view name = ippGetName(a);
    if (name == "job-id") job->id = ippGetInteger(a, 0);
    if (name == "job-state") job->state = ippGetInteger(a, 0);
    if (name == "number-of-documents") job->documents = ippGetInteger(a, 0);
  }
  std::sort(found.begin(), found.end(), [](const ServerJob& a, const ServerJob& b) { return a.id < b.id; });
  return found;
}

std::uintmax_t CupsTestServer::spooledBytes() const {
  std::uintmax_t bytes = 0;
  std::error_code error;
  for (const char* sub : {"spool", "tmp"})
    for (const auto& entry : fs::recursive_directory_iterator(server_.folder() / sub, error))
      if (entry.is_regular_file(error)) bytes += entry.file_size(error);
  return bytes;
}

void CupsTestServer::waitUntilNothingIsIncoming() const {
  const auto incoming = [&] {
    std::error_code ignored;
    for (const fs::directory_entry& entry : fs::directory_iterator(server_.folder() / "spool", ignored))
      if (isIncomingDocument(entry.path())) return true;
    return false;
  };
  if (!waitUntil([&] { return !incoming(); }, kPrintedWithin))
    throw std::runtime_error("cupsd is still receiving a document:\n" + log());
}

// ---- LprintTestServer ----

LprintTestServer::LprintTestServer() : server_("lprint", SIGTERM) {
  const fs::path& folder = server_.folder();
  fs::create_directory(folder / "home");
  fs::create_directory(folder / "spool");
  // As root, LPrint listens on /run/lprint.sock, which every server would share, and its
  // server-hostname renames the machine (/etc/hostname too): it runs as lp, with its state,
  // socket and spool in the folder.
  const std::optional<Account> account = accountWhenRoot("lp");
  if (account) {
    for (const fs::path& path : {folder, folder / "home", folder / "spool"}) {
      if (chown(path.c_str(), account->uid, account->gid) != 0)
        throw std::system_error(errno, std::generic_category(), "chown " + path.string());
    }
  }
  server_.addLog(folder / "server.log");
  server_.start(
      [&](int port) {
        return Command{{kLprint, "server", "-o", "server-port=" + std::to_string(port), "-o",
                        "server-hostname=localhost", "-o", "log-file=" + (folder / "server.log").string(),
                        "-o", "log-level=info", "-o", "spool-directory=" + (folder / "spool").string()},
                       {"HOME=" + (folder / "home").string(), "TMPDIR=" + folder.string()},
                       {},
                       account};
      },
      acceptsConnections);
}

void LprintTestServer::addPrinter(const std::string& name, const std::string& driver,
                                  const std::string& deviceUri) {
  // Through the server's port: otherwise the command looks for its user's own server, and
  // starts one when there is none.
  const ProcessResult result =
      runProcess(kLprint, {"add", "-u", "ipp://localhost:" + std::to_string(server_.port()) + "/ipp/system",
                           "-d", name, "-m", driver, "-v", deviceUri});
  if (result.exitCode != 0)
    throw std::runtime_error("lprint add " + name + " failed: " + result.err + result.out + "\n" + log());
}

std::string LprintTestServer::printerUri(const std::string& name) const {
  return "ipp://localhost:" + std::to_string(server_.port()) + "/ipp/print/" + name;
}

void LprintTestServer::pause(const std::string& name) { manage("pause", name); }

void LprintTestServer::resume(const std::string& name) { manage("resume", name); }

void LprintTestServer::manage(const std::string& command, const std::string& name) {
  const ProcessResult result = runProcess(kLprint, {command, "-u", printerUri(name), "-d", name});
  if (result.exitCode != 0)
    throw std::runtime_error("lprint " + command + " " + name + " failed: " + result.err + result.out + "\n" +
                             log());
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
        if (connections_[i].closed || connections_[i].stalled) continue;
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
      if (fd >= 0) {
        connections_.push_back({fd, "", "", 0, false, false});
        cutOffWhenDue(connections_.back());
      }
    }
    for (size_t w = 2; w < waits.size(); ++w) {
      if (waits[w].revents == 0) continue;
      std::array<char, 65536> buffer;
      size_t wanted = buffer.size();
      {
        const std::lock_guard lock(mutex_);
        Connection& connection = connections_[open[w - 2]];
        cutOffWhenDue(connection);
        if (connection.closed || connection.stalled) continue;
        // Never past the cut-off, so that it comes exactly where it was set.
        if (cutoff_) wanted = std::min(wanted, cutoff_->first - connection.read);
      }
      const ssize_t n = recv(waits[w].fd, buffer.data(), wanted, 0);
      const std::lock_guard lock(mutex_);
      Connection& connection = connections_[open[w - 2]];
      if (n > 0) {
        connection.read += static_cast<size_t>(n);
        connection.pending.append(buffer.data(), static_cast<size_t>(n));
        receive(connection, false);
        cutOffWhenDue(connection);
      } else {
        receive(connection, true);
        close(connection.fd);
        connection.fd = -1;
        connection.closed = true;
        if (!connection.bytes.empty() && afterJob_) status_ = *std::exchange(afterJob_, std::nullopt);
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

void LoopbackLabelPrinter::cutOffWhenDue(Connection& connection) {
  if (!cutoff_ || connection.read < cutoff_->first) return;
  if (cutoff_->second == Cutoff::Stall) {
    connection.stalled = true;
    return;
  }
  receive(connection, true);
  const linger abort{1, 0};
  setsockopt(connection.fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  close(connection.fd);
  connection.fd = -1;
  connection.closed = true;
  changed_.notify_all();
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
                                    [&](std::string_view q) { return rest.starts_with(q); });
    if (query != kZplQueries.end()) {
      const bool errors = *query == "~HQES";
      const std::string answer = errors ? errorsAnswer(status_) : hostStatusAnswer(status_);
      if (status_.answers && (status_.answersErrors || !errors))
        send(connection.fd, answer.data(), answer.size(), MSG_NOSIGNAL);
      ++statusQueries_;
      done = tilde + query->size();
      if (pending.compare(done, 2, "\r\n") == 0) done += 2;
      else if (pending.compare(done, 1, "\n") == 0) done += 1;
      continue;
    }
    const bool cutShort = std::any_of(kZplQueries.begin(), kZplQueries.end(),
                                      [&](std::string_view q) { return q.starts_with(rest); });
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

std::vector<std::string> LoopbackLabelPrinter::waitForJobs(size_t count) const {
  std::unique_lock lock(mutex_);
  if (changed_.wait_for(lock, kPrintedWithin, [&] { return finishedJobs().size() >= count; }))
    return finishedJobs();
  std::ostringstream what;
  what << "The label printer on port " << port_ << " received " << finishedJobs().size() << " of " << count
       << " jobs; connections (bytes, open):";
  for (const Connection& connection : connections_)
    what << " (" << connection.bytes.size() + connection.pending.size() << ", "
         << (connection.closed ? "closed" : "open") << ")";
  what << "; status queries answered: " << statusQueries_;
  throw std::runtime_error(what.str());
}

std::vector<std::string> LoopbackLabelPrinter::jobs() const {
  const std::lock_guard lock(mutex_);
  return finishedJobs();
}

int LoopbackLabelPrinter::statusQueries() const {
  const std::lock_guard lock(mutex_);
  return statusQueries_;
}

size_t LoopbackLabelPrinter::bytesRead() const {
  const std::lock_guard lock(mutex_);
  size_t read = 0;
  for (const Connection& c : connections_) read += c.read;
  return read;
}

void LoopbackLabelPrinter::setStatus(const Status& status) {
  const std::lock_guard lock(mutex_);
  status_ = status;
  afterJob_.reset();
}

void LoopbackLabelPrinter::setStatusAfterJob(const Status& status) {
  const std::lock_guard lock(mutex_);
  afterJob_ = status;
}

void LoopbackLabelPrinter::cutOffAfter(size_t bytes, Cutoff how) {
  const std::lock_guard lock(mutex_);
  cutoff_ = {bytes, how};
}

}  // namespace briskal::testing
