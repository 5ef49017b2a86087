// The parameter form's filter rows: the description of a code typed in a row, and the search
// lists and document lookups a row opens, each reading the parent codes from the same side of
// their own rows.

#include "common/convert.h"
#include "common/routines.h"
#include "data/recordset.h"
#include "host/services.h"
#include "params/filter_fields.h"
#include "params/frmpd_briskal.h"

namespace briskal::params {
using host::CodeKind;

void FRMPD_BRISKAL::KVX_ADVQ_StartDecode(const std::string& caption, Side side, data::Bindable& description) {
  trap("KVX_ADVQ_StartDecode", [&] {
    const DecodeRule* rule = decodeRule(caption);
    if (!rule) return;
    const std::string code = KVX_ADVQ_.value(filterColumn(caption), side);
    const Value text =
        code.empty() ? Value() : decodeBy(rule->routine, routineValues(rule->values, code, side));
    description.setProperty("Text",
                            Value(isBlank(text) ? std::string() : toText(text, global().regionalSettings())));
  });
}

std::vector<Value> FRMPD_BRISKAL::routineValues(const std::vector<RoutineValue>& values,
                                                const std::string& typed, Side side) {
  std::vector<Value> out;
  out.reserve(values.size());
  for (const RoutineValue& v : values) {
    switch (v.source) {
      case RoutineValue::Source::Typed: out.emplace_back(typed); break;
      case RoutineValue::Source::Constant: out.push_back(v.constant); break;
      case RoutineValue::Source::Row: out.emplace_back(KVX_ADVQ_.value(std::string(v.column), side)); break;
    }
  }
  return out;
}

Value FRMPD_BRISKAL::decodeBy(DecodeRoutine routine, const std::vector<Value>& v) {
  switch (routine) {
    case DecodeRoutine::Deposito: return DecodificaDeposito(v[0]);
    case DecodeRoutine::Commessa: return DecodificaCommessa(v[0], v[1]);
    case DecodeRoutine::Progetto: return DecodificaProgetto(v[0], v[1]);
    case DecodeRoutine::SottoProgetto: return DecodificaSottoProgetto(v[0], v[1]);
    case DecodeRoutine::Nodo: return DecodificaNodo(v[0], v[1]);
    case DecodeRoutine::Reparto: return DecodificaReparto(v[0]);
    case DecodeRoutine::Famiglia: return DecodificaFamiglia(v[0]);
    case DecodeRoutine::SottoFamiglia: return DecodificaSottoFamiglia(v[0], v[1]);
    case DecodeRoutine::Gruppo: return DecodificaGruppo(v[0], v[1], v[2]);
    case DecodeRoutine::SottoGruppo: return DecodificaSottoGruppo(v[0], v[1], v[2], v[3]);
    case DecodeRoutine::GruppoStatistico: return DecodificaGruppoStatistico(v[0], v[1]);
    case DecodeRoutine::CliOrigine: return DecodificaCliOrigine(v[0], v[1]);
  }
  return {};
}

Value FRMPD_BRISKAL::decodeCode(const char* procedure, CodeKind kind, const std::vector<Value>& key) {
  Value description;
  trap(procedure, [&] {
    host::LookupDecode& decoder = required(pclsDecodeDb_);
    if (decoder.exists(kind, key)) description = decoder.description(kind, key);
  });
  return description;
}

// clang-format off
Value FRMPD_BRISKAL::DecodificaFamiglia(const Value& code) {
  return decodeCode("DecodificaFamiglia", CodeKind::Family, {code});
}
Value FRMPD_BRISKAL::DecodificaSottoFamiglia(const Value& code, const Value& family) {
  return decodeCode("DecodificaSottoFamiglia", CodeKind::SubFamily, {code, family});
}
Value FRMPD_BRISKAL::DecodificaGruppo(const Value& code, const Value& family, const Value& subFamily) {
  return decodeCode("DecodificaGruppo", CodeKind::Group, {code, family, subFamily});
}
Value FRMPD_BRISKAL::DecodificaSottoGruppo(const Value& code, const Value& family, const Value& subFamily,
                                           const Value& group) {
  return decodeCode("DecodificaSottoGruppo", CodeKind::SubGroup, {code, family, subFamily, group});
}
Value FRMPD_BRISKAL::DecodificaGruppoStatistico(const Value& grouping, const Value& code) {
  return decodeCode("DecodificaGruppoStatistico", CodeKind::StatisticalGroup, {grouping, code});
}
Value FRMPD_BRISKAL::DecodificaDeposito(const Value& code) {
  return decodeCode("DecodificaDeposito", CodeKind::Depot, {code});
}
Value FRMPD_BRISKAL::DecodificaReparto(const Value& code) {
  return decodeCode("DecodificaReparto", CodeKind::Department, {code});
}
Value FRMPD_BRISKAL::DecodificaProgetto(const Value& project, const Value& subProject) {
  return decodeCode("DecodificaProgetto", CodeKind::Project, {project, subProject});
}
Value FRMPD_BRISKAL::DecodificaSottoProgetto(const Value& project, const Value& subProject) {
  return decodeCode("DecodificaSottoProgetto", CodeKind::SubProject, {project, subProject});
}
Value FRMPD_BRISKAL::DecodificaCliOrigine(const Value& kind, const Value& code) {
  return decodeCode("DecodificaCliOrigine", CodeKind::Customer, {kind, code});
}
// clang-format on

Value FRMPD_BRISKAL::DecodificaCommessa(const Value& job, const Value& subJob) {
  if (isBlank(job) || isBlank(subJob)) return {};
  return decodeCode("DecodificaCommessa", CodeKind::Job, {job, subJob});
}

Value FRMPD_BRISKAL::DecodificaNodo(const Value& project, const Value& node) {
  Value description;
  if (isBlank(project) || isBlank(node)) return description;
  trap("DecodificaNodo", [&] {
    host::NodeDecode& nodes = required(pclsDecodeNodo_);
    if (nodes.exists(project, node)) description = nodes.description(project, node);
  });
  return description;
}

void FRMPD_BRISKAL::KVX_ADVQ_StartLookup(const std::string& caption, Side side, bool& handled) {
  trap("KVX_ADVQ_StartLookup", [&] {
    originLookup_ = false;
    if (const std::optional<DocumentSearch> search = documentSearch(caption)) {
      handled = true;
      lookupDocument(*search, caption, side);
      return;
    }
    const SearchRule* rule = searchRule(caption);
    if (!rule) return;
    const std::vector<Value> parents = routineValues(rule->parents, "", side);
    const std::optional<std::string> code = required(pclsDecodeDb_).search(rule->kind, parents, caption);
    handled = true;
    if (code) KVX_ADVQ_.setValue(filterColumn(caption), side, *code);
  });
}

void FRMPD_BRISKAL::lookupDocument(DocumentSearch search, const std::string& caption, Side side) {
  lookupHeader_ = search != DocumentSearch::Line;
  const std::string column = filterColumn(caption);
  chosenValue_ = KVX_ADVQ_.value(column, side);
  host::DocumentLookupRequest request;
  request.pickLine = !lookupHeader_;
  if (search == DocumentSearch::Origin) {
    originLookup_ = true;
    request.title = "Ricerca documenti origine";
  } else {
    request.documentType = toInt32(Value(CMB_TipoOrdini_.text()), global().regionalSettings());
    if (const std::optional<OrderTypeLookup> type = orderTypeLookup(request.documentType)) {
      request.title = translate(type->title, type->titleNumber);
      request.subKind = type->subKind;
    }
  }
  if (required(pclsLookupDoc_).show(request)) KVX_ADVQ_.setValue(column, side, chosenValue_);
}

void FRMPD_BRISKAL::PclsLookupDoc_OnSelection(bool&, data::Recordset& rsetRigaDoc,
                                              data::Recordset& RsetTestateDoc) {
  trap("PclsLookupDoc_OnSelection", [&] {
    const Value chosen =
        lookupHeader_ ? RsetTestateDoc.value("DO11_NUMDOC") : rsetRigaDoc.value("DO30_PROGRIGA");
    chosenValue_ = isBlank(chosen) ? std::string() : toText(chosen, global().regionalSettings());
  });
}

void FRMPD_BRISKAL::PclsLookupDoc_OnAddNodoDocumento(const Value& TipoDocumento, const Value&, const Value&,
                                                     bool& SelezionaNodo, bool& Cancel) {
  trap("PclsLookupDoc_OnAddNodoDocumento", [&] {
    if (!originLookup_) return;
    SelezionaNodo = false;
    const int32_t type = toInt32(NVL(TipoDocumento, Value(int32_t{0})), global().regionalSettings());
    if (type == 0) Cancel = true;
    if (originatingDocumentType(type)) SelezionaNodo = true;
  });
}

}  // namespace briskal::params
