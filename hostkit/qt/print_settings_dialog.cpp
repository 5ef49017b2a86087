#include "hostkit/qt/print_settings_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "hostkit/qt/qt_control.h"

namespace briskal::hostkit::qt {
namespace {

QCheckBox* checkBox(const char* name, const QString& text, bool checked, QWidget* parent) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(name);
  box->setChecked(checked);
  return box;
}

QLineEdit* lineEdit(const char* name, const std::string& text, QWidget* parent) {
  auto* edit = new QLineEdit(toQt(text), parent);
  edit->setObjectName(name);
  return edit;
}

}  // namespace

bool editPrintSettings(report::ReportOptions& options, report::PageKind kind, QWidget* parent,
                       ScreenTexts texts) {
  QDialog dialog(parent);
  dialog.setObjectName("PrintSettings");
  dialog.setWindowTitle(texts("Opzioni di stampa"));
  auto* header = checkBox("PrintHeader", texts("Stampa l'intestazione"), options.printHeader, &dialog);
  auto* limits = checkBox("PrintLimits", texts("Stampa i limiti di selezione"), options.printLimits, &dialog);
  auto* notes = checkBox("PrintNotes", texts("Stampa le note"), options.printNotes, &dialog);

  auto* noteTexts = new QGroupBox(texts("Note"), &dialog);
  auto* performedBy = lineEdit("PerformedBy", options.performedBy, noteTexts);
  auto* addressedTo = lineEdit("AddressedTo", options.addressedTo, noteTexts);
  auto* noteText = new QPlainTextEdit(toQt(options.notes), noteTexts);
  noteText->setObjectName("Notes");
  noteText->setTabChangesFocus(true);
  auto* form = new QFormLayout(noteTexts);
  form->addRow(texts("Eseguito da"), performedBy);
  form->addRow(texts("Destinato a"), addressedTo);
  form->addRow(texts("Testo"), noteText);
  // The texts print only with the notes: greyed out, they say so before the run does.
  noteTexts->setEnabled(notes->isChecked());
  QObject::connect(notes, &QCheckBox::toggled, noteTexts, &QWidget::setEnabled);
  // A label template prints the labels alone; the options stay as chosen, for the next report.
  const bool labels = kind == report::PageKind::Label;
  auto* labelsOnly = new QLabel(texts("Le etichette personalizzabili non stampano l'intestazione, i limiti "
                                      "di selezione né le note: queste opzioni valgono solo per le "
                                      "etichette standard."),
                                &dialog);
  labelsOnly->setObjectName("LabelsPrintNoOptions");
  labelsOnly->setWordWrap(true);
  labelsOnly->setVisible(labels);
  if (labels) {
    for (QWidget* option : std::initializer_list<QWidget*>{header, limits, notes, noteTexts})
      option->setEnabled(false);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(texts("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(texts("Annulla"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(labelsOnly);
  layout->addWidget(header);
  layout->addWidget(limits);
  layout->addWidget(notes);
  layout->addWidget(noteTexts);
  layout->addWidget(buttons);
  dialog.resize(460, dialog.sizeHint().height());
  if (dialog.exec() != QDialog::Accepted) return false;
  if (labels) return true;
  options.printHeader = header->isChecked();
  options.printLimits = limits->isChecked();
  options.printNotes = notes->isChecked();
  options.performedBy = fromQt(performedBy->text());
  options.addressedTo = fromQt(addressedTo->text());
  options.notes = fromQt(noteText->toPlainText());
  return true;
}

}  // namespace briskal::hostkit::qt
