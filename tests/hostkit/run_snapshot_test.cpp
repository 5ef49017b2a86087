// What a job keeps of its run: the settings and the labels' records come back exactly, whatever
// they hold, a record like another is found without reading its values, and damage is refused.

#include "hostkit/history/run_snapshot.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "common/error.h"
#include "data/recordset.h"
#include "hostkit/history/reprint.h"

namespace briskal::hostkit {
namespace {

// A record of every kind of value, some of them awkward to keep in text.
std::unique_ptr<data::Recordset> awkwardRecords() {
  auto rs = std::make_unique<data::Recordset>();
  constexpr int32_t kNullable = data::attr::kIsNullable;
  rs->appendField("CODE", data::FieldType::Char, 12, kNullable);
  rs->appendField("TEXT", data::FieldType::LongVarWChar, 2000, kNullable);
  rs->appendField("QTY", data::FieldType::Decimal, 14, kNullable).precision = 14;
  rs->editableField("QTY").numericScale = 3;
  rs->appendField("BIG", data::FieldType::Decimal, 0, kNullable);
  rs->appendField("WHEN", data::FieldType::Date, 0, kNullable);
  rs->appendField("RATIO", data::FieldType::Double, 0, kNullable);
  rs->appendField("COUNT", data::FieldType::BigInt, 0, kNullable);
  rs->appendField("SMALL", data::FieldType::SmallInt, 0, kNullable);
  rs->appendField("FLAG", data::FieldType::Boolean, 0, kNullable);
  rs->appendField("ANY", data::FieldType::Variant, 0, kNullable);
  rs->open();
  const auto add = [&](std::vector<Value> values) {
    rs->addNew();
    for (size_t f = 0; f < values.size(); ++f) rs->setValue(f, values[f]);
    rs->update();
  };
  add({Value("A-1"), Value("Flangia\tØ 80\r\nriga 2 \\ C:\\temp \x1f fine"), Value(*Decimal::parse("1.500")),
       Value(*Decimal::parse("123456789012345678901234.5")),
       Value(DateTime::fromParts(2026, 12, 8, 6, 30, 5)), Value(0.1 + 0.2), Value(int64_t{-9'000'000'000}),
       Value(int16_t{-7}), Value(true), Value(int32_t{42})});
  add({Value::null(), Value(""), Value::null(), Value::null(), Value::null(),
       Value(std::numeric_limits<double>::denorm_min()), Value::null(), Value::null(), Value(false),
       Value("\\")});
  return rs;
}

TEST(RunSnapshots, SettingsComeBackAsTheyWere) {
  RunSnapshot s;
  s.title = "Etichette\tpersonalizzabili\n2";
  s.templateFolder = "/srv/etichette \\ nuove";
  s.regional = RegionalSettings::english();
  s.formulas = {{"RagioneSociale", "Rossi & C.\tS.p.A.\nVia \\ 1"}, {"Vuota", ""}};
  s.sectionHeights = {{"Db", 0.1 + 0.2}, {"RH", 12.5}};
  s.suppressed = {"RH", "PF"};
  s.captions = {{"Peso netto", "Net weight"}, {"a=b", "c\td"}};
  s.stock = "Avery L7160";
  s.startAt = 7;
  labelprinter::PrinterSettings printer;
  printer.language = labelprinter::PrinterLanguage::Zpl;
  printer.media = labelprinter::Media::Mark;
  printer.gapMm = 2.75;
  printer.speed = 4;
  s.printer = printer;
  const auto records = awkwardRecords();
  for (size_t f = 0; f < records->fieldCount(); ++f) s.fields.push_back(records->field(f));

  const std::string written = writeSnapshot(s);
  const RunSnapshot read = readSnapshot(written);
  EXPECT_EQ(writeSnapshot(read), written);
  EXPECT_EQ(read.title, s.title);
  EXPECT_EQ(read.templateFolder, s.templateFolder);
  EXPECT_EQ(read.regional.decimalSeparator, '.');
  EXPECT_EQ(read.formulas, s.formulas);
  EXPECT_EQ(read.sectionHeights, s.sectionHeights);
  EXPECT_EQ(read.suppressed, s.suppressed);
  EXPECT_EQ(read.captions, s.captions);
  ASSERT_TRUE(read.printer);
  EXPECT_EQ(read.printer->language, labelprinter::PrinterLanguage::Zpl);
  EXPECT_FALSE(read.printer->dpi);
  EXPECT_EQ(read.printer->media, labelprinter::Media::Mark);
  EXPECT_EQ(read.printer->gapMm, 2.75);
  EXPECT_EQ(read.printer->speed, 4);
  ASSERT_EQ(read.fields.size(), s.fields.size());
  EXPECT_EQ(read.fields[2].precision, 14);
  EXPECT_EQ(read.fields[2].numericScale, 3);
  // A snapshot of a later version, with lines this one does not know, still reads.
  EXPECT_EQ(readSnapshot("colour\tred\n" + written).title, s.title);
}

TEST(RunSnapshots, RecordsComeBackWithEveryValueOfItsKind) {
  const auto records = awkwardRecords();
  std::vector<std::string> texts;
  for (records->moveFirst(); !records->eof(); records->moveNext()) texts.push_back(recordText(*records));
  std::vector<data::Field> fields;
  for (size_t f = 0; f < records->fieldCount(); ++f) fields.push_back(records->field(f));
  const auto restored = restoreRecords(fields, {texts.begin(), texts.end()});
  ASSERT_EQ(restored->recordCount(), 2);
  records->moveFirst();
  for (int row = 0; row < 2; ++row, records->moveNext(), restored->moveNext())
    for (size_t f = 0; f < fields.size(); ++f)
      EXPECT_EQ(restored->value(f), records->value(f)) << "row " << row << " field " << fields[f].name;
  // Shown to a person: the values that are there, by field.
  const std::string shown = readableRecord(fields, texts[0], RegionalSettings::italian());
  EXPECT_NE(shown.find("CODE=A-1; TEXT=Flangia"), std::string::npos) << shown;
  EXPECT_NE(shown.find("QTY=1,5"), std::string::npos) << shown;
}

TEST(RunSnapshots, ARecordLikeAnotherIsFoundWithoutReadingIt) {
  const auto records = awkwardRecords();
  records->moveFirst();
  const data::Bookmark first = records->bookmark();
  const Value big = records->value("BIG");
  records->addNewLike(first);
  records->update();
  EXPECT_TRUE(records->sameValues(first));
  // The same number at another scale prints otherwise.
  records->setValue("BIG", Value(*Decimal::parse("123456789012345678901234.50")));
  records->update();
  EXPECT_FALSE(records->sameValues(first));
  records->setValue("BIG", big);
  records->update();
  EXPECT_TRUE(records->sameValues(first));
  // A long text one letter apart.
  records->setValue("TEXT", Value("Flangia\tØ 80\r\nriga 2 \\ C:\\temp \x1f finE"));
  records->update();
  EXPECT_FALSE(records->sameValues(first));
  records->moveNext();
  EXPECT_THROW(records->sameValues(first), Error);
}

TEST(RunSnapshots, DamageIsRefused) {
  const std::vector<data::Field> one{{"TEXT", data::FieldType::LongVarWChar}};
  const auto refused = [&](std::string_view text) {
    try {
      restoreRecords(one, {text});
    } catch (const Error&) {
      return true;
    }
    return false;
  };
  EXPECT_FALSE(refused("tok"));
  EXPECT_TRUE(refused("tone\x1ftwo"));  // two values for one field
  EXPECT_TRUE(refused("xwhat"));
  EXPECT_TRUE(refused("i12a"));
  EXPECT_TRUE(refused("tends in \\"));
  EXPECT_TRUE(refused(""));
  EXPECT_THROW(readSnapshot("height\tDb\tten\n"), Error);
  EXPECT_THROW(readSnapshot("field\tA\n"), Error);
  EXPECT_THROW(restoreRecords({}, {}), Error);
}

TEST(RunSnapshots, LabelListsAsOperatorsTypeThem) {
  using List = std::optional<std::vector<int64_t>>;
  EXPECT_EQ(parseLabelList("17-20,25"), List({17, 18, 19, 20, 25}));
  EXPECT_EQ(parseLabelList("25,3,3-4"), List({3, 4, 25}));
  EXPECT_EQ(parseLabelList("7"), List(std::vector<int64_t>{7}));
  for (const char* bad :
       {"", "0", "-3", "3-", "4-2", "1,,2", "a", "1-99999999999", "2 ", "1;2", "99999999999999999999"})
    EXPECT_EQ(parseLabelList(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace briskal::hostkit
