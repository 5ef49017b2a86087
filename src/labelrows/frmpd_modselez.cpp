#include "labelrows/frmpd_modselez.h"

#include <unistd.h>

#include <array>
#include <tuple>

#include "common/convert.h"
#include "common/routines.h"
#include "data/connection.h"
#include "data/dialect.h"
#include "data/named_lock.h"
#include "data/recordset.h"
#include "host/cinterface.h"
#include "host/services.h"
#include "labelrows/label_expansion.h"
#include "labelrows/label_rows.h"
#include "output/label_text.h"
#include "output/print_support.h"

namespace briskal::labelrows {
namespace {

constexpr int32_t kHourglass = 11;
constexpr int32_t kDefaultPointer = 0;
constexpr const char* kQuantityFormat = "###,##0.000";

// Runs of one user on one workstation take turns at its rows of the report table; one that waits
// longer than this for another (a report dialog left open, say) gives up.
constexpr std::chrono::minutes kTurnBound{2};
// The component's own messages in the host's catalogue.
constexpr int32_t kWaitingForTurn = 900004;
constexpr int32_t kNoTurn = 900005;
constexpr int32_t kSelectionTotals = 900006;
constexpr int32_t kRowsChanged = 900007;
constexpr int32_t kConfirmLabels = 900008;

// A count as the operator reads it, thousands grouped: 12.345.
std::string countText(int64_t n, const RegionalSettings& rs) { return formatNumber(Value(n), "#,##0", rs); }

// Detail fields and the label-row field each shows.
// clang-format off
constexpr std::pair<const char*, const char*> kBindings[] = {
    {"TXT_NSERIE", "DO11_SEZDOC"},         {"TXT_NORDINE", "DO11_NUMDOC"},
    {"TXT_NRIGAORD", "DO30_PROGRIGA"},     {"TXT_DEPOSITO", "DO30_CODDEP_MG58"},
    {"TXT_ARTICOLO", "DO30_CODART_MG66"},  {"TXT_VARIANTE", "DO30_OPZIONE_MG5E"},
    {"TXT_DESCRART", "DO30_DESCART"},      {"TXT_QTAINORD", "QTAORD"},
    {"TXT_QTASUETIC", "QTASUETICH"},
};
// clang-format on

struct ParameterType {
  const char* value;
  const char* text;
  int32_t textNumber;
};

constexpr ParameterType kParameterTypes[] = {
    {"1", "Numero ordine", 41456},
    {"2", "Num. riga d'ordine", 40954},
    {"3", "Deposito", 20411},
    {"4", "Codice articolo", 12021},
    {"5", "Quantita' in ordine", 47521},
    {"6", "Progetto", 45482},
    {"7", "Sottoprogetto", 53723},
    {"8", "Commessa", 14165},
    {"99", "Globale", 29298},
};

}  // namespace

FRMPD_MODSELEZ::FRMPD_MODSELEZ(host::HostRuntime& runtime)
    : ComponentForm(runtime, "FRMPD_MODSELEZ", "Modifica etichette"),
      grid_(controls().grid("KVX_QGRIDWRAPPER1")),
      CMB_TIPOATT_(controls().combo("CMB_TIPOATT")),
      CMB_TIPOPAR_(controls().combo("CMB_TIPOPAR")),
      CMB_OPERAT_(controls().combo("CMB_OPERAT")),
      TXT_NEWQTASUETIC_(controls().textEdit("TXT_NEWQTASUETIC")),
      TXT_PARAM_(controls().textEdit("TXT_PARAM")),
      TXT_QTASUETIC_(controls().textEdit("TXT_QTASUETIC")),
      CMD_EPL_(controls().button("CMD_EPL")),
      KVX_RESIZEFORM1_(controls().resizer("KVX_RESIZEFORM1")),
      MDIActiveX1_(controls().mdiHost("MDIActiveX1")),
      LBL_Totali_(controls().label("LBL_Totali")) {
  controls().button("CmdConf").setCaption("&Conferma");
  controls().button("CmdExec").setCaption("&Stampa");
  CMD_EPL_.setCaption("EPL");
  MDIActiveX1_.onHostEvent([this] { MDIActiveX1_Event(); });
  controls().button("CmdExec").onClick([this] { CmdExec_Click(); });
  CMD_EPL_.onClick([this] { CMD_EPL_ButtonClick(); });
  CMB_TIPOATT_.onChange([this] { CMB_TIPOATT_Change(); });
  CMB_TIPOPAR_.onChange([this] { CMB_TIPOPAR_Change(); });
  TXT_PARAM_.onKeyPress([this](int32_t& key) { TXT_PARAM_KeyPress(key); });
  TXT_PARAM_.onValidate([this](bool& cancel) { TXT_PARAM_Validate(cancel); });
  controls().button("CmdConf").onClick([this] { CmdConf_Click(); });
  grid_.onCellDoubleClick([this](const std::string& field) { KVX_QGRIDWRAPPER1_CellDblClick(field); });
  grid_.onEdited([this](const std::string& field, const Value& value, bool& cancel) {
    KVX_QGRIDWRAPPER1_Edited(field, value, cancel);
  });
  TXT_QTASUETIC_.onChange([this] { TXT_QTASUETIC_Change(); });
  TXT_QTASUETIC_.setInputCheck([this](const std::string& text) { return quantityAccepted(text); });
}

FRMPD_MODSELEZ::~FRMPD_MODSELEZ() = default;

std::string FRMPD_MODSELEZ::translate(std::string_view text, int32_t number,
                                      const std::vector<Value>* parameters, int16_t quoteForSql) {
  std::string result;
  trap("translate", [&] {
    // Unlike the other forms, a text without number comes back marked too.
    result = hostInterface() && number >= 1 ? ComponentForm::translate(text, number, parameters)
                                            : host::markedText(text, number);
    if (quoteForSql == 1) {
      for (size_t pos = result.find('\''); pos != std::string::npos; pos = result.find('\'', pos + 2))
        result.insert(pos, 1, '\'');
    }
  });
  return result;
}

void FRMPD_MODSELEZ::Form_Load() {
  trap("Form_Load", [&] {
    window().setMousePointer(kHourglass);
    const std::string orderType = callingForm_->labelRowChoices().orderTypeText;
    const std::vector<Value> parameters = {Value(orderType)};
    window().setCaption(translate("Modifica etichette (" + orderType + ")", 74630, &parameters, 0));
    CMB_OPERAT_.clear();
    int32_t position = 0;
    for (const char* op : {">", "<", "<>", "=", ">=", "<="}) CMB_OPERAT_.addItem(op, position++);
    CMB_TIPOATT_.clear();
    CMB_TIPOATT_.addItem("Annullamento selezione", 1);
    CMB_TIPOATT_.addItem("Variazione quantita'", 2);
    CMB_TIPOATT_.addItem("Ripristino selezione", 3);
    CaricaListaParametri(true);
    // Switched on for customisable labels; for standard ones the button stays as the form comes
    // and answers that the label printer takes no standard labels.
    if (callingForm_->labelRowChoices().labelType == LabelType::Customisable) CMD_EPL_.setEnabled(true);
    KVX_RESIZEFORM1_.start();
  });
}

void FRMPD_MODSELEZ::CaricaListaParametri(bool global) {
  trap("CaricaListaParametri", [&] {
    CMB_TIPOPAR_.clear();
    for (const ParameterType& p : kParameterTypes) {
      if (std::string_view(p.value) == "99" && !global) continue;
      CMB_TIPOPAR_.addItem(ComponentForm::translate(p.text, p.textNumber), std::stoi(p.value));
    }
  });
}

void FRMPD_MODSELEZ::Form_Activate() {
  trap("Form_Activate", [&] {
    if (loadedOnce_) return;
    TXT_NEWQTASUETIC_.setEnabled(false);
    RimuoviBindings();
    CaricaRsetRigaOrd();
    if (!rsetRigaOrd_) {
      window().setMousePointer(kDefaultPointer);
      unloadForm();
      return;
    }
    controls().textEdit("TXT_ARTICOLO").setSetting("islookup", Value(false));
    controls().textEdit("TXT_VARIANTE").setSetting("islookup", Value(false));
    // The quantities' format is in place before the first row shows them.
    for (const char* edit : {"TXT_QTAINORD", "TXT_QTASUETIC", "TXT_NEWQTASUETIC"})
      controls().textEdit(edit).setSetting("displayformat", Value(kQuantityFormat));
    CaricaRsetGrid();
    ImpostaBindingColl();
    grid_.setDataSource(rsetGridRigaOrd_.get());
    showTotals();
    window().setMousePointer(kDefaultPointer);
    notifyWindowState("kvOpen");
    loadedOnce_ = true;
  });
}

void FRMPD_MODSELEZ::CaricaRsetRigaOrd() {
  bool loaded = false;
  trap("CaricaRsetRigaOrd", [&] {
    rsetRigaOrd_ = std::make_unique<data::Recordset>();
    rsetRigaOrd_->setCursorLocation(data::cursor::kUseClient);
    rsetRigaOrd_->open(stringaRigaOrd_, required(connection_), data::cursor::kOpenDynamic,
                       data::lock::kOptimistic);
    if (rsetRigaOrd_->recordCount() < 1) {
      window().setMousePointer(kDefaultPointer);
      messageBox("Non ci sono righe d'ordine da elaborare", 64771, host::msg::kInformation);
      rsetRigaOrd_.reset();
      return;
    }
    rsetRigaOrd_->moveFirst();
    loaded = true;
  });
  // A query that failed leaves no half-opened recordset: the form closes as with no lines.
  if (!loaded) rsetRigaOrd_.reset();
}

void FRMPD_MODSELEZ::CaricaRsetGrid() {
  trap("CaricaRsetGrid", [&] {
    CreaSupportoStampaPersonalizzata();
    rsetGridRigaOrd_.reset();
    rsetGridRigaOrd_ = newLabelRows();
    const LabelRowChoices choices = callingForm_->labelRowChoices();
    const RegionalSettings& rs = global().regionalSettings();
    ExpansionOptions options;
    options.basis = choices.quantityBasis;
    options.firstUnit = choices.firstUnit == 1;
    options.delivered = choices.referenceQuantity == "1";
    options.labelsPerLine = choices.labelsPerLine;
    LabelExpansion expansion(
        *rsetRigaOrd_, *rsetGridRigaOrd_, rs,
        [this](const char* procedure, const std::function<void()>& body) { trap(procedure, body); },
        [this] { messageBox("Zero pezzi per confezione.", 61592, host::msg::kOkOnly); });
    expansion.expandAll(options);
    rsetGridRigaOrd_->moveFirst();
    PreparaGriglia();
  });
}

void FRMPD_MODSELEZ::ImpostaBindingColl() {
  trap("ImpostaBindingColl", [&] {
    bindCollRigaOrd_ = std::make_unique<data::BindingCollection>();
    for (const auto& [control, field] : kBindings)
      bindCollRigaOrd_->add(controls().textEdit(control), "Text", field);
    bindCollRigaOrd_->setDataSource(rsetGridRigaOrd_.get());
    bindCollRigaOrd_->setUpdateMode(data::BindingCollection::kUpdateWhenPropertyChanges);
  });
}

void FRMPD_MODSELEZ::RimuoviBindings() {
  grid_.setDataSource(nullptr);
  if (!bindCollRigaOrd_) return;
  while (bindCollRigaOrd_->count() > 0) bindCollRigaOrd_->remove(0);
}

void FRMPD_MODSELEZ::PreparaGriglia() {
  trap("PreparaGriglia", [&] {
    grid_.clearColumns();
    grid_.setKeyField("IDGRIGLIA");
    using host::GridColumnKind;
    grid_.addColumn({"SELEZIONE", "Sel.", "", GridColumnKind::Selection, 0});
    grid_.addColumn({"DO11_SEZDOC", "Sez.", "", GridColumnKind::Text, 0});
    grid_.addColumn({"DO11_NUMDOC", "Ordine", "", GridColumnKind::Numeric, 0});
    grid_.addColumn({"DO30_PROGRIGA", "Riga", "", GridColumnKind::Numeric, 0});
    grid_.addColumn({"DO30_CODDEP_MG58", "Deposito", "", GridColumnKind::Text, 0});
    grid_.addColumn({"DO30_CODART_MG66", "Articolo", "", GridColumnKind::Text, 0});
    grid_.addColumn({"DO30_OPZIONE_MG5E", "Variante", "", GridColumnKind::Text, 0});
    grid_.addColumn({"DO30_DESCART", "Descrizione articolo", "", GridColumnKind::Text, 0});
    grid_.addColumn({"QTAORD", "Qta residua", kQuantityFormat, GridColumnKind::Numeric, 0});
    grid_.addColumn({"QTASUETICH", "Qta etichetta", kQuantityFormat, GridColumnKind::Numeric, 0});
  });
}

void FRMPD_MODSELEZ::Form_QueryUnload(int& cancel, int mode) {
  trap("Form_QueryUnload", [&] {
    if ((mode == host::unload_mode::kFormControlMenu || KVX_RESIZEFORM1_.resizing()) && !loadedOnce_) {
      cancel = 1;
      return;
    }
    refreshNavigatorStatus();
    if (cancel == 0) {
      notifyWindowState("kvClose");
      cancel = askNavigatorCancel();
    }
    if (cancel == 0 && closeHandler_) closeHandler_();
  });
}

void FRMPD_MODSELEZ::Form_Unload(int&) {
  trap("Form_Unload", [&] {
    controls().textEdit("TXT_ARTICOLO").setText("");
    grid_.releaseContents();
    RimuoviBindings();
    bindCollRigaOrd_.reset();
    releaseReport();
    printSupport_.reset();
    rsetRptEtichette_.reset();
    rsetRigaOrd_.reset();
    rsetGridRigaOrd_.reset();
  });
}

void FRMPD_MODSELEZ::Form_KeyDown(int32_t keyCode, int32_t shift) {
  trap("Form_KeyDown", [&] {
    if (host::isCloseKey(keyCode, shift, host::CtrlX::Alone)) unloadForm();
  });
}

void FRMPD_MODSELEZ::MDIActiveX1_Event() {
  trap("MDIActiveX1_Event", [&] {
    MDIActiveX1_.place(0, 0, 11160, 7020);
    MDIActiveX1_.setWindowState(host().WindowState());
  });
}

// --- printing ---------------------------------------------------------------------------------

std::string FRMPD_MODSELEZ::ComputerName() {
  std::string name;
  trapShowing("ComputerName", [&] {
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer - 1) == 0) name = buffer;
  });
  return name;
}

std::string FRMPD_MODSELEZ::ownLabelsSql(const std::string& columns) const {
  const data::Dialect dialect = required(connection_).dialect();
  return "SELECT " + columns +
         " FROM PD46_RPTETICHETTE WHERE PD46_MACCHINA = " + data::textLiteral(RTrim(machine_), dialect) +
         " AND PD46_UTENTE_FW07 = " + data::textLiteral(user_, dialect);
}

std::unique_ptr<data::NamedLock> FRMPD_MODSELEZ::takeTurn() {
  std::unique_ptr<data::NamedLock> turn;
  trapShowing("takeTurn", [&] {
    const std::string user(RTrim(global().userCode()));
    const std::string name =
        "PD46_RPTETICHETTE\n" + std::string(RTrim(StringaFissa(ComputerName(), 40))) + "\n" + user;
    const std::vector<Value> parameters = {Value(user)};
    turn = data::NamedLock::take(required(connection_), name, kTurnBound, [&] {
      messageBox("Un'altra stampa dell'utente " + user +
                     " su questa postazione è in corso: questa partirà quando sarà terminata.",
                 kWaitingForTurn, host::msg::kInformation, &parameters);
    });
    if (!turn)
      messageBox("Un'altra stampa dell'utente " + user +
                     " su questa postazione non è terminata entro 2 minuti: ripetere la stampa quando sarà "
                     "terminata.",
                 kNoTurn, host::msg::kExclamation, &parameters);
  });
  return turn;
}

// Each workstation reads and replaces only its own rows of the scratch table: two operators
// printing at the same moment must not get each other's labels.
void FRMPD_MODSELEZ::GetRsetRptEtichette() {
  trapShowing("GetRsetRptEtichette", [&] {
    machine_ = StringaFissa(ComputerName(), 40);
    // Stored and compared in one form: a code typed with a trailing blank is the same user.
    user_ = std::string(RTrim(global().userCode()));
    rsetRptEtichette_ = std::make_unique<data::Recordset>();
    rsetRptEtichette_->setCursorLocation(data::cursor::kUseClient);
    rsetRptEtichette_->open(ownLabelsSql("*"), required(connection_), data::cursor::kOpenDynamic,
                            data::lock::kBatchOptimistic);
  });
}

bool FRMPD_MODSELEZ::ImpostaDatiEtichetta() {
  bool written = false;
  trapShowing("ImpostaDatiEtichetta", [&] {
    if (!rsetSelezione_ || !rsetSelezione_->isOpen() || rsetSelezione_->recordCount() == 0) return;
    const RegionalSettings& rs = global().regionalSettings();
    const LabelRowChoices choices = callingForm_->labelRowChoices();
    const output::LabelLayout layout(*rsetSelezione_, rs);
    data::PendingBatch batch(*rsetRptEtichette_);
    rsetRptEtichette_->deleteShown();
    const Value machine = machine_.empty() || RTrim(machine_).empty() ? Value::null() : Value(machine_);
    const std::string group = global().userGroupCode();
    host::ProgressControl& progress = controls().progress("PBAR");
    data::Recordset& labels = *rsetGridRigaOrd_;
    progress.setRange(0, labels.recordCount());
    progress.setVisible(true);
    int32_t sequence = 1;
    int64_t done = 0;
    for (labels.moveFirst(); !labels.eof(); labels.moveNext()) {
      progress.setValue(done++);
      rsetRptEtichette_->addNew();
      rsetRptEtichette_->setValue("PD46_MACCHINA", machine);
      rsetRptEtichette_->setValue("PD46_PROGETICH", Value(sequence++));
      rsetRptEtichette_->setValue("PD46_GRUPPO_FW06", Value(group));
      rsetRptEtichette_->setValue("PD46_UTENTE_FW07", Value(user_));
      rsetRptEtichette_->setValue("PD46_RIGADATI",
                                  Value(output::composeLabel(layout, labels, choices.printedQuantity, rs)));
      rsetRptEtichette_->update();
    }
    // The whole run in one transaction: a failure leaves no half run behind.
    batch.write();
    progress.setValue(progress.maximum());
    progress.setVisible(false);
    written = true;
  });
  return written;
}

void FRMPD_MODSELEZ::releaseReport() {
  if (!pclsReport_) return;
  pclsReport_->release();
  pclsReport_.reset();
}

std::optional<data::Bookmark> FRMPD_MODSELEZ::currentLabelRow() const {
  if (!rsetGridRigaOrd_ || rsetGridRigaOrd_->bof() || rsetGridRigaOrd_->eof()) return std::nullopt;
  return rsetGridRigaOrd_->bookmark();
}

void FRMPD_MODSELEZ::attachRows(std::optional<data::Bookmark> row) {
  rsetGridRigaOrd_->setFilter("");
  if (row) rsetGridRigaOrd_->setBookmark(*row);
  grid_.setDataSource(rsetGridRigaOrd_.get());
  if (bindCollRigaOrd_) bindCollRigaOrd_->setDataSource(rsetGridRigaOrd_.get());
}

void FRMPD_MODSELEZ::CmdExec_Click() {
  trap("CmdExec_Click", [&] {
    if (!labelCountConfirmed()) return;
    if (callingForm_->labelRowChoices().labelType == LabelType::Customisable) {
      StampaEtichettePersonalizzate();
      return;
    }
    window().setMousePointer(kHourglass);
    // The run filters and walks the label rows; the operator gets back the row they were on.
    const std::optional<data::Bookmark> current = currentLabelRow();
    if (bindCollRigaOrd_) bindCollRigaOrd_->setDataSource(nullptr);
    grid_.setDataSource(nullptr);
    // Held until the report has read this run's rows: another run of the same user on this
    // workstation would replace them.
    const std::unique_ptr<data::NamedLock> turn = takeTurn();
    if (turn) GetRsetRptEtichette();
    if (!turn || !rsetRptEtichette_ || !rsetRptEtichette_->isOpen()) {
      window().setMousePointer(kDefaultPointer);
      if (rsetGridRigaOrd_) attachRows(current);
      return;
    }
    if (!rsetGridRigaOrd_) {
      messageBox("Non ci sono etichette da stampare", 64770, host::msg::kInformation);
      window().setMousePointer(kDefaultPointer);
      return;
    }
    rsetGridRigaOrd_->setFilter(" SELEZIONE = '1'");
    if (rsetGridRigaOrd_->recordCount() == 0) {
      messageBox("Non ci sono etichette da stampare", 64770, host::msg::kInformation);
      window().setMousePointer(kDefaultPointer);
      attachRows(current);
      return;
    }
    // Without this run's texts the report would print the previous run's rows.
    if (!ImpostaDatiEtichetta()) {
      window().setMousePointer(kDefaultPointer);
      attachRows(current);
      return;
    }
    releaseReport();
    pclsReport_ = runtime().createReportService();
    pclsReport_->setGlobalContext(hostInterface());
    pclsReport_->setClassName("DAZO_BRISKAL.CLSPD_BRISKAL");
    pclsReport_->setOwner(callingForm_->labelRowChoices().owner);
    pclsReport_->setTitle(ComponentForm::translate("Stampa etichette da ordine di lavoro", 54513));
    pclsReport_->setTemplate("CRPD_BRISKLAB.RPT");
    pclsReport_->setTemplateFolder(runtime().componentFolder());
    pclsReport_->setPreview(false);
    pclsReport_->setLogon(connectionString_, "", "", "");
    pclsReport_->setDataSource(ownLabelsSql("PD46_RIGADATI") + " ORDER BY PD46_PROGETICH");
    pclsReport_->setLabelRows(rsetGridRigaOrd_.get());
    pclsReport_->setHostValue(Value(host().hwndParent()));
    pclsReport_->onBeforePrintReport(
        [this](host::ReportEngine& engine) { PclsReport_BeforePrintReport(engine); });
    window().setMousePointer(kDefaultPointer);
    try {
      pclsReport_->start();
    } catch (...) {
      attachRows(current);
      throw;
    }
    if (pclsReport_->completed()) releaseReport();
    attachRows(current);
  });
}

void FRMPD_MODSELEZ::PclsReport_BeforePrintReport(host::ReportEngine& engine) {
  trap("PclsReport_BeforePrintReport", [&] {
    window().setMousePointer(kDefaultPointer);
    const LabelRowChoices c = callingForm_->labelRowChoices();
    const RegionalSettings& rs = global().regionalSettings();
    engine.setFormula("DITTA", toText(NVL(c.companyCode, Value("")), rs));
    engine.setFormula("RAGSOC", toText(NVL(c.companyName, Value("")), rs));
    const Decimal distance = toDecimal(NVL(Value(c.distance), Value(int32_t{0})), rs);
    // The distance is in millimetres.
    engine.setSectionHeight("Db",
                            toInt32(Value(distance * Decimal(host::kTwipsPerCentimetre) / Decimal(10)), rs));
    engine.refresh("");
    const bool header = pclsReport_->printHeader();
    const bool limits = pclsReport_->printLimits();
    const bool notes = pclsReport_->printNotes();
    if (!header || (!limits && !notes)) engine.suppressSection("RH", true);
    PreparaLimiti(engine, limits);
    PreparaNote(engine, notes);
  });
}

void FRMPD_MODSELEZ::PreparaLimiti(host::ReportEngine& engine, bool printLimits) {
  trap("PreparaLimiti", [&] {
    static constexpr std::array<std::tuple<const char*, const char*, const char*>, 8> kLimits = {{
        {"Sezionale doc.", "DASEZIONALEDOC", "ASEZIONALEDOC"},
        {"Numero doc.", "DANUMERODOC", "ANUMERODOC"},
        {"Numero riga doc.", "DARIGADOC", "ARIGADOC"},
        {"Reparto", "DAREPARTO", "AREPARTO"},
        {"Progetto", "DAPROGETTO", "APROGETTO"},
        {"Sottoprogetto", "DASOTTOPROGETTO", "ASOTTOPROGETTO"},
        {"Commessa", "DACOMMESSA", "ACOMMESSA"},
        {"Sottocommessa", "DASOTTOCOMMESSA", "ASOTTOCOMMESSA"},
    }};
    if (!printLimits) {
      for (const char* formula : {"QUANTITAPERETIC", "NUMEROETICHETTE", "GESTIONE1O2UM", "BARCODE"})
        engine.setFormula(formula, "");
      for (const auto& [caption, from, to] : kLimits) {
        engine.setFormula(from, "");
        engine.setFormula(to, "");
      }
      return;
    }
    const LabelRowChoices c = callingForm_->labelRowChoices();
    engine.setFormula("QUANTITAPERETIC", c.quantityBasisText);
    engine.setFormula("NUMEROETICHETTE", c.labelsPerLine);
    engine.setFormula("GESTIONE1O2UM", std::to_string(c.firstUnit));
    for (const auto& item : c.filterItems) {
      for (const auto& [caption, from, to] : kLimits) {
        if (item.caption != caption) continue;
        engine.setFormula(from, item.from);
        engine.setFormula(to, item.to);
      }
    }
  });
}

void FRMPD_MODSELEZ::PreparaNote(host::ReportEngine& engine, bool printNotes) {
  trap("PreparaNote", [&] {
    engine.setFormula("ESEGUITODA", printNotes ? pclsReport_->performedBy() : "");
    engine.setFormula("DESTINATOA", printNotes ? pclsReport_->addressedTo() : "");
    engine.setFormula("NOTE", printNotes ? pclsReport_->notes() : "");
  });
}

void FRMPD_MODSELEZ::CreaSupportoStampaPersonalizzata() {
  trap("CreaSupportoStampaPersonalizzata",
       [&] { printSupport_ = output::CreaSupportoStampaPersonalizzata(); });
}

bool FRMPD_MODSELEZ::AlimentaSupportoStampaPersonalizzata() {
  if (!rsetRigaOrd_ || !printSupport_ || !rsetGridRigaOrd_) return true;
  bool filled = false;
  trapShowing("AlimentaSupportoStampaPersonalizzata", [&] {
    if (bindCollRigaOrd_) bindCollRigaOrd_->setDataSource(nullptr);
    grid_.setDataSource(nullptr);
    const std::optional<data::Bookmark> current = currentLabelRow();
    try {
      output::AlimentaSupportoStampaPersonalizzata(*rsetRigaOrd_, *rsetGridRigaOrd_, *printSupport_);
    } catch (...) {
      attachRows(current);
      throw;
    }
    rsetRigaOrd_->moveFirst();
    attachRows(current);
    filled = true;
  });
  // A support filled in part would print some of the labels as if they were all.
  if (!filled) printSupport_.reset();
  return filled;
}

void FRMPD_MODSELEZ::StampaEtichettePersonalizzate() {
  trap("StampaEtichettePersonalizzate", [&] {
    CreaSupportoStampaPersonalizzata();
    if (!AlimentaSupportoStampaPersonalizzata()) return;
    if (!printSupport_ || printSupport_->recordCount() == 0) {
      messageBox("Non ci sono etichette da stampare", 64770, host::msg::kInformation);
      return;
    }
    releaseReport();
    pclsReport_ = runtime().createReportService();
    pclsReport_->setGlobalContext(hostInterface());
    pclsReport_->setClassName("DAZO_BRISKAL.CLSPD_BRISKAL");
    pclsReport_->setLogon(connectionString_, "", "", "");
    pclsReport_->setTitle(ComponentForm::translate("Etichette personalizzabili", 74632));
    pclsReport_->setTemplate("CRPD_BRISKLABPERS.rpt");
    pclsReport_->setTemplateFolder(runtime().componentFolder());
    pclsReport_->setDataRecordset(printSupport_.get());
    pclsReport_->setHostValue(Value(host().hwndParent()));
    pclsReport_->onBeforePrintReport(
        [this](host::ReportEngine& engine) { PclsReportPers_BeforePrintReport(engine); });
    pclsReport_->start();
    if (pclsReport_->completed()) releaseReport();
  });
}

void FRMPD_MODSELEZ::PclsReportPers_BeforePrintReport(host::ReportEngine& engine) {
  trap("PclsReportPers_BeforePrintReport", [&] {
    engine.refresh("");
    const LabelRowChoices c = callingForm_->labelRowChoices();
    const RegionalSettings& rs = global().regionalSettings();
    engine.setFormula("CodiceDitta", toText(NVL(c.companyCode, Value("")), rs));
    engine.setFormula("RagioneSociale", toText(NVL(c.companyName, Value("")), rs));
    const bool header = pclsReport_->printHeader();
    engine.setFormula("PaginaIniziale", header ? "False" : "True");
    if (!header || (!pclsReport_->printLimits() && !pclsReport_->printNotes())) PreparaLimiti(engine, false);
    else PreparaLimiti(engine, pclsReport_->printLimits());
  });
}

void FRMPD_MODSELEZ::CMD_EPL_ButtonClick() {
  trap("CMD_EPL_ButtonClick", [&] {
    if (callingForm_->labelRowChoices().labelType == LabelType::Standard) {
      messageBox("Modalità di stampa non prevista", 83848, host::msg::kExclamation);
      host::ToolbarButtonControl& print = controls().button("CmdExec");
      if (print.visible() && print.enabled()) print.setFocus();
      CMD_EPL_.setVisible(false);
      return;
    }
    CreaSupportoStampaPersonalizzata();
    if (!AlimentaSupportoStampaPersonalizzata()) return;
    std::unique_ptr<host::LabelPrinterOutput> printer = runtime().createLabelPrinterOutput();
    printer->version();
    printer->setContext(global().company());
    printer->prepare();
    printer->setRecordset(printSupport_.get());
    printer->start();
    printer->setRecordset(nullptr);
    printer->result();
  });
}

Value FRMPD_MODSELEZ::publicProperty(std::string_view name) const {
  if (name == "StringaRigaOrd") return Value(stringaRigaOrd_);
  return Value();
}

// --- selection editing ----------------------------------------------------------------------

void FRMPD_MODSELEZ::CMB_TIPOATT_Change() {
  trap("CMB_TIPOATT_Change", [&] {
    const std::string action = CMB_TIPOATT_.text();
    CaricaListaParametri(action != "1");
    TXT_NEWQTASUETIC_.setEnabled(action == "2");
    if (action != "2") TXT_NEWQTASUETIC_.setText("");
  });
}

void FRMPD_MODSELEZ::CMB_TIPOPAR_Change() {
  trap("CMB_TIPOPAR_Change", [&] {
    const bool everyRow = CMB_TIPOPAR_.text() == kEveryRow;
    CMB_OPERAT_.setEnabled(!everyRow);
    TXT_PARAM_.setEnabled(!everyRow);
  });
}

// A numeric parameter takes digits and the editing keys only.
void FRMPD_MODSELEZ::TXT_PARAM_KeyPress(int32_t& keyAscii) {
  if (!isNumericParameter(CMB_TIPOPAR_.text())) return;
  const bool editing = keyAscii == 8 || keyAscii == 9 || keyAscii == 13 || keyAscii == 28 || keyAscii == 29;
  if (!editing && (keyAscii < '0' || keyAscii > '9')) keyAscii = 0;
}

bool FRMPD_MODSELEZ::parameterRefused() {
  if (!isNumericParameter(CMB_TIPOPAR_.text()) ||
      IsNumeric(Value(TXT_PARAM_.text()), global().regionalSettings()))
    return false;
  messageBox("Inserire un valore numerico", 33812, host::msg::kInformation);
  TXT_PARAM_.selectAll();
  return true;
}

void FRMPD_MODSELEZ::TXT_PARAM_Validate(bool& cancel) {
  trap("TXT_PARAM_Validate", [&] { cancel = parameterRefused(); });
}

void FRMPD_MODSELEZ::CmdConf_Click() {
  trap("CmdConf_Click", [&] {
    if (parameterRefused()) {
      TXT_PARAM_.setFocus();
      return;
    }
    const BatchRule rule{CMB_TIPOPAR_.text(), CMB_OPERAT_.text(), TXT_PARAM_.text()};
    const std::string action = CMB_TIPOATT_.text();
    // "Globale" compares nothing: its operator is switched off and none is needed.
    const bool everyRow = rule.parameterType == kEveryRow;
    if ((!everyRow && CMB_OPERAT_.selectedText().empty()) || action.empty() || rule.parameterType.empty())
      return;
    required(bindCollRigaOrd_).setDataSource(nullptr);
    window().setMousePointer(kHourglass);
    // The operator stays on the row they were on, whatever the action went through.
    const std::optional<data::Bookmark> current = currentLabelRow();
    int64_t changed = 0;
    if (action == "3" && !everyRow)
      changed = markByParameter(rule, " SELEZIONE = '0'", selection::kPrinted, false);
    else if (action == "3") changed = restoreAll();
    else if (action == "1") changed = markByParameter(rule, " SELEZIONE = '1'", selection::kRemoved, false);
    else if (action == "2" && everyRow) changed = changeQuantityOfAll();
    else if (action == "2") changed = markByParameter(rule, " SELEZIONE = '1'", selection::kMarked, true);
    attachRows(current);
    showTotals(changed);
    window().setMousePointer(kDefaultPointer);
  });
}

int64_t FRMPD_MODSELEZ::markByParameter(const BatchRule& rule, std::string_view filter, std::string_view mark,
                                        bool quantity) {
  int64_t changed = 0;
  trap("ModificaRighe", [&] {
    std::optional<Decimal> newQuantity;
    if (quantity && !(newQuantity = ControllaQuantita())) return;
    data::Recordset& rows = required(rsetGridRigaOrd_);
    grid_.setDataSource(nullptr);
    controls().button("CmdExec").setEnabled(true);
    SelectionEditor editor(rows, global().regionalSettings());
    changed = editor.markOrderLines(rule, filter, mark);
    if (quantity) {
      changed = editor.applyQuantity(*newQuantity, false);
      if (changed == 0)
        messageBox("Non esistono righe corrispondenti ai parametri selezionati", 64772,
                   host::msg::kInformation);
      TXT_NEWQTASUETIC_.setText("");
    }
  });
  return changed;
}

int64_t FRMPD_MODSELEZ::restoreAll() {
  grid_.setDataSource(nullptr);
  return SelectionEditor(required(rsetGridRigaOrd_), global().regionalSettings()).restoreAll();
}

int64_t FRMPD_MODSELEZ::changeQuantityOfAll() {
  int64_t changed = 0;
  trap("AggiornaRsetGrid", [&] {
    const std::optional<Decimal> newQuantity = ControllaQuantita();
    if (!newQuantity) return;
    data::Recordset& rows = required(rsetGridRigaOrd_);
    grid_.setDataSource(nullptr);
    if (!rows.eof() || !rows.bof()) rows.moveFirst();
    rows.setFilter(" SELEZIONE = '1'");
    if (rows.recordCount() > 0) {
      changed = SelectionEditor(rows, global().regionalSettings()).applyQuantity(*newQuantity, true);
      controls().button("CmdExec").setEnabled(true);
    } else {
      messageBox("Non esistono più righe da elaborare", 40134, host::msg::kInformation);
    }
  });
  return changed;
}

void FRMPD_MODSELEZ::showTotals(std::optional<int64_t> changedRows) {
  trap("showTotals", [&] {
    if (!rsetGridRigaOrd_) return;
    const RegionalSettings& rs = global().regionalSettings();
    const SelectionTotals t = countSelection(*rsetGridRigaOrd_, rs);
    const auto count = [&rs](int64_t n) { return Value(countText(n, rs)); };
    const std::vector<Value> totals = {count(t.orderLines), count(t.allOrderLines), count(t.labelRows),
                                       count(t.allLabelRows), count(t.labels)};
    std::string text = ComponentForm::translate(
        "Righe d'ordine: %1 di %2 · Righe etichetta: %3 di %4 · Etichette da stampare: %5", kSelectionTotals,
        &totals);
    if (changedRows) {
      const std::vector<Value> changed = {count(*changedRows)};
      text = ComponentForm::translate("Righe modificate: %1", kRowsChanged, &changed) + " — " + text;
    }
    LBL_Totali_.setCaption(text);
  });
}

bool FRMPD_MODSELEZ::labelCountConfirmed() {
  const int64_t threshold = global().labelsToConfirm();
  if (threshold <= 0 || !rsetGridRigaOrd_) return true;
  const RegionalSettings& rs = global().regionalSettings();
  const int64_t labels = countSelection(*rsetGridRigaOrd_, rs).labels;
  if (labels <= threshold) return true;
  const std::string counted = countText(labels, rs);
  const std::vector<Value> parameters = {Value(counted)};
  return messageBox("Stampare " + counted + " etichette?", kConfirmLabels,
                    host::msg::kYesNo | host::msg::kQuestion | host::msg::kDefaultButton2,
                    &parameters) == host::msg::kYes;
}

// Zero, a negative number, more than three decimals or a text that is no number are refused.
std::optional<Decimal> FRMPD_MODSELEZ::ControllaQuantita() {
  const std::optional<Decimal> quantity =
      labelQuantity(TXT_NEWQTASUETIC_.text(), global().regionalSettings());
  if (quantity) return quantity;
  messageBox("Inserire quantità per etichetta", 64773, host::msg::kInformation);
  TXT_NEWQTASUETIC_.selectAll();
  TXT_NEWQTASUETIC_.setFocus();
  return std::nullopt;
}

void FRMPD_MODSELEZ::KVX_QGRIDWRAPPER1_CellDblClick(const std::string& field) {
  if (field != "SELEZIONE") return;
  trap("KVX_QGRIDWRAPPER1_CellDblClick",
       [&] { SelectionEditor(required(rsetGridRigaOrd_), global().regionalSettings()).toggleCurrent(); });
  showTotals();
}

bool FRMPD_MODSELEZ::quantityAccepted(const std::string& text) {
  bool accepted = false;
  trap("quantityAccepted", [&] { accepted = labelQuantity(text, global().regionalSettings()).has_value(); });
  return accepted;
}

void FRMPD_MODSELEZ::KVX_QGRIDWRAPPER1_Edited(const std::string& field, const Value& value, bool& cancel) {
  if (field != "QTASUETICH") return;
  cancel = true;
  trap("KVX_QGRIDWRAPPER1_Edited",
       [&] { cancel = !quantityAccepted(toText(NVL(value, Value("")), global().regionalSettings())); });
}

void FRMPD_MODSELEZ::TXT_QTASUETIC_Change() {
  trap("TXT_QTASUETIC_Change", [&] {
    const RegionalSettings& rs = global().regionalSettings();
    const Value typed(TXT_QTASUETIC_.text());
    if (!rsetGridRigaOrd_ || !IsNumeric(typed, rs)) return;
    if (rsetGridRigaOrd_->bof() || rsetGridRigaOrd_->eof()) return;
    SelectionEditor(*rsetGridRigaOrd_, rs).recomputeMeasures(toDecimal(typed, rs));
  });
}

}  // namespace briskal::labelrows
