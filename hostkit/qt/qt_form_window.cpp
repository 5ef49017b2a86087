#include "hostkit/qt/qt_form_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMdiArea>
#include <QUiLoader>
#include <QVBoxLayout>

#include "common/error.h"
#include "hostkit/qt/qt_control.h"
#include "hostkit/qt/virtual_keys.h"

namespace briskal::hostkit::qt {
namespace {

// The platform's hourglass.
constexpr int32_t kHourglass = 11;

}  // namespace

QWidget* loadFormLayout(const std::filesystem::path& file) {
  QFile ui(QString::fromStdString(file.string()));
  if (!ui.open(QIODevice::ReadOnly))
    throw Error(err::kFileNotFound, "briskal", "The form layout " + file.string() + " cannot be read");
  QUiLoader loader;
  QWidget* root = loader.load(&ui);
  if (!root)
    throw Error(err::kInvalidPicture, "briskal",
                "The form layout " + file.string() + " is no layout: " + loader.errorString().toStdString());
  return root;
}

QtFormWindow::QtFormWindow(host::HostForm& form, QMdiArea& area, const std::filesystem::path& layouts,
                           const RegionalSettings& regional, ScreenTexts texts)
    : form_(form), area_(area), root_(loadFormLayout(layouts / (form.formName() + ".ui"))), texts_(texts) {
  texts.translate(root_);
  controls_ = std::make_unique<QtControlHost>(
      root_, [this] { return sub_.data(); }, regional, texts);
  // Keys the form's controls leave unused reach the form: Escape and Ctrl+X close it (a text box
  // keeps Ctrl+X for cutting while it has the focus).
  root_->installEventFilter(this);
}

QtFormWindow::~QtFormWindow() {
  setMousePointer(0);
  if (dialog_) dialog_->deleteLater();
  if (sub_) sub_->deleteLater();
  else if (root_) root_->deleteLater();
}

void QtFormWindow::show(bool modal) {
  shown_ = true;
  if (modal) {
    dialog_ = new QDialog(area_.window());
    dialog_->setWindowTitle(texts_(caption_));
    auto* layout = new QVBoxLayout(dialog_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(root_);
    dialog_->installEventFilter(this);
    root_->show();
    dialog_->exec();
    return;
  }
  if (!sub_) {
    sub_ = area_.addSubWindow(root_);
    sub_->setAttribute(Qt::WA_DeleteOnClose, false);
    sub_->setWindowTitle(texts_(caption_));
    sub_->installEventFilter(this);
    sub_->resize(sub_->sizeHint());
  }
  sub_->show();
  area_.setActiveSubWindow(sub_);
}

void QtFormWindow::hide() {
  shown_ = false;
  if (dialog_ && dialog_->isVisible()) dialog_->done(0);
  if (sub_) sub_->hide();
}

void QtFormWindow::setCaption(const std::string& caption) {
  caption_ = caption;
  // The forms write their captions in Italian.
  const QString title = texts_(caption);
  if (sub_) sub_->setWindowTitle(title);
  if (dialog_) dialog_->setWindowTitle(title);
  if (root_) root_->setWindowTitle(title);
}

void QtFormWindow::setWindowState(int16_t state) {
  if (!sub_) return;
  sub_->setWindowState(state == 2   ? Qt::WindowMaximized
                       : state == 1 ? Qt::WindowMinimized
                                    : Qt::WindowNoState);
}

void QtFormWindow::setMousePointer(int32_t pointer) {
  const bool busy = pointer == kHourglass;
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
  else QApplication::restoreOverrideCursor();
}

bool QtFormWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == root_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const int32_t code = virtualKey(key->key());
    if (code == 0) return false;
    guarded([&] { form_.keyDown(code, shiftFlags(static_cast<int>(key->modifiers()))); });
    return true;
  }
  // Closing the window asks the form, which unloads itself or refuses.
  if ((watched == sub_ || watched == dialog_) && event->type() == QEvent::Close) {
    event->ignore();
    guarded([this] { form_.requestClose(); });
    return true;
  }
  return false;
}

}  // namespace briskal::hostkit::qt
