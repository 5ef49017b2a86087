#include "hostkit/labelprinter/ipp_device.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

#include "common/error.h"
#include "hostkit/labelprinter/cups_handles.h"
#include "hostkit/labelprinter/tcp_connect.h"

namespace briskal::hostkit::labelprinter {
namespace {

constexpr const char* kEplFormat = "application/vnd.eltron-epl";
constexpr const char* kZplFormat = "application/vnd.zebra-zpl";

const char* formatOf(PrinterLanguage language) {
  return language == PrinterLanguage::Zpl ? kZplFormat : kEplFormat;
}

}  // namespace

// When every address answered with an error, CUPS reports "Host is down" whatever the errors
// were; a connection attempt of our own finds the real one again (refused, unreachable). A lookup
// failure or a timeout keeps CUPS's own words.
std::string ippConnectFailure(const char* host, int port, std::chrono::milliseconds timeout) {
  const char* said = cupsLastErrorString();
  std::string cups = said ? said : ippErrorString(cupsLastError());
  if (cups != std::strerror(EHOSTDOWN)) return cups;
  try {
    const TcpSocket probe(host, static_cast<uint16_t>(port), timeout);
  } catch (const TcpConnectError& e) {
    return e.what();
  }
  return cups;
}

IppAddress ippAddress(const std::string& uri) {
  std::array<char, 32> scheme{};
  std::array<char, 256> user{};
  std::array<char, 256> host{};
  std::array<char, 1024> resource{};
  int port = 0;
  if (httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), scheme.data(), scheme.size(), user.data(),
                      user.size(), host.data(), host.size(), &port, resource.data(),
                      resource.size()) < HTTP_URI_STATUS_OK ||
      host[0] == '\0') {
    throw report::PrintFailure(err::kInvalidArgument, "LabelPrinter",
                               report::FailureText().say("Unknown label printer destination \"%1\"",
                                                         "Destinazione della stampante di etichette \"%1\" "
                                                         "sconosciuta",
                                                         {uri}));
  }
  return {host.data(), port, resource.data(), std::string_view(scheme.data()) == "ipps"};
}

HttpConnection ippConnect(const IppAddress& address, std::chrono::milliseconds timeout) {
  return HttpConnection(
      httpConnect2(address.host.c_str(), address.port, nullptr, AF_UNSPEC,
                   address.encrypted ? HTTP_ENCRYPTION_ALWAYS : HTTP_ENCRYPTION_IF_REQUESTED, 1,
                   static_cast<int>(timeout.count()), nullptr));
}

IppDevice::IppDevice(std::string uri, std::string title, std::chrono::milliseconds timeout)
    : uri_(std::move(uri)), title_(std::move(title)) {
  const IppAddress address = ippAddress(uri_);
  resource_ = address.resource;
  http_ = ippConnect(address, timeout);
  if (!http_) {
    fail("Cannot connect to the label printer %1", "Impossibile collegarsi alla stampante di etichette %1",
         ippConnectFailure(address.host.c_str(), address.port, timeout));
  }
  httpSetTimeout(http_.get(), std::chrono::duration<double>(timeout).count(), nullptr, nullptr);
  askPrinter();
}

void IppDevice::askPrinter() {
  static const char* const kAttributes[] = {"document-format-supported", "printer-resolution-default",
                                            "printer-state", "printer-is-accepting-jobs",
                                            "printer-state-message"};
  ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri_.c_str());
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
  // cupsDoRequest takes the request and frees it.
  const IppMessage response(cupsDoRequest(http_.get(), request, resource_.c_str()));
  if (!response || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) {
    if (exchangeBroke())
      fail("The label printer does not answer %1", "La stampante di etichette %1 non risponde");
    fail("The label printer refused the request for its state %1",
         "La stampante di etichette %1 ha rifiutato la richiesta del suo stato");
  }

  if (ipp_attribute_t* formats =
          ippFindAttribute(response.get(), "document-format-supported", IPP_TAG_MIMETYPE)) {
    for (int i = 0; i < ippGetCount(formats); ++i) formats_.emplace_back(ippGetString(formats, i, nullptr));
  }
  if (ipp_attribute_t* res =
          ippFindAttribute(response.get(), "printer-resolution-default", IPP_TAG_RESOLUTION)) {
    ipp_res_t units{};
    int y = 0;
    const int x = ippGetResolution(res, 0, &y, &units);
    if (x > 0) dpi_ = units == IPP_RES_PER_CM ? static_cast<int>(std::lround(x * 2.54)) : x;
  }
  ipp_attribute_t* state = ippFindAttribute(response.get(), "printer-state", IPP_TAG_ENUM);
  ipp_attribute_t* accepting = ippFindAttribute(response.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
  ipp_attribute_t* message = ippFindAttribute(response.get(), "printer-state-message", IPP_TAG_TEXT);
  const char* said = message ? ippGetString(message, 0, nullptr) : nullptr;
  const std::string why = said ? said : "";
  if (state && ippGetInteger(state, 0) == IPP_PSTATE_STOPPED)
    fail("The label printer is stopped %1", "La stampante di etichette %1 è ferma", why);
  if (accepting && !ippGetBoolean(accepting, 0)) {
    fail("The label printer does not accept jobs %1",
         "La stampante di etichette %1 non accetta lavori di stampa", why);
  }
}

PrinterLanguage IppDevice::chooseLanguage(std::optional<PrinterLanguage> wanted) {
  const auto takes = [&](PrinterLanguage language) {
    return std::find(formats_.begin(), formats_.end(), formatOf(language)) != formats_.end();
  };
  PrinterLanguage language = PrinterLanguage::Epl2;
  if (wanted) {
    language = *wanted;
    if (!takes(language)) {
      fail(report::FailureText().say("The label printer does not take %2 jobs %1",
                                     "La stampante di etichette %1 non accetta lavori in %2",
                                     {uri_, std::string(languageName(language))}));
    }
  } else if (!takes(PrinterLanguage::Epl2)) {
    if (!takes(PrinterLanguage::Zpl)) {
      fail("The label printer takes neither EPL2 nor ZPL jobs %1",
           "La stampante di etichette %1 non accetta lavori né in EPL2 né in ZPL", "");
    }
    language = PrinterLanguage::Zpl;
  }
  format_ = formatOf(language);
  return language;
}

void IppDevice::write(std::string_view bytes) {
  if (finished_) fail(alreadySent());
  job_.append(bytes);
}

void IppDevice::finish() {
  if (finished_) fail(alreadySent());
  finished_ = true;
  if (format_.empty()) chooseLanguage(std::nullopt);
  const IppMessage request(ippNewRequest(IPP_OP_PRINT_JOB));
  ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri_.c_str());
  ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
  ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, title_.c_str());
  ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
               format_.c_str());
  // Chunked, as IPP clients usually send documents: a label-printer server was seen to lose the
  // end of a document sent with its length given.
  if (cupsSendRequest(http_.get(), request.get(), resource_.c_str(), CUPS_LENGTH_VARIABLE) !=
          HTTP_STATUS_CONTINUE ||
      cupsWriteRequestData(http_.get(), job_.data(), job_.size()) != HTTP_STATUS_CONTINUE) {
    fail("Cannot send the labels to the label printer %1",
         "Impossibile inviare le etichette alla stampante di "
         "etichette %1");
  }
  const IppMessage response(cupsGetResponse(http_.get(), resource_.c_str()));
  if (!response || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) {
    if (exchangeBroke()) {
      fail("The label printer did not confirm the labels %1",
           "La stampante di etichette %1 non ha confermato le etichette");
    }
    fail("The label printer refused the labels %1", "La stampante di etichette %1 ha rifiutato le etichette");
  }
  if (ipp_attribute_t* id = ippFindAttribute(response.get(), "job-id", IPP_TAG_INTEGER))
    jobId_ = ippGetInteger(id, 0);
}

std::optional<int64_t> IppDevice::unprinted(int64_t sent) {
  if (jobId_ == 0) return std::nullopt;
  static const char* const kAttributes[] = {"job-state", "job-impressions-completed"};
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri_.c_str());
  ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId_);
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
  const IppMessage response(cupsDoRequest(http_.get(), request, resource_.c_str()));
  if (!response || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) return std::nullopt;
  ipp_attribute_t* state = ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM);
  if (!state) return std::nullopt;
  if (ippGetInteger(state, 0) == IPP_JSTATE_COMPLETED) return 0;
  ipp_attribute_t* done = ippFindAttribute(response.get(), "job-impressions-completed", IPP_TAG_INTEGER);
  return std::clamp<int64_t>(sent - (done ? ippGetInteger(done, 0) : 0), 0, sent);
}

report::FailureText IppDevice::alreadySent() const {
  return report::FailureText().say("The job is already sent to the label printer %1",
                                   "Il lavoro è già stato inviato alla stampante di etichette %1", {uri_});
}

void IppDevice::fail(std::string english, std::string italian, std::string_view why) const {
  report::FailureText failure;
  failure.say(std::move(english), std::move(italian), {uri_}).because(why);
  fail(std::move(failure));
}

void IppDevice::fail(std::string english, std::string italian) const {
  report::FailureText failure;
  failure.say(std::move(english), std::move(italian), {uri_});
  addLastError(failure);
  fail(std::move(failure));
}

void IppDevice::fail(report::FailureText failure) const {
  throw report::PrintFailure(err::kDeviceIoError, "LabelPrinter", std::move(failure));
}

bool IppDevice::exchangeBroke() const { return httpGetStatus(http_.get()) == HTTP_STATUS_ERROR; }

void IppDevice::addLastError(report::FailureText& failure) const {
  // When the exchange itself broke, CUPS's error text is strerror of whatever errno held by then,
  // often "Success"; the connection keeps the real cause. EPIPE is how CUPS marks a connection
  // the printer closed.
  if (exchangeBroke()) {
    const int code = httpError(http_.get());
    if (code == EPIPE) {
      failure.because("the printer closed the connection", "la stampante ha chiuso la connessione");
      return;
    }
    if (code != 0) {
      failure.because(std::strerror(code));
      return;
    }
  }
  const char* why = cupsLastErrorString();
  failure.because(why && *why ? why : ippErrorString(cupsLastError()));
}

}  // namespace briskal::hostkit::labelprinter
