#include "support/postgres_server.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "support/files.h"
#include "support/process.h"

namespace briskal::testing {
namespace fs = std::filesystem;
namespace {

const fs::path kPrograms = "/usr/lib/postgresql/15/bin";

// The server writes its state into the eighth line of its lock file; "ready" once it takes
// connections, as pg_ctl reads it.
bool postmasterIsReady(const fs::path& data) {
  std::istringstream lines(readFile(data / "postmaster.pid"));
  std::string line;
  for (int n = 1; n <= 8 && std::getline(lines, line); ++n) {
    if (n == 8) return line.starts_with("ready");
  }
  return false;
}

// Holds an exclusive lock on a file while it lives.
class FileLock {
 public:
  explicit FileLock(const fs::path& file) : fd_(open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "open " + file.string());
    while (flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "flock " + file.string());
    }
  }
  ~FileLock() { close(fd_); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_;
};

struct SharedServer {
  std::unique_ptr<PostgresServer> server;
  bool installed = false;
  std::string failure;
};

}  // namespace

PostgresServer* sharedPostgresServer() {
  static SharedServer shared = [] {
    SharedServer s;
    const std::optional<fs::path> programs = findPostgresPrograms();
    s.installed = programs.has_value();
    if (!programs) return s;
    if (gettid() != getpid()) {
      s.failure = "The shared PostgreSQL server was first asked for on a thread other than the main one";
      return s;
    }
    try {
      s.server = std::make_unique<PostgresServer>(*programs);
    } catch (const std::exception& e) {
      s.failure = e.what();
    }
    return s;
  }();
  if (!shared.installed) return nullptr;
  if (!shared.server) throw std::runtime_error(shared.failure);
  return shared.server.get();
}

std::optional<fs::path> findPostgresPrograms() {
  for (const char* program : {"initdb", "postgres", "createdb"})
    if (access((kPrograms / program).c_str(), X_OK) != 0) return std::nullopt;
  return kPrograms;
}

PostgresServer::PostgresServer(const fs::path& programs)
    : programs_(programs), server_("postgres", SIGQUIT), account_(accountWhenRoot("postgres")) {
  const fs::path& folder = server_.folder();
  // initdb and the server refuse to run as root: the cluster belongs to the postgres user.
  if (account_ && chown(folder.c_str(), account_->uid, account_->gid) != 0)
    throw std::system_error(errno, std::generic_category(), "chown " + folder.string());
  const fs::path data = folder / "data";
  // initdb takes seconds, and every test process starts a server: the cluster it makes is kept in
  // the temporary folder and copied, which takes a tenth of the time.
  run({"/bin/cp", "-a", freshCluster().string(), data.string()});
  // A test cluster is thrown away: durability only costs time. Its connections are the server's
  // default: a workstation's run holds five (the component's, and the print history's and the
  // counters' with a lock each), and tests run eight at once.
  const std::string settings = "listen_addresses = '127.0.0.1'\nunix_socket_directories = '" +
                               folder.string() +
                               "'\nfsync = off\nsynchronous_commit = off\nfull_page_writes = off\n"
                               "shared_buffers = 32MB\nmax_connections = 100\n";
  writeFile(data / "postgresql.conf", readFile(data / "postgresql.conf") + settings);
  server_.start(
      [&](int port) {
        return Command{{(programs_ / "postgres").string(), "-D", data.string(), "-p", std::to_string(port)},
                       {},
                       folder,
                       account_};
      },
      [&](int) { return postmasterIsReady(data); });
  runProgram("createdb", {"-h", "127.0.0.1", "-p", std::to_string(port()), "-U", "postgres", "briskal_test"});
}

fs::path PostgresServer::freshCluster() const {
  const std::vector<std::string> options{"--no-sync", "-A", "trust", "-U",
                                         "postgres",  "-E", "UTF8",  "--locale=C.UTF-8"};
  // Named after the options it was made with, so that a cluster made otherwise is never taken.
  std::string key;
  for (const std::string& option : options) key += option + ' ';
  const fs::path cluster = fs::temp_directory_path() / ("briskal-pg15-cluster-" + std::to_string(geteuid()) +
                                                        '-' + std::to_string(std::hash<std::string>{}(key)));
  const FileLock lock(fs::path(cluster).concat(".lock"));
  if (fs::exists(cluster / "PG_VERSION")) return cluster;
  // Made aside and renamed, so that a cluster in its place is always whole.
  const fs::path making = fs::path(cluster).concat(".making");
  fs::remove_all(making);
  std::vector<std::string> arguments{"-D", making.string()};
  arguments.insert(arguments.end(), options.begin(), options.end());
  runProgram("initdb", arguments);
  fs::remove_all(cluster);
  fs::rename(making, cluster);
  return cluster;
}

std::string PostgresServer::connectionString(const std::string& database) const {
  return "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(port()) +
         ";Database=" + database + ";Uid=postgres;Pwd=;";
}

std::string PostgresServer::createDatabase() {
  const std::string name = "briskal_test_" + std::to_string(++databases_);
  runProgram("createdb", {"-h", "127.0.0.1", "-p", std::to_string(port()), "-U", "postgres", name});
  return connectionString(name);
}

void PostgresServer::runProgram(const std::string& program, const std::vector<std::string>& args) const {
  std::vector<std::string> words{(programs_ / program).string()};
  words.insert(words.end(), args.begin(), args.end());
  run(words);
}

void PostgresServer::run(const std::vector<std::string>& words) const {
  const ProcessResult result = runProcess(Command{words, {}, server_.folder(), account_});
  if (result.exitCode != 0)
    throw std::runtime_error(words.front() + " failed (" + std::to_string(result.exitCode) + "):\n" +
                             result.out + result.err + server_.log());
}

void PostgresTest::SetUp() {
  try {
    server_ = sharedPostgresServer();
  } catch (const std::exception& e) {
    FAIL() << "PostgreSQL is installed but could not be started: " << e.what();
  }
  if (server_ == nullptr)
    GTEST_SKIP() << "PostgreSQL 15 is not installed (no initdb, postgres and createdb in "
                 << kPrograms.string() << "): skipping a test that needs a database server";
}

}  // namespace briskal::testing
