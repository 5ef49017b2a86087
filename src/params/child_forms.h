#pragma once
// The two forms the parameter form opens: the selection form and the save form. The component
// makes them; the parameter form knows what it hands each of them and what it reads back, never
// their classes.

#include <functional>
#include <memory>
#include <string>

namespace briskal::data {
class Connection;
class Recordset;
}  // namespace briskal::data

namespace briskal::host {
class Cinterface;
class ComponentForm;
class HostRuntime;
class LogService;
}  // namespace briskal::host

namespace briskal::labelrows {
class LabelRowSource;
}

namespace briskal::layouts {
class LayoutEditor;
}

namespace briskal::params {

// All borrowed from the parameter form, which outlives the forms it opens.
struct SelectionFormInputs {
  data::Connection* connection = nullptr;
  std::string connectionString;
  std::shared_ptr<host::LogService> log;
  host::Cinterface* hostInterface = nullptr;
  std::string orderLineQuery;
  data::Recordset* layoutRows = nullptr;
  labelrows::LabelRowSource* caller = nullptr;
  // The selection form's close event.
  std::function<void()> onClose;
};

struct SaveFormInputs {
  std::shared_ptr<host::LogService> log;
  host::Cinterface* hostInterface = nullptr;
  data::Connection* connection = nullptr;
  data::Recordset* layoutList = nullptr;
  data::Recordset* layoutLines = nullptr;
  data::Recordset* layoutTable = nullptr;
  layouts::LayoutEditor* caller = nullptr;
};

// What the save form did before it closed: the code of the layout it saved, empty after a delete.
struct SaveFormOutcome {
  bool saved = false;
  std::string savedCode;
};

struct ChildForms {
  // A selection form with its inputs set, not yet shown.
  std::function<std::shared_ptr<host::ComponentForm>(host::HostRuntime&, const SelectionFormInputs&)>
      selectionForm;
  // Shows the save form modally and unloads it once closed.
  std::function<SaveFormOutcome(host::HostRuntime&, const SaveFormInputs&)> runSaveForm;
};

}  // namespace briskal::params
