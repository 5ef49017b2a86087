#include "host/object_services.h"

#include <uuid/uuid.h>

#include <cstdio>

#include "host/cinterface.h"
#include "host/services.h"

namespace briskal::host {
namespace {

// The host's message service; error 91 when the host has not set its global context.
MessageService& messagesOf(Cinterface& host) {
  const std::shared_ptr<GlobalContext> context = host.ClsGlobal();
  if (!context) throwObjectNotSet(kComponentName);
  return context->messages();
}

}  // namespace

ObjectServices::ObjectServices(HostRuntime& runtime, std::string objectName)
    : runtime_(runtime), objectName_(std::move(objectName)) {}

void ObjectServices::trace(std::string_view word) {
  std::string line =
      "QRVN:|" + instanceId() + "|" + std::string(word) + "|" + kComponentName + "|" + objectName_;
  runtime_.debugOutput(line);
}

const std::string& ObjectServices::instanceId() {
  if (instanceId_.empty()) {
    uuid_t id;
    uuid_generate(id);
    // The first field as 8 digits, the next two as 4, then the 8 trailing bytes: in memory order
    // that is the 16 bytes of the identifier, which is how libuuid stores them.
    char text[33];
    for (int i = 0; i < 16; ++i) std::snprintf(text + 2 * i, 3, "%02X", id[i]);
    instanceId_ = text;
  }
  return instanceId_;
}

void ignoringErrors(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception&) {
    // Ignored by design: the next step runs.
  }
}

std::string markedText(std::string_view text, int32_t number) {
  return "[x" + std::to_string(number) + "x] " + std::string(text);
}

int32_t ObjectServices::messageBox(Cinterface* host, std::string_view text, int32_t number, int32_t buttons,
                                   const std::string& title, const std::vector<Value>* parameters) {
  try {
    if (!host) {
      if (!translation_) translation_ = runtime_.createTranslationService();
      return translation_->KVXMsgBox(markedText(text, number), buttons, title);
    }
    MessageService& messages = messagesOf(*host);
    if (number < 1) return messages.textBox(std::string(text), buttons, title);
    return messages.numberedBox(number, buttons, title, parameters ? *parameters : std::vector<Value>());
  } catch (...) {
    // A message that cannot be shown leaves the answer 0; the caller goes on.
    return 0;
  }
}

std::string ObjectServices::translate(Cinterface* host, std::string_view text, int32_t number,
                                      const std::vector<Value>* parameters) const {
  if (!host) return markedText(text, number);
  if (number < 1) return std::string(text);
  return messagesOf(*host).text(number, parameters ? *parameters : std::vector<Value>(), text);
}

void ObjectServices::notifyWindowState(Cinterface* host, std::string_view state,
                                       const std::string& formName) {
  try {
    if (!host) return;
    const std::shared_ptr<Navigator> navigator = host->ActiveNavigator();
    if (!navigator) return;
    navigator->update();
    const std::shared_ptr<ScriptModel> registry = navigator->formRegistry();
    if (!registry) return;
    if (state == "kvOpen") registry->formState(formName, 0, true, Value(formName));
    else if (state == "kvClose") registry->formState(formName, 0, false, Value(formName));
  } catch (...) {
    // The notification is a courtesy to the host: its failure changes nothing for the form.
  }
}

}  // namespace briskal::host
