#include "hostkit/store/print_history.h"

#include <chrono>
#include <set>
#include <utility>

#include "common/convert.h"
#include "common/error.h"
#include "data/connection.h"
#include "data/named_lock.h"
#include "hostkit/store/host_tables.h"
#include "hostkit/store/packed_text.h"

namespace briskal::hostkit {
namespace {

// Labels are written this many at a time, in one row, packed: a run's labels mostly repeat their
// order line's data, which packs to a few bytes a label.
constexpr size_t kLabelsPerChunk = 1000;
// How long opening a job waits for another workstation opening one.
constexpr std::chrono::seconds kOpeningTurn(30);

constexpr const char* kJobColumns =
    "JOB_ID, USER_CODE, WORKSTATION, STARTED_UTC, ENDED_UTC, KIND, DESTINATION, SETTINGS, LAYOUT, "
    "TEMPLATE_KEY, "
    "LABELS, PAGES, OUTCOME, ERROR_TEXT, REPRINT_OF, REASON";

constexpr JobOutcome kOutcomes[] = {JobOutcome::Running, JobOutcome::Delivered, JobOutcome::Failed,
                                    JobOutcome::Cancelled, JobOutcome::Interrupted};

JobOutcome outcomeOf(const std::string& name) {
  for (const JobOutcome o : kOutcomes)
    if (name == outcomeName(o)) return o;
  throw Error(err::kInvalidArgument, "briskal", "A print job has an unknown outcome '" + name + "'");
}

// A job runs while its process holds this; the lock goes with the process, however it ends.
std::string runningLock(const Value& company, int64_t id) {
  return "BRISKAL_PRINT_JOB " + storedText(company) + " " + std::to_string(id);
}

// A template's key: FNV-1a of its text and its length, the same on every machine.
std::string templateKey(const std::string& content) {
  uint64_t hash = 14695981039346656037ULL;
  for (const char c : content) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ULL;
  }
  constexpr char kHex[] = "0123456789abcdef";
  std::string key;
  for (int shift = 60; shift >= 0; shift -= 4) key += kHex[(hash >> shift) & 0xF];
  return key + "-" + std::to_string(content.size());
}

// A chunk holds one label a line, its fields (order, line, data) apart by tabs. A label whose data
// is the one's before it has no data field. Data is written part by part, as its parts stand apart
// by kPartSeparator (a record's values do); a part the label before it in the chunk has at the same
// place is written as a lone kSamePart: labels of the same order mostly differ in a few values.
// Backslashes, tabs, line feeds and kSamePart are escaped, so any text survives.
constexpr char kPartSeparator = '\x1f';
constexpr char kSamePart = '\x1e';

void appendEscaped(std::string& out, std::string_view field) {
  constexpr std::string_view kSpecial("\\\t\n\x1e", 4);
  size_t from = 0;
  for (size_t at = field.find_first_of(kSpecial); at != std::string_view::npos;
       at = field.find_first_of(kSpecial, from)) {
    out.append(field, from, at - from);
    const char c = field[at];
    out += c == '\\' ? "\\\\" : c == '\t' ? "\\t" : c == '\n' ? "\\n" : "\\e";
    from = at + 1;
  }
  out.append(field, from, std::string_view::npos);
}

std::string unescaped(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    const char next = field[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'e' ? kSamePart : next;
  }
  return out;
}

// The part of `text` from `from` to the next separator; `from` moves past it, or to npos after the
// last part.
std::string_view nextPart(std::string_view text, size_t& from) {
  const size_t end = text.find(kPartSeparator, from);
  const std::string_view part =
      text.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from);
  from = end == std::string_view::npos ? std::string_view::npos : end + 1;
  return part;
}

// `data`, the parts `previous` has at the same places written as kSamePart.
void appendData(std::string& out, std::string_view data, std::string_view previous) {
  size_t at = 0;
  size_t was = previous.empty() ? std::string_view::npos : 0;
  for (bool first = true; at != std::string_view::npos; first = false) {
    const std::string_view part = nextPart(data, at);
    const bool before = was != std::string_view::npos;
    const std::string_view old = before ? nextPart(previous, was) : std::string_view();
    if (!first) out += kPartSeparator;
    if (before && !part.empty() && part == old) out += kSamePart;
    else appendEscaped(out, part);
  }
}

std::vector<PrintedLabel> parseChunk(std::string_view chunk) {
  std::vector<PrintedLabel> labels;
  std::vector<std::string> parts;  // of the last label's data
  size_t from = 0;
  while (from < chunk.size()) {
    size_t end = chunk.find('\n', from);
    if (end == std::string_view::npos) end = chunk.size();
    const std::string_view line = chunk.substr(from, end - from);
    from = end + 1;
    const size_t tab = line.find('\t');
    const size_t second = tab == std::string_view::npos ? tab : line.find('\t', tab + 1);
    PrintedLabel label;
    label.order = unescaped(line.substr(0, tab));
    if (tab != std::string_view::npos)
      label.line =
          unescaped(line.substr(tab + 1, second == std::string_view::npos ? second : second - tab - 1));
    if (second == std::string_view::npos) {
      // A label without its data showed what the label before it showed.
      if (!labels.empty()) label.data = labels.back().data;
      labels.push_back(std::move(label));
      continue;
    }
    std::vector<std::string> now;
    const std::string_view data = line.substr(second + 1);
    for (size_t at = 0; at != std::string_view::npos;) {
      const std::string_view part = nextPart(data, at);
      const size_t index = now.size();
      const bool same = part.size() == 1 && part[0] == kSamePart && index < parts.size();
      now.push_back(same ? parts[index] : unescaped(part));
      if (index > 0) label.data += kPartSeparator;
      label.data += now.back();
    }
    parts = std::move(now);
    labels.push_back(std::move(label));
  }
  return labels;
}

// The job of row `row`; a running one among `interrupted` is read as interrupted, as the database
// may not have taken the mark.
PrintJob jobOf(const data::StatementResult& r, size_t row, const std::set<int64_t>& interrupted) {
  const auto cell = [&](size_t column) -> const Value& {
    return r.rows->cells[row * r.rows->columns.size() + column];
  };
  PrintJob job;
  job.id = storedNumber(cell(0));
  job.user = storedText(cell(1));
  job.workstation = storedText(cell(2));
  job.startedUtc = storedText(cell(3));
  job.endedUtc = storedText(cell(4));
  job.kind = storedText(cell(5));
  job.destination = storedText(cell(6));
  job.settings = storedText(cell(7));
  job.layout = storedText(cell(8));
  job.templateKey = storedText(cell(9));
  job.labels = storedNumber(cell(10));
  job.pages = storedNumber(cell(11));
  job.outcome = outcomeOf(storedText(cell(12)));
  if (job.outcome == JobOutcome::Running && interrupted.contains(job.id))
    job.outcome = JobOutcome::Interrupted;
  job.error = storedText(cell(13));
  if (!cell(14).isNull()) job.reprintOf = storedNumber(cell(14));
  job.reason = storedText(cell(15));
  return job;
}

}  // namespace

const char* outcomeName(JobOutcome outcome) {
  switch (outcome) {
    case JobOutcome::Running: return "running";
    case JobOutcome::Delivered: return "delivered";
    case JobOutcome::Failed: return "failed";
    case JobOutcome::Cancelled: return "cancelled";
    case JobOutcome::Interrupted: return "interrupted";
  }
  return "running";
}

PrintHistory::PrintHistory(data::Connection& connection, Value company)
    : connection_(connection), company_(std::move(company)) {}

std::string PrintHistory::keepTemplate(const std::string& content) {
  if (content.empty()) return {};
  std::string key = templateKey(content);
  const Value k(key);
  const data::StatementResult found = connection_.execute(
      "SELECT TEMPLATE_KEY FROM BRISKAL_PRINTED_TEMPLATES WHERE TEMPLATE_KEY = ?", std::span(&k, 1));
  if (!found.rows || found.rows->rowCount == 0) {
    const std::vector<Value> row{k, Value(packText(content))};
    connection_.execute("INSERT INTO BRISKAL_PRINTED_TEMPLATES (TEMPLATE_KEY, CONTENT) VALUES (?, ?)", row);
  }
  return key;
}

std::unique_ptr<PrintHistory::Job> PrintHistory::open(const JobStart& start) {
  ensureHostTables(connection_);
  // Numbers are handed out, and templates kept, one workstation at a time; the templates are every
  // company's.
  const std::unique_ptr<data::NamedLock> turn =
      data::NamedLock::take(connection_, "BRISKAL_PRINT_JOBS", kOpeningTurn, [] {});
  if (!turn)
    throw Error(err::kIllegalOperation, "briskal",
                "Another workstation has been opening a print job for 30 seconds: try again");
  int64_t id = 0;
  {
    data::Transaction opening(connection_);
    const data::StatementResult last = connection_.execute(
        "SELECT MAX(JOB_ID) AS LAST FROM BRISKAL_PRINT_JOBS WHERE COMPANY = ?", std::span(&company_, 1));
    id = (last.rows && last.rows->rowCount > 0 ? storedNumber(last.rows->cells[0]) : 0) + 1;
    const std::string key = keepTemplate(start.templateText);
    const std::vector<Value> row{company_,
                                 Value(id),
                                 Value(start.user),
                                 Value(workstationName()),
                                 Value(nowUtc()),
                                 Value(start.kind),
                                 Value(start.destination),
                                 Value(start.settings),
                                 Value(start.layout),
                                 Value(key),
                                 Value(outcomeName(JobOutcome::Running)),
                                 start.reprintOf ? Value(*start.reprintOf) : Value::null(),
                                 Value(start.reason)};
    connection_.execute(
        "INSERT INTO BRISKAL_PRINT_JOBS (COMPANY, JOB_ID, USER_CODE, WORKSTATION, STARTED_UTC, KIND, "
        "DESTINATION, "
        "SETTINGS, LAYOUT, TEMPLATE_KEY, LABELS, PAGES, OUTCOME, ERROR_TEXT, REPRINT_OF, REASON) VALUES (?, "
        "?, ?, ?, "
        "?, ?, ?, ?, ?, ?, 0, 0, ?, '', ?, ?)",
        row);
    opening.commit();
  }
  std::unique_ptr<data::NamedLock> running =
      data::NamedLock::take(connection_, runningLock(company_, id), std::chrono::milliseconds(0), [] {});
  if (!running)
    throw Error(err::kIllegalOperation, "briskal",
                "The print job " + std::to_string(id) + " cannot be held open");
  return std::make_unique<Job>(connection_, company_, id, std::move(running), Job::Opening());
}

PrintHistory::Job::Job(data::Connection& connection, Value company, int64_t id,
                       std::unique_ptr<data::NamedLock> running, Opening)
    : connection_(connection), company_(std::move(company)), id_(id), running_(std::move(running)) {}

PrintHistory::Job::~Job() = default;

void PrintHistory::Job::add(PrintedLabel label) {
  pending_.push_back({std::move(label), false});
  if (pending_.size() >= kLabelsPerChunk) flush();
}

void PrintHistory::Job::repeat(std::string order, std::string line) {
  pending_.push_back({{std::move(order), std::move(line), {}}, true});
  if (pending_.size() >= kLabelsPerChunk) flush();
}

void PrintHistory::Job::flush() {
  if (pending_.empty()) return;
  std::string content;
  std::string orders;
  // A chunk reads on its own: its first label has its data in full even when it repeats.
  const std::string* lastData = &lastData_;
  std::string_view before;
  for (size_t i = 0; i < pending_.size(); ++i) {
    const PrintedLabel& label = pending_[i].label;
    appendEscaped(content, label.order);
    content += '\t';
    appendEscaped(content, label.line);
    if (!pending_[i].repeated || i == 0) {
      if (!pending_[i].repeated) lastData = &label.data;
      content += '\t';
      appendData(content, *lastData, before);
      before = *lastData;
    }
    content += '\n';
    // The chunk's orders, for finding a job by its order without unpacking its labels. Labels of
    // an order mostly follow one another.
    if (i > 0 && label.order == pending_[i - 1].label.order) continue;
    const std::string listed = " " + label.order + " ";
    if (orders.find(listed) == std::string::npos) orders += listed;
  }
  lastData_ = *lastData;
  const std::vector<Value> row{company_,
                               Value(id_),
                               Value(written_ + 1),
                               Value(static_cast<int64_t>(pending_.size())),
                               Value(orders),
                               Value(packText(content))};
  connection_.execute(
      "INSERT INTO BRISKAL_PRINT_LABELS (COMPANY, JOB_ID, FIRST_LABEL, LABELS, ORDERS, CONTENT) VALUES (?, "
      "?, ?, "
      "?, ?, ?)",
      row);
  written_ += static_cast<int64_t>(pending_.size());
  pending_.clear();
}

void PrintHistory::Job::discard() {
  pending_.clear();
  written_ = 0;
}

void PrintHistory::Job::close(JobOutcome outcome, int64_t pages, const std::string& error) {
  flush();
  const std::vector<Value> row{Value(nowUtc()), Value(written_), Value(pages), Value(outcomeName(outcome)),
                               Value(error),    company_,        Value(id_)};
  connection_.execute(
      "UPDATE BRISKAL_PRINT_JOBS SET ENDED_UTC = ?, LABELS = ?, PAGES = ?, OUTCOME = ?, ERROR_TEXT = ? WHERE "
      "COMPANY = ? AND JOB_ID = ?",
      row);
  running_.reset();
}

std::set<int64_t> PrintHistory::markInterrupted() {
  std::set<int64_t> gone;
  const std::vector<Value> running{company_, Value(outcomeName(JobOutcome::Running))};
  const data::StatementResult r =
      connection_.execute("SELECT JOB_ID FROM BRISKAL_PRINT_JOBS WHERE COMPANY = ? AND OUTCOME = ?", running);
  if (!r.rows) return gone;
  for (size_t row = 0; row < r.rows->rowCount; ++row) {
    const int64_t id = storedNumber(r.rows->cells[row]);
    // A lock nobody holds is a job whose process is gone.
    const std::unique_ptr<data::NamedLock> free =
        data::NamedLock::take(connection_, runningLock(company_, id), std::chrono::milliseconds(0), [] {});
    if (!free) continue;
    gone.insert(id);
    const std::vector<Value> key{Value(outcomeName(JobOutcome::Interrupted)), company_, Value(id),
                                 Value(outcomeName(JobOutcome::Running))};
    try {
      connection_.execute(
          "UPDATE BRISKAL_PRINT_JOBS SET OUTCOME = ? WHERE COMPANY = ? AND JOB_ID = ? AND OUTCOME = ?", key);
    } catch (const Error&) {
      // A database that takes no writes (read-only, full) still answers right: the caller marks
      // the job in what it read.
    }
  }
  return gone;
}

std::vector<PrintJob> PrintHistory::list(const JobFilter& filter) {
  if (!hostTablesPresent(connection_)) return {};
  const std::set<int64_t> interrupted = markInterrupted();
  std::string where = " WHERE COMPANY = ?";
  std::vector<Value> parameters{company_};
  if (!filter.sinceUtc.empty()) {
    where += " AND STARTED_UTC >= ?";
    parameters.emplace_back(filter.sinceUtc);
  }
  if (!filter.untilUtc.empty()) {
    // A date alone takes in the whole day.
    where += " AND STARTED_UTC < ?";
    parameters.emplace_back(filter.untilUtc.size() == 10 ? filter.untilUtc + "U" : filter.untilUtc);
  }
  if (!filter.user.empty()) {
    where += " AND USER_CODE = ?";
    parameters.emplace_back(filter.user);
  }
  // Interrupted jobs may still read as running where the database could not mark them.
  if (filter.outcome == JobOutcome::Interrupted) {
    where += " AND (OUTCOME = ? OR OUTCOME = ?)";
    parameters.emplace_back(outcomeName(JobOutcome::Interrupted));
    parameters.emplace_back(outcomeName(JobOutcome::Running));
  } else if (filter.outcome) {
    where += " AND OUTCOME = ?";
    parameters.emplace_back(outcomeName(*filter.outcome));
  }
  if (!filter.order.empty()) {
    where +=
        " AND JOB_ID IN (SELECT JOB_ID FROM BRISKAL_PRINT_LABELS L WHERE L.COMPANY = ? AND L.ORDERS LIKE ?)";
    parameters.push_back(company_);
    // The orders are written between blanks; LIKE's own characters in a number are none.
    parameters.emplace_back("% " + filter.order + " %");
  }
  const data::StatementResult r = connection_.execute(
      std::string("SELECT ") + kJobColumns + " FROM BRISKAL_PRINT_JOBS" + where + " ORDER BY JOB_ID DESC",
      parameters);
  std::vector<PrintJob> jobs;
  if (!r.rows) return jobs;
  for (size_t row = 0; row < r.rows->rowCount && static_cast<int64_t>(jobs.size()) < filter.limit; ++row) {
    PrintJob job = jobOf(r, row, interrupted);
    if (!filter.outcome || job.outcome == *filter.outcome) jobs.push_back(std::move(job));
  }
  return jobs;
}

std::optional<PrintJob> PrintHistory::job(int64_t id) {
  if (!hostTablesPresent(connection_)) return std::nullopt;
  const std::set<int64_t> interrupted = markInterrupted();
  const std::vector<Value> key{company_, Value(id)};
  const data::StatementResult r = connection_.execute(
      std::string("SELECT ") + kJobColumns + " FROM BRISKAL_PRINT_JOBS WHERE COMPANY = ? AND JOB_ID = ?",
      key);
  if (!r.rows || r.rows->rowCount == 0) return std::nullopt;
  return jobOf(r, 0, interrupted);
}

std::vector<PrintedLabel> PrintHistory::labels(int64_t id) {
  std::vector<PrintedLabel> labels;
  if (!hostTablesPresent(connection_)) return labels;
  const std::vector<Value> key{company_, Value(id)};
  const data::StatementResult r = connection_.execute(
      "SELECT CONTENT FROM BRISKAL_PRINT_LABELS WHERE COMPANY = ? AND JOB_ID = ? ORDER BY FIRST_LABEL", key);
  if (!r.rows) return labels;
  for (size_t row = 0; row < r.rows->rowCount; ++row)
    for (PrintedLabel& label : parseChunk(unpackText(storedText(r.rows->cells[row]))))
      labels.push_back(std::move(label));
  return labels;
}

std::optional<std::string> PrintHistory::templateText(const std::string& key) {
  if (key.empty() || !hostTablesPresent(connection_)) return std::nullopt;
  const Value k(key);
  const data::StatementResult r = connection_.execute(
      "SELECT CONTENT FROM BRISKAL_PRINTED_TEMPLATES WHERE TEMPLATE_KEY = ?", std::span(&k, 1));
  if (!r.rows || r.rows->rowCount == 0) return std::nullopt;
  return unpackText(storedText(r.rows->cells[0]));
}

int64_t PrintHistory::prune(const std::string& beforeUtc) {
  if (!hostTablesPresent(connection_)) return 0;
  const std::vector<Value> key{company_, Value(beforeUtc)};
  data::Transaction pruning(connection_);
  const data::StatementResult counted = connection_.execute(
      "SELECT COUNT(*) AS JOBS FROM BRISKAL_PRINT_JOBS WHERE COMPANY = ? AND STARTED_UTC < ?", key);
  const int64_t jobs = counted.rows && counted.rows->rowCount > 0 ? storedNumber(counted.rows->cells[0]) : 0;
  connection_.execute(
      "DELETE FROM BRISKAL_PRINT_LABELS WHERE COMPANY = ? AND JOB_ID IN (SELECT JOB_ID FROM "
      "BRISKAL_PRINT_JOBS J "
      "WHERE J.COMPANY = ? AND J.STARTED_UTC < ?)",
      std::vector<Value>{company_, company_, Value(beforeUtc)});
  connection_.execute("DELETE FROM BRISKAL_PRINT_JOBS WHERE COMPANY = ? AND STARTED_UTC < ?", key);
  pruning.commit();
  return jobs;
}

}  // namespace briskal::hostkit
