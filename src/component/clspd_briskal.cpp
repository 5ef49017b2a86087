#include "component/clspd_briskal.h"

#include <limits>

#include "common/convert.h"
#include "common/error.h"
#include "component/child_forms.h"
#include "data/connection.h"
#include "params/frmpd_briskal.h"

namespace briskal::host {
namespace {

// What the platform raises for a member used before it is set: error 91.
template <typename T>
T& set(const std::shared_ptr<T>& object) {
  if (!object) throwObjectNotSet(kComponentName);
  return *object;
}

const RegionalSettings& conversions(const std::shared_ptr<GlobalContext>& global) {
  static const RegionalSettings kItalian = RegionalSettings::italian();
  return global ? global->regionalSettings() : kItalian;
}

}  // namespace

CLSPD_BRISKAL::CLSPD_BRISKAL(HostRuntime& runtime) : services_(runtime, "CLSPD_BRISKAL") {
  ignoringErrors([&] { services_.trace("INI"); });
  activeDll_ = this;
}

CLSPD_BRISKAL::~CLSPD_BRISKAL() {
  ignoringErrors([&] { services_.trace("TER"); });
  releaseNavigator();
  menuEntry_.reset();
  window_.reset();
  clsGlobal_.reset();
  activeDll_ = nullptr;
  form_.reset();
}

void CLSPD_BRISKAL::setClsGlobal(std::shared_ptr<GlobalContext> value) { clsGlobal_ = std::move(value); }

void CLSPD_BRISKAL::releaseNavigator() {
  if (navigator_) ignoringErrors([&] { navigator_->removeListener(this); });
  navigator_.reset();
}

void CLSPD_BRISKAL::setActiveNavigator(std::shared_ptr<Navigator> value) {
  releaseNavigator();
  navigator_ = std::move(value);
  if (navigator_) ignoringErrors([&] { navigator_->addListener(this); });
}

void CLSPD_BRISKAL::setWindowState(int32_t value) {
  // Stored as a 16-bit integer: a value outside its range leaves the previous one.
  if (value >= std::numeric_limits<int16_t>::min() && value <= std::numeric_limits<int16_t>::max())
    windowState_ = static_cast<int16_t>(value);
}

void CLSPD_BRISKAL::setProgramMode(int32_t value) {
  if (value >= std::numeric_limits<int16_t>::min() && value <= std::numeric_limits<int16_t>::max())
    programMode_ = static_cast<int16_t>(value);
}

void CLSPD_BRISKAL::setTop(const Value& value) {
  ignoringErrors([&] { top_ = toInt32(value, conversions(clsGlobal_)); });
}

void CLSPD_BRISKAL::setLeft(const Value& value) {
  ignoringErrors([&] { left_ = toInt32(value, conversions(clsGlobal_)); });
}

Value CLSPD_BRISKAL::ShowForm() {
  // Closing the form let go of the host interface; showing it again takes it back.
  if (!activeDll_) activeDll_ = this;
  ignoringErrors(
      [&] { form_ = std::make_shared<params::FRMPD_BRISKAL>(services_.runtime(), component::childForms()); });
  ignoringErrors([&] { set(form_).setHostInterface(activeDll_); });
  ignoringErrors([&] { set(form_).setWindowState(windowState_); });
  ignoringErrors([&] { set(form_).setCaption(toText(caption_, conversions(clsGlobal_))); });
  ignoringErrors([&] { set(form_).show(windowModal_); });
  return Value();
}

Value CLSPD_BRISKAL::CloseForm() {
  bool closed = false;
  ignoringErrors([&] {
    set(form_).unloadForm();
    closed = form_->hostInterface() == nullptr;
  });
  return Value(closed);
}

Value CLSPD_BRISKAL::TransferData(const Value& data) {
  ignoringErrors([&] {
    if (dataTransfer_) dataTransfer_(data);
  });
  return Value();
}

void CLSPD_BRISKAL::onDataTransfer(std::function<void(const Value& data)> handler) {
  dataTransfer_ = std::move(handler);
}

bool CLSPD_BRISKAL::hostIsActive() const { return activeDll_ && activeDll_->IsActive(); }

void CLSPD_BRISKAL::BeforeChangeDitta(bool& cancel) {
  ignoringErrors([&] {
    if (!hostIsActive()) return;
    const std::string title = form_ ? form_->formCaption() : std::string();
    const int32_t answer =
        services_.messageBox(activeDll_, "Il cambio azienda comporta la chiusura del programma, proseguo ?",
                             30178, msg::kYesNo | msg::kQuestion, title);
    if (answer == msg::kYes) set(form_).unloadForm();
    else cancel = true;
  });
}

void CLSPD_BRISKAL::InitializeLayoutObjectModel(bool&, LayoutModel& layout) {
  ignoringErrors([&] {
    if (!hostIsActive() || !form_) return;
    if (form_->currentForm()) {
      std::shared_ptr<HostForm> registered = form_;
      layout.registerForm(form_->formCaption(), registered, 0, 0, true);
      if (auto same = std::dynamic_pointer_cast<params::FRMPD_BRISKAL>(registered)) form_ = same;
    } else if (auto selection = form_->FrmModSelez()) {
      std::shared_ptr<HostForm> registered = selection;
      layout.registerForm(selection->formCaption(), registered, 0, 0, false);
    }
  });
}

void CLSPD_BRISKAL::InitializeScriptObjectModel(bool&, ScriptModel& script) {
  ignoringErrors([&] {
    if (!hostIsActive() || !form_) return;
    if (form_->currentForm()) {
      std::shared_ptr<HostForm> registered = form_;
      script.addObject(form_->formName(), registered, 0, form_->formCaption());
      if (auto same = std::dynamic_pointer_cast<params::FRMPD_BRISKAL>(registered)) form_ = same;
    } else if (auto selection = form_->FrmModSelez()) {
      std::shared_ptr<HostForm> registered = selection;
      script.addObject(selection->formName(), registered, 0, selection->formCaption());
    }
  });
}

}  // namespace briskal::host
