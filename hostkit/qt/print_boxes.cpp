#include "hostkit/qt/print_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>

#include "common/error.h"
#include "host/message_box.h"
#include "hostkit/qt/qt_control.h"
#include "hostkit/qt/qt_dialogs.h"
#include "hostkit/report/destination_kind.h"
#include "hostkit/report/print_failure.h"

namespace briskal::hostkit::qt {
namespace {

QString destinationLine(const std::string& destination, ScreenTexts texts) {
  return texts("Destinazione: %1").arg(labelPrinterPlace(destination));
}

}  // namespace

BusyCursor::BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }

QString failureText(const std::exception& failure, ScreenTexts texts) {
  if (const auto* print = dynamic_cast<const report::PrintFailure*>(&failure))
    return toQt(print->text().translated([&](const std::string& italian) { return fromQt(texts(italian)); }));
  if (const auto* error = dynamic_cast<const Error*>(&failure)) return toQt(error->description());
  return QString::fromUtf8(failure.what());
}

void showPrintFailure(const QString& what, const std::exception& failure, ScreenTexts texts) {
  showError(fromQt(what + "\n" + failureText(failure, texts)));
}

QString labelPrinterPlace(const std::string& destination) {
  const report::DestinationKind kind = report::destinationKind(destination);
  if (!report::isFile(kind)) return toQt(destination);
  return toQt(std::filesystem::absolute(destination).lexically_normal().string());
}

bool confirmLabelJob(int64_t labels, const std::string& destination, QWidget* parent, ScreenTexts texts) {
  const QString question = labels == 1
                               ? texts("Inviare 1 etichetta alla stampante di etichette?")
                               : texts("Inviare %1 etichette alla stampante di etichette?").arg(labels);
  QMessageBox box(QMessageBox::Question, texts("Invia alla stampante di etichette"),
                  question + "\n\n" + destinationLine(destination, texts), QMessageBox::NoButton, parent);
  box.setObjectName("ConfirmLabelJob");
  QPushButton* yes = box.addButton(buttonWord(host::msg::kYes, texts), QMessageBox::YesRole);
  QPushButton* no = box.addButton(buttonWord(host::msg::kNo, texts), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

void tellLabelJobSent(int64_t labels, const std::string& destination, QWidget* parent, ScreenTexts texts,
                      const std::vector<report::FailureText>& notes) {
  const QString sent = labels == 1 ? texts("Inviata 1 etichetta alla stampante di etichette.")
                                   : texts("Inviate %1 etichette alla stampante di etichette.").arg(labels);
  QString said = sent + "\n\n" + destinationLine(destination, texts);
  // What the printer said that did not stop the job.
  for (const report::FailureText& note : notes)
    said += "\n" + toQt(note.translated([&](const std::string& italian) { return fromQt(texts(italian)); }));
  QMessageBox box(notes.empty() ? QMessageBox::Information : QMessageBox::Warning,
                  texts("Invia alla stampante di etichette"), said, QMessageBox::NoButton, parent);
  box.setObjectName("LabelJobSent");
  box.setDefaultButton(box.addButton(buttonWord(host::msg::kOk, texts), QMessageBox::AcceptRole));
  box.exec();
}

}  // namespace briskal::hostkit::qt
