// briskal-desktop: the desktop host. A main window opens the label component from its menu; its
// forms, message boxes and search lists are on screen. Every print run opens in a print preview,
// from where the operator prints it or saves it.

#include <CLI/CLI.hpp>
#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <iostream>

#include "data/connection.h"
#include "hostkit/demo/demo_database.h"
#include "hostkit/messages/message_catalogue.h"
#include "hostkit/qt/host_window.h"
#include "hostkit/qt/screen_texts.h"
#include "hostkit/report/destination_kind.h"
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
  int64_t confirmAbove = 1000;
  std::string design;  // a template to open in the label designer in place of the component
};

// A database that is not there is offered as the demo database; false when the user declines or
// the database cannot be used.
bool databaseReady(const DesktopOptions& o, const hostkit::qt::ScreenTexts& texts) {
  const hostkit::DatabaseCheck check = hostkit::checkDatabase(o.db, true);
  if (check.verdict == hostkit::DatabaseCheck::Verdict::Usable) return true;
  const QString file = QString::fromStdString(check.file.empty() ? o.db : check.file);
  if (check.verdict != hostkit::DatabaseCheck::Verdict::Missing) {
    QMessageBox::critical(nullptr, "briskal",
                          texts("Il database %1 non è un database di ordini di lavoro.").arg(file));
    return false;
  }
  const QString question =
      texts("Il database %1 non esiste.\nCreare qui il database dimostrativo?").arg(file);
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
  CLI::App app{"briskal-desktop: labels for production work-order lines, on the desktop", "briskal-desktop"};
  app.add_option("--db", o.db,
                 "The database: a file's path or Data Source=FILE (embedded), or Driver=...;... or DSN=... "
                 "(ODBC)")
      ->type_name("CONNECTION")
      ->capture_default_str();
  app.add_option("--company", o.company, "Company code")->type_name("N")->capture_default_str();
  app.add_option("--user", o.user, "User code")->type_name("CODE")->capture_default_str();
  app.add_option("--locale", o.locale, "Regional settings and message language")
      ->check(CLI::IsMember({"it", "en"}))
      ->capture_default_str();
  app.add_option("--out", o.out,
                 "Where the print preview's Save starts (a .pdf or .png file), or the CUPS printer its Print "
                 "proposes")
      ->type_name("FILE|PRINTER")
      ->capture_default_str();
  app.add_option(
         "--label-printer", o.labelPrinter,
         "Where label-printer jobs go: a printer profile's name (briskal printers), FILE.epl, FILE.zpl, "
         "ipp://HOST[:PORT]/PATH, tcp://HOST[:PORT] or cups:QUEUE (EPL2 at 203 dpi unless the profile, "
         "the printer or the file says otherwise)")
      ->type_name("PROFILE|DESTINATION")
      ->capture_default_str()
      ->check(CLI::Validator(
          [](const std::string& destination) {
            const auto kind = hostkit::report::destinationKind(destination);
            return hostkit::report::takesLabelJobs(kind) || kind == hostkit::report::DestinationKind::Printer
                       ? std::string()
                       : destination +
                             ": not a label printer (a profile, FILE.epl, FILE.zpl, ipp://, tcp:// or "
                             "cups:QUEUE)";
          },
          "", "label printer"));
  app.add_option("--confirm-above", o.confirmAbove, "A print run of more labels asks first (0: never asks)")
      ->type_name("LABELS")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  app.add_option("--design", o.design,
                 "Open the label designer with a template file, or a template the database keeps by name")
      ->type_name("FILE|NAME");
  CLI11_PARSE(app, argc, argv);

  QApplication qt(argc, argv);
  QApplication::setApplicationName("briskal");
  try {
    const hostkit::MessageCatalogue catalogue =
        hostkit::MessageCatalogue::load(hostkit::defaultDataFolder() / "messages" / (o.locale + ".tsv"));
    if (!databaseReady(o, hostkit::qt::ScreenTexts(&catalogue))) return 1;
    hostkit::SessionOptions options;
    options.settings.connectionString = o.db;
    options.settings.company = Value(int32_t{o.company});
    options.settings.userCode = o.user;
    options.settings.regional = RegionalSettings::byName(o.locale);
    options.settings.confirmLabelsAbove = o.confirmAbove;
    options.locale = o.locale;
    options.dataFolder = hostkit::defaultDataFolder();
    options.component = hostkit::defaultComponentPath();
    options.logFile = std::filesystem::temp_directory_path() / "briskal" / "briskal.log";
    options.report.destination = o.out;
    options.labelPrinter = o.labelPrinter;
    hostkit::qt::HostWindow window(std::move(options), true);
    // On a screen with little room beyond the window's size it opens maximised: no edge, status bar
    // included, falls off the screen.
    const QRect screen = window.screen()->availableGeometry();
    if (window.width() > screen.width() * 9 / 10 || window.height() > screen.height() * 9 / 10)
      window.showMaximized();
    else window.show();
    if (o.design.empty()) window.openComponent();
    else window.openDesigner(o.design);
    return QApplication::exec();
  } catch (const Error& e) {
    QMessageBox::critical(nullptr, "briskal", QString::fromStdString(e.description()));
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, "briskal", QString::fromStdString(e.what()));
  }
  return 1;
}
