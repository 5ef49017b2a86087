// The label designer driven offscreen as a person drives it: a field dragged from the palette,
// items moved with the keys and the mouse, sized by a handle, aligned, undone and redone, saved
// to a file and to the database, and the label so designed printed as a PDF, a label-printer
// stream and a sheet of office labels.

#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QSpinBox>
#include <QTest>
#include <fstream>

#include "component/component_fixture.h"
#include "desktop/desktop_fixture.h"
#include "hostkit/designer/design_document.h"
#include "hostkit/qt/designer_canvas.h"
#include "hostkit/qt/designer_window.h"
#include "hostkit/report/label_stock.h"
#include "hostkit/report/template_parser.h"
#include "support/files.h"
#include "support/process.h"

namespace briskal::testing {
namespace {

namespace fs = std::filesystem;
using hostkit::designer::boundsOf;
using hostkit::designer::ItemRef;
using hostkit::qt::DesignerCanvas;
using hostkit::qt::DesignerWindow;

class Designer : public DesktopTest {
 protected:
  DesignerWindow& designer(const std::string& fileOrName = {}) {
    if (!window_) open();
    DesignerWindow* d = window().openDesigner(fileOrName);
    d->resize(1200, 800);
    QApplication::processEvents();
    return *d;
  }

  // Drags the palette's field of that name onto the canvas at the label's millimetre (x, y).
  static void dropField(DesignerWindow& d, const std::string& field, double x, double y) {
    auto* palette = d.findChild<QListWidget*>("fields");
    ASSERT_NE(palette, nullptr);
    QModelIndexList chosen;
    for (int row = 0; row < palette->count(); ++row)
      if (palette->item(row)->data(Qt::UserRole).toByteArray().toStdString() == field)
        chosen.push_back(palette->model()->index(row, 0));
    ASSERT_EQ(chosen.size(), 1) << field;
    std::unique_ptr<QMimeData> data(palette->model()->mimeData(chosen));
    DesignerCanvas& canvas = *d.canvas();
    const QPointF at = canvas.toWidget(x, y);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&canvas, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&canvas, &drop);
  }

  static void drag(DesignerCanvas& canvas, QPointF from, QPointF to, Qt::KeyboardModifiers keys = {}) {
    QTest::mousePress(&canvas, Qt::LeftButton, keys, from.toPoint());
    QTest::mouseMove(&canvas, ((from + to) / 2).toPoint());
    QTest::mouseMove(&canvas, to.toPoint());
    QTest::mouseRelease(&canvas, Qt::LeftButton, keys, to.toPoint());
  }

  static void trigger(DesignerWindow& d, const QString& text) {
    for (QAction* action : d.findChildren<QAction*>())
      if (action->text() == text) return action->trigger();
    ADD_FAILURE() << "no action " << text.toStdString();
  }

  ProcessResult print(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--db",
                                    "Data Source=" + sharedDemoDatabase(),
                                    "print",
                                    "--where",
                                    "Numero doc.=1..2",
                                    "--basis",
                                    "custom",
                                    "--labels",
                                    "1",
                                    "--label",
                                    "custom"};
    all.insert(all.end(), args.begin(), args.end());
    return runProcess(BRISKAL_BIN, all);
  }
};

TEST_F(Designer, ALabelDesignedFromNothingPrintsToPdfLabelPrinterAndSheets) {
  DesignerWindow& d = designer();
  hostkit::designer::DesignDocument& doc = *d.document();
  DesignerCanvas& canvas = *d.canvas();
  canvas.setGrid(1, true);

  // A field dragged onto the label becomes a text bound to it, where it was dropped.
  dropField(d, "DO30_CODART_MG66", 10.2, 5.4);
  ASSERT_EQ(doc.current().sections[0].items.size(), 1U);
  const auto& code = std::get<hostkit::report::TextItem>(doc.current().sections[0].items[0]);
  EXPECT_EQ(code.source.text, "DO30_CODART_MG66");
  EXPECT_DOUBLE_EQ(code.x, 10);
  EXPECT_DOUBLE_EQ(code.y, 5);

  // The arrow keys nudge it by a tenth of a millimetre, with Shift by one.
  canvas.setFocus();
  for (int n = 0; n < 3; ++n) QTest::keyClick(&canvas, Qt::Key_Right);
  QTest::keyClick(&canvas, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_NEAR(boundsOf(doc.item({0, 0})).x, 10.3, 1e-9);
  EXPECT_NEAR(boundsOf(doc.item({0, 0})).y, 6, 1e-9);

  // Dragged with the mouse it lands on the grid; its bottom right handle sizes it.
  drag(canvas, canvas.toWidget(12, 7), canvas.toWidget(22, 17));
  EXPECT_NEAR(boundsOf(doc.item({0, 0})).x, 20, 1e-9);
  EXPECT_NEAR(boundsOf(doc.item({0, 0})).y, 16, 1e-9);
  drag(canvas, canvas.toWidget(60, 21), canvas.toWidget(80, 24));
  EXPECT_NEAR(boundsOf(doc.item({0, 0})).width, 60, 1e-9);
  EXPECT_NEAR(boundsOf(doc.item({0, 0})).height, 8, 1e-9);

  // A barcode from the toolbar, aligned to the text's left edge with both chosen.
  trigger(d, "Codice a barre");
  ASSERT_EQ(doc.current().sections[0].items.size(), 2U);
  drag(canvas, canvas.toWidget(5, 5), canvas.toWidget(5, 30));
  QTest::mouseClick(&canvas, Qt::LeftButton, Qt::ShiftModifier, canvas.toWidget(30, 20).toPoint());
  ASSERT_EQ(doc.selection().size(), 2U);
  trigger(d, "Allinea a sinistra");
  EXPECT_DOUBLE_EQ(boundsOf(doc.item({0, 1})).x, 20) << "to the text, the first item";
  EXPECT_DOUBLE_EQ(boundsOf(doc.item({0, 1})).y, 25);

  // Undo walks back through every change, redo forward again.
  const hostkit::report::ReportTemplate designed = doc.current();
  trigger(d, "&Annulla");
  EXPECT_DOUBLE_EQ(boundsOf(doc.item({0, 1})).x, 0);
  trigger(d, "&Ripeti");
  EXPECT_EQ(doc.current(), designed);

  // Saved, it reads back as designed, and prints in every output.
  const fs::path file = fs::path(folder_) / "designed.rpt";
  ASSERT_TRUE(d.saveAs(file));
  EXPECT_FALSE(doc.modified());
  EXPECT_EQ(hostkit::report::loadTemplate(file).sections, designed.sections);
  const ProcessResult pdf = print({"--template", file.string(), "--out", folder_ + "/designed.pdf"});
  EXPECT_EQ(pdf.exitCode, 0) << pdf.err;
  EXPECT_TRUE(fs::file_size(folder_ + "/designed.pdf") > 0);
  const ProcessResult zpl = print({"--template", file.string(), "--out", folder_ + "/designed.zpl"});
  EXPECT_EQ(zpl.exitCode, 0) << zpl.err;
  EXPECT_NE(readFile(folder_ + "/designed.zpl").find("^BY"), std::string::npos) << "the barcode, natively";
  const ProcessResult sheets = print({"--template", file.string(), "--stock", "Avery L7163", "--start-at",
                                      "3", "--out", folder_ + "/sheets.pdf"});
  EXPECT_EQ(sheets.exitCode, 0) << sheets.err;
}

TEST_F(Designer, ATemplateOpenedAndSavedUnchangedKeepsItsBytesAndGoesToTheDatabaseAsAVersion) {
  const fs::path file = fs::path(folder_) / "label.rpt";
  fs::copy_file(fs::path(BRISKAL_DATA_FOLDER) / "reports" / "CRPD_BRISKLABPERS.rpt", file);
  const std::string original = readFile(file);
  DesignerWindow& d = designer(file.string());
  ASSERT_TRUE(d.save());
  EXPECT_EQ(readFile(file), original);

  // A move changes its own line only.
  d.document()->select({ItemRef{0, 3}});
  QTest::keyClick(d.canvas(), Qt::Key_Left, Qt::ShiftModifier);
  ASSERT_TRUE(d.save());
  const std::string moved = readFile(file);
  EXPECT_NE(moved, original);
  EXPECT_EQ(std::count(moved.begin(), moved.end(), '\n'), std::count(original.begin(), original.end(), '\n'));

  // Into the database as a version of its own, which opens by its name.
  ASSERT_TRUE(d.saveToDatabase("ETICHETTA_PROVA", "first"));
  ASSERT_TRUE(d.saveToDatabase("ETICHETTA_PROVA", "second"));
  DesignerWindow& stored = designer("ETICHETTA_PROVA");
  EXPECT_EQ(stored.document()->text(), moved);
  EXPECT_TRUE(stored.problems()->count() == 0);
}

TEST_F(Designer, SavedIntoAnotherFolderItsImagesAreStillFound) {
  const fs::path a = fs::path(folder_) / "a";
  const fs::path b = fs::path(folder_) / "b";
  fs::create_directories(a);
  fs::create_directories(b);
  fs::copy_file(fs::path(BRISKAL_DATA_FOLDER).parent_path() / "tests" / "golden" / "label_logo.png",
                a / "logo.png");
  std::ofstream(a / "label.rpt", std::ios::binary)
      << "page kind=label width=50 height=20\nsection name=D height=20\n  image x=1 y=1 w=10 h=10 "
         "file=\"logo.png\"\n";
  DesignerWindow& d = designer((a / "label.rpt").string());
  ASSERT_TRUE(d.saveAs(b / "label.rpt"));
  const hostkit::report::ReportTemplate saved = hostkit::report::loadTemplate(b / "label.rpt");
  EXPECT_EQ(std::get<hostkit::report::ImageItem>(saved.sections[0].items[0]).file, "../a/logo.png");
  EXPECT_EQ(readFile(a / "label.rpt").find("../a"), std::string::npos) << "the original stays as it was";
}

TEST_F(Designer, ATemplateTheParserRefusesListsEveryErrorAndNothingIsWrittenOver) {
  const fs::path file = fs::path(folder_) / "broken.rpt";
  const std::string broken =
      "page kind=label width=100 height=50\nsection name=D height=50\n"
      "  text x=1 y=1 w=20 h=5 value=\"a\" colour=red\n  box x=1 y=1 w=oops h=3\n  line x1=0 y1=0 x2=5 "
      "y2=0\n";
  std::ofstream(file, std::ios::binary) << broken;
  DesignerWindow& d = designer();
  const std::string before = d.document()->text();
  EXPECT_FALSE(d.open(file.string()));
  ASSERT_EQ(d.problems()->count(), 2);
  EXPECT_EQ(d.problems()->item(0)->text().toStdString(), "broken.rpt:3:35: unknown attribute 'colour'");
  EXPECT_EQ(d.problems()->item(1)->text().toStdString(), "broken.rpt:4:17: expected a number for 'w'");
  EXPECT_EQ(d.document()->text(), before) << "what was open stays open";
  EXPECT_EQ(readFile(file), broken);
}

TEST_F(Designer, AnOrderLineShowsItsLabelsAsTheyPrintAndAsTheLabelPrinterPrintsThem) {
  DesignerWindow& d =
      designer((fs::path(BRISKAL_DATA_FOLDER) / "reports" / "CRPD_BRISKLABPERS.rpt").string());
  const QImage captions = d.canvas()->grab().toImage();
  auto* lines = d.findChildren<QComboBox*>().front();
  ASSERT_GT(lines->count(), 1) << "the demo database's order lines";
  lines->setCurrentIndex(1);
  EXPECT_TRUE(d.canvas()->problem().isEmpty()) << d.canvas()->problem().toStdString();
  EXPECT_EQ(d.problems()->count(), 0);
  const QImage data = d.canvas()->grab().toImage();
  EXPECT_NE(data, captions);
  auto* labels = d.findChild<QSpinBox*>();
  ASSERT_NE(labels, nullptr);
  EXPECT_GE(labels->maximum(), 1);

  // The printer's view: the label printer's stream drawn back to its dots.
  QComboBox* printer = nullptr;
  for (QComboBox* combo : d.findChildren<QComboBox*>())
    if (combo->itemText(combo->count() - 1).endsWith("300 dpi")) printer = combo;
  ASSERT_NE(printer, nullptr);
  printer->setCurrentIndex(printer->count() - 1);
  EXPECT_TRUE(d.canvas()->problem().isEmpty()) << d.canvas()->problem().toStdString();
  EXPECT_NE(d.canvas()->grab().toImage(), data);
}

TEST_F(Designer, ASheetOfTheCatalogueGivesTheLabelItsSizeAndAnUnknownOneNamesTheClosest) {
  DesignerWindow& d = designer();
  QComboBox* stock = nullptr;
  for (QComboBox* combo : d.findChildren<QComboBox*>())
    if (combo->isEditable()) stock = combo;
  ASSERT_NE(stock, nullptr);
  const auto choose = [&](const QString& name) {
    stock->setCurrentText(name);
    emit stock->lineEdit()->editingFinished();
  };
  choose("avery l7163");
  const hostkit::report::PageSetup& page = d.document()->current().page;
  const hostkit::report::LabelStock& product = hostkit::report::labelStockCatalogue().get("Avery L7163");
  EXPECT_EQ(page.stock, product.name());
  EXPECT_DOUBLE_EQ(page.width, product.labelWidth);
  EXPECT_DOUBLE_EQ(page.height, product.labelHeight);
  const hostkit::report::ReportTemplate before = d.document()->current();
  choose("Avery L7136x");
  EXPECT_EQ(d.document()->current(), before);
  ASSERT_GE(d.problems()->count(), 1);
  EXPECT_NE(d.problems()->item(d.problems()->count() - 1)->text().indexOf("L71"), -1)
      << d.problems()->item(d.problems()->count() - 1)->text().toStdString();
}

}  // namespace
}  // namespace briskal::testing
