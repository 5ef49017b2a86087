#pragma once
// A lock that the processes working on one database take by name, to take turns at work that the
// database's own locks do not cover, such as the rows of a scratch table that one run fills and
// then prints. It is given up when the object goes, or with the process, however that ends.

#include <chrono>
#include <functional>
#include <memory>
#include <string_view>

namespace briskal::data {

class Connection;

class NamedLock {
 public:
  virtual ~NamedLock() = default;

  // Takes the lock `name` on the database `connection` is open on, trying every tenth of a second
  // for at most `bound` (zero: once); `waiting` is called once, before the first wait. nullptr
  // when somebody else still holds it then. PostgreSQL: an advisory lock of a session of its own.
  // An SQLite file: a lock on a byte of the file FILE-lock beside it. A database of another kind
  // has no such lock, and the lock is taken at once.
  static std::unique_ptr<NamedLock> take(const Connection& connection, std::string_view name,
                                         std::chrono::milliseconds bound,
                                         const std::function<void()>& waiting);

 protected:
  // True when this object holds the lock now, or has taken it.
  virtual bool tryTake() = 0;
};

}  // namespace briskal::data
