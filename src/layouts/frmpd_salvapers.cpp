#include "layouts/frmpd_salvapers.h"

#include <vector>

#include "common/convert.h"
#include "common/routines.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "host/cinterface.h"
#include "host/services.h"
#include "layouts/layout_table.h"

namespace briskal::layouts {
namespace {

std::string textOf(const Value& v, const RegionalSettings& rs) { return toText(NVL(v, Value("")), rs); }

// The numbers of the form's failures in the host's catalogue. The host's own numbers stay below
// 100000; the component's own start at 900001.
constexpr int32_t kSavedElsewhere = 900001;
constexpr int32_t kNotSaved = 900002;
constexpr int32_t kNotDeleted = 900003;
constexpr int32_t kSaved = 900009;
constexpr int32_t kDeleted = 900010;
constexpr int32_t kNoHeight = 900011;
constexpr int32_t kNoWidth = 900012;

}  // namespace

FRMPD_SALVAPERS::FRMPD_SALVAPERS(host::HostRuntime& runtime)
    : ComponentForm(runtime, "FRMPD_SALVAPERS", "Salva personalizzazione"),
      QGRID_SEL_(controls().grid("QGRID_SEL")),
      TXT_Codice_(controls().textEdit("TXT_Codice")),
      TXT_Titolo_(controls().textEdit("TXT_Titolo")),
      TXT_WidthEtic_(controls().textEdit("TXT_WidthEtic")),
      TXT_HeightEtic_(controls().textEdit("TXT_HeightEtic")),
      cmd_annulla_(controls().button("cmd_annulla")) {
  TXT_Codice_.setSetting("displayformat", Value("Maiuscolo"));
  TXT_Codice_.setSetting("caption", Value("Codice personalizzazione"));
  TXT_Titolo_.setSetting("displayformat", Value("Maiuscolo"));
  TXT_Titolo_.setSetting("caption", Value("Descrizione personalizzazione"));
  TXT_Titolo_.setSetting("maxchar", Value(int32_t{40}));
  TXT_WidthEtic_.setSetting("maxchar", Value(int32_t{3}));
  TXT_HeightEtic_.setSetting("maxchar", Value(int32_t{3}));
  controls().button("CMD_SALVA").onClick([this] { CMD_SALVA_ButtonClick(); });
  controls().button("CMD_ELIMINA").onClick([this] { CMD_ELIMINA_ButtonClick(); });
  cmd_annulla_.onClick([this] { cmd_annulla_ButtonClick(); });
  QGRID_SEL_.onRowChanged([this] { QGRID_SEL_RowChanged(); });
  TXT_Codice_.onValidate([this](bool& cancel) { TXT_Codice_Validate(cancel); });
}

FRMPD_SALVAPERS::~FRMPD_SALVAPERS() = default;

void FRMPD_SALVAPERS::Form_Load() {
  trapShowing("Form_Load", [&] { controls().resizer("KVX_RESIZEFORM1").start(); });
}

void FRMPD_SALVAPERS::Form_Activate() { LoadElencoSelezioni(); }

void FRMPD_SALVAPERS::LoadElencoSelezioni() {
  trapShowing("LoadElencoSelezioni", [&] {
    QGRID_SEL_.clearColumns();
    QGRID_SEL_.addColumn({"PD45_TITOLO", "Titolo", "", host::GridColumnKind::Text, 4500});
    list_->setFilter("");
    QGRID_SEL_.setDataSource(list_);
    // The entry for a new layout: the edits start empty and the list stands where it was.
    newRow_ = true;
    cmd_annulla_.setVisible(true);
  });
}

bool FRMPD_SALVAPERS::reportFailure(const std::exception& error, Step step) {
  if (const auto* elsewhere = dynamic_cast<const LayoutSavedElsewhere*>(&error)) {
    const std::vector<Value> parameters = {Value(elsewhere->code())};
    messageBox(elsewhere->description(), kSavedElsewhere, host::msg::kExclamation, &parameters);
  } else {
    const auto* database = dynamic_cast<const data::DriverError*>(&error);
    const std::string cause = database && !database->errors().empty() ? database->errors().front().description
                                                                      : std::string(error.what());
    const std::vector<Value> parameters = {Value(cause)};
    if (step == Step::Save)
      messageBox("La personalizzazione non è stata salvata:\r\n" + cause, kNotSaved, host::msg::kExclamation,
                 &parameters);
    else
      messageBox("La personalizzazione non è stata eliminata:\r\n" + cause, kNotDeleted,
                 host::msg::kExclamation, &parameters);
  }
  if (connection_) connection_->clearErrors();
  return false;
}

bool FRMPD_SALVAPERS::codeInList(const std::string& code) {
  if (list_->bof() && list_->eof()) return false;
  std::unique_ptr<data::Recordset> copy = list_->clone();
  copy->setFilter(layoutRowsFilter(code));
  return copy->recordCount() > 0;
}

bool FRMPD_SALVAPERS::SalvaPersonalizzazione() {
  bool result = false;
  trapShowing("SalvaPersonalizzazione", [&] {
    const RegionalSettings& rs = global().regionalSettings();
    // Blanks around a code are not part of it: a code saved with them could never be named again.
    const std::string code(Trim(textOf(Value(TXT_Codice_.text()), rs)));
    const std::string title = textOf(Value(TXT_Titolo_.text()), rs);
    if (code.empty() || title.empty()) {
      messageBox("Inserire codice e descrizione", 76085, host::msg::kInformation);
      TXT_Codice_.setFocus();
      return;
    }
    const LayoutHeader header = callingForm_->layoutHeader(code, title);
    if (!sizeConfirmed(header)) return;
    bool replace = false;
    if (codeInList(code)) {
      const std::string existing = textOf(list_->value("PD45_TITOLO"), rs);
      const std::vector<Value> parameters = {Value(existing)};
      const int32_t answer =
          messageBox("Personalizzazione esistente:\r\n" + existing + ".\r\n\r\nSostituire?", 74614,
                     host::msg::kYesNo | host::msg::kQuestion, &parameters);
      if (answer == host::msg::kNo) return;
      replace = true;
    }
    try {
      replaceLayout(required(connection_), required(table_), required(lines_), header, replace, rs);
    } catch (const std::exception& e) {
      QGRID_SEL_.setDataSource(list_);
      reportFailure(e, Step::Save);
      return;
    }
    if (!replace && (lines_->bof() && lines_->eof())) return;  // nothing was written
    reloadList();
    succeeded_ = true;
    result = true;
  });
  return result;
}

// A layout without a height or a width is never checked against its label: asked as printing asks
// about a label too small for its lines.
bool FRMPD_SALVAPERS::sizeConfirmed(const LayoutHeader& header) {
  const auto zero = [this](const Value& size) {
    return toDecimal(size, global().regionalSettings()) == Decimal();
  };
  std::string missing;
  if (zero(header.height)) missing = translate("altezza non indicata.", kNoHeight);
  else if (zero(header.width)) missing = translate("lunghezza non indicata.", kNoWidth);
  else return true;
  const std::vector<Value> parameters = {Value(missing)};
  return messageBox("Dimensionamento etichetta:\r\n" + missing + "\r\r\nContinuare?", 74594,
                    host::msg::kYesNo | host::msg::kQuestion, &parameters) != host::msg::kNo;
}

void FRMPD_SALVAPERS::CMD_SALVA_ButtonClick() {
  trapShowing("CMD_SALVA_ButtonClick", [&] {
    succeeded_ = false;
    if (SalvaPersonalizzazione()) {
      saved_ = true;
      savedCode_ = std::string(Trim(textOf(Value(TXT_Codice_.text()), global().regionalSettings())));
      newRow_ = false;
      const std::vector<Value> parameters = {Value(savedCode_)};
      global().messages().showStatus(
          translate("Personalizzazione " + savedCode_ + " salvata.", kSaved, &parameters));
      // Its work done, the form gives the operator back the layout just saved.
      unloadForm();
    }
  });
}

bool FRMPD_SALVAPERS::EliminaPersonalizzazione() {
  bool result = false;
  trapShowing("EliminaPersonalizzazione", [&] {
    const RegionalSettings& rs = global().regionalSettings();
    const std::string code(Trim(textOf(list_->value("PD45_CODICE"), rs)));
    if (code.empty()) return;
    const std::string title = textOf(list_->value("PD45_TITOLO"), rs);
    const std::vector<Value> parameters = {Value(code), Value(title)};
    const std::string question =
        translate("Eliminare la personalizzazione:\r" + code + "\r" + title + " ? ", 74615, &parameters);
    if (messageBox(question, 0, host::msg::kYesNo | host::msg::kQuestion) != host::msg::kYes) return;
    try {
      deleteLayout(*table_, code);
    } catch (const std::exception& e) {
      reportFailure(e, Step::Delete);
      return;
    }
    for (host::TextEditControl* edit : {&TXT_Codice_, &TXT_Titolo_, &TXT_HeightEtic_, &TXT_WidthEtic_})
      edit->setText("");
    const std::vector<Value> deleted = {Value(code)};
    global().messages().showStatus(
        translate("Personalizzazione " + code + " eliminata.", kDeleted, &deleted));
    succeeded_ = true;
    result = true;
  });
  return result;
}

void FRMPD_SALVAPERS::CMD_ELIMINA_ButtonClick() {
  trapShowing("CMD_ELIMINA_ButtonClick", [&] {
    succeeded_ = false;
    if (list_->recordCount() == 0) {
      messageBox("Non sono presenti dati da eliminare", 64769, host::msg::kInformation);
      return;
    }
    if (!EliminaPersonalizzazione()) return;
    reloadList();
    callingForm_->selectFirstLayout();
    saved_ = true;
    savedCode_.clear();
    newRow_ = false;
  });
}

// The parameter form reloads its list and selector; the grid shows the new list.
void FRMPD_SALVAPERS::reloadList() {
  QGRID_SEL_.setDataSource(nullptr);
  callingForm_->CaricaComboPersonal();
  list_ = callingForm_->layoutList();
  QGRID_SEL_.setDataSource(list_);
}

void FRMPD_SALVAPERS::cmd_annulla_ButtonClick() {
  trapShowing("cmd_annulla_ButtonClick", [&] {
    newRow_ = false;
    cmd_annulla_.setVisible(false);
    if (list_ && list_->recordCount() > 0) {
      list_->moveLast();
      showListRow();
    }
  });
}

void FRMPD_SALVAPERS::showListRow() {
  const RegionalSettings& rs = global().regionalSettings();
  TXT_Codice_.setText(std::string(RTrim(textOf(list_->value("PD45_CODICE"), rs))));
  TXT_Titolo_.setText(std::string(RTrim(textOf(list_->value("PD45_TITOLO"), rs))));
  TXT_WidthEtic_.setText(textOf(list_->value("PD45_WIDTH"), rs));
  TXT_HeightEtic_.setText(textOf(list_->value("PD45_HEIGHT"), rs));
}

void FRMPD_SALVAPERS::QGRID_SEL_RowChanged() {
  trapShowing("QGRID_SEL_RowChanged", [&] {
    if (!list_ || list_->recordCount() == 0) return;
    if (list_->eof()) list_->moveLast();
    if (list_->bof()) list_->moveFirst();
    newRow_ = false;
    showListRow();
  });
}

void FRMPD_SALVAPERS::TXT_Codice_Validate(bool&) {
  trapShowing("TXT_Codice_Validate", [&] {
    const std::string code(RTrim(TXT_Codice_.text()));
    if (code.empty() || !list_ || list_->recordCount() == 0) return;
    if (!codeInList(code)) return;
    QGRID_SEL_.setDataSource(nullptr);
    list_->moveFirst();
    list_->find(layoutRowsFilter(layoutCode(code)));
    QGRID_SEL_.setDataSource(list_);
    TXT_Titolo_.setText(std::string(RTrim(textOf(list_->value("PD45_TITOLO"), global().regionalSettings()))));
    newRow_ = false;
  });
}

void FRMPD_SALVAPERS::Form_QueryUnload(int&, int) { cmd_annulla_ButtonClick(); }

Value FRMPD_SALVAPERS::publicProperty(std::string_view name) const {
  if (name == "Succeeded") return Value(succeeded_);
  return Value();
}

void FRMPD_SALVAPERS::Form_Unload(int&) {
  trapShowing("Form_Unload", [&] {
    QGRID_SEL_.setDataSource(nullptr);
    QGRID_SEL_.releaseContents();
  });
}

void FRMPD_SALVAPERS::Form_KeyDown(int32_t keyCode, int32_t shift) {
  trapShowing("Form_KeyDown", [&] {
    if (host::isCloseKey(keyCode, shift, host::CtrlX::WithOtherModifiers)) unloadForm();
  });
}

}  // namespace briskal::layouts
