#include "hostkit/store/printer_profiles.h"

#include <span>

#include "common/convert.h"
#include "common/error.h"
#include "data/connection.h"
#include "hostkit/labelprinter/destination.h"
#include "hostkit/report/destination_kind.h"
#include "hostkit/report/print_failure.h"
#include "hostkit/store/host_tables.h"

namespace briskal::hostkit {
namespace {

using labelprinter::Media;

// Told in both languages: the desktop's profile dialog shows it in the session's.
[[noreturn]] void refuseSetting(std::string english, std::string italian,
                                std::vector<std::string> arguments = {},
                                int32_t number = err::kInvalidArgument) {
  throw report::PrintFailure(
      number, "briskal",
      report::FailureText().say(std::move(english), std::move(italian), std::move(arguments)));
}

// The host's tables have kept printer profiles since this version.
constexpr int32_t kProfilesSince = 4;

constexpr const char* kProfileColumns =
    "NAME, DESTINATION, LANGUAGE, DPI, MEDIA, GAP_MM, LABEL_WIDTH_MM, LABEL_HEIGHT_MM, DARKNESS, SPEED, "
    "OFFSET_X_MM, OFFSET_Y_MM, CHECK_STATUS, CHANGED_BY, CHANGED_UTC";

std::optional<int> optionalInt(const Value& v) {
  if (v.isNull()) return std::nullopt;
  return static_cast<int>(storedNumber(v));
}

double storedMm(const Value& v) { return v.isNull() ? 0 : toDouble(v, RegionalSettings::english()); }

PrinterProfile profileOf(const Value* c) {
  PrinterProfile p;
  p.name = storedText(c[0]);
  p.destination = storedText(c[1]);
  p.settings.language = labelprinter::languageFromName(storedText(c[2]));
  p.settings.dpi = optionalInt(c[3]);
  p.settings.media = labelprinter::mediaFromName(storedText(c[4])).value_or(Media::Gap);
  p.settings.gapMm = storedMm(c[5]);
  if (!c[6].isNull() && !c[7].isNull())
    p.settings.labelSize = labelprinter::LabelSize{storedMm(c[6]), storedMm(c[7])};
  p.settings.darkness = optionalInt(c[8]);
  p.settings.speed = optionalInt(c[9]);
  p.settings.offsetXMm = storedMm(c[10]);
  p.settings.offsetYMm = storedMm(c[11]);
  p.settings.checkStatus = storedNumber(c[12]) != 0;
  p.settings.name = p.name;
  p.changedBy = storedText(c[13]);
  p.changedUtc = storedText(c[14]);
  return p;
}

Value optionalValue(const std::optional<int>& v) { return v ? Value(int32_t{*v}) : Value::null(); }

// The stored values, in the order of the columns after the name, then the company and the name.
std::vector<Value> rowOf(const PrinterProfile& p, const std::string& user, const Value& company) {
  const labelprinter::PrinterSettings& s = p.settings;
  return {Value(p.destination),
          Value(s.language ? std::string(labelprinter::languageName(*s.language)) : std::string()),
          optionalValue(s.dpi),
          Value(std::string(labelprinter::mediaName(s.media))),
          Value(s.gapMm),
          s.labelSize ? Value(s.labelSize->widthMm) : Value::null(),
          s.labelSize ? Value(s.labelSize->heightMm) : Value::null(),
          optionalValue(s.darkness),
          optionalValue(s.speed),
          Value(s.offsetXMm),
          Value(s.offsetYMm),
          Value(int32_t{s.checkStatus ? 1 : 0}),
          Value(user),
          Value(nowUtc()),
          company,
          Value(p.name)};
}

// Refuses a name the company keeps no profile of.
void requireKept(PrinterProfiles& profiles, const std::string& name) {
  if (!profiles.find(name))
    refuseSetting("There is no printer profile %1", "Non esiste un profilo di stampante %1", {name},
                  err::kItemNotFound);
}

}  // namespace

void checkProfile(const PrinterProfile& p) {
  bool control = false;
  for (const char c : p.name) control = control || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
  if (p.name.empty() || p.name.size() > 40 || control)
    refuseSetting("A printer profile's name has 1 to 40 characters, none of them a control character",
                  "Il nome di un profilo di stampante ha da 1 a 40 caratteri, nessuno di controllo");
  if (report::destinationKind(p.name) != report::DestinationKind::Printer)
    refuseSetting("A printer profile's name is neither an address nor a file's name: %1",
                  "Il nome di un profilo di stampante non è né un indirizzo né il nome di un file: %1",
                  {p.name});
  if (report::destinationKind(p.destination) != report::DestinationKind::LabelPrinter)
    refuseSetting(
        "A printer profile is for a label printer: tcp://HOST[:PORT], ipp://HOST[:PORT]/PATH, "
        "ipps://... or cups:QUEUE, not \"%1\"",
        "Un profilo di stampante è per una stampante di etichette: tcp://HOST[:PORTA], "
        "ipp://HOST[:PORTA]/PERCORSO, ipps://... o cups:CODA, non \"%1\"",
        {p.destination});
  labelprinter::checkDestination(p.destination);
  checkPrinterSettings(p.settings);
}

void checkPrinterSettings(const labelprinter::PrinterSettings& s) {
  if (s.dpi && *s.dpi != 152 && *s.dpi != 203 && *s.dpi != 300 && *s.dpi != 600)
    refuseSetting("A label printer prints at 152, 203, 300 or 600 dpi, not %1",
                  "Una stampante di etichette stampa a 152, 203, 300 o 600 dpi, non %1",
                  {std::to_string(*s.dpi)});
  if (s.darkness && (*s.darkness < 0 || *s.darkness > 30))
    refuseSetting("A label printer's darkness is 0 to 30, not %1",
                  "L'intensità di una stampante di etichette va da 0 a 30, non %1",
                  {std::to_string(*s.darkness)});
  if (s.speed && (*s.speed < 1 || *s.speed > 14))
    refuseSetting("A label printer's speed is 1 to 14 inches a second, not %1",
                  "La velocità di una stampante di etichette va da 1 a 14 pollici al secondo, non %1",
                  {std::to_string(*s.speed)});
  if (!(s.gapMm >= 0 && s.gapMm <= 30))
    refuseSetting("The gap or mark between labels is 0 to 30 mm, not %1",
                  "Lo spazio o la tacca tra le etichette va da 0 a 30 mm, non %1",
                  {labelprinter::millimetresText(s.gapMm)});
  if (s.labelSize && !(s.labelSize->widthMm >= 5 && s.labelSize->widthMm <= 300 &&
                       s.labelSize->heightMm >= 5 && s.labelSize->heightMm <= 1000))
    refuseSetting("A label is 5 to 300 mm wide and 5 to 1000 mm long, not %1 x %2 mm",
                  "Un'etichetta è larga da 5 a 300 mm e lunga da 5 a 1000 mm, non %1 x %2 mm",
                  {labelprinter::millimetresText(s.labelSize->widthMm),
                   labelprinter::millimetresText(s.labelSize->heightMm)});
  const double width = s.labelSize ? s.labelSize->widthMm : 300;
  const double height = s.labelSize ? s.labelSize->heightMm : 1000;
  if (!(s.offsetXMm >= 0 && s.offsetYMm >= 0 && s.offsetXMm < width && s.offsetYMm < height))
    refuseSetting(
        "The offsets %1, %2 mm are not within the label (%3 x %4 mm): they move it right and down",
        "Gli spostamenti %1, %2 mm non sono entro l'etichetta (%3 x %4 mm): la spostano a destra e in basso",
        {labelprinter::millimetresText(s.offsetXMm), labelprinter::millimetresText(s.offsetYMm),
         labelprinter::millimetresText(width), labelprinter::millimetresText(height)});
}

PrinterProfiles::PrinterProfiles(data::Connection& connection, Value company)
    : connection_(connection), company_(std::move(company)) {}

std::vector<PrinterProfile> PrinterProfiles::list() {
  if (hostTablesVersion(connection_) < kProfilesSince) return {};
  const data::StatementResult r = connection_.execute(
      std::string("SELECT ") + kProfileColumns + " FROM BRISKAL_PRINTERS WHERE COMPANY = ? ORDER BY NAME",
      std::span(&company_, 1));
  std::vector<PrinterProfile> out;
  for (size_t row = 0; r.rows && row < r.rows->rowCount; ++row)
    out.push_back(profileOf(&r.rows->cells[row * r.rows->columns.size()]));
  return out;
}

std::optional<PrinterProfile> PrinterProfiles::find(const std::string& name) {
  if (hostTablesVersion(connection_) < kProfilesSince) return std::nullopt;
  const std::vector<Value> key{company_, Value(name)};
  const data::StatementResult r = connection_.execute(
      std::string("SELECT ") + kProfileColumns + " FROM BRISKAL_PRINTERS WHERE COMPANY = ? AND NAME = ?",
      key);
  if (!r.rows || r.rows->rowCount == 0) return std::nullopt;
  return profileOf(r.rows->cells.data());
}

void PrinterProfiles::add(const PrinterProfile& profile, const std::string& user) {
  checkProfile(profile);
  ensureHostTables(connection_);
  data::Transaction adding(connection_);
  if (find(profile.name))
    refuseSetting("There is a printer profile %1 already", "Esiste già un profilo di stampante %1",
                  {profile.name});
  const std::vector<Value> row = rowOf(profile, user, company_);
  connection_.execute(
      "INSERT INTO BRISKAL_PRINTERS (DESTINATION, LANGUAGE, DPI, MEDIA, GAP_MM, LABEL_WIDTH_MM, "
      "LABEL_HEIGHT_MM, DARKNESS, SPEED, OFFSET_X_MM, OFFSET_Y_MM, CHECK_STATUS, CHANGED_BY, CHANGED_UTC, "
      "COMPANY, NAME) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
      row);
  adding.commit();
}

void PrinterProfiles::update(const PrinterProfile& profile, const std::string& user) {
  checkProfile(profile);
  data::Transaction updating(connection_);
  requireKept(*this, profile.name);
  const std::vector<Value> row = rowOf(profile, user, company_);
  connection_.execute(
      "UPDATE BRISKAL_PRINTERS SET DESTINATION = ?, LANGUAGE = ?, DPI = ?, MEDIA = ?, GAP_MM = ?, "
      "LABEL_WIDTH_MM = ?, LABEL_HEIGHT_MM = ?, DARKNESS = ?, SPEED = ?, OFFSET_X_MM = ?, OFFSET_Y_MM = ?, "
      "CHECK_STATUS = ?, CHANGED_BY = ?, CHANGED_UTC = ? WHERE COMPANY = ? AND NAME = ?",
      row);
  updating.commit();
}

void PrinterProfiles::remove(const std::string& name) {
  data::Transaction removing(connection_);
  requireKept(*this, name);
  const std::vector<Value> key{company_, Value(name)};
  connection_.execute("DELETE FROM BRISKAL_PRINTERS WHERE COMPANY = ? AND NAME = ?", key);
  removing.commit();
}

}  // namespace briskal::hostkit
