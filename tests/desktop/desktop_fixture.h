#pragma once
// The desktop host on the component suites' small demo database, offscreen, with the component loaded: what
// the desktop tests drive through real widgets, as a person would with mouse and keyboard. Each test
// keeps its window settings in a folder of its own.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "hostkit/qt/host_window.h"
#include "hostkit/qt/qt_form_window.h"

namespace briskal::testing {

// The filter table's row of a field.
int filterRow(QTableWidget& table, const QString& caption);
// Lets the application run until `condition` holds; false when it does not within a few seconds.
bool eventually(const std::function<bool()>& condition);
// The column of a grid with that title; fails the test, giving 0, when there is none.
int columnTitled(QTableView& view, const QString& title);
// Types into a cell as a person does: starts editing it, types, presses Enter.
void typeInCell(QTableWidget& table, int row, int column, const QString& text);

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The host window with the parameter form open; `answers` replies to the component's questions.
  void open(hostkit::AnswerPolicy answers = hostkit::AnswerPolicy::yes());
  hostkit::qt::HostWindow& window() { return *window_; }
  hostkit::qt::QtFormWindow& form(std::string_view name);
  // The widget of a form's layout by its object name; fails the test when there is none.
  template <typename T>
  T* widget(std::string_view formName, const char* name) {
    T* found = form(formName).root()->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << formName << " has no " << name;
    return found;
  }
  QTableWidget& filter() { return *widget<QTableWidget>("FRMPD_BRISKAL", "KVX_ADVQ"); }
  // The work orders numbered 1 and 2, through to the selection form; `caption` is the order
  // number's row as the screen shows it. Standard labels or the customisable ones, as many a line
  // as the form proposes or `labelsPerLine`.
  void selectFirstOrders(const QString& caption = "Numero doc.", bool customLabels = false,
                         int labelsPerLine = 0);
  // Clicks a button as a person does, then lets the window process what followed.
  void click(std::string_view formName, const char* button);
  // Runs `driver` on a modal form once it is on screen, then lets show() return.
  void whenModal(std::string_view formName, std::function<void(hostkit::qt::QtFormWindow&)> driver);
  // Runs `driver` on the host's next modal dialog, named `name`, once it is on screen; a dialog the
  // driver leaves open fails the test and is cancelled.
  void whenDialog(const char* name, std::function<void(QDialog&)> driver);
  // Presses a print preview's action as a person does.
  static void trigger(QWidget& window, const char* action);
  // Saves the newest preview's pages through its save dialog, naming `file`.
  void saveFromPreview(const char* action, const std::filesystem::path& file);

  std::string locale_ = "it";   // the language of the sessions open() starts
  std::string user_ = "admin";  // the user of the sessions open() starts
  std::string folder_;
  std::vector<std::string> errors_;  // what the host would have shown in a message box
  std::unique_ptr<hostkit::qt::HostWindow> window_;

  // Where the label-printer jobs of the sessions open() starts go: labels.epl in the test's folder
  // unless the test says otherwise first.
  std::string labelPrinter_;
};

}  // namespace briskal::testing
