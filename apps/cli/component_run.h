#pragma once
// What the commands that run the component share: a host session built from the global options,
// and the selection options set on the parameter form's controls as a person would set them.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "hostkit/session/host_session.h"
#include "options.h"

namespace CLI {
class App;
}

namespace briskal::data {
class Connection;
class Recordset;
}  // namespace briskal::data

namespace briskal::cli {

struct SelectionOptions {
  int orderType = 24;
  bool settled = false;
  bool noResidual = false;
  int um = 1;
  std::vector<std::string> where;  // "CAPTION=FROM..TO" or "CAPTION=VALUE"
};

struct LabelOptions {
  std::string basis = "unit";          // unit | package | custom
  std::string labels;                  // labels per order line for the custom basis
  std::string reference = "residual";  // residual | delivered
  std::string label = "standard";      // standard | custom
};

void addSelectionOptions(CLI::App& command, SelectionOptions& selection);
void addOrderTypeOption(CLI::App& command, int& orderType);
void addWhereOption(CLI::App& command, std::vector<std::string>& where);
void addLabelOptions(CLI::App& command, LabelOptions& labels);

// A control of a form that must be there: a clear error when it is not.
template <typename T>
T& control(hostkit::HeadlessControlHost& controls, std::string_view name) {
  T* found = controls.find<T>(name);
  if (!found) throw Error(err::kIllegalOperation, "briskal", "The form has no control " + std::string(name));
  return *found;
}

// Refuses, with one sentence that says what to do, a database that is not there (nothing is
// created), a file that is no database, and with `componentTables` one without the work-order
// tables and views.
void requireDatabase(const std::string& connectionString, bool componentTables);
// Opens `connection` on the database of the options, refused as requireDatabase does.
void openDatabase(data::Connection& connection, const GlobalOptions& options);

std::unique_ptr<hostkit::HostSession> openSession(
    const GlobalOptions& options, const std::function<void(hostkit::SessionOptions&)>& adjust = {});

// The errors the component logged in `session` after the first `from` of them, written to
// standard error; true when there were any.
bool reportLoggedErrors(const hostkit::HostSession& session, size_t from);
// Where the component logs: briskal.log in a folder of the temporary folder, shared by every run.
std::filesystem::path logFile();

// Selects the saved layout `code` in the parameter form's selector, looking its position up in
// the save form's list; false (with a message) when there is none.
bool selectLayout(hostkit::HostSession& session, const std::string& code);
// Opens the layout tab, then the save form, runs `use` on it and closes it with Escape.
void withSaveForm(hostkit::HostSession& session, const std::function<void(hostkit::HeadlessWindow&)>& use);
data::Recordset& layoutList(hostkit::HeadlessWindow& saveForm);
// Refuses a layout code the layout table cannot hold (over 10 characters, control characters,
// nothing but blanks), before anything is looked up or changed: a longer code cut to 10 would
// name another layout.
void requireLayoutCode(const std::string& code);
// A layout code as the save form stores what was typed: in capitals, blank-padded to 10.
std::string layoutCodeAsStored(const std::string& code);
// The position of `code`, typed in any case, in the layout list (1 for the first layout), 0 when
// it is not there.
int64_t positionOf(data::Recordset& list, const std::string& code);

struct LabelSizes {
  std::string height, width, distance, printedQty;
};
// The words of --printed-qty, by the key of the quantity a layout prints (CMB_QTARIPORTATA).
inline constexpr std::array<std::string_view, 3> kPrintedQuantities = {"ordered", "residual", "delivered"};
void addSizeOptions(CLI::App& command, LabelSizes& sizes, bool all);
void setSizes(hostkit::HostSession& session, const LabelSizes& sizes);

// Sets the order type, the check boxes and the filter rows on the parameter form.
void applySelection(hostkit::HostSession& session, const SelectionOptions& selection);
void applyOrderType(hostkit::HostSession& session, int orderType);
// Enters the rows of --where ("CAPTION=FROM..TO" or "CAPTION=VALUE") in the parameter form's filter.
void applyFilterRows(hostkit::HostSession& session, const std::vector<std::string>& where);
hostkit::HeadlessQueryFilter& filterControl(hostkit::HostSession& session);
// A usage error, starting with `context` and listing the fields, for a caption the filter does not offer.
void requireFilterField(hostkit::HeadlessQueryFilter& filter, const std::string& caption,
                        const std::string& context);

void applyLabelOptions(hostkit::HostSession& session, const LabelOptions& labels);

// Presses "&Avanti" and, for standard labels, "&Esegui" on the layout tab that it opened.
void execute(hostkit::HostSession& session);

}  // namespace briskal::cli
