#include "hostkit/qt/printer_profile_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/error.h"
#include "hostkit/qt/print_boxes.h"
#include "hostkit/qt/qt_control.h"

namespace briskal::hostkit::qt {
namespace {

using labelprinter::Media;
using labelprinter::PrinterLanguage;

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QDoubleSpinBox* millimetres(const char* name, double value, double low, double high, QWidget* parent) {
  auto* box = named(new QDoubleSpinBox(parent), name);
  box->setRange(low, high);
  box->setDecimals(2);
  box->setSingleStep(0.1);
  box->setSuffix(" mm");
  box->setValue(value);
  return box;
}

QSpinBox* whole(const char* name, int value, int low, int high, QWidget* parent) {
  auto* box = named(new QSpinBox(parent), name);
  box->setRange(low, high);
  box->setValue(value);
  return box;
}

// A checkbox that says the value beside it is set: unset, the printer keeps its own.
QWidget* optional(QCheckBox* set, QWidget* value, QWidget* parent) {
  auto* row = new QWidget(parent);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(set);
  layout->addWidget(value, 1);
  value->setEnabled(set->isChecked());
  QObject::connect(set, &QCheckBox::toggled, value, &QWidget::setEnabled);
  return row;
}

}  // namespace

PrinterProfileDialog::PrinterProfileDialog(PrinterProfiles& profiles,
                                           const std::optional<PrinterProfile>& editing, std::string user,
                                           ScreenTexts texts, QWidget* parent)
    : QDialog(parent), profiles_(profiles), adding_(!editing), user_(std::move(user)), texts_(texts) {
  setObjectName("PrinterProfile");
  setWindowTitle(adding_ ? texts("Nuova stampante di etichette") : texts("Stampante di etichette"));
  const PrinterProfile p = editing.value_or(PrinterProfile{});
  const labelprinter::PrinterSettings& s = p.settings;
  name_ = named(new QLineEdit(toQt(p.name), this), "ProfileName");
  name_->setMaxLength(40);
  name_->setReadOnly(!adding_);
  destination_ = named(new QLineEdit(toQt(p.destination), this), "ProfileDestination");
  destination_->setPlaceholderText("tcp://HOST[:PORT], ipp://HOST[:PORT]/PATH, cups:QUEUE");
  destination_->setMinimumWidth(320);
  language_ = named(new QComboBox(this), "ProfileLanguage");
  language_->addItems({texts("Della stampante"), "EPL2", "ZPL"});
  language_->setCurrentIndex(!s.language ? 0 : *s.language == PrinterLanguage::Epl2 ? 1 : 2);
  dpi_ = named(new QComboBox(this), "ProfileDpi");
  dpi_->addItem(texts("Della stampante"), 0);
  for (const int dpi : {152, 203, 300, 600}) dpi_->addItem(QString::number(dpi), dpi);
  dpi_->setCurrentIndex(std::max(0, dpi_->findData(s.dpi.value_or(0))));
  media_ = named(new QComboBox(this), "ProfileMedia");
  media_->addItems(
      {texts("Etichette separate da uno spazio"), texts("Tacca nera"), texts("Modulo continuo")});
  media_->setCurrentIndex(static_cast<int>(s.media));
  gap_ = millimetres("ProfileGap", s.gapMm, 0, 30, this);
  sized_ = named(new QCheckBox(texts("Dimensione"), this), "ProfileSized");
  sized_->setChecked(s.labelSize.has_value());
  width_ = millimetres("ProfileWidth", s.labelSize ? s.labelSize->widthMm : 100, 5, 300, this);
  height_ = millimetres("ProfileHeight", s.labelSize ? s.labelSize->heightMm : 50, 5, 1000, this);
  auto* size = new QWidget(this);
  auto* sizeLayout = new QHBoxLayout(size);
  sizeLayout->setContentsMargins(0, 0, 0, 0);
  sizeLayout->addWidget(width_);
  sizeLayout->addWidget(new QLabel("×", size));
  sizeLayout->addWidget(height_);
  darkened_ = named(new QCheckBox(this), "ProfileDarknessSet");
  darkened_->setChecked(s.darkness.has_value());
  darkness_ = whole("ProfileDarkness", s.darkness.value_or(15), 0, 30, this);
  paced_ = named(new QCheckBox(this), "ProfileSpeedSet");
  paced_->setChecked(s.speed.has_value());
  speed_ = whole("ProfileSpeed", s.speed.value_or(4), 1, 14, this);
  speed_->setSuffix(texts(" pollici/s"));
  offsetX_ = millimetres("ProfileOffsetX", s.offsetXMm, 0, 300, this);
  offsetY_ = millimetres("ProfileOffsetY", s.offsetYMm, 0, 1000, this);
  checkStatus_ = named(new QCheckBox(texts("Chiedi lo stato alla stampante prima e dopo ogni lavoro"), this),
                       "ProfileCheckStatus");
  checkStatus_->setChecked(editing ? s.checkStatus : true);
  refusal_ = named(new QLabel(this), "ProfileRefusal");
  refusal_->setWordWrap(true);
  refusal_->setStyleSheet("color: #b00020");
  refusal_->hide();

  auto* form = new QFormLayout;
  form->addRow(texts("Nome"), name_);
  form->addRow(texts("Indirizzo"), destination_);
  form->addRow(texts("Linguaggio"), language_);
  form->addRow(texts("Risoluzione (dpi)"), dpi_);
  form->addRow(texts("Supporto"), media_);
  form->addRow(texts("Spazio o tacca"), gap_);
  form->addRow(texts("Etichetta"), optional(sized_, size, this));
  form->addRow(texts("Intensità (0-30)"), optional(darkened_, darkness_, this));
  form->addRow(texts("Velocità"), optional(paced_, speed_, this));
  form->addRow(texts("Spostamento a destra"), offsetX_);
  form->addRow(texts("Spostamento in basso"), offsetY_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(texts("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(texts("Annulla"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(checkStatus_);
  layout->addWidget(refusal_);
  layout->addWidget(buttons);
  (adding_ ? name_ : destination_)->setFocus();
}

PrinterProfile PrinterProfileDialog::edited() const {
  PrinterProfile p;
  p.name = fromQt(name_->text().trimmed());
  p.destination = fromQt(destination_->text().trimmed());
  labelprinter::PrinterSettings& s = p.settings;
  if (language_->currentIndex() > 0)
    s.language = language_->currentIndex() == 1 ? PrinterLanguage::Epl2 : PrinterLanguage::Zpl;
  if (const int dpi = dpi_->currentData().toInt(); dpi > 0) s.dpi = dpi;
  s.media = static_cast<Media>(media_->currentIndex());
  s.gapMm = gap_->value();
  if (sized_->isChecked()) s.labelSize = labelprinter::LabelSize{width_->value(), height_->value()};
  if (darkened_->isChecked()) s.darkness = darkness_->value();
  if (paced_->isChecked()) s.speed = speed_->value();
  s.offsetXMm = offsetX_->value();
  s.offsetYMm = offsetY_->value();
  s.checkStatus = checkStatus_->isChecked();
  s.name = p.name;
  return p;
}

void PrinterProfileDialog::accept() {
  const PrinterProfile profile = edited();
  try {
    if (adding_) profiles_.add(profile, user_);
    else profiles_.update(profile, user_);
  } catch (const Error& e) {
    refusal_->setText(failureText(e, texts_));
    refusal_->show();
    return;
  }
  stored_ = *profiles_.find(profile.name);
  QDialog::accept();
}

}  // namespace briskal::hostkit::qt
