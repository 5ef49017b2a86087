// briskal layouts: list, show, save, delete and check label layouts, through the parameter form
// and its save form as a person would.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <span>
#include <sstream>
#include <utility>

#include "common/convert.h"
#include "common/error.h"
#include "common/routines.h"
#include "component_run.h"
#include "data/recordset.h"

namespace briskal::cli {
namespace {

struct LayoutArgs {
  std::string code;
  std::string title;
  std::string from;
  LabelSizes sizes;
};

hostkit::HeadlessControlHost& parameters(hostkit::HostSession& session) {
  return session.controls("FRMPD_BRISKAL");
}

// Whether the save form's last save or delete went through: a No, a refusal or a failed commit
// leaves it false, whatever the list shows afterwards.
bool succeeded(hostkit::HeadlessWindow& saveForm) {
  const Value done = saveForm.form().property("Succeeded");
  return done.kind() == Value::Kind::Bool && done.asBool();
}

// A column of a listing: the field it shows and its heading as the forms write it, in Italian;
// the catalogue gives the heading in the session's language.
struct Column {
  const char* field;
  const char* heading;
};

constexpr Column kLayoutColumns[] = {
    {"PD45_CODICE", "Codice"},
    {"PD45_TITOLO", "Titolo"},
    {"PD45_WIDTH", "Lunghezza"},
    {"PD45_HEIGHT", "Altezza"},
    {"PD45_DISTANZA", "Distanza fra etichette (mm)"},
    {"PD45_INDQTARIP", "Quantità riportata in stampa"},
};
constexpr Column kLineColumns[] = {
    {"PD45_RIGA", "Riga"},
    {"PD45_SEQSTP", "Seq. stampa"},
    {"PD45_CAMPO", "Campo"},
    {"PD45_DATAFIELD", "Campo dati"},
    {"PD45_POSINI", "Pos. iniziale"},
    {"PD45_FLGLBLCAMPO", "Desc."},
};

// The quantity a layout prints (the key of the form's selector) in the words of --printed-qty.
std::string printedQuantityWord(const Value& key) {
  const RegionalSettings& machine = RegionalSettings::english();
  if (key.isNull() || key.isEmpty() || Trim(toText(key, machine)).empty()) return {};
  const int32_t index = toInt32(key, machine);
  if (index < 0 || static_cast<size_t>(index) >= kPrintedQuantities.size()) return toText(key, machine);
  return std::string(kPrintedQuantities[static_cast<size_t>(index)]);
}

// A value as a person reads it: a code without the blanks that pad it to its size, the printed
// quantity in words.
Value readable(std::string_view field, const Value& value) {
  if (value.isNull() || value.isEmpty()) return value;
  if (field == "PD45_CODICE") return Value(std::string(RTrim(toText(value, RegionalSettings::english()))));
  if (field == "PD45_INDQTARIP") return Value(printedQuantityWord(value));
  return value;
}

void printRecordset(data::Recordset& rs, const GlobalOptions& options, const hostkit::MessageCatalogue& texts,
                    std::span<const Column> columns) {
  TabularOutput out(std::cout, options.outputFormat(), options.regional());
  std::vector<std::string> headings;
  for (const Column& column : columns) headings.push_back(texts.screenText(column.heading));
  out.header(headings);
  std::vector<Value> values(columns.size());
  for (std::unique_ptr<data::Recordset> walk = rs.clone(); !walk->eof(); walk->moveNext()) {
    for (size_t i = 0; i < columns.size(); ++i)
      values[i] = readable(columns[i].field, walk->value(columns[i].field));
    out.row(values);
  }
  out.finish();
}

// Replaces the editor's lines with those of a tab-separated file whose first row names the fields.
void loadLines(hostkit::HostSession& session, const std::string& file) {
  std::ifstream in(file);
  if (!in) throw Error(53, "briskal", "Cannot read " + file);
  data::Recordset& lines = *control<hostkit::HeadlessGrid>(parameters(session), "GridSelezione").dataSource();
  std::string line;
  std::getline(in, line);
  std::vector<std::string> fields;
  for (std::istringstream header(line); std::getline(header, line, '\t');)
    fields.push_back(std::string(Trim(line)));
  for (const std::string& field : fields)
    if (lines.fieldIndex(field) < 0)
      throw Error(err::kItemNotFound, "briskal", file + ": unknown field " + field);
  lines.deleteShown();
  int row = 1;
  while (std::getline(in, line)) {
    ++row;
    if (Trim(line).empty()) continue;
    lines.addNew();
    std::istringstream cells(line);
    std::string cell;
    for (size_t i = 0; i < fields.size() && std::getline(cells, cell, '\t'); ++i) {
      try {
        lines.setValue(fields[i], Value(cell));
      } catch (const Error& e) {
        throw Error(e.number(), "briskal", file + ", row " + std::to_string(row) + ": " + e.description());
      }
    }
    lines.update();
  }
  if (lines.recordCount() == 0)
    throw Error(err::kInvalidArgument, "briskal", file + ": the file holds no layout lines");
  lines.moveFirst();
}

int run(const GlobalOptions& options, const std::string& action, const LayoutArgs& args) {
  if (action != "list" && !(action == "check" && args.code == "default")) requireLayoutCode(args.code);
  GlobalOptions asked = options;
  // Replacing or deleting needs a Yes: off a terminal only --yes gives it.
  if ((action == "save" || action == "delete") && !options.yes) asked.no = !isatty(0) || options.no;
  auto session = openSession(asked);
  session->showParameterForm();
  if (action == "list") {
    withSaveForm(*session, [&](hostkit::HeadlessWindow& w) {
      printRecordset(layoutList(w), options, session->catalogue(), kLayoutColumns);
    });
    return exit_code::kOk;
  }
  if (action == "show") {
    if (!selectLayout(*session, args.code)) return exit_code::kFailed;
    auto& c = parameters(*session);
    // The header as the parameter form shows the selected layout, then its lines.
    const std::pair<const char*, std::string> header[] = {
        {"Codice", std::string(RTrim(layoutCodeAsStored(args.code)))},
        {"Titolo", std::string(RTrim(control<hostkit::HeadlessCombo>(c, "CMB_Personal").selectedText()))},
        {"Altezza", control<hostkit::HeadlessTextEdit>(c, "TXT_ALTETIC").text()},
        {"Lunghezza", control<hostkit::HeadlessTextEdit>(c, "TXT_LUNGETIC").text()},
        {"Distanza fra etichette (mm)", control<hostkit::HeadlessTextEdit>(c, "TXT_SALTO").text()},
        {"Quantità riportata in stampa",
         printedQuantityWord(Value(control<hostkit::HeadlessCombo>(c, "CMB_QTARIPORTATA").text()))},
    };
    for (const auto& [heading, value] : header)
      std::cout << session->catalogue().screenText(heading) << '\t' << value << '\n';
    std::cout << '\n';
    printRecordset(*control<hostkit::HeadlessGrid>(c, "GridSelezione").dataSource(), options,
                   session->catalogue(), kLineColumns);
    return exit_code::kOk;
  }
  if (action == "check") {
    if (args.code != "default" && !selectLayout(*session, args.code)) return exit_code::kFailed;
    setSizes(*session, args.sizes);
    session->messages().setPolicy(hostkit::AnswerPolicy::no());
    auto& c = parameters(*session);
    if (!control<hostkit::HeadlessTab>(c, "SSTab1").tabEnabled(1))
      control<hostkit::HeadlessButton>(c, "CMD_ImpostaEtich").click();
    control<hostkit::HeadlessButton>(c, "CMD_Esegui").click();
    for (const auto& shown : session->messages().shown()) {
      if (shown.number != 74594) continue;
      const size_t start = shown.text.find("\r\n");
      const size_t end = shown.text.find("\r\r\n");
      std::cout << shown.text.substr(start + 2, end - start - 2) << '\n';
      return exit_code::kFailed;
    }
    std::cout << "ok\n";
    return exit_code::kOk;
  }
  if (action == "save") {
    if (!args.from.empty()) {
      auto& c = parameters(*session);
      if (!control<hostkit::HeadlessTab>(c, "SSTab1").tabEnabled(1))
        control<hostkit::HeadlessButton>(c, "CMD_ImpostaEtich").click();
      loadLines(*session, args.from);
    }
    setSizes(*session, args.sizes);
    bool stored = false;
    std::string code, title;  // as the form holds them when it saves
    withSaveForm(*session, [&](hostkit::HeadlessWindow& w) {
      auto& s = w.headlessControls();
      control<hostkit::HeadlessTextEdit>(s, "TXT_Codice").type(args.code);
      control<hostkit::HeadlessTextEdit>(s, "TXT_Codice").leave();
      control<hostkit::HeadlessTextEdit>(s, "TXT_Titolo").type(args.title);
      code = control<hostkit::HeadlessTextEdit>(s, "TXT_Codice").text();
      title = control<hostkit::HeadlessTextEdit>(s, "TXT_Titolo").text();
      control<hostkit::HeadlessButton>(s, "CMD_SALVA").click();
      stored = succeeded(w);
    });
    if (!stored) return exit_code::kFailed;
    if (!options.quiet) {
      const int64_t lines =
          control<hostkit::HeadlessGrid>(parameters(*session), "GridSelezione").dataSource()->recordCount();
      std::cerr << "saved layout " << code << " \"" << title << "\" with " << lines
                << (lines == 1 ? " line\n" : " lines\n");
    }
    return exit_code::kOk;
  }
  // delete
  bool gone = false;
  withSaveForm(*session, [&](hostkit::HeadlessWindow& w) {
    data::Recordset& list = layoutList(w);
    const int64_t position = positionOf(list, args.code);
    if (position == 0) {
      std::cerr << "briskal: there is no layout " << args.code << '\n';
      return;
    }
    control<hostkit::HeadlessGrid>(w.headlessControls(), "QGRID_SEL").selectRow(position);
    control<hostkit::HeadlessButton>(w.headlessControls(), "CMD_ELIMINA").click();
    gone = succeeded(w);
  });
  if (gone && !options.quiet) std::cerr << "deleted layout " << RTrim(layoutCodeAsStored(args.code)) << '\n';
  return gone ? exit_code::kOk : exit_code::kFailed;
}

}  // namespace

void addLayoutsCommand(CLI::App& app, GlobalOptions& options, CommandRunner& runner) {
  auto* cmd = app.add_subcommand("layouts", "List, show, save, delete and check text label layouts");
  cmd->require_subcommand(1);
  auto args = std::make_shared<LayoutArgs>();
  auto bind = [&options, &runner, args](CLI::App* sub, const std::string& action) {
    sub->callback([&options, &runner, args, action] {
      runner = [&options, args, action] { return run(options, action, *args); };
    });
  };
  bind(cmd->add_subcommand("list", "The saved layouts: code, title and label size"), "list");
  auto* show = cmd->add_subcommand("show", "A layout's header and lines");
  show->add_option("CODE", args->code, "Layout code")->required();
  bind(show, "show");
  auto* save = cmd->add_subcommand("save", "Save the default layout, or the lines of a file, under a code");
  save->add_option("CODE", args->code, "Layout code (up to 10 characters)")->required();
  save->add_option("--title", args->title, "Title (up to 40 characters)")->required();
  save->add_option("--from", args->from,
                   "Tab-separated lines; the first row names the fields (PD45_RIGA, ...)");
  addSizeOptions(*save, args->sizes, true);
  bind(save, "save");
  auto* remove = cmd->add_subcommand("delete", "Delete a layout");
  remove->add_option("CODE", args->code, "Layout code")->required();
  bind(remove, "delete");
  auto* check =
      cmd->add_subcommand("check", "Check a layout against a label size: prints ok or what does not fit");
  check->add_option("CODE", args->code, "Layout code, or default for the default layout")->required();
  addSizeOptions(*check, args->sizes, false);
  bind(check, "check");
}

}  // namespace briskal::cli
