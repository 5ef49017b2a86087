#include "hostkit/store/counters.h"

#include <array>
#include <chrono>
#include <span>

#include "common/convert.h"
#include "common/error.h"
#include "data/connection.h"
#include "data/named_lock.h"
#include "hostkit/gs1/element_string.h"
#include "hostkit/store/host_tables.h"

namespace briskal::hostkit {
namespace {

constexpr std::array kStates{BlockState::Taken, BlockState::Printed, BlockState::Void};

[[noreturn]] void refuse(const std::string& message) {
  throw Error(err::kInvalidArgument, "briskal", message);
}

BlockState stateOf(const std::string& name) {
  for (const BlockState s : kStates)
    if (name == blockStateName(s)) return s;
  throw Error(err::kInvalidArgument, "briskal", "A block of numbers has an unknown state '" + name + "'");
}

// A block is taken while its process holds this; the lock goes with the process, however it ends.
std::string runningLock(const Value& company, const std::string& name, int64_t first) {
  return "BRISKAL_COUNTER " + storedText(company) + " " + name + " " + std::to_string(first);
}

constexpr const char* kCounterColumns = "NAME, KIND, NEXT_NUMBER, EXTENSION_DIGIT, COMPANY_PREFIX";

Counter counterOf(const Value* row) {
  return Counter{.name = storedText(row[0]),
                 .kind = storedText(row[1]) == "sscc" ? CounterKind::Sscc : CounterKind::Serial,
                 .next = storedNumber(row[2]),
                 .extensionDigit = static_cast<int>(storedNumber(row[3])),
                 .companyPrefix = storedText(row[4])};
}

void checkSscc(const Counter& c) {
  if (c.extensionDigit < 0 || c.extensionDigit > 9) refuse("An SSCC's extension digit is one digit, 0 to 9");
  const bool digits = c.companyPrefix.find_first_not_of("0123456789") == std::string::npos;
  if (!digits || c.companyPrefix.size() < 7 || c.companyPrefix.size() > 10)
    refuse("A GS1 company prefix has 7 to 10 digits, not \"" + c.companyPrefix + "\"");
}

}  // namespace

const char* blockStateName(BlockState state) {
  switch (state) {
    case BlockState::Taken: return "taken";
    case BlockState::Printed: return "printed";
    case BlockState::Void: return "void";
  }
  return "taken";
}

std::string numberText(const Counter& counter, int64_t number) {
  if (counter.kind == CounterKind::Serial) return std::to_string(number);
  if (counter.companyPrefix.empty())
    throw Error(err::kInvalidArgument, "briskal",
                "The counter " + counter.name +
                    " has no GS1 company prefix: set it with briskal counters set " + counter.name +
                    " --prefix DIGITS --extension DIGIT");
  return gs1::sscc(counter.extensionDigit, counter.companyPrefix, static_cast<uint64_t>(number));
}

Counters::Counters(data::Connection& connection, Value company)
    : connection_(connection), company_(std::move(company)) {}

std::vector<Counter> Counters::list() {
  if (!hostTablesPresent(connection_)) return {};
  const data::StatementResult r = connection_.execute(
      std::string("SELECT ") + kCounterColumns + " FROM BRISKAL_COUNTERS WHERE COMPANY = ? ORDER BY NAME",
      std::span(&company_, 1));
  std::vector<Counter> out;
  for (size_t row = 0; r.rows && row < r.rows->rowCount; ++row)
    out.push_back(counterOf(&r.rows->cells[row * r.rows->columns.size()]));
  return out;
}

std::optional<Counter> Counters::find(const std::string& name) {
  std::optional<Counter> found;
  eachRow(name,
          std::string("SELECT ") + kCounterColumns + " FROM BRISKAL_COUNTERS WHERE COMPANY = ? AND NAME = ?",
          [&](const Value* c) { found = counterOf(c); });
  return found;
}

std::vector<CounterBlock> Counters::blocks(const std::string& name) {
  std::vector<CounterBlock> out;
  eachRow(name,
          "SELECT FIRST_NUMBER, LAST_NUMBER, STATE, USER_CODE, WORKSTATION, TAKEN_UTC FROM "
          "BRISKAL_COUNTER_BLOCKS "
          "WHERE COMPANY = ? AND NAME = ? ORDER BY FIRST_NUMBER",
          [&](const Value* c) {
            CounterBlock b{.first = storedNumber(c[0]),
                           .last = storedNumber(c[1]),
                           .state = stateOf(storedText(c[2])),
                           .user = storedText(c[3]),
                           .workstation = storedText(c[4]),
                           .takenUtc = storedText(c[5])};
            // A lock nobody holds is a block whose run's process is gone.
            if (b.state == BlockState::Taken &&
                data::NamedLock::take(connection_, runningLock(company_, name, b.first),
                                      std::chrono::milliseconds(0), [] {}))
              b.state = BlockState::Void;
            out.push_back(std::move(b));
          });
  return out;
}

std::vector<VoidedNumber> Counters::voided(const std::string& name) {
  std::vector<VoidedNumber> out;
  eachRow(name,
          "SELECT NUMBER, REASON, USER_CODE, VOIDED_UTC FROM BRISKAL_COUNTER_VOIDS WHERE COMPANY = ? AND "
          "NAME = ? "
          "ORDER BY NUMBER",
          [&](const Value* c) {
            out.push_back({storedNumber(c[0]), storedText(c[1]), storedText(c[2]), storedText(c[3])});
          });
  return out;
}

void Counters::eachRow(const std::string& name, std::string_view sql,
                       const std::function<void(const Value*)>& each) {
  if (!hostTablesPresent(connection_)) return;
  const std::vector<Value> key{company_, Value(name)};
  const data::StatementResult r = connection_.execute(sql, key);
  for (size_t row = 0; r.rows && row < r.rows->rowCount; ++row)
    each(&r.rows->cells[row * r.rows->columns.size()]);
}

void Counters::set(const std::string& name, const CounterChange& change) {
  if (name.empty() || name.size() > 40) refuse("A counter's name has 1 to 40 characters");
  ensureHostTables(connection_);
  data::Transaction setting(connection_);
  const std::optional<Counter> found = find(name);
  Counter c = found.value_or(
      Counter{.name = name,
              .kind = name == "SSCC" || change.companyPrefix ? CounterKind::Sscc : CounterKind::Serial,
              .next = 1,
              .extensionDigit = 0,
              .companyPrefix = {}});
  if (change.next) {
    if (*change.next < c.next)
      refuse("The counter " + name + " has given numbers up to " + std::to_string(c.next - 1) +
             ": its next number cannot go back to " + std::to_string(*change.next));
    c.next = *change.next;
  }
  if (c.kind == CounterKind::Serial && (change.companyPrefix || change.extensionDigit))
    refuse("The counter " + name + " gives serial numbers: a prefix and an extension digit are an SSCC's");
  if (change.extensionDigit) c.extensionDigit = *change.extensionDigit;
  if (change.companyPrefix) c.companyPrefix = *change.companyPrefix;
  if (c.kind == CounterKind::Sscc && !c.companyPrefix.empty()) {
    checkSscc(c);
    if (c.next > static_cast<int64_t>(gs1::largestSerialReference(c.companyPrefix.size())) + 1)
      refuse("An SSCC with the prefix " + c.companyPrefix + " has serial references up to " +
             std::to_string(gs1::largestSerialReference(c.companyPrefix.size())));
  }
  const std::vector<Value> row{Value(c.kind == CounterKind::Sscc ? "sscc" : "serial"),
                               Value(c.next),
                               Value(int32_t{c.extensionDigit}),
                               Value(c.companyPrefix),
                               company_,
                               Value(name)};
  if (found)
    connection_.execute(
        "UPDATE BRISKAL_COUNTERS SET KIND = ?, NEXT_NUMBER = ?, EXTENSION_DIGIT = ?, COMPANY_PREFIX = ? "
        "WHERE "
        "COMPANY = ? AND NAME = ?",
        row);
  else
    connection_.execute(
        "INSERT INTO BRISKAL_COUNTERS (KIND, NEXT_NUMBER, EXTENSION_DIGIT, COMPANY_PREFIX, COMPANY, NAME) "
        "VALUES (?, ?, ?, ?, ?, ?)",
        row);
  setting.commit();
}

void Counters::voidNumber(const std::string& name, int64_t voided, const std::string& reason,
                          const std::string& user) {
  if (reason.empty()) refuse("A number is voided with the reason why");
  const std::optional<Counter> c = find(name);
  if (!c) throw Error(err::kItemNotFound, "briskal", "There is no counter " + name);
  if (voided < 1 || voided >= c->next)
    refuse("The counter " + name + " has not given the number " + std::to_string(voided));
  const std::vector<Value> row{company_,      Value(name), Value(voided),
                               Value(reason), Value(user), Value(nowUtc())};
  connection_.execute(
      "INSERT INTO BRISKAL_COUNTER_VOIDS (COMPANY, NAME, NUMBER, REASON, USER_CODE, VOIDED_UTC) VALUES (?, "
      "?, ?, "
      "?, ?, ?)",
      row);
}

std::unique_ptr<Counters::Taken> Counters::take(const std::vector<std::string>& names, int64_t count,
                                                const std::string& user) {
  ensureHostTables(connection_);
  // A serial counter is made on first use; two workstations making it at once are told apart by
  // its key, and the one that loses takes from the row the other made.
  for (const std::string& name : names) {
    if (find(name)) continue;
    if (name == "SSCC")
      numberText(
          Counter{
              .name = name, .kind = CounterKind::Sscc, .next = 1, .extensionDigit = 0, .companyPrefix = {}},
          1);
    try {
      set(name, {});
    } catch (const Error&) {
      connection_.clearErrors();
      if (!find(name)) throw;
    }
  }
  std::vector<Taken::Block> blocks;
  {
    data::Transaction taking(connection_);
    for (const std::string& name : names) {
      // The update comes first: it holds the counter until the transaction ends.
      const std::vector<Value> step{Value(count), company_, Value(name)};
      connection_.execute(
          "UPDATE BRISKAL_COUNTERS SET NEXT_NUMBER = NEXT_NUMBER + ? WHERE COMPANY = ? AND NAME = ?", step);
      const std::optional<Counter> c = find(name);
      if (!c) throw Error(err::kItemNotFound, "briskal", "There is no counter " + name);
      const int64_t first = c->next - count;
      if (count > 0) {
        numberText(*c, first);
        numberText(*c, first + count - 1);
      }
      const std::vector<Value> row{company_,
                                   Value(name),
                                   Value(first),
                                   Value(first + count - 1),
                                   Value("taken"),
                                   Value(user),
                                   Value(workstationName()),
                                   Value(nowUtc())};
      connection_.execute(
          "INSERT INTO BRISKAL_COUNTER_BLOCKS (COMPANY, NAME, FIRST_NUMBER, LAST_NUMBER, STATE, USER_CODE, "
          "WORKSTATION, TAKEN_UTC) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
          row);
      blocks.push_back({*c, first, count});
    }
    taking.commit();
  }
  std::vector<std::unique_ptr<data::NamedLock>> running;
  for (const Taken::Block& b : blocks) {
    running.push_back(data::NamedLock::take(connection_, runningLock(company_, b.counter.name, b.first),
                                            std::chrono::milliseconds(0), [] {}));
    if (!running.back())
      throw Error(
          err::kIllegalOperation, "briskal",
          "The numbers from " + std::to_string(b.first) + " of " + b.counter.name + " cannot be held");
  }
  return std::make_unique<Taken>(connection_, company_, std::move(blocks), std::move(running),
                                 Taken::Opening());
}

Counters::Taken::Taken(data::Connection& connection, Value company, std::vector<Block> blocks,
                       std::vector<std::unique_ptr<data::NamedLock>> running, Opening)
    : connection_(connection),
      company_(std::move(company)),
      blocks_(std::move(blocks)),
      running_(std::move(running)) {}

Counters::Taken::~Taken() {
  if (closed_) return;
  try {
    close(BlockState::Void);
  } catch (...) {
    // Read as void all the same once the lock goes with this object.
    connection_.clearErrors();
  }
}

void Counters::Taken::printed() { close(BlockState::Printed); }

void Counters::Taken::close(BlockState state) {
  data::Transaction closing(connection_);
  for (const Block& b : blocks_) {
    const std::vector<Value> row{Value(blockStateName(state)), company_, Value(b.counter.name),
                                 Value(b.first)};
    connection_.execute(
        "UPDATE BRISKAL_COUNTER_BLOCKS SET STATE = ? WHERE COMPANY = ? AND NAME = ? AND FIRST_NUMBER = ?",
        row);
  }
  closing.commit();
  closed_ = true;
  running_.clear();
}

}  // namespace briskal::hostkit
