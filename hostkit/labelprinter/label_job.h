#pragma once
// One label-printer job: the printer asked whether it can print, the destination opened, the
// printer's settings completed from what the printer says of itself, and the writer of its
// language, one label a page; once delivered, the printer asked again how the job went.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hostkit/labelprinter/byte_device.h"
#include "hostkit/labelprinter/label_writer.h"
#include "hostkit/labelprinter/printer_settings.h"
#include "hostkit/report/drawing.h"
#include "hostkit/report/print_failure.h"

namespace briskal::hostkit::labelprinter {

class LabelJob {
 public:
  // Asks the printer for its status when the settings say so (a file has none), opens the destination (see
  // destination.h) and starts the job called `title`. Throws briskal::Error, having sent
  // nothing, when the printer reports a fault or does not answer, cannot be reached or cannot
  // print the settings' language.
  LabelJob(std::string_view destination, const PrinterSettings& settings, const std::string& title);

  // Throws briskal::Error as LabelWriter::label does, and for a label the offsets put past its
  // edge or larger than the printer's labels.
  void add(const report::Page& page);
  // Delivers the job and, when the settings say so, asks the printer how it went. Throws
  // briskal::Error when the job cannot be delivered, and when the printer reports a fault while
  // labels of the job are not printed, or does not answer: the message says how many.
  void finish();
  int labels() const { return writer_->labels(); }
  // The settings the job prints with, nothing left unset.
  const PrinterSettings& settings() const { return settings_; }
  // What the printer said that did not stop the job: a status it cannot tell, warnings, a fault
  // once every label was printed.
  const std::vector<report::FailureText>& notes() const { return notes_; }

 private:
  // Writes the job's settings, once.
  void start();

  std::string destination_;
  std::string name_;  // what messages call the printer: its profile's name, or its address
  bool asksStatus_;   // the settings say so, and the destination is a printer, not a file
  PrinterSettings settings_;
  std::unique_ptr<ByteDevice> device_;
  std::unique_ptr<LabelWriter> writer_;
  bool started_ = false;  // the job's settings are written
  std::vector<report::FailureText> notes_;
};

// Sends one label a page as one job; returns the labels sent, and adds the job's notes to
// `notes` when given. Throws briskal::Error.
int64_t printLabels(const std::vector<report::Page>& pages, std::string_view destination,
                    const PrinterSettings& settings, const std::string& title,
                    std::vector<report::FailureText>* notes = nullptr);

}  // namespace briskal::hostkit::labelprinter
