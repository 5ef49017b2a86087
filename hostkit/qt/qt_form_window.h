#pragma once
// A form's window on screen. The form's layout is its Designer file (forms/NAME.ui in the host's
// data folder), loaded at run time, so its look changes without touching code. A modeless form
// lives in a sub-window of the host window's work area; a modal one in a dialog that returns
// from show() once the form has closed. A window opens where it was last left, with the values
// its layout marks as remembered (form_memory.h), and appears only once the form's activation has
// run: a message that stops the form is never shown over a window about to go.

#include <QDialog>
#include <QMdiSubWindow>
#include <QPointer>
#include <filesystem>
#include <memory>

#include "common/regional.h"
#include "host/runtime.h"
#include "hostkit/qt/form_memory.h"
#include "hostkit/qt/qt_control_host.h"
#include "hostkit/qt/screen_texts.h"

class QMdiArea;

namespace briskal::hostkit::qt {

// The widget tree of a form's layout; error 53 when its file is missing, 481 when it is no layout.
QWidget* loadFormLayout(const std::filesystem::path& file);

class QtFormWindow final : public host::FormWindow, public QObject {
 public:
  QtFormWindow(host::HostForm& form, QMdiArea& area, const std::filesystem::path& layouts,
               const RegionalSettings& regional, ScreenTexts texts);
  ~QtFormWindow() override;

  host::ControlHost& controls() override { return *controls_; }
  void show(bool modal) override;
  void hide() override;
  bool isShown() const override { return shown_; }
  void setCaption(const std::string& caption) override;
  std::string caption() const override { return caption_; }
  void setWindowState(int16_t state) override;
  void setMousePointer(int32_t pointer) override;

  QtControlHost& qtControls() { return *controls_; }
  QWidget* root() const { return root_; }
  QMdiSubWindow* subWindow() const { return sub_; }
  QDialog* dialog() const { return dialog_; }
  host::HostForm& form() { return form_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Puts the sub-window on screen once no message box is up, if the form is still to be shown.
  void reveal();
  // The size a window first opens at: the layout's designed size, or what its contents need if
  // more, within `bounds`.
  QSize initialSize(const QWidget& window, const QSize& bounds) const;
  void restoreValues();
  // Keeps the window's place and the remembered values, once the form has been on screen.
  void remember();

  host::HostForm& form_;
  QMdiArea& area_;
  QPointer<QWidget> root_;
  QPointer<QMdiSubWindow> sub_;
  QPointer<QDialog> dialog_;
  std::unique_ptr<QtControlHost> controls_;
  std::unique_ptr<FormMemory> memory_;  // none outside a host window's session
  QSize designed_;
  bool revealed_ = false;
  ScreenTexts texts_;
  std::string caption_;
  bool shown_ = false;
  bool busy_ = false;  // the form shows the hourglass
};

}  // namespace briskal::hostkit::qt
