#pragma once
// The selection form: it opens the order-line query handed over by the parameter form, expands
// every order line into label rows in RsetGridRigaOrd, shows them in its grid and detail fields,
// and raises CloseFormModSelez, which the parameter form handles, when it closes.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "data/binding_collection.h"
#include "host/component_form.h"
#include "host/controls.h"
#include "host/report_service.h"
#include "labelrows/label_row_choices.h"
#include "labelrows/selection_editing.h"

namespace briskal::data {
class Connection;
class NamedLock;
class Recordset;
}  // namespace briskal::data

namespace briskal::labelrows {

class FRMPD_MODSELEZ final : public host::ComponentForm {
 public:
  explicit FRMPD_MODSELEZ(host::HostRuntime& runtime);
  ~FRMPD_MODSELEZ() override;

  // The inputs the parameter form hands over, in this order, before showing the form.
  void setConnectionAdo(data::Connection* connection) { connection_ = connection; }
  void setConnectionString(const std::string& text) { connectionString_ = text; }
  void setLogObject(std::shared_ptr<host::LogService> log) { setLog(std::move(log)); }
  void setStringaRigaOrd(const std::string& sql) { stringaRigaOrd_ = sql; }
  const std::string& StringaRigaOrd() const { return stringaRigaOrd_; }
  void setRsetSelezione(data::Recordset* layout) { rsetSelezione_ = layout; }
  void setCallingForm(LabelRowSource* form) { callingForm_ = form; }

  data::Recordset* RsetGridRigaOrd() const { return rsetGridRigaOrd_.get(); }

  // The event CloseFormModSelez.
  void onCloseFormModSelez(std::function<void()> handler) { closeHandler_ = std::move(handler); }

  // translate with quoteForSql: 1 doubles every single quote of the result.
  std::string translate(std::string_view text, int32_t number, const std::vector<Value>* parameters,
                        int16_t quoteForSql);

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_QueryUnload(int& cancel, int mode) override;
  void Form_Unload(int& cancel) override;
  void Form_KeyDown(int32_t keyCode, int32_t shift) override;
  Value publicProperty(std::string_view name) const override;
  data::Connection* errorConnection() override { return connection_; }

 private:
  void CaricaRsetRigaOrd();
  void CaricaRsetGrid();
  void ImpostaBindingColl();
  void RimuoviBindings();
  void PreparaGriglia();
  void CaricaListaParametri(bool global);
  void MDIActiveX1_Event();

  // Selection editing.
  void CMB_TIPOATT_Change();
  void CMB_TIPOPAR_Change();
  void TXT_PARAM_KeyPress(int32_t& keyAscii);
  void TXT_PARAM_Validate(bool& cancel);
  void CmdConf_Click();
  // The routines of one action, each returning the rows it changed; the caller attaches the grid
  // again.
  int64_t markByParameter(const BatchRule& rule, std::string_view filter, std::string_view mark,
                          bool quantity);
  int64_t restoreAll();
  int64_t changeQuantityOfAll();
  // The selection's totals under the grid, after an editing action with the rows it changed.
  void showTotals(std::optional<int64_t> changedRows = std::nullopt);
  // More labels than the host's threshold ask first; false when the operator declines.
  bool labelCountConfirmed();
  // The new quantity per label, or the message 64773 and nullopt.
  std::optional<Decimal> ControllaQuantita();
  // "Inserire un valore numerico" when a numeric parameter type has a text that is no number.
  bool parameterRefused();
  void KVX_QGRIDWRAPPER1_CellDblClick(const std::string& field);
  // A label's quantity, typed in its detail field or in the grid, is a number above zero with at
  // most three decimals; anything else is refused and the label keeps its quantity.
  bool quantityAccepted(const std::string& text);
  void KVX_QGRIDWRAPPER1_Edited(const std::string& field, const Value& value, bool& cancel);
  void TXT_QTASUETIC_Change();

  // Printing.
  void CmdExec_Click();
  // Waits for other runs of this user on this workstation to end; nullptr, with a message, when
  // they do not end in time.
  std::unique_ptr<data::NamedLock> takeTurn();
  void GetRsetRptEtichette();
  // Writes this run's label texts; false when they could not be written whole.
  bool ImpostaDatiEtichetta();
  std::string ComputerName();
  void PclsReport_BeforePrintReport(host::ReportEngine& engine);
  void PreparaLimiti(host::ReportEngine& engine, bool printLimits);
  void PreparaNote(host::ReportEngine& engine, bool printNotes);
  void CMD_EPL_ButtonClick();
  void StampaEtichettePersonalizzate();
  void PclsReportPers_BeforePrintReport(host::ReportEngine& engine);
  void CreaSupportoStampaPersonalizzata();
  // False, with the error shown and no support left, when the support could not be filled whole.
  bool AlimentaSupportoStampaPersonalizzata();
  void releaseReport();
  // The label row the grid stands on, if any.
  std::optional<data::Bookmark> currentLabelRow() const;
  // Removes the run's filter, goes back to `row` and shows the label rows in the grid and the
  // detail fields again.
  void attachRows(std::optional<data::Bookmark> row);
  // The statement that reads back this workstation's labels, in label order.
  std::string ownLabelsSql(const std::string& columns) const;

  host::GridControl& grid_;
  host::ComboControl& CMB_TIPOATT_;
  host::ComboControl& CMB_TIPOPAR_;
  host::ComboControl& CMB_OPERAT_;
  host::TextEditControl& TXT_NEWQTASUETIC_;
  host::TextEditControl& TXT_PARAM_;
  host::TextEditControl& TXT_QTASUETIC_;
  host::ToolbarButtonControl& CMD_EPL_;
  host::FormResizerControl& KVX_RESIZEFORM1_;
  host::MdiHostControl& MDIActiveX1_;
  host::LabelControl& LBL_Totali_;

  data::Connection* connection_ = nullptr;
  std::string connectionString_;
  std::string stringaRigaOrd_;
  data::Recordset* rsetSelezione_ = nullptr;
  LabelRowSource* callingForm_ = nullptr;
  std::function<void()> closeHandler_;
  bool loadedOnce_ = false;
  std::unique_ptr<data::Recordset> rsetRigaOrd_;
  std::unique_ptr<data::Recordset> rsetGridRigaOrd_;
  std::unique_ptr<data::BindingCollection> bindCollRigaOrd_;
  std::unique_ptr<data::Recordset> rsetRptEtichette_;
  std::unique_ptr<data::Recordset> printSupport_;
  std::unique_ptr<host::ReportService> pclsReport_;
  std::string machine_;
  std::string user_;
};

}  // namespace briskal::labelrows
