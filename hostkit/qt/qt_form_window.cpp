#include "hostkit/qt/qt_form_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMdiArea>
#include <QScreen>
#include <QStyle>
#include <QUiLoader>
#include <QVBoxLayout>

#include "common/convert.h"
#include "common/error.h"
#include "hostkit/qt/host_window.h"
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
  designed_ = root_->size();
  texts.translate(root_);
  controls_ = std::make_unique<QtControlHost>(
      root_, [this] { return sub_.data(); }, regional, texts);
  // Kept per company and user of the session the window belongs to.
  if (auto* host = dynamic_cast<HostWindow*>(area.window())) {
    HeadlessGlobalContext& global = host->session().global();
    memory_ = std::make_unique<FormMemory>(
        memoryGroup(toQt(toText(global.company(), RegionalSettings::italian())), toQt(global.userCode())),
        toQt(form.formName()), root_, *controls_, texts);
  }
  // Keys the form's controls leave unused reach the form: Escape and Ctrl+X close it (a text box
  // keeps Ctrl+X for cutting while it has the focus).
  root_->installEventFilter(this);
}

QtFormWindow::~QtFormWindow() {
  // Closing the host window takes its forms without unloading them.
  if (shown_) remember();
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
    const QRect screen = area_.window()->screen()->availableGeometry();
    if (!memory_ || !memory_->restoreWindow(*dialog_, screen))
      dialog_->resize(initialSize(*dialog_, screen.size()));
    if (memory_ && memory_->maximized()) dialog_->setWindowState(Qt::WindowMaximized);
    revealed_ = true;
    restoreValues();
    dialog_->exec();
    return;
  }
  if (sub_ && sub_->isVisible()) {
    area_.setActiveSubWindow(sub_);
    return;
  }
  if (!sub_) {
    sub_ = area_.addSubWindow(root_);
    sub_->setAttribute(Qt::WA_DeleteOnClose, false);
    sub_->setWindowTitle(texts_(caption_));
    sub_->installEventFilter(this);
    sub_->hide();
  }
  // The form's activation runs once show() returns; the window waits for it.
  QMetaObject::invokeMethod(
      this, [this] { reveal(); }, Qt::QueuedConnection);
}

void QtFormWindow::reveal() {
  if (!shown_ || !sub_ || sub_->isVisible()) return;
  if (QWidget* modal = QApplication::activeModalWidget()) {
    if (auto* box = qobject_cast<QDialog*>(modal))
      QObject::connect(
          box, &QDialog::finished, this, [this] { reveal(); }, Qt::QueuedConnection);
    QObject::connect(
        modal, &QObject::destroyed, this, [this] { reveal(); }, Qt::QueuedConnection);
    return;
  }
  const QRect bounds(QPoint(0, 0), area_.viewport()->size());
  if (!memory_ || !memory_->restoreWindow(*sub_, bounds)) {
    sub_->resize(initialSize(*sub_, bounds.size()));
    if (!bounds.isEmpty()) sub_->setGeometry(fittedInto(sub_->geometry(), bounds));
  }
  sub_->show();
  if (memory_ && memory_->maximized()) sub_->showMaximized();
  area_.setActiveSubWindow(sub_);
  if (revealed_) return;
  revealed_ = true;
  restoreValues();
}

QSize QtFormWindow::initialSize(const QWidget& window, const QSize& bounds) const {
  // Room for a vertical scroll bar the bounded height may bring, so that no column goes under it.
  const int scrollBar = window.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const QSize frame = window.sizeHint() - root_->sizeHint();
  const QSize wanted = (designed_ + frame).expandedTo(window.sizeHint()) + QSize(scrollBar, 0);
  return bounds.isEmpty() ? wanted : wanted.boundedTo(bounds);
}

void QtFormWindow::restoreValues() {
  if (!memory_) return;
  // The values come back as typed; the focus stays where the form put it.
  const QPointer<QWidget> focus = QApplication::focusWidget();
  memory_->restoreValues();
  if (focus && root_ && root_->isAncestorOf(focus)) focus->setFocus(Qt::OtherFocusReason);
}

void QtFormWindow::remember() {
  if (!memory_ || !revealed_) return;
  if (QWidget* window = sub_ ? static_cast<QWidget*>(sub_) : static_cast<QWidget*>(dialog_))
    memory_->saveWindow(*window);
  memory_->saveValues();
}

void QtFormWindow::hide() {
  if (shown_) remember();
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
