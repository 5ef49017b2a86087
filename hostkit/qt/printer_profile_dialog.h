#pragma once
// Edits a label printer's profile: a new one, or one the company keeps. Every setting the
// printer can decide itself (language, resolution, darkness, speed, label size) may be left to
// it. OK stores the profile; when the profiles refuse it the dialog stays open, saying why.

#include <QDialog>
#include <optional>
#include <string>

#include "hostkit/qt/screen_texts.h"
#include "hostkit/store/printer_profiles.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace briskal::hostkit::qt {

class PrinterProfileDialog final : public QDialog {
 public:
  // `profiles` is borrowed; `editing` is the profile changed, none for a new one.
  PrinterProfileDialog(PrinterProfiles& profiles, const std::optional<PrinterProfile>& editing,
                       std::string user, ScreenTexts texts, QWidget* parent);

  // The profile as stored, once accepted.
  const PrinterProfile& stored() const { return stored_; }

  void accept() override;

 private:
  PrinterProfile edited() const;

  PrinterProfiles& profiles_;
  bool adding_;
  std::string user_;
  ScreenTexts texts_;
  PrinterProfile stored_;
  QLineEdit* name_;
  QLineEdit* destination_;
  QComboBox* language_;
  QComboBox* dpi_;
  QComboBox* media_;
  QDoubleSpinBox* gap_;
  QCheckBox* sized_;
  QDoubleSpinBox* width_;
  QDoubleSpinBox* height_;
  QCheckBox* darkened_;
  QSpinBox* darkness_;
  QCheckBox* paced_;
  QSpinBox* speed_;
  QDoubleSpinBox* offsetX_;
  QDoubleSpinBox* offsetY_;
  QCheckBox* checkStatus_;
  QLabel* refusal_;
};

}  // namespace briskal::hostkit::qt
