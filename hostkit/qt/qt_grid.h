#pragma once
// A grid over a recordset on screen: a table view whose model reads the recordset's view lazily.
// The grid follows the recordset's current row and moves it when a person selects a row; double
// clicks, typed cell values and keys go to the form as the grid's events. A check cell toggles with
// one click on its box or Space; a cell too narrow for its text shows it whole in a tool tip.

#include <QTableView>
#include <memory>

#include "data/recordset.h"
#include "hostkit/qt/qt_control.h"
#include "hostkit/qt/recordset_model.h"
#include "hostkit/qt/screen_texts.h"

namespace briskal::hostkit::qt {

class QtGrid final : public QtControl<host::GridControl, QTableView>,
                     public QObject,
                     private data::RecordsetListener {
 public:
  QtGrid(std::string name, QTableView* view, RegionalSettings regional, ScreenTexts texts);
  ~QtGrid() override;

  // Without a recordset the grid goes on showing the rows it showed, until it is given rows again
  // or its contents are released.
  void setDataSource(data::Recordset* recordset) override;
  data::Recordset* dataSource() const override { return source_; }
  void clearColumns() override;
  void addColumn(const host::GridColumn& column) override;
  const std::vector<host::GridColumn>& columns() const override { return columns_; }
  void setKeyField(const std::string& field) override { keyField_ = field; }
  void releaseContents() override;
  void onCellDoubleClick(std::function<void(const std::string& field)> handler) override {
    onCellDoubleClick_ = std::move(handler);
  }
  void onRowChanged(std::function<void()> handler) override { onRowChanged_ = std::move(handler); }
  void onEdited(std::function<void(const std::string&, const Value&, bool&)> handler) override {
    onEdited_ = std::move(handler);
  }
  void onKeyPress(std::function<void(const std::string&, int32_t)> handler) override {
    onKeyPress_ = std::move(handler);
  }

  RecordsetModel& model() { return *model_; }
  // Stores what a person typed into a cell of the current row, through the edited event.
  void edit(int column, const QString& typed);
  // A person toggled a check cell: the forms flip their check columns on the cell's double click.
  void toggle(int row, int column);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void currentRowChanged() override;
  void fieldChanged(size_t) override { model_->refresh(); }
  void showColumns();
  // Selects the recordset's current row in the view, scrolling to it.
  void followCurrentRow();
  std::string fieldOfColumn(int column) const;

  std::unique_ptr<RecordsetModel> model_;
  data::Recordset* source_ = nullptr;
  std::vector<host::GridColumn> columns_;
  std::string keyField_;
  bool following_ = false;  // the view is being moved to the recordset's row
  std::function<void(const std::string&)> onCellDoubleClick_;
  std::function<void()> onRowChanged_;
  std::function<void(const std::string&, const Value&, bool&)> onEdited_;
  std::function<void(const std::string&, int32_t)> onKeyPress_;
};

}  // namespace briskal::hostkit::qt
