#include "host/component_form.h"

#include "common/convert.h"
#include "data/connection.h"
#include "host/cinterface.h"
#include "host/services.h"

namespace briskal::host {

namespace {

// Key codes and the shift state as the platform numbers them.
constexpr int32_t kKeyEscape = 27;
constexpr int32_t kKeyX = 88;
constexpr int32_t kShiftCtrl = 2;

}  // namespace

bool isCloseKey(int32_t keyCode, int32_t shift, CtrlX ctrlX) {
  if (keyCode == kKeyEscape) return true;
  if (keyCode != kKeyX) return false;
  return ctrlX == CtrlX::Alone ? shift == kShiftCtrl : (shift & kShiftCtrl) != 0;
}

ComponentForm::ComponentForm(HostRuntime& runtime, std::string name, const std::string& designCaption)
    : services_(runtime, name), name_(std::move(name)) {
  services_.trace("INI");
  window_ = runtime.createWindow(*this);
  window_->setCaption(designCaption);
}

ComponentForm::~ComponentForm() { services_.trace("TER"); }

void ComponentForm::ensureLoaded() {
  if (loaded_) return;
  loaded_ = true;
  Form_Load();
}

void ComponentForm::setWindowState(int16_t state) {
  ensureLoaded();
  window_->setWindowState(state);
}

void ComponentForm::setCaption(const std::string& caption) {
  ensureLoaded();
  window_->setCaption(caption);
}

std::string ComponentForm::formCaption() const { return window_->caption(); }

void ComponentForm::show(bool modal) {
  ensureLoaded();
  if (modal) {
    // The host runs the form until it closes; activation happens as it comes up.
    activate();
    window_->show(true);
    return;
  }
  window_->show(false);
  activate();
}

void ComponentForm::activate() {
  if (loaded_) Form_Activate();
}

bool ComponentForm::unloadForm(int mode) {
  if (!loaded_) return true;
  int cancel = 0;
  Form_QueryUnload(cancel, mode);
  if (cancel != 0) return false;
  Form_Unload(cancel);
  if (cancel != 0) return false;
  loaded_ = false;
  window_->hide();
  return true;
}

void ComponentForm::Form_QueryUnload(int&, int) {}
void ComponentForm::Form_Unload(int&) {}
void ComponentForm::Form_KeyDown(int32_t, int32_t) {}

Value ComponentForm::property(std::string_view name) const {
  if (name == "Caption") return Value(formCaption());
  if (name == "Name") return Value(name_);
  return publicProperty(name);
}

Value ComponentForm::publicProperty(std::string_view) const { return Value(); }

void ComponentForm::keyDown(int32_t keyCode, int32_t shift) { Form_KeyDown(keyCode, shift); }

void ComponentForm::requestClose() { unloadForm(unload_mode::kFormControlMenu); }

Error ComponentForm::asError(const std::exception& e) {
  if (const auto* error = dynamic_cast<const Error*>(&e)) return *error;
  return Error(err::kInvalidProcedureCall, kComponentName, e.what());
}

void ComponentForm::trap(const char* procedure, const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& e) {
    try {
      if (log_) {
        log_->setError(asError(e));
        log_->write("0_0_0_0", kComponentName, procedure);
      }
    } catch (...) {
      // The error routine itself failed: the error is cleared all the same.
    }
  }
}

void ComponentForm::trapShowing(const char* procedure, const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& e) {
    try {
      VisualizzaErrore(procedure, asError(e));
    } catch (...) {
      // As above: nothing escapes to the host.
    }
  }
}

int32_t ComponentForm::VisualizzaErrore(const std::string& procedure, const Error& error) {
  if (!log_) {
    messageBox("Classe Log non settata", 11081, msg::kOkOnly);
    return 3;
  }
  log_->setError(error);
  if (data::Connection* connection = errorConnection()) log_->setErrors(connection->errors());
  int32_t extra = 0;
  std::string title = kComponentName;
  ignoringErrors([&] {
    if (host_) title = global().applicationTitle();
  });
  return log_->showError(title, formCaption(), procedure, 4370, extra);
}

int32_t ComponentForm::messageBox(std::string_view text, int32_t number, int32_t buttons,
                                  const std::vector<Value>* parameters) {
  return services_.messageBox(host_, text, number, buttons, formCaption(), parameters);
}

std::string ComponentForm::translate(std::string_view text, int32_t number,
                                     const std::vector<Value>* parameters) {
  std::string result;
  trap("translate", [&] { result = services_.translate(host_, text, number, parameters); });
  return result;
}

void ComponentForm::notifyWindowState(std::string_view state) {
  services_.notifyWindowState(host_, state, name_);
}

void ComponentForm::refreshNavigatorStatus() {
  if (!host_) return;
  const std::shared_ptr<HostFrame> frame = host_->ActiveFrame();
  const std::shared_ptr<Navigator> navigator = host_->ActiveNavigator();
  if (frame && navigator) navigator->setStatus(frame->status());
}

int ComponentForm::askNavigatorCancel() {
  if (!host_) return 0;
  const std::shared_ptr<Navigator> navigator = host_->ActiveNavigator();
  if (!navigator) return 0;
  const std::shared_ptr<ScriptModel> registry = navigator->formRegistry();
  if (!registry) return 0;
  const Value cancel = registry->cancelValue();
  if (cancel.isEmpty() || cancel.isNull()) return 0;
  return toBool(cancel, RegionalSettings::italian()) ? 1 : 0;
}

Cinterface& ComponentForm::host() const {
  if (!host_) throwObjectNotSet(kComponentName);
  return *host_;
}

GlobalContext& ComponentForm::global() const {
  const std::shared_ptr<GlobalContext> context = host().ClsGlobal();
  if (!context) throwObjectNotSet(kComponentName);
  return *context;
}

}  // namespace briskal::host
