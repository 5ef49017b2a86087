#pragma once
// The company's label printers, for the session to choose from: their profiles listed with
// where each is and how it is driven; New, Change and Remove keep them, Status asks a printer
// whether it can print, and Use makes the chosen one the session's label printer.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "common/value.h"
#include "data/connection.h"
#include "hostkit/qt/screen_texts.h"
#include "hostkit/store/printer_profiles.h"

class QLabel;
class QTableWidget;

namespace briskal::hostkit::qt {

struct LabelPrintersContext {
  std::string connectionString;
  Value company;
  std::string user;
  std::string current;  // where the session's label-printer jobs go now
  ScreenTexts texts;
};

class LabelPrintersDialog final : public QDialog {
 public:
  // `use` hears of the profile chosen for the session. Throws briskal::Error when the database
  // cannot be opened.
  LabelPrintersDialog(LabelPrintersContext context, std::function<void(const PrinterProfile&)> use,
                      QWidget* parent);

  // The profiles as listed, in the table's order.
  const std::vector<PrinterProfile>& listed() const { return listed_; }

 private:
  void reload(const std::string& select = {});
  // The profile of the table's current row; nullptr when none is chosen.
  const PrinterProfile* chosen() const;
  void edit(bool adding);
  void remove();
  void showStatus();
  void useChosen();

  LabelPrintersContext context_;
  std::function<void(const PrinterProfile&)> use_;
  data::Connection connection_;
  PrinterProfiles profiles_;
  std::vector<PrinterProfile> listed_;
  QLabel* current_;
  QTableWidget* table_;
};

}  // namespace briskal::hostkit::qt
