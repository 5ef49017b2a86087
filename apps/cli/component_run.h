#pragma once
// What the commands that run the component share: a host session built from the global options,
// and the selection options set on the parameter form's controls as a person would set them.

#include <memory>
#include <string>
#include <vector>

#include "hostkit/session/host_session.h"
#include "options.h"

namespace CLI {
class App;
}

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
void addLabelOptions(CLI::App& command, LabelOptions& labels);

std::unique_ptr<hostkit::HostSession> openSession(const GlobalOptions& options);

// Sets the order type, the check boxes and the filter rows on the parameter form.
void applySelection(hostkit::HostSession& session, const SelectionOptions& selection);

void applyLabelOptions(hostkit::HostSession& session, const LabelOptions& labels);

// Presses "&Avanti" and, for standard labels, "&Esegui" on the layout tab that it opened.
void execute(hostkit::HostSession& session);

}  // namespace briskal::cli
