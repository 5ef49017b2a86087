// What a connection string names: a file's path is the embedded SQLite file; key=value pairs with
// a connection key are a connection string, to ODBC with Driver= or DSN=, else to Data Source=.

#include "data/connection_string.h"

#include <gtest/gtest.h>

#include <ostream>

#include "common/error.h"

namespace briskal::data {
namespace {

using Kind = ConnectionTarget::Kind;

struct Case {
  const char* name;
  std::string text;
  Kind kind;
  std::string target;
};

void PrintTo(const Case& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ConnectionStrings : public ::testing::TestWithParam<Case> {};

TEST_P(ConnectionStrings, NameTheirTarget) {
  const Case& c = GetParam();
  const ConnectionTarget target = parseConnectionString(c.text, "", "");
  EXPECT_EQ(target.kind, c.kind) << c.text;
  EXPECT_EQ(target.text, c.target) << c.text;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Paths, ConnectionStrings, ::testing::Values(
    Case{"RelativeFile", "briskal.db", Kind::Sqlite, "briskal.db"},
    Case{"AbsoluteFileWithBlanks", "/srv/label data/briskal.db", Kind::Sqlite, "/srv/label data/briskal.db"},
    Case{"EqualsInAFolder", "/srv/a=b/briskal.db", Kind::Sqlite, "/srv/a=b/briskal.db"},
    Case{"EqualsAndSemicolonInAName", "/srv/a=b;c.db", Kind::Sqlite, "/srv/a=b;c.db"},
    Case{"ConnectionKeyAfterAPathPart", "/srv/x;Driver=y.db", Kind::Sqlite, "/srv/x;Driver=y.db"},
    Case{"KeyBehindAFolder", "./DSN=labels.db", Kind::Sqlite, "./DSN=labels.db"},
    Case{"PairsOfUnknownKeys", "size=2;copy=1.db", Kind::Sqlite, "size=2;copy=1.db"},
    Case{"SemicolonOnly", "labels;old.db", Kind::Sqlite, "labels;old.db"}),
    [](const auto& test) { return std::string(test.param.name); });

INSTANTIATE_TEST_SUITE_P(ConnectionStrings, ConnectionStrings, ::testing::Values(
    Case{"DataSource", "Data Source=briskal.db", Kind::Sqlite, "briskal.db"},
    Case{"DataSourceAnyCaseAndBlanks", " data source = /srv/b.db ;", Kind::Sqlite, "/srv/b.db"},
    Case{"DataSourceInBraces", "Data Source={/srv/a;b.db}", Kind::Sqlite, "/srv/a;b.db"},
    Case{"Driver", "Driver={PostgreSQL Unicode};Server=localhost;Port=5432",
         Kind::Odbc, "Driver={PostgreSQL Unicode};Server=localhost;Port=5432"},
    Case{"Dsn", "DSN=labels", Kind::Odbc, "DSN=labels"},
    Case{"DsnAfterOtherKeys", "UID=ops;dsn=labels", Kind::Odbc, "UID=ops;dsn=labels"},
    Case{"DriverWithSemicolonInBraces", "Driver={SQLite3};Database={/srv/a;b.db}",
         Kind::Odbc, "Driver={SQLite3};Database={/srv/a;b.db}"}),
    [](const auto& test) { return std::string(test.param.name); });
// clang-format on

TEST(ConnectionStringUser, GoesToOdbcOnly) {
  EXPECT_EQ(parseConnectionString("DSN=labels;", "ops", "secret").text, "DSN=labels;UID=ops;PWD=secret");
  EXPECT_EQ(parseConnectionString("labels.db", "ops", "secret").text, "labels.db");
}

// Pairs of connection keys that name no database, or nothing at all, are refused saying what to
// write.
TEST(ConnectionStringErrors, NamingNoDatabaseIsRefused) {
  for (const char* text : {"", "  ", "Server=localhost;Database=labels", "UID=ops", "Provider=Something"}) {
    try {
      parseConnectionString(text, "", "");
      ADD_FAILURE() << "accepted \"" << text << "\"";
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), err::kInvalidConnection) << text;
      EXPECT_NE(e.description().find("Data Source=FILE"), std::string::npos) << e.description();
    }
  }
}

}  // namespace
}  // namespace briskal::data
