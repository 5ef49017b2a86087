// The desktop as an operator meets it, offscreen: the host window up with the parameter form
// shown; the selection form opened on about 100,000 label rows, expansion included; a grid of a
// million rows scrolled and painted at its first row and at its last; and a run of 10,000
// customisable labels printed to the preview, which shows its first page.

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <optional>

#include "bench_database.h"
#include "data/recordset.h"
#include "hostkit/qt/host_window.h"
#include "hostkit/qt/page_view.h"
#include "hostkit/qt/qt_form_window.h"
#include "hostkit/qt/qt_grid.h"

namespace briskal {
namespace {

namespace fs = std::filesystem;

const std::string& database() {
  static const std::string file = bench::createBenchDatabase("briskal_bench_desktop.db", {10'000, 2});
  return file;
}

std::unique_ptr<hostkit::qt::HostWindow> hostWindow() {
  hostkit::SessionOptions o;
  o.settings.connectionString = "Data Source=" + database();
  o.dataFolder = BRISKAL_DATA_FOLDER;
  o.component = BRISKAL_COMPONENT;
  o.logFile = (fs::temp_directory_path() / "briskal_bench.log").string();
  o.answers = hostkit::AnswerPolicy::yes();
  return std::make_unique<hostkit::qt::HostWindow>(std::move(o), false);
}

void BM_WindowUpWithTheParameterForm(benchmark::State& state) {
  database();
  for (auto _ : state) {
    auto window = hostWindow();
    window->show();
    window->openComponent();
    QApplication::processEvents();
    state.PauseTiming();
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_WindowUpWithTheParameterForm)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every work order with something left to produce, 25 labels an order line: about 100,000 label
// rows.
void BM_SelectionFormOnTheLabelRows(benchmark::State& state) {
  int64_t rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto window = hostWindow();
    window->show();
    window->openComponent();
    QWidget* form = window->formWindow("FRMPD_BRISKAL")->root();
    form->findChild<QComboBox*>("CMB_TipoQuantità")->setCurrentIndex(2);
    form->findChild<QLineEdit*>("TXT_NumEtichette")->setText(QString::number(state.range(0)));
    form->findChild<QAbstractButton*>("CMD_ImpostaEtich")->click();
    QApplication::processEvents();
    state.ResumeTiming();
    form->findChild<QAbstractButton*>("CMD_Esegui")->click();
    QApplication::processEvents();
    state.PauseTiming();
    rows = window->formWindow("FRMPD_MODSELEZ")
               ->root()
               ->findChild<QTableView*>("KVX_QGRIDWRAPPER1")
               ->model()
               ->rowCount();
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["label_rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_SelectionFormOnTheLabelRows)->Arg(25)->Unit(benchmark::kMillisecond)->Iterations(2);

data::Recordset& millionRows() {
  static const std::unique_ptr<data::Recordset> rows = [] {
    auto r = std::make_unique<data::Recordset>();
    r->appendField("N", data::FieldType::Integer);
    r->appendField("T", data::FieldType::VarWChar, 40);
    r->open();
    for (int32_t i = 1; i <= 1'000'000; ++i) {
      r->addNew();
      r->setValue(size_t{0}, Value(i));
      r->setValue(size_t{1}, Value("Riga " + std::to_string(i)));
    }
    r->update();
    return r;
  }();
  return *rows;
}

// Scrolls a million-row grid to a row and paints what shows there, twice.
void BM_ScrollAMillionRowGrid(benchmark::State& state) {
  data::Recordset* rows = &millionRows();
  QTableView view;
  hostkit::qt::QtGrid grid("G", &view, RegionalSettings::italian(), hostkit::qt::ScreenTexts());
  grid.addColumn({"N", "Numero", "###,##0", host::GridColumnKind::Numeric, 0});
  grid.addColumn({"T", "Testo", "", host::GridColumnKind::Text, 0});
  grid.setDataSource(rows);
  view.resize(800, 600);
  view.show();
  const int target = static_cast<int>(state.range(0));
  for (auto _ : state) {
    view.scrollTo(view.model()->index(target, 0), QAbstractItemView::PositionAtTop);
    benchmark::DoNotOptimize(view.viewport()->grab());
    view.scrollTo(view.model()->index(target == 0 ? 40 : target - 40, 0), QAbstractItemView::PositionAtTop);
    benchmark::DoNotOptimize(view.viewport()->grab());
  }
  grid.setDataSource(nullptr);
}
BENCHMARK(BM_ScrollAMillionRowGrid)->Arg(0)->Arg(999'960)->Unit(benchmark::kMicrosecond);

// The selection form on 10,000 customisable labels: the work orders numbered up to 76, 25 labels
// an order line.
std::unique_ptr<hostkit::qt::HostWindow> tenThousandLabels() {
  auto window = hostWindow();
  window->show();
  window->openComponent();
  QWidget* form = window->formWindow("FRMPD_BRISKAL")->root();
  auto* filter = form->findChild<QTableWidget*>("KVX_ADVQ");
  for (int r = 0; r < filter->rowCount(); ++r) {
    if (filter->item(r, 0)->text() != "Numero doc.") continue;
    filter->item(r, 1)->setText("1");
    filter->item(r, 4)->setText("76");
  }
  form->findChild<QComboBox*>("CMB_TipoEtichetta")->setCurrentIndex(1);
  form->findChild<QComboBox*>("CMB_TipoQuantità")->setCurrentIndex(2);
  form->findChild<QLineEdit*>("TXT_NumEtichette")->setText("25");
  form->findChild<QAbstractButton*>("CMD_ImpostaEtich")->click();
  QApplication::processEvents();
  return window;
}

// Pressing Stampa: the print options answered at once, the labels written to the scratch table,
// laid out, and the preview up with its first page drawn. first_page_ms is the time from the press
// to the first page on screen, while the rest are still being laid out.
void BM_PrintTenThousandLabelsToThePreview(benchmark::State& state) {
  size_t pages = 0;
  double firstPage = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto window = tenThousandLabels();
    QAbstractButton* print =
        window->formWindow("FRMPD_MODSELEZ")->root()->findChild<QAbstractButton*>("CmdExec");
    // Looks for the first page drawn whenever the preview lets events through.
    QTimer watch;
    const auto pressed = std::chrono::steady_clock::now();
    std::optional<std::chrono::steady_clock::time_point> shown;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (!shown && window->preview() && window->preview()->view().rendered() > 0)
        shown = std::chrono::steady_clock::now();
    });
    watch.start(0);
    state.ResumeTiming();
    QTimer::singleShot(0, [] { static_cast<QDialog*>(QApplication::activeModalWidget())->accept(); });
    print->click();
    QApplication::processEvents();
    state.PauseTiming();
    watch.stop();
    if (shown) firstPage = std::chrono::duration<double, std::milli>(*shown - pressed).count();
    pages = window->preview()->report().pages.size();
    if (window->preview()->view().rendered() == 0) state.SkipWithError("the first page was not drawn");
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["pages"] = static_cast<double>(pages);
  state.counters["first_page_ms"] = firstPage;
}
BENCHMARK(BM_PrintTenThousandLabelsToThePreview)->Unit(benchmark::kMillisecond)->Iterations(2);

// The preview alone: a window made over the 10,000 laid-out labels, shown with its first page.
void BM_PreviewOfTenThousandLabelsShowsItsFirstPage(benchmark::State& state) {
  auto window = tenThousandLabels();
  QTimer::singleShot(0, [] { static_cast<QDialog*>(QApplication::activeModalWidget())->accept(); });
  window->formWindow("FRMPD_MODSELEZ")->root()->findChild<QAbstractButton*>("CmdExec")->click();
  const hostkit::report::PreparedReport run = window->preview()->report();
  for (auto _ : state) {
    state.PauseTiming();
    hostkit::report::PreparedReport handedOver = run;
    state.ResumeTiming();
    auto* preview =
        new hostkit::qt::PrintPreview(std::move(handedOver), {}, hostkit::qt::ScreenTexts(), window.get());
    preview->show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(preview->view().rendered());
    state.PauseTiming();
    preview->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    state.ResumeTiming();
  }
  state.counters["pages"] = static_cast<double>(run.pages.size());
}
BENCHMARK(BM_PreviewOfTenThousandLabelsShowsItsFirstPage)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace briskal

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
