// Label expansion benchmarks: the order-line query of a 10,000-line demo database opened and
// expanded into label rows, 1,000,000 label rows expanded, with the peak memory they take, and a
// 100,000-line demo database built and queried.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <fstream>

#include "bench_database.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "labelrows/label_expansion.h"
#include "labelrows/label_rows.h"
#include "params/order_line_query.h"

namespace briskal::labelrows {
namespace {

const RegionalSettings kIt = RegionalSettings::italian();

size_t residentBytes() {
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

double peakBytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

size_t expand(data::Recordset& lines, QuantityBasis basis) {
  auto rows = newLabelRows();
  LabelExpansion expansion(
      lines, *rows, kIt, [](const char*, const std::function<void()>& body) { body(); }, [] {});
  ExpansionOptions options;
  options.basis = basis;
  options.labelsPerLine = "10";
  expansion.expandAll(options);
  return static_cast<size_t>(rows->recordCount());
}

const std::string& demoDatabase() {
  static const std::string path = bench::createBenchDatabase("briskal_bench_10k.db", {10'000, 1});
  return path;
}

// The order-line query as the component composes it, its filter widened to every company and
// order type: the demo database's 10,000 lines.
void openEveryOrderLine(data::Connection& cn, data::Recordset& lines) {
  params::OrderLineQueryOptions query;
  query.company = "1";
  query.orderType = "24";
  query.residualOnly = 1;
  query.settled = 1;
  query.filterText = "DO11_TIPODOC IN (24, 25, 21) OR 1 = 1";
  lines.setCursorLocation(data::cursor::kUseClient);
  lines.open(params::composeOrderLineQuery(query), cn, data::cursor::kOpenDynamic, data::lock::kOptimistic);
}

data::Connection& demoConnection() {
  static data::Connection cn;
  if (!cn.isOpen()) {
    cn.setConnectionString("Data Source=" + demoDatabase());
    cn.open();
  }
  return cn;
}

// Ten labels per order line: about 100,000 label rows, the query included.
void BM_QueryAndExpand10kLines(benchmark::State& state) {
  for (auto _ : state) {
    data::Recordset lines;
    openEveryOrderLine(demoConnection(), lines);
    const size_t labels = expand(lines, QuantityBasis::Custom);
    state.counters["order_lines"] = static_cast<double>(lines.recordCount());
    state.counters["label_rows"] = static_cast<double>(labels);
  }
}
BENCHMARK(BM_QueryAndExpand10kLines)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Expand1MLabelRows(benchmark::State& state) {
  data::Recordset lines;
  openEveryOrderLine(demoConnection(), lines);
  const auto perLine = std::to_string((1'000'000 + lines.recordCount() - 1) / lines.recordCount());
  for (auto _ : state) {
    const size_t before = residentBytes();
    auto rows = newLabelRows();
    LabelExpansion expansion(
        lines, *rows, kIt, [](const char*, const std::function<void()>& body) { body(); }, [] {});
    ExpansionOptions options;
    options.basis = QuantityBasis::Custom;
    options.labelsPerLine = perLine;
    expansion.expandAll(options);
    state.counters["label_rows"] = static_cast<double>(rows->recordCount());
    state.counters["bytes_per_row"] =
        static_cast<double>(residentBytes() - before) / static_cast<double>(rows->recordCount());
    state.counters["peak_MB"] = peakBytes() / 1e6;
  }
}
BENCHMARK(BM_Expand1MLabelRows)->Unit(benchmark::kMillisecond)->Iterations(1);

// The demo database the command line makes: 100,000 order lines built, then the order-line query
// of company 1's work orders run on them.
void BM_DemoDatabase100kLines(benchmark::State& state) {
  for (auto _ : state) {
    const std::string file = bench::createBenchDatabase("briskal_bench_100k.db", {100'000, 1});
    data::Connection cn;
    cn.setConnectionString("Data Source=" + file);
    cn.open();
    params::OrderLineQueryOptions query;
    query.company = "1";
    query.orderType = "24";
    query.residualOnly = 1;
    data::Recordset lines;
    lines.setCursorLocation(data::cursor::kUseClient);
    lines.open(params::composeOrderLineQuery(query), cn, data::cursor::kOpenDynamic, data::lock::kOptimistic);
    state.counters["order_lines"] = static_cast<double>(lines.recordCount());
  }
}
BENCHMARK(BM_DemoDatabase100kLines)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace briskal::labelrows

BENCHMARK_MAIN();
