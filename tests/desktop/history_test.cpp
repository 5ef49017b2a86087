// The print history window driven offscreen: a run saved from the preview is listed with its
// labels and the order line of each, a chosen label is drawn as it printed, the reprint dialog
// will not go without a reason, and the reprint is listed as a job of its own.

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>

#include "desktop/desktop_fixture.h"
#include "hostkit/qt/history_window.h"
#include "hostkit/qt/page_view.h"
#include "hostkit/qt/print_preview.h"
#include "support/files.h"
#include "support/process.h"

namespace briskal::testing {
namespace {

namespace fs = std::filesystem;
using hostkit::qt::HistoryWindow;

class History : public DesktopTest {
 protected:
  // The first orders' customisable labels, two a line, saved from the preview to `pdf`; the
  // labels the run printed.
  int64_t saveLabels(const fs::path& pdf) {
    open();
    selectFirstOrders("Numero doc.", true, 2);
    whenDialog("PrintSettings", [](QDialog& d) { d.accept(); });
    click("FRMPD_MODSELEZ", "CmdExec");
    hostkit::qt::PrintPreview* preview = window().preview();
    if (!preview) return 0;
    saveFromPreview("SaveAsPdf", pdf);
    return preview->report().records;
  }
};

TEST_F(History, ARunIsListedDrawnAndReprintedWithItsReason) {
  if (findProgram("pdfinfo").empty()) GTEST_SKIP() << "poppler-utils is not installed";
  const int64_t labels = saveLabels(folder_ + "/custom.pdf");
  ASSERT_GT(labels, 2) << (errors_.empty() ? "" : errors_.front());
  HistoryWindow* history = window().openHistory();
  ASSERT_NE(history, nullptr);
  ASSERT_EQ(history->jobsListed().size(), 1U);
  const hostkit::PrintJob job = history->jobsListed().front();
  EXPECT_EQ(job.kind, "custom");
  EXPECT_EQ(job.destination, folder_ + "/custom.pdf");
  EXPECT_EQ(job.outcome, hostkit::JobOutcome::Delivered);
  EXPECT_EQ(job.labels, labels);
  EXPECT_EQ(job.user, user_);

  // The job's labels, each with its order line; the first is drawn as it printed.
  QTableView& table = *history->labelTable();
  ASSERT_NE(table.model(), nullptr);
  EXPECT_EQ(table.model()->rowCount(), labels);
  EXPECT_TRUE(table.model()->index(0, 1).data().toString().startsWith("2026"));
  EXPECT_FALSE(table.model()->index(0, 3).data().toString().isEmpty());
  EXPECT_TRUE(history->preview()->isVisibleTo(history));
  const int drawn = history->preview()->rendered();
  table.selectRow(1);
  EXPECT_GT(history->preview()->rendered(), drawn);
  EXPECT_NE(history->findChild<QLabel*>("PreviewNote")->text().indexOf("2"), -1);

  // Labels 2 and 3 again: the dialog does not go without a reason.
  table.selectRow(1);
  table.selectionModel()->select(table.model()->index(2, 0),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
  const std::string again = folder_ + "/again.pdf";
  whenDialog("ReprintDialog", [&](QDialog& dialog) {
    auto* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("Labels")->text(), "2-3");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("Destination")->text().toStdString(),
              folder_ + "/custom-ristampa-1.pdf");
    EXPECT_FALSE(ok->isEnabled());
    dialog.findChild<QLineEdit*>("Reason")->setText("   ");
    EXPECT_FALSE(ok->isEnabled());
    dialog.findChild<QLineEdit*>("Reason")->setText("etichette strappate");
    dialog.findChild<QLineEdit*>("Destination")->setText(QString::fromStdString(again));
    ASSERT_TRUE(ok->isEnabled());
    ok->click();
  });
  QTest::mouseClick(history->findChild<QPushButton*>("Reprint"), Qt::LeftButton);
  EXPECT_TRUE(errors_.empty()) << errors_.front();
  ASSERT_TRUE(fs::exists(again));
  const ProcessResult info = runProcess(findProgram("pdfinfo"), {again});
  EXPECT_NE(info.out.find("Pages:           2"), std::string::npos) << info.out;
  EXPECT_FALSE(fs::exists(folder_ + "/custom-ristampa-1.pdf"));
  ASSERT_EQ(history->jobsListed().size(), 2U);
  const hostkit::PrintJob reprint = history->jobsListed().front();
  EXPECT_EQ(reprint.reprintOf, job.id);
  EXPECT_EQ(reprint.reason, "etichette strappate");
  EXPECT_EQ(reprint.labels, 2);

  // The filters: another user's jobs, reprints only by outcome, and a date that is no date.
  history->userBox()->setText("nessuno");
  history->find();
  EXPECT_TRUE(history->jobsListed().empty());
  EXPECT_FALSE(history->findChild<QPushButton*>("Reprint")->isEnabled());
  history->userBox()->clear();
  history->outcomeBox()->setCurrentIndex(history->outcomeBox()->findText("interrotto"));
  history->find();
  EXPECT_TRUE(history->jobsListed().empty());
  history->outcomeBox()->setCurrentIndex(0);
  history->find();
  EXPECT_EQ(history->jobsListed().size(), 2U);
  history->sinceBox()->setText("8/12/2026");
  history->find();
  EXPECT_EQ(history->jobsListed().size(), 2U) << "the list is left as it was";
  EXPECT_TRUE(history->statusBar()->currentMessage().contains("AAAA-MM-GG"));
  history->sinceBox()->setText("2999-01-01");
  history->find();
  EXPECT_TRUE(history->jobsListed().empty());
}

}  // namespace
}  // namespace briskal::testing
