#include "params/filter_lookups.h"

#include <array>

namespace briskal::params {
namespace {

using host::CodeKind;
using Source = RoutineValue::Source;

RoutineValue typed() { return {Source::Typed, {}, {}}; }
RoutineValue constant(int32_t value) { return {Source::Constant, Value(value), {}}; }
RoutineValue row(std::string_view column) { return {Source::Row, {}, column}; }

constexpr std::string_view kFamily = "MG66_FAM_MG53";
constexpr std::string_view kSubFamily = "MG66_SFAM_MG54";
constexpr std::string_view kGroup = "MG66_GRUPPO_MG55";
constexpr std::string_view kProject = "DO41_CODPROGETTO";
constexpr std::string_view kSubProject = "DO41_CODSPROGETTO";
constexpr std::string_view kJob = "DO41_CODCOMMESSA";

const std::vector<DecodeRule>& decodeRules() {
  static const std::vector<DecodeRule> rules = {
      {"Deposito", DecodeRoutine::Deposito, {typed()}},
      {"Commessa", DecodeRoutine::Commessa, {typed(), constant(0)}},
      {"Sottocommessa", DecodeRoutine::Commessa, {row(kJob), typed()}},
      {"Progetto", DecodeRoutine::Progetto, {typed(), row(kSubProject)}},
      {"Sottoprogetto", DecodeRoutine::SottoProgetto, {row(kProject), typed()}},
      {"Nodo", DecodeRoutine::Nodo, {row(kProject), typed()}},
      {"Reparto", DecodeRoutine::Reparto, {typed()}},
      {"Famiglia", DecodeRoutine::Famiglia, {typed()}},
      {"Sottofamiglia", DecodeRoutine::SottoFamiglia, {typed(), row(kFamily)}},
      {"Gruppo", DecodeRoutine::Gruppo, {typed(), row(kFamily), row(kSubFamily)}},
      {"Sottogruppo", DecodeRoutine::SottoGruppo, {typed(), row(kFamily), row(kSubFamily), row(kGroup)}},
      {"Gruppo statistico 1", DecodeRoutine::GruppoStatistico, {constant(1), typed()}},
      {"Gruppo statistico 2", DecodeRoutine::GruppoStatistico, {constant(2), typed()}},
      {"Gruppo statistico 3", DecodeRoutine::GruppoStatistico, {constant(3), typed()}},
      {"Gruppo statistico 4", DecodeRoutine::GruppoStatistico, {constant(4), typed()}},
      {"Cliente doc. origine", DecodeRoutine::CliOrigine, {constant(0), typed()}},
  };
  return rules;
}

const std::vector<SearchRule>& searchRules() {
  static const std::vector<SearchRule> rules = {
      {"Sezionale doc.", CodeKind::DocumentSection, {}},
      {"Reparto", CodeKind::Department, {}},
      {"Progetto", CodeKind::Project, {row(kSubProject)}},
      {"Sottoprogetto", CodeKind::SubProject, {row(kProject)}},
      {"Nodo", CodeKind::Node, {row(kProject)}},
      {"Commessa", CodeKind::Job, {}},
      {"Sottocommessa", CodeKind::SubJob, {row(kJob)}},
      {"Famiglia", CodeKind::Family, {}},
      {"Sottofamiglia", CodeKind::SubFamily, {row(kFamily)}},
      {"Gruppo", CodeKind::Group, {row(kFamily), row(kSubFamily)}},
      {"Sottogruppo", CodeKind::SubGroup, {row(kFamily), row(kSubFamily), row(kGroup)}},
      {"Gruppo statistico 1", CodeKind::StatisticalGroup, {constant(1)}},
      {"Gruppo statistico 2", CodeKind::StatisticalGroup, {constant(2)}},
      {"Gruppo statistico 3", CodeKind::StatisticalGroup, {constant(3)}},
      {"Gruppo statistico 4", CodeKind::StatisticalGroup, {constant(4)}},
      {"Cliente doc. origine", CodeKind::Customer, {}},
  };
  return rules;
}

// clang-format off
constexpr std::array kOrderTypes = {
  OrderTypeLookup{24, "Ricerca ordini lavorazione interna", 74279, 20},
  OrderTypeLookup{21, "Ricerca ordini conto lavoro attivo", 74596, 3},
  OrderTypeLookup{25, "Ricerca ordini conto lavoro passivo", 74280, 1},
};
// clang-format on

template <typename Rule>
const Rule* ruleOf(const std::vector<Rule>& rules, std::string_view caption) {
  for (const Rule& r : rules)
    if (r.caption == caption) return &r;
  return nullptr;
}

}  // namespace

const DecodeRule* decodeRule(std::string_view caption) { return ruleOf(decodeRules(), caption); }

const SearchRule* searchRule(std::string_view caption) { return ruleOf(searchRules(), caption); }

std::optional<DocumentSearch> documentSearch(std::string_view caption) {
  if (caption == "Numero doc.") return DocumentSearch::Header;
  if (caption == "Numero riga doc.") return DocumentSearch::Line;
  if (caption == "Num. doc. origine") return DocumentSearch::Origin;
  return std::nullopt;
}

std::optional<OrderTypeLookup> orderTypeLookup(int32_t orderType) {
  for (const OrderTypeLookup& t : kOrderTypes)
    if (t.orderType == orderType) return t;
  return std::nullopt;
}

bool originatingDocumentType(int32_t type) { return type == 21 || type == 28 || type == 15; }

}  // namespace briskal::params
