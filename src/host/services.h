#pragma once
// The host framework services the component calls: what is passed and what the caller relies on.
// Their inner working is the host's; hostkit/ has the stand-in implementations.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "common/regional.h"
#include "common/value.h"
#include "data/provider_error.h"
#include "host/host_objects.h"

namespace briskal::data {
class Connection;
class Recordset;
}  // namespace briskal::data

namespace briskal::host {

class Cinterface;
class HostForm;

// Message boxes and texts by number. Buttons and answers follow the platform's numbering:
// flags 64 information, 48 exclamation, 36 Yes/No with question; answers 1 OK ... 6 Yes, 7 No.
class MessageService {
 public:
  virtual ~MessageService() = default;
  // Shows `text` as it is.
  virtual int textBox(const std::string& text, int32_t buttons, const std::string& title) = 0;
  // Shows the host's own text for `number` in the user's language, "%1"... replaced by `parameters`.
  virtual int numberedBox(int32_t number, int32_t buttons, const std::string& title,
                          const std::vector<Value>& parameters) = 0;
  // The text of `number`; `defaultText`, the caller's own text for it, tells apart the captions
  // that share a number with another text.
  virtual std::string text(int32_t number, const std::vector<Value>& parameters,
                           std::string_view defaultText) = 0;
  // Tells what just happened where the host shows its status, asking nothing.
  virtual void showStatus(const std::string& text) = 0;
};

// What the component falls back to when it has no host interface reference.
class TranslationService {
 public:
  virtual ~TranslationService() = default;
  virtual int KVXMsgBox(const std::string& message, int32_t buttons, const std::string& title) = 0;
};

// One per form: records and shows the errors the form's procedures trap.
class LogService {
 public:
  virtual ~LogService() = default;
  virtual void setError(const Error& error) = 0;
  virtual void setErrors(const std::vector<data::ProviderError>& errors) = 0;
  virtual void write(const std::string& code, const std::string& component, const std::string& procedure) = 0;
  virtual int showError(const std::string& applicationTitle, const std::string& caption,
                        const std::string& procedure, int32_t buttons, int32_t& extra) = 0;
};

// Returns new, closed connections that a form opens itself.
class ConnectionFactory {
 public:
  virtual ~ConnectionFactory() = default;
  virtual std::unique_ptr<data::Connection> newConnection() = 0;
};

// The host's script object model and form registry.
class ScriptModel {
 public:
  virtual ~ScriptModel() = default;
  virtual std::shared_ptr<HostObject> addObject(const std::string& name, std::shared_ptr<HostForm>& form,
                                                int32_t flags, const std::string& caption) = 0;
  virtual void formState(const std::string& formName, int32_t flags, bool open, const Value& name) = 0;
  // Read by the forms when they are about to close, and taken as their Cancel.
  virtual Value cancelValue() = 0;
  // The host connection whose provider errors are reported with a form's errors; may be null.
  virtual data::Connection* connection() = 0;
};

// The host's layout object model: registering a form may hand back a different form object.
class LayoutModel {
 public:
  virtual ~LayoutModel() = default;
  virtual void registerForm(const std::string& caption, std::shared_ptr<HostForm>& form, int32_t a, int32_t b,
                            bool current) = 0;
};

class NavigatorListener {
 public:
  virtual ~NavigatorListener() = default;
  virtual void BeforeChangeDitta(bool& cancel) = 0;
  virtual void InitializeLayoutObjectModel(bool& cancel, LayoutModel& layout) = 0;
  virtual void InitializeScriptObjectModel(bool& cancel, ScriptModel& script) = 0;
};

class Navigator {
 public:
  virtual ~Navigator() = default;
  virtual void addListener(NavigatorListener* listener) = 0;
  virtual void removeListener(NavigatorListener* listener) = 0;
  virtual void update() = 0;
  virtual void setStatus(const Value& status) = 0;
  // The form registry; may be null.
  virtual std::shared_ptr<ScriptModel> formRegistry() = 0;
};

// The kinds of code the code-decoding component knows. Each is decoded from its code and
// companions, always in the order given here; a search list is restricted by the parents given
// here, a blank parent restricting nothing.
enum class CodeKind {
  DocumentSection,   // list only
  Depot,             // decode (code)
  Department,        // decode (code); list
  Project,           // decode (project, sub-project: blank for the project itself); list (sub-project)
  SubProject,        // decode (project, sub-project); list (project)
  Node,              // list (project); decoded by the node-decoding object
  Job,               // decode (job, sub-job: 0 for the job itself); list
  SubJob,            // list (job)
  Family,            // decode (code); list
  SubFamily,         // decode (code, family); list (family)
  Group,             // decode (code, family, sub-family); list (family, sub-family)
  SubGroup,          // decode (code, family, sub-family, group); list (family, sub-family, group)
  StatisticalGroup,  // decode (grouping 1 to 4, code); list (grouping)
  Customer,          // decode (customer/supplier kind, 0 for customers, code); list
};

// Code decoding and search lists for the filter fields, over the company's own tables. A code
// that does not exist, or one with a companion of the wrong kind, is unknown: never an error.
class LookupDecode {
 public:
  virtual ~LookupDecode() = default;
  virtual void setHost(Cinterface* host) = 0;
  virtual bool exists(CodeKind kind, const std::vector<Value>& key) = 0;
  // The code's description; Empty when the code is unknown.
  virtual Value description(CodeKind kind, const std::vector<Value>& key) = 0;
  // Shows the search list of `kind` under `parents`, titled `title`; the code the user picked, or
  // nullopt when the list was closed without a choice.
  virtual std::optional<std::string> search(CodeKind kind, const std::vector<Value>& parents,
                                            const std::string& title) = 0;
};

// Decoding of the nodes of a project's structure.
class NodeDecode {
 public:
  virtual ~NodeDecode() = default;
  virtual void setHost(Cinterface* host) = 0;
  virtual bool exists(const Value& project, const Value& node) = 0;
  virtual Value description(const Value& project, const Value& node) = 0;
};

struct DocumentLookupRequest {
  std::string title;
  int32_t documentType = 0;  // the kind of document offered at first; 0 for none
  int32_t subKind = 0;
  bool pickLine = false;  // the user goes on to pick one of the document's lines
};

// Document lookup of the company's order headers and lines. For each kind of document it is about
// to offer it raises the add-node event (type, sub-kind, code, select, cancel): `select` starts
// true for the kind asked for, and `cancel` leaves the kind out. When the user confirms a document
// it raises the selection event (cancel, lines, headers) with the headers offered and the chosen
// document's lines, each on the row the user chose.
class DocumentLookup {
 public:
  using AddNodeHandler = std::function<void(const Value& type, const Value& subKind, const Value& code,
                                            bool& select, bool& cancel)>;
  using SelectionHandler =
      std::function<void(bool& cancel, data::Recordset& lines, data::Recordset& headers)>;

  virtual ~DocumentLookup() = default;
  virtual void setHost(Cinterface* host) = 0;
  virtual void onAddNode(AddNodeHandler handler) = 0;
  virtual void onSelection(SelectionHandler handler) = 0;
  // True when the user confirmed a choice that the selection event did not cancel.
  virtual bool show(const DocumentLookupRequest& request) = 0;
};

// The host's global context, read through Cinterface::ClsGlobal.
class GlobalContext {
 public:
  virtual ~GlobalContext() = default;
  virtual std::string connectionString() const = 0;
  virtual Value company() const = 0;
  virtual Value companySecondAttribute() const = 0;
  virtual Value companyName() const = 0;
  virtual std::string userCode() const = 0;
  virtual std::string userGroupCode() const = 0;
  virtual std::string applicationTitle() const = 0;
  virtual const RegionalSettings& regionalSettings() const = 0;
  virtual MessageService& messages() = 0;
  virtual ConnectionFactory& connectionFactory() = 0;
  // The global instance of the script service, whose connection errors go with a form's errors.
  virtual ScriptModel* globalScriptService() = 0;
  virtual Value status() const = 0;
  // A print run of more labels than this asks the operator first; 0 never asks.
  virtual int64_t labelsToConfirm() const = 0;
};

}  // namespace briskal::host
