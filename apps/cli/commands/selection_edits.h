#pragma once
// The options of `rows` and `print` that edit the selection before the output: --cancel,
// --restore, --quantity, --toggle and --label-quantity. They are applied in the order given, each
// through the selection form's own controls, as a person edits the selection.

#include <cstdint>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace briskal::hostkit {
class HostSession;
class HeadlessWindow;
}  // namespace briskal::hostkit

namespace briskal::cli {

// One editing option as given, its value parsed.
struct SelectionEdit {
  enum class Kind { Batch, Toggle, LabelQuantity };
  Kind kind = Kind::Batch;
  std::string given;      // the option and its value, for messages: --cancel 'Deposito = 01'
  int action = 0;         // Batch: CMB_TIPOATT's key, 1 cancel, 2 change quantity, 3 restore
  std::string parameter;  // Batch: a parameter type's caption; empty for every row
  std::string op;         // Batch: one of > < <> = >= <=
  std::string value;      // Batch: the parameter's value
  std::string quantity;   // Batch action 2: the new quantity; LabelQuantity: the label's quantity
  int64_t row = 0;        // Toggle, LabelQuantity: the row's IDGRIGLIA
};

// The editing options of one command; the order they were given in is read back from the parsed
// command.
class SelectionEditOptions {
 public:
  void addTo(CLI::App& command);
  // The edits in the order given, once the command is parsed. Throws briskal::Error for a value
  // of the wrong shape (no known operator, no quantity, an ID that is no number).
  std::vector<SelectionEdit> given() const;

 private:
  const CLI::App* command_ = nullptr;
  std::vector<const CLI::Option*> options_;
};

// Applies `edits` in order on the selection form `form` of `session`. The form's messages go to
// standard error as it shows them; one that refuses a value, an unknown parameter type or row, or
// an error the component logged stops the run: briskal::Error. "No rows match" lets it go on.
void applySelectionEdits(hostkit::HostSession& session, hostkit::HeadlessWindow& form,
                         const std::vector<SelectionEdit>& edits);

}  // namespace briskal::cli
