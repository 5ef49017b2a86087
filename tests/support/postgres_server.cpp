#include "support/postgres_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "support/process.h"

namespace briskal::testing {
namespace fs = std::filesystem;
namespace {

const fs::path kPrograms = "/usr/lib/postgresql/15/bin";
constexpr int kStartAttempts = 3;

std::string readFile(const fs::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

constexpr std::string_view kFolderPrefix = "briskal-pg-";

// A folder named after no one else's, holding the id of the process that owns the server.
fs::path makeFolder() {
  std::string pattern = (fs::temp_directory_path() / (std::string(kFolderPrefix) + "XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category(), "mkdtemp");
  std::ofstream(fs::path(pattern) / "owner") << getpid() << "\n";
  return pattern;
}

pid_t readPid(const fs::path& file) {
  std::ifstream in(file);
  long pid = 0;
  return in >> pid ? static_cast<pid_t>(pid) : 0;
}

bool isAlive(pid_t pid) { return kill(pid, 0) == 0 || errno == EPERM; }

// A test process that crashed or was killed on a timeout never stopped its server: stop those
// whose owner is gone, so that they do not pile up from run to run.
void reapAbandonedServers() {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(fs::temp_directory_path(), ec)) {
    if (!entry.path().filename().string().starts_with(kFolderPrefix)) continue;
    const pid_t owner = readPid(entry.path() / "owner");
    if (owner <= 0 || isAlive(owner)) continue;
    const pid_t postmaster = readPid(entry.path() / "data" / "postmaster.pid");
    if (postmaster > 0 && kill(postmaster, SIGQUIT) == 0) {
      for (int i = 0; i < 100 && isAlive(postmaster); ++i) usleep(50'000);
    }
    fs::remove_all(entry.path(), ec);
  }
}

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
    reapAbandonedServers();
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
  if (fs::exists(kPrograms / "initdb") && fs::exists(kPrograms / "pg_ctl")) return kPrograms;
  return std::nullopt;
}

PostgresServer::PostgresServer(const fs::path& programs)
    : programs_(programs), folder_(makeFolder()), asPostgresUser_(geteuid() == 0) {
  try {
    start();
  } catch (...) {
    stop();
    throw;
  }
}

PostgresServer::~PostgresServer() { stop(); }

void PostgresServer::stop() {
  if (running_) runProgram("pg_ctl", {"-D", (folder_ / "data").string(), "-m", "immediate", "-w", "stop"});
  running_ = false;
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

std::string PostgresServer::connectionString(const std::string& database) const {
  return "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(port_) +
         ";Database=" + database + ";Uid=postgres;Pwd=;";
}

std::string PostgresServer::createDatabase() {
  const std::string name = "briskal_test_" + std::to_string(++databases_);
  if (runProgram("createdb", {"-h", "127.0.0.1", "-p", std::to_string(port_), "-U", "postgres", name}) != 0)
    throw std::runtime_error("createdb " + name + " failed:\n" + logs());
  return connectionString(name);
}

void PostgresServer::start() {
  // initdb refuses to run as root: the cluster belongs to the postgres user.
  if (asPostgresUser_) {
    const passwd* user = getpwnam("postgres");
    if (user == nullptr)
      throw std::runtime_error("Running as root, but there is no postgres user to run PostgreSQL");
    if (chown(folder_.c_str(), user->pw_uid, user->pw_gid) != 0)
      throw std::system_error(errno, std::generic_category(), "chown " + folder_.string());
  }
  const std::string data = (folder_ / "data").string();
  if (runProgram("initdb", {"-D", data, "--no-sync", "-A", "trust", "-U", "postgres", "-E", "UTF8",
                            "--locale=C.UTF-8"}) != 0)
    throw std::runtime_error("initdb failed:\n" + logs());
  {
    std::ofstream conf(folder_ / "data" / "postgresql.conf", std::ios::app);
    conf << "listen_addresses = '127.0.0.1'\n";
    conf << "unix_socket_directories = '" << folder_.string() << "'\n";
    // A test cluster is thrown away: durability only costs time.
    conf << "fsync = off\nsynchronous_commit = off\nfull_page_writes = off\n";
    conf << "shared_buffers = 32MB\nmax_connections = 40\n";
  }
  for (int attempt = 1; attempt <= kStartAttempts && !running_; ++attempt) {
    port_ = freeLoopbackPort();
    std::ofstream(folder_ / "data" / "postgresql.conf", std::ios::app) << "port = " << port_ << "\n";
    running_ = runProgram("pg_ctl", {"-D", data, "-l", (folder_ / "server.log").string(), "-w", "-t", "30",
                                     "start"}) == 0;
  }
  if (!running_) throw std::runtime_error("The PostgreSQL server did not start:\n" + logs());
  if (runProgram("createdb",
                 {"-h", "127.0.0.1", "-p", std::to_string(port_), "-U", "postgres", "briskal_test"}) != 0)
    throw std::runtime_error("createdb failed:\n" + logs());
}

int PostgresServer::runProgram(const std::string& program, const std::vector<std::string>& args) const {
  std::vector<std::string> command;
  if (asPostgresUser_) command = {"runuser", "-u", "postgres", "--"};
  command.push_back((programs_ / program).string());
  command.insert(command.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : command) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const std::string log = (folder_ / "programs.log").string();

  const pid_t pid = fork();
  if (pid < 0) throw std::system_error(errno, std::generic_category(), "fork");
  if (pid == 0) {
    // The child runs in the cluster's folder, which the postgres user can enter.
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    const int in = open("/dev/null", O_RDONLY);
    if (out < 0 || in < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0 ||
        chdir(folder_.c_str()) != 0)
      _exit(126);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "waitpid");
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string PostgresServer::logs() const {
  return "--- programs ---\n" + readFile(folder_ / "programs.log") + "--- server ---\n" +
         readFile(folder_ / "server.log");
}

void PostgresTest::SetUp() {
  try {
    server_ = sharedPostgresServer();
  } catch (const std::exception& e) {
    FAIL() << "PostgreSQL is installed but could not be started: " << e.what();
  }
  if (server_ == nullptr)
    GTEST_SKIP() << "PostgreSQL 15 is not installed (no initdb and pg_ctl in " << kPrograms.string()
                 << "): skipping a test that needs a database server";
}

}  // namespace briskal::testing
