#pragma once
// The company's counters: named sequences of numbers that labels carry, serial numbers and the
// serial references of SSCCs, kept in the company database so that every workstation draws from
// the same one. Numbers are taken a block at a time in one transaction, which the database lets
// one workstation hold at a time (SQLite: an immediate transaction; other databases: the
// counter's row, locked by its update), so no number is ever given twice. A block stays taken
// while its run goes on, and ends printed or void: a run that fails, or whose process dies, leaves
// its numbers void, never to be given again.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"

namespace briskal::data {
class Connection;
class NamedLock;
}  // namespace briskal::data

namespace briskal::hostkit {

enum class CounterKind { Serial, Sscc };

struct Counter {
  std::string name;
  CounterKind kind = CounterKind::Serial;
  int64_t next = 1;           // the next number it gives
  int extensionDigit = 0;     // SSCC: the digit before the company prefix
  std::string companyPrefix;  // SSCC: the company's GS1 prefix, 7 to 10 digits
};

// What a number prints as: an SSCC counter's is the SSCC of that serial reference, a serial
// counter's the number itself. Throws briskal::Error when an SSCC counter has no prefix, or when
// the number does not fit beside it.
std::string numberText(const Counter& counter, int64_t number);

enum class BlockState { Taken, Printed, Void };
const char* blockStateName(BlockState state);

struct CounterBlock {
  int64_t first = 0, last = 0;
  BlockState state = BlockState::Taken;
  std::string user, workstation, takenUtc;
};

struct VoidedNumber {
  int64_t number = 0;
  std::string reason, user, voidedUtc;
};

// What `set` changes; what is not given stays as it is. A counter that does not exist is made,
// an SSCC counter when it is named SSCC or given a prefix.
struct CounterChange {
  std::optional<int64_t> next;
  std::optional<int> extensionDigit;
  std::optional<std::string> companyPrefix;
};

class Counters {
 public:
  // Numbers taken together for a run, one block a counter.
  class Taken {
   public:
    // Only Counters::take makes them.
    class Opening {
      friend class Counters;
      Opening() = default;
    };
    struct Block {
      Counter counter;  // as it was when the block was taken
      int64_t first = 0;
      int64_t count = 0;
    };
    Taken(data::Connection& connection, Value company, std::vector<Block> blocks,
          std::vector<std::unique_ptr<data::NamedLock>> running, Opening);
    // Marks the blocks void unless they were printed; never throws.
    ~Taken();
    Taken(const Taken&) = delete;
    Taken& operator=(const Taken&) = delete;

    const std::vector<Block>& blocks() const { return blocks_; }
    // Throws briskal::Error when the database cannot record it.
    void printed();

   private:
    void close(BlockState state);

    data::Connection& connection_;
    Value company_;
    std::vector<Block> blocks_;
    std::vector<std::unique_ptr<data::NamedLock>> running_;  // held while the run goes on
    bool closed_ = false;
  };

  // The counters of `company` on the database `connection` is open on (borrowed; it must outlive
  // what is taken).
  Counters(data::Connection& connection, Value company);

  std::vector<Counter> list();
  std::optional<Counter> find(const std::string& name);
  // Oldest first. Blocks still taken whose process is gone are void.
  std::vector<CounterBlock> blocks(const std::string& name);
  std::vector<VoidedNumber> voided(const std::string& name);

  // Throws briskal::Error (invalid argument) for a next number below the one the counter has
  // reached, which would give numbers again, and for an SSCC prefix or extension digit GS1 does
  // not allow.
  void set(const std::string& name, const CounterChange& change);
  // Records a number given to a label that is not to be used; throws briskal::Error for a counter
  // that does not exist or a number it has not given.
  void voidNumber(const std::string& name, int64_t number, const std::string& reason,
                  const std::string& user);

  // Takes `count` numbers from each counter in `names`, all in one transaction, making a serial
  // counter that does not exist yet (from 1). Throws briskal::Error, having taken nothing, for an
  // SSCC counter without its prefix or one that would run out.
  std::unique_ptr<Taken> take(const std::vector<std::string>& names, int64_t count, const std::string& user);

 private:
  // Each row `sql` (its parameters: the company, `name`) gives, its cells in the query's order.
  void eachRow(const std::string& name, std::string_view sql, const std::function<void(const Value*)>& each);

  data::Connection& connection_;
  Value company_;
};

}  // namespace briskal::hostkit
