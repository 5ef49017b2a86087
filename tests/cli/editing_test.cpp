// Editing the selection from the command line: --cancel, --restore, --quantity, --toggle and
// --label-quantity on `rows` and `print`, applied in the order given through the selection form,
// for both label types.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "cli/briskal_binary.h"
#include "support/database_backends.h"
#include "support/files.h"
#include "support/process.h"

namespace briskal {
namespace {

using testing::runProcess;

// A label row of `rows` output by field name; the rows in the order printed.
using Row = std::map<std::string, std::string>;
using Rows = std::vector<Row>;

// The records of RFC 4180 text, each split into its fields.
std::vector<std::vector<std::string>> csvRecords(const std::string& text) {
  std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    std::string& field = records.back().back();
    if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
    else if (c == '"') quoted = !quoted;
    else if (!quoted && c == ',') records.back().emplace_back();
    else if (!quoted && c == '\n') records.emplace_back(1);
    else if (quoted || c != '\r') field += c;
  }
  if (records.back() == std::vector<std::string>(1)) records.pop_back();
  return records;
}

Rows parseRows(const std::string& csv) {
  const auto records = csvRecords(csv);
  Rows rows;
  for (size_t r = 1; r < records.size(); ++r) {
    Row row;
    for (size_t f = 0; f < records[0].size() && f < records[r].size(); ++f)
      row[records[0][f]] = records[r][f];
    rows.push_back(row);
  }
  return rows;
}

// A number as printed for people in Italian ("1.168,151"), or "" as it is.
std::string pointed(std::string number) {
  std::erase(number, '.');
  std::replace(number.begin(), number.end(), ',', '.');
  return number;
}

// Equal as numbers, or both empty.
bool sameNumber(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return a == b;
  return std::fabs(std::stod(a) - std::stod(b)) < 1e-9;
}

// A measure for `quantity` labels' worth of its per-unit copy, as the form rounds it.
std::string measure(double quantity, const std::string& perUnit, const std::string& was) {
  if (was.empty()) return "";
  return std::to_string(std::round(quantity * std::stod(perUnit) * 1e5) / 1e5);
}

class Editing : public ::testing::TestWithParam<std::string> {
 protected:
  static void SetUpTestSuite() {
    folder_ = testing::temporaryFolder();
    db_ = folder_ + "/demo.db";
    const auto made = runProcess(kBriskal, {"demo-db", "--out", db_, "--orders", "60", "--seed", "5"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
  }
  // `command` on the first orders, two labels an order line, for the label type of the test.
  static testing::ProcessResult run(const std::string& command, const std::vector<std::string>& edits) {
    std::vector<std::string> args = {"--db",
                                     "Data Source=" + db_,
                                     "--format",
                                     "csv",
                                     command,
                                     "--where",
                                     "Numero doc.=1..4",
                                     "--basis",
                                     "custom",
                                     "--labels",
                                     "2",
                                     "--label",
                                     GetParam()};
    args.insert(args.end(), edits.begin(), edits.end());
    return runProcess(kBriskal, args);
  }
  static Rows rows(const std::vector<std::string>& edits) {
    const auto r = run("rows", edits);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return parseRows(r.out);
  }
  // The first row of order 2 that `pick` takes.
  static const Row& ofOrder2(const Rows& rows, const std::function<bool(const Row&)>& pick) {
    for (const Row& row : rows)
      if (row.at("DO11_NUMDOC") == "2" && pick(row)) return row;
    throw std::runtime_error("the demo database has no such row of order 2");
  }
  static std::string folder_;
  static std::string db_;
};

std::string Editing::folder_;
std::string Editing::db_;

INSTANTIATE_TEST_SUITE_P(LabelTypes, Editing, ::testing::Values("standard", "custom"),
                         [](const auto& type) { return type.param; });

// Each case's rows are the unedited rows, each changed as `change` says.
TEST_P(Editing, EachOptionEditsTheRowsInTheOrderGiven) {
  const Rows before = rows({});
  ASSERT_GT(before.size(), 10u);
  const Row& master = ofOrder2(before, [](const Row& r) { return r.at("TIPORIGA") == "M"; });
  const Row& label =
      ofOrder2(before, [](const Row& r) { return r.at("TIPORIGA") == "D" && !r.at("MG68_PESON").empty(); });
  const std::string masterId = master.at("IDGRIGLIA"), labelId = label.at("IDGRIGLIA");
  const auto order = [](const Row& r) { return std::stoi(r.at("DO11_NUMDOC")); };
  const auto set = [](Row& r, const std::string& selection) {
    if (r.at("SELEZIONE") == "1") r["SELEZIONE"] = selection;
  };
  const auto quantity = [](Row& r, double q) {
    if (r.at("SELEZIONE") != "1") return;
    r["QTASUETICH"] = std::to_string(q);
    r["MG68_PESON"] = measure(q, r.at("MG68_PESONUNIT"), r.at("MG68_PESON"));
  };
  struct Case {
    std::string name;
    std::vector<std::string> edits;
    std::function<void(Row&)> change;
  };
  const Case cases[] = {
      {"cancel by number",
       {"--cancel", "Numero ordine = 2"},
       [&](Row& r) { set(r, order(r) == 2 ? "0" : "1"); }},
      {"cancel by text in any case",
       {"--cancel", "deposito=PF"},
       [&](Row& r) { set(r, r.at("DO30_CODDEP_MG58") == "PF" ? "0" : "1"); }},
      {"restore by parameter",
       {"--cancel", "Numero ordine >= 3", "--restore", "NUMERO ORDINE <= 3"},
       [&](Row& r) { set(r, order(r) == 4 ? "0" : "1"); }},
      {"restore all", {"--cancel", "Numero ordine <> 1", "--restore", "all"}, [](Row&) {}},
      {"restore all, then cancel",
       {"--restore", "all", "--cancel", "Numero ordine = 2"},
       [&](Row& r) { set(r, order(r) == 2 ? "0" : "1"); }},
      {"quantity by parameter",
       {"--quantity", "5:Numero ordine > 1", "--quantity", "4:Numero ordine >= 3"},
       [&](Row& r) {
         if (order(r) > 1) quantity(r, order(r) >= 3 ? 4 : 5);
       }},
      {"quantity of all selected rows",
       {"--cancel", "Numero ordine = 1", "--quantity", "3:all"},
       [&](Row& r) {
         set(r, order(r) == 1 ? "0" : "1");
         quantity(r, 3);
       }},
      {"toggle a master row: its order line",
       {"--toggle", masterId},
       [&](Row& r) { set(r, r.at("IDRIGAORDINE") == master.at("IDRIGAORDINE") ? "0" : "1"); }},
      {"toggle a label row: it alone",
       {"--toggle", labelId},
       [&](Row& r) { set(r, r.at("IDGRIGLIA") == labelId ? "0" : "1"); }},
      {"toggle twice", {"--toggle", labelId, "--toggle", labelId}, [](Row&) {}},
      {"label quantity, then a batch one",
       {"--label-quantity", labelId + "=2", "--quantity", "5:Numero ordine = 2"},
       [&](Row& r) {
         if (r.at("IDGRIGLIA") == labelId) quantity(r, 2);
         if (order(r) == 2) quantity(r, 5);
       }},
      {"batch quantity, then a label one",
       {"--quantity", "5:Numero ordine = 2", "--label-quantity", labelId + "=2"},
       [&](Row& r) {
         if (order(r) == 2) quantity(r, 5);
         if (r.at("IDGRIGLIA") == labelId) quantity(r, 2);
       }},
  };
  for (const Case& c : cases) {
    const Rows after = rows(c.edits);
    ASSERT_EQ(after.size(), before.size()) << c.name;
    for (size_t i = 0; i < before.size(); ++i) {
      Row expected = before[i];
      c.change(expected);
      const std::string where = c.name + ", row " + expected.at("IDGRIGLIA");
      EXPECT_EQ(after[i].at("IDGRIGLIA"), expected.at("IDGRIGLIA")) << where;
      EXPECT_EQ(after[i].at("SELEZIONE"), expected.at("SELEZIONE")) << where;
      EXPECT_PRED2(sameNumber, after[i].at("QTASUETICH"), expected.at("QTASUETICH")) << where;
      EXPECT_PRED2(sameNumber, after[i].at("MG68_PESON"), expected.at("MG68_PESON")) << where;
    }
  }
}

// A value the form refuses, or a parameter, operator or row it does not have, stops the run after
// the edits before it: exit 1, nothing on standard output, no file printed.
TEST_P(Editing, ARefusedEditStopsTheRunAndPrintsNothing) {
  struct Case {
    std::vector<std::string> edit;
    std::string said;
  };
  const Case cases[] = {
      {{"--cancel", "Numero ordine = "}, "[33812] Inserire un valore numerico\n"},
      {{"--restore", "Num. riga d'ordine = 1x"}, "the selection form takes '1x' as '1'"},
      {{"--quantity", "0:Numero ordine = 1"}, "'0' is not a number from 0.001 to 99999999999.999"},
      {{"--quantity", "abc:all"}, "'abc' is not a number from 0.001 to 99999999999.999"},
      {{"--label-quantity", "1=1,5"}, "'1,5' is not a number from 0.001"},
      {{"--cancel", "Magazzino = PF"}, "unknown parameter 'Magazzino'; the parameters are: Numero ordine, "},
      {{"--cancel", "Deposito => PF"}, "unknown operator '=>'"},
      {{"--quantity", "5"}, "write 'Q:PARAMETER OP VALUE' or 'Q:all'"},
      {{"--toggle", "999999"}, "there is no row with IDGRIGLIA 999999"},
      {{"--label-quantity", "x=5"}, "unknown row ID 'x'"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> edits = {"--cancel", "Numero ordine = 2"};
    edits.insert(edits.end(), c.edit.begin(), c.edit.end());
    const auto r = run("rows", edits);
    EXPECT_EQ(r.exitCode, 1) << c.said << "\n" << r.err;
    EXPECT_EQ(r.out, "") << c.said;
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("briskal: " + c.edit[0] + " '" + c.edit[1] + "': "), std::string::npos) << r.err;
  }
  const std::string out = folder_ + "/refused-" + GetParam() + ".pdf";
  const auto r = run("print", {"--cancel", "Numero ordine = ", "--out", out});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_FALSE(std::filesystem::exists(out));
}

// "No rows match" is the form's message; the edits after it still apply.
TEST_P(Editing, NoRowsMatchingIsToldAndTheRunGoesOn) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--quantity", "5:Numero ordine = 999999", "--cancel", "Numero ordine <> 2"},
       "[64772] Non esistono righe corrispondenti ai parametri selezionati\n"},
      {{"--cancel", "Numero ordine >= 0", "--quantity", "5:all", "--restore", "Numero ordine = 2"},
       "[40134] Non esistono più righe da elaborare\n"},
  };
  for (const auto& [edits, said] : cases) {
    const auto r = run("rows", edits);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, said);
    const Rows after = parseRows(r.out);
    ASSERT_FALSE(after.empty()) << said;
    for (const Row& row : after)
      EXPECT_EQ(row.at("SELEZIONE"), row.at("DO11_NUMDOC") == "2" ? "1" : "0") << said << row.at("IDGRIGLIA");
  }
}

// The labels printed are the rows `rows` shows selected after the same edits, each with its
// quantity and, where the label shows it, its net weight.
TEST_P(Editing, PrintPrintsTheSelectedRowsWithTheirEditedQuantities) {
  const Rows before = rows({});
  const Row& line = ofOrder2(before, [](const Row& r) { return r.at("TIPORIGA") == "M"; });
  const Row& other = ofOrder2(before, [&](const Row& r) {
    return r.at("TIPORIGA") == "M" && r.at("IDRIGAORDINE") != line.at("IDRIGAORDINE");
  });
  const Row& label = ofOrder2(before, [&](const Row& r) {
    return r.at("IDRIGAORDINE") == line.at("IDRIGAORDINE") && r.at("TIPORIGA") == "D";
  });
  const std::vector<std::string> edits = {"--cancel",         "Numero ordine <> 2",
                                          "--toggle",         other.at("IDGRIGLIA"),
                                          "--label-quantity", label.at("IDGRIGLIA") + "=7"};
  struct Label {
    std::string order, quantity, weight;
  };
  std::vector<Label> expected;
  for (const Row& row : rows(edits))
    if (row.at("SELEZIONE") == "1")
      expected.push_back({row.at("DO11_NUMDOC"), row.at("QTASUETICH"), row.at("MG68_PESON")});
  // The toggled order line is left out.
  ASSERT_FALSE(expected.empty());
  EXPECT_LT(expected.size(),
            static_cast<size_t>(std::count_if(before.begin(), before.end(),
                                              [](const Row& r) { return r.at("DO11_NUMDOC") == "2"; })));

  const bool standard = GetParam() == "standard";
  const std::string out = folder_ + "/edited-" + GetParam() + (standard ? ".txt" : ".epl");
  const auto r = run("print", [&] {
    std::vector<std::string> args = edits;
    args.insert(args.end(), {"--out", out});
    return args;
  }());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string printed = testing::readFile(out);
  // Standard labels are texts ending in a form feed; customisable ones EPL2 labels ending in P1.
  const std::regex each(standard ? "([^\f]*)\f\n" : "\nN\n([^]*?)\nP1");
  const std::regex orderOf(standard ? " Numero ordine: (\\d+)\r\n" : "N,\"Ordine\"\n[^\n]*N,\"([^\"]*)\"");
  const std::regex quantityOf(standard ? " Quantità per etichetta: ([^\r]*)\r\n"
                                       : "N,\"Quantit[^\"]*\"\n[^\n]*N,\"([^\"]*)\"");
  const std::regex weightOf(" Peso netto: \\S* *([^\r]*)\r\n");
  std::vector<Label> labels;
  for (auto it = std::sregex_iterator(printed.begin(), printed.end(), each); it != std::sregex_iterator();
       ++it) {
    const std::string text = (*it)[1];
    std::smatch order, quantity, weight;
    EXPECT_TRUE(std::regex_search(text, order, orderOf)) << text;
    EXPECT_TRUE(std::regex_search(text, quantity, quantityOf)) << text;
    if (standard) {
      EXPECT_TRUE(std::regex_search(text, weight, weightOf)) << text;
    }
    labels.push_back({order[1], pointed(quantity[1]), standard ? pointed(weight[1]) : ""});
  }
  ASSERT_EQ(labels.size(), expected.size()) << printed.substr(0, 2000);
  bool edited = false;
  for (size_t i = 0; i < labels.size(); ++i) {
    EXPECT_EQ(labels[i].order, "2") << i;
    EXPECT_EQ(labels[i].order, expected[i].order) << i;
    EXPECT_PRED2(sameNumber, labels[i].quantity, expected[i].quantity) << i;
    if (standard) {
      EXPECT_PRED2(sameNumber, labels[i].weight, expected[i].weight) << i;
    }
    edited = edited || sameNumber(labels[i].quantity, "7");
  }
  EXPECT_TRUE(edited) << "no label carries the quantity typed";
}

}  // namespace
}  // namespace briskal
