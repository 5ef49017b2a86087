// Sending customisable labels to the label printer, from the print preview and from the selection
// form's label-printer button: the operator is asked first, with the labels and where they go, and
// No sends nothing; what was sent and where is told in a box over the window they look at, and so
// is a failure, in the session's language with the system's own words kept.

#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <cstring>
#include <filesystem>

#include "desktop/desktop_fixture.h"
#include "support/files.h"
#include "support/process.h"

namespace briskal::testing {
namespace {

namespace fs = std::filesystem;

// The labels of an EPL2 job: each ends with its print command.
size_t eplLabels(const std::string& job) {
  size_t labels = 0;
  for (size_t at = job.find("\nP1\n"); at != std::string::npos; at = job.find("\nP1\n", at + 1)) ++labels;
  return labels;
}

// Answers the message boxes an action shows, in order, as a person would; a box nobody expected
// fails the test and is closed, so that nothing waits for an answer that never comes.
class BoxAnswers {
 public:
  struct Step {
    QString box;                                   // its object name
    std::function<void(QMessageBox& box)> answer;  // must close it
  };

  explicit BoxAnswers(std::vector<Step> steps) : steps_(std::move(steps)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { answerShownBox(); });
    timer_.start(1);
  }
  ~BoxAnswers() { EXPECT_EQ(answered_, steps_.size()) << "a box the action should have shown did not show"; }
  BoxAnswers(const BoxAnswers&) = delete;
  BoxAnswers& operator=(const BoxAnswers&) = delete;

  // Presses the box's button that reads `label`.
  static void press(QMessageBox& box, const QString& label) {
    for (QAbstractButton* button : box.buttons()) {
      if (button->text() != label) continue;
      button->click();
      return;
    }
    ADD_FAILURE() << "no button " << label.toStdString() << " on " << box.text().toStdString();
    box.reject();
  }

 private:
  void answerShownBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    if (answered_ == steps_.size() || box->objectName() != steps_[answered_].box) {
      ADD_FAILURE() << "unexpected box " << box->objectName().toStdString() << ": "
                    << box->text().toStdString();
      box->reject();
      return;
    }
    steps_[answered_++].answer(*box);
  }

  std::vector<Step> steps_;
  size_t answered_ = 0;
  QTimer timer_;
};

// The process works in `folder` for as long as it lives.
class WorkingFolder {
 public:
  explicit WorkingFolder(const fs::path& folder) : before_(fs::current_path()) { fs::current_path(folder); }
  ~WorkingFolder() { fs::current_path(before_); }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

 private:
  fs::path before_;
};

class Sending : public DesktopTest {
 protected:
  // The first orders as customisable labels, three a line, on the selection form.
  void selectLabels() {
    open();
    selectFirstOrders(locale_ == "en" ? "Doc. number" : "Numero doc.", true, 3);
    ASSERT_NE(window().formWindow("FRMPD_MODSELEZ"), nullptr) << firstError();
  }
  // The selection form's labels in a print preview.
  hostkit::qt::PrintPreview* previewOfLabels() {
    selectLabels();
    whenDialog("PrintSettings", [](QDialog& options) { options.accept(); });
    click("FRMPD_MODSELEZ", "CmdExec");
    return window().preview();
  }
  int gridRows() { return widget<QTableView>("FRMPD_MODSELEZ", "KVX_QGRIDWRAPPER1")->model()->rowCount(); }
  std::string firstError() const { return errors_.empty() ? "" : errors_.front(); }
  fs::path labelFile() const { return folder_ + "/labels.epl"; }
};

TEST_F(Sending, ThePreviewAsksFirstAndTellsOverItselfWhatWentWhere) {
  hostkit::qt::PrintPreview* preview = previewOfLabels();
  ASSERT_NE(preview, nullptr) << firstError();
  const size_t labels = preview->report().pages.size();
  ASSERT_GT(labels, 1u);
  const QString destination = "Destinazione: " + QString::fromStdString(labelFile().string());
  {
    const BoxAnswers answers(
        {{"ConfirmLabelJob", [&](QMessageBox& box) {
            EXPECT_EQ(
                box.text(),
                QString("Inviare %1 etichette alla stampante di etichette?\n\n").arg(labels) + destination);
            EXPECT_EQ(box.parentWidget(), preview);
            BoxAnswers::press(box, "&No");
          }}});
    trigger(*preview, "SendToLabelPrinter");
  }
  EXPECT_FALSE(fs::exists(labelFile())) << "No sends nothing";
  EXPECT_TRUE(window().session().deliveries().empty());

  {
    const BoxAnswers answers(
        {{"ConfirmLabelJob", [](QMessageBox& box) { BoxAnswers::press(box, "&Sì"); }},
         {"LabelJobSent", [&](QMessageBox& box) {
            EXPECT_EQ(
                box.text(),
                QString("Inviate %1 etichette alla stampante di etichette.\n\n").arg(labels) + destination);
            EXPECT_EQ(box.parentWidget(), preview) << "over the preview";
            BoxAnswers::press(box, "OK");
          }}});
    trigger(*preview, "SendToLabelPrinter");
  }
  const std::string job = readFile(labelFile());
  EXPECT_TRUE(job.starts_with("\nI8,A,001\nN\nq")) << job.substr(0, 40);
  EXPECT_EQ(eplLabels(job), labels) << "one label a page";
  ASSERT_EQ(window().session().deliveries().size(), 1u);
  EXPECT_EQ(window().session().deliveries()[0].labels, static_cast<int64_t>(labels));
  EXPECT_TRUE(errors_.empty()) << firstError();
}

// A label file the session was given relative to the working folder is told by its full path.
TEST_F(Sending, TheSelectionFormsLabelPrinterButtonAsksFirstAndTellsTheFullPath) {
  const WorkingFolder working(folder_);
  labelPrinter_ = "roll.epl";
  locale_ = "en";
  selectLabels();
  const int labels = gridRows();
  ASSERT_GT(labels, 1);
  const QString destination =
      "Destination: " + QString::fromStdString((fs::path(folder_) / "roll.epl").string());
  {
    const BoxAnswers answers({{"ConfirmLabelJob", [&](QMessageBox& box) {
                                 EXPECT_EQ(box.text(),
                                           QString("Send %1 labels to the label printer?\n\n").arg(labels) +
                                               destination);
                                 EXPECT_EQ(box.parentWidget(), &window());
                                 QTest::keyClick(&box, Qt::Key_Escape);
                               }}});
    click("FRMPD_MODSELEZ", "CMD_EPL");
  }
  EXPECT_FALSE(fs::exists(folder_ + "/roll.epl")) << "No sends nothing";
  EXPECT_TRUE(window().session().loggedErrors().empty()) << "and is no error";

  {
    const BoxAnswers answers(
        {{"ConfirmLabelJob", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }},
         {"LabelJobSent", [&](QMessageBox& box) {
            EXPECT_EQ(box.text(),
                      QString("%1 labels sent to the label printer.\n\n").arg(labels) + destination);
            BoxAnswers::press(box, "OK");
          }}});
    click("FRMPD_MODSELEZ", "CMD_EPL");
  }
  EXPECT_EQ(eplLabels(readFile(folder_ + "/roll.epl")), static_cast<size_t>(labels));
  EXPECT_TRUE(window().session().loggedErrors().empty());
  EXPECT_TRUE(errors_.empty()) << firstError();
}

// The failure box is in the session's language; the socket's own words stay as the system gave
// them, and the component's log keeps the error as well.
TEST_F(Sending, ALabelPrinterThatRefusesIsToldInTheSessionsLanguage) {
  const RefusingLoopbackPort closed;
  const std::string address = "127.0.0.1:" + std::to_string(closed.port());
  labelPrinter_ = "tcp://" + address;
  const std::string refused = std::strerror(ECONNREFUSED);
  const std::pair<std::string, std::string> sessions[] = {
      {"it",
       "Le etichette non sono state inviate alla stampante di etichette.\nImpossibile collegarsi alla "
       "stampante di etichette " +
           address + ": " + refused},
      {"en", "The labels were not sent to the label printer.\nCannot connect to the label printer " +
                 address + ": " + refused},
  };
  for (const auto& [locale, told] : sessions) {
    window_.reset();
    errors_.clear();
    locale_ = locale;
    selectLabels();
    {
      const BoxAnswers answers(
          {{"ConfirmLabelJob", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }}});
      click("FRMPD_MODSELEZ", "CMD_EPL");
    }
    EXPECT_EQ(errors_, std::vector<std::string>{told}) << locale;
    ASSERT_EQ(window().session().loggedErrors().size(), 1u) << locale;
    EXPECT_NE(window().session().loggedErrors()[0].find("Cannot connect to the label printer " + address),
              std::string::npos)
        << window().session().loggedErrors()[0];
    EXPECT_TRUE(window().session().deliveries().empty());
  }
}

}  // namespace
}  // namespace briskal::testing
