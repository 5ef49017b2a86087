#include "hostkit/labelprinter/label_job.h"

#include "common/error.h"
#include "hostkit/labelprinter/destination.h"
#include "hostkit/labelprinter/status_query.h"
#include "hostkit/report/destination_kind.h"

namespace briskal::hostkit::labelprinter {
namespace {

[[noreturn]] void refuse(report::FailureText text) {
  throw report::PrintFailure(err::kDeviceIoError, "LabelPrinter", std::move(text));
}

report::FailureText warningsOf(const std::string& printer, const PrinterStatus& status) {
  report::FailureText text;
  text.say("Printer %1 warns", "La stampante %1 avverte", {printer});
  for (const std::string& warning : status.warnings) text.because(warning);
  return text;
}

// "91-100", or "100": the last `unprinted` of `sent`.
std::string lastLabels(int64_t unprinted, int64_t sent) {
  if (unprinted == 1) return std::to_string(sent);
  return std::to_string(sent - unprinted + 1) + "-" + std::to_string(sent);
}

}  // namespace

LabelJob::LabelJob(std::string_view destination, const PrinterSettings& settings, const std::string& title)
    : destination_(destination),
      name_(settings.name.empty() ? std::string(destination) : settings.name),
      asksStatus_(settings.checkStatus && !report::isFile(report::destinationKind(destination))) {
  if (asksStatus_) {
    const PrinterStatus status = askStatus(destination, settings.language.value_or(PrinterLanguage::Epl2));
    if (!status.known) {
      notes_.push_back(
          report::FailureText()
              .say("The status of printer %1 is not known", "Lo stato della stampante %1 non è noto", {name_})
              .because(status.unknownWhy.first, status.unknownWhy.second));
    } else if (!status.ready()) {
      refuse(faultText(name_, status));
    } else if (!status.warnings.empty()) {
      notes_.push_back(warningsOf(name_, status));
    }
  }
  OpenedPrinter printer = openPrinter(destination, settings, title);
  settings_ = printer.settings;
  device_ = std::move(printer.device);
  writer_ = makeLabelWriter(*device_, settings_);
}

void LabelJob::add(const report::Page& page) {
  const double width = settings_.labelSize ? settings_.labelSize->widthMm : page.width;
  const double height = settings_.labelSize ? settings_.labelSize->heightMm : page.height;
  constexpr double kTolerance = 0.5;  // millimetres
  if (settings_.labelSize && (page.width > width + kTolerance || page.height > height + kTolerance)) {
    refuse(report::FailureText().say(
        "The labels to print (%1 x %2 mm) are larger than those of printer %3 (%4 x %5 mm)",
        "Le etichette da stampare (%1 x %2 mm) sono più grandi di quelle della stampante %3 (%4 x %5 mm)",
        {millimetresText(page.width), millimetresText(page.height), name_, millimetresText(width),
         millimetresText(height)}));
  }
  if (settings_.offsetXMm >= width || settings_.offsetYMm >= height) {
    refuse(report::FailureText().say(
        "The offsets of printer %1 (%2, %3 mm) put the labels past their edge (%4 x %5 mm)",
        "Gli spostamenti della stampante %1 (%2, %3 mm) portano le etichette oltre il loro bordo (%4 x %5 "
        "mm)",
        {name_, millimetresText(settings_.offsetXMm), millimetresText(settings_.offsetYMm),
         millimetresText(width), millimetresText(height)}));
  }
  // The job's settings go with its first label, once it has passed the checks above: a label
  // refused leaves the printer as it was.
  start();
  writer_->label(page);
}

void LabelJob::start() {
  if (!started_) writer_->startJob();
  started_ = true;
}

void LabelJob::finish() {
  start();
  writer_->endJob();
  if (!asksStatus_) return;
  const PrinterStatus status = askStatus(destination_, *settings_.language);
  if (!status.known) return;
  if (status.ready()) {
    if (!status.warnings.empty()) notes_.push_back(warningsOf(name_, status));
    return;
  }
  const int64_t sent = labels();
  std::optional<int64_t> unprinted = status.labelsWaiting;
  if (!unprinted) unprinted = device_->unprinted(sent);
  report::FailureText text = faultText(name_, status);
  if (!unprinted) {
    text.say("it has not said which of the %1 labels sent it printed",
             "non ha detto quali delle %1 etichette inviate abbia stampato", {std::to_string(sent)});
    refuse(std::move(text));
  }
  const int64_t missing = std::min(*unprinted, sent);
  if (missing == 0) {
    text.say("every label was printed", "tutte le etichette sono state stampate");
    notes_.push_back(std::move(text));
    return;
  }
  text.say("the last %1 of the %2 labels sent were not printed (%3)",
           "le ultime %1 delle %2 etichette inviate non sono state stampate (%3)",
           {std::to_string(missing), std::to_string(sent), lastLabels(missing, sent)});
  refuse(std::move(text));
}

int64_t printLabels(const std::vector<report::Page>& pages, std::string_view destination,
                    const PrinterSettings& settings, const std::string& title,
                    std::vector<report::FailureText>* notes) {
  LabelJob job(destination, settings, title);
  for (const report::Page& page : pages) job.add(page);
  job.finish();
  if (notes) notes->insert(notes->end(), job.notes().begin(), job.notes().end());
  return job.labels();
}

}  // namespace briskal::hostkit::labelprinter
