#include "hostkit/store/template_store.h"

#include <algorithm>
#include <chrono>

#include "common/convert.h"
#include "data/connection.h"
#include "data/named_lock.h"
#include "hostkit/store/host_tables.h"

namespace briskal::hostkit {
namespace {

constexpr const char* kColumns =
    "T.NAME, T.VERSION, T.AUTHOR, T.WORKSTATION, T.SAVED_UTC, T.COMMENT, "
    "CASE WHEN A.VERSION = T.VERSION THEN 1 ELSE 0 END AS ACTIVE";
constexpr const char* kFrom =
    " FROM BRISKAL_TEMPLATES T LEFT JOIN BRISKAL_ACTIVE_TEMPLATES A ON A.COMPANY = T.COMPANY AND A.NAME = "
    "T.NAME";

// Saves that collide with other workstations' try again this many times.
constexpr int kSaveAttempts = 5;
// How long a save waits for another workstation's save of the same template.
constexpr std::chrono::seconds kTurnBound{30};

Error noSuchVersion(const std::string& name, int32_t version) {
  return Error(err::kItemNotFound, "briskal",
               "The template " + name + " has no version " + std::to_string(version));
}

}  // namespace

TemplateChanged::TemplateChanged(const TemplateVersion& newest)
    : Error(err::kIllegalOperation, "briskal",
            "The template " + newest.name + " was saved as version " + std::to_string(newest.version) +
                " by " + newest.author + " on " + newest.workstation + " at " + newest.savedUtc +
                " since this one was opened: save again to keep both as versions"),
      newest_(newest) {}

TemplateStore::TemplateStore(data::Connection& connection, Value company)
    : connection_(connection), company_(std::move(company)), present_(hostTablesPresent(connection_)) {}

void TemplateStore::prepareToWrite() {
  ensureHostTables(connection_);
  present_ = true;
}

std::vector<TemplateVersion> TemplateStore::versions(const std::string& where,
                                                     const std::vector<Value>& parameters) {
  if (!present_) return {};
  const data::StatementResult r = connection_.execute(
      std::string("SELECT ") + kColumns + kFrom + " WHERE T.COMPANY = ?" + where, parameters);
  std::vector<TemplateVersion> found;
  if (!r.rows) return found;
  const size_t columns = r.rows->columns.size();
  for (size_t row = 0; row < r.rows->rowCount; ++row) {
    const Value* c = &r.rows->cells[row * columns];
    found.push_back({storedText(c[0]), toInt32(c[1], RegionalSettings::english()), storedText(c[2]),
                     storedText(c[3]), storedText(c[4]), storedText(c[5]),
                     toInt32(c[6], RegionalSettings::english()) == 1});
  }
  return found;
}

std::vector<TemplateVersion> TemplateStore::list() {
  return versions(" AND A.VERSION = T.VERSION ORDER BY T.NAME", {company_});
}

std::vector<TemplateVersion> TemplateStore::history(const std::string& name) {
  return versions(" AND T.NAME = ? ORDER BY T.VERSION DESC", {company_, Value(name)});
}

std::optional<StoredTemplate> TemplateStore::content(const std::string& name,
                                                     std::optional<int32_t> version) {
  if (!present_) return std::nullopt;
  const std::vector<Value> parameters = {company_, Value(name)};
  const std::string which = version ? "T.VERSION = " + std::to_string(*version)
                                    : "T.VERSION = (SELECT A.VERSION FROM BRISKAL_ACTIVE_TEMPLATES A WHERE "
                                      "A.COMPANY = T.COMPANY AND A.NAME = T.NAME)";
  const data::StatementResult r = connection_.execute(
      "SELECT T.VERSION, T.CONTENT FROM BRISKAL_TEMPLATES T WHERE T.COMPANY = ? AND T.NAME = ? AND " + which,
      parameters);
  if (!r.rows || r.rows->rowCount == 0) return std::nullopt;
  return StoredTemplate{toInt32(r.rows->cells[0], RegionalSettings::english()), storedText(r.rows->cells[1])};
}

int32_t TemplateStore::save(const std::string& name, const std::string& content, const std::string& author,
                            const std::string& comment, std::optional<int32_t> basedOn) {
  prepareToWrite();
  // Saves of one name take turns, so that each numbers its version after the last one committed;
  // a database without named locks relies on the primary key and the attempts below.
  const std::unique_ptr<data::NamedLock> turn = data::NamedLock::take(
      connection_, "BRISKAL_TEMPLATES\n" + storedText(company_) + "\n" + name, kTurnBound, [] {});
  if (!turn)
    throw Error(err::kIllegalOperation, "briskal",
                "Another workstation has been saving the template " + name + " for 30 seconds: try again");
  // A save meant to add whatever is there tries again when another workstation took its number.
  for (int attempt = 1;; ++attempt) {
    try {
      return saveOnce(name, content, author, comment, basedOn);
    } catch (const TemplateChanged&) {
      throw;
    } catch (const Error&) {
      const std::vector<TemplateVersion> all = history(name);
      // Two saves that numbered their versions alike: the one that lost is told who won.
      if (basedOn && !all.empty() && all.front().version > *basedOn) throw TemplateChanged(all.front());
      if (basedOn || attempt == kSaveAttempts) throw;
    }
  }
}

int32_t TemplateStore::saveOnce(const std::string& name, const std::string& content,
                                const std::string& author, const std::string& comment,
                                std::optional<int32_t> basedOn) {
  data::Transaction write(connection_);
  // The next number after the newest version. Saves of one name take turns, so none other comes
  // in between; on a database without named locks, the primary key refuses a second save of the
  // same number and the save tries again.
  const std::vector<TemplateVersion> before = history(name);
  const int32_t saved = before.empty() ? 1 : before.front().version + 1;
  // Somebody saved after `basedOn`: they are named, and nothing is written.
  if (basedOn && saved != *basedOn + 1) {
    if (before.empty()) throw noSuchVersion(name, *basedOn);
    throw TemplateChanged(before.front());
  }
  const std::vector<Value> row = {company_,        Value(name),   Value(saved),
                                  Value(content),  Value(author), Value(workstationName()),
                                  Value(nowUtc()), Value(comment)};
  connection_.execute(
      "INSERT INTO BRISKAL_TEMPLATES (COMPANY, NAME, VERSION, CONTENT, AUTHOR, WORKSTATION, SAVED_UTC, "
      "COMMENT) "
      "VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
      row);
  const std::vector<Value> key = {company_, Value(name)};
  connection_.execute("DELETE FROM BRISKAL_ACTIVE_TEMPLATES WHERE COMPANY = ? AND NAME = ?", key);
  const std::vector<Value> active = {company_, Value(name), Value(saved)};
  connection_.execute("INSERT INTO BRISKAL_ACTIVE_TEMPLATES (COMPANY, NAME, VERSION) VALUES (?, ?, ?)",
                      active);
  write.commit();
  return saved;
}

void TemplateStore::activate(const std::string& name, int32_t version) {
  prepareToWrite();
  const std::vector<TemplateVersion> all = history(name);
  if (std::none_of(all.begin(), all.end(),
                   [version](const TemplateVersion& v) { return v.version == version; }))
    throw noSuchVersion(name, version);
  data::Transaction change(connection_);
  const std::vector<Value> key = {company_, Value(name)};
  connection_.execute("DELETE FROM BRISKAL_ACTIVE_TEMPLATES WHERE COMPANY = ? AND NAME = ?", key);
  const std::vector<Value> row = {company_, Value(name), Value(version)};
  connection_.execute("INSERT INTO BRISKAL_ACTIVE_TEMPLATES (COMPANY, NAME, VERSION) VALUES (?, ?, ?)", row);
  change.commit();
}

}  // namespace briskal::hostkit
