#pragma once
// The label designer: a template on a canvas at true size, a palette of the print support's
// fields to drag onto it, a panel with the chosen item's exact values, the label shown with the
// data of a chosen order line, as drawn or as the label printer prints it, and the template opened
// from and saved to a file or the company's database, where each save is a new version.

#include <QMainWindow>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "common/regional.h"
#include "data/connection.h"
#include "hostkit/designer/design_document.h"
#include "hostkit/designer/live_labels.h"
#include "hostkit/qt/screen_texts.h"

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QListWidget;
class QCheckBox;
class QScrollArea;
class QSpinBox;

namespace briskal::hostkit::qt {

class DesignerCanvas;

// What the designer works with: where the company's data is and whose session it is.
struct DesignerContext {
  std::string connectionString;  // none: no live data and no stored templates
  int company = 1;
  std::string user;
  RegionalSettings regional = RegionalSettings::italian();
  ScreenTexts texts;
  std::function<std::string(const std::string&)> captions;  // a caption in the session's language
};

class DesignerWindow final : public QMainWindow {
 public:
  explicit DesignerWindow(DesignerContext context, QWidget* parent = nullptr);
  ~DesignerWindow() override;

  // Opens a template file, or one the database keeps under that name. A text the parser refuses
  // lists its error and leaves what is open as it was; false then.
  bool open(const std::string& fileOrName);
  // Saves where the template came from: its file, or a new version in the database.
  bool save();
  bool saveAs(const std::filesystem::path& file);
  bool saveToDatabase(const std::string& name, const std::string& comment);

  designer::DesignDocument* document() { return document_.get(); }
  DesignerCanvas* canvas() { return canvas_; }
  QListWidget* problems() { return problems_; }
  // Shows the label with the data of the `line`-th order line, or with the fields' captions.
  void showLine(std::optional<size_t> line);
  // The `label`-th label (from 0) of the order line shown.
  void showLabel(int64_t label);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void build();
  QWidget* buildItemPanel();
  QWidget* buildPagePanel();
  void applyPage();
  // The section whose height the panel shows: the first chosen item's, or the first detail.
  size_t panelSection() const;
  // True when there is nothing unsaved, or the person agrees to lose it.
  bool mayDiscard();
  void insertImage();
  void setDocument(std::unique_ptr<designer::DesignDocument> document, std::string origin);
  void documentChanged();
  void showSelection();
  void applyProperties();
  void addItem(report::TemplateItem item);
  void updateTitle();

  DesignerContext context_;
  std::unique_ptr<data::Connection> connection_;
  std::unique_ptr<designer::LiveLabels> live_;
  std::unique_ptr<data::Recordset> record_;
  std::unique_ptr<designer::DesignDocument> document_;
  std::string origin_;  // the file it came from, or "db:NAME"
  std::optional<int> storedVersion_;
  QScrollArea* scroll_ = nullptr;
  DesignerCanvas* canvas_ = nullptr;
  QListWidget* problems_ = nullptr;
  QComboBox* lines_ = nullptr;
  QComboBox* printer_ = nullptr;
  QDoubleSpinBox* geometry_[4] = {};
  QComboBox* sourceKind_ = nullptr;
  QLineEdit* sourceText_ = nullptr;
  QDoubleSpinBox* size_ = nullptr;
  QDoubleSpinBox* shrinkTo_ = nullptr;
  QCheckBox* bold_ = nullptr;
  QCheckBox* italic_ = nullptr;
  QComboBox* rotation_ = nullptr;
  QComboBox* align_ = nullptr;
  QLineEdit* font_ = nullptr;
  QLineEdit* format_ = nullptr;
  QCheckBox* collapse_ = nullptr;
  QComboBox* symbology_ = nullptr;
  QCheckBox* showText_ = nullptr;
  QDoubleSpinBox* thickness_ = nullptr;
  QCheckBox* filled_ = nullptr;
  QDoubleSpinBox* page_[6] = {};  // width, height, then the margins: top, bottom, left, right
  QDoubleSpinBox* sectionHeight_ = nullptr;
  QComboBox* stock_ = nullptr;
  QSpinBox* labelRow_ = nullptr;
  bool showing_ = false;  // the panels are being filled, not edited
  bool fitted_ = false;   // the label was fitted to the window when it first showed
};

}  // namespace briskal::hostkit::qt
