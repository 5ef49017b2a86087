// briskal-desktop: the desktop host. A main window opens the label component from its menu; its
// forms, message boxes and search lists are on screen.

#include <CLI/CLI.hpp>
#include <QApplication>
#include <QMessageBox>
#include <iostream>

#include "data/connection.h"
#include "hostkit/demo/demo_database.h"
#include "hostkit/qt/host_window.h"
#include "hostkit/session/database_check.h"

namespace {

using namespace briskal;

struct DesktopOptions {
  std::string db = "Data Source=briskal.db";
  int company = 1;
  std::string user = "admin";
  std::string locale = "it";
  std::string out = "briskal-labels.pdf";
  std::string labelPrinter = "briskal-labels.epl";
};

// A database that is not there is offered as the demo database; false when the user declines or
// the database cannot be used.
bool databaseReady(const DesktopOptions& o) {
  const hostkit::DatabaseCheck check = hostkit::checkDatabase(o.db, true);
  if (check.verdict == hostkit::DatabaseCheck::Verdict::Usable) return true;
  if (check.verdict != hostkit::DatabaseCheck::Verdict::Missing) {
    QMessageBox::critical(nullptr, "briskal",
                          QString::fromStdString("The database " + (check.file.empty() ? o.db : check.file) +
                                                 " cannot be used: it is no work-order database."));
    return false;
  }
  const QString question =
      QString::fromStdString("There is no database " + check.file + ".\nCreate the demo database there?");
  if (QMessageBox::question(nullptr, "briskal", question, QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::Yes) != QMessageBox::Yes)
    return false;
  data::Connection cn;
  cn.setConnectionString(o.db);
  cn.open();
  hostkit::createDemoDatabase(cn, {2000, 1});
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  DesktopOptions o;
  CLI::App app{"briskal-desktop: labels for production work-order lines, on the desktop"};
  app.add_option("--db", o.db, "Connection string: Data Source=FILE (embedded) or Driver=...;... (ODBC)")
      ->capture_default_str();
  app.add_option("--company", o.company, "Company code")->capture_default_str();
  app.add_option("--user", o.user, "User code")->capture_default_str();
  app.add_option("--locale", o.locale, "Regional settings and message language")
      ->check(CLI::IsMember({"it", "en"}))
      ->capture_default_str();
  app.add_option("--out", o.out, "Where printed labels go: a .pdf or .png file, or a CUPS printer")
      ->capture_default_str();
  app.add_option("--label-printer", o.labelPrinter,
                 "Where label-printer jobs go: FILE.epl, tcp://HOST:PORT or cups:QUEUE")
      ->capture_default_str();
  CLI11_PARSE(app, argc, argv);

  QApplication qt(argc, argv);
  QApplication::setApplicationName("briskal");
  try {
    if (!databaseReady(o)) return 1;
    hostkit::SessionOptions options;
    options.settings.connectionString = o.db;
    options.settings.company = Value(int32_t{o.company});
    options.settings.userCode = o.user;
    options.settings.regional = RegionalSettings::byName(o.locale);
    options.locale = o.locale;
    options.dataFolder = hostkit::defaultDataFolder();
    options.component = hostkit::defaultComponentPath();
    options.logFile = std::filesystem::temp_directory_path() / "briskal" / "briskal.log";
    options.report.destination = o.out;
    options.labelPrinter = o.labelPrinter;
    hostkit::qt::HostWindow window(std::move(options), true);
    window.show();
    window.openComponent();
    return QApplication::exec();
  } catch (const Error& e) {
    QMessageBox::critical(nullptr, "briskal", QString::fromStdString(e.description()));
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, "briskal", QString::fromStdString(e.what()));
  }
  return 1;
}
