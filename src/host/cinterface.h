#pragma once
// The plug-in interface between the host and the component, member by member in the order of its
// slots (within a pair the writing accessor first, except Top and Left). The host sets the
// context, calls ShowForm and later CloseForm; the forms read the context back through it.

#include <functional>
#include <memory>

#include "common/value.h"
#include "host/host_objects.h"

namespace briskal::data {
class Connection;
}

namespace briskal::host {

class GlobalContext;
class Navigator;

class Cinterface {
 public:
  virtual ~Cinterface() = default;

  virtual void setClsGlobal(std::shared_ptr<GlobalContext> value) = 0;  // 1
  virtual std::shared_ptr<GlobalContext> ClsGlobal() const = 0;
  virtual void setActiveFrame(std::shared_ptr<HostFrame> value) = 0;  // 2
  virtual std::shared_ptr<HostFrame> ActiveFrame() const = 0;
  virtual void setActiveNavigator(std::shared_ptr<Navigator> value) = 0;  // 3
  virtual std::shared_ptr<Navigator> ActiveNavigator() const = 0;
  // The component itself unless the host replaced it; never owned through this reference.
  virtual void setActiveDll(Cinterface* value) = 0;  // 4
  virtual Cinterface* ActiveDll() const = 0;
  virtual void setStatusBar(std::shared_ptr<HostObject> value) = 0;  // 5
  virtual std::shared_ptr<HostObject> StatusBar() const = 0;
  virtual void setCanInsert(bool value) = 0;  // 6
  virtual bool CanInsert() const = 0;
  virtual void setCanDelete(bool value) = 0;  // 7
  virtual bool CanDelete() const = 0;
  virtual void setCanUpdate(bool value) = 0;  // 8
  virtual bool CanUpdate() const = 0;
  virtual void setCanQbe(bool value) = 0;  // 9
  virtual bool CanQbe() const = 0;
  virtual void setWindowState(int32_t value) = 0;  // 10
  virtual int16_t WindowState() const = 0;
  virtual void setWindowModal(bool value) = 0;  // 11
  virtual bool WindowModal() const = 0;
  virtual void setProgramMode(int32_t value) = 0;  // 12
  virtual int16_t ProgramMode() const = 0;
  virtual void setMenuModulo(const Value& value) = 0;  // 13
  virtual Value MenuModulo() const = 0;
  virtual void setMenuPadre(const Value& value) = 0;  // 14
  virtual Value MenuPadre() const = 0;
  virtual void setMenuProg(const Value& value) = 0;  // 15
  virtual Value MenuProg() const = 0;
  virtual void setCaption(const Value& value) = 0;  // 16
  virtual Value Caption() const = 0;
  virtual void sethwndParent(int32_t value) = 0;  // 17
  virtual int32_t hwndParent() const = 0;
  virtual Value ShowForm() = 0;                                             // 18
  virtual Value CloseForm() = 0;                                            // 19
  virtual void setConnection(std::shared_ptr<data::Connection> value) = 0;  // 20
  virtual std::shared_ptr<data::Connection> Connection() const = 0;
  virtual std::shared_ptr<HostObject> Cwindow() const = 0;  // 21
  virtual Value TransferData(const Value& data) = 0;        // 22
  virtual Value Top() const = 0;                            // 23
  virtual void setTop(const Value& value) = 0;
  virtual Value Left() const = 0;  // 24
  virtual void setLeft(const Value& value) = 0;
  virtual void setClsVoceMenu(std::shared_ptr<MenuEntry> value) = 0;  // 25
  virtual std::shared_ptr<MenuEntry> ClsVoceMenu() const = 0;
  virtual void setIsActive(bool value) = 0;  // 26
  virtual bool IsActive() const = 0;
  virtual void setIsCalled(bool value) = 0;  // 27
  virtual bool IsCalled() const = 0;
  virtual void setFiltro(const Value& value) = 0;  // 28
  virtual Value Filtro() const = 0;

  // The sink of the outgoing event DataTransfer(Data); an empty function removes it.
  virtual void onDataTransfer(std::function<void(const Value& data)> handler) = 0;
};

}  // namespace briskal::host
