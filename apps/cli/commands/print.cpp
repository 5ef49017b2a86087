// briskal print: the selected labels printed by the component, to a PDF, PNG pages, a label
// printer's EPL2 or ZPL stream, the composed texts, a printer or a label printer.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <iostream>

#include "commands/destination_options.h"
#include "commands/selection_edits.h"
#include "commands/stock.h"
#include "common/error.h"
#include "component_run.h"
#include "hostkit/labelprinter/printer_settings.h"
#include "hostkit/report/destination_kind.h"

namespace briskal::cli {
namespace {

struct PrintArgs {
  SelectionOptions selection;
  LabelOptions labels;
  SelectionEditOptions edits;
  std::string layout;
  std::string labelTemplate;  // the customisable labels': a file or a stored name
  std::string stock;          // the customisable labels' sheets, in place of the template's
  int startAt = 0;            // the first label's place on the first sheet; 0 when not given
  LabelSizes sizes;
  bool noHeader = false;
  bool limits = false;
  bool notes = false;
  std::string performedBy, addressedTo, noteText;
  DestinationOptions destination;
};

using hostkit::report::DestinationKind;
using hostkit::report::destinationKind;

// Checks the sheets customisable labels print on against the command line before anything runs,
// and warns of labels larger than the stock's, which print unscaled and reach into their neighbours.
void checkLabelSheets(hostkit::HostSession& session, const PrintArgs& args, bool quiet) {
  const hostkit::report::ReportTemplate labels = session.customLabelTemplate();
  const std::string& name = args.stock.empty() ? labels.page.stock : args.stock;
  if (name.empty()) {
    if (args.startAt > 0)
      throw UsageError(
          "--start-at: the labels print on sheets only with a label stock: --stock, or the "
          "template's stock");
    return;
  }
  const hostkit::report::LabelStock& stock =
      args.stock.empty() ? hostkit::report::labelStockCatalogue().get(name) : requireStock(name);
  if (args.startAt > stock.perSheet())
    throw UsageError("--start-at: a sheet of " + stock.name() + " has places 1 to " +
                     std::to_string(stock.perSheet()));
  constexpr double kTolerance = 0.5;  // millimetres
  if (!quiet && (labels.page.width > stock.labelWidth + kTolerance ||
                 labels.page.height > stock.labelHeight + kTolerance))
    std::cerr << "briskal: warning: the template's labels are larger than those of " << stock.name()
              << "; they print unscaled at its places\n";
}

int print(const GlobalOptions& options, PrintArgs& args) {
  if (!args.layout.empty()) requireLayoutCode(args.layout);
  args.destination.resolve(options);
  if (args.destination.labelPrinter() && (!args.stock.empty() || args.startAt > 0))
    throw UsageError((args.stock.empty() ? "--start-at" : "--stock") +
                     std::string(" applies to pages: a label printer prints a label at a time"));
  const std::vector<SelectionEdit> edits = args.edits.given();
  const std::string& destination = args.destination.destination();
  const DestinationKind kind = destinationKind(destination);
  const bool labelPrinter = args.destination.labelPrinter();
  auto session = openSession(options, [&](hostkit::SessionOptions& s) {
    s.report.destination = destination;
    s.report.printHeader = !args.noHeader;
    s.report.printLimits = args.limits;
    s.report.printNotes = args.notes;
    s.report.performedBy = args.performedBy;
    s.report.addressedTo = args.addressedTo;
    s.report.notes = args.noteText;
    if (labelPrinter) s.labelPrinter = destination;
    s.labelPrinterSettings = args.destination.settings();
    s.customTemplate = args.labelTemplate;
    s.report.stock = args.stock;
    s.report.startAt = std::max(args.startAt, 1);
  });
  if (args.labels.label == "custom" && !labelPrinter) checkLabelSheets(*session, args, options.quiet);
  const size_t logged = session->loggedErrors().size();
  session->showParameterForm();
  applySelection(*session, args.selection);
  applyLabelOptions(*session, args.labels);
  if (!args.layout.empty() && !selectLayout(*session, args.layout)) return exit_code::kFailed;
  setSizes(*session, args.sizes);
  execute(*session);
  if (reportLoggedErrors(*session, logged)) return exit_code::kFailed;
  hostkit::HeadlessWindow* form = session->window("FRMPD_MODSELEZ");
  if (!form || !form->isShown()) return exit_code::kFailed;
  applySelectionEdits(*session, *form, edits);
  // A bar on a terminal while the labels are composed.
  if (isatty(STDERR_FILENO)) {
    if (auto* bar = form->headlessControls().find<hostkit::HeadlessProgress>("PBAR")) {
      bar->onProgress([last = -1](int64_t value, int64_t maximum) mutable {
        const int percent = maximum > 0 ? static_cast<int>(100 * value / maximum) : 100;
        if (percent == last) return;
        last = percent;
        std::cerr << "\r[" << std::string(static_cast<size_t>(percent / 4), '#')
                  << std::string(static_cast<size_t>(25 - percent / 4), ' ') << "] " << percent << "% "
                  << std::flush;
        if (percent == 100) std::cerr << '\n';
      });
    }
  }
  // The form's own buttons decide; a run that delivers nothing has told why on standard error,
  // and an earlier output stays as it was.
  const size_t delivered = session->deliveries().size();
  const char* button = labelPrinter ? "CMD_EPL" : "CmdExec";
  if (!control<hostkit::HeadlessButton>(form->headlessControls(), button).click()) {
    std::cerr << "briskal: the selection form does not offer its button " << button << " now\n";
    return exit_code::kFailed;
  }
  if (reportLoggedErrors(*session, logged)) return exit_code::kFailed;
  if (session->deliveries().size() == delivered) return exit_code::kFailed;
  if (!options.quiet) {
    const std::vector<hostkit::report::Delivery> runs(
        session->deliveries().begin() + static_cast<std::ptrdiff_t>(delivered), session->deliveries().end());
    std::cerr << deliveredLines(runs, kind) << '\n';
  }
  return exit_code::kOk;
}

}  // namespace

void addPrintCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run) {
  auto* cmd = app.add_subcommand("print", "Print the selected labels to a file or a printer");
  auto args = std::make_shared<PrintArgs>();
  addSelectionOptions(*cmd, args->selection);
  addLabelOptions(*cmd, args->labels);
  args->edits.addTo(*cmd);
  cmd->add_option("--layout", args->layout,
                  "Saved layout code for standard labels (default: the 36-field layout)")
      ->type_name("CODE");
  addSizeOptions(*cmd, args->sizes, true);
  cmd->add_flag("--no-header", args->noHeader, "Leave the report header out (it is printed by default)");
  cmd->add_flag("--limits", args->limits, "Print the filter limits in the report header");
  cmd->add_flag("--notes", args->notes, "Print the notes in the report header");
  cmd->add_option("--performed-by", args->performedBy, "Notes: performed by")->type_name("TEXT");
  cmd->add_option("--addressed-to", args->addressedTo, "Notes: addressed to")->type_name("TEXT");
  cmd->add_option("--note-text", args->noteText, "Notes: text")->type_name("TEXT");
  args->destination.addTo(*cmd);
  auto* labelTemplate =
      cmd->add_option("--template", args->labelTemplate,
                      "Customisable labels' template: a file, or a template the database keeps "
                      "(briskal templates); default: the one kept as CRPD_BRISKLABPERS, else the "
                      "shipped file")
          ->type_name("NAME|FILE");
  const std::vector<CLI::Option*> sheetOptions{
      cmd->add_option("--stock", args->stock,
                      "Customisable labels on sheets of this label stock (briskal stock list), in place "
                      "of the template's")
          ->type_name("\"BRAND PART\""),
      cmd->add_option("--start-at", args->startAt,
                      "The first label's place on the first sheet, counted from 1 row by row (a sheet "
                      "used before)")
          ->type_name("N")
          ->check(CLI::PositiveNumber),
  };
  cmd->callback([&options, &run, args, labelTemplate, sheetOptions] {
    args->destination.check();
    if (labelTemplate->count() > 0 && args->labels.label != "custom")
      throw CLI::ValidationError("--template", "applies to customisable labels: --label custom");
    for (const CLI::Option* option : sheetOptions) {
      if (option->count() > 0 && args->labels.label != "custom")
        throw CLI::ValidationError(option->get_name(), "applies to customisable labels: --label custom");
      if (option->count() > 0 && args->destination.labelPrinter())
        throw CLI::ValidationError(option->get_name(),
                                   "applies to pages: a label printer prints a label at a time");
    }
    run = [&options, args] { return print(options, *args); };
  });
}

}  // namespace briskal::cli
