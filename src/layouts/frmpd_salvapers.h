#pragma once
// The modal form that saves the layout being edited under a code and a title, replaces an
// existing one after asking, or deletes one.

#include <memory>
#include <string>

#include "host/component_form.h"
#include "host/controls.h"
#include "layouts/layout_editor.h"

namespace briskal::data {
class Connection;
class Recordset;
}  // namespace briskal::data

namespace briskal::layouts {

class FRMPD_SALVAPERS final : public host::ComponentForm {
 public:
  explicit FRMPD_SALVAPERS(host::HostRuntime& runtime);
  ~FRMPD_SALVAPERS() override;

  // What the parameter form hands over, in this order, before showing the form; all borrowed.
  void setLogObject(std::shared_ptr<host::LogService> log) { setLog(std::move(log)); }
  void setConnection(data::Connection* connection) { connection_ = connection; }
  void setLayoutList(data::Recordset* list) { list_ = list; }
  void setLayoutLines(data::Recordset* lines) { lines_ = lines; }
  void setLayoutTable(data::Recordset* table) { table_ = table; }
  void setCallingForm(LayoutEditor* form) { callingForm_ = form; }

  // Results read by the parameter form once the form has closed.
  bool saved() const { return saved_; }
  const std::string& savedCode() const { return savedCode_; }

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_QueryUnload(int& cancel, int mode) override;
  void Form_Unload(int& cancel) override;
  void Form_KeyDown(int32_t keyCode, int32_t shift) override;
  data::Connection* errorConnection() override { return connection_; }
  // "Succeeded": whether the last save or delete went through, for the host.
  Value publicProperty(std::string_view name) const override;

 private:
  void LoadElencoSelezioni();
  bool SalvaPersonalizzazione();
  // False when the layout has no height or no width and the user answers No to saving it so.
  bool sizeConfirmed(const LayoutHeader& header);
  bool EliminaPersonalizzazione();
  void CMD_SALVA_ButtonClick();
  void CMD_ELIMINA_ButtonClick();
  void cmd_annulla_ButtonClick();
  void QGRID_SEL_RowChanged();
  void TXT_Codice_Validate(bool& cancel);
  void showListRow();
  bool codeInList(const std::string& code);
  enum class Step { Save, Delete };
  // Shows why the step failed (exclamation), the database's first error in a numbered sentence,
  // and returns false.
  bool reportFailure(const std::exception& error, Step step);
  void reloadList();

  host::GridControl& QGRID_SEL_;
  host::TextEditControl& TXT_Codice_;
  host::TextEditControl& TXT_Titolo_;
  host::TextEditControl& TXT_WidthEtic_;
  host::TextEditControl& TXT_HeightEtic_;
  host::ToolbarButtonControl& cmd_annulla_;

  data::Connection* connection_ = nullptr;
  data::Recordset* list_ = nullptr;
  data::Recordset* lines_ = nullptr;
  data::Recordset* table_ = nullptr;
  LayoutEditor* callingForm_ = nullptr;
  bool newRow_ = false;
  bool succeeded_ = false;
  bool saved_ = false;
  std::string savedCode_;
};

}  // namespace briskal::layouts
