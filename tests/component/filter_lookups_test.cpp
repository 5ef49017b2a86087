// Codes typed in the parameter form's filter rows are described, and the rows' search lists and
// document lookups hand back what the user picks, on real SQLite and PostgreSQL databases.

#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "common/convert.h"
#include "component/component_fixture.h"
#include "data/connection.h"
#include "hostkit/demo/demo_database.h"
#include "support/database_backends.h"

namespace briskal::testing {
namespace {

using hostkit::SearchList;
using Side = host::QueryFilterControl::Side;

// Codes of company 1 with descriptions the tests know, beside the demo's own; the families with a
// quote or a wildcard in their code must each find exactly themselves.
constexpr const char* kCodes[] = {
    "INSERT INTO MG53_FAMIGLIE VALUES (1, 'TFAM', 'Famiglia di prova')",
    "INSERT INTO MG53_FAMIGLIE VALUES (1, 'Q''T', 'Con apice')",
    "INSERT INTO MG53_FAMIGLIE VALUES (1, 'Q%', 'Con percento')",
    "INSERT INTO MG53_FAMIGLIE VALUES (1, 'Q_', 'Con trattino basso')",
    "INSERT INTO MG53_FAMIGLIE VALUES (1, 'QX', 'Senza jolly')",
    "INSERT INTO MG54_SOTTOFAMIGLIE VALUES (1, 'TFAM', 'TSF', 'Sottofamiglia di prova')",
    "INSERT INTO MG54_SOTTOFAMIGLIE VALUES (1, 'QX', 'TSF', 'Altra sottofamiglia')",
    "INSERT INTO MG55_GRUPPI VALUES (1, 'TFAM', 'TSF', 'TGR', 'Gruppo di prova')",
    "INSERT INTO MG56_SOTTOGRUPPI VALUES (1, 'TFAM', 'TSF', 'TGR', 'TSG', 'Sottogruppo di prova')",
    "INSERT INTO MG74_GRUSTAT1 VALUES (1, 'TS1', 'Statistico uno')",
    "INSERT INTO MG75_GRUSTAT2 VALUES (1, 'TS2', 'Statistico due')",
    "INSERT INTO MG76_GRUSTAT3 VALUES (1, 'TS3', 'Statistico tre')",
    "INSERT INTO MG77_GRUSTAT4 VALUES (1, 'TS4', 'Statistico quattro')",
    "INSERT INTO PD07_REPARTI VALUES (1, 'TREP', 'Reparto di prova')",
    "INSERT INTO MG58_DEPOSITI VALUES (1, 'T1', 'Deposito di prova')",
    "INSERT INTO PD68_PROGETTI VALUES ('T-PRJ-0', 1, 'TPRJ', 0, 'Progetto di prova')",
    "INSERT INTO PD68_PROGETTI VALUES ('T-PRJ-1', 1, 'TPRJ', 1, 'Lotto uno di prova')",
    "INSERT INTO PD0C_NODI VALUES ('T-NOD-1', 1, 'TPRJ', 'TN1', 'Nodo di prova')",
    "INSERT INTO PD69_COMMESSE VALUES (1, 'TJOB', 0, 'Commessa di prova')",
    "INSERT INTO PD69_COMMESSE VALUES (1, 'TJOB', 7, 'Sottocommessa di prova')",
    "INSERT INTO CG16_ANAGRAFICA (CG16_CODICE, CG16_RAGSOANAG) VALUES (99999, 'Cliente di prova')",
    "INSERT INTO CG16_ANAGRAFICA (CG16_CODICE, CG16_RAGSOANAG) VALUES (99998, 'Fornitore di prova')",
    "INSERT INTO CG44_CLIFOR VALUES (1, 0, 9999, 99999)",
    "INSERT INTO CG44_CLIFOR VALUES (1, 1, 9998, 99998)",
    // Documents of a kind that may originate an order (28) and of no kind at all (0).
    "INSERT INTO DO11_TESTATE (DO11_GUID, DO11_DITTA_CG18, DO11_NUMREG_CO99, DO11_TIPODOC, DO11_SEZDOC,"
    " DO11_NUMDOC, DO11_DATADOC, DO11_DATAREG) VALUES ('T-DOC-28', 1, 'T28', 28, 'TT', 9028, '2026-05-01',"
    " '2026-05-01')",
    "INSERT INTO DO11_TESTATE (DO11_GUID, DO11_DITTA_CG18, DO11_NUMREG_CO99, DO11_TIPODOC, DO11_SEZDOC,"
    " DO11_NUMDOC, DO11_DATADOC, DO11_DATAREG) VALUES ('T-DOC-00', 1, 'T00', 0, 'TT', 9000, '2026-05-01',"
    " '2026-05-01')",
};

// One demo database a backend, with the codes above; "" when the backend is not at hand.
const std::string& databaseOn(const std::string& backend) {
  static std::map<std::string, std::string> made;
  if (const auto it = made.find(backend); it != made.end()) return it->second;
  std::string target = freshDatabase(backend);
  if (!target.empty()) {
    data::Connection cn;
    cn.setConnectionString(target);
    cn.open();
    hostkit::createDemoDatabase(cn, {300, 11});
    for (const char* statement : kCodes) cn.execute(statement);
  }
  return made.emplace(backend, std::move(target)).first->second;
}

class FilterLookups : public ComponentTest, public ::testing::WithParamInterface<std::string> {
 protected:
  void SetUp() override {
    ComponentTest::SetUp();
    target_ = databaseOn(GetParam());
    if (target_.empty()) GTEST_SKIP() << GetParam() << " is not available on this machine";
    session_ = std::make_unique<hostkit::HostSession>(sessionOptions(target_));
    session().showParameterForm();
    session().runtime().setSearchListDriver([this](const SearchList& list) -> std::optional<size_t> {
      lists_.push_back(list);
      if (picks_.empty()) return std::nullopt;
      const std::string pick = picks_.front();
      picks_.pop_front();
      for (size_t r = 0; r < list.rows.size(); ++r)
        if (list.rows[r].front() == pick) return r;
      ADD_FAILURE() << "no " << pick << " in " << list.title;
      return std::nullopt;
    });
  }
  hostkit::HeadlessQueryFilter& filter() { return control<hostkit::HeadlessQueryFilter>("KVX_ADVQ"); }
  std::string typed(const std::string& caption, const std::string& code, Side side = Side::From) {
    return filter().typeCode(caption, side, code);
  }
  // Rows of a statement on the test database, counted.
  size_t count(const std::string& sql) {
    data::Connection cn;
    cn.setConnectionString(target_);
    cn.open();
    return static_cast<size_t>(toInt64(cn.execute(sql).rows->cells.front(), RegionalSettings::italian()));
  }
  std::vector<std::string> codesOf(const SearchList& list) {
    std::vector<std::string> codes;
    for (const auto& row : list.rows) codes.push_back(row.front());
    return codes;
  }

  std::string target_;
  std::vector<SearchList> lists_;
  std::deque<std::string> picks_;
};

TEST_P(FilterLookups, EveryDecodedCaptionReadsItsParentsFromTheSameSide) {
  filter().setRow("Famiglia", "TFAM", "QX");
  filter().setRow("Sottofamiglia", "TSF", "TSF");
  filter().setRow("Gruppo", "TGR", "");
  filter().setRow("Progetto", "TPRJ", "");
  filter().setRow("Commessa", "TJOB", "");
  struct Case {
    const char* caption;
    const char* code;
    Side side;
    const char* description;
  };
  const Case cases[] = {
      {"Famiglia", "TFAM", Side::From, "Famiglia di prova"},
      {"Sottofamiglia", "TSF", Side::From, "Sottofamiglia di prova"},
      {"Sottofamiglia", "TSF", Side::To, "Altra sottofamiglia"},  // family QX on that side
      {"Gruppo", "TGR", Side::From, "Gruppo di prova"},
      {"Gruppo", "TGR", Side::To, ""},  // no group TGR under QX
      {"Sottogruppo", "TSG", Side::From, "Sottogruppo di prova"},
      {"Sottogruppo", "TSG", Side::To, ""},  // no such group under QX
      {"Gruppo statistico 1", "TS1", Side::From, "Statistico uno"},
      {"Gruppo statistico 2", "TS2", Side::From, "Statistico due"},
      {"Gruppo statistico 3", "TS3", Side::From, "Statistico tre"},
      {"Gruppo statistico 4", "TS4", Side::From, "Statistico quattro"},
      {"Gruppo statistico 1", "TS2", Side::From, ""},  // a code of another grouping
      {"Reparto", "TREP", Side::From, "Reparto di prova"},
      {"Commessa", "TJOB", Side::From, "Commessa di prova"},
      {"Sottocommessa", "7", Side::From, "Sottocommessa di prova"},
      {"Sottocommessa", "7", Side::To, ""},  // no job on that side: not asked
      {"Nodo", "TN1", Side::From, "Nodo di prova"},
      {"Nodo", "TN1", Side::To, ""},
      {"Sottoprogetto", "1", Side::From, "Lotto uno di prova"},
      {"Progetto", "TPRJ", Side::To, "Progetto di prova"},  // no sub-project: the project itself
      {"Cliente doc. origine", "9999", Side::From, "Cliente di prova"},
      {"Cliente doc. origine", "9998", Side::From, ""},  // a supplier
      {"Famiglia", "NOPE", Side::From, ""},
      {"Sezionale doc.", "01", Side::From, ""},  // not decoded
  };
  for (const Case& c : cases)
    EXPECT_EQ(typed(c.caption, c.code, c.side), c.description) << c.caption << " " << c.code;
  // With sub-project 1 on its side, the project describes that sub-project.
  filter().setRow("Sottoprogetto", "1", "");
  EXPECT_EQ(typed("Progetto", "TPRJ"), "Lotto uno di prova");
  // A sub-family typed while the family's from-value is empty is unknown.
  filter().setRow("Famiglia", "", "TFAM");
  EXPECT_EQ(typed("Sottofamiglia", "TSF"), "");
  EXPECT_TRUE(session().loggedErrors().empty()) << session().loggedErrors().front();
}

TEST_P(FilterLookups, CodesWithQuotesOrWildcardsFindExactlyThemselves) {
  EXPECT_EQ(typed("Famiglia", "Q'T"), "Con apice");
  EXPECT_EQ(typed("Famiglia", "Q%"), "Con percento");
  EXPECT_EQ(typed("Famiglia", "Q_"), "Con trattino basso");
  EXPECT_EQ(typed("Famiglia", "Q"), "");
  EXPECT_EQ(typed("Famiglia", "%"), "");
  filter().setRow("Famiglia", "Q%", "");
  EXPECT_EQ(typed("Sottofamiglia", "TSF"), "");
  ASSERT_TRUE(filter().requestLookup("Sottofamiglia", Side::From).handled);
  EXPECT_TRUE(lists_.back().rows.empty());
  EXPECT_TRUE(session().loggedErrors().empty());
}

TEST_P(FilterLookups, SearchListsAreRestrictedByTheParentsOfTheSideAndHandTheCodeBack) {
  struct Case {
    const char* caption;
    std::vector<std::pair<const char*, const char*>> rows;  // parent rows, from-values
    const char* pick;
    const char* description;  // of the picked code, as the row then shows
    size_t listed;            // entries expected, 0 for "many"
  };
  const Case cases[] = {
      {"Famiglia", {}, "TFAM", "Famiglia di prova", 0},
      {"Sottofamiglia", {{"Famiglia", "TFAM"}}, "TSF", "Sottofamiglia di prova", 1},
      {"Gruppo", {{"Famiglia", "TFAM"}, {"Sottofamiglia", "TSF"}}, "TGR", "Gruppo di prova", 1},
      {"Sottogruppo",
       {{"Famiglia", "TFAM"}, {"Sottofamiglia", "TSF"}, {"Gruppo", "TGR"}},
       "TSG",
       "Sottogruppo di prova",
       1},
      {"Gruppo statistico 3", {}, "TS3", "Statistico tre", 0},
      {"Reparto", {}, "TREP", "Reparto di prova", 0},
      {"Progetto", {}, "TPRJ", "Progetto di prova", 0},
      {"Sottoprogetto", {{"Progetto", "TPRJ"}}, "1", "Lotto uno di prova", 1},
      {"Nodo", {{"Progetto", "TPRJ"}}, "TN1", "Nodo di prova", 1},
      {"Commessa", {}, "TJOB", "Commessa di prova", 0},
      {"Sottocommessa", {{"Commessa", "TJOB"}}, "7", "Sottocommessa di prova", 1},
      {"Cliente doc. origine", {}, "9999", "Cliente di prova", 0},
      {"Sezionale doc.", {}, "TT", "", 0},
  };
  for (const Case& c : cases) {
    filter().clearRows();
    for (const auto& [caption, value] : c.rows) filter().setRow(caption, value, "");
    picks_ = {c.pick};
    const hostkit::LookupOutcome outcome = filter().requestLookup(c.caption, Side::From);
    EXPECT_TRUE(outcome.handled) << c.caption;
    EXPECT_EQ(outcome.value, c.pick) << c.caption;
    EXPECT_EQ(outcome.description, c.description) << c.caption;
    EXPECT_EQ(lists_.back().title, c.caption);
    if (c.listed) EXPECT_EQ(lists_.back().rows.size(), c.listed) << c.caption;
    else EXPECT_GT(lists_.back().rows.size(), 1u) << c.caption;
  }
  // A blank parent restricts nothing: the sub-family TSF is listed under both its families.
  filter().clearRows();
  filter().requestLookup("Sottofamiglia", Side::From);
  const std::vector<std::string> codes = codesOf(lists_.back());
  EXPECT_EQ(std::count(codes.begin(), codes.end(), "TSF"), 2);
  // The parent of the other side is not used; a list closed without a choice changes nothing.
  filter().setRow("Famiglia", "", "TFAM");
  filter().setRow("Sottofamiglia", "ABC", "");
  const hostkit::LookupOutcome cancelled = filter().requestLookup("Sottofamiglia", Side::From);
  EXPECT_TRUE(cancelled.handled);
  EXPECT_GT(lists_.back().rows.size(), 2u);
  EXPECT_EQ(cancelled.value, "ABC");
  filter().requestLookup("Sottofamiglia", Side::To);
  EXPECT_EQ(codesOf(lists_.back()), std::vector<std::string>{"TSF"});
  // Narrowing: a code's beginning or a description's inside, in any case, wildcards as themselves.
  filter().requestLookup("Famiglia", Side::To);
  const SearchList& families = lists_.back();
  const auto narrowed = [&](const char* typed) {
    std::vector<std::string> shown;
    for (size_t r : hostkit::narrowedRows(families, typed)) shown.push_back(families.rows[r].front());
    return shown;
  };
  EXPECT_EQ(narrowed("q_"), std::vector<std::string>{"Q_"});
  EXPECT_EQ(narrowed("Q%"), std::vector<std::string>{"Q%"});
  EXPECT_EQ(narrowed("q'"), std::vector<std::string>{"Q'T"});
  EXPECT_EQ(narrowed("JOLLY"), std::vector<std::string>{"QX"});
  EXPECT_EQ(narrowed(" ").size(), families.rows.size());
  EXPECT_TRUE(session().loggedErrors().empty());
}

TEST_P(FilterLookups, TheOrderTypeChoosesTheDocumentLookupsTitleAndKind) {
  auto& orderType = control<hostkit::HeadlessCombo>("CMB_TipoOrdini");
  struct Case {
    int type;
    const char* title;
  };
  for (const Case c :
       {Case{24, "Ricerca ordini lavorazione interna"}, Case{21, "Ricerca ordini conto lavoro attivo"},
        Case{25, "Ricerca ordini conto lavoro passivo"}}) {
    orderType.choose(c.type);
    filter().requestLookup("Numero doc.", Side::From);
    EXPECT_EQ(lists_.back().title, c.title);
    EXPECT_FALSE(lists_.back().rows.empty()) << c.type;
    EXPECT_EQ(lists_.back().rows.size(),
              count("SELECT COUNT(*) FROM DO11_TESTATE WHERE DO11_DITTA_CG18 = 1 AND DO11_TIPODOC = " +
                    std::to_string(c.type)))
        << c.type;
  }
}

TEST_P(FilterLookups, ADocumentOrOneOfItsLinesIsHandedBackAndACancelKeepsTheValue) {
  filter().setRow("Numero doc.", "5", "");
  hostkit::LookupOutcome outcome = filter().requestLookup("Numero doc.", Side::From);
  EXPECT_TRUE(outcome.handled);
  EXPECT_EQ(outcome.value, "5");

  const std::string document = lists_.back().rows.at(2).front();
  picks_ = {document};
  outcome = filter().requestLookup("Numero doc.", Side::To);
  EXPECT_EQ(outcome.value, document);
  EXPECT_EQ(filter().value("DO11_NUMDOC", Side::From), "5");

  // A line: the document, then its line; cancelling the lines changes nothing either.
  picks_ = {document};
  outcome = filter().requestLookup("Numero riga doc.", Side::From);
  EXPECT_EQ(outcome.value, "");
  ASSERT_GE(lists_.back().rows.size(), 1u);
  EXPECT_EQ(lists_.back().headings.front(), "Riga");
  const std::string line = lists_.back().rows.back().front();
  picks_ = {document, line};
  outcome = filter().requestLookup("Numero riga doc.", Side::From);
  EXPECT_EQ(outcome.value, line);
  EXPECT_EQ(filter().rows().back(), (hostkit::FilterRow{"Numero riga doc.", line, ""}));
  EXPECT_TRUE(session().loggedErrors().empty());
}

TEST_P(FilterLookups, TheOriginatingDocumentLookupOffersOnlyTheKindsThatOriginateOrders) {
  filter().requestLookup("Num. doc. origine", Side::From);
  EXPECT_EQ(lists_.back().title, "Ricerca documenti origine");
  EXPECT_EQ(
      lists_.back().rows.size(),
      count("SELECT COUNT(*) FROM DO11_TESTATE WHERE DO11_DITTA_CG18 = 1 AND DO11_TIPODOC IN (15, 21, 28)"));
  picks_ = {"9028"};
  EXPECT_EQ(filter().requestLookup("Num. doc. origine", Side::To).value, "9028");
  EXPECT_EQ(filter().filterText(), "(TORDCLI.DO11_NUMDOC <= 9028)");
  // The next lookup of an order number is the order type's alone again.
  filter().requestLookup("Numero doc.", Side::From);
  EXPECT_EQ(lists_.back().rows.size(),
            count("SELECT COUNT(*) FROM DO11_TESTATE WHERE DO11_DITTA_CG18 = 1 AND DO11_TIPODOC = 24"));
}

TEST_P(FilterLookups, TheHostsDecodingAnswersEveryKindWithoutTheForm) {
  std::unique_ptr<host::LookupDecode> codes = session().runtime().createLookupDecode();
  std::unique_ptr<host::NodeDecode> nodes = session().runtime().createNodeDecode();
  codes->setHost(&session().component());
  nodes->setHost(&session().component());
  EXPECT_TRUE(codes->exists(host::CodeKind::Depot, {Value("T1")}));
  EXPECT_EQ(codes->description(host::CodeKind::Depot, {Value("T1  ")}), Value("Deposito di prova"));
  EXPECT_FALSE(codes->exists(host::CodeKind::Depot, {Value("T")}));
  EXPECT_EQ(codes->description(host::CodeKind::Depot, {Value()}), Value());
  EXPECT_EQ(codes->description(host::CodeKind::SubProject, {Value("TPRJ"), Value(int32_t{1})}),
            Value("Lotto uno di prova"));
  EXPECT_FALSE(codes->exists(host::CodeKind::SubProject, {Value("TPRJ"), Value("uno")}));
  EXPECT_FALSE(codes->exists(host::CodeKind::StatisticalGroup, {Value(int32_t{5}), Value("TS1")}));
  EXPECT_FALSE(codes->exists(host::CodeKind::Family, {Value("TFAM"), Value("extra")}));
  EXPECT_EQ(nodes->description(Value("TPRJ"), Value("TN1")), Value("Nodo di prova"));
  EXPECT_FALSE(nodes->exists(Value("TPRJ"), Value("TN2")));
  // Without a host there is no database to ask.
  codes->setHost(nullptr);
  EXPECT_THROW(codes->exists(host::CodeKind::Family, {Value("TFAM")}), Error);
}

INSTANTIATE_TEST_SUITE_P(Databases, FilterLookups, ::testing::Values("sqlite", "postgresql"),
                         backendTestName);

}  // namespace
}  // namespace briskal::testing
