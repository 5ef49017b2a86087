#include "commands/selection_edits.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <map>

#include "common/convert.h"
#include "common/error.h"
#include "common/routines.h"
#include "common/utf8.h"
#include "component_run.h"
#include "data/recordset.h"
#include "numbers.h"

namespace briskal::cli {
namespace {

using Kind = SelectionEdit::Kind;

// CMB_OPERAT's items, and CMB_TIPOPAR's key of "Globale", the parameter type of every row.
constexpr std::string_view kOperators[] = {">", "<", "<>", "=", ">=", "<="};
constexpr int32_t kEveryRow = 99;
// The selection form's refusals of a typed value: "Inserire un valore numerico" and "Inserire
// quantità per etichetta". Its other messages ("no rows match") let the run go on.
constexpr int32_t kRefusals[] = {33812, 64773};

[[noreturn]] void fail(const std::string& message) { throw Error(err::kInvalidArgument, "briskal", message); }

std::string trimmed(std::string_view text) { return std::string(Trim(text)); }

// "PARAMETER OP VALUE": the operator is the first run of <, > and =, and must be one of the list.
void parseCondition(SelectionEdit& edit, std::string_view text) {
  const size_t at = text.find_first_of("<>=");
  if (at == std::string_view::npos)
    fail(edit.given + ": write 'PARAMETER OP VALUE', OP one of > < <> = >= <=");
  const size_t end = std::min(text.find_first_not_of("<>=", at), text.size());
  edit.op = std::string(text.substr(at, end - at));
  if (std::find(std::begin(kOperators), std::end(kOperators), edit.op) == std::end(kOperators))
    fail(edit.given + ": unknown operator '" + edit.op + "'; the operators are > < <> = >= <=");
  edit.parameter = trimmed(text.substr(0, at));
  if (edit.parameter.empty()) fail(edit.given + ": no parameter before the operator " + edit.op);
  edit.value = trimmed(text.substr(end));
}

// A condition, or with `everyRow` also "all".
void parseTarget(SelectionEdit& edit, std::string_view text, bool everyRow) {
  if (everyRow && utf8::equalsNoCase(Trim(text), "all")) return;
  parseCondition(edit, text);
}

int64_t parseRowId(const SelectionEdit& edit, std::string_view text) {
  const std::string_view id = Trim(text);
  int64_t row = 0;
  const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), row);
  if (id.empty() || error != std::errc() || end != id.data() + id.size() || row < 0)
    fail(edit.given + ": unknown row ID '" + std::string(id) + "'; an ID is a row's IDGRIGLIA, a number");
  return row;
}

// A label's quantity as the form's fields hold it: above zero, three decimals, eleven digits.
void requireQuantity(const SelectionEdit& edit) {
  const std::string error = decimalNumberError(edit.quantity, "0.001", "99999999999.999", 3);
  if (!error.empty()) fail(edit.given + ": " + error);
}

SelectionEdit parseEdit(const std::string& option, const std::string& value) {
  SelectionEdit edit;
  edit.given = option + " '" + value + "'";
  if (option == "--cancel") {
    edit.action = 1;
    parseCondition(edit, value);
  } else if (option == "--restore") {
    edit.action = 3;
    parseTarget(edit, value, true);
  } else if (option == "--quantity") {
    edit.action = 2;
    const size_t colon = value.find(':');
    if (colon == std::string::npos || Trim(std::string_view(value).substr(0, colon)).empty())
      fail(edit.given + ": write 'Q:PARAMETER OP VALUE' or 'Q:all', Q the new quantity per label");
    edit.quantity = trimmed(std::string_view(value).substr(0, colon));
    requireQuantity(edit);
    parseTarget(edit, std::string_view(value).substr(colon + 1), true);
  } else if (option == "--toggle") {
    edit.kind = Kind::Toggle;
    edit.row = parseRowId(edit, value);
  } else {
    edit.kind = Kind::LabelQuantity;
    const size_t eq = value.find('=');
    if (eq == std::string::npos) fail(edit.given + ": write 'ID=Q', Q the label's quantity");
    edit.row = parseRowId(edit, std::string_view(value).substr(0, eq));
    edit.quantity = trimmed(std::string_view(value).substr(eq + 1));
    requireQuantity(edit);
  }
  return edit;
}

// Applies the edits on one selection form, each as a person makes it, stopping at the first the
// form refuses.
class FormEditor {
 public:
  FormEditor(hostkit::HostSession& session, hostkit::HeadlessWindow& form)
      : session_(session), controls_(form.headlessControls()), rs_(session.global().regionalSettings()) {}

  void apply(const SelectionEdit& edit) {
    const size_t shown = session_.messages().shown().size();
    const size_t logged = session_.loggedErrors().size();
    if (edit.kind == Kind::Batch) confirm(edit);
    else if (edit.kind == Kind::Toggle) toggle(edit);
    else typeLabelQuantity(edit);
    if (reportLoggedErrors(session_, logged)) fail(edit.given + ": the selection form failed");
    const std::vector<hostkit::ShownMessage>& messages = session_.messages().shown();
    for (size_t i = shown; i < messages.size(); ++i)
      if (std::find(std::begin(kRefusals), std::end(kRefusals), messages[i].number) != std::end(kRefusals))
        fail(edit.given + ": the selection form refused the value");
  }

 private:
  template <typename T>
  T& find(std::string_view name) {
    return control<T>(controls_, name);
  }

  // The editing frame: action, parameter type, operator, value and new quantity, then "&Conferma".
  void confirm(const SelectionEdit& edit) {
    find<hostkit::HeadlessCombo>("CMB_TIPOATT").choose(edit.action);
    auto& types = find<hostkit::HeadlessCombo>("CMB_TIPOPAR");
    if (edit.parameter.empty()) {
      types.choose(kEveryRow);
    } else {
      types.choose(parameterKey(edit, types));
      require(edit, find<hostkit::HeadlessCombo>("CMB_OPERAT").chooseText(edit.op), "the operator");
      auto& parameter = find<hostkit::HeadlessTextEdit>("TXT_PARAM");
      require(edit, parameter.type(edit.value), "the parameter's value");
      // Leaving the box checks it; a refusal keeps the focus there and the button unpressed.
      if (parameter.leave()) fail(edit.given + ": the selection form refused the value");
      requireTaken(edit, parameter, edit.value);
    }
    if (edit.action == 2) {
      auto& quantity = find<hostkit::HeadlessTextEdit>("TXT_NEWQTASUETIC");
      const std::string typed = typedAs(edit.quantity, rs_);
      require(edit, quantity.type(typed), "a new quantity");
      requireTaken(edit, quantity, typed);
    }
    require(edit, find<hostkit::HeadlessButton>("CmdConf").click(), "its button &Conferma");
  }

  // The key of the parameter type whose caption the list shows as `edit.parameter`, in any case.
  static int32_t parameterKey(const SelectionEdit& edit, const hostkit::HeadlessCombo& types) {
    std::string known;
    bool everyRow = false;
    for (const hostkit::ComboItem& item : types.items()) {
      everyRow = everyRow || item.key == kEveryRow;
      if (item.key == kEveryRow) continue;  // written "all"
      if (utf8::equalsNoCase(item.text, edit.parameter)) return item.key;
      known += (known.empty() ? "" : ", ") + item.text;
    }
    fail(edit.given + ": unknown parameter '" + edit.parameter + "'; the parameters are: " + known +
         (everyRow ? "; or all, for every row" : ""));
  }

  void toggle(const SelectionEdit& edit) {
    require(edit, selectRow(edit).doubleClickCell("SELEZIONE"), "its grid");
  }

  void typeLabelQuantity(const SelectionEdit& edit) {
    selectRow(edit);
    auto& quantity = find<hostkit::HeadlessTextEdit>("TXT_QTASUETIC");
    const std::string typed = typedAs(edit.quantity, rs_);
    require(edit, quantity.type(typed), "the label's quantity");
    requireTaken(edit, quantity, typed);
  }

  // Clicks the row whose IDGRIGLIA is `edit.row` in the grid.
  hostkit::HeadlessGrid& selectRow(const SelectionEdit& edit) {
    auto& grid = find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1");
    data::Recordset* rows = grid.dataSource();
    if (!rows) fail(edit.given + ": the selection form shows no rows");
    int64_t position = 1;
    for (std::unique_ptr<data::Recordset> walk = rows->clone(); !walk->eof(); walk->moveNext(), ++position) {
      const Value id = walk->value("IDGRIGLIA");
      if (id.isNull() || toInt64(id, rs_) != edit.row) continue;
      require(edit, grid.selectRow(position), "its grid");
      return grid;
    }
    fail(edit.given + ": there is no row with IDGRIGLIA " + std::to_string(edit.row));
  }

  static void require(const SelectionEdit& edit, bool done, const std::string& what) {
    if (!done) fail(edit.given + ": the selection form does not take " + what + " now");
  }

  // A box that keeps less than was typed (digits only, a shorter field) would act on another value.
  static void requireTaken(const SelectionEdit& edit, const hostkit::HeadlessTextEdit& box,
                           const std::string& typed) {
    if (!utf8::equalsNoCase(box.text(), typed))
      fail(edit.given + ": the selection form takes '" + typed + "' as '" + box.text() + "'");
  }

  hostkit::HostSession& session_;
  hostkit::HeadlessControlHost& controls_;
  const RegionalSettings& rs_;
};

}  // namespace

void SelectionEditOptions::addTo(CLI::App& command) {
  command_ = &command;
  const std::string group = "Selection editing, applied in the order given";
  const auto add = [&](const std::string& name, const std::string& type, const std::string& help) {
    CLI::Option* option = command.add_option(name, CLI::callback_t{}, help)
                              ->type_name(type)
                              ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                              ->group(group);
    options_.push_back(option);
  };
  add("--cancel", "'PARAMETER OP VALUE'",
      "Take the order lines that match out of the print. PARAMETER: a parameter type as the selection "
      "form lists it, in any case (Numero ordine, Num. riga d'ordine, Deposito, Codice articolo, "
      "Quantita' in ordine, Progetto, Sottoprogetto, Commessa); OP: > < <> = >= <=");
  add("--restore", "'PARAMETER OP VALUE'|all", "Put the order lines that match, or all, back in the print");
  add("--quantity", "'Q:PARAMETER OP VALUE'|'Q:all'",
      "Give the selected rows of the order lines that match, or all selected rows, Q per label");
  add("--toggle", "ID",
      "Double-click the Sel. cell of the row whose IDGRIGLIA is ID (a master row: its whole line)");
  add("--label-quantity", "'ID=Q'",
      "Type Q as the label quantity of the row ID; its weights and volumes follow");
}

std::vector<SelectionEdit> SelectionEditOptions::given() const {
  std::vector<SelectionEdit> edits;
  if (!command_) return edits;
  // The command records every value it parsed, option by option, in the order given.
  std::map<const CLI::Option*, size_t> taken;
  for (const CLI::Option* option : command_->parse_order()) {
    if (std::find(options_.begin(), options_.end(), option) == options_.end()) continue;
    const std::string& value = option->results().at(taken[option]++);
    edits.push_back(parseEdit(option->get_name(), value));
  }
  return edits;
}

void applySelectionEdits(hostkit::HostSession& session, hostkit::HeadlessWindow& form,
                         const std::vector<SelectionEdit>& edits) {
  FormEditor editor(session, form);
  for (const SelectionEdit& edit : edits) editor.apply(edit);
}

}  // namespace briskal::cli
