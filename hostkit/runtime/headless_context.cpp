#include "hostkit/runtime/headless_context.h"

#include <algorithm>

#include "common/convert.h"
#include "common/error.h"
#include "data/connection.h"
#include "host/message_box.h"
#include "host/runtime.h"

namespace briskal::hostkit {

std::unique_ptr<data::Connection> PlainConnectionFactory::newConnection() {
  auto connection = std::make_unique<data::Connection>();
  connection->setWarningHandler([&messages = messages_](const std::string& text) {
    messages.textBox("Warning: " + text, host::msg::kOkOnly | host::msg::kExclamation, "briskal");
  });
  return connection;
}

std::shared_ptr<host::HostObject> RegistryScriptModel::addObject(const std::string& name,
                                                                 std::shared_ptr<host::HostForm>& form,
                                                                 int32_t, const std::string&) {
  added_.push_back(name);
  lastForm_ = form;
  return nullptr;
}

void RegistryScriptModel::formState(const std::string& formName, int32_t, bool open, const Value&) {
  states_.push_back({formName, open});
}

void RegistryLayoutModel::registerForm(const std::string& caption, std::shared_ptr<host::HostForm>&, int32_t,
                                       int32_t, bool current) {
  registrations_.push_back({caption, current});
}

HeadlessNavigator::HeadlessNavigator() : registry_(std::make_shared<RegistryScriptModel>()) {}

void HeadlessNavigator::addListener(host::NavigatorListener* listener) { listeners_.push_back(listener); }

void HeadlessNavigator::removeListener(host::NavigatorListener* listener) {
  std::erase(listeners_, listener);
}

// By index, not by iterator: a listener may leave the list while it is told.
bool HeadlessNavigator::changeCompany() {
  bool cancel = false;
  for (size_t i = 0; i < listeners_.size(); ++i) listeners_[i]->BeforeChangeDitta(cancel);
  return cancel;
}

void HeadlessNavigator::initializeLayoutObjectModel(host::LayoutModel& layout) {
  bool cancel = false;
  for (size_t i = 0; i < listeners_.size(); ++i) listeners_[i]->InitializeLayoutObjectModel(cancel, layout);
}

void HeadlessNavigator::initializeScriptObjectModel(host::ScriptModel& script) {
  bool cancel = false;
  for (size_t i = 0; i < listeners_.size(); ++i) listeners_[i]->InitializeScriptObjectModel(cancel, script);
}

Value readCompanyName(const std::string& connectionString, const Value& company, const RegionalSettings& rs) {
  const std::string code = company.isNull() || company.isEmpty() ? std::string() : toText(company, rs);
  try {
    data::Connection connection;
    connection.setConnectionString(connectionString);
    connection.setRegionalSettings(rs);
    connection.open();
    const Value parameters[] = {company};
    const data::StatementResult found =
        connection.execute("SELECT CG18_RAGSOC FROM CG18_DITTE WHERE CG18_DITTA = ?", parameters);
    if (found.rows && found.rows->rowCount > 0) return found.rows->cells[0];
  } catch (const Error& e) {
    throw Error(e.number(), "briskal", "The companies cannot be read from the database: " + e.description());
  }
  throw Error(err::kItemNotFound, "briskal", "There is no company " + code + " in the database");
}

HeadlessGlobalContext::HeadlessGlobalContext(GlobalSettings settings, host::MessageService& messages)
    : settings_(std::move(settings)), messages_(messages) {}

}  // namespace briskal::hostkit
