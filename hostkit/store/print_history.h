#pragma once
// The print history: every run a job in the company database, opened before its first label goes
// and closed when the run ends, with what each label showed, so that who printed which labels,
// where and why, can be answered, and any label printed again as it was. A job whose process died
// before closing it is found as interrupted, never as delivered.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/value.h"

namespace briskal::data {
class Connection;
class NamedLock;
}  // namespace briskal::data

namespace briskal::hostkit {

enum class JobOutcome { Running, Delivered, Failed, Cancelled, Interrupted };
const char* outcomeName(JobOutcome outcome);

// What a run says of itself when it starts.
struct JobStart {
  std::string user;
  std::string kind;          // "standard", "custom" or "labelprinter"
  std::string destination;   // a file, a CUPS printer, a label printer's address
  std::string settings;      // the printer settings, as the run writes them
  std::string layout;        // the layout code or the template's name
  std::string templateText;  // the template printed with, kept once per distinct text
  std::optional<int64_t> reprintOf;
  std::string reason;  // of a reprint
};

struct PrintJob {
  int64_t id = 0;
  std::string user, workstation, startedUtc, endedUtc, kind, destination, settings, layout, templateKey;
  int64_t labels = 0, pages = 0;
  JobOutcome outcome = JobOutcome::Running;
  std::string error;
  std::optional<int64_t> reprintOf;
  std::string reason;
};

// A printed label: the order line it came from and what it showed (the print support's row, or
// the text of a standard label), as the run wrote it.
struct PrintedLabel {
  std::string order;  // the order's registration number
  std::string line;   // the line's number
  std::string data;
  friend bool operator==(const PrintedLabel&, const PrintedLabel&) = default;
};

struct JobFilter {
  std::string sinceUtc, untilUtc;  // YYYY-MM-DD or a full time; empty: no bound
  std::string user;
  std::string order;
  std::optional<JobOutcome> outcome;
  int64_t limit = 100;
};

class PrintHistory {
 public:
  // A job being recorded: labels are written in packed chunks as they come.
  class Job {
   public:
    // Only PrintHistory::open makes jobs.
    class Opening {
      friend class PrintHistory;
      Opening() = default;
    };
    Job(data::Connection& connection, Value company, int64_t id, std::unique_ptr<data::NamedLock> running,
        Opening);
    ~Job();
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;
    int64_t id() const { return id_; }
    void add(PrintedLabel label);
    // A label that showed what the label before it showed.
    void repeat(std::string order, std::string line);
    // Writes the labels added so far.
    void flush();
    // Forgets every label added, when the transaction that wrote them is undone.
    void discard();
    // Writes what is left and the outcome; a job closed by none is interrupted when its process ends.
    void close(JobOutcome outcome, int64_t pages, const std::string& error = {});

   private:
    data::Connection& connection_;  // the history's; the job needs nothing else of it
    Value company_;
    int64_t id_;
    std::unique_ptr<data::NamedLock> running_;  // held while the run goes on
    struct Pending {
      PrintedLabel label;
      bool repeated = false;  // its data is the label's before it
    };
    std::vector<Pending> pending_;
    std::string lastData_;  // of the last label written out with its data
    int64_t written_ = 0;   // labels written so far
  };

  // The history of `company` on the database `connection` is open on (borrowed).
  PrintHistory(data::Connection& connection, Value company);

  // Opens a job, making the host's tables first if need be. Throws briskal::Error when the
  // database cannot record it: nothing may be printed then.
  std::unique_ptr<Job> open(const JobStart& start);

  // The newest first. Running jobs whose process is gone are marked interrupted first.
  std::vector<PrintJob> list(const JobFilter& filter);
  std::optional<PrintJob> job(int64_t id);
  std::vector<PrintedLabel> labels(int64_t id);
  // The template a job printed with, by the key the job keeps.
  std::optional<std::string> templateText(const std::string& key);
  // Deletes the jobs started before `beforeUtc` with their labels; returns how many.
  int64_t prune(const std::string& beforeUtc);

 private:
  // Marks the running jobs whose process is gone as interrupted, where the database takes it;
  // returns them.
  std::set<int64_t> markInterrupted();
  std::string keepTemplate(const std::string& text);

  data::Connection& connection_;
  Value company_;
};

}  // namespace briskal::hostkit
