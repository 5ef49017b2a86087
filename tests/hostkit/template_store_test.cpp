// Templates kept in the company database: versions numbered once each, the active one printed,
// two workstations saving at once both keeping their work, on every database.

#include "hostkit/store/template_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "data/connection.h"
#include "hostkit/store/host_tables.h"
#include "support/database_backends.h"

namespace briskal::hostkit {
namespace {

class TemplateStores : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    database_ = briskal::testing::freshDatabase(GetParam());
    if (database_.empty()) GTEST_SKIP() << "no " << GetParam() << " database can be had on this machine";
    for (data::Connection* c : {&first_, &second_}) {
      c->setConnectionString(database_);
      c->open();
    }
  }
  std::string database_;
  data::Connection first_;  // two workstations
  data::Connection second_;
};

TEST_P(TemplateStores, EachSaveIsANewVersionAndTheActiveOneIsRead) {
  TemplateStore store(first_, Value(int32_t{1}));
  EXPECT_TRUE(store.list().empty());
  EXPECT_EQ(store.content("pallet"), std::nullopt);
  EXPECT_FALSE(hostTablesPresent(first_)) << "reading made the host's tables";
  EXPECT_EQ(
      store.save("pallet", "page kind=label width=100 height=150\n", "anna", "first draft", std::nullopt), 1);
  EXPECT_EQ(store.save("pallet", "page kind=label width=100 height=148\n", "bruno", "shorter", 1), 2);
  EXPECT_EQ(store.content("pallet").value().text, "page kind=label width=100 height=148\n");
  EXPECT_EQ(store.content("pallet", 1).value().text, "page kind=label width=100 height=150\n");
  EXPECT_EQ(store.content("pallet").value().version, 2) << "the active version is the newest saved";
  const std::vector<TemplateVersion> history = store.history("pallet");
  ASSERT_EQ(history.size(), 2U);
  EXPECT_EQ(history[0].version, 2);
  EXPECT_TRUE(history[0].active);
  EXPECT_FALSE(history[1].active);
  EXPECT_EQ(history[1].author, "anna");
  EXPECT_EQ(history[1].comment, "first draft");
  EXPECT_EQ(history[1].savedUtc.size(), 20U) << history[1].savedUtc;
  store.activate("pallet", 1);
  EXPECT_EQ(store.content("pallet").value().text, "page kind=label width=100 height=150\n");
  ASSERT_EQ(store.list().size(), 1U);
  EXPECT_EQ(store.list()[0].version, 1);
  EXPECT_THROW(store.activate("pallet", 3), Error);
  // Another company of the same database sees none of it.
  EXPECT_TRUE(TemplateStore(second_, Value(int32_t{2})).list().empty());
}

TEST_P(TemplateStores, TwoWorkstationsSavingFromTheSameVersionBothKeepTheirWork) {
  TemplateStore here(first_, Value(int32_t{1}));
  TemplateStore there(second_, Value(int32_t{1}));
  ASSERT_EQ(here.save("box", "v1", "anna", "", std::nullopt), 1);
  ASSERT_EQ(here.save("box", "anna's v2", "anna", "", 1), 2);
  try {
    there.save("box", "bruno's v2", "bruno", "", 1);
    FAIL() << "a save over a newer version went through";
  } catch (const TemplateChanged& changed) {
    EXPECT_EQ(changed.newest().version, 2);
    EXPECT_EQ(changed.newest().author, "anna");
  }
  EXPECT_EQ(here.content("box").value().text, "anna's v2");
  EXPECT_EQ(there.save("box", "bruno's v2", "bruno", "kept beside anna's", 2), 3);
  EXPECT_EQ(here.history("box").size(), 3U);
  // A save from a version of a name nobody saved is refused, and stores nothing.
  EXPECT_THROW(there.save("ghost", "v2", "bruno", "", 1), Error);
  EXPECT_TRUE(here.history("ghost").empty());
}

TEST_P(TemplateStores, SavesAtTheSameMomentGetADistinctNumberEach) {
  constexpr int kSaves = 15;
  // Each workstation's own results, read once both have ended.
  std::vector<int32_t> numbers[2];
  std::string failures[2];
  std::vector<std::thread> workstations;
  data::Connection* connections[2] = {&first_, &second_};
  for (int w = 0; w < 2; ++w) {
    workstations.emplace_back([&, w] {
      TemplateStore store(*connections[w], Value(int32_t{1}));
      try {
        for (int i = 0; i < kSaves; ++i)
          numbers[w].push_back(store.save("shared", "from " + std::to_string(w), "ws", "", std::nullopt));
      } catch (const Error& e) {
        failures[w] = e.description();
      }
    });
  }
  for (std::thread& t : workstations) t.join();
  ASSERT_EQ(failures[0] + failures[1], "");
  std::vector<int32_t> all = numbers[0];
  all.insert(all.end(), numbers[1].begin(), numbers[1].end());
  std::sort(all.begin(), all.end());
  ASSERT_EQ(all.size(), 2U * kSaves);
  for (int i = 0; i < 2 * kSaves; ++i) EXPECT_EQ(all[static_cast<size_t>(i)], i + 1);
}

TEST_P(TemplateStores, ANewerSchemaThanTheProgramKnowsIsRefused) {
  ensureHostTables(first_);
  first_.execute("UPDATE BRISKAL_SCHEMA SET VERSION = " + std::to_string(kHostSchemaVersion + 1));
  try {
    TemplateStore(second_, Value(int32_t{1}))
        .save("any", "page kind=label width=10 height=10\n", "ws", "", std::nullopt);
    FAIL() << "a newer schema was written";
  } catch (const Error& e) {
    EXPECT_NE(e.description().find("newer than this program"), std::string::npos) << e.description();
  }
}

INSTANTIATE_TEST_SUITE_P(Databases, TemplateStores, ::testing::Values("sqlite", "postgresql"),
                         briskal::testing::backendTestName);

}  // namespace
}  // namespace briskal::hostkit
