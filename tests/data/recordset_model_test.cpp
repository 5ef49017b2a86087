// A random walk of filters, sorts, finds, moves, edits, additions, deletions, clones and batch
// updates over a table recordset and a clone of it, checked after every step against a plain
// model: rows with a status, and for each cursor a list of rows and a position. The database is
// compared with the model after every batch update.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "common/convert.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "support/database_backends.h"
#include "test_helpers.h"

namespace briskal::data {
namespace {

enum class Status { Clean, New, Modified, Deleted, Gone };

struct ModelRow {
  int64_t id;
  int32_t key;
  Status status = Status::Clean;
  std::optional<int32_t> original;  // the key before the first pending change
};

enum class SortBy { Rows, KeyUp, KeyDown };

// One cursor over the shared rows, as the recordset keeps it: the rows it lists (deleted ones stay
// listed, unseen), where it stands, its filter and its order.
struct ModelCursor {
  std::vector<size_t> rows;
  int64_t pos = 0;
  std::optional<int32_t> below;  // filter "K < below"
  SortBy sort = SortBy::Rows;
  size_t seenRows = 0;
  int seenGeneration = 0;
};

class Model {
 public:
  std::vector<ModelRow> rows;
  std::map<int64_t, int32_t> database;
  int generation = 0;

  bool visible(size_t r) const { return rows[r].status != Status::Deleted && rows[r].status != Status::Gone; }

  int64_t visibleCount(const ModelCursor& c) const {
    return std::count_if(c.rows.begin(), c.rows.end(), [&](size_t r) { return visible(r); });
  }
  bool onRow(const ModelCursor& c) const { return c.pos >= 0 && c.pos < static_cast<int64_t>(c.rows.size()); }
  bool bof(const ModelCursor& c) const { return c.pos < 0 || (visibleCount(c) == 0 && !onRow(c)); }
  bool eof(const ModelCursor& c) const {
    return c.pos >= static_cast<int64_t>(c.rows.size()) || (visibleCount(c) == 0 && !onRow(c));
  }
  std::optional<int64_t> currentId(const ModelCursor& c) const {
    if (!onRow(c) || !visible(c.rows[static_cast<size_t>(c.pos)])) return std::nullopt;
    return rows[c.rows[static_cast<size_t>(c.pos)]].id;
  }

  // By key, rows of equal keys in the order they were read or added.
  void order(ModelCursor& c) const {
    std::sort(c.rows.begin(), c.rows.end(), [&](size_t a, size_t b) {
      if (c.sort == SortBy::Rows || rows[a].key == rows[b].key) return a < b;
      return c.sort == SortBy::KeyUp ? rows[a].key < rows[b].key : rows[a].key > rows[b].key;
    });
  }

  void rebuild(ModelCursor& c) const {
    c.rows.clear();
    for (size_t r = 0; r < rows.size(); ++r)
      if (visible(r) && (!c.below || rows[r].key < *c.below)) c.rows.push_back(r);
    if (c.sort != SortBy::Rows) order(c);
    c.seenRows = rows.size();
    c.seenGeneration = generation;
  }

  // What a cursor learns of the other's changes before its next step.
  void sync(ModelCursor& c) const {
    if (c.seenGeneration != generation) {
      const std::optional<size_t> row =
          onRow(c) ? std::optional(c.rows[static_cast<size_t>(c.pos)]) : std::nullopt;
      rebuild(c);
      const auto at = row ? std::find(c.rows.begin(), c.rows.end(), *row) : c.rows.end();
      c.pos = at - c.rows.begin();
      return;
    }
    if (!c.below)
      for (size_t r = c.seenRows; r < rows.size(); ++r)
        if (visible(r)) c.rows.push_back(r);
    c.seenRows = rows.size();
  }

  // The first row shown at or after `from`, or the end.
  void land(ModelCursor& c, int64_t from) const {
    const auto size = static_cast<int64_t>(c.rows.size());
    c.pos = from;
    while (c.pos < size && !visible(c.rows[static_cast<size_t>(c.pos)])) ++c.pos;
  }
};

class RecordsetModel : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    target_ = briskal::testing::freshDatabase(GetParam());
    if (target_.empty()) GTEST_SKIP() << GetParam() << " is not available on this machine";
    cn_.setConnectionString(target_);
    cn_.open();
    cn_.execute("CREATE TABLE T_MODEL (ID INTEGER NOT NULL PRIMARY KEY, K INTEGER NOT NULL)");
    for (int64_t id = 1; id <= 12; ++id) {
      const int32_t key = static_cast<int32_t>(next(10));
      cn_.execute("INSERT INTO T_MODEL VALUES (" + std::to_string(id) + ", " + std::to_string(key) + ")");
      model_.rows.push_back({id, key, Status::Clean, std::nullopt});
      model_.database[id] = key;
    }
    nextId_ = 13;
  }

  uint64_t next(uint64_t bound) { return std::uniform_int_distribution<uint64_t>(0, bound - 1)(engine_); }

  std::map<int64_t, int32_t> databaseRows() {
    Connection other;
    other.setConnectionString(target_);
    other.open();
    Recordset rs;
    rs.open("SELECT ID, K FROM T_MODEL ORDER BY ID", other);
    std::map<int64_t, int32_t> found;
    const RegionalSettings english = RegionalSettings::english();
    for (; !rs.eof(); rs.moveNext())
      found[toInt64(rs.value("ID"), english)] = toInt32(rs.value("K"), english);
    return found;
  }

  void expectSame(Recordset& rs, ModelCursor& c, const std::string& step) {
    model_.sync(c);
    SCOPED_TRACE(step + " (model at " + std::to_string(c.pos) + " of " + std::to_string(c.rows.size()) + ")");
    ASSERT_EQ(rs.recordCount(), model_.visibleCount(c));
    ASSERT_EQ(rs.bof(), model_.bof(c));
    ASSERT_EQ(rs.eof(), model_.eof(c));
    const std::optional<int64_t> id = model_.currentId(c);
    if (id) ASSERT_EQ(toInt64(rs.value("ID"), RegionalSettings::english()), *id);
    else ASSERT_EQ(briskal::testing::errorNumber([&] { rs.value("ID"); }), err::kNoCurrentRecord);
  }

  std::mt19937_64 engine_{20261206};
  std::string target_;
  Connection cn_;
  Model model_;
  int64_t nextId_ = 0;
};

TEST_P(RecordsetModel, ARandomWalkMatchesTheModelAtEveryStep) {
  const int steps = GetParam() == "sqlite" ? 20000 : 800;
  auto first = std::make_unique<Recordset>();
  first->setCursorLocation(cursor::kUseClient);
  first->open("SELECT ID, K FROM T_MODEL ORDER BY ID", cn_, cursor::kOpenDynamic, lock::kBatchOptimistic);
  std::unique_ptr<Recordset> second = first->clone();
  ModelCursor cursors[2];
  for (ModelCursor& c : cursors) model_.rebuild(c), model_.land(c, 0);
  Model& m = model_;

  for (int step = 0; step < steps; ++step) {
    const size_t which = next(2);
    Recordset& rs = which == 0 ? *first : *second;
    ModelCursor& c = cursors[which];
    m.sync(c);
    std::string name;
    switch (next(13)) {
      case 0: {
        const bool none = next(4) == 0;
        const auto below = static_cast<int32_t>(next(11));
        name = none ? "filter off" : "filter K < " + std::to_string(below);
        rs.setFilter(none ? std::string() : "K < " + std::to_string(below));
        c.below = none ? std::nullopt : std::optional(below);
        m.rebuild(c);
        m.land(c, 0);
        break;
      }
      case 1: {
        const auto sort = static_cast<SortBy>(next(3));
        name = "sort " + std::to_string(static_cast<int>(sort));
        rs.setSort(sort == SortBy::Rows ? "" : sort == SortBy::KeyUp ? "K" : "K DESC");
        c.sort = sort;
        m.order(c);
        m.land(c, 0);
        break;
      }
      case 2:
        name = "move first";
        if (m.visibleCount(c) == 0) {
          ASSERT_EQ(briskal::testing::errorNumber([&] { rs.moveFirst(); }), 3021);
          c.pos = static_cast<int64_t>(c.rows.size());
        } else {
          rs.moveFirst();
          m.land(c, 0);
        }
        break;
      case 3:
        name = "move last";
        if (m.visibleCount(c) == 0) break;
        rs.moveLast();
        c.pos = static_cast<int64_t>(c.rows.size()) - 1;
        while (!m.visible(c.rows[static_cast<size_t>(c.pos)])) --c.pos;
        break;
      case 4:
      case 5:
        name = "move next";
        if (m.eof(c)) break;
        rs.moveNext();
        m.land(c, c.pos + 1);
        break;
      case 6:
        name = "move previous";
        if (m.bof(c)) break;
        rs.movePrevious();
        c.pos = std::min(c.pos, static_cast<int64_t>(c.rows.size())) - 1;
        while (c.pos >= 0 && !m.visible(c.rows[static_cast<size_t>(c.pos)])) --c.pos;
        break;
      case 7: {
        const auto key = static_cast<int32_t>(next(10));
        const int64_t skip = static_cast<int64_t>(next(2));
        name = "find K = " + std::to_string(key) + " skipping " + std::to_string(skip);
        rs.find("K = " + std::to_string(key), skip);
        const auto size = static_cast<int64_t>(c.rows.size());
        int64_t p = std::max<int64_t>(c.pos, 0) + skip;
        while (p < size && !(m.visible(c.rows[static_cast<size_t>(p)]) &&
                             m.rows[c.rows[static_cast<size_t>(p)]].key == key))
          ++p;
        c.pos = std::min(p, size);
        break;
      }
      case 8: {
        const std::optional<int64_t> id = m.currentId(c);
        if (!id) break;
        const auto key = static_cast<int32_t>(next(10));
        name = "set K = " + std::to_string(key) + " on " + std::to_string(*id);
        rs.setValue("K", Value(key));
        rs.update();
        ModelRow& row = m.rows[c.rows[static_cast<size_t>(c.pos)]];
        if (row.status != Status::New) {
          if (!row.original) row.original = row.key;
          row.status = Status::Modified;
        }
        row.key = key;
        break;
      }
      case 9: {
        const int64_t id = nextId_++;
        const auto key = static_cast<int32_t>(next(10));
        name = "add " + std::to_string(id);
        rs.addNew();
        rs.setValue("ID", Value(id));
        rs.setValue("K", Value(key));
        rs.update();
        m.rows.push_back({id, key, Status::New, std::nullopt});
        if (c.below) c.rows.push_back(m.rows.size() - 1), c.seenRows = m.rows.size();
        else m.sync(c);
        c.pos = static_cast<int64_t>(c.rows.size()) - 1;
        break;
      }
      case 10: {
        const std::optional<int64_t> id = m.currentId(c);
        if (!id) break;
        name = "delete " + std::to_string(*id);
        rs.deleteCurrent();
        ModelRow& row = m.rows[c.rows[static_cast<size_t>(c.pos)]];
        if (row.status == Status::New) {
          row.status = Status::Gone;
        } else {
          if (!row.original) row.original = row.key;
          row.status = Status::Deleted;
        }
        break;
      }
      case 11: {
        name = "update batch";
        rs.updateBatch();
        std::vector<size_t> written = c.below ? c.rows : std::vector<size_t>();
        if (!c.below)
          for (size_t r = 0; r < m.rows.size(); ++r) written.push_back(r);
        for (size_t r : written) {
          ModelRow& row = m.rows[r];
          if (row.status == Status::Deleted) m.database.erase(row.id), row.status = Status::Gone;
          else if (row.status == Status::New || row.status == Status::Modified) m.database[row.id] = row.key;
          else continue;
          if (row.status != Status::Gone) row.status = Status::Clean;
          row.original.reset();
        }
        ASSERT_EQ(databaseRows(), m.database) << "after step " << step;
        break;
      }
      case 12: {
        if (next(2) == 0) {
          name = "cancel batch";
          rs.cancelBatch();
          bool restored = false;
          for (ModelRow& row : m.rows) {
            if (row.status == Status::New) row.status = Status::Gone;
            if (row.status != Status::Modified && row.status != Status::Deleted) continue;
            restored = restored || row.status == Status::Deleted;
            row.key = *row.original;
            row.original.reset();
            row.status = Status::Clean;
          }
          if (restored) ++m.generation;
          m.sync(c);
          m.land(c, 0);
        } else {
          name = "clone";
          second = first->clone();
          cursors[1] = ModelCursor();
          m.rebuild(cursors[1]);
          m.land(cursors[1], 0);
        }
        break;
      }
    }
    name = std::to_string(step) + ": " + name + " through cursor " + std::to_string(which);
    expectSame(*first, cursors[0], name + ", seen by cursor 0");
    expectSame(*second, cursors[1], name + ", seen by cursor 1");
    if (HasFatalFailure()) return;  // the first difference is the one to read
  }
}

INSTANTIATE_TEST_SUITE_P(Databases, RecordsetModel, ::testing::Values("sqlite", "postgresql"),
                         testing::backendTestName);

}  // namespace
}  // namespace briskal::data
