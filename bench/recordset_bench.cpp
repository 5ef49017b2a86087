// Recordset benchmarks: a fabricated recordset of 1,000,000 rows x 10 fields built, filtered on one
// field, sorted on two, every match of a Find walked, and 100,000 rows batch-written to SQLite.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "data/connection.h"
#include "data/recordset.h"

namespace briskal::data {
namespace {

constexpr int kRows = 1'000'000;

// Resident memory in bytes, from /proc.
size_t residentBytes() {
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

void appendFields(Recordset& rs) {
  rs.appendField("SELEZIONE", FieldType::Char, 1, attr::kIsNullable);
  rs.appendField("DO30_CODART_MG66", FieldType::Char, 25, attr::kIsNullable);
  rs.appendField("DO30_DESCART", FieldType::VarWChar, 200, attr::kIsNullable);
  rs.appendField("DO11_NUMDOC", FieldType::Decimal, 7, attr::kIsNullable);
  rs.appendField("DO30_PROGRIGA", FieldType::Decimal, 6, attr::kIsNullable);
  rs.appendField("QTASUETICH", FieldType::Variant, 15, attr::kIsNullable);
  rs.appendField("DO30_UM1", FieldType::Char, 3, attr::kIsNullable);
  rs.appendField("D031_DATACONS", FieldType::Date, 0, attr::kIsNullable);
  rs.appendField("IDRIGAORDINE", FieldType::Integer, 0, attr::kIsNullable);
  rs.appendField("TIPORIGA", FieldType::Char, 1, attr::kIsNullable);
}

void fill(Recordset& rs, int rows) {
  const Value descriptions[] = {Value("Flangia in acciaio inox Ø 80"), Value("Perno filettato M12 × 40"),
                                Value("Staffa di supporto zincata"), Value("Boccola in bronzo sinterizzato")};
  const Value units[] = {Value("PZ"), Value("KG"), Value("MT")};
  const DateTime day = DateTime::fromParts(2026, 6, 1);
  for (int i = 0; i < rows; ++i) {
    rs.addNew();
    rs.setValue(size_t{0}, Value(i % 10 == 0 ? "0" : "1"));
    rs.setValue(1, Value("ART" + std::to_string(i % 5000)));
    rs.setValue(2, descriptions[i % 4]);
    rs.setValue(3, Value(Decimal(i / 20)));
    rs.setValue(4, Value(Decimal(i % 20 + 1)));
    rs.setValue(5, Value(Decimal::fromParts(static_cast<UInt128>(i % 9999 + 1), 3, false)));
    rs.setValue(6, units[i % 3]);
    rs.setValue(7, Value(day));
    rs.setValue(8, Value(int32_t{i / 20 + 1}));
    rs.setValue(9, Value(i % 20 == 0 ? "M" : "D"));
    rs.update();
  }
}

std::unique_ptr<Recordset> built(int rows) {
  auto rs = std::make_unique<Recordset>();
  rs->setCursorLocation(cursor::kUseClient);
  appendFields(*rs);
  rs->open();
  fill(*rs, rows);
  return rs;
}

void BM_Build(benchmark::State& state) {
  for (auto _ : state) {
    const size_t before = residentBytes();
    auto rs = built(static_cast<int>(state.range(0)));
    const size_t after = residentBytes();
    state.counters["bytes_per_value"] =
        static_cast<double>(after - before) / (static_cast<double>(state.range(0)) * 10.0);
    benchmark::DoNotOptimize(rs->recordCount());
  }
}
BENCHMARK(BM_Build)->Arg(kRows)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Filter(benchmark::State& state) {
  auto rs = built(kRows);
  for (auto _ : state) {
    rs->setFilter(" SELEZIONE = '1'");
    benchmark::DoNotOptimize(rs->recordCount());
    state.PauseTiming();
    rs->setFilter("");
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Filter)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Sort(benchmark::State& state) {
  auto rs = built(kRows);
  for (auto _ : state) {
    rs->setSort("DO30_CODART_MG66 , QTASUETICH DESC");
    benchmark::DoNotOptimize(rs->absolutePosition());
    state.PauseTiming();
    rs->setSort("");
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Sort)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FindEveryMatch(benchmark::State& state) {
  auto rs = built(kRows);
  for (auto _ : state) {
    int64_t found = 0;
    rs->moveFirst();
    for (rs->find("TIPORIGA = 'M'"); !rs->eof(); rs->find("TIPORIGA = 'M'", 1)) ++found;
    state.counters["matches"] = static_cast<double>(found);
  }
}
BENCHMARK(BM_FindEveryMatch)->Unit(benchmark::kMillisecond)->Iterations(3);

// Deleting every row from the front and reading positions after deletions stay linear.
void BM_DeleteFromTheFront(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto rs = built(static_cast<int>(state.range(0)));
    state.ResumeTiming();
    while (rs->recordCount() > 0) {
      rs->moveFirst();
      rs->deleteCurrent();
    }
  }
}
BENCHMARK(BM_DeleteFromTheFront)->Arg(100'000)->Arg(200'000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PositionsAfterDeletions(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto rs = built(static_cast<int>(state.range(0)));
    state.ResumeTiming();
    int64_t sum = 0;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
      if (rs->absolutePosition() % 3 == 0) rs->deleteCurrent();
      else sum += rs->absolutePosition();
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_PositionsAfterDeletions)
    ->Arg(100'000)
    ->Arg(200'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_BatchWriteSqlite(benchmark::State& state) {
  const std::string path = (std::filesystem::temp_directory_path() / "briskal_bench_batch.db").string();
  for (auto _ : state) {
    state.PauseTiming();
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
    Connection cn;
    cn.setConnectionString("Data Source=" + path);
    cn.open();
    cn.execute(
        "CREATE TABLE BENCH (ID INTEGER PRIMARY KEY, CODE CHAR(25), DESCR VARCHAR(200), QTY DECIMAL(14,3), "
        "DAY DATE, UM CHAR(3))");
    Recordset rs;
    rs.setCursorLocation(cursor::kUseClient);
    rs.open("SELECT * FROM BENCH", cn, cursor::kOpenDynamic, lock::kBatchOptimistic);
    for (int i = 0; i < state.range(0); ++i) {
      rs.addNew();
      rs.setValue(size_t{0}, Value(int32_t{i}));
      rs.setValue(1, Value("ART" + std::to_string(i)));
      rs.setValue(2, Value("Perno filettato M12 × 40"));
      rs.setValue(3, Value(Decimal::fromParts(static_cast<UInt128>(i), 3, false)));
      rs.setValue(4, Value(DateTime::fromParts(2026, 6, 1)));
      rs.setValue(5, Value("PZ"));
      rs.update();
    }
    state.ResumeTiming();
    rs.updateBatch();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BatchWriteSqlite)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace briskal::data

BENCHMARK_MAIN();
