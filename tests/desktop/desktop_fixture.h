#pragma once
// The desktop host on the component suites' small demo database, offscreen, with the component loaded: what
// the desktop tests drive through real widgets, as a person would with mouse and keyboard.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "hostkit/qt/host_window.h"
#include "hostkit/qt/qt_form_window.h"

namespace briskal::testing {

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
  // Clicks a button as a person does, then lets the window process what followed.
  void click(std::string_view formName, const char* button);
  // Runs `driver` on a modal form once it is on screen, then lets show() return.
  void whenModal(std::string_view formName, std::function<void(hostkit::qt::QtFormWindow&)> driver);

  std::string locale_ = "it";  // the language of the sessions open() starts
  std::string folder_;
  std::vector<std::string> errors_;  // what the host would have shown in a message box
  std::unique_ptr<hostkit::qt::HostWindow> window_;
};

}  // namespace briskal::testing
