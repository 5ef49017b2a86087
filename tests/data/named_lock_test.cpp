// Turns taken by name on one database: what one holder has, nobody else gets until it lets go.

#include "data/named_lock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "data/connection.h"
#include "support/database_backends.h"

namespace briskal::data {
namespace {

using std::chrono::milliseconds;

class NamedLocks : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    const std::string database = briskal::testing::freshDatabase(GetParam());
    if (database.empty()) GTEST_SKIP() << "no " << GetParam() << " database can be had on this machine";
    for (Connection* c : {&first_, &second_}) {
      c->setConnectionString(database);
      c->open();
    }
  }
  std::unique_ptr<NamedLock> tryTake(Connection& c, const std::string& name) {
    return NamedLock::take(c, name, milliseconds(0), [] { FAIL() << "a try once never waits"; });
  }
  // Two connections of this process stand for two runs: the lock must tell them apart as it
  // tells processes apart.
  Connection first_;
  Connection second_;
};

TEST_P(NamedLocks, AHeldNameIsRefusedUntilItsHolderLetsGo) {
  std::unique_ptr<NamedLock> held = tryTake(first_, "rows of ws1/admin");
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(tryTake(second_, "rows of ws1/admin"), nullptr);
  EXPECT_EQ(tryTake(first_, "rows of ws1/admin"), nullptr) << "a second take on the same connection";
  EXPECT_NE(tryTake(second_, "rows of ws2/admin"), nullptr) << "other names are free";
  held.reset();
  EXPECT_NE(tryTake(second_, "rows of ws1/admin"), nullptr);
}

TEST_P(NamedLocks, AWaiterIsToldOnceAndGivesUpAtItsBound) {
  const std::unique_ptr<NamedLock> held = tryTake(first_, "rows");
  ASSERT_NE(held, nullptr);
  int told = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(NamedLock::take(second_, "rows", milliseconds(350), [&] { ++told; }), nullptr);
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(350));
  EXPECT_EQ(told, 1);
}

INSTANTIATE_TEST_SUITE_P(Databases, NamedLocks, ::testing::Values("sqlite", "postgresql"),
                         briskal::testing::backendTestName);

}  // namespace
}  // namespace briskal::data
