#pragma once
// The host framework services the component calls: what is passed and what the caller relies on.
// Their inner working is the host's; hostkit/ has the stand-in implementations.

#include <memory>
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
}

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

// Code decoding and search lists for the filter fields.
class LookupDecode {
 public:
  virtual ~LookupDecode() = default;
  virtual void setHost(Cinterface* host) = 0;
};

// Document lookup of order headers and lines.
class DocumentLookup {
 public:
  virtual ~DocumentLookup() = default;
  virtual void setHost(Cinterface* host) = 0;
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
};

}  // namespace briskal::host
