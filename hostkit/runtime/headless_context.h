#pragma once
// The stand-in host's context objects: the global context, the connection factory, the navigator
// with its form registry, and the layout and script models as simple registries.

#include <memory>
#include <string>
#include <vector>

#include "host/services.h"

namespace briskal::hostkit {

// New connections tell the person at work, in a box of `messages` (borrowed), where text read
// through them had to be repaired.
class PlainConnectionFactory final : public host::ConnectionFactory {
 public:
  explicit PlainConnectionFactory(host::MessageService& messages) : messages_(messages) {}
  std::unique_ptr<data::Connection> newConnection() override;

 private:
  host::MessageService& messages_;
};

// Records what the component registers and answers the cancel value a test sets.
class RegistryScriptModel final : public host::ScriptModel {
 public:
  struct FormState {
    std::string form;
    bool open;
  };

  std::shared_ptr<host::HostObject> addObject(const std::string& name, std::shared_ptr<host::HostForm>& form,
                                              int32_t flags, const std::string& caption) override;
  void formState(const std::string& formName, int32_t flags, bool open, const Value& name) override;
  Value cancelValue() override { return cancel_; }
  data::Connection* connection() override { return connection_; }

  void setCancelValue(const Value& cancel) { cancel_ = cancel; }
  void setConnection(data::Connection* connection) { connection_ = connection; }
  const std::vector<std::string>& addedObjects() const { return added_; }
  const std::vector<FormState>& formStates() const { return states_; }
  std::shared_ptr<host::HostForm> lastAddedForm() const { return lastForm_.lock(); }

 private:
  std::vector<std::string> added_;
  std::vector<FormState> states_;
  std::weak_ptr<host::HostForm> lastForm_;
  Value cancel_;
  data::Connection* connection_ = nullptr;
};

class RegistryLayoutModel final : public host::LayoutModel {
 public:
  struct Registration {
    std::string caption;
    bool current;
  };
  void registerForm(const std::string& caption, std::shared_ptr<host::HostForm>& form, int32_t a, int32_t b,
                    bool current) override;
  const std::vector<Registration>& registrations() const { return registrations_; }

 private:
  std::vector<Registration> registrations_;
};

class HeadlessNavigator final : public host::Navigator {
 public:
  HeadlessNavigator();
  void addListener(host::NavigatorListener* listener) override;
  void removeListener(host::NavigatorListener* listener) override;
  void update() override { ++updates_; }
  void setStatus(const Value& status) override { status_ = status; }
  std::shared_ptr<host::ScriptModel> formRegistry() override { return registry_; }

  // What the host does: announce a company change (true when a listener cancelled it) and ask
  // for the layout and script object models.
  bool changeCompany();
  void initializeLayoutObjectModel(host::LayoutModel& layout);
  void initializeScriptObjectModel(host::ScriptModel& script);

  RegistryScriptModel& registry() { return *registry_; }
  int updates() const { return updates_; }
  const Value& status() const { return status_; }
  size_t listenerCount() const { return listeners_.size(); }

 private:
  std::vector<host::NavigatorListener*> listeners_;
  std::shared_ptr<RegistryScriptModel> registry_;
  int updates_ = 0;
  Value status_;
};

class HeadlessFrame final : public host::HostFrame {
 public:
  explicit HeadlessFrame(Value status) : status_(std::move(status)) {}
  Value status() const override { return status_; }

 private:
  Value status_;
};

struct GlobalSettings {
  std::string connectionString = "Data Source=briskal.db";
  Value company = Value(int32_t{1});
  Value companySecondAttribute = Value(int32_t{0});
  Value companyName = Value::null();  // a session reads it from the company table
  std::string userCode = "admin";
  std::string userGroupCode = "admins";
  std::string applicationTitle = "briskal";
  RegionalSettings regional = RegionalSettings::italian();
  int64_t confirmLabelsAbove = 0;  // 0: runs never ask
};

// The name of `company` in the company table of the database `connectionString` opens. Throws
// briskal::Error saying what is wrong when the table cannot be read or holds no such company.
Value readCompanyName(const std::string& connectionString, const Value& company, const RegionalSettings& rs);

class HeadlessGlobalContext final : public host::GlobalContext {
 public:
  // `messages` is borrowed.
  HeadlessGlobalContext(GlobalSettings settings, host::MessageService& messages);

  std::string connectionString() const override { return settings_.connectionString; }
  Value company() const override { return settings_.company; }
  Value companySecondAttribute() const override { return settings_.companySecondAttribute; }
  Value companyName() const override { return settings_.companyName; }
  std::string userCode() const override { return settings_.userCode; }
  std::string userGroupCode() const override { return settings_.userGroupCode; }
  std::string applicationTitle() const override { return settings_.applicationTitle; }
  const RegionalSettings& regionalSettings() const override { return settings_.regional; }
  host::MessageService& messages() override { return messages_; }
  host::ConnectionFactory& connectionFactory() override { return connections_; }
  host::ScriptModel* globalScriptService() override { return &globalScript_; }
  Value status() const override { return Value(); }
  int64_t labelsToConfirm() const override { return settings_.confirmLabelsAbove; }

  RegistryScriptModel& globalScript() { return globalScript_; }

 private:
  GlobalSettings settings_;
  host::MessageService& messages_;
  PlainConnectionFactory connections_{messages_};
  RegistryScriptModel globalScript_;
};

}  // namespace briskal::hostkit
