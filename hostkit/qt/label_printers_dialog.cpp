#include "hostkit/qt/label_printers_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/error.h"
#include "host/message_box.h"
#include "hostkit/labelprinter/status_query.h"
#include "hostkit/qt/print_boxes.h"
#include "hostkit/qt/printer_profile_dialog.h"
#include "hostkit/qt/qt_control.h"
#include "hostkit/qt/qt_dialogs.h"

namespace briskal::hostkit::qt {
namespace {

QString mm(double value) { return toQt(labelprinter::millimetresText(value)); }

// What a profile's row shows: name, address, language, label, offsets, whether its status is asked.
QStringList rowOf(const PrinterProfile& p, ScreenTexts texts) {
  const labelprinter::PrinterSettings& s = p.settings;
  const QString printers = texts("Della stampante");
  return {toQt(p.name),
          toQt(p.destination),
          s.language ? toQt(std::string(labelprinter::languageName(*s.language))).toUpper() : printers,
          s.dpi ? QString::number(*s.dpi) : printers,
          s.labelSize ? mm(s.labelSize->widthMm) + " × " + mm(s.labelSize->heightMm) + " mm"
                      : texts("Del modello"),
          mm(s.offsetXMm) + ", " + mm(s.offsetYMm) + " mm",
          s.checkStatus ? texts("Sì") : texts("No")};
}

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  return b;
}

}  // namespace

LabelPrintersDialog::LabelPrintersDialog(LabelPrintersContext context,
                                         std::function<void(const PrinterProfile&)> use, QWidget* parent)
    : QDialog(parent),
      context_(std::move(context)),
      use_(std::move(use)),
      profiles_(connection_, context_.company) {
  connection_.setConnectionString(context_.connectionString);
  connection_.open();
  const ScreenTexts texts = context_.texts;
  setObjectName("LabelPrinters");
  setWindowTitle(texts("Stampanti di etichette"));
  current_ = new QLabel(this);
  current_->setObjectName("CurrentLabelPrinter");
  current_->setText(texts("Le etichette vanno ora a: %1").arg(labelPrinterPlace(context_.current)));
  table_ = new QTableWidget(0, 7, this);
  table_->setObjectName("Profiles");
  table_->setHorizontalHeaderLabels({texts("Nome"), texts("Indirizzo"), texts("Linguaggio"), "dpi",
                                     texts("Etichetta"), texts("Spostamento"), texts("Chiede lo stato")});
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { edit(false); });

  auto* add = button(texts("&Nuova…"), "NewProfile", this);
  auto* change = button(texts("&Modifica…"), "ChangeProfile", this);
  auto* drop = button(texts("&Elimina"), "RemoveProfile", this);
  auto* status = button(texts("S&tato"), "ProfileStatus", this);
  auto* useIt = button(texts("&Usa per le etichette"), "UseProfile", this);
  auto* close = button(texts("&Chiudi"), "CloseProfiles", this);
  connect(add, &QPushButton::clicked, this, [this] { edit(true); });
  connect(change, &QPushButton::clicked, this, [this] { edit(false); });
  connect(drop, &QPushButton::clicked, this, [this] { remove(); });
  connect(status, &QPushButton::clicked, this, [this] { showStatus(); });
  connect(useIt, &QPushButton::clicked, this, [this] { useChosen(); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  useIt->setDefault(true);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {add, change, drop, status}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(useIt);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(current_);
  layout->addWidget(table_, 1);
  layout->addLayout(buttons);
  resize(900, 360);
  reload();
}

void LabelPrintersDialog::reload(const std::string& select) {
  listed_ = profiles_.list();
  table_->setRowCount(static_cast<int>(listed_.size()));
  int selected = listed_.empty() ? -1 : 0;
  for (size_t row = 0; row < listed_.size(); ++row) {
    const QStringList cells = rowOf(listed_[row], context_.texts);
    for (int column = 0; column < cells.size(); ++column)
      table_->setItem(static_cast<int>(row), column, new QTableWidgetItem(cells[column]));
    if (listed_[row].name == select || (select.empty() && listed_[row].destination == context_.current))
      selected = static_cast<int>(row);
  }
  table_->resizeColumnsToContents();
  if (selected >= 0) table_->selectRow(selected);
}

const PrinterProfile* LabelPrintersDialog::chosen() const {
  const int row = table_->currentRow();
  return row >= 0 && row < static_cast<int>(listed_.size()) ? &listed_[static_cast<size_t>(row)] : nullptr;
}

void LabelPrintersDialog::edit(bool adding) {
  const PrinterProfile* profile = chosen();
  if (!adding && !profile) return;
  PrinterProfileDialog dialog(profiles_, adding ? std::nullopt : std::optional(*profile), context_.user,
                              context_.texts, this);
  if (dialog.exec() == QDialog::Accepted) reload(dialog.stored().name);
}

void LabelPrintersDialog::remove() {
  const PrinterProfile* profile = chosen();
  if (!profile) return;
  const ScreenTexts texts = context_.texts;
  QMessageBox box(QMessageBox::Question, texts("Stampanti di etichette"),
                  texts("Eliminare il profilo della stampante %1?").arg(toQt(profile->name)),
                  QMessageBox::NoButton, this);
  box.setObjectName("ConfirmRemoveProfile");
  QPushButton* yes = box.addButton(buttonWord(host::msg::kYes, texts), QMessageBox::YesRole);
  box.setEscapeButton(box.addButton(buttonWord(host::msg::kNo, texts), QMessageBox::NoRole));
  box.exec();
  if (box.clickedButton() != yes) return;
  try {
    profiles_.remove(profile->name);
  } catch (const std::exception& e) {
    showPrintFailure(texts("Il profilo non è stato eliminato."), e, texts);
  }
  reload();
}

void LabelPrintersDialog::showStatus() {
  const PrinterProfile* profile = chosen();
  if (!profile) return;
  const ScreenTexts texts = context_.texts;
  const auto translate = [&](const std::string& italian) { return fromQt(texts(italian)); };
  labelprinter::PrinterStatus status;
  try {
    const BusyCursor busy;
    status = labelprinter::askStatus(
        profile->destination, profile->settings.language.value_or(labelprinter::PrinterLanguage::Epl2));
  } catch (const std::exception& e) {
    showPrintFailure(texts("Lo stato della stampante %1 non è noto").arg(toQt(profile->name)), e, texts);
    return;
  }
  QString said;
  if (!status.known) {
    said = texts("Lo stato della stampante %1 non è noto").arg(toQt(profile->name)) + ": " +
           texts(status.unknownWhy.second);
  } else if (!status.ready()) {
    said = toQt(labelprinter::faultText(profile->name, status).translated(translate));
  } else {
    said = texts("La stampante %1 è pronta.").arg(toQt(profile->name));
  }
  if (status.labelsWaiting && *status.labelsWaiting > 0)
    said += "\n" + texts("Etichette in attesa di stampa: %1").arg(*status.labelsWaiting);
  for (const std::string& warning : status.warnings) said += "\n" + toQt(warning);
  QMessageBox box(status.known && !status.ready() ? QMessageBox::Warning : QMessageBox::Information,
                  texts("Stato della stampante"), said, QMessageBox::NoButton, this);
  box.setObjectName("PrinterStatus");
  box.setDefaultButton(box.addButton(buttonWord(host::msg::kOk, texts), QMessageBox::AcceptRole));
  box.exec();
}

void LabelPrintersDialog::useChosen() {
  const PrinterProfile* profile = chosen();
  if (!profile) return;
  use_(*profile);
  accept();
}

}  // namespace briskal::hostkit::qt
