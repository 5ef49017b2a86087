#include "params/frmpd_briskal.h"

#include <algorithm>

#include "common/convert.h"
#include "common/routines.h"
#include "common/utf8.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "host/cinterface.h"
#include "host/services.h"
#include "params/dimension_check.h"
#include "params/filter_fields.h"
#include "params/layout_rows.h"
#include "params/order_line_query.h"

namespace briskal::params {

using labelrows::LabelType;
using labelrows::labelTypeOf;
using labelrows::QuantityBasis;
using labelrows::quantityBasisOf;

namespace {

constexpr int kTabGeneral = 0;
constexpr int kTabLayout = 1;

}  // namespace

FRMPD_BRISKAL::FRMPD_BRISKAL(host::HostRuntime& runtime, ChildForms childForms)
    : ComponentForm(runtime, "FRMPD_BRISKAL", "Stampa etichette da ordine di lavoro"),
      KVX_ADVQ_(controls().queryFilter("KVX_ADVQ")),
      CMB_TipoOrdini_(controls().combo("CMB_TipoOrdini")),
      CMB_TipoEtichetta_(controls().combo("CMB_TipoEtichetta")),
      CMB_TipoQuantita_(controls().combo("CMB_TipoQuantità")),
      TXT_NumEtichette_(controls().textEdit("TXT_NumEtichette")),
      CMB_QtaRifer_(controls().combo("CMB_QtaRifer")),
      CBX_OrdiniSaldati_(controls().check("CBX_OrdiniSaldati")),
      CBX_OrdiniNoResiduo_(controls().check("CBX_OrdiniNoResiduo")),
      CBX_Gestione_(controls().check("CBX_Gestione")),
      CMD_ImpostaEtich_(controls().button("CMD_ImpostaEtich")),
      GridSelezione_(controls().grid("GridSelezione")),
      CMB_QTARIPORTATA_(controls().combo("CMB_QTARIPORTATA")),
      TXT_ALTETIC_(controls().textEdit("TXT_ALTETIC")),
      TXT_LUNGETIC_(controls().textEdit("TXT_LUNGETIC")),
      TXT_SALTO_(controls().textEdit("TXT_SALTO")),
      TXT_RIGA_(controls().textEdit("TXT_RIGA")),
      TXT_NRCARATTERI_(controls().textEdit("TXT_NRCARATTERI")),
      CMB_Personal_(controls().combo("CMB_Personal")),
      CMD_Esegui_(controls().button("CMD_Esegui")),
      SSTab1_(controls().tab("SSTab1")),
      KVX_RESIZEFORM1_(controls().resizer("KVX_RESIZEFORM1")),
      MDIActiveX1_(controls().mdiHost("MDIActiveX1")),
      childForms_(std::move(childForms)) {
  SSTab1_.setTabs({"&Parametri generali", "&Configurazione report"});
  CMD_ImpostaEtich_.setCaption("&Avanti");
  CMD_Esegui_.setCaption("&Esegui");
  controls().button("CMD_Personalizza").setCaption("&Salva");
  TXT_NumEtichette_.setSetting("tooltip", Value("Numero etichette da stampare"));
  connectEvents();
}

FRMPD_BRISKAL::~FRMPD_BRISKAL() = default;

void FRMPD_BRISKAL::connectEvents() {
  CMB_TipoEtichetta_.onChange([this] { CMB_TipoEtichetta_Change(); });
  CMB_TipoQuantita_.onChange([this] { CMB_TipoQuantita_Change(); });
  CMB_Personal_.onChange([this] {
    if (!loading_) CMB_Personal_Change();
  });
  controls().button("CMD_Personalizza").onClick([this] { CMD_Personalizza_Click(); });
  controls().button("CMD_RIGASU").onClick([this] { CMD_RIGASU_ButtonClick(); });
  controls().button("CMD_RIGAGIU").onClick([this] { CMD_RIGAGIU_ButtonClick(); });
  controls().button("CMD_ELIMINA").onClick([this] { CMD_ELIMINA_ButtonClick(); });
  GridSelezione_.onCellDoubleClick([this](const std::string& field) { GridSelezione_CellDblClick(field); });
  GridSelezione_.onKeyPress(
      [this](const std::string& field, int32_t key) { GridSelezione_ErrKeyPress(field, key); });
  GridSelezione_.onEdited([this](const std::string& field, const Value& value, bool& cancel) {
    GridSelezione_OnEdited(field, value, cancel);
  });
  GridSelezione_.onRowChanged([this] { GridSelezione_RowColChange(); });
  CMD_ImpostaEtich_.onClick([this] { CMD_ImpostaEtich_Click(); });
  CMD_Esegui_.onClick([this] { CMD_Esegui_Click(); });
  KVX_RESIZEFORM1_.onSetup([this] { KVX_RESIZEFORM1_Setup(); });
  MDIActiveX1_.onHostEvent([this] { MDIActiveX1_Event(); });
  KVX_ADVQ_.onStartDecode([this](const std::string& caption, Side side, data::Bindable& description) {
    KVX_ADVQ_StartDecode(caption, side, description);
  });
  KVX_ADVQ_.onStartLookup([this](const std::string& caption, Side side, data::Bindable&, bool& handled) {
    KVX_ADVQ_StartLookup(caption, side, handled);
  });
  // The size fields take any text; the check runs when the labels are produced or saved.
  for (host::TextEditControl* edit : {&TXT_ALTETIC_, &TXT_LUNGETIC_, &TXT_SALTO_})
    edit->onValidate([](bool&) {});
}

// --- life cycle ---------------------------------------------------------------------------------

void FRMPD_BRISKAL::Form_Load() {
  loadFailed_ = true;
  trap("Form_Load", [&] {
    createLog();
    host::GlobalContext& context = global();
    connectionString_ = context.connectionString();
    connection_ = context.connectionFactory().newConnection();
    connection_->setConnectionString(connectionString_);
    connection_->setRegionalSettings(context.regionalSettings());
    connection_->setIsolationLevel(data::isolation::kReadUncommitted);
    connection_->open("", "");
    company_ = context.company();
    pclsDecodeDb_ = runtime().createLookupDecode();
    pclsDecodeDb_->setHost(hostInterface());
    pclsLookupDoc_ = runtime().createDocumentLookup();
    pclsLookupDoc_->setHost(hostInterface());
    pclsLookupDoc_->onAddNode(
        [this](const Value& type, const Value& subKind, const Value& code, bool& select, bool& cancel) {
          PclsLookupDoc_OnAddNodoDocumento(type, subKind, code, select, cancel);
        });
    pclsLookupDoc_->onSelection([this](bool& cancel, data::Recordset& lines, data::Recordset& headers) {
      PclsLookupDoc_OnSelection(cancel, lines, headers);
    });
    pclsDecodeNodo_ = runtime().createNodeDecode();
    pclsDecodeNodo_->setHost(hostInterface());
    CMB_QTARIPORTATA_.clear();
    CMB_QTARIPORTATA_.setBooleanList(false);
    CMB_QTARIPORTATA_.addItem("Quantita' ordinata", 0);
    CMB_QTARIPORTATA_.addItem("Quantita' residua", 1);
    CMB_QTARIPORTATA_.addItem("Quantita' versata", 2);
    InitQGrid_GridSelezione();
    KVX_RESIZEFORM1_.start();
    loadFailed_ = false;
  });
}

void FRMPD_BRISKAL::Form_Activate() {
  trap("Form_Activate", [&] {
    currentForm_ = true;
    refreshNavigatorStatus();
    if (!initialised_) firstActivation();
  });
}

void FRMPD_BRISKAL::firstActivation() {
  loading_ = true;
  fillCombos();
  host::GlobalContext& context = global();
  company_ = context.company();
  companySecondAttribute_ = context.companySecondAttribute();
  KVX_ADVQ_.configure(company_, context.userCode(), context.userGroupCode(), hostInterface(),
                      host::kComponentName, connection_.get());
  ImpostaCampiFiltro(KVX_ADVQ_);
  KVX_ADVQ_.start();
  CreaRsetSelezione();
  CaricaTabellaConfigurazioni();
  SSTab1_.setTabEnabled(kTabLayout, false);
  TXT_ALTETIC_.setText("0");
  TXT_LUNGETIC_.setText("0");
  TXT_SALTO_.setText("");
  CMB_QTARIPORTATA_.selectKey(0);
  if (rsetSelezione_ && !rsetSelezione_->eof()) {
    const RegionalSettings& rs = global().regionalSettings();
    VisualizzaNRCaratteriSuRiga(toInt16(rsetSelezione_->value("PD45_RIGA"), rs),
                                toInt16(rsetSelezione_->value("PD45_SEQSTP"), rs));
  }
  if (CMB_TipoEtichetta_.enabled()) CMB_TipoEtichetta_.setFocus();
  notifyWindowState("kvOpen");
  initialised_ = true;
  loading_ = false;
}

void FRMPD_BRISKAL::fillCombos() {
  CMB_TipoEtichetta_.clear();
  CMB_TipoEtichetta_.addItem("Standard", static_cast<int32_t>(LabelType::Standard));
  CMB_TipoEtichetta_.addItem("Personalizzata", static_cast<int32_t>(LabelType::Customisable));
  CMB_TipoOrdini_.clear();
  CMB_TipoOrdini_.addItem("Ordini lavorazione", 24);
  CMB_TipoOrdini_.addItem("Ordini conto lavoro passivo", 25);
  CMB_TipoOrdini_.addItem("Ordini conto lavoro attivo", 21);
  CMB_TipoQuantita_.clear();
  CMB_TipoQuantita_.addItem("Quantita' unitaria", static_cast<int32_t>(QuantityBasis::Unit));
  CMB_TipoQuantita_.addItem("Quantita' pezzi per confezione", static_cast<int32_t>(QuantityBasis::Package));
  CMB_TipoQuantita_.addItem("Quantita' personalizzabile", static_cast<int32_t>(QuantityBasis::Custom));
  CMB_QtaRifer_.clear();
  CMB_QtaRifer_.setBooleanList(false);
  CMB_QtaRifer_.addItem("Quantita' residua", 0);
  CMB_QtaRifer_.addItem("Quantita' versata", 1);
  CMB_TipoEtichetta_.selectIndex(0);
  CMB_TipoOrdini_.selectIndex(0);
  CMB_TipoQuantita_.selectIndex(0);
  CMB_QtaRifer_.selectIndex(0);
  CaricaComboPersonal();
  CMB_Personal_.selectIndex(0);
  CBX_Gestione_.setValue(1);
}

void FRMPD_BRISKAL::Form_KeyDown(int32_t keyCode, int32_t shift) {
  trap("Form_KeyDown", [&] {
    if (host::isCloseKey(keyCode, shift, host::CtrlX::WithOtherModifiers)) unloadForm();
  });
}

void FRMPD_BRISKAL::Form_QueryUnload(int& cancel, int) {
  trap("Form_QueryUnload", [&] {
    refreshNavigatorStatus();
    if (cancel == 0) {
      notifyWindowState("kvClose");
      cancel = askNavigatorCancel();
    }
  });
}

void FRMPD_BRISKAL::Form_Unload(int&) {
  trap("Form_Unload", [&] {
    if (frmModSelez_) {
      frmModSelez_->unloadForm();
      frmModSelez_.reset();
    }
    pclsDecodeDb_.reset();
    pclsLookupDoc_.reset();
    pclsDecodeNodo_.reset();
    RimuoviBCollDimensioni();
    KVX_ADVQ_.detach();
    GridSelezione_.setDataSource(nullptr);
    GridSelezione_.releaseContents();
    if (connection_ && connection_->isOpen()) connection_->close();
    headerList_.reset();
    tableCopy_.reset();
    rsetSelezione_.reset();
    codeList_.clear();
    if (hostInterface()) {
      hostInterface()->setActiveDll(nullptr);
      hostInterface()->setConnection(nullptr);
    }
    releaseLog();
    currentForm_ = false;
    setHostInterface(nullptr);
  });
}

labelrows::LabelRowChoices FRMPD_BRISKAL::labelRowChoices() const {
  labelrows::LabelRowChoices c;
  c.owner = formName();
  c.orderTypeText = CMB_TipoOrdini_.selectedText();
  c.labelType = labelTypeOf(CMB_TipoEtichetta_.text());
  c.quantityBasis = quantityBasisOf(CMB_TipoQuantita_.text());
  c.referenceQuantity = CMB_QtaRifer_.text();
  c.firstUnit = CBX_Gestione_.value();
  c.labelsPerLine = TXT_NumEtichette_.text();
  c.quantityBasisText = CMB_TipoQuantita_.selectedText();
  c.distance = TXT_SALTO_.text();
  c.printedQuantity = CMB_QTARIPORTATA_.text();
  c.filterItems = KVX_ADVQ_.items();
  c.companyCode = company_;
  c.companyName = hostInterface() && hostInterface()->ClsGlobal() ? global().companyName() : Value();
  return c;
}

Value FRMPD_BRISKAL::publicProperty(std::string_view name) const {
  if (name == "StringaRigaOrd") return Value(stringaRigaOrd_);
  return Value();
}

data::Connection* FRMPD_BRISKAL::errorConnection() {
  if (!hostInterface() || !hostInterface()->ClsGlobal()) return nullptr;
  host::ScriptModel* script = global().globalScriptService();
  return script ? script->connection() : nullptr;
}

// --- options ------------------------------------------------------------------------------------

bool FRMPD_BRISKAL::standardLabel() { return labelTypeOf(CMB_TipoEtichetta_.text()) == LabelType::Standard; }

bool FRMPD_BRISKAL::customQuantity() {
  return quantityBasisOf(CMB_TipoQuantita_.text()) == QuantityBasis::Custom;
}

void FRMPD_BRISKAL::CMB_TipoEtichetta_Change() {
  trap("CMB_TipoEtichetta_Change", [&] {
    const std::optional<LabelType> type = labelTypeOf(CMB_TipoEtichetta_.text());
    if (type == LabelType::Customisable) {
      if (SSTab1_.currentTab() == kTabLayout) SSTab1_.setCurrentTab(kTabGeneral);
      if (SSTab1_.tabEnabled(kTabLayout)) SSTab1_.setTabEnabled(kTabLayout, false);
    } else if (type == LabelType::Standard && !loading_) {
      if (!ControllaQuantita()) {
        if (SSTab1_.currentTab() == kTabLayout) SSTab1_.setCurrentTab(kTabGeneral);
        if (SSTab1_.tabEnabled(kTabLayout)) SSTab1_.setTabEnabled(kTabLayout, false);
      }
    }
  });
}

void FRMPD_BRISKAL::CMB_TipoQuantita_Change() {
  trap("CMB_TipoQuantità_Change", [&] {
    if (customQuantity()) {
      TXT_NumEtichette_.setEnabled(true);
      TXT_NumEtichette_.setFocus();
    } else {
      TXT_NumEtichette_.setText("");
      TXT_NumEtichette_.setEnabled(false);
    }
  });
}

// The number of labels must be a positive number for the user-given basis: zero, a negative
// number or a text that is no number would reach the division of the label expansion. The
// expansion rounds it to a whole number, so "0,4" counts as zero and a number past the 32-bit
// range as no number.
bool FRMPD_BRISKAL::ControllaQuantita() {
  if (!customQuantity()) return true;
  const RegionalSettings& rs = global().regionalSettings();
  const Value typed = NVL(Value(TXT_NumEtichette_.text()), Value(int32_t{0}));
  bool positive = false;
  try {
    positive = IsNumeric(typed, rs) && toInt32(typed, rs) >= 1;
  } catch (const Error&) {
    positive = false;
  }
  if (positive) return true;
  messageBox("Inserire quantità per etichetta", 64773, host::msg::kInformation);
  TXT_NumEtichette_.setFocus();
  TXT_NumEtichette_.selectAll();
  return false;
}

void FRMPD_BRISKAL::CMD_ImpostaEtich_Click() {
  trap("CMD_ImpostaEtich_ButtonClick", [&] {
    if (!ControllaQuantita()) return;
    if (!standardLabel()) {
      CMD_Esegui_Click();
      return;
    }
    SSTab1_.setTabEnabled(kTabLayout, true);
    if (CMB_QtaRifer_.text() == "1") CMB_QTARIPORTATA_.selectKey(2);
    SSTab1_.setCurrentTab(kTabLayout);
  });
}

// --- execute ------------------------------------------------------------------------------------

bool FRMPD_BRISKAL::confirmDimensions() {
  if (ControllaDimensioniEtichetta()) return true;
  const std::string text = "Dimensionamento etichetta:\r\n" + dimensionMessage_ + "\r\r\nContinuare?";
  const std::vector<Value> parameters = {Value(dimensionMessage_)};
  return messageBox(text, 74594, host::msg::kYesNo | host::msg::kQuestion, &parameters) != host::msg::kNo;
}

void FRMPD_BRISKAL::CMD_Esegui_Click() {
  // A form whose load failed has no connection to open anything on; its log tells why.
  if (loadFailed_) return;
  // Each step runs with errors ignored: a failing one is skipped and the next one follows.
  bool go = true;
  // The number of labels may have changed since "&Avanti" checked it.
  host::ignoringErrors([&] { go = ControllaQuantita(); });
  if (!go) return;
  host::ignoringErrors([&] {
    if (standardLabel()) go = confirmDimensions();
  });
  if (!go) return;
  host::ignoringErrors([&] {
    if (RTrim(KVX_ADVQ_.filterText()).empty()) {
      const int32_t answer =
          messageBox("Non è stato indicato alcun filtro per l'elaborazione, proseguire comunque?", 40011,
                     host::msg::kYesNo | host::msg::kExclamation | host::msg::kDefaultButton2);
      go = answer != host::msg::kNo;
    }
  });
  if (!go) return;
  host::ignoringErrors([&] {
    gridUpdate_ = true;
    GetStringaRigaOrd();
  });
  // A query that could not be composed was reported by its procedure; there is nothing to run.
  if (stringaRigaOrd_.empty()) {
    gridUpdate_ = false;
    return;
  }
  host::ignoringErrors([&] {
    if (frmModSelez_) {
      // The old form goes quietly: its close event would give this form back while the new
      // selection form is about to open.
      ++selectionForms_;
      frmModSelez_->setHostInterface(nullptr);
      frmModSelez_->unloadForm();
      frmModSelez_.reset();
    }
  });
  host::ignoringErrors([&] {
    const SelectionFormInputs inputs{.connection = connection_.get(),
                                     .connectionString = connectionString_,
                                     .log = logObject(),
                                     .hostInterface = hostInterface(),
                                     .orderLineQuery = stringaRigaOrd_,
                                     .layoutRows = rsetSelezione_.get(),
                                     .caller = this,
                                     .onClose = [this, opened = ++selectionForms_] {
                                       if (opened == selectionForms_) FrmModSelez_CloseFormModSelez();
                                     }};
    frmModSelez_ = childForms_.selectionForm(runtime(), inputs);
  });
  host::ignoringErrors([&] { CMD_Esegui_.setEnabled(false); });
  host::ignoringErrors([&] { currentForm_ = false; });
  host::ignoringErrors([&] { frmModSelez_->show(false); });
  host::ignoringErrors([&] { CMD_Esegui_.setEnabled(true); });
}

void FRMPD_BRISKAL::GetStringaRigaOrd() {
  // A failed composition leaves no query behind, never the one of earlier filters.
  stringaRigaOrd_.clear();
  trap("GetStringaRigaOrd", [&] {
    const RegionalSettings& rs = global().regionalSettings();
    OrderLineQueryOptions options;
    options.company = toText(company_, rs);
    options.residualOnly = toInt32(NVL(Value(CBX_OrdiniNoResiduo_.value()), Value(int32_t{0})), rs);
    options.firstUnit = CBX_Gestione_.value();
    options.settled = toInt32(NVL(Value(CBX_OrdiniSaldati_.value()), Value(int32_t{0})), rs);
    options.orderType = CMB_TipoOrdini_.text();
    options.filterText = KVX_ADVQ_.filterText();
    stringaRigaOrd_ = composeOrderLineQuery(options);
  });
}

void FRMPD_BRISKAL::FrmModSelez_CloseFormModSelez() {
  trap("FrmModSelez_CloseFormModSelez", [&] {
    if (standardLabel()) SSTab1_.setTabEnabled(kTabLayout, true);
    gridUpdate_ = false;
    if (rsetSelezione_ && rsetSelezione_->recordCount() > 0) rsetSelezione_->moveFirst();
    GridSelezione_.setDataSource(rsetSelezione_.get());
    // The sizes, the distance among them, show again what the bound layout holds; a text that
    // could not be stored there gives way. The default layout keeps what was typed.
    if (bCollDimensioni_) bCollDimensioni_->currentRowChanged();
    SSTab1_.setFocus();
    currentForm_ = true;
  });
}

// --- layout -------------------------------------------------------------------------------------

void FRMPD_BRISKAL::CreaRsetSelezione() {
  trapShowing("CreaRsetSelezione", [&] {
    GridSelezione_.setDataSource(nullptr);
    // The save form and the selection form borrow these rows: they are refilled, never replaced.
    if (rsetSelezione_) emptyLayoutRows();
    else rsetSelezione_ = newLayoutRows();
    addDefaultLayout(*rsetSelezione_,
                     [this](std::string_view text, int32_t number) { return translate(text, number); });
    rsetSelezione_->moveFirst();
    GridSelezione_.setDataSource(rsetSelezione_.get());
  });
}

void FRMPD_BRISKAL::emptyLayoutRows() {
  data::Recordset& rows = required(rsetSelezione_);
  rows.deleteShown();
  rows.updateBatch();
  rows.setSort("");
}

void FRMPD_BRISKAL::CaricaTabellaConfigurazioni() {
  host::ignoringErrors([&] {
    tableCopy_ = std::make_unique<data::Recordset>();
    tableCopy_->setCursorLocation(data::cursor::kUseClient);
    tableCopy_->open(std::string("SELECT  *") + " FROM PD45_CONFIGETICH", required(connection_),
                     data::cursor::kOpenDynamic, data::lock::kBatchOptimistic);
    if (!tableCopy_->eof()) tableCopy_->moveFirst();
  });
}

void FRMPD_BRISKAL::CaricaComboPersonal() {
  trap("CaricaComboPersonal", [&] {
    CMB_Personal_.clear();
    CMB_Personal_.addItem(translate("Default", 20189), 0);
    headerList_.reset();
    headerList_ = std::make_unique<data::Recordset>();
    headerList_->setCursorLocation(data::cursor::kUseClient);
    headerList_->open(
        std::string(
            "SELECT PD45_CODICE, PD45_TITOLO, PD45_WIDTH, PD45_HEIGHT, PD45_DISTANZA, PD45_INDQTARIP") +
            " FROM PD45_CONFIGETICH" + " WHERE PD45_PROGRIGA = 0" + " ORDER BY PD45_PROGRIGA",
        required(connection_), data::cursor::kOpenDynamic, data::lock::kOptimistic);
    if (headerList_->recordCount() > 0) {
      codeList_.clear();
      const RegionalSettings& rs = global().regionalSettings();
      int32_t key = 1;
      for (headerList_->moveFirst(); !headerList_->eof(); headerList_->moveNext()) {
        CMB_Personal_.addItem(toText(NVL(headerList_->value("PD45_TITOLO"), Value("")), rs), key++);
        codeList_.push_back(toText(headerList_->value("PD45_CODICE"), rs));
      }
      headerList_->moveFirst();
    }
  });
}

void FRMPD_BRISKAL::InitQGrid_GridSelezione() {
  trap("InitQGrid_GridSelezione", [&] {
    GridSelezione_.clearColumns();
    using host::GridColumnKind;
    GridSelezione_.addColumn({"PD45_RIGA", "Riga", "", GridColumnKind::Numeric, 465});
    GridSelezione_.addColumn({"PD45_SEQSTP", "Seq. stampa", "", GridColumnKind::Numeric, 1050});
    GridSelezione_.addColumn({"PD45_CAMPO", "Campo", "", GridColumnKind::Text, 2820});
    GridSelezione_.addColumn({"PD45_POSINI", "Pos. iniziale", "", GridColumnKind::Numeric, 965});
    GridSelezione_.addColumn({"PD45_FLGLBLCAMPO", "Desc.", "", GridColumnKind::Check, 600});
  });
}

int16_t FRMPD_BRISKAL::labelSize(host::TextEditControl& edit) {
  const RegionalSettings& rs = global().regionalSettings();
  return toInt16(NVL(Value(edit.text()), Value(int16_t{0})), rs);
}

bool FRMPD_BRISKAL::ControllaDimensioniEtichetta() {
  bool ok = true;
  trap("ControllaDimensioniEtichetta", [&] {
    gridUpdate_ = true;
    const RegionalSettings& rs = global().regionalSettings();
    const DimensionVerdict verdict =
        checkLabelDimensions(required(rsetSelezione_), labelSize(TXT_ALTETIC_), labelSize(TXT_LUNGETIC_), rs);
    ok = verdict.ok;
    if (verdict.tooHigh) dimensionMessage_ = translate("altezza insufficiente.", 74612);
    if (verdict.tooWideRow != 0) {
      const std::vector<Value> parameters = {Value(verdict.tooWideRow)};
      dimensionMessage_ =
          translate("lunghezza insufficiente, riga numero " + std::to_string(verdict.tooWideRow) + ".", 74613,
                    &parameters);
    }
  });
  gridUpdate_ = false;
  return ok;
}

void FRMPD_BRISKAL::VisualizzaNRCaratteriSuRiga(int16_t row, int16_t sequence) {
  trap("VisualizzaNRCaratteriSuRiga", [&] {
    if (!rsetSelezione_) return;
    const RegionalSettings& rs = global().regionalSettings();
    const std::optional<RowMeasure> measure = measureRowUpTo(*rsetSelezione_, row, sequence, rs);
    TXT_RIGA_.setText(measure ? std::to_string(measure->row) : "0");
    TXT_NRCARATTERI_.setText(measure ? std::to_string(measure->characters) : "0");
  });
}

layouts::LayoutHeader FRMPD_BRISKAL::layoutHeader(const std::string& code, const std::string& title) const {
  const RegionalSettings& rs = global().regionalSettings();
  auto decimal = [&](const std::string& text) {
    return Value(toDecimal(NVL(Value(text), Value(int32_t{0})), rs));
  };
  return {code,
          title,
          decimal(TXT_LUNGETIC_.text()),
          decimal(TXT_ALTETIC_.text()),
          decimal(TXT_SALTO_.text()),
          decimal(CMB_QTARIPORTATA_.text())};
}

void FRMPD_BRISKAL::selectFirstLayout() { CMB_Personal_.selectIndex(0); }

void FRMPD_BRISKAL::CMB_Personal_Change() {
  const int index = CMB_Personal_.selectedIndex();
  if (index > 0) {
    CaricaPersonalizzazione(index);
    ImpostaBCollDimensioni();
  } else if (index == 0) {
    CreaRsetSelezione();
    RimuoviBCollDimensioni();
    TXT_ALTETIC_.setText("0");
    TXT_LUNGETIC_.setText("0");
    TXT_SALTO_.setText("");
    CMB_QTARIPORTATA_.selectKey(0);
  }
}

void FRMPD_BRISKAL::CaricaPersonalizzazione(int index) {
  trap("CaricaPersonalizzazione", [&] {
    required(headerList_).setAbsolutePosition(index);
    const std::string code = codeList_.at(static_cast<size_t>(index - 1));
    data::Recordset& table = required(tableCopy_);
    data::Recordset& rows = required(rsetSelezione_);
    table.setFilter("");
    GridSelezione_.setDataSource(nullptr);
    gridUpdate_ = true;
    emptyLayoutRows();
    table.setFilter(layouts::layoutDetailFilter(code));
    for (; !table.eof(); table.moveNext()) {
      rows.addNew();
      for (const char* field :
           {"PD45_RIGA", "PD45_SEQSTP", "PD45_CAMPO", "PD45_DATAFIELD", "PD45_POSINI", "PD45_FLGLBLCAMPO"})
        rows.setValue(field, table.value(field));
    }
    rows.updateBatch();
    if (rows.recordCount() > 0) rows.moveFirst();
    GridSelezione_.setDataSource(&rows);
    table.setFilter("");
    gridUpdate_ = false;
  });
  gridUpdate_ = false;
}

void FRMPD_BRISKAL::ImpostaBCollDimensioni() {
  trap("ImpostaBCollDimensioni", [&] {
    if (!headerList_) return;
    RimuoviBCollDimensioni();
    bCollDimensioni_ = std::make_unique<data::BindingCollection>();
    bCollDimensioni_->add(TXT_ALTETIC_, "Text", "PD45_HEIGHT");
    bCollDimensioni_->add(TXT_LUNGETIC_, "Text", "PD45_WIDTH");
    bCollDimensioni_->add(TXT_SALTO_, "Text", "PD45_DISTANZA");
    bCollDimensioni_->add(CMB_QTARIPORTATA_, "Text", "PD45_INDQTARIP");
    bCollDimensioni_->setDataSource(headerList_.get());
    bCollDimensioni_->setUpdateMode(data::BindingCollection::kUpdateWhenPropertyChanges);
  });
}

void FRMPD_BRISKAL::RimuoviBCollDimensioni() {
  trap("RimuoviBCollDimensioni", [&] {
    if (!bCollDimensioni_) return;
    while (bCollDimensioni_->count() > 0) bCollDimensioni_->remove(0);
    bCollDimensioni_.reset();
    // A size typed for a saved layout reaches its header row before the binding goes.
    if (headerList_ && headerList_->editMode() != data::EditMode::None) headerList_->update();
  });
}

void FRMPD_BRISKAL::CMD_Personalizza_Click() {
  if (loadFailed_) return;
  trap("CMD_Personalizza_ButtonClick", [&] {
    if (!confirmDimensions()) return;
    gridUpdate_ = true;
    if (bCollDimensioni_) bCollDimensioni_->setDataSource(nullptr);
    if (required(rsetSelezione_).recordCount() > 0) rsetSelezione_->moveFirst();
    const SaveFormOutcome outcome = childForms_.runSaveForm(runtime(), {.log = logObject(),
                                                                        .hostInterface = hostInterface(),
                                                                        .connection = connection_.get(),
                                                                        .layoutList = headerList_.get(),
                                                                        .layoutLines = rsetSelezione_.get(),
                                                                        .layoutTable = tableCopy_.get(),
                                                                        .caller = this});
    gridUpdate_ = false;
    if (!outcome.saved) {
      if (bCollDimensioni_) bCollDimensioni_->setDataSource(headerList_.get());
      return;
    }
    CaricaComboPersonal();
    // The saved layout is selected by its code; a deleted one leaves "Default".
    const auto it = std::find(codeList_.begin(), codeList_.end(), layouts::layoutCode(outcome.savedCode));
    loading_ = true;
    CMB_Personal_.selectIndex(it == codeList_.end() ? 0 : static_cast<int>(it - codeList_.begin()) + 1);
    loading_ = false;
    if (it != codeList_.end()) {
      headerList_->setAbsolutePosition(static_cast<int64_t>(it - codeList_.begin()) + 1);
      ImpostaBCollDimensioni();
    }
  });
}

void FRMPD_BRISKAL::flipCaptionFlag() {
  const RegionalSettings& rs = global().regionalSettings();
  data::Recordset& rows = required(rsetSelezione_);
  const bool set = toInt32(NVL(rows.value("PD45_FLGLBLCAMPO"), Value(int32_t{0})), rs) != 0;
  rows.setValue("PD45_FLGLBLCAMPO", Value(int32_t{set ? 0 : 1}));
  rows.update();
}

void FRMPD_BRISKAL::GridSelezione_CellDblClick(const std::string& field) {
  trap("GridSelezione_CellDblClick", [&] {
    if (field == "PD45_FLGLBLCAMPO") flipCaptionFlag();
  });
}

void FRMPD_BRISKAL::GridSelezione_ErrKeyPress(const std::string& field, int32_t keyCode) {
  trap("GridSelezione_ErrKeyPress", [&] {
    if (keyCode == 13 && field == "PD45_FLGLBLCAMPO") flipCaptionFlag();
  });
}

void FRMPD_BRISKAL::GridSelezione_OnEdited(const std::string& field, const Value& value, bool& cancel) {
  trap("GridSelezione_OnEdited", [&] {
    const RegionalSettings& rs = global().regionalSettings();
    const std::string column = toText(NVL(Value(field), Value("")), rs);
    const std::string typed = toText(NVL(value, Value("")), rs);
    const bool editable = column == "PD45_RIGA" || column == "PD45_SEQSTP" || column == "PD45_POSINI";
    if (!editable || typed.empty()) {
      cancel = true;
    } else if (column != "PD45_POSINI" && utf8::length(typed) > 2) {
      messageBox("Massimo 2 cifre", 64774, host::msg::kInformation);
      cancel = true;
    } else if (column == "PD45_POSINI" && utf8::length(typed) > 4) {
      messageBox("Massimo 4 cifre", 64775, host::msg::kInformation);
      cancel = true;
    }
  });
}

void FRMPD_BRISKAL::GridSelezione_RowColChange() {
  trap("GridSelezione_RowColChange", [&] {
    if (gridUpdate_ || loading_ || !rsetSelezione_) return;
    const int64_t position = rsetSelezione_->absolutePosition();
    if (position == lastGridPosition_ || rsetSelezione_->bof() || rsetSelezione_->eof()) return;
    const RegionalSettings& rs = global().regionalSettings();
    VisualizzaNRCaratteriSuRiga(toInt16(rsetSelezione_->value("PD45_RIGA"), rs),
                                toInt16(rsetSelezione_->value("PD45_SEQSTP"), rs));
    lastGridPosition_ = position;
  });
}

void FRMPD_BRISKAL::CMD_RIGASU_ButtonClick() {
  trapShowing("CMD_RIGASU_ButtonClick", [&] {
    if (!rsetSelezione_ || rsetSelezione_->bof() || rsetSelezione_->eof()) return;
    rsetSelezione_->movePrevious();
    if (rsetSelezione_->bof()) rsetSelezione_->moveLast();
  });
}

void FRMPD_BRISKAL::CMD_RIGAGIU_ButtonClick() {
  trapShowing("CMD_RIGAGIU_ButtonClick", [&] {
    if (!rsetSelezione_ || rsetSelezione_->bof() || rsetSelezione_->eof()) return;
    rsetSelezione_->moveNext();
    if (rsetSelezione_->eof()) rsetSelezione_->moveFirst();
  });
}

void FRMPD_BRISKAL::CMD_ELIMINA_ButtonClick() {
  trapShowing("CMD_ELIMINA_ButtonClick", [&] {
    if (!rsetSelezione_ || rsetSelezione_->bof() || rsetSelezione_->eof()) return;
    if (rsetSelezione_->recordCount() == 1) {
      messageBox("Impossibile eliminare tutte le righe", 64777, host::msg::kInformation);
      return;
    }
    rsetSelezione_->deleteCurrent();
    rsetSelezione_->updateBatch();
    rsetSelezione_->moveNext();
    if (rsetSelezione_->eof()) rsetSelezione_->moveLast();
  });
}

// --- host window ------------------------------------------------------------------------------

void FRMPD_BRISKAL::KVX_RESIZEFORM1_Setup() {
  trap("KVX_RESIZEFORM1_Setup", [&] {
    // clang-format off
    static const std::pair<const char*, int32_t> kAnchors[] = {
        {"SSTab1", 15},     {"WLFrame2", 7},    {"WLFrame1", 15},   {"WLFrame3", 15},         {"WLFrame4", 7},
        {"Frame1", 7},      {"Frame2", 7},      {"GridSelezione", 11}, {"CMD_RIGASU", 10},    {"CMD_RIGAGIU", 10},
        {"CMD_ELIMINA", 10}, {"CMD_ImpostaEtich", 12}, {"CMD_Esegui", 12}, {"KVX_ADVQ", 15}};
    // clang-format on
    for (const auto& [control, anchor] : kAnchors) KVX_RESIZEFORM1_.registerControl(control, anchor);
  });
}

void FRMPD_BRISKAL::MDIActiveX1_Event() {
  trap("MDIActiveX1_Event", [&] {
    MDIActiveX1_.place(0, 0, 11235, 6990);
    MDIActiveX1_.setWindowState(host().WindowState());
  });
}

}  // namespace briskal::params
