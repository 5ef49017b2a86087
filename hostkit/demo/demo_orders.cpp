#include "hostkit/demo/demo_orders.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "hostkit/demo/demo_catalogue.h"
#include "hostkit/demo/table_inserter.h"

namespace briskal::hostkit {
namespace {

constexpr int kYearDays = 365;
constexpr int kCustomerOrder = 15;
constexpr int kWorkOrder = 24;
constexpr int kSubcontractOut = 25;  // our material worked by a supplier
constexpr int kSubcontractIn = 21;   // a customer's material worked by us
constexpr int kCustomerKind = 0;
constexpr int kSupplierKind = 1;
constexpr int kDocumentStates = 7;
constexpr int kLineStates = 8;
constexpr int kDocumentAttributes = 19;
constexpr size_t kRowsHeld = 1000;

struct CustomerOrder {
  std::string registration;
  std::string_view section;
  int number = 0;
  std::string customerReference;  // the customer's own order number; empty when not given
};

struct ProjectRef {
  const DemoProject* project = nullptr;
  int subProject = 0;
  int node = 0;  // 0: no node
  const DemoJob* job = nullptr;
  int subJob = 0;
};

struct Order {
  int type = 0;
  std::string registration;
  int day = 0;
  int partnerKind = -1;  // -1: no customer or supplier
  int partner = 0;
  std::optional<CustomerOrder> customerOrder;
  std::optional<ProjectRef> projectRef;
};

enum class Delivery { None, Partial, Full };

int dayAfter(int day, int days) { return std::clamp(day + days, 0, kYearDays - 1); }

// A line's quantity in thousandths of its first unit.
int64_t drawQuantity(DemoRandom& random, QuantityKind kind) {
  if (kind == QuantityKind::Pieces) {
    switch (random.weighted({40, 40, 15, 5})) {
      case 0: return random.between(1, 10) * 1000LL;
      case 1: return random.between(2, 20) * 5000LL;
      case 2: return random.between(2, 20) * 50000LL;
      default: return random.between(4, 20) * 250000LL;
    }
  }
  // Metres and kilograms come with decimals, a few in the small odd amounts labels must split.
  static constexpr std::array<int64_t, 3> kOddQuantities = {400, 3700, 12500};
  if (random.percent(10)) return random.pick(std::span<const int64_t>(kOddQuantities));
  if (kind == QuantityKind::Metres) return random.between(5, 1200) * 100LL;
  if (random.percent(30)) return random.between(100, 50000);
  const int64_t kilograms = random.between(50, 2500);
  return kilograms * 1000 + random.between(0, 999);
}

// The smallest step a delivery is posted in, in thousandths.
int64_t deliveryStep(QuantityKind kind) {
  switch (kind) {
    case QuantityKind::Pieces: return 1000;
    case QuantityKind::Metres: return 100;
    case QuantityKind::Kilograms: return 1;
  }
  return 1;
}

std::string drawCustomerReference(DemoRandom& random) {
  const size_t format = random.weighted({35, 25, 25, 15});
  const int number = random.between(1, 9999);
  switch (format) {
    case 0: return fmt::format("OA 26/{}", number);
    case 1: return fmt::format("PO{:06}", number * 37);
    case 2: return fmt::format("Ord. {}/2026", number);
    default: return fmt::format("{}/A", number);
  }
}

std::string drawCustomerItemCode(DemoRandom& random) {
  const size_t format = random.weighted({40, 35, 25});
  const int number = random.between(1, 99999);
  switch (format) {
    case 0: return fmt::format("{:06}", number * 7);
    case 1: return fmt::format("P/N {:05}-{}", number, static_cast<char>('A' + number % 4));
    default: return fmt::format("CL{:04}.{:02}", number % 10000, number % 97);
  }
}

class OrderWriter {
 public:
  OrderWriter(data::Connection& connection, DemoRandom& random, DemoSummary& summary);

  void writeOrder(const DemoCompany& company, int type, int day, int lineCount);
  // Sends the rows still held.
  void finish();

 private:
  std::string nextRegistration();
  int nextNumber(int company, int type, std::string_view section);
  CustomerOrder writeCustomerOrder(const DemoCompany& company, int customer, int day);
  std::optional<ProjectRef> drawProjectRef(const DemoCompany& company);
  void writeLine(const Order& order, const DemoItem& item, int line);
  void writeReferences(const Order& order, int line);
  void writeCycle(const Order& order, const DemoItem& item, int line);
  std::string_view drawMachine(std::string_view department);

  DemoRandom& random_;
  DemoSummary& summary_;
  TableInserter headers_;
  TableInserter lines_;
  TableInserter deliveries_;
  TableInserter references_;
  TableInserter projects_;
  TableInserter cycle_;
  TableInserter states_;
  TableInserter attributes_;
  std::vector<Value> days_;
  std::map<std::tuple<int, int, std::string_view>, int> numbers_;
  int registrations_ = 0;
};

OrderWriter::OrderWriter(data::Connection& connection, DemoRandom& random, DemoSummary& summary)
    : random_(random),
      summary_(summary),
      headers_(
          connection, "DO11_TESTATE",
          {"DO11_GUID", "DO11_DITTA_CG18", "DO11_NUMREG_CO99", "DO11_TIPODOC", "DO11_SEZDOC", "DO11_NUMDOC",
           "DO11_DATADOC", "DO11_DATAREG", "DO11_TIPOCF_CG44", "DO11_CLIFOR_CG44", "DO11_CODREP_PD07"},
          kRowsHeld),
      lines_(connection, "DO30_RIGHE",
             {"DO30_GUID",    "DO30_NUMREG_CO99", "DO30_PROGRIGA",   "DO30_CODART_MG66", "DO30_OPZIONE_MG5E",
              "DO30_DESCART", "DO30_CODDEP_MG58", "DO30_UM1",        "DO30_QTA1",        "DO30_UM2",
              "DO30_QTA2",    "DO30_PZCONF",      "DO30_UMPESO",     "DO30_PESON",       "DO30_PESOL",
              "DO30_TARA",    "DO30_UMCAPAC",     "DO30_CAPACITA",   "DO30_UMVOLUME",    "DO30_VOLUME",
              "DO30_BASE",    "DO30_ALTEZZA",     "DO30_PROFONDITA", "DO30_CODARTCLI"},
             kRowsHeld),
      deliveries_(connection, "DO31_CONSEGNE",
                  {"DO31_NUMREG_CO99", "DO31_PROGRIGA", "DO31_DATACONS", "DO31_DATACONSINT", "DO31_QTA1CONS",
                   "DO31_QTA2CONS", "DO31_QTA1RES", "DO31_QTA2RES", "DO31_FLGNONPIUEV"},
                  kRowsHeld),
      references_(connection, "DO33_RIFORDCLI",
                  {"DO33_NUMREG_CO99", "DO33_PROGRIGA", "DO33_NUMREGRIF_CO99", "DO33_PROGRIGARIF_DO30",
                   "DO33_NUMNSDOC", "DO33_SEZNSDOC", "DO33_NUMVSDOC"},
                  kRowsHeld),
      projects_(connection, "DO41_PROGCOMM",
                {"DO41_NUMREG_CO99", "DO41_PROGRIGA", "DO41_CODPROGETTO", "DO41_CODSPROGETTO",
                 "DO41_NODORIF_PD0C", "DO41_CODCOMMESSA", "DO41_CODSCOMMESSA"},
                kRowsHeld),
      cycle_(connection, "DO46_CICLO",
             {"DO46_NUMREG_CO99", "DO46_PROGRIGA", "DO46_PROGDET", "DO46_CODFASE", "DO46_CODREPARTO",
              "DO46_MACCHINAALT", "DO46_TIPOCF_CG44", "DO46_CLIFOR_CG44"},
             kRowsHeld),
      states_(connection, "CO5S_STATIOGG", {"CO5S_GUID", "CO5S_IDSTATO_CO5T", "CO5S_TIPOSTATO"}, kRowsHeld),
      attributes_(
          connection, "CO5L_ATTRIBUTIDEN",
          {"CO5L_GUID", "CO5L_TIPOATTR", "CO5L_ATTRIB01", "CO5L_ATTRIB02", "CO5L_ATTRIB03", "CO5L_ATTRIB04"},
          kRowsHeld) {
  const double newYear = DateTime::fromParts(2026, 1, 1).serial();
  days_.reserve(kYearDays);
  for (int d = 0; d < kYearDays; ++d) days_.emplace_back(DateTime::fromSerial(newYear + d));
}

void OrderWriter::finish() {
  for (TableInserter* table :
       {&headers_, &lines_, &deliveries_, &references_, &projects_, &cycle_, &states_, &attributes_}) {
    table->flush();
  }
}

std::string OrderWriter::nextRegistration() { return fmt::format("2026{:08}", ++registrations_); }

int OrderWriter::nextNumber(int company, int type, std::string_view section) {
  return ++numbers_[{company, type, section}];
}

CustomerOrder OrderWriter::writeCustomerOrder(const DemoCompany& company, int customer, int day) {
  CustomerOrder order;
  order.section = random_.percent(85) ? "01" : "EX";
  order.registration = nextRegistration();
  order.number = nextNumber(company.code, kCustomerOrder, order.section);
  if (random_.percent(80)) order.customerReference = drawCustomerReference(random_);
  const int orderDay = dayAfter(day, -random_.between(3, 30));
  headers_.insert({random_.guid(), wholeNumber(company.code), order.registration, int16_t{kCustomerOrder},
                   order.section, wholeNumber(order.number), days_[static_cast<size_t>(orderDay)],
                   days_[static_cast<size_t>(orderDay)], wholeNumber(kCustomerKind), wholeNumber(customer),
                   Value::null()});
  ++summary_.customerOrders;
  return order;
}

std::optional<ProjectRef> OrderWriter::drawProjectRef(const DemoCompany& company) {
  ProjectRef ref;
  if (!company.projects.empty() && random_.percent(70)) {
    ref.project = &random_.pick(std::span<const DemoProject>(company.projects));
    ref.subProject = random_.between(0, ref.project->subProjects);
    if (random_.percent(60)) ref.node = random_.between(1, ref.project->nodes);
  }
  if (!company.jobs.empty() && (!ref.project || random_.percent(60))) {
    ref.job = &random_.pick(std::span<const DemoJob>(company.jobs));
    ref.subJob = random_.between(0, ref.job->subJobs);
  }
  if (!ref.project && !ref.job) return std::nullopt;
  return ref;
}

void OrderWriter::writeOrder(const DemoCompany& company, int type, int day, int lineCount) {
  Order order;
  order.type = type;
  order.day = day;
  // Work orders made to stock have no customer; the others name the customer or supplier.
  if (type == kSubcontractOut) {
    order.partnerKind = kSupplierKind;
    order.partner = random_.pick(std::span<const int>(company.suppliers));
  } else if (type == kSubcontractIn || random_.percent(55)) {
    order.partnerKind = kCustomerKind;
    order.partner = random_.pick(std::span<const int>(company.customers));
    if (random_.percent(type == kWorkOrder ? 90 : 85)) {
      order.customerOrder = writeCustomerOrder(company, order.partner, day);
    }
  }
  if (random_.percent(type == kWorkOrder ? 45 : type == kSubcontractIn ? 35 : 15)) {
    order.projectRef = drawProjectRef(company);
  }

  std::vector<const DemoItem*> items;
  for (int i = 0; i < lineCount; ++i) {
    items.push_back(&random_.pick(std::span<const DemoItem>(company.items)));
  }

  std::string_view section = "01";
  if (type != kSubcontractOut && random_.percent(20)) section = "02";
  std::string_view department;
  if (type == kSubcontractOut) {
    if (random_.percent(60)) department = catalogue::kExternalDepartment;
  } else if (random_.percent(92)) {
    department = items.front()->departments[0];
  }
  order.registration = nextRegistration();
  const std::string guid = random_.guid();
  const int registered = dayAfter(day, random_.between(0, 2));
  const bool hasPartner = order.partnerKind >= 0;
  headers_.insert({guid, wholeNumber(company.code), order.registration, static_cast<int16_t>(type), section,
                   wholeNumber(nextNumber(company.code, type, section)), days_[static_cast<size_t>(day)],
                   days_[static_cast<size_t>(registered)],
                   hasPartner ? wholeNumber(order.partnerKind) : Value::null(),
                   hasPartner ? wholeNumber(order.partner) : Value::null(), optionalText(department)});
  if (random_.percent(92)) {
    const int state = std::array{71, 72, 73, 74}[random_.weighted({15, 30, 45, 10})];
    states_.insert({guid, int32_t{state}, int16_t{kDocumentStates}});
  }
  if (random_.percent(50)) {
    const int lot = random_.between(1, 9999);
    const std::string_view priority = random_.pick(std::span<const std::string_view>(catalogue::kPriorities));
    const int64_t hours = random_.between(2, 400) * 250LL;
    attributes_.insert({guid, int16_t{kDocumentAttributes}, fmt::format("L26-{:04}", lot), priority,
                        decimalUnits(hours, 3),
                        days_[static_cast<size_t>(dayAfter(day, random_.between(0, 10)))]});
  }
  ++summary_.productionOrders;

  for (int line = 1; line <= lineCount; ++line) writeLine(order, *items[static_cast<size_t>(line - 1)], line);
}

void OrderWriter::writeLine(const Order& order, const DemoItem& item, int line) {
  const int64_t quantity = drawQuantity(random_, item.kind);
  const int64_t quantity2 = item.unit2.empty() ? 0 : (quantity * item.secondPerFirst + 500000) / 1000000;
  const std::string_view variant = item.paintable && random_.percent(35)
                                       ? random_.pick(std::span<const std::string_view>(catalogue::kVariants))
                                       : std::string_view();
  std::string_view warehouse = "02";
  if (order.type == kWorkOrder && random_.percent(60)) warehouse = "PF";
  if (order.type == kSubcontractIn) warehouse = random_.percent(50) ? "01" : "PF";

  // Packaging as ordered: mostly the item's, sometimes none, zero or a part of a package.
  std::optional<int64_t> perPackage = item.piecesPerPackage;
  switch (random_.weighted({4, 3, 93})) {
    case 0: perPackage = 0; break;
    case 1:
      perPackage = std::array<int64_t, 4>{500, 2500, 250, 1500}[static_cast<size_t>(random_.between(0, 3))];
      break;
    default: break;
  }
  std::optional<int64_t> tare;
  if (item.netWeight && item.grossWeight) tare = *item.grossWeight - *item.netWeight;
  std::string customerItem;
  if ((order.customerOrder || order.type == kSubcontractIn) && random_.percent(50)) {
    customerItem = drawCustomerItemCode(random_);
  }
  const Value registration(order.registration);
  const Value lineNumber = wholeNumber(line);
  const std::string guid = random_.guid();
  lines_.insert({guid, registration, lineNumber, item.code, optionalText(variant), item.description,
                 warehouse, item.unit1, decimalUnits(quantity, 3), optionalText(item.unit2),
                 decimalUnits(quantity2, 3), optionalUnits(perPackage, 3),
                 item.netWeight ? Value("KG") : Value::null(), optionalUnits(item.netWeight, 5),
                 optionalUnits(item.grossWeight, 5), optionalUnits(tare, 5),
                 item.capacity ? Value("LT") : Value::null(), optionalUnits(item.capacity, 5),
                 item.volume ? Value("DM3") : Value::null(), optionalUnits(item.volume, 5),
                 optionalUnits(item.base, 5), optionalUnits(item.height, 5), optionalUnits(item.depth, 5),
                 // Lines the customer names no code of its own for carry the package's GTIN.
                 optionalText(customerItem.empty() ? item.gtin : customerItem)});

  const auto delivery = static_cast<Delivery>(random_.weighted({65, 20, 15}));
  int64_t delivered = 0;
  if (delivery == Delivery::Full) {
    delivered = quantity;
  } else if (delivery == Delivery::Partial) {
    const int64_t step = deliveryStep(item.kind);
    const int64_t steps = quantity / step;
    if (steps >= 2) {
      delivered = step * random_.between(1, static_cast<int>(std::min<int64_t>(steps - 1, 1000000)));
    }
  }
  const int64_t delivered2 =
      delivered == quantity ? quantity2 : (quantity2 * delivered + quantity / 2) / quantity;
  Value settled = Value::null();
  switch (random_.weighted({delivery == Delivery::Partial ? 30 : 3, 82, 15})) {
    case 0: settled = int16_t{1}; break;
    case 1: settled = int16_t{0}; break;
    default: break;
  }
  Value due = Value::null();
  Value confirmed = Value::null();
  if (random_.percent(97)) {
    const int dueDay = dayAfter(order.day, random_.between(7, 90));
    due = days_[static_cast<size_t>(dueDay)];
    if (random_.percent(40)) {
      confirmed = days_[static_cast<size_t>(dayAfter(dueDay, random_.between(-5, 10)))];
    }
  }
  deliveries_.insert({registration, lineNumber, due, confirmed, decimalUnits(delivered, 3),
                      decimalUnits(delivered2, 3), decimalUnits(quantity - delivered, 3),
                      decimalUnits(quantity2 - delivered2, 3), settled});

  writeReferences(order, line);
  writeCycle(order, item, line);

  if (random_.percent(90)) {
    int state = 84;
    if (delivery == Delivery::None) state = std::array{81, 82, 83}[random_.weighted({40, 35, 25})];
    if (delivery == Delivery::Partial) state = 83;
    states_.insert({guid, int32_t{state}, int16_t{kLineStates}});
  }
  ++summary_.orderLines;
}

void OrderWriter::writeReferences(const Order& order, int line) {
  const Value registration(order.registration);
  if (order.customerOrder && random_.percent(92)) {
    const CustomerOrder& source = *order.customerOrder;
    references_.insert({registration, wholeNumber(line), source.registration, wholeNumber(line * 10),
                        wholeNumber(source.number), source.section, optionalText(source.customerReference)});
  }
  if (order.projectRef && random_.percent(90)) {
    const ProjectRef& ref = *order.projectRef;
    projects_.insert({registration, wholeNumber(line), ref.project ? Value(ref.project->code) : Value::null(),
                      ref.project ? wholeNumber(ref.subProject) : Value::null(),
                      ref.project && ref.node > 0 ? Value(fmt::format("N{:02}", ref.node)) : Value::null(),
                      ref.job ? Value(ref.job->code) : Value::null(),
                      ref.job ? wholeNumber(ref.subJob) : Value::null()});
  }
}

std::string_view OrderWriter::drawMachine(std::string_view department) {
  std::array<std::string_view, catalogue::kMachines.size()> candidates;
  size_t count = 0;
  for (const auto& machine : catalogue::kMachines) {
    for (const auto& centre : catalogue::kWorkCentres) {
      if (centre.code == machine.workCentre && centre.department == department) {
        candidates[count++] = machine.code;
      }
    }
  }
  if (count == 0) return {};
  return candidates[static_cast<size_t>(random_.between(0, static_cast<int>(count) - 1))];
}

// Most lines have one cycle detail, a few two (a second phase or an alternative machine) and a
// few none yet.
void OrderWriter::writeCycle(const Order& order, const DemoItem& item, int line) {
  const int details = static_cast<int>(random_.weighted({2, 93, 5}));
  for (int detail = 1; detail <= details; ++detail) {
    const bool external = order.type == kSubcontractOut;
    std::string_view department = external ? catalogue::kExternalDepartment : item.departments[0];
    if (!external && detail == 2 && !item.departments[1].empty()) department = item.departments[1];
    const std::string_view machine =
        !external && random_.percent(95) ? drawMachine(department) : std::string_view();
    cycle_.insert({order.registration, wholeNumber(line), wholeNumber(detail), wholeNumber(detail * 10),
                   department, optionalText(machine), external ? wholeNumber(kSupplierKind) : Value::null(),
                   external ? wholeNumber(order.partner) : Value::null()});
  }
  summary_.cycleDetails += details;
  summary_.viewRows += std::max(details, 1);
}

const DemoCompany& pickCompany(DemoRandom& random, const std::vector<DemoCompany>& companies) {
  int draw = random.between(1, 100);
  for (const DemoCompany& company : companies) {
    if (draw <= company.weight) return company;
    draw -= company.weight;
  }
  return companies.front();
}

int drawLineCount(DemoRandom& random) {
  switch (random.weighted({35, 20, 15, 20, 10})) {
    case 0: return 1;
    case 1: return 2;
    case 2: return 3;
    case 3: return random.between(4, 6);
    default: return random.between(7, 12);
  }
}

}  // namespace

void insertOrders(data::Connection& connection, DemoRandom& random, const std::vector<DemoCompany>& companies,
                  int lines, DemoSummary& summary) {
  OrderWriter writer(connection, random, summary);
  int written = 0;
  while (written < lines) {
    const DemoCompany& company = pickCompany(random, companies);
    const int type = std::array{kWorkOrder, kSubcontractOut, kSubcontractIn}[random.weighted({60, 25, 15})];
    const int count = std::min(lines - written, drawLineCount(random));
    // Registration follows the calendar: later orders fall later in the year.
    const int day =
        dayAfter(static_cast<int>(static_cast<int64_t>(written) * kYearDays / lines), random.between(-4, 4));
    writer.writeOrder(company, type, day, count);
    written += count;
  }
  writer.finish();
}

}  // namespace briskal::hostkit
