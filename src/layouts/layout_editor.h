#pragma once
// What the save form asks of the layout editor that opened it. The save form knows this
// interface, not the parameter form.

#include <string>

#include "layouts/layout_table.h"

namespace briskal::layouts {

class LayoutEditor {
 public:
  virtual ~LayoutEditor() = default;
  // The header of the layout being edited, from its size edits and quantity selector.
  virtual LayoutHeader layoutHeader(const std::string& code, const std::string& title) const = 0;
  // Reloads the layout list and the selector; layoutList() then gives the new list.
  virtual void CaricaComboPersonal() = 0;
  virtual data::Recordset* layoutList() const = 0;
  virtual void selectFirstLayout() = 0;
};

}  // namespace briskal::layouts
