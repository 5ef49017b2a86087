#include "labelrows/frmpd_modselez.h"

#include "common/convert.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "host/cinterface.h"
#include "host/services.h"
#include "labelrows/label_expansion.h"
#include "labelrows/label_rows.h"
#include "params/frmpd_briskal.h"

namespace briskal::labelrows {
namespace {

constexpr int32_t kHourglass = 11;
constexpr int32_t kDefaultPointer = 0;
constexpr const char* kQuantityFormat = "###,##0.000";

// Detail fields and the label-row field each shows.
constexpr std::pair<const char*, const char*> kBindings[] = {
    {"TXT_NSERIE", "DO11_SEZDOC"},         {"TXT_NORDINE", "DO11_NUMDOC"},
    {"TXT_NRIGAORD", "DO30_PROGRIGA"},     {"TXT_DEPOSITO", "DO30_CODDEP_MG58"},
    {"TXT_ARTICOLO", "DO30_CODART_MG66"},  {"TXT_VARIANTE", "DO30_OPZIONE_MG5E"},
    {"TXT_DESCRART", "DO30_DESCART"},      {"TXT_QTAINORD", "QTAORD"},
    {"TXT_QTASUETIC", "QTASUETICH"},
};

struct ParameterType {
  const char* value;
  const char* text;
  int32_t textNumber;
};

constexpr ParameterType kParameterTypes[] = {
    {"1", "Numero ordine", 41456},       {"2", "Num. riga d'ordine", 40954}, {"3", "Deposito", 20411},
    {"4", "Codice articolo", 12021},     {"5", "Quantita' in ordine", 47521}, {"6", "Progetto", 45482},
    {"7", "Sottoprogetto", 53723},       {"8", "Commessa", 14165},            {"99", "Globale", 29298},
};

}  // namespace

FRMPD_MODSELEZ::FRMPD_MODSELEZ(host::HostRuntime& runtime)
    : ComponentForm(runtime, "FRMPD_MODSELEZ", "Modifica etichette"),
      grid_(controls().grid("KVX_QGRIDWRAPPER1")),
      CMB_TIPOATT_(controls().combo("CMB_TIPOATT")),
      CMB_TIPOPAR_(controls().combo("CMB_TIPOPAR")),
      CMB_OPERAT_(controls().combo("CMB_OPERAT")),
      TXT_NEWQTASUETIC_(controls().textEdit("TXT_NEWQTASUETIC")),
      CMD_EPL_(controls().button("CMD_EPL")),
      KVX_RESIZEFORM1_(controls().resizer("KVX_RESIZEFORM1")),
      MDIActiveX1_(controls().mdiHost("MDIActiveX1")) {
  controls().button("CmdConf").setCaption("&Conferma");
  controls().button("CmdExec").setCaption("&Stampa");
  CMD_EPL_.setCaption("EPL");
  MDIActiveX1_.onHostEvent([this] { MDIActiveX1_Event(); });
}

FRMPD_MODSELEZ::~FRMPD_MODSELEZ() = default;

std::string FRMPD_MODSELEZ::translate(std::string_view text, int32_t number, const std::vector<Value>* parameters,
                                      int16_t quoteForSql) {
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
    CMD_EPL_.setEnabled(callingForm_->labelRowChoices().labelType == "1");
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
    CaricaRsetGrid();
    ImpostaBindingColl();
    for (const char* edit : {"TXT_QTAINORD", "TXT_QTASUETIC", "TXT_NEWQTASUETIC"})
      controls().textEdit(edit).setSetting("displayformat", Value(kQuantityFormat));
    grid_.setDataSource(rsetGridRigaOrd_.get());
    window().setMousePointer(kDefaultPointer);
    notifyWindowState("kvOpen");
    loadedOnce_ = true;
  });
}

void FRMPD_MODSELEZ::CaricaRsetRigaOrd() {
  trap("CaricaRsetRigaOrd", [&] {
    rsetRigaOrd_ = std::make_unique<data::Recordset>();
    rsetRigaOrd_->setCursorLocation(data::cursor::kUseClient);
    rsetRigaOrd_->open(stringaRigaOrd_, *connection_, data::cursor::kOpenDynamic, data::lock::kOptimistic);
    if (rsetRigaOrd_->recordCount() < 1) {
      window().setMousePointer(kDefaultPointer);
      messageBox("Non ci sono righe d'ordine da elaborare", 64771, host::msg::kInformation);
      rsetRigaOrd_.reset();
      return;
    }
    rsetRigaOrd_->moveFirst();
  });
}

void FRMPD_MODSELEZ::CaricaRsetGrid() {
  trap("CaricaRsetGrid", [&] {
    rsetGridRigaOrd_.reset();
    rsetGridRigaOrd_ = newLabelRows();
    const params::FRMPD_BRISKAL::LabelRowChoices choices = callingForm_->labelRowChoices();
    const RegionalSettings& rs = hostInterface()->ClsGlobal()->regionalSettings();
    ExpansionOptions options;
    options.basis = choices.quantityBasis.empty() ? -1 : toInt32(Value(choices.quantityBasis), rs);
    options.firstUnit = choices.firstUnit == 1;
    options.delivered = choices.referenceQuantity == "1";
    options.labelsPerLine = choices.labelsPerLine;
    LabelExpansion expansion(
        *rsetRigaOrd_, *rsetGridRigaOrd_, rs, [this](const char* procedure, const std::function<void()>& body) {
          trap(procedure, body);
        },
        [this] { messageBox("Zero pezzi per confezione.", 61592, host::msg::kOkOnly); });
    expansion.expandAll(options);
    rsetGridRigaOrd_->moveFirst();
    PreparaGriglia();
  });
}

void FRMPD_MODSELEZ::ImpostaBindingColl() {
  trap("ImpostaBindingColl", [&] {
    bindCollRigaOrd_ = std::make_unique<data::BindingCollection>();
    for (const auto& [control, field] : kBindings) bindCollRigaOrd_->add(controls().textEdit(control), "Text", field);
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
    grid_.addColumn({"SELEZIONE", "Sel.", "", true});
    grid_.addColumn({"DO11_SEZDOC", "Sez.", "", false});
    grid_.addColumn({"DO11_NUMDOC", "Ordine", "", false});
    grid_.addColumn({"DO30_PROGRIGA", "Riga", "", false});
    grid_.addColumn({"DO30_CODDEP_MG58", "Deposito", "", false});
    grid_.addColumn({"DO30_CODART_MG66", "Articolo", "", false});
    grid_.addColumn({"DO30_OPZIONE_MG5E", "Variante", "", false});
    grid_.addColumn({"DO30_DESCART", "Descrizione articolo", "", false});
    grid_.addColumn({"QTAORD", "Qta residua", kQuantityFormat, false});
    grid_.addColumn({"QTASUETICH", "Qta etichetta", kQuantityFormat, false});
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
    rsetRigaOrd_.reset();
    rsetGridRigaOrd_.reset();
  });
}

void FRMPD_MODSELEZ::Form_KeyDown(int32_t keyCode, int32_t shift) {
  trap("Form_KeyDown", [&] {
    if (keyCode == 27 || (keyCode == 88 && shift == 2)) unloadForm();
  });
}

void FRMPD_MODSELEZ::MDIActiveX1_Event() {
  trap("MDIActiveX1_Event", [&] {
    MDIActiveX1_.place(0, 0, 11160, 7020);
    MDIActiveX1_.setWindowState(hostInterface()->WindowState());
  });
}

Value FRMPD_MODSELEZ::publicProperty(std::string_view name) const {
  if (name == "StringaRigaOrd") return Value(stringaRigaOrd_);
  return Value();
}

}  // namespace briskal::labelrows
