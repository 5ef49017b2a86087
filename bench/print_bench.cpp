// Whole print runs through the component, as the command line drives them: order lines queried,
// expanded into about 11,000 labels (two per line), then printed as standard text labels to PDF,
// customisable labels with a barcode to PDF, to EPL2 and to ZPL; the print support filled, and the
// label printer's streams written from it, for 100,000 labels. Each runs at two sizes, to show
// that the time grows linearly.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench_database.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "hostkit/history/history_recorder.h"
#include "hostkit/labelprinter/headless_label_printer.h"
#include "hostkit/report/report_layout.h"
#include "hostkit/report/template_parser.h"
#include "hostkit/session/host_session.h"
#include "hostkit/store/counter_numbers.h"
#include "hostkit/store/counters.h"
#include "labelrows/label_rows.h"
#include "output/print_support.h"

namespace briskal {
namespace {

namespace fs = std::filesystem;

const std::string& database() {
  static const std::string file = bench::createBenchDatabase("briskal_bench_print.db", {12'000, 5});
  return file;
}

// Runs the parameter form on the work orders numbered up to 2000 with `range` labels per order
// line (2 gives about 11,000 labels, 4 twice as many) and presses `button`.
void printRun(benchmark::State& state, int labelType, const std::string& out, const char* button) {
  const std::string target = (fs::temp_directory_path() / out).string();
  int64_t printed = 0;
  for (auto _ : state) {
    hostkit::SessionOptions options;
    options.settings.connectionString = "Data Source=" + database();
    options.dataFolder = BRISKAL_DATA_FOLDER;
    options.component = BRISKAL_COMPONENT;
    options.logFile = (fs::temp_directory_path() / "briskal_bench.log").string();
    options.answers = hostkit::AnswerPolicy::yes();
    options.report.destination = target;
    options.labelPrinter = target;
    hostkit::HostSession session(std::move(options));
    session.showParameterForm();
    auto& c = session.controls("FRMPD_BRISKAL");
    c.find<hostkit::HeadlessQueryFilter>("KVX_ADVQ")->setRow("Numero doc.", "1", "2000");
    c.find<hostkit::HeadlessCheck>("CBX_OrdiniNoResiduo")->setValue(1);
    c.find<hostkit::HeadlessCombo>("CMB_TipoEtichetta")->choose(labelType);
    c.find<hostkit::HeadlessCombo>("CMB_TipoQuantità")->choose(2);
    c.find<hostkit::HeadlessTextEdit>("TXT_NumEtichette")->type(std::to_string(state.range(0)));
    c.find<hostkit::HeadlessButton>("CMD_ImpostaEtich")->click();
    if (labelType == 0) c.find<hostkit::HeadlessButton>("CMD_Esegui")->click();
    auto& form = session.runtime().window("FRMPD_MODSELEZ")->headlessControls();
    printed = form.find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1")->dataSource()->recordCount();
    form.find<hostkit::HeadlessButton>(button)->click();
  }
  state.counters["labels"] = static_cast<double>(printed);
  state.counters["labels_per_s"] =
      benchmark::Counter(static_cast<double>(printed), benchmark::Counter::kIsRate);
}

void BM_StandardLabelsToPdf(benchmark::State& state) {
  printRun(state, 0, "briskal_bench_std.pdf", "CmdExec");
}
BENCHMARK(BM_StandardLabelsToPdf)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CustomLabelsToPdf(benchmark::State& state) {
  printRun(state, 1, "briskal_bench_custom.pdf", "CmdExec");
}
BENCHMARK(BM_CustomLabelsToPdf)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CustomLabelsToEpl(benchmark::State& state) {
  printRun(state, 1, "briskal_bench_custom.epl", "CMD_EPL");
}
BENCHMARK(BM_CustomLabelsToEpl)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CustomLabelsToZpl(benchmark::State& state) {
  printRun(state, 1, "briskal_bench_custom.zpl", "CMD_EPL");
}
BENCHMARK(BM_CustomLabelsToZpl)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(1);

// The order lines of the bench database, and `count` label rows spread over them.
struct LabelSelection {
  data::Connection cn;
  data::Recordset lines;
  std::unique_ptr<data::Recordset> labels = labelrows::newLabelRows();

  explicit LabelSelection(int64_t count) {
    cn.setConnectionString("Data Source=" + database());
    cn.open();
    lines.setCursorLocation(data::cursor::kUseClient);
    lines.open("SELECT * FROM VDO11_BRISKAL", cn, data::cursor::kOpenDynamic, data::lock::kOptimistic);
    const int64_t perLine = count / lines.recordCount() + 1;
    int64_t id = 0;
    int64_t ordinal = 0;
    for (lines.moveFirst(); !lines.eof() && id < count; lines.moveNext()) {
      ++ordinal;
      for (int64_t i = 0; i < perLine && id < count; ++i) {
        labels->addNew();
        labels->setValue("IDRIGAORDINE", Value(ordinal));
        labels->setValue("SELEZIONE", Value("1"));
        labels->setValue("DO11_NUMREG_CO99", lines.value("DO11_NUMREG_CO99"));
        labels->setValue("DO30_PROGRIGA", lines.value("DO30_PROGRIGA"));
        labels->setValue("QTASUETICH", Value(Decimal(1)));
        labels->setValue("IDGRIGLIA", Value(++id));
        labels->update();
      }
    }
  }
};

void BM_FillPrintSupport(benchmark::State& state) {
  LabelSelection selection(state.range(0));
  for (auto _ : state) {
    auto support = output::CreaSupportoStampaPersonalizzata();
    output::AlimentaSupportoStampaPersonalizzata(selection.lines, *selection.labels, *support);
    state.counters["records"] = static_cast<double>(support->recordCount());
  }
}
BENCHMARK(BM_FillPrintSupport)->Arg(50'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The label printer's stream alone, from the filled print support: every label laid out with the
// shipped customisable template and written in the printer's language; with `history`, each job
// kept in a print history of its own, whose size a label is counted.
void labelStream(benchmark::State& state, const std::string& out, bool history = false) {
  LabelSelection selection(state.range(0));
  auto support = output::CreaSupportoStampaPersonalizzata();
  output::AlimentaSupportoStampaPersonalizzata(selection.lines, *selection.labels, *support);
  const auto labelTemplate =
      hostkit::report::loadTemplate(fs::path(BRISKAL_COMPONENT).parent_path() / "CRPD_BRISKLABPERS.rpt");
  const fs::path historyFile = fs::temp_directory_path() / "briskal_bench_history.db";
  fs::remove(historyFile);
  hostkit::labelprinter::HeadlessLabelPrinter::Recording recording;
  if (history) {
    const std::string kept = "Data Source=" + historyFile.string();
    recording.recorder =
        hostkit::historyRecorder({kept, Value(int32_t{1}), "bench", RegionalSettings::byName("it")});
    recording.labelTemplate = std::make_shared<const hostkit::report::ReportTemplate>(labelTemplate);
  }
  hostkit::labelprinter::HeadlessLabelPrinter printer(
      (fs::temp_directory_path() / out).string(),
      [&](const data::Recordset& records, const hostkit::report::RunSettings& run) {
        auto layout = std::make_shared<hostkit::report::RecordLayout>(labelTemplate, records, run,
                                                                      RegionalSettings::byName("it"));
        return [layout] { return layout->current(); };
      },
      {}, {}, recording);
  printer.setRecordset(support.get());
  const auto before = fs::exists(historyFile) ? fs::file_size(historyFile) : 0;
  for (auto _ : state) printer.start();
  const auto labels = static_cast<double>(support->recordCount());
  state.counters["labels_per_s"] = benchmark::Counter(labels, benchmark::Counter::kIsRate);
  if (history)
    state.counters["history_bytes_per_label"] = static_cast<double>(fs::file_size(historyFile) - before) /
                                                (labels * static_cast<double>(state.iterations()));
}

// The shipped customisable template with an SSCC on every label, in its text and a GS1-128 barcode.
hostkit::report::ReportTemplate ssccTemplate() {
  hostkit::report::ReportTemplate t =
      hostkit::report::loadTemplate(fs::path(BRISKAL_COMPONENT).parent_path() / "CRPD_BRISKLABPERS.rpt");
  hostkit::report::BarcodeItem sscc;
  sscc.x = 62, sscc.y = 20, sscc.width = 36, sscc.height = 10;
  sscc.symbology = hostkit::report::Symbology::Gs1_128;
  sscc.source = {hostkit::report::ValueSource::Kind::Composed, "(00){SSCC}"};
  t.sections.back().items.emplace_back(sscc);
  return t;
}

// A fresh database whose SSCC counter is set up, for a run to take its numbers from.
std::string counterDatabase() {
  const fs::path file = fs::temp_directory_path() / "briskal_bench_counters.db";
  fs::remove(file);
  const std::string connection = "Data Source=" + file.string();
  data::Connection cn;
  cn.setConnectionString(connection);
  cn.open();
  hostkit::Counters(cn, Value(int32_t{1}))
      .set("SSCC", {.next = 1, .extensionDigit = 3, .companyPrefix = "8012341"});
  return connection;
}

// Taking the SSCCs of a run alone: the block taken in its transaction and every label's SSCC made.
void BM_TakeSsccs(benchmark::State& state) {
  const auto numbers = hostkit::counterNumbers({counterDatabase(), Value(int32_t{1}), "bench"});
  for (auto _ : state) {
    hostkit::report::LabelNumbers taken;
    numbers->take({"SSCC"}, state.range(0), taken)->printed();
    benchmark::DoNotOptimize(taken);
  }
  state.counters["labels_per_s"] =
      benchmark::Counter(static_cast<double>(state.range(0)), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TakeSsccs)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The label printer's stream of labels that each print an SSCC taken from the company's counter.
void BM_LabelStreamZplSscc(benchmark::State& state) {
  LabelSelection selection(state.range(0));
  auto support = output::CreaSupportoStampaPersonalizzata();
  output::AlimentaSupportoStampaPersonalizzata(selection.lines, *selection.labels, *support);
  const auto labelTemplate = std::make_shared<const hostkit::report::ReportTemplate>(ssccTemplate());
  hostkit::labelprinter::HeadlessLabelPrinter::Recording recording;
  recording.labelTemplate = labelTemplate;
  recording.numbers = hostkit::counterNumbers({counterDatabase(), Value(int32_t{1}), "bench"});
  hostkit::labelprinter::HeadlessLabelPrinter printer(
      (fs::temp_directory_path() / "briskal_bench_sscc.zpl").string(),
      [&](const data::Recordset& records, const hostkit::report::RunSettings& run) {
        auto layout = std::make_shared<hostkit::report::RecordLayout>(*labelTemplate, records, run,
                                                                      RegionalSettings::byName("it"));
        return [layout] { return layout->current(); };
      },
      {}, {}, recording);
  printer.setRecordset(support.get());
  for (auto _ : state) printer.start();
  state.counters["labels_per_s"] =
      benchmark::Counter(static_cast<double>(support->recordCount()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LabelStreamZplSscc)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Keeping a run of customisable labels in the print history, alone: the job opened with the
// run's snapshot and every label's data written, as before the first label is sent.
void BM_KeepLabels(benchmark::State& state) {
  LabelSelection selection(state.range(0));
  auto support = output::CreaSupportoStampaPersonalizzata();
  output::AlimentaSupportoStampaPersonalizzata(selection.lines, *selection.labels, *support);
  const auto labelTemplate =
      hostkit::report::loadTemplate(fs::path(BRISKAL_COMPONENT).parent_path() / "CRPD_BRISKLABPERS.rpt");
  const hostkit::report::RunSettings settings;
  const fs::path historyFile = fs::temp_directory_path() / "briskal_bench_kept.db";
  fs::remove(historyFile);
  const std::string kept = "Data Source=" + historyFile.string();
  const auto recorder =
      hostkit::historyRecorder({kept, Value(int32_t{1}), "bench", RegionalSettings::byName("it")});
  hostkit::report::RunStart start;
  start.kind = "custom";
  start.destination = "labels.pdf";
  start.reportTemplate = &labelTemplate;
  start.settings = &settings;
  start.records = support.get();
  recorder->open(start)->delivered(0);  // the history's tables made, and its first job, before timing
  const auto before = fs::file_size(historyFile);
  for (auto _ : state) recorder->open(start)->delivered(0);
  const auto labels = static_cast<double>(support->recordCount());
  state.counters["labels_per_s"] = benchmark::Counter(labels, benchmark::Counter::kIsRate);
  state.counters["bytes_per_label"] = static_cast<double>(fs::file_size(historyFile) - before) /
                                      (labels * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_KeepLabels)->Arg(50'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LabelStreamEpl2(benchmark::State& state) { labelStream(state, "briskal_bench_stream.epl"); }
BENCHMARK(BM_LabelStreamEpl2)->Arg(50'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LabelStreamZpl(benchmark::State& state) { labelStream(state, "briskal_bench_stream.zpl"); }
BENCHMARK(BM_LabelStreamZpl)->Arg(50'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same stream with the job and its labels kept in the print history: the difference is what
// keeping them costs.
void BM_LabelStreamZplKept(benchmark::State& state) { labelStream(state, "briskal_bench_stream.zpl", true); }
BENCHMARK(BM_LabelStreamZplKept)->Arg(50'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace briskal

BENCHMARK_MAIN();
