#include "hostkit/qt/print_dialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "hostkit/qt/qt_control.h"

namespace briskal::hostkit::qt {
namespace {

QSpinBox* spinBox(const char* name, int minimum, int maximum, int value, QWidget* parent) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(name);
  box->setRange(minimum, maximum);
  box->setValue(value);
  return box;
}

}  // namespace

std::optional<PrintRequest> askPrintRequest(const std::vector<std::string>& printers,
                                            const std::string& proposed, int pageCount, QWidget* parent,
                                            ScreenTexts texts) {
  QDialog dialog(parent);
  dialog.setObjectName("PrintDialog");
  dialog.setWindowTitle(texts("Stampa"));

  // A printer the print system does not list (one on another server) can be typed by name.
  auto* printer = new QComboBox(&dialog);
  printer->setObjectName("Printer");
  printer->setEditable(true);
  printer->setInsertPolicy(QComboBox::NoInsert);
  printer->setMinimumContentsLength(28);
  for (const std::string& name : printers) printer->addItem(toQt(name));
  printer->lineEdit()->setPlaceholderText(texts("Nome della stampante"));
  if (!proposed.empty()) printer->setCurrentText(toQt(proposed));
  auto* copies = spinBox("Copies", 1, 999, 1, &dialog);

  auto* all = new QRadioButton(texts("Tutte le pagine (%1)").arg(pageCount), &dialog);
  all->setObjectName("AllPages");
  all->setChecked(true);
  auto* range = new QRadioButton(texts("Dalla pagina"), &dialog);
  range->setObjectName("PageRange");
  auto* first = spinBox("FirstPage", 1, pageCount, 1, &dialog);
  auto* last = spinBox("LastPage", 1, pageCount, pageCount, &dialog);
  auto* rangeRow = new QHBoxLayout;
  rangeRow->addWidget(range);
  rangeRow->addWidget(first);
  rangeRow->addWidget(new QLabel(texts("alla pagina"), &dialog));
  rangeRow->addWidget(last);
  rangeRow->addStretch();
  // Typing a page number chooses the range; the range never runs backwards.
  QObject::connect(first, &QSpinBox::valueChanged, &dialog, [=](int value) {
    range->setChecked(true);
    if (last->value() < value) last->setValue(value);
  });
  QObject::connect(last, &QSpinBox::valueChanged, &dialog, [=](int value) {
    range->setChecked(true);
    if (first->value() > value) first->setValue(value);
  });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  ok->setText(texts("Stampa"));
  buttons->button(QDialogButtonBox::Cancel)->setText(texts("Annulla"));
  ok->setEnabled(!printer->currentText().trimmed().isEmpty());
  QObject::connect(printer, &QComboBox::currentTextChanged, ok,
                   [ok](const QString& name) { ok->setEnabled(!name.trimmed().isEmpty()); });
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

  auto* form = new QFormLayout;
  form->addRow(texts("Stampante"), printer);
  form->addRow(texts("Copie"), copies);
  auto* layout = new QVBoxLayout(&dialog);
  // An empty list alone would leave the operator guessing why nothing is offered.
  if (printers.empty()) {
    auto* none =
        new QLabel(texts("Non è installata nessuna stampante. Per aggiungerne una aprire la pagina "
                         "web di CUPS, http://localhost:631, oppure usare il comando lpadmin (ad "
                         "esempio: lpadmin -p ufficio -E -v ipp://indirizzo/ipp/print -m everywhere). "
                         "Si può anche scrivere qui sotto il nome di una stampante di un altro server."),
                   &dialog);
    none->setObjectName("NoPrinters");
    none->setWordWrap(true);
    none->setMinimumWidth(none->fontMetrics().averageCharWidth() * 72);
    none->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(none);
  }
  layout->addLayout(form);
  layout->addWidget(all);
  layout->addLayout(rangeRow);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  PrintRequest request;
  request.printer = fromQt(printer->currentText().trimmed());
  request.copies = copies->value();
  request.firstPage = all->isChecked() ? 1 : first->value();
  request.lastPage = all->isChecked() ? pageCount : last->value();
  return request;
}

}  // namespace briskal::hostkit::qt
