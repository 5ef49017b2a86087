#pragma once
// The parameter form: the user filters the order lines, chooses the order type, the label type,
// the quantity basis and, for standard labels, the label size and text layout; "&Esegui" builds
// the order-line query and opens the selection form.

#include <memory>
#include <string>

#include "data/binding_collection.h"
#include "host/component_form.h"
#include "host/controls.h"
#include "labelrows/label_row_choices.h"
#include "layouts/layout_editor.h"
#include "params/child_forms.h"
#include "params/filter_lookups.h"

namespace briskal::data {
class Connection;
class Recordset;
}  // namespace briskal::data

namespace briskal::params {

class FRMPD_BRISKAL final : public host::ComponentForm,
                            public labelrows::LabelRowSource,
                            public layouts::LayoutEditor {
 public:
  FRMPD_BRISKAL(host::HostRuntime& runtime, ChildForms childForms);
  ~FRMPD_BRISKAL() override;

  // Public members the class and the other forms use.
  bool currentForm() const { return currentForm_; }
  std::shared_ptr<host::ComponentForm> FrmModSelez() const { return frmModSelez_; }
  data::Recordset* RsetSelezione() const { return rsetSelezione_.get(); }
  const std::string& StringaRigaOrd() const { return stringaRigaOrd_; }
  void CaricaComboPersonal() override;
  data::Recordset* layoutList() const override { return headerList_.get(); }
  layouts::LayoutHeader layoutHeader(const std::string& code, const std::string& title) const override;
  void selectFirstLayout() override;

  labelrows::LabelRowChoices labelRowChoices() const override;

  // Composes the order-line query into StringaRigaOrd from the form's controls.
  void GetStringaRigaOrd();
  // Checks the layout against the label size; false with the explanation in dimensionMessage().
  bool ControllaDimensioniEtichetta();
  const std::string& dimensionMessage() const { return dimensionMessage_; }
  void VisualizzaNRCaratteriSuRiga(int16_t row, int16_t sequence);

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_QueryUnload(int& cancel, int mode) override;
  void Form_Unload(int& cancel) override;
  void Form_KeyDown(int32_t keyCode, int32_t shift) override;
  Value publicProperty(std::string_view name) const override;
  data::Connection* errorConnection() override;

 private:
  void connectEvents();
  void firstActivation();
  void fillCombos();
  void CMB_TipoEtichetta_Change();
  void CMB_TipoQuantita_Change();
  bool ControllaQuantita();
  void CMD_ImpostaEtich_Click();
  void CMD_Esegui_Click();
  // Asks 74594 when the label is too small; false when the user answers No.
  bool confirmDimensions();
  void FrmModSelez_CloseFormModSelez();
  void KVX_RESIZEFORM1_Setup();
  void MDIActiveX1_Event();
  void CreaRsetSelezione();
  // Deletes every layout row, keeping the recordset the other forms hold.
  void emptyLayoutRows();
  void CaricaTabellaConfigurazioni();
  void InitQGrid_GridSelezione();
  void CMB_Personal_Change();
  void CaricaPersonalizzazione(int index);
  void ImpostaBCollDimensioni();
  void RimuoviBCollDimensioni();
  void CMD_Personalizza_Click();
  void GridSelezione_CellDblClick(const std::string& field);
  void GridSelezione_ErrKeyPress(const std::string& field, int32_t keyCode);
  void GridSelezione_OnEdited(const std::string& field, const Value& value, bool& cancel);
  void GridSelezione_RowColChange();
  void flipCaptionFlag();
  void CMD_RIGASU_ButtonClick();
  void CMD_RIGAGIU_ButtonClick();
  void CMD_ELIMINA_ButtonClick();
  int16_t labelSize(host::TextEditControl& edit);

  // Filter rows: descriptions of typed codes and search lists (frmpd_briskal_filter.cpp).
  using Side = host::QueryFilterControl::Side;
  void KVX_ADVQ_StartDecode(const std::string& caption, Side side, data::Bindable& description);
  void KVX_ADVQ_StartLookup(const std::string& caption, Side side, bool& handled);
  void lookupDocument(DocumentSearch search, const std::string& caption, Side side);
  void PclsLookupDoc_OnSelection(bool& cancel, data::Recordset& rsetRigaDoc, data::Recordset& RsetTestateDoc);
  void PclsLookupDoc_OnAddNodoDocumento(const Value& TipoDocumento, const Value& SottoTipoDocumento,
                                        const Value& CodiceDocumento, bool& SelezionaNodo, bool& Cancel);
  // The values a routine is given, the parent codes read from the side being decoded.
  std::vector<Value> routineValues(const std::vector<RoutineValue>& values, const std::string& typed,
                                   Side side);
  Value decodeBy(DecodeRoutine routine, const std::vector<Value>& values);
  // Asks the code-decoding component whether the code exists and, only if it does, its description.
  Value decodeCode(const char* procedure, host::CodeKind kind, const std::vector<Value>& key);
  Value DecodificaFamiglia(const Value& code);
  Value DecodificaSottoFamiglia(const Value& code, const Value& family);
  Value DecodificaGruppo(const Value& code, const Value& family, const Value& subFamily);
  Value DecodificaSottoGruppo(const Value& code, const Value& family, const Value& subFamily,
                              const Value& group);
  Value DecodificaGruppoStatistico(const Value& grouping, const Value& code);
  Value DecodificaDeposito(const Value& code);
  Value DecodificaReparto(const Value& code);
  Value DecodificaProgetto(const Value& project, const Value& subProject);
  Value DecodificaSottoProgetto(const Value& project, const Value& subProject);
  Value DecodificaCliOrigine(const Value& kind, const Value& code);
  Value DecodificaCommessa(const Value& job, const Value& subJob);
  Value DecodificaNodo(const Value& project, const Value& node);
  bool standardLabel();
  bool customQuantity();

  host::QueryFilterControl& KVX_ADVQ_;
  host::ComboControl& CMB_TipoOrdini_;
  host::ComboControl& CMB_TipoEtichetta_;
  host::ComboControl& CMB_TipoQuantita_;
  host::TextEditControl& TXT_NumEtichette_;
  host::ComboControl& CMB_QtaRifer_;
  host::CheckControl& CBX_OrdiniSaldati_;
  host::CheckControl& CBX_OrdiniNoResiduo_;
  host::CheckControl& CBX_Gestione_;
  host::ToolbarButtonControl& CMD_ImpostaEtich_;
  host::GridControl& GridSelezione_;
  host::ComboControl& CMB_QTARIPORTATA_;
  host::TextEditControl& TXT_ALTETIC_;
  host::TextEditControl& TXT_LUNGETIC_;
  host::TextEditControl& TXT_SALTO_;
  host::TextEditControl& TXT_RIGA_;
  host::TextEditControl& TXT_NRCARATTERI_;
  host::ComboControl& CMB_Personal_;
  host::ToolbarButtonControl& CMD_Esegui_;
  host::TabControl& SSTab1_;
  host::FormResizerControl& KVX_RESIZEFORM1_;
  host::MdiHostControl& MDIActiveX1_;

  std::string connectionString_;
  std::unique_ptr<data::Connection> connection_;
  Value company_;
  Value companySecondAttribute_;
  bool currentForm_ = false;
  bool initialised_ = false;
  bool loading_ = false;
  bool gridUpdate_ = false;
  bool loadFailed_ = false;  // the load step stopped on an error: the form opens no other form
  std::string stringaRigaOrd_;
  std::string dimensionMessage_;
  std::unique_ptr<data::Recordset> rsetSelezione_;
  std::unique_ptr<data::Recordset> headerList_;
  std::unique_ptr<data::Recordset> tableCopy_;
  std::vector<std::string> codeList_;
  std::unique_ptr<data::BindingCollection> bCollDimensioni_;
  int64_t lastGridPosition_ = -1;
  std::unique_ptr<host::LookupDecode> pclsDecodeDb_;
  std::unique_ptr<host::DocumentLookup> pclsLookupDoc_;
  std::unique_ptr<host::NodeDecode> pclsDecodeNodo_;
  bool lookupHeader_ = true;   // the running document lookup returns a header value
  bool originLookup_ = false;  // the running document lookup is the originating-document one
  std::string chosenValue_;    // the value chosen in the last document lookup
  ChildForms childForms_;
  std::shared_ptr<host::ComponentForm> frmModSelez_;
  // Counts the selection forms opened: only the newest one's close event reaches this form.
  int selectionForms_ = 0;
};

}  // namespace briskal::params
