#include "component/child_forms.h"

#include "labelrows/frmpd_modselez.h"
#include "layouts/frmpd_salvapers.h"

namespace briskal::component {

namespace {

std::shared_ptr<host::ComponentForm> selectionForm(host::HostRuntime& runtime,
                                                   const params::SelectionFormInputs& in) {
  auto form = std::make_shared<labelrows::FRMPD_MODSELEZ>(runtime);
  form->setConnectionAdo(in.connection);
  form->setConnectionString(in.connectionString);
  form->setLogObject(in.log);
  form->setHostInterface(in.hostInterface);
  form->setStringaRigaOrd(in.orderLineQuery);
  form->setRsetSelezione(in.layoutRows);
  form->setCallingForm(in.caller);
  form->onCloseFormModSelez(in.onClose);
  return form;
}

params::SaveFormOutcome runSaveForm(host::HostRuntime& runtime, const params::SaveFormInputs& in) {
  layouts::FRMPD_SALVAPERS form(runtime);
  form.setHostInterface(in.hostInterface);
  form.setLogObject(in.log);
  form.setConnection(in.connection);
  form.setLayoutList(in.layoutList);
  form.setLayoutLines(in.layoutLines);
  form.setLayoutTable(in.layoutTable);
  form.setCallingForm(in.caller);
  form.show(true);
  form.unloadForm();
  return {form.saved(), form.savedCode()};
}

}  // namespace

params::ChildForms childForms() { return {selectionForm, runSaveForm}; }

}  // namespace briskal::component
