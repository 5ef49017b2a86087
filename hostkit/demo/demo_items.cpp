#include "hostkit/demo/demo_items.h"

#include <fmt/format.h>

#include <cmath>
#include <utility>

#include "hostkit/demo/demo_catalogue.h"

namespace briskal::hostkit {
namespace {

constexpr std::array kFamilies = {
    FamilyInfo{"FLAN", "Flange", {"INOX", "C45", "S235"}},
    FamilyInfo{"VITE", "Viteria e perni", {"INOX", "C45", ""}},
    FamilyInfo{"ALBE", "Alberi", {"C45", "INOX", ""}},
    FamilyInfo{"BOCC", "Boccole", {"BRON", "OTTO", ""}},
    FamilyInfo{"INGR", "Ingranaggi", {"C45", "", ""}},
    FamilyInfo{"CARP", "Carpenteria", {"S235", "ALLU", "INOX"}},
    FamilyInfo{"TUBI", "Tubi e profilati", {"S235", "INOX", "ALLU"}},
    FamilyInfo{"LAMI", "Lamiere e barre", {"S235", "C45", "ALLU"}},
    FamilyInfo{"GUAR", "Guarnizioni", {"NBR", "FKM", ""}},
    FamilyInfo{"SUPP", "Supporti e cuscinetti", {"GHIS", "C45", ""}},
};

// Steel weighs 7.85 kg/dm³; weights below use it for every metal, which is close enough here.
constexpr double kSteelKgPerMm3 = 7.85e-6;
constexpr double kPi = 3.14159265358979;

int64_t units(double value, int scale) {
  double factor = 1;
  for (int i = 0; i < scale; ++i) factor *= 10;
  return std::llround(value * factor);
}

std::string_view materialWords(std::string_view material) {
  if (material == "INOX") return "acciaio inox";
  if (material == "C45") return "acciaio C45";
  if (material == "S235") return "acciaio S235JR";
  if (material == "BRON") return "bronzo";
  if (material == "OTTO") return "ottone";
  if (material == "ALLU") return "alluminio";
  if (material == "GHIS") return "ghisa";
  return material;
}

std::string_view pickMaterial(DemoRandom& random, const FamilyInfo& family) {
  size_t used = 0;
  while (used < family.materials.size() && !family.materials[used].empty()) ++used;
  return family.materials[static_cast<size_t>(random.between(0, static_cast<int>(used) - 1))];
}

template <typename T, size_t N>
const T& pickFrom(DemoRandom& random, const std::array<T, N>& items) {
  return random.pick(std::span<const T>(items));
}

void setBox(DemoItem& item, double base, double height, double depth) {
  item.base = units(base, 5);
  item.height = units(height, 5);
  item.depth = units(depth, 5);
}

// A box whose sides, in millimetres, are whole centimetres drawn from the given ranges of centimetres.
void drawBox(DemoRandom& random, DemoItem& item, std::pair<int, int> base, std::pair<int, int> height,
             std::pair<int, int> depth) {
  const int b = random.between(base.first, base.second) * 10;
  const int h = random.between(height.first, height.second) * 10;
  setBox(item, b, h, random.between(depth.first, depth.second) * 10);
}

void drawFlange(DemoRandom& random, DemoItem& item) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kKinds = {
      {{"P", "piana"}, {"C", "cieca"}, {"K", "a collare"}}};
  const auto& [letter, words] = pickFrom(random, kKinds);
  const int d = pickFrom(random, std::array{50, 65, 80, 100, 125, 150, 200});
  item.code = fmt::format("FL{}-{}-{:03}", letter, item.material, d);
  item.description = fmt::format("Flangia {} in {} Ø {}", words, materialWords(item.material), d);
  item.netWeight = units(d * d * 0.00012, 5);
  setBox(item, d * 1.6, d * 1.6, random.between(16, 30));
  item.departments = {"TOR", random.percent(40) ? "FRE" : ""};
  item.piecesPerPackage = 1000LL * pickFrom(random, std::array{5, 10, 20});
}

void drawFastener(DemoRandom& random, DemoItem& item) {
  const int m = pickFrom(random, std::array{6, 8, 10, 12, 16, 20});
  const int l = pickFrom(random, std::array{20, 25, 30, 40, 50, 60, 80, 100});
  switch (random.between(0, 4)) {
    case 0:
      item.code = fmt::format("PF-M{:02}X{:03}-{}", m, l, item.material);
      item.description = fmt::format("Perno filettato M{} × {}", m, l);
      break;
    case 1:
      item.code = fmt::format("VT-M{:02}X{:03}-{}", m, l, item.material);
      item.description = fmt::format("Vite TCEI M{} × {} classe 8.8", m, l);
      break;
    case 2:
      item.code = fmt::format("PA-{:02}X{:03}-{}", m, l, item.material);
      item.description = fmt::format("Perno di articolazione Ø {} × {} temprato", m, l);
      break;
    case 3:
      item.code = fmt::format("PG-M{:02}X{:03}-{}", m, l, item.material);
      item.description = fmt::format("Prigioniero M{} × {}", m, l);
      break;
    default:
      item.code = fmt::format("DA-M{:02}-{}", m, item.material);
      item.description = fmt::format("Dado autobloccante M{}", m);
      item.netWeight = units(m * m * m * 0.000005, 5);
      break;
  }
  if (!item.netWeight) item.netWeight = units(kPi / 4 * m * m * l * kSteelKgPerMm3, 5);
  item.unit1 = random.percent(50) ? "NR" : "PZ";
  item.departments = {"TOR", ""};
  item.piecesPerPackage = 1000LL * pickFrom(random, std::array{50, 100, 250, 500});
}

void drawShaft(DemoRandom& random, DemoItem& item) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kKinds = {
      {{"T", "Albero di trasmissione"}, {"S", "Albero scanalato"}, {"C", "Albero a camme"}}};
  const auto& [letter, words] = pickFrom(random, kKinds);
  const int d = pickFrom(random, std::array{20, 25, 30, 35, 40, 50, 60});
  const int l = random.between(15, 120) * 10;
  item.code = fmt::format("AL{}-{:03}-{:04}-{}", letter, d, l, item.material);
  item.description = fmt::format("{} Ø {} × {}", words, d, l);
  item.netWeight = units(kPi / 4 * d * d * l * kSteelKgPerMm3, 5);
  setBox(item, d, d, l);
  item.departments = {"TOR", random.percent(50) ? "RET" : "FRE"};
  item.piecesPerPackage = 1000LL * pickFrom(random, std::array{1, 2, 5});
}

void drawBush(DemoRandom& random, DemoItem& item) {
  const int d = pickFrom(random, std::array{12, 16, 20, 25, 30, 40, 50});
  const int l = pickFrom(random, std::array{10, 15, 20, 25, 30, 40});
  switch (random.between(0, 2)) {
    case 0:
      item.code = fmt::format("BOB-{:03}X{:03}-{}", d, l, item.material);
      item.description = fmt::format("Boccola in {} Ø {}/{} × {}", materialWords(item.material), d + 8, d, l);
      break;
    case 1:
      item.code = fmt::format("BOF-{:03}X{:03}-{}", d, l, item.material);
      item.description = fmt::format("Boccola flangiata in {} Ø {} × {}", materialWords(item.material), d, l);
      break;
    default:
      item.code = fmt::format("BOA-{:03}X{:03}-{}", d, l, item.material);
      item.description = fmt::format("Boccola autolubrificante Ø {} × {}", d, l);
      break;
  }
  item.netWeight = units(kPi / 4 * ((d + 8) * (d + 8) - d * d) * l * kSteelKgPerMm3, 5);
  setBox(item, d + 8, d + 8, l);
  item.departments = {"TOR", ""};
  item.piecesPerPackage = 1000LL * pickFrom(random, std::array{10, 25, 50});
}

void drawGear(DemoRandom& random, DemoItem& item) {
  const int moduleTenths = pickFrom(random, std::array{10, 15, 20, 25, 30, 40});
  const std::string module = moduleTenths % 10 == 0
                                 ? fmt::format("{}", moduleTenths / 10)
                                 : fmt::format("{},{}", moduleTenths / 10, moduleTenths % 10);
  const int z = random.between(12, 80);
  switch (random.between(0, 2)) {
    case 0:
      item.code = fmt::format("INR-M{:02}-Z{:03}", moduleTenths, z);
      item.description = fmt::format("Ruota dentata Z={} modulo {}", z, module);
      break;
    case 1:
      item.code = fmt::format("INP-M{:02}-Z{:03}", moduleTenths, z);
      item.description = fmt::format("Pignone conico Z={} modulo {}", z, module);
      break;
    default:
      item.code = fmt::format("INC-M{:02}-L{:04}", moduleTenths, z * 25);
      item.description = fmt::format("Cremagliera modulo {} × {}", module, z * 25);
      break;
  }
  const double diameter = z * moduleTenths / 10.0;
  item.netWeight = units(diameter * diameter * 0.0006 + 0.05, 5);
  setBox(item, diameter, diameter, moduleTenths);
  item.departments = {"FRE", random.percent(50) ? "RET" : ""};
  item.piecesPerPackage = 1000LL * pickFrom(random, std::array{1, 5, 10});
}

void drawSteelwork(DemoRandom& random, DemoItem& item) {
  const int model = random.between(100, 999);
  switch (random.between(0, 5)) {
    case 0: {
      const int s = pickFrom(random, std::array{2, 3, 4, 5, 6, 8});
      item.code = fmt::format("CA-STF-{:02}-{}", s, model);
      item.description = fmt::format("Staffa di fissaggio sp. {} mm mod. {}", s, model);
      item.netWeight = units(s * 0.12, 5);
      setBox(item, 120, 80, s);
      break;
    }
    case 1: {
      const int a = random.between(10, 40) * 10;
      const int b = random.between(10, 30) * 10;
      const int s = pickFrom(random, std::array{5, 8, 10, 12, 15});
      item.code = fmt::format("CA-PIA-{:03}X{:03}X{:02}", a, b, s);
      item.description = fmt::format("Piastra forata {} × {} sp. {}", a, b, s);
      item.netWeight = units(a * b * s * kSteelKgPerMm3, 5);
      setBox(item, a, b, s);
      break;
    }
    case 2:
      item.code = fmt::format("CA-CRT-{}", model);
      item.description = fmt::format("Carter di protezione per unità di taglio mod. {}", model);
      item.netWeight = units(random.between(20, 180) / 10.0, 5);
      drawBox(random, item, {30, 90}, {20, 60}, {10, 40});
      break;
    case 3:
      item.code = fmt::format("CA-TLS-{}", model);
      item.description = fmt::format("Telaio saldato per unità di controllo mod. {}", model);
      item.netWeight = units(random.between(150, 1200) / 10.0, 5);
      drawBox(random, item, {60, 200}, {60, 150}, {40, 120});
      break;
    case 4:
      item.code = fmt::format("CA-LEV-{}", model);
      item.description = fmt::format("Leva di comando verniciata mod. {}", model);
      item.netWeight = units(random.between(3, 25) / 10.0, 5);
      break;
    default: {
      const int litres = pickFrom(random, std::array{10, 25, 40, 60, 100});
      item.code = fmt::format("CA-SRB-{:03}-{}", litres, model);
      item.description = fmt::format("Serbatoio oleodinamico {} l", litres);
      item.capacity = units(litres, 5);
      item.volume = units(litres * 1.25, 5);
      item.netWeight = units(litres * 0.35 + 4, 5);
      break;
    }
  }
  item.departments = {"TAG", pickFrom(random, std::array<std::string_view, 3>{"SAL", "PIE", "VER"})};
  item.paintable = true;
  item.piecesPerPackage = 1000LL * pickFrom(random, std::array{1, 2, 4, 10});
}

void drawTube(DemoRandom& random, DemoItem& item) {
  static constexpr std::array<std::pair<std::string_view, double>, 7> kDiameters = {{{"21,3", 21.3},
                                                                                     {"26,9", 26.9},
                                                                                     {"33,7", 33.7},
                                                                                     {"42,4", 42.4},
                                                                                     {"48,3", 48.3},
                                                                                     {"60,3", 60.3},
                                                                                     {"76,1", 76.1}}};
  static constexpr std::array<std::pair<std::string_view, double>, 3> kWalls = {
      {{"2", 2.0}, {"2,6", 2.6}, {"3,2", 3.2}}};
  const auto& [wallText, wall] = pickFrom(random, kWalls);
  double kgPerMetre = 0;
  switch (random.between(0, 2)) {
    case 0: {
      const auto& [diameterText, diameter] = pickFrom(random, kDiameters);
      item.code = fmt::format("TU-{:04}X{:02}-{}", units(diameter, 1), units(wall, 1), item.material);
      item.description =
          fmt::format("Tubo in {} Ø {} × {}", materialWords(item.material), diameterText, wallText);
      kgPerMetre = kPi * (diameter - wall) * wall * 1000 * kSteelKgPerMm3;
      break;
    }
    case 1: {
      const int a = pickFrom(random, std::array{20, 30, 40, 50, 60});
      item.code = fmt::format("TU-L{:03}X{:02}-{}", a, units(wall, 1), item.material);
      item.description = fmt::format("Profilato a L {} × {} × {}", a, a, wallText);
      kgPerMetre = (2 * a - wall) * wall * 1000 * kSteelKgPerMm3;
      break;
    }
    default: {
      const int a = pickFrom(random, std::array{20, 30, 40, 50, 60, 80});
      item.code = fmt::format("TU-Q{:03}X{:02}-{}", a, units(wall, 1), item.material);
      item.description = fmt::format("Tubolare quadro {} × {} × {}", a, a, wallText);
      kgPerMetre = 4 * (a - wall) * wall * 1000 * kSteelKgPerMm3;
      break;
    }
  }
  item.unit1 = "MT";
  item.kind = QuantityKind::Metres;
  item.unit2 = "KG";
  item.secondPerFirst = units(kgPerMetre, 6);
  item.netWeight = units(kgPerMetre, 5);
  item.departments = {"TAG", ""};
  // Bars of six metres.
  item.piecesPerPackage = random.percent(60) ? std::optional<int64_t>(6000) : std::nullopt;
}

void drawStock(DemoRandom& random, DemoItem& item) {
  item.unit1 = "KG";
  item.kind = QuantityKind::Kilograms;
  switch (random.between(0, 2)) {
    case 0: {
      const int s = pickFrom(random, std::array{1, 2, 3, 4, 5, 6, 8, 10});
      item.code = fmt::format("LA-LAM-{:02}-{}", s, item.material);
      item.description = item.material == "S235"
                             ? fmt::format("Lamiera DC01 sp. {} mm", s)
                             : fmt::format("Lamiera in {} sp. {} mm", materialWords(item.material), s);
      break;
    }
    case 1: {
      const int d = pickFrom(random, std::array{10, 16, 20, 25, 30, 40, 50, 60, 80});
      item.code = fmt::format("LA-TON-{:03}-{}", d, item.material);
      item.description = fmt::format("Tondo in {} Ø {}", materialWords(item.material), d);
      item.unit2 = "MT";
      item.secondPerFirst = units(1 / (kPi / 4 * d * d * 1000 * kSteelKgPerMm3), 6);
      break;
    }
    default: {
      const int a = pickFrom(random, std::array{20, 30, 40, 50, 60, 80, 100});
      const int s = pickFrom(random, std::array{5, 8, 10, 12, 15, 20});
      item.code = fmt::format("LA-PIA-{:03}X{:02}-{}", a, s, item.material);
      item.description = fmt::format("Piatto laminato {} × {} in {}", a, s, materialWords(item.material));
      item.unit2 = "MT";
      item.secondPerFirst = units(1 / (a * s * 1000 * kSteelKgPerMm3), 6);
      break;
    }
  }
  item.netWeight = units(1, 5);
  item.departments = {"TAG", random.percent(40) ? "PIE" : ""};
}

void drawSeal(DemoRandom& random, DemoItem& item) {
  const int d = pickFrom(random, std::array{10, 16, 20, 25, 32, 40, 50, 63, 80});
  switch (random.between(0, 2)) {
    case 0: {
      const int section = pickFrom(random, std::array{2, 3, 4, 5});
      item.code = fmt::format("GU-OR-{:03}X{}-{}", d, section, item.material);
      item.description = fmt::format("Guarnizione OR {} × {} {}", d, section, item.material);
      break;
    }
    case 1:
      item.code = fmt::format("GU-AT-{:03}X{:03}-{}", d, d + 12, item.material);
      item.description = fmt::format("Anello di tenuta {} × {} × 7 {}", d, d + 12, item.material);
      break;
    default:
      item.code = fmt::format("GU-RS-{:03}-{}", d, item.material);
      item.description = fmt::format("Raschiatore Ø {} in {}", d, item.material);
      break;
  }
  item.unit1 = "NR";
  // Small seals are not weighed.
  if (random.percent(40)) item.netWeight = units(d * 0.0002, 5);
  item.departments = {"MON", ""};
  item.piecesPerPackage = 1000LL * pickFrom(random, std::array{50, 100});
}

void drawBearingUnit(DemoRandom& random, DemoItem& item) {
  const int size = random.between(204, 212);
  switch (random.between(0, 2)) {
    case 0:
      item.code = fmt::format("SU-UCP{}", size);
      item.description = fmt::format("Supporto ritto UCP {} in {}", size, materialWords(item.material));
      break;
    case 1:
      item.code = fmt::format("SU-UCF{}", size);
      item.description = fmt::format("Supporto flangiato UCF {} in {}", size, materialWords(item.material));
      break;
    default:
      item.code = fmt::format("SU-6{}-2RS", size);
      item.description = fmt::format("Cuscinetto a sfere 6{}-2RS", size);
      break;
  }
  item.netWeight = units((size - 200) * 0.18, 5);
  item.departments = {"MON", ""};
  item.piecesPerPackage = 1000LL * pickFrom(random, std::array{1, 5, 10});
}

std::string_view sizeClassOf(const DemoItem& item) {
  if (!item.netWeight || *item.netWeight < units(0.5, 5)) return "PIC";
  return *item.netWeight < units(10, 5) ? "MED" : "GRA";
}

}  // namespace

std::span<const FamilyInfo> itemFamilies() { return kFamilies; }

DemoItem drawItem(DemoRandom& random) {
  const size_t familyIndex = random.weighted({12, 16, 10, 8, 8, 14, 8, 8, 8, 8});
  const FamilyInfo& family = kFamilies[familyIndex];
  DemoItem item;
  item.family = family.code;
  item.material = pickMaterial(random, family);
  item.unit1 = "PZ";
  switch (familyIndex) {
    case 0: drawFlange(random, item); break;
    case 1: drawFastener(random, item); break;
    case 2: drawShaft(random, item); break;
    case 3: drawBush(random, item); break;
    case 4: drawGear(random, item); break;
    case 5: drawSteelwork(random, item); break;
    case 6: drawTube(random, item); break;
    case 7: drawStock(random, item); break;
    case 8: drawSeal(random, item); break;
    default: drawBearingUnit(random, item); break;
  }

  if (random.percent(5)) {
    item.description +=
        pickFrom(random, std::array<std::string_view, 3>{" - esecuzione a disegno", " (certificato 3.1)",
                                                         " - qualità aeronautica"});
  }
  // Some items were never weighed.
  if (random.percent(12)) item.netWeight.reset();
  // Pieces weighed by the kilogram carry the weight as a second unit.
  if (item.kind == QuantityKind::Pieces && item.netWeight && random.percent(12)) {
    item.unit2 = "KG";
    item.secondPerFirst = *item.netWeight * 10;
  }
  if (random.percent(85)) {
    item.finish = item.paintable && random.percent(50) ? std::string_view("VERN")
                                                       : pickFrom(random, catalogue::kFinishes).code;
    if (random.percent(90)) item.sizeClass = sizeClassOf(item);
  }
  item.statisticalGroups = {
      random.percent(80) ? pickFrom(random, catalogue::kTurnoverGroups).code : std::string_view(),
      random.percent(80) ? pickFrom(random, catalogue::kProductLines).code : std::string_view(),
      random.percent(75) ? pickFrom(random, catalogue::kMarkets).code : std::string_view(),
      random.percent(85) ? pickFrom(random, catalogue::kSourcing).code : std::string_view(),
  };

  if (item.netWeight) {
    item.grossWeight = *item.netWeight + *item.netWeight * random.between(2, 10) / 100;
    if (!item.volume && random.percent(30)) item.volume = units(*item.netWeight / 1e5 / 7.85, 5);
  }
  if (random.percent(30)) {
    item.base.reset();
    item.height.reset();
    item.depth.reset();
  }
  item.hasLogistics = random.percent(80);
  if (item.hasLogistics) {
    item.packageSize = {units(random.between(10, 60) * 10, 4), units(random.between(20, 80) * 10, 4),
                        units(random.between(20, 120) * 10, 4)};
  } else {
    item.piecesPerPackage.reset();
  }
  return item;
}

}  // namespace briskal::hostkit
