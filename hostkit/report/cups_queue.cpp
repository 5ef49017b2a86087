#include "hostkit/report/cups_queue.h"

#include <cups/cups.h>

#include <memory>
#include <string_view>

namespace briskal::hostkit::report {
namespace {

struct DestinationDeleter {
  void operator()(cups_dest_t* destination) const { cupsFreeDests(1, destination); }
};

struct DestinationsDeleter {
  int count;
  void operator()(cups_dest_t* destinations) const { cupsFreeDests(count, destinations); }
};

std::string_view option(const cups_dest_t& destination, const char* name) {
  const char* value = cupsGetOption(name, destination.num_options, destination.options);
  return value ? value : "";
}

}  // namespace

std::string cupsPrinterProblem(const std::string& printer) {
  const std::unique_ptr<cups_dest_t, DestinationDeleter> destination(
      cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.c_str(), nullptr));
  if (!destination) return "The printer '" + printer + "' is not known to the print system";
  const std::string_view message = option(*destination, "printer-state-message");
  const std::string because = message.empty() ? "" : " (" + std::string(message) + ")";
  if (option(*destination, "printer-state") == "5")
    return "The printer '" + printer + "' is stopped" + because;
  if (option(*destination, "printer-is-accepting-jobs") == "false")
    return "The printer '" + printer + "' does not accept jobs" + because;
  return {};
}

std::vector<std::string> printDestinations() {
  cups_dest_t* found = nullptr;
  const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &found);
  const std::unique_ptr<cups_dest_t, DestinationsDeleter> destinations(found, DestinationsDeleter{count});
  std::vector<std::string> names;
  for (int n = 0; n < count; ++n) {
    const cups_dest_t& d = found[n];
    std::string name = d.instance ? std::string(d.name) + "/" + d.instance : std::string(d.name);
    if (d.is_default) names.insert(names.begin(), std::move(name));
    else names.push_back(std::move(name));
  }
  return names;
}

}  // namespace briskal::hostkit::report
