#include "hostkit/demo/demo_master_data.h"

#include <fmt/format.h>

#include <numeric>
#include <set>

#include "hostkit/demo/demo_catalogue.h"
#include "hostkit/demo/table_inserter.h"
#include "hostkit/gs1/element_string.h"

namespace briskal::hostkit {
namespace {

struct CompanySize {
  int weight;
  int items;
  int customers;
  int suppliers;
  int projects;
  int jobs;
};

// Company 1 is the main plant; the other two are small and have few orders.
constexpr std::array<CompanySize, 3> kCompanySizes = {{
    {80, 420, 150, 30, 10, 30},
    {15, 160, 50, 12, 4, 10},
    {5, 90, 30, 8, 2, 6},
}};

constexpr int kRegistryCustomers = 200;
constexpr int kRegistrySuppliers = 60;
constexpr int kFirstCustomerCode = 1001;
constexpr int kFirstSupplierCode = 5001;

std::string nameFrom(std::string_view pattern, std::string_view surname) {
  std::string name(pattern);
  name.replace(name.find('%'), 1, surname);
  return name;
}

std::string digits(DemoRandom& random, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text.push_back(static_cast<char>('0' + random.between(0, 9)));
  return text;
}

void insertCompanies(data::Connection& connection) {
  TableInserter companies(
      connection, "CG18_DITTE",
      {"CG18_DITTA", "CG18_RAGSOC", "CG18_INDIRIZZO", "CG18_CAP", "CG18_CITTA", "CG18_PROV", "CG18_PARTIVA"});
  for (const auto& company : catalogue::kOwnCompanies) {
    const auto& town = catalogue::kTowns[company.town];
    companies.insert({wholeNumber(company.code), company.name, company.address, town.postcode, town.name,
                      town.province, company.vatNumber});
  }
}

// Customers first, then suppliers; the registry code is the position plus one.
void insertRegistry(data::Connection& connection, DemoRandom& random) {
  TableInserter registry(connection, "CG16_ANAGRAFICA",
                         {"CG16_CODICE", "CG16_RAGSOANAG", "CG16_INDIRIZZO", "CG16_CAP", "CG16_CITTA",
                          "CG16_PROV", "CG16_PARTIVA"});
  std::set<std::string> used;
  auto add = [&](std::span<const std::string_view> patterns) {
    std::string name;
    do {
      const std::string_view pattern = random.pick(patterns);
      name = nameFrom(pattern, random.pick(std::span<const std::string_view>(catalogue::kSurnames)));
    } while (!used.insert(name).second);
    const auto& town = random.pick(std::span<const catalogue::Town>(catalogue::kTowns));
    // A few partners were registered without a street address.
    std::string address;
    if (!random.percent(3)) {
      const std::string_view street = random.pick(std::span<const std::string_view>(catalogue::kStreets));
      const int number = random.between(1, 180);
      address = fmt::format("{} {}{}", street, number, random.percent(10) ? "/A" : "");
    }
    registry.insert({wholeNumber(static_cast<int64_t>(used.size())), name, optionalText(address),
                     town.postcode, town.name, town.province, digits(random, 11)});
  };
  for (int i = 0; i < kRegistryCustomers; ++i) add(catalogue::kCustomerNames);
  for (int i = 0; i < kRegistrySuppliers; ++i) add(catalogue::kSupplierNames);
}

// `count` distinct registry codes from first to first + available - 1.
std::vector<int> drawRegistryCodes(DemoRandom& random, int first, int available, int count) {
  std::vector<int> codes(static_cast<size_t>(available));
  std::iota(codes.begin(), codes.end(), first);
  for (int i = 0; i < count; ++i) {
    std::swap(codes[static_cast<size_t>(i)], codes[static_cast<size_t>(random.between(i, available - 1))]);
  }
  codes.resize(static_cast<size_t>(count));
  return codes;
}

void insertPartners(data::Connection& connection, DemoRandom& random, DemoCompany& company,
                    const CompanySize& size) {
  TableInserter partners(connection, "CG44_CLIFOR",
                         {"CG44_DITTA_CG18", "CG44_TIPOCF", "CG44_CLIFOR", "CG44_CODICE_CG16"});
  const auto customerRegistry = drawRegistryCodes(random, 1, kRegistryCustomers, size.customers);
  for (size_t i = 0; i < customerRegistry.size(); ++i) {
    const int code = kFirstCustomerCode + static_cast<int>(i);
    partners.insert(
        {wholeNumber(company.code), wholeNumber(0), wholeNumber(code), wholeNumber(customerRegistry[i])});
    company.customers.push_back(code);
  }
  const auto supplierRegistry =
      drawRegistryCodes(random, kRegistryCustomers + 1, kRegistrySuppliers, size.suppliers);
  for (size_t i = 0; i < supplierRegistry.size(); ++i) {
    const int code = kFirstSupplierCode + static_cast<int>(i);
    partners.insert(
        {wholeNumber(company.code), wholeNumber(1), wholeNumber(code), wholeNumber(supplierRegistry[i])});
    company.suppliers.push_back(code);
  }
}

void insertCodedTable(data::Connection& connection, std::string_view table, std::string_view prefix,
                      int company, std::span<const catalogue::Coded> rows) {
  const std::string ditta = fmt::format("{}_DITTA_CG18", prefix);
  const std::string code = fmt::format("{}_CODICE", prefix);
  const std::string description = fmt::format("{}_DESCR", prefix);
  TableInserter inserter(connection, table, {ditta, code, description});
  for (const auto& row : rows) inserter.insert({wholeNumber(company), row.code, row.description});
}

void insertClassifications(data::Connection& connection, int company) {
  TableInserter families(connection, "MG53_FAMIGLIE", {"MG53_DITTA_CG18", "MG53_CODICE", "MG53_DESCR"});
  TableInserter subfamilies(connection, "MG54_SOTTOFAMIGLIE",
                            {"MG54_DITTA_CG18", "MG54_CODFAM_MG53", "MG54_CODICE", "MG54_DESCR"});
  TableInserter groups(
      connection, "MG55_GRUPPI",
      {"MG55_DITTA_CG18", "MG55_CODFAM_MG53", "MG55_CODSFAM_MG54", "MG55_CODICE", "MG55_DESCR"});
  TableInserter subgroups(connection, "MG56_SOTTOGRUPPI",
                          {"MG56_DITTA_CG18", "MG56_CODFAM_MG53", "MG56_CODSFAM_MG54", "MG56_CODGRUPPO_MG55",
                           "MG56_CODICE", "MG56_DESCR"});
  const Value ditta = wholeNumber(company);
  for (const FamilyInfo& family : itemFamilies()) {
    families.insert({ditta, family.code, family.description});
    for (std::string_view material : family.materials) {
      if (material.empty()) continue;
      for (const auto& m : catalogue::kMaterials) {
        if (m.code == material) subfamilies.insert({ditta, family.code, material, m.description});
      }
      for (const auto& finish : catalogue::kFinishes) {
        groups.insert({ditta, family.code, material, finish.code, finish.description});
        for (const auto& size : catalogue::kSizeClasses) {
          subgroups.insert({ditta, family.code, material, finish.code, size.code, size.description});
        }
      }
    }
  }
  insertCodedTable(connection, "MG74_GRUSTAT1", "MG74", company, catalogue::kTurnoverGroups);
  insertCodedTable(connection, "MG75_GRUSTAT2", "MG75", company, catalogue::kProductLines);
  insertCodedTable(connection, "MG76_GRUSTAT3", "MG76", company, catalogue::kMarkets);
  insertCodedTable(connection, "MG77_GRUSTAT4", "MG77", company, catalogue::kSourcing);
}

void insertPlant(data::Connection& connection, int company) {
  const Value ditta = wholeNumber(company);
  TableInserter warehouses(connection, "MG58_DEPOSITI", {"MG58_DITTA_CG18", "MG58_CODICE", "MG58_DESCRDEP"});
  for (const auto& w : catalogue::kWarehouses) warehouses.insert({ditta, w.code, w.description});
  insertCodedTable(connection, "PD07_REPARTI", "PD07", company, catalogue::kDepartments);
  TableInserter centres(connection, "PD01_CENTRI",
                        {"PD01_DITTA_CG18", "PD01_CODICE", "PD01_DESCR", "PD01_CODREP_PD07"});
  for (const auto& c : catalogue::kWorkCentres) centres.insert({ditta, c.code, c.description, c.department});
  TableInserter machines(connection, "PD08_MACCHINE", {"PD08_DITTA_CG18", "PD08_CODICE", "PD08_DESCR"});
  TableInserter placement(connection, "PD12_CENTROMACCH",
                          {"PD12_DITTA_CG18", "PD12_CODICE_PD01", "PD12_MACCHINA_PD08"});
  for (const auto& m : catalogue::kMachines) {
    machines.insert({ditta, m.code, m.description});
    placement.insert({ditta, m.workCentre, m.code});
  }
}

// The package's GTIN-14 of a company's n-th item: packaging indicator 1, the company's prefix, the
// item's reference, the check digit.
std::string packageGtin(int company, size_t item) {
  const std::string body = "1" + demoGs1Prefix(company) + fmt::format("{:05}", item % 100000);
  return body + gs1::checkDigit(body);
}

std::vector<DemoItem> insertItems(data::Connection& connection, DemoRandom& random, int company, int count) {
  TableInserter items(connection, "MG66_ARTICOLI",
                      {"MG66_DITTA_CG18", "MG66_CODART", "MG66_DESCART", "MG66_UM1", "MG66_UM2",
                       "MG66_FATTCONV", "MG66_FAM_MG53", "MG66_SFAM_MG54", "MG66_GRUPPO_MG55",
                       "MG66_SGRUPPO_MG56", "MG66_GRUSTAT1_MG74", "MG66_GRUSTAT2_MG75", "MG66_GRUSTAT3_MG76",
                       "MG66_GRUSTAT4_MG77", "MG66_UMPESO", "MG66_PESON", "MG66_PESOL"});
  TableInserter logistics(connection, "MG68_DATILOGIST",
                          {"MG68_DITTA_CG18", "MG68_CODART_MG66", "MG68_UMDIMEN", "MG68_ALTEZ", "MG68_PROF",
                           "MG68_LARGH", "MG68_PZCONF"});
  const Value ditta = wholeNumber(company);
  std::vector<DemoItem> drawn;
  std::set<std::string> codes;
  while (static_cast<int>(drawn.size()) < count) {
    DemoItem item = drawItem(random);
    if (!codes.insert(item.code).second) continue;
    if (item.hasLogistics) item.gtin = packageGtin(company, drawn.size() + 1);
    const auto& groups = item.statisticalGroups;
    items.insert({ditta, item.code, item.description, item.unit1, optionalText(item.unit2),
                  item.unit2.empty() ? Value::null() : decimalUnits(item.secondPerFirst, 6), item.family,
                  item.material, optionalText(item.finish), optionalText(item.sizeClass),
                  optionalText(groups[0]), optionalText(groups[1]), optionalText(groups[2]),
                  optionalText(groups[3]), item.netWeight ? Value("KG") : Value::null(),
                  optionalUnits(item.netWeight, 5), optionalUnits(item.grossWeight, 5)});
    if (item.hasLogistics) {
      logistics.insert({ditta, item.code, "MM", decimalUnits(item.packageSize[0], 4),
                        decimalUnits(item.packageSize[1], 4), decimalUnits(item.packageSize[2], 4),
                        optionalUnits(item.piecesPerPackage, 3)});
    }
    drawn.push_back(std::move(item));
  }
  return drawn;
}

Value dayOf2026(DemoRandom& random) {
  const int month = random.between(1, 12);
  return Value(DateTime::fromParts(2026, month, random.between(1, 28)));
}

void insertProjects(data::Connection& connection, DemoRandom& random, DemoCompany& company, int count) {
  TableInserter projects(
      connection, "PD68_PROGETTI",
      {"PD68_GUID", "PD68_DITTA_CG18", "PD68_CODPROGETTO", "PD68_CODSPROGETTO", "PD68_DESCR"});
  TableInserter nodes(connection, "PD0C_NODI",
                      {"PD0C_GUID", "PD0C_DITTA_CG18", "PD0C_CODPROGETTO_PD68", "PD0C_CODICE", "PD0C_DESCR"});
  TableInserter attributes(
      connection, "CO5L_ATTRIBUTIDEN",
      {"CO5L_GUID", "CO5L_TIPOATTR", "CO5L_ATTRIB01", "CO5L_ATTRIB02", "CO5L_ATTRIB03", "CO5L_ATTRIB04"});
  const Value ditta = wholeNumber(company.code);
  for (int p = 1; p <= count; ++p) {
    DemoProject project{fmt::format("PR26-{:03}", p), random.between(0, 3), random.between(3, 6)};
    const std::string_view subject =
        random.pick(std::span<const std::string_view>(catalogue::kProjectSubjects));
    for (int sub = 0; sub <= project.subProjects; ++sub) {
      const std::string guid = random.guid();
      projects.insert({guid, ditta, project.code, wholeNumber(sub),
                       sub == 0 ? std::string(subject) : fmt::format("{} - lotto {}", subject, sub)});
      if (random.percent(70)) {
        attributes.insert({guid, int16_t{6},
                           random.pick(std::span<const std::string_view>(catalogue::kPeople)),
                           random.pick(std::span<const std::string_view>(catalogue::kPriorities)),
                           decimalUnits(random.between(40, 2000) * 500LL, 3), dayOf2026(random)});
      }
    }
    for (int n = 1; n <= project.nodes; ++n) {
      const std::string guid = random.guid();
      nodes.insert({guid, ditta, project.code, fmt::format("N{:02}", n),
                    catalogue::kProjectNodes[static_cast<size_t>(n - 1) % catalogue::kProjectNodes.size()]});
      if (random.percent(60)) {
        const int drawing = random.between(1, 9999);
        const char revision = static_cast<char>('A' + random.between(0, 3));
        attributes.insert({guid, int16_t{7}, fmt::format("DIS-{:04} rev. {}", drawing, revision),
                           random.percent(70) ? "Interna" : "Esterna",
                           decimalUnits(random.between(5, 900) * 1000LL, 3), Value::null()});
      }
    }
    company.projects.push_back(std::move(project));
  }
}

void insertJobs(data::Connection& connection, DemoRandom& random, DemoCompany& company, int count) {
  TableInserter jobs(connection, "PD69_COMMESSE",
                     {"PD69_DITTA_CG18", "PD69_CODCOMMESSA", "PD69_CODSCOMMESSA", "PD69_DESCR"});
  const Value ditta = wholeNumber(company.code);
  for (int j = 1; j <= count; ++j) {
    DemoJob job{fmt::format("C26/{:04}", j * 7 + random.between(0, 6)), random.between(0, 2)};
    const auto& town = random.pick(std::span<const catalogue::Town>(catalogue::kTowns));
    const std::string_view subject =
        random.pick(std::span<const std::string_view>(catalogue::kProjectSubjects));
    for (int sub = 0; sub <= job.subJobs; ++sub) {
      jobs.insert({ditta, job.code, wholeNumber(sub),
                   sub == 0 ? fmt::format("{} - {}", subject, town.name)
                            : fmt::format("Sottocommessa {} di {}", sub, job.code)});
    }
    company.jobs.push_back(std::move(job));
  }
}

void insertStates(data::Connection& connection) {
  TableInserter states(connection, "CO5T_STATI", {"CO5T_IDSTATO", "CO5T_TIPOSTATO", "CO5T_DESCR"});
  for (const auto& s : catalogue::kStates) {
    states.insert({int32_t{s.id}, static_cast<int16_t>(s.kind), s.description});
  }
}

}  // namespace

std::string demoGs1Prefix(int company) { return fmt::format("801234{}", company % 10); }

std::vector<DemoCompany> insertMasterData(data::Connection& connection, DemoRandom& random,
                                          DemoSummary& summary) {
  insertCompanies(connection);
  insertRegistry(connection, random);
  insertStates(connection);
  std::vector<DemoCompany> companies;
  for (size_t i = 0; i < kCompanySizes.size(); ++i) {
    const CompanySize& size = kCompanySizes[i];
    DemoCompany company;
    company.code = catalogue::kOwnCompanies[i].code;
    company.weight = size.weight;
    insertPartners(connection, random, company, size);
    insertClassifications(connection, company.code);
    insertPlant(connection, company.code);
    company.items = insertItems(connection, random, company.code, size.items);
    insertProjects(connection, random, company, size.projects);
    insertJobs(connection, random, company, size.jobs);
    summary.partners += static_cast<int>(company.customers.size() + company.suppliers.size());
    summary.items += static_cast<int>(company.items.size());
    companies.push_back(std::move(company));
  }
  summary.companies = static_cast<int>(companies.size());
  return companies;
}

}  // namespace briskal::hostkit
