#pragma once
// The services every object of the component carries: its trace line, its instance id, the
// message box and the translation routine, and the window-state notification of the main forms.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"
#include "host/message_box.h"
#include "host/runtime.h"

namespace briskal::host {

class Cinterface;

inline constexpr const char* kComponentName = "DAZO_BRISKAL";

// Message box buttons and answers as the platform numbers them.
class ObjectServices {
 public:
  ObjectServices(HostRuntime& runtime, std::string objectName);

  // Writes "QRVN:|<id>|<word>|DAZO_BRISKAL|<object>" to the debugger output.
  void trace(std::string_view word);
  // 32 upper-case hexadecimal digits, made on first use; empty while no id could be made.
  const std::string& instanceId();

  // Shows a message through the host's message service (numbered when `number` >= 1), or through
  // the translation service with the "[xNx] " mark when there is no host. Never throws; 0 when
  // the service failed.
  int32_t messageBox(Cinterface* host, std::string_view text, int32_t number, int32_t buttons,
                     const std::string& title, const std::vector<Value>* parameters = nullptr);
  // The host's text for `number`, or `text` marked "[xNx] " without a host. Throws what the
  // message service throws.
  std::string translate(Cinterface* host, std::string_view text, int32_t number,
                        const std::vector<Value>* parameters = nullptr) const;
  // Tells the navigator that `formName` opened ("kvOpen") or closed ("kvClose"). Never throws.
  void notifyWindowState(Cinterface* host, std::string_view state, const std::string& formName);

  HostRuntime& runtime() { return runtime_; }

 private:
  HostRuntime& runtime_;
  std::string objectName_;
  std::string instanceId_;
  std::unique_ptr<TranslationService> translation_;
};

std::string markedText(std::string_view text, int32_t number);

// Runs one step with its errors ignored, as the platform's "resume next" does: a failing step is
// skipped and the caller goes on.
void ignoringErrors(const std::function<void()>& step);

}  // namespace briskal::host
