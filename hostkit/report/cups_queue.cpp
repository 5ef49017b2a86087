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

std::optional<FailureText> cupsPrinterProblem(const std::string& printer) {
  const std::unique_ptr<cups_dest_t, DestinationDeleter> destination(
      cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.c_str(), nullptr));
  if (!destination) {
    return FailureText().say("The printer '%1' is not known to the print system",
                             "La stampante '%1' non è nota al sistema di stampa", {printer});
  }
  const std::string_view message = option(*destination, "printer-state-message");
  if (option(*destination, "printer-state") == "5")
    return FailureText()
        .say("The printer '%1' is stopped", "La stampante '%1' è ferma", {printer})
        .because(message);
  if (option(*destination, "printer-is-accepting-jobs") == "false") {
    return FailureText()
        .say("The printer '%1' does not accept jobs", "La stampante '%1' non accetta lavori di stampa",
             {printer})
        .because(message);
  }
  return std::nullopt;
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
