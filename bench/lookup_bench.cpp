// Filter-row lookups as an operator meets them, on a demo database of about 100,000 orders
// (320,000 order lines) with 10,000 more customers: a code decoded as it is typed (through the
// filter control, the parameter form and the host's decoding), search lists of 10,000 customers
// and of every work order opened, and a list narrowed by what is typed in its search box.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench_database.h"
#include "data/connection.h"
#include "hostkit/session/host_session.h"

namespace briskal {
namespace {

namespace fs = std::filesystem;
using Side = host::QueryFilterControl::Side;

constexpr int kExtraCustomers = 10'000;

const std::string& database() {
  static const std::string file = [] {
    const std::string path = bench::createBenchDatabase("briskal_bench_lookup.db", {320'000, 3});
    data::Connection cn;
    cn.setConnectionString("Data Source=" + path);
    cn.open();
    data::Transaction transaction(cn);
    auto registry = cn.prepare("INSERT INTO CG16_ANAGRAFICA (CG16_CODICE, CG16_RAGSOANAG) VALUES (?, ?)");
    auto customers = cn.prepare("INSERT INTO CG44_CLIFOR VALUES (1, 0, ?, ?)");
    for (int i = 0; i < kExtraCustomers; ++i) {
      const Value registryCode(int64_t{500'000 + i});
      const std::vector<Value> names{registryCode, Value("Cliente numero " + std::to_string(i))};
      registry->execute(names);
      const std::vector<Value> codes{Value(int64_t{20'000 + i}), registryCode};
      customers->execute(codes);
    }
    transaction.commit();
    return path;
  }();
  return file;
}

// The parameter form on screen, with every search list closed at once without a choice.
struct Filter {
  Filter() : session(options()) {
    session.showParameterForm();
    session.runtime().setSearchListDriver([this](const hostkit::SearchList& list) -> std::optional<size_t> {
      shown = list.rows.size();
      last = list;
      return std::nullopt;
    });
  }
  static hostkit::SessionOptions options() {
    hostkit::SessionOptions o;
    o.settings.connectionString = "Data Source=" + database();
    o.dataFolder = BRISKAL_DATA_FOLDER;
    o.component = BRISKAL_COMPONENT;
    o.logFile = (fs::temp_directory_path() / "briskal_bench.log").string();
    return o;
  }
  hostkit::HeadlessQueryFilter& control() {
    return *session.controls("FRMPD_BRISKAL").find<hostkit::HeadlessQueryFilter>("KVX_ADVQ");
  }
  hostkit::HostSession session;
  size_t shown = 0;
  hostkit::SearchList last;
};

void decodeAsTyped(benchmark::State& state, const std::string& caption, const std::string& code,
                   const std::string& expected) {
  Filter filter;
  filter.control().setRow("Famiglia", "VITE", "");
  std::string description;
  for (auto _ : state) description = filter.control().typeCode(caption, Side::From, code);
  if (description != expected) state.SkipWithError(("decoded as \"" + description + "\"").c_str());
}

void BM_DecodeSubFamilyAsTyped(benchmark::State& state) {
  decodeAsTyped(state, "Sottofamiglia", "INOX", "Acciaio inox AISI 304");
}
BENCHMARK(BM_DecodeSubFamilyAsTyped)->Unit(benchmark::kMicrosecond);

void BM_DecodeCustomerAsTyped(benchmark::State& state) {
  decodeAsTyped(state, "Cliente doc. origine", "29999", "Cliente numero 9999");
}
BENCHMARK(BM_DecodeCustomerAsTyped)->Unit(benchmark::kMicrosecond);

void BM_DecodeUnknownCodeAsTyped(benchmark::State& state) { decodeAsTyped(state, "Famiglia", "NOPE", ""); }
BENCHMARK(BM_DecodeUnknownCodeAsTyped)->Unit(benchmark::kMicrosecond);

void openList(benchmark::State& state, const std::string& caption) {
  Filter filter;
  for (auto _ : state) filter.control().requestLookup(caption, Side::From);
  state.counters["entries"] = static_cast<double>(filter.shown);
}

void BM_OpenCustomerList(benchmark::State& state) { openList(state, "Cliente doc. origine"); }
BENCHMARK(BM_OpenCustomerList)->Unit(benchmark::kMillisecond);

void BM_OpenWorkOrderList(benchmark::State& state) { openList(state, "Numero doc."); }
BENCHMARK(BM_OpenWorkOrderList)->Unit(benchmark::kMillisecond);

void BM_OpenSectionList(benchmark::State& state) { openList(state, "Sezionale doc."); }
BENCHMARK(BM_OpenSectionList)->Unit(benchmark::kMillisecond);

void BM_NarrowCustomerList(benchmark::State& state) {
  Filter filter;
  filter.control().requestLookup("Cliente doc. origine", Side::From);
  size_t shown = 0;
  for (auto _ : state) shown = hostkit::narrowedRows(filter.last, "numero 99").size();
  state.counters["shown"] = static_cast<double>(shown);
}
BENCHMARK(BM_NarrowCustomerList)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace briskal

BENCHMARK_MAIN();
