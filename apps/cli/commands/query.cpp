// briskal query: the order-line SQL text, composed by the component from the selection options.

#include <CLI/CLI.hpp>
#include <iostream>

#include "component_run.h"

namespace briskal::cli {

void addQueryCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run) {
  auto* cmd = app.add_subcommand("query", "Print the SQL text that selects the order lines");
  auto selection = std::make_shared<SelectionOptions>();
  addSelectionOptions(*cmd, *selection);
  cmd->callback([&options, &run, selection] {
    run = [&options, selection] {
      auto session = openSession(options);
      const size_t logged = session->loggedErrors().size();
      session->showParameterForm();
      applySelection(*session, *selection);
      execute(*session);
      if (reportLoggedErrors(*session, logged)) return exit_code::kFailed;
      hostkit::HeadlessWindow* selectionForm = session->window("FRMPD_MODSELEZ");
      if (!selectionForm) return exit_code::kFailed;  // stopped on a question answered No
      std::cout << selectionForm->form().property("StringaRigaOrd").asText() << '\n';
      return exit_code::kOk;
    };
  });
}

}  // namespace briskal::cli
