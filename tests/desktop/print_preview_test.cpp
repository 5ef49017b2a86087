// The print options asked before each run and the print preview each run opens in: the options
// reach the printed labels and are remembered, labels are offered none of them, a cancelled run
// delivers nothing, the selection stays on screen behind the run's dialogs, the preview pages and
// zooms drawing only the pages it shows, goes to its ends and closes by key, and prints and saves
// what it shows; the print dialog says how to add a printer when there is none.

#include <cups/cups.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>

#include "component/component_fixture.h"
#include "data/connection.h"
#include "desktop/desktop_fixture.h"
#include "hostkit/qt/page_view.h"
#include "hostkit/qt/print_dialog.h"
#include "hostkit/store/print_history.h"
#include "support/files.h"
#include "support/print_servers.h"
#include "support/process.h"

namespace briskal::testing {
namespace {

namespace fs = std::filesystem;
using hostkit::qt::PageView;
using hostkit::qt::PrintPreview;

template <typename T>
T& child(QWidget& parent, const char* name) {
  T* found = parent.findChild<T*>(name);
  if (!found) throw std::runtime_error(std::string("no widget ") + name);
  return *found;
}

// What poppler reads from a PDF: its text, and the number of its pages.
std::string pdfText(const fs::path& file) {
  const ProcessResult text = runProcess(findProgram("pdftotext"), {"-layout", file.string(), "-"});
  EXPECT_EQ(text.exitCode, 0) << text.err;
  return text.out;
}

int pdfPages(const fs::path& file) {
  const ProcessResult info = runProcess(findProgram("pdfinfo"), {file.string()});
  std::smatch pages;
  if (info.exitCode != 0 || !std::regex_search(info.out, pages, std::regex("Pages:\\s+(\\d+)"))) return -1;
  return std::stoi(pages[1].str());
}

// A PNG's width in pixels: its header holds it big-endian at byte 16.
int pngWidth(const fs::path& file) {
  const std::string png = readFile(file);
  if (png.size() < 24) return -1;
  return (static_cast<unsigned char>(png[18]) << 8) | static_cast<unsigned char>(png[19]);
}

// The copies the print system keeps among a job's attributes.
int jobCopies(int job) {
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
  const std::string uri = "ipp://localhost/jobs/" + std::to_string(job);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
  const std::unique_ptr<ipp_t, decltype(&ippDelete)> response(cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/"),
                                                              &ippDelete);
  ipp_attribute_t* copies = response ? ippFindAttribute(response.get(), "copies", IPP_TAG_INTEGER) : nullptr;
  return copies ? ippGetInteger(copies, 0) : -1;
}

class Printing : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    if (findProgram("pdfinfo").empty() || findProgram("pdftotext").empty())
      GTEST_SKIP() << "poppler-utils is not installed: the printed files cannot be read back";
  }

  // Presses Stampa on the selection form; `options` answers the print options. The preview the run
  // opened, or nullptr.
  PrintPreview* print(std::function<void(QDialog&)> options = [](QDialog& d) { d.accept(); }) {
    PrintPreview* before = window().preview();
    whenDialog("PrintSettings", std::move(options));
    click("FRMPD_MODSELEZ", "CmdExec");
    PrintPreview* after = window().preview();
    return after == before ? nullptr : after;
  }
  // A run of the first orders' labels in the preview, three customisable ones or two standard ones
  // an order line, with the options as they are offered; nullptr when no preview opened.
  PrintPreview* previewOfLabels(bool customLabels) {
    open();
    selectFirstOrders("Numero doc.", customLabels, customLabels ? 3 : 2);
    return print();
  }
  std::string firstError() const { return errors_.empty() ? "" : errors_.front(); }
};

// ---- The print options ----

TEST_F(Printing, TheOptionsChosenReachThePrintedLabelsAndAreOfferedAgain) {
  open();
  selectFirstOrders("Numero doc.", false, 2);
  PrintPreview* preview = print([](QDialog& options) {
    EXPECT_FALSE(child<QLabel>(options, "LabelsPrintNoOptions").isVisible())
        << "standard labels print them all";
    EXPECT_TRUE(child<QCheckBox>(options, "PrintHeader").isChecked());
    EXPECT_FALSE(child<QWidget>(options, "PerformedBy").isEnabled()) << "the notes' texts wait for the notes";
    child<QCheckBox>(options, "PrintLimits").setChecked(true);
    child<QCheckBox>(options, "PrintNotes").setChecked(true);
    EXPECT_TRUE(child<QWidget>(options, "PerformedBy").isEnabled());
    QTest::keyClicks(&child<QLineEdit>(options, "PerformedBy"), "Mario Rossi");
    QTest::keyClicks(&child<QLineEdit>(options, "AddressedTo"), "Magazzino nord");
    QTest::keyClicks(&child<QPlainTextEdit>(options, "Notes"), "Maneggiare con cura");
    options.accept();
  });
  ASSERT_NE(preview, nullptr) << firstError();
  const fs::path withHeader = folder_ + "/header.pdf";
  saveFromPreview("SaveAsPdf", withHeader);
  const std::string printed = pdfText(withHeader);
  for (const char* text : {"Limiti di selezione", "Mario Rossi", "Magazzino nord", "Maneggiare con cura"})
    EXPECT_NE(printed.find(text), std::string::npos) << text;

  preview = print([](QDialog& options) {
    EXPECT_TRUE(child<QCheckBox>(options, "PrintNotes").isChecked());
    EXPECT_EQ(child<QLineEdit>(options, "PerformedBy").text(), "Mario Rossi");
    child<QCheckBox>(options, "PrintHeader").setChecked(false);
    options.accept();
  });
  ASSERT_NE(preview, nullptr) << firstError();
  const fs::path withoutHeader = folder_ + "/plain.pdf";
  saveFromPreview("SaveAsPdf", withoutHeader);
  const std::string plain = pdfText(withoutHeader);
  EXPECT_EQ(plain.find("Mario Rossi"), std::string::npos);
  EXPECT_EQ(plain.find("Limiti di selezione"), std::string::npos);
  // The same labels follow one another from the top of the first page.
  const std::string firstLabel = plain.substr(0, plain.find('\n'));
  EXPECT_NE(printed.find(firstLabel), std::string::npos) << firstLabel;
  EXPECT_TRUE(errors_.empty()) << firstError();
}

TEST_F(Printing, ACancelledRunDeliversNothingAndLeavesTheSelectionAsItWas) {
  open();
  selectFirstOrders("Numero doc.", false, 2);
  auto* grid = widget<QTableView>("FRMPD_MODSELEZ", "KVX_QGRIDWRAPPER1");
  const int rows = grid->model()->rowCount();
  const size_t messages = window().session().messages().shown().size();
  EXPECT_EQ(print([](QDialog& options) { options.reject(); }), nullptr);
  EXPECT_TRUE(window().session().deliveries().empty());
  EXPECT_EQ(window().session().messages().shown().size(), messages);
  EXPECT_TRUE(window().session().loggedErrors().empty());
  EXPECT_TRUE(errors_.empty()) << firstError();
  EXPECT_EQ(grid->model()->rowCount(), rows);

  PrintPreview* preview = print();
  ASSERT_NE(preview, nullptr) << firstError();
  EXPECT_GT(preview->report().pages.size(), 0u);
}

// Customisable labels print none of the options: they are offered greyed out, with the reason.
TEST_F(Printing, ALabelRunOffersNoneOfTheReportsOptionsAndSaysWhy) {
  open();
  selectFirstOrders("Numero doc.", true, 3);
  PrintPreview* preview = print([](QDialog& options) {
    const auto& why = child<QLabel>(options, "LabelsPrintNoOptions");
    EXPECT_TRUE(why.isVisible());
    EXPECT_TRUE(why.text().startsWith("Le etichette personalizzabili non stampano"))
        << why.text().toStdString();
    for (const char* option :
         {"PrintHeader", "PrintLimits", "PrintNotes", "PerformedBy", "AddressedTo", "Notes"})
      EXPECT_FALSE(child<QWidget>(options, option).isEnabled()) << option;
    options.accept();
  });
  ASSERT_NE(preview, nullptr) << firstError();
  EXPECT_EQ(preview->report().kind, hostkit::report::PageKind::Label);
  EXPECT_TRUE(errors_.empty()) << firstError();
}

// The component lets go of the selection's rows for the whole run: the grid behind the run's
// dialogs goes on showing them, and shows them again afterwards.
TEST_F(Printing, TheSelectionStaysOnScreenBehindTheRunsDialogs) {
  open();
  selectFirstOrders("Numero doc.", false, 2);
  auto* grid = widget<QTableView>("FRMPD_MODSELEZ", "KVX_QGRIDWRAPPER1");
  const int rows = grid->model()->rowCount();
  ASSERT_GT(rows, 1);
  const auto shown = [grid](int row) {
    QStringList cells;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
      cells << grid->model()->index(row, c).data().toString();
    return cells.join('|').toStdString();
  };
  const std::string first = shown(0);
  const std::string last = shown(rows - 1);
  ASSERT_NE(first.find_first_not_of('|'), std::string::npos) << "the first row shows its values";
  PrintPreview* preview = print([&](QDialog& options) {
    EXPECT_EQ(grid->model()->rowCount(), rows);
    EXPECT_EQ(shown(0), first);
    EXPECT_EQ(shown(rows - 1), last);
    options.accept();
  });
  ASSERT_NE(preview, nullptr) << firstError();
  EXPECT_EQ(grid->model()->rowCount(), rows);
  EXPECT_EQ(shown(0), first);
  EXPECT_TRUE(errors_.empty()) << firstError();
}

// ---- The preview ----

TEST_F(Printing, ThePreviewPagesThroughTheLabelsDrawingOnlyThoseShown) {
  PrintPreview* preview = previewOfLabels(true);
  ASSERT_NE(preview, nullptr) << firstError();
  const auto labels =
      static_cast<size_t>(widget<QTableView>("FRMPD_MODSELEZ", "KVX_QGRIDWRAPPER1")->model()->rowCount());
  ASSERT_GE(labels, 10u);
  EXPECT_EQ(preview->report().kind, hostkit::report::PageKind::Label);
  EXPECT_EQ(preview->report().pages.size(), labels);
  PageView& view = preview->view();
  const QString count = QString::number(labels);
  EXPECT_EQ(child<QLabel>(*preview, "PageCount").text().trimmed(), "di " + count);
  EXPECT_TRUE(child<QLabel>(*preview, "Position").text().startsWith("Pagina 1 di " + count));

  EXPECT_FALSE(preview->findChild<QAction*>("PreviousPage")->isEnabled());
  trigger(*preview, "NextPage");
  EXPECT_EQ(view.current(), 1u);
  trigger(*preview, "LastPage");
  EXPECT_EQ(view.current(), labels - 1);
  EXPECT_FALSE(preview->findChild<QAction*>("NextPage")->isEnabled());
  EXPECT_EQ(child<QSpinBox>(*preview, "PageNumber").value(), static_cast<int>(labels));
  trigger(*preview, "PreviousPage");
  EXPECT_EQ(view.current(), labels - 2);
  child<QSpinBox>(*preview, "PageNumber").setValue(5);
  EXPECT_EQ(view.current(), 4u);
  EXPECT_TRUE(child<QLabel>(*preview, "Position").text().startsWith("Pagina 5 di " + count));
  trigger(*preview, "FirstPage");
  EXPECT_EQ(view.current(), 0u);
  // Six pages shown, some of them twice: never the whole run.
  EXPECT_LE(view.rendered(), 8);
  EXPECT_LT(static_cast<size_t>(view.rendered()), labels);
  EXPECT_TRUE(errors_.empty()) << firstError();
}

// The preview is up with the first page while the rest are laid out: pages that come later extend
// the count and the way forward, and leave the page shown as it was.
TEST_F(Printing, PagesLaidOutLaterJoinThePreviewShown) {
  PrintPreview* run = previewOfLabels(true);
  ASSERT_NE(run, nullptr) << firstError();
  hostkit::report::PreparedReport firstOnly = run->report();
  std::vector<hostkit::report::Page> rest(firstOnly.pages.begin() + 1, firstOnly.pages.end());
  firstOnly.pages.resize(1);
  auto* preview = new PrintPreview(std::move(firstOnly), {}, hostkit::qt::ScreenTexts(), &window());
  preview->show();
  EXPECT_EQ(child<QLabel>(*preview, "PageCount").text().trimmed(), "di 1");
  EXPECT_FALSE(preview->findChild<QAction*>("NextPage")->isEnabled());
  const QString count = QString::number(rest.size() + 1);
  preview->addPages(std::move(rest));
  EXPECT_EQ(child<QLabel>(*preview, "PageCount").text().trimmed(), "di " + count);
  EXPECT_TRUE(child<QLabel>(*preview, "Position").text().startsWith("Pagina 1 di " + count));
  EXPECT_EQ(preview->view().current(), 0u);
  trigger(*preview, "LastPage");
  EXPECT_EQ(child<QSpinBox>(*preview, "PageNumber").value(), count.toInt());
  preview->close();
}

TEST_F(Printing, ThePreviewZoomsBySteps) {
  PrintPreview* preview = previewOfLabels(true);
  ASSERT_NE(preview, nullptr) << firstError();
  PageView& view = preview->view();
  auto& zoom = child<QComboBox>(*preview, "Zoom");
  const auto& page = child<QLabel>(*preview, "Page");
  // A label fits the window whole; the page is drawn at the size of the zoom.
  EXPECT_EQ(view.fit(), PageView::Fit::Page);
  EXPECT_EQ(zoom.currentText(), "Adatta alla pagina");
  const QSize room = view.maximumViewportSize();
  const double fitted = view.zoom();
  EXPECT_GT(fitted, 1);
  EXPECT_NEAR(page.pixmap().deviceIndependentSize().width(), 100 / 25.4 * view.logicalDpiX() * fitted, 1);
  EXPECT_LE(page.pixmap().deviceIndependentSize().width(), room.width());
  EXPECT_LE(page.pixmap().deviceIndependentSize().height(), room.height());

  trigger(*preview, "ZoomIn");
  EXPECT_EQ(view.fit(), PageView::Fit::None);
  const double above = view.zoom();
  EXPECT_GT(above, fitted);
  EXPECT_EQ(zoom.currentText(), QString("%1%").arg(std::lround(above * 100)));
  trigger(*preview, "ZoomOut");
  trigger(*preview, "ZoomOut");
  EXPECT_LT(view.zoom(), fitted);
  zoom.setCurrentIndex(zoom.findText("100%"));
  emit zoom.activated(zoom.currentIndex());
  EXPECT_DOUBLE_EQ(view.zoom(), 1);
  EXPECT_NEAR(page.pixmap().deviceIndependentSize().width(), 100 / 25.4 * view.logicalDpiX(), 1);

  // Fitted to the width, the page follows the window.
  zoom.setCurrentIndex(zoom.findText("Adatta alla larghezza"));
  emit zoom.activated(zoom.currentIndex());
  const double narrow = view.zoom();
  preview->resize(preview->width() + 200, preview->height());
  QApplication::processEvents();
  EXPECT_GT(view.zoom(), narrow);
  EXPECT_FALSE(view.horizontalScrollBar()->isVisible());
  EXPECT_TRUE(errors_.empty()) << firstError();
}

// The keys a person reaches for: Home and End for the first and the last page; Esc and Ctrl+W
// close the preview, as its Close button does.
TEST_F(Printing, HomeAndEndGoToTheEndsAndEscCtrlWOrTheButtonClose) {
  open();
  selectFirstOrders("Numero doc.", true, 3);
  const std::function<void(PrintPreview&)> closings[] = {
      [](PrintPreview&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); },
      [](PrintPreview&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::ControlModifier); },
      [](PrintPreview& preview) {
        QWidget* button =
            preview.findChild<QToolBar*>("CloseBar")->widgetForAction(preview.findChild<QAction*>("Close"));
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->isVisible());
        EXPECT_EQ(static_cast<QToolButton*>(button)->text(), "Chiudi");
        QTest::mouseClick(button, Qt::LeftButton);
      },
  };
  for (const auto& close : closings) {
    const QPointer<PrintPreview> preview = print();
    ASSERT_NE(preview, nullptr) << firstError();
    ASSERT_TRUE(QTest::qWaitForWindowActive(preview));
    ASSERT_TRUE(preview->isAncestorOf(QApplication::focusWidget()));
    const size_t pages = preview->report().pages.size();
    ASSERT_GT(pages, 2u);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    EXPECT_EQ(preview->view().current(), pages - 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
    EXPECT_EQ(preview->view().current(), 0u);

    close(*preview);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(preview.isNull());
  }
  EXPECT_TRUE(errors_.empty()) << firstError();
}

// ---- What the preview prints and saves ----

TEST_F(Printing, ThePreviewSavesEveryPageAsPdfAndAsPng) {
  PrintPreview* preview = previewOfLabels(true);
  ASSERT_NE(preview, nullptr) << firstError();
  const size_t pages = preview->report().pages.size();
  const fs::path pdf = folder_ + "/custom.pdf";
  saveFromPreview("SaveAsPdf", pdf);
  EXPECT_EQ(pdfPages(pdf), static_cast<int>(pages));

  // Typed without its extension, the file takes the one of its kind.
  saveFromPreview("SaveAsPng", folder_ + "/custom");
  for (size_t n = 1; n <= pages; ++n) {
    const fs::path png = folder_ + "/custom-" + std::to_string(n) + ".png";
    ASSERT_TRUE(fs::exists(png)) << png;
    EXPECT_EQ(pngWidth(png), 1182) << "100 mm at 300 dpi";
  }
  const auto& deliveries = window().session().deliveries();
  ASSERT_EQ(deliveries.size(), 2u) << firstError();
  EXPECT_EQ(deliveries[0].files, std::vector<fs::path>{pdf});
  EXPECT_EQ(deliveries[1].files.size(), pages);
  EXPECT_EQ(deliveries[1].labels, static_cast<int64_t>(pages));
  EXPECT_TRUE(window().findChild<QLabel*>("LastRun")->text().contains("custom.png"));
  EXPECT_TRUE(errors_.empty()) << firstError();
}

// The print system lists its queues in the dialog; the pages chosen go as one PDF job.
TEST_F(Printing, TheChosenPagesPrintOnACupsQueueAsOftenAsAsked) {
  if (!cupsdAvailable()) GTEST_SKIP() << "cupsd is not installed";
  CupsTestServer cups;
  cups.addQueue("ufficio");
  cupsSetServer(cups.server().c_str());
  PrintPreview* preview = previewOfLabels(true);
  ASSERT_NE(preview, nullptr) << firstError();
  ASSERT_GE(preview->report().pages.size(), 4u);
  QStringList offered;
  whenDialog("PrintDialog", [&offered](QDialog& dialog) {
    auto& printer = child<QComboBox>(dialog, "Printer");
    for (int i = 0; i < printer.count(); ++i) offered << printer.itemText(i);
    printer.setCurrentText("ufficio");
    child<QSpinBox>(dialog, "FirstPage").setValue(2);
    child<QSpinBox>(dialog, "LastPage").setValue(4);
    child<QSpinBox>(dialog, "Copies").setValue(2);
    dialog.accept();
  });
  trigger(*preview, "Print");
  EXPECT_EQ(offered, QStringList{"ufficio"});
  ASSERT_TRUE(errors_.empty()) << firstError() << cups.log();
  const PrintedJob job = cups.waitForJobs("ufficio", 1).at(0);
  EXPECT_EQ(jobCopies(job.id), 2);
  cupsSetServer(nullptr);
  const fs::path printed = folder_ + "/printed.pdf";
  std::ofstream(printed, std::ios::binary) << job.bytes;
  EXPECT_EQ(pdfPages(printed), 3);
  const auto& deliveries = window().session().deliveries();
  ASSERT_EQ(deliveries.size(), 1u);
  EXPECT_EQ(deliveries[0].destination, "ufficio");
  EXPECT_EQ(deliveries[0].pages, 6);
  EXPECT_EQ(deliveries[0].labels, 6) << "three labels, twice";

  // The history keeps the labels of the pages printed, as the whole run saved afterwards has them.
  saveFromPreview("SaveAsPdf", folder_ + "/all.pdf");
  data::Connection cn;
  cn.setConnectionString("Data Source=" + sharedDemoDatabase());
  cn.open();
  hostkit::PrintHistory history(cn, Value(int32_t{1}));
  const std::vector<hostkit::PrintJob> jobs = history.list({});
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[1].destination, "ufficio");
  EXPECT_EQ(jobs[1].pages, 6);
  const std::vector<hostkit::PrintedLabel> all = history.labels(jobs[0].id);
  ASSERT_GE(all.size(), 4u);
  EXPECT_EQ(history.labels(jobs[1].id), std::vector<hostkit::PrintedLabel>(all.begin() + 1, all.begin() + 4));
}

TEST_F(Printing, PrintingOnAPrinterThePrintSystemDoesNotKnowShowsTheCause) {
  PrintPreview* preview = previewOfLabels(false);
  ASSERT_NE(preview, nullptr) << firstError();
  EXPECT_EQ(preview->findChild<QAction*>("SendToLabelPrinter"), nullptr) << "standard labels fill sheets";
  whenDialog("PrintDialog", [](QDialog& dialog) {
    child<QComboBox>(dialog, "Printer").setCurrentText("briskal-no-such-printer");
    child<QSpinBox>(dialog, "Copies").setValue(2);
    dialog.accept();
  });
  trigger(*preview, "Print");
  EXPECT_EQ(errors_,
            std::vector<std::string>{"La stampa non è riuscita.\nLa stampante 'briskal-no-such-printer' "
                                     "non è nota al sistema di stampa"});
  EXPECT_TRUE(window().session().deliveries().empty());
  // The history keeps the attempt, failed with its cause.
  data::Connection cn;
  cn.setConnectionString("Data Source=" + sharedDemoDatabase());
  cn.open();
  const std::vector<hostkit::PrintJob> jobs = hostkit::PrintHistory(cn, Value(int32_t{1})).list({});
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].outcome, hostkit::JobOutcome::Failed);
  EXPECT_NE(jobs[0].error.find("briskal-no-such-printer"), std::string::npos) << jobs[0].error;
}

// With no printer installed the dialog says so and how to add one, in the session's language;
// with printers it lists them without a word.
TEST_F(Printing, WithoutPrintersThePrintDialogSaysHowToAddOne) {
  locale_ = "en";
  open();
  const hostkit::qt::ScreenTexts texts(&window().session().catalogue());
  whenDialog("PrintDialog", [](QDialog& dialog) {
    const QString none = child<QLabel>(dialog, "NoPrinters").text();
    EXPECT_TRUE(none.startsWith("No printer is installed.")) << none.toStdString();
    for (const char* how : {"http://localhost:631", "lpadmin -p "}) EXPECT_TRUE(none.contains(how)) << how;
    EXPECT_EQ(child<QComboBox>(dialog, "Printer").count(), 0);
    dialog.reject();
  });
  EXPECT_FALSE(hostkit::qt::askPrintRequest({}, "", 3, &window(), texts).has_value());
  whenDialog("PrintDialog", [](QDialog& dialog) {
    EXPECT_EQ(dialog.findChild<QLabel*>("NoPrinters"), nullptr);
    dialog.reject();
  });
  EXPECT_FALSE(hostkit::qt::askPrintRequest({"office"}, "", 3, &window(), texts).has_value());
}

TEST_F(Printing, ThePrintDialogAsksForAPrinterAndKeepsThePagesInOrder) {
  open();
  whenDialog("PrintDialog", [](QDialog& dialog) {
    auto& printer = child<QComboBox>(dialog, "Printer");
    EXPECT_EQ(printer.currentText(), "etichette");
    printer.setCurrentText("");
    EXPECT_FALSE(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled());
    printer.setCurrentText("ufficio");
    child<QSpinBox>(dialog, "LastPage").setValue(2);
    child<QSpinBox>(dialog, "FirstPage").setValue(4);
    EXPECT_TRUE(child<QRadioButton>(dialog, "PageRange").isChecked());
    EXPECT_EQ(child<QSpinBox>(dialog, "LastPage").value(), 4);
    child<QSpinBox>(dialog, "Copies").setValue(3);
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  const std::optional<hostkit::qt::PrintRequest> request =
      hostkit::qt::askPrintRequest({"etichette", "ufficio"}, "", 5, &window(), hostkit::qt::ScreenTexts());
  ASSERT_TRUE(request.has_value());
  EXPECT_EQ(request->printer, "ufficio");
  EXPECT_EQ(request->copies, 3);
  EXPECT_EQ(request->firstPage, 4);
  EXPECT_EQ(request->lastPage, 4);
}

}  // namespace
}  // namespace briskal::testing
