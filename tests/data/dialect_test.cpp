#include "data/dialect.h"

#include <gtest/gtest.h>

namespace briskal::data {
namespace {

TEST(DialectAdaptation, DropsTableHintsAndRewritesIsnullOutsideLiterals) {
  const std::string sql =
      "SELECT * FROM VDO11_BRISKAL LEFT OUTER JOIN VFILTROSTATI AS VS_DO11 WITH (NOLOCK) ON A = B "
      "WHERE ISNULL(DO31_FLGNONPIUEV,0) = 0 AND X = 'WITH (NOLOCK) ISNULL(' AND isnull (Y, 1) = 1";
  EXPECT_EQ(adaptSql(sql, Dialect::SQLite),
            "SELECT * FROM VDO11_BRISKAL LEFT OUTER JOIN VFILTROSTATI AS VS_DO11  ON A = B "
            "WHERE COALESCE(DO31_FLGNONPIUEV,0) = 0 AND X = 'WITH (NOLOCK) ISNULL(' AND COALESCE (Y, 1) = 1");
  EXPECT_EQ(adaptSql(sql, Dialect::SqlServer), sql);
}

TEST(DialectAdaptation, LeavesLookalikesAlone) {
  EXPECT_EQ(adaptSql("SELECT ISNULL_FLAG, MY_ISNULL(1), \"ISNULL(\" FROM T", Dialect::PostgreSQL),
            "SELECT ISNULL_FLAG, MY_ISNULL(1), \"ISNULL(\" FROM T");
  EXPECT_EQ(adaptSql("WITH C AS (SELECT 1) SELECT * FROM C", Dialect::SQLite),
            "WITH C AS (SELECT 1) SELECT * FROM C");
  EXPECT_EQ(adaptSql("SELECT 'it''s ISNULL(' -- ISNULL(\nFROM T WITH(NOLOCK, ROWLOCK)", Dialect::SQLite),
            "SELECT 'it''s ISNULL(' -- ISNULL(\nFROM T ");
  EXPECT_EQ(adaptSql("SELECT [Ship Address] FROM T", Dialect::PostgreSQL), "SELECT \"Ship Address\" FROM T");
}

}  // namespace
}  // namespace briskal::data
