#pragma once
// What the parameter form does when a code is typed in a filter row or a search list is asked
// for, field by field: which decoding routine describes the code and with which values, which
// search list opens and which parent codes restrict it, and which document lookup a document
// number opens.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"
#include "host/services.h"

namespace briskal::params {

enum class DecodeRoutine {
  Deposito,
  Commessa,
  Progetto,
  SottoProgetto,
  Nodo,
  Reparto,
  Famiglia,
  SottoFamiglia,
  Gruppo,
  SottoGruppo,
  GruppoStatistico,
  CliOrigine,
};

// One value a routine is given: the typed code, a constant, or the value another filter row
// holds on the side being decoded (by the column it is written as).
struct RoutineValue {
  enum class Source { Typed, Constant, Row } source;
  Value constant;
  std::string_view column;
};

struct DecodeRule {
  std::string_view caption;
  DecodeRoutine routine;
  std::vector<RoutineValue> values;
};

// The rule of `caption`; nullptr for a field that is not decoded.
const DecodeRule* decodeRule(std::string_view caption);

struct SearchRule {
  std::string_view caption;
  host::CodeKind kind;
  std::vector<RoutineValue> parents;  // no Typed values
};

// The search list of `caption`; nullptr for a field without one.
const SearchRule* searchRule(std::string_view caption);

enum class DocumentSearch { Header, Line, Origin };

// The document lookup a field opens, if any.
std::optional<DocumentSearch> documentSearch(std::string_view caption);

// The title (its default text and message number) and the sub-kind of the document lookup for an
// order type; nullopt for a type that has none.
struct OrderTypeLookup {
  int32_t orderType;
  std::string_view title;
  int32_t titleNumber;
  int32_t subKind;
};
std::optional<OrderTypeLookup> orderTypeLookup(int32_t orderType);

// The kinds of document that may originate an order: a lookup of originating documents selects
// exactly these.
bool originatingDocumentType(int32_t type);

}  // namespace briskal::params
