#pragma once
// One label-printer job: the destination opened, the printer's settings completed from what the
// printer says of itself, and the writer of its language, one label a page.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hostkit/labelprinter/byte_device.h"
#include "hostkit/labelprinter/label_writer.h"
#include "hostkit/labelprinter/printer_settings.h"
#include "hostkit/report/drawing.h"

namespace briskal::hostkit::labelprinter {

class LabelJob {
 public:
  // Opens the destination (see destination.h) and starts the job called `title`. Throws
  // briskal::Error when the printer cannot be reached or cannot print the settings' language.
  LabelJob(std::string_view destination, const PrinterSettings& settings, const std::string& title);

  // Throws briskal::Error as LabelWriter::label does.
  void add(const report::Page& page) { writer_->label(page); }
  // Delivers the job; throws briskal::Error when it cannot.
  void finish() { writer_->endJob(); }
  int labels() const { return writer_->labels(); }
  // The settings the job prints with, nothing left unset.
  const PrinterSettings& settings() const { return settings_; }

 private:
  PrinterSettings settings_;
  std::unique_ptr<ByteDevice> device_;
  std::unique_ptr<LabelWriter> writer_;
};

// Sends one label a page as one job; returns the labels sent. Throws briskal::Error.
int64_t printLabels(const std::vector<report::Page>& pages, std::string_view destination,
                    const PrinterSettings& settings, const std::string& title);

}  // namespace briskal::hostkit::labelprinter
