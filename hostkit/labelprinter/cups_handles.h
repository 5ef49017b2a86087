#pragma once
// Owners of what libcups hands out: an IPP message and a connection.

#include <cups/cups.h>

#include <memory>

namespace briskal::hostkit::labelprinter {

struct IppDeleter {
  void operator()(ipp_t* message) const { ippDelete(message); }
};
using IppMessage = std::unique_ptr<ipp_t, IppDeleter>;

struct HttpCloser {
  void operator()(http_t* http) const { httpClose(http); }
};
using HttpConnection = std::unique_ptr<http_t, HttpCloser>;

}  // namespace briskal::hostkit::labelprinter
