#pragma once
// Keeps control properties equal to fields of a recordset's current row: a move or a field change
// shows the new value in the control, and with update mode 1 a change in the control is written
// to the field at once.

#include <memory>
#include <string>
#include <vector>

#include "data/bindable.h"
#include "data/recordset.h"

namespace briskal::data {

class BindingCollection final : public RecordsetListener {
 public:
  static constexpr int kUpdateWhenPropertyChanges = 1;
  static constexpr int kUpdateNever = 2;

  BindingCollection() = default;
  ~BindingCollection() override;
  BindingCollection(const BindingCollection&) = delete;
  BindingCollection& operator=(const BindingCollection&) = delete;

  // Error 3265 when the field is unknown to the current data source.
  void add(Bindable& control, std::string property, std::string field);
  void remove(size_t index);
  size_t count() const { return bindings_.size(); }
  void clear();

  // nullptr detaches the collection from its data source.
  void setDataSource(Recordset* recordset);
  Recordset* dataSource() const { return source_; }
  void setUpdateMode(int mode) { updateMode_ = mode; }
  int updateMode() const { return updateMode_; }

  void currentRowChanged() override;
  void fieldChanged(size_t field) override;

 private:
  struct Binding {
    Bindable* control;
    std::string property;
    std::string field;
    int fieldIndex = -1;
  };
  void show(Binding& binding);
  void controlChanged(Binding& binding, std::string_view property);
  void listen(Binding& binding);

  std::vector<std::unique_ptr<Binding>> bindings_;
  Recordset* source_ = nullptr;
  int updateMode_ = kUpdateWhenPropertyChanges;
  bool showing_ = false;
};

}  // namespace briskal::data
