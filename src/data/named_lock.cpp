#include "data/named_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

#include "common/convert.h"
#include "common/error.h"
#include "data/connection.h"
#include "data/connection_string.h"

namespace briskal::data {
namespace {

// The same on every machine and in every release: processes of different builds take turns too.
uint64_t nameHash(std::string_view name) {
  uint64_t hash = 14695981039346656037ULL;
  for (const char c : name) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ULL;
  }
  return hash;
}

// An open-file-description lock: it conflicts with every other open of the file, in this process
// too, and the kernel drops it when the descriptor closes, which a killed process's does.
class FileByteLock final : public NamedLock {
 public:
  FileByteLock(const std::string& file, uint64_t hash) : offset_(static_cast<off_t>(hash >> 2)) {
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0)
      throw Error(err::kPathFileAccessError, "briskal.data",
                  "Cannot open " + file + " to take turns with other runs: " + std::strerror(errno));
  }
  ~FileByteLock() override { ::close(fd_); }
  FileByteLock(const FileByteLock&) = delete;
  FileByteLock& operator=(const FileByteLock&) = delete;

 protected:
  bool tryTake() override {
    struct flock byte {};
    byte.l_type = F_WRLCK;
    byte.l_whence = SEEK_SET;
    byte.l_start = offset_;
    byte.l_len = 1;
    if (::fcntl(fd_, F_OFD_SETLK, &byte) == 0) return true;
    if (errno == EAGAIN || errno == EACCES) return false;
    throw Error(err::kPathFileAccessError, "briskal.data",
                std::string("Cannot take turns with other runs: ") + std::strerror(errno));
  }

 private:
  int fd_ = -1;
  off_t offset_;
};

// A session-level advisory lock, on a session of its own: transactions of the run's own session
// neither hold nor free it, and the server frees it when the session ends.
class AdvisoryLock final : public NamedLock {
 public:
  AdvisoryLock(const std::string& connectionString, uint64_t hash) : key_(static_cast<int64_t>(hash)) {
    session_.setConnectionString(connectionString);
    session_.open();
  }
  ~AdvisoryLock() override {
    if (!held_) return;
    try {
      const Value key[] = {Value(key_)};
      session_.execute("SELECT pg_advisory_unlock(?)", key);
    } catch (const Error&) {
      // Closing the session below frees it all the same.
    }
  }

 protected:
  bool tryTake() override {
    const Value key[] = {Value(key_)};
    const StatementResult taken =
        session_.execute("SELECT CASE WHEN pg_try_advisory_lock(?) THEN 1 ELSE 0 END AS TAKEN", key);
    held_ = taken.rows && taken.rows->rowCount == 1 &&
            toInt64(taken.rows->cells.front(), RegionalSettings::italian()) == 1;
    return held_;
  }

 private:
  Connection session_;
  int64_t key_;
  bool held_ = false;
};

class NoLock final : public NamedLock {
 protected:
  bool tryTake() override { return true; }
};

std::unique_ptr<NamedLock> lockFor(const Connection& connection, std::string_view name) {
  const uint64_t hash = nameHash(name);
  if (connection.dialect() == Dialect::PostgreSQL)
    return std::make_unique<AdvisoryLock>(connection.connectionString(), hash);
  if (connection.dialect() != Dialect::SQLite) return std::make_unique<NoLock>();
  const ConnectionTarget target = parseConnectionString(connection.connectionString(), "", "");
  // A database in memory is this connection's alone.
  if (target.text.empty() || target.text == ":memory:") return std::make_unique<NoLock>();
  return std::make_unique<FileByteLock>(target.text + "-lock", hash);
}

}  // namespace

std::unique_ptr<NamedLock> NamedLock::take(const Connection& connection, std::string_view name,
                                           std::chrono::milliseconds bound,
                                           const std::function<void()>& waiting) {
  std::unique_ptr<NamedLock> lock = lockFor(connection, name);
  const auto deadline = std::chrono::steady_clock::now() + bound;
  bool told = false;
  while (!lock->tryTake()) {
    if (std::chrono::steady_clock::now() >= deadline) return nullptr;
    if (!told && waiting) waiting();
    told = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return lock;
}

}  // namespace briskal::data
