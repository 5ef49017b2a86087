#pragma once
// What every form of the component shares: its window and controls, its life cycle (initialize,
// load, activate, query unload, unload, terminate), the host interface reference, the log object,
// and the procedure error convention.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "host/object_services.h"
#include "host/runtime.h"

namespace briskal::data {
class Connection;
}

namespace briskal::host {

class Cinterface;
class GlobalContext;

// The keys that close a form: Escape, and X with Ctrl. The selection form takes Ctrl alone; the
// other forms take Ctrl among other modifiers.
enum class CtrlX { WithOtherModifiers, Alone };
bool isCloseKey(int32_t keyCode, int32_t shift, CtrlX ctrlX);

// Unload modes as the platform numbers them.
namespace unload_mode {
inline constexpr int kFormControlMenu = 0;
inline constexpr int kFormCode = 1;
}  // namespace unload_mode

class ComponentForm : public HostForm {
 public:
  // Initialize: writes the "INI" trace line and gets the form's window from the host.
  ComponentForm(HostRuntime& runtime, std::string name, const std::string& designCaption);
  // Terminate: writes the "TER" trace line.
  ~ComponentForm() override;
  ComponentForm(const ComponentForm&) = delete;
  ComponentForm& operator=(const ComponentForm&) = delete;

  // Loads the form on first use, as reading or setting one of its properties does.
  void ensureLoaded();
  bool loaded() const { return loaded_; }
  void setWindowState(int16_t state);
  void setCaption(const std::string& caption);
  // Shows the form, loading it first; activation follows. A modal form returns once closed.
  void show(bool modal);
  // Runs the query-unload and unload steps; false when one of them refused.
  bool unloadForm(int mode = unload_mode::kFormCode);
  // The host becoming active on this form again.
  void activate();

  Cinterface* hostInterface() const { return host_; }
  void setHostInterface(Cinterface* host) { host_ = host; }
  // The host interface and its global context; error 91 when the form has none, so a form
  // shown without a host fails in its trapped procedures instead of crashing the host.
  Cinterface& host() const;
  GlobalContext& global() const;
  std::shared_ptr<LogService> logObject() const { return log_; }

  // HostForm
  std::string formName() const override { return name_; }
  std::string formCaption() const override;
  Value property(std::string_view name) const override;
  void keyDown(int32_t keyCode, int32_t shift) override;
  void requestClose() override;

  // Shows the error through the log object (message 11081 when there is none); returns the
  // button the user chose, 3 without a log object.
  int32_t VisualizzaErrore(const std::string& procedure, const Error& error);

 protected:
  virtual void Form_Load() {}
  virtual void Form_Activate() {}
  virtual void Form_QueryUnload(int& cancel, int mode);
  virtual void Form_Unload(int& cancel);
  virtual void Form_KeyDown(int32_t keyCode, int32_t shift);
  // The connection whose provider errors go with the errors VisualizzaErrore shows.
  virtual data::Connection* errorConnection() { return nullptr; }
  // Public properties offered to the host's scripts.
  virtual Value publicProperty(std::string_view name) const;

  // What `object` holds; error 91 when it holds nothing, as using an object that is Nothing raises,
  // so that the procedure's own trap reports it instead of the host crashing.
  template <typename T>
  static T& required(T* object) {
    if (!object) throwObjectNotSet(kComponentName);
    return *object;
  }
  template <typename T>
  static T& required(const std::unique_ptr<T>& object) {
    return required(object.get());
  }

  // Runs a procedure under the error convention: an error goes to the log object with
  // "0_0_0_0", the component name and the procedure's name; the rest of the procedure is skipped.
  void trap(const char* procedure, const std::function<void()>& body);
  // The same, reporting through VisualizzaErrore.
  void trapShowing(const char* procedure, const std::function<void()>& body);

  int32_t messageBox(std::string_view text, int32_t number, int32_t buttons,
                     const std::vector<Value>* parameters = nullptr);
  // The host's text for `number`; an error goes to the log object as the error convention says
  // and leaves the text empty.
  std::string translate(std::string_view text, int32_t number,
                        const std::vector<Value>* parameters = nullptr);
  void notifyWindowState(std::string_view state);
  // Refreshes the navigator's state from the host's active frame.
  void refreshNavigatorStatus();
  // The value the host's form registry gives a form about to close.
  int askNavigatorCancel();

  ControlHost& controls() { return window_->controls(); }
  FormWindow& window() { return *window_; }
  HostRuntime& runtime() { return services_.runtime(); }
  void createLog() { log_ = runtime().createLog(); }
  void setLog(std::shared_ptr<LogService> log) { log_ = std::move(log); }
  void releaseLog() { log_.reset(); }

 private:
  static Error asError(const std::exception& e);

  ObjectServices services_;
  std::string name_;
  std::unique_ptr<FormWindow> window_;
  Cinterface* host_ = nullptr;
  std::shared_ptr<LogService> log_;
  bool loaded_ = false;
};

}  // namespace briskal::host
