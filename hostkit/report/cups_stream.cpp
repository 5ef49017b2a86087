#include "hostkit/report/cups_stream.h"

#include <cups/cups.h>

#include "common/error.h"
#include "hostkit/report/cups_queue.h"

namespace briskal::hostkit::report {
namespace {

constexpr int kTimeoutMs = 30000;
constexpr size_t kJobPieceSize = 64 * 1024;

}  // namespace

CupsStream::CupsStream(std::string queue, const std::string& title, const char* format, int copies,
                       std::string source)
    : queue_(std::move(queue)), source_(std::move(source)) {
  if (queue_.empty()) throw Error(err::kInvalidArgument, source_, "No CUPS queue given");
  if (copies < 1) throw Error(err::kInvalidArgument, source_, "The number of copies must be at least 1");
  if (std::optional<FailureText> problem = cupsPrinterProblem(queue_))
    throw PrintFailure(err::kDeviceIoError, source_, std::move(*problem));
  // A connection of the job's own: the document may be written from another thread than the one
  // that created the job, and each thread has its own default connection.
  http_.reset(
      httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, kTimeoutMs, nullptr));
  if (!http_) {
    fail(FailureText().say("Cannot reach the print system for the printer '%1'",
                           "Impossibile raggiungere il sistema di stampa per la stampante '%1'", {queue_}));
  }
  cups_option_t* options = nullptr;
  const int count = cupsAddOption("copies", std::to_string(copies).c_str(), 0, &options);
  job_ = cupsCreateJob(http_.get(), queue_.c_str(), title.c_str(), count, options);
  cupsFreeOptions(count, options);
  if (job_ == 0) {
    fail(FailureText().say("The printer '%1' did not take the job",
                           "La stampante '%1' non ha accettato il lavoro di stampa", {queue_}));
  }
  if (cupsStartDocument(http_.get(), queue_.c_str(), job_, title.c_str(), format, 1) !=
      HTTP_STATUS_CONTINUE) {
    FailureText failure = cannotSend();
    failure.because(cupsLastErrorString());
    cancel();
    throw PrintFailure(err::kDeviceIoError, source_, std::move(failure));
  }
}

CupsStream::~CupsStream() {
  if (!finished_) cancel();
}

// The document was cut off, or never started: the job goes, before the print system waits for
// the rest.
void CupsStream::cancel() {
  http_.reset();
  if (job_ != 0) cupsCancelJob2(CUPS_HTTP_DEFAULT, queue_.c_str(), job_, 0);
  job_ = 0;
}

void CupsStream::write(std::string_view bytes) {
  if (finished_) fail(alreadySubmitted());
  buffer_.append(bytes);
  if (buffer_.size() >= kJobPieceSize) send();
}

int CupsStream::finish() {
  if (finished_) fail(alreadySubmitted());
  send();
  if (cupsFinishDocument(http_.get(), queue_.c_str()) > IPP_STATUS_OK_EVENTS_COMPLETE) {
    fail(FailureText().say("The printer '%1' refused the job",
                           "La stampante '%1' ha rifiutato il lavoro di stampa", {queue_}));
  }
  finished_ = true;
  return job_;
}

void CupsStream::send() {
  if (!buffer_.empty() &&
      cupsWriteRequestData(http_.get(), buffer_.data(), buffer_.size()) != HTTP_STATUS_CONTINUE)
    fail(cannotSend());
  buffer_.clear();
}

FailureText CupsStream::cannotSend() const {
  return FailureText().say("Cannot send the job to the printer '%1'",
                           "Impossibile inviare il lavoro di stampa alla stampante '%1'", {queue_});
}

FailureText CupsStream::alreadySubmitted() const {
  return FailureText().say("The job is already submitted to the printer '%1'",
                           "Il lavoro di stampa è già stato inviato alla stampante '%1'", {queue_});
}

void CupsStream::fail(FailureText what) const {
  const char* why = cupsLastErrorString();
  what.because(why ? why : "");
  throw PrintFailure(err::kDeviceIoError, source_, std::move(what));
}

}  // namespace briskal::hostkit::report
