#include "component_run.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "common/convert.h"
#include "common/error.h"
#include "common/routines.h"
#include "common/utf8.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "hostkit/session/database_check.h"
#include "numbers.h"

namespace briskal::cli {
namespace {

// Asks on the terminal; an empty answer takes the default button.
int askOnTerminal(const hostkit::ShownMessage& message) {
  std::ifstream tty("/dev/tty");
  const int kind = message.buttons & 0xF;
  const bool yesNo = kind == 3 || kind == 4;
  if (!tty || !yesNo) return hostkit::AnswerPolicy::defaultButton().answer(message);
  const int fallback = hostkit::AnswerPolicy::defaultButton().answer(message);
  std::cerr << (fallback == 6 ? "[Y/n] " : "[y/N] ") << std::flush;
  std::string line;
  std::getline(tty, line);
  if (line.empty()) return fallback;
  return line[0] == 'y' || line[0] == 'Y' || line[0] == 's' || line[0] == 'S' ? 6 : 7;
}

hostkit::AnswerPolicy answersFor(const GlobalOptions& options) {
  if (options.yes) return hostkit::AnswerPolicy::yes();
  if (options.no) return hostkit::AnswerPolicy::no();
  if (isatty(STDIN_FILENO) && isatty(STDERR_FILENO)) return hostkit::AnswerPolicy::interactive(askOnTerminal);
  return hostkit::AnswerPolicy::defaultButton();
}

std::filesystem::path logFolder() {
  const char* tmp = std::getenv("TMPDIR");
  const std::filesystem::path base = tmp && *tmp ? tmp : "/tmp";
  std::filesystem::path shared = base / "briskal";
  // A shared folder that another operating-system user made for themselves: this user's own.
  std::error_code ignored;
  if (std::filesystem::exists(shared, ignored) && access(shared.c_str(), W_OK | X_OK) != 0)
    return base / ("briskal-" + std::to_string(getuid()));
  return shared;
}

}  // namespace

std::filesystem::path logFile() { return logFolder() / "briskal.log"; }

bool reportLoggedErrors(const hostkit::HostSession& session, size_t from) {
  const std::vector<std::string>& logged = session.loggedErrors();
  const std::vector<hostkit::ShownMessage>& shown = session.messages().shown();
  for (size_t i = from; i < logged.size(); ++i) {
    // An error the component showed in a box is on standard error already.
    const bool told = std::any_of(shown.begin(), shown.end(),
                                  [&](const hostkit::ShownMessage& m) { return m.text == logged[i]; });
    if (!told) std::cerr << "briskal: " << utf8::printable(logged[i]) << '\n';
  }
  return logged.size() > from;
}

void addOrderTypeOption(CLI::App& command, int& orderType) {
  command
      .add_option("--order-type", orderType,
                  "Order type: 24 work orders, 25 passive, 21 active subcontracting")
      ->check(CLI::IsMember({24, 25, 21}))
      ->capture_default_str();
}

void addWhereOption(CLI::App& command, std::vector<std::string>& where) {
  command
      .add_option("--where", where,
                  "Filter row 'CAPTION=FROM..TO' (either bound may be empty; one value means equal), "
                  "CAPTION as the filter offers it, e.g. 'Numero doc.=100..200'")
      ->type_name("CAPTION=FROM..TO");
}

void addSelectionOptions(CLI::App& command, SelectionOptions& selection) {
  addOrderTypeOption(command, selection.orderType);
  command.add_flag("--settled", selection.settled, "Include settled order lines");
  command.add_flag("--no-residual", selection.noResidual, "Include order lines with nothing left to produce");
  command.add_option("--um", selection.um, "Unit of measure of the quantities: 1 first, 2 second")
      ->check(CLI::IsMember({1, 2}))
      ->capture_default_str();
  addWhereOption(command, selection.where);
}

void addLabelOptions(CLI::App& command, LabelOptions& labels) {
  command
      .add_option("--basis", labels.basis,
                  "Labels per order line: one per unit, per package, or --labels of them")
      ->check(CLI::IsMember({"unit", "package", "custom"}))
      ->capture_default_str();
  // The form's own field takes four digits.
  command
      .add_option("--labels", labels.labels, "Number of labels per order line (1-9999), with --basis custom")
      ->type_name("N")
      ->check(wholeNumber(1, 9999));
  command
      .add_option("--reference", labels.reference,
                  "Quantity the labels share: the residual or the delivered one")
      ->check(CLI::IsMember({"residual", "delivered"}))
      ->capture_default_str();
  command.add_option("--label", labels.label, "Label type: standard text labels or custom designed ones")
      ->check(CLI::IsMember({"standard", "custom"}))
      ->capture_default_str();
}

void openDatabase(data::Connection& connection, const GlobalOptions& options) {
  requireDatabase(options.db, false);
  connection.setConnectionString(options.db);
  connection.setRegionalSettings(options.regional());
  connection.open();
}

void requireDatabase(const std::string& connectionString, bool componentTables) {
  const hostkit::DatabaseCheck check = hostkit::checkDatabase(connectionString, componentTables);
  const std::string create = "; create the demo database with: briskal demo-db --out " +
                             (check.file.empty() ? std::string("FILE") : check.file);
  switch (check.verdict) {
    case hostkit::DatabaseCheck::Verdict::Usable: return;
    case hostkit::DatabaseCheck::Verdict::Missing:
      throw Error(err::kInvalidConnection, "briskal", "There is no database " + check.file + create);
    case hostkit::DatabaseCheck::Verdict::NotADatabase:
      throw Error(err::kInvalidConnection, "briskal", check.file + " is not a database" + create);
    case hostkit::DatabaseCheck::Verdict::LacksTables: {
      std::string missing;
      for (const std::string& table : check.missing) missing += (missing.empty() ? "" : ", ") + table;
      const std::string name =
          check.file.empty() ? std::string("The database") : "The database " + check.file;
      throw Error(
          err::kInvalidConnection, "briskal",
          name + " is not a work-order database: it lacks " + missing + (check.file.empty() ? "" : create));
    }
  }
}

std::unique_ptr<hostkit::HostSession> openSession(
    const GlobalOptions& options, const std::function<void(hostkit::SessionOptions&)>& adjust) {
  requireDatabase(options.db, true);
  hostkit::SessionOptions session;
  session.settings.connectionString = options.db;
  session.settings.company = Value(int32_t{options.company});
  session.settings.userCode = options.user;
  session.settings.regional = options.regional();
  session.locale = options.locale;
  session.dataFolder = hostkit::defaultDataFolder();
  session.component = hostkit::defaultComponentPath();
  session.logFile = logFile();
  session.messageSink = hostkit::streamSink(std::cerr);
  session.answers = answersFor(options);
  session.debugSink = hostkit::traceSinkFromEnvironment();
  if (adjust) adjust(session);
  return std::make_unique<hostkit::HostSession>(std::move(session));
}

hostkit::HeadlessQueryFilter& filterControl(hostkit::HostSession& session) {
  return control<hostkit::HeadlessQueryFilter>(session.controls("FRMPD_BRISKAL"), "KVX_ADVQ");
}

void requireFilterField(hostkit::HeadlessQueryFilter& filter, const std::string& caption,
                        const std::string& context) {
  const auto& columns = filter.columns();
  if (std::any_of(columns.begin(), columns.end(),
                  [&](const auto& column) { return column.caption == caption; }))
    return;
  std::string known;
  for (const auto& column : columns) known += (known.empty() ? "" : ", ") + column.caption;
  throw UsageError(context + ": there is no filter field \"" + caption + "\"; the fields are: " + known);
}

void applyOrderType(hostkit::HostSession& session, int orderType) {
  control<hostkit::HeadlessCombo>(session.controls("FRMPD_BRISKAL"), "CMB_TipoOrdini").choose(orderType);
}

void applyFilterRows(hostkit::HostSession& session, const std::vector<std::string>& where) {
  hostkit::HeadlessQueryFilter& filter = filterControl(session);
  for (const std::string& row : where) {
    const size_t eq = row.find('=');
    if (eq == std::string::npos || eq == 0)
      throw UsageError("--where '" + row + "': write CAPTION=FROM..TO or CAPTION=VALUE");
    const std::string caption = row.substr(0, eq);
    requireFilterField(filter, caption, "--where '" + row + "'");
    const std::string range = row.substr(eq + 1);
    const size_t dots = range.find("..");
    if (dots == std::string::npos) filter.setRow(caption, range, range);
    else filter.setRow(caption, range.substr(0, dots), range.substr(dots + 2));
  }
}

void applySelection(hostkit::HostSession& session, const SelectionOptions& selection) {
  hostkit::HeadlessControlHost& c = session.controls("FRMPD_BRISKAL");
  applyOrderType(session, selection.orderType);
  control<hostkit::HeadlessCheck>(c, "CBX_OrdiniSaldati").setValue(selection.settled ? 1 : 0);
  control<hostkit::HeadlessCheck>(c, "CBX_OrdiniNoResiduo").setValue(selection.noResidual ? 1 : 0);
  control<hostkit::HeadlessCheck>(c, "CBX_Gestione").setValue(selection.um == 1 ? 1 : 0);
  applyFilterRows(session, selection.where);
}

void applyLabelOptions(hostkit::HostSession& session, const LabelOptions& labels) {
  hostkit::HeadlessControlHost& c = session.controls("FRMPD_BRISKAL");
  control<hostkit::HeadlessCombo>(c, "CMB_TipoEtichetta").choose(labels.label == "custom" ? 1 : 0);
  control<hostkit::HeadlessCombo>(c, "CMB_QtaRifer").choose(labels.reference == "delivered" ? 1 : 0);
  const int basis = labels.basis == "package" ? 1 : labels.basis == "custom" ? 2 : 0;
  control<hostkit::HeadlessCombo>(c, "CMB_TipoQuantità").choose(basis);
  if (basis == 2) control<hostkit::HeadlessTextEdit>(c, "TXT_NumEtichette").type(labels.labels);
}

void execute(hostkit::HostSession& session) {
  hostkit::HeadlessControlHost& c = session.controls("FRMPD_BRISKAL");
  control<hostkit::HeadlessButton>(c, "CMD_ImpostaEtich").click();
  if (control<hostkit::HeadlessTab>(c, "SSTab1").currentTab() == 1)
    control<hostkit::HeadlessButton>(c, "CMD_Esegui").click();
}

}  // namespace briskal::cli

namespace briskal::cli {

void withSaveForm(hostkit::HostSession& session, const std::function<void(hostkit::HeadlessWindow&)>& use) {
  session.runtime().setModalDriver("FRMPD_SALVAPERS", [&](hostkit::HeadlessWindow& window) {
    use(window);
    window.form().keyDown(27, 0);
  });
  hostkit::HeadlessControlHost& c = session.controls("FRMPD_BRISKAL");
  if (!control<hostkit::HeadlessTab>(c, "SSTab1").tabEnabled(1))
    control<hostkit::HeadlessButton>(c, "CMD_ImpostaEtich").click();
  control<hostkit::HeadlessButton>(c, "CMD_Personalizza").click();
}

data::Recordset& layoutList(hostkit::HeadlessWindow& saveForm) {
  auto* grid = saveForm.headlessControls().find<hostkit::HeadlessGrid>("QGRID_SEL");
  if (!grid || !grid->dataSource())
    throw Error(err::kIllegalOperation, "briskal", "The layout list is not shown");
  return *grid->dataSource();
}

void requireLayoutCode(const std::string& code) {
  if (utf8::hasControl(code))
    throw UsageError("layout code '" + utf8::printable(code, false) +
                     "': a code holds no control characters");
  if (Trim(code).empty()) throw UsageError("the layout code is empty");
  if (utf8::length(Trim(code)) > 10)
    throw UsageError("layout code '" + code + "' is longer than 10 characters");
}

std::string layoutCodeAsStored(const std::string& code) {
  return StringaFissa(hostkit::upperCaseDisplay(std::string(Trim(code))), 10);
}

int64_t positionOf(data::Recordset& list, const std::string& code) {
  const std::string wanted = layoutCodeAsStored(code);
  int64_t position = 0;
  for (std::unique_ptr<data::Recordset> walk = list.clone(); !walk->eof(); walk->moveNext()) {
    ++position;
    if (toText(walk->value("PD45_CODICE"), RegionalSettings::italian()) == wanted) return position;
  }
  return 0;
}

bool selectLayout(hostkit::HostSession& session, const std::string& code) {
  int64_t position = 0;
  withSaveForm(session, [&](hostkit::HeadlessWindow& w) { position = positionOf(layoutList(w), code); });
  if (position == 0) {
    std::cerr << "briskal: there is no layout " << code << '\n';
    return false;
  }
  control<hostkit::HeadlessCombo>(session.controls("FRMPD_BRISKAL"), "CMB_Personal")
      .selectIndex(static_cast<int>(position));
  return true;
}

void addSizeOptions(CLI::App& command, LabelSizes& sizes, bool all) {
  command.add_option("--height", sizes.height, "Label height in rows (1-999)")
      ->type_name("ROWS")
      ->check(wholeNumber(1, 999));
  command.add_option("--width", sizes.width, "Label width in characters (1-999)")
      ->type_name("CHARACTERS")
      ->check(wholeNumber(1, 999));
  if (!all) return;
  // A layout keeps the distance with two decimals, in at most nine digits.
  command.add_option("--distance", sizes.distance, "Distance between labels in millimetres, e.g. 2.5")
      ->type_name("MM")
      ->check(decimalNumber("0", "9999999.99", 2));
  command.add_option("--printed-qty", sizes.printedQty, "Quantity printed: ordered, residual or delivered")
      ->check(CLI::IsMember(std::vector<std::string>(kPrintedQuantities.begin(), kPrintedQuantities.end())));
}

void setSizes(hostkit::HostSession& session, const LabelSizes& sizes) {
  hostkit::HeadlessControlHost& c = session.controls("FRMPD_BRISKAL");
  if (!sizes.height.empty()) control<hostkit::HeadlessTextEdit>(c, "TXT_ALTETIC").type(sizes.height);
  if (!sizes.width.empty()) control<hostkit::HeadlessTextEdit>(c, "TXT_LUNGETIC").type(sizes.width);
  if (!sizes.distance.empty())
    control<hostkit::HeadlessTextEdit>(c, "TXT_SALTO")
        .type(typedAs(sizes.distance, session.global().regionalSettings()));
  if (!sizes.printedQty.empty()) {
    const auto word = std::find(kPrintedQuantities.begin(), kPrintedQuantities.end(), sizes.printedQty);
    control<hostkit::HeadlessCombo>(c, "CMB_QTARIPORTATA")
        .choose(static_cast<int32_t>(word - kPrintedQuantities.begin()));
  }
}

}  // namespace briskal::cli
