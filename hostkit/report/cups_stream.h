#pragma once
// A job on a CUPS queue whose document is sent while it is being written: the queue holds the job
// from the first piece on. The print system starts printing a document once all of it has come;
// a job that is not finished is cancelled, and the print system drops a document whose writer was
// killed half-way, so a run that fails half-way prints nothing. Failures throw briskal::Error from
// `source`, naming the queue.

#include <cups/cups.h>

#include <memory>
#include <string>
#include <string_view>

#include "hostkit/report/print_failure.h"

namespace briskal::hostkit::report {

class CupsStream {
 public:
  // `format` is the document's MIME type. Throws when the queue is unknown, stopped or refusing
  // jobs, or when the job cannot be created.
  CupsStream(std::string queue, const std::string& title, const char* format, int copies, std::string source);
  ~CupsStream();
  CupsStream(const CupsStream&) = delete;
  CupsStream& operator=(const CupsStream&) = delete;

  void write(std::string_view bytes);
  // Sends what is left and closes the document; returns the job's number.
  int finish();

 private:
  void send();
  void cancel();
  FailureText cannotSend() const;
  FailureText alreadySubmitted() const;
  // Throws `what`, with CUPS's own account of the last request.
  [[noreturn]] void fail(FailureText what) const;

  struct HttpCloser {
    void operator()(http_t* http) const { httpClose(http); }
  };

  std::string queue_;
  std::string source_;
  std::unique_ptr<http_t, HttpCloser> http_;
  int job_ = 0;
  std::string buffer_;
  bool finished_ = false;
};

}  // namespace briskal::hostkit::report
