#pragma once
// The component's one public class: it keeps the host context the host hands it through
// Cinterface, opens and closes the parameter form, and answers the navigator's events. Nothing it
// does ever reports an error to the host: a failing step is skipped and the next one runs.

#include <functional>
#include <memory>

#include "host/cinterface.h"
#include "host/object_services.h"
#include "host/services.h"

namespace briskal::params {
class FRMPD_BRISKAL;
}

namespace briskal::host {

class CLSPD_BRISKAL final : public Cinterface, public NavigatorListener {
 public:
  explicit CLSPD_BRISKAL(HostRuntime& runtime);
  ~CLSPD_BRISKAL() override;

  void setClsGlobal(std::shared_ptr<GlobalContext> value) override;
  std::shared_ptr<GlobalContext> ClsGlobal() const override { return clsGlobal_; }
  void setActiveFrame(std::shared_ptr<HostFrame> value) override { activeFrame_ = std::move(value); }
  std::shared_ptr<HostFrame> ActiveFrame() const override { return activeFrame_; }
  void setActiveNavigator(std::shared_ptr<Navigator> value) override;
  std::shared_ptr<Navigator> ActiveNavigator() const override { return navigator_; }
  void setActiveDll(Cinterface* value) override { activeDll_ = value; }
  Cinterface* ActiveDll() const override { return activeDll_; }
  void setStatusBar(std::shared_ptr<HostObject> value) override { statusBar_ = std::move(value); }
  std::shared_ptr<HostObject> StatusBar() const override { return statusBar_; }
  void setCanInsert(bool value) override { canInsert_ = value; }
  bool CanInsert() const override { return canInsert_; }
  void setCanDelete(bool value) override { canDelete_ = value; }
  bool CanDelete() const override { return canDelete_; }
  void setCanUpdate(bool value) override { canUpdate_ = value; }
  bool CanUpdate() const override { return canUpdate_; }
  void setCanQbe(bool value) override { canQbe_ = value; }
  bool CanQbe() const override { return canQbe_; }
  void setWindowState(int32_t value) override;
  int16_t WindowState() const override { return windowState_; }
  void setWindowModal(bool value) override { windowModal_ = value; }
  bool WindowModal() const override { return windowModal_; }
  void setProgramMode(int32_t value) override;
  int16_t ProgramMode() const override { return programMode_; }
  void setMenuModulo(const Value& value) override { menuModulo_ = value; }
  Value MenuModulo() const override { return menuModulo_; }
  void setMenuPadre(const Value& value) override { menuPadre_ = value; }
  Value MenuPadre() const override { return menuPadre_; }
  void setMenuProg(const Value& value) override { menuProg_ = value; }
  Value MenuProg() const override { return menuProg_; }
  void setCaption(const Value& value) override { caption_ = value; }
  Value Caption() const override { return caption_; }
  void sethwndParent(int32_t value) override { hwndParent_ = value; }
  int32_t hwndParent() const override { return hwndParent_; }
  Value ShowForm() override;
  Value CloseForm() override;
  void setConnection(std::shared_ptr<data::Connection> value) override { connection_ = std::move(value); }
  std::shared_ptr<data::Connection> Connection() const override { return connection_; }
  std::shared_ptr<HostObject> Cwindow() const override { return window_; }
  Value TransferData(const Value& data) override;
  Value Top() const override { return Value(top_); }
  void setTop(const Value& value) override;
  Value Left() const override { return Value(left_); }
  void setLeft(const Value& value) override;
  void setClsVoceMenu(std::shared_ptr<MenuEntry> value) override { menuEntry_ = std::move(value); }
  std::shared_ptr<MenuEntry> ClsVoceMenu() const override { return menuEntry_; }
  void setIsActive(bool value) override { isActive_ = value; }
  bool IsActive() const override { return isActive_; }
  void setIsCalled(bool value) override { isCalled_ = value; }
  bool IsCalled() const override { return isCalled_; }
  void setFiltro(const Value& value) override { filtro_ = value; }
  Value Filtro() const override { return filtro_; }
  void onDataTransfer(std::function<void(const Value& data)> handler) override;

  // Navigator events.
  void BeforeChangeDitta(bool& cancel) override;
  void InitializeLayoutObjectModel(bool& cancel, LayoutModel& layout) override;
  void InitializeScriptObjectModel(bool& cancel, ScriptModel& script) override;

 private:
  // IsActive as the host interface reference reports it; false when there is none.
  bool hostIsActive() const;
  void releaseNavigator();

  ObjectServices services_;
  std::shared_ptr<GlobalContext> clsGlobal_;
  std::shared_ptr<HostFrame> activeFrame_;
  std::shared_ptr<Navigator> navigator_;
  Cinterface* activeDll_ = nullptr;
  std::shared_ptr<HostObject> statusBar_;
  bool canInsert_ = false, canDelete_ = false, canUpdate_ = false, canQbe_ = false;
  int16_t windowState_ = 0;
  bool windowModal_ = false;
  int16_t programMode_ = 0;
  Value menuModulo_, menuPadre_, menuProg_, caption_, filtro_;
  int32_t hwndParent_ = 0;
  std::shared_ptr<data::Connection> connection_;
  std::shared_ptr<HostObject> window_;
  int32_t top_ = 0, left_ = 0;
  std::shared_ptr<MenuEntry> menuEntry_;
  bool isActive_ = false, isCalled_ = false;
  std::function<void(const Value&)> dataTransfer_;
  std::shared_ptr<params::FRMPD_BRISKAL> form_;
};

}  // namespace briskal::host
