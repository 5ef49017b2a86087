#pragma once
// Real print servers on loopback ports, for tests that print end to end. Each object owns its
// server (a ServerProcess): the constructor starts it in a temporary folder and returns once it
// takes requests (throwing std::runtime_error with the server's log when it does not), the
// destructor stops it and removes the folder.
//
//   CupsTestServer      a private cupsd; addQueue() makes a raw queue whose jobs land as files,
//                       waitForJobs() returns them, jobs() says what the server keeps of each.
//                       Clients reach it with CUPS_SERVER=server().
//   LprintTestServer    an LPrint server; addPrinter() makes a label printer on a device URI,
//                       printerUri() is its IPP address. LPrint cannot be told to listen on
//                       loopback only: its port is open on every interface while it runs.
//   LoopbackLabelPrinter  a raw (port 9100) label printer: records what each connection sends;
//                       as a ZPL printer it answers the host status queries LPrint sends;
//                       cutOffAfter() makes it fail half-way, by a reset or by hanging.
//
// Every wait is for a condition, bounded only against a hang. cupsdAvailable() and
// lprintAvailable() tell a test to skip when the programs are not installed.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/server_process.h"

namespace briskal::testing {

// cupsd and the programs that manage its queues (lpadmin, cupsdisable, cupsreject) are installed.
bool cupsdAvailable();
// The lprint program is installed.
bool lprintAvailable();

struct PrintedJob {
  int id = 0;
  std::string bytes;
};

// A job as the print server keeps it.
struct ServerJob {
  int id = 0;
  int state = 0;      // IPP job-state: 4 held, 5 processing, 7 canceled, 8 aborted, 9 completed...
  int documents = 0;  // the documents it has received whole
};

class CupsTestServer {
 public:
  CupsTestServer();
  CupsTestServer(const CupsTestServer&) = delete;
  CupsTestServer& operator=(const CupsTestServer&) = delete;

  // "127.0.0.1:PORT", the value of CUPS_SERVER for the clients of this server.
  std::string server() const;
  // A raw queue, enabled and accepting: each job's bytes reach waitForJobs() unchanged.
  void addQueue(const std::string& name);
  // The queue is disabled (printer-state stopped, reason paused): it still accepts jobs, and
  // keeps them pending.
  void stopQueue(const std::string& name);
  // The queue refuses new jobs.
  void rejectJobs(const std::string& name);
  // The jobs the queue has printed, in job id order, once there are at least `count`; throws
  // std::runtime_error with what did arrive and the log when they do not come.
  std::vector<PrintedJob> waitForJobs(const std::string& queue, size_t count) const;
  // The jobs the queue has printed so far, in job id order.
  std::vector<PrintedJob> printedJobs(const std::string& queue) const;
  // Every job the server knows, in job id order, whatever its state. Throws std::runtime_error
  // when the server does not answer.
  std::vector<ServerJob> jobs() const;
  // What the server has taken in of the documents it is receiving or keeps: the size of the files
  // in its spool and temporary folders.
  std::uintmax_t spooledBytes() const;
  // Returns once the server receives no document: one whose sender went away half-way is dropped
  // when the server has seen the connection close. Throws std::runtime_error when that does not
  // happen.
  void waitUntilNothingIsIncoming() const;
  std::string log() const { return server_.log(); }

 private:
  void manage(const std::string& program, const std::vector<std::string>& args) const;

  ServerProcess server_;
};

class LprintTestServer {
 public:
  LprintTestServer();
  LprintTestServer(const LprintTestServer&) = delete;
  LprintTestServer& operator=(const LprintTestServer&) = delete;

  // A printer named `name` with one of LPrint's drivers (zpl_4inch-203dpi-dt,
  // epl2_4inch-203dpi-dt, ...) sending to `deviceUri`, a socket:// address.
  void addPrinter(const std::string& name, const std::string& driver, const std::string& deviceUri);
  // ipp://localhost:PORT/ipp/print/NAME
  std::string printerUri(const std::string& name) const;
  // The printer stops printing (printer-state stopped), and starts again.
  void pause(const std::string& name);
  void resume(const std::string& name);
  std::string log() const { return server_.log(); }

 private:
  void manage(const std::string& command, const std::string& name);

  ServerProcess server_;
};

class LoopbackLabelPrinter {
 public:
  // Raw takes any bytes and never answers; Zpl also answers ~HQES (status) and ~HS (host
  // status) as its Status says, a ready printer's unless told otherwise, and keeps those queries
  // out of the recorded bytes.
  enum class Language { Raw, Zpl };
  struct Status {
    bool paperOut = false;
    bool paused = false;
    bool headOpen = false;
    bool ribbonOut = false;
    int labelsWaiting = 0;      // formats received and not printed
    bool answers = true;        // false: it reads the queries and stays silent
    bool answersErrors = true;  // false: it does not know ~HQES, as older firmware
  };
  // How a connection is cut off: Reset closes it at once with a reset (SO_LINGER 0), as a printer
  // that fails does; Stall reads no more of it and keeps it open, as a hung printer does.
  enum class Cutoff { Reset, Stall };

  explicit LoopbackLabelPrinter(Language language = Language::Raw);
  ~LoopbackLabelPrinter();
  LoopbackLabelPrinter(const LoopbackLabelPrinter&) = delete;
  LoopbackLabelPrinter& operator=(const LoopbackLabelPrinter&) = delete;

  int port() const { return port_; }
  // socket://127.0.0.1:PORT
  std::string deviceUri() const;
  // The jobs: what each connection sent besides status queries, in the order they came, once at
  // least `count` such connections have been closed by their sender (connections that only
  // asked for status are left out); throws std::runtime_error describing what did arrive when
  // they do not come.
  std::vector<std::string> waitForJobs(size_t count) const;
  // The jobs received whole so far, as waitForJobs gives them.
  std::vector<std::string> jobs() const;
  // Status queries answered so far, over all connections.
  int statusQueries() const;
  // Every byte read so far, over all connections.
  size_t bytesRead() const;
  // From now on each connection is cut off `how` once `bytes` of it have been read; 0 bytes
  // stalls or resets a connection before reading any of it.
  void cutOffAfter(size_t bytes, Cutoff how);
  // What it answers from now on, and what it answers once the next job has come whole.
  void setStatus(const Status& status);
  void setStatusAfterJob(const Status& status);

 private:
  struct Connection {
    int fd = -1;
    std::string bytes;
    std::string pending;  // the start of a status query, until the rest comes
    size_t read = 0;      // every byte read, status queries too
    bool closed = false;
    bool stalled = false;
  };

  void serve();
  void receive(Connection& connection, bool closing);
  // Resets or stalls the connection once the cut-off says so.
  void cutOffWhenDue(Connection& connection);
  std::vector<std::string> finishedJobs() const;

  Language language_;
  int listener_ = -1;
  int wake_ = -1;
  int port_ = 0;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<Connection> connections_;
  int statusQueries_ = 0;
  Status status_;
  std::optional<Status> afterJob_;
  std::optional<std::pair<size_t, Cutoff>> cutoff_;
  std::thread thread_;
};

}  // namespace briskal::testing
