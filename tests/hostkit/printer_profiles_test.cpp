// Printer profiles on every database: kept whole with the settings left to the printer, shared
// by every connection, changed and removed by name; a profile the rules refuse stores nothing.

#include "hostkit/store/printer_profiles.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "data/connection.h"
#include "hostkit/store/host_tables.h"
#include "support/database_backends.h"

namespace briskal::hostkit {
namespace {

using labelprinter::LabelSize;
using labelprinter::Media;
using labelprinter::PrinterLanguage;

const Value kProfilesCompany(int32_t{1});

PrinterProfile zt1() {
  PrinterProfile p;
  p.name = "ZT1";
  p.destination = "tcp://10.0.0.7:9100";
  p.settings.language = PrinterLanguage::Zpl;
  p.settings.dpi = 300;
  p.settings.media = Media::Mark;
  p.settings.gapMm = 2.5;
  p.settings.labelSize = LabelSize{100, 50};
  p.settings.darkness = 22;
  p.settings.speed = 4;
  p.settings.offsetXMm = 1.25;
  p.settings.offsetYMm = 0.5;
  p.settings.checkStatus = false;
  return p;
}

using PrinterProfileStores = briskal::testing::FreshDatabaseTest;

TEST_P(PrinterProfileStores, AProfileIsKeptWholeAndSharedByEveryConnection) {
  PrinterProfiles profiles(connection_, kProfilesCompany);
  EXPECT_TRUE(profiles.list().empty());
  EXPECT_FALSE(profiles.find("ZT1"));
  profiles.add(zt1(), "anna");
  // Everything left to the printer stays unset.
  PrinterProfile plain{
      .name = "Banco 2", .destination = "cups:etichette", .settings = {}, .changedBy = {}, .changedUtc = {}};
  profiles.add(plain, "bruno");

  data::Connection other;
  other.setConnectionString(database_);
  other.open();
  const std::vector<PrinterProfile> seen = PrinterProfiles(other, kProfilesCompany).list();
  ASSERT_EQ(seen.size(), 2U);
  EXPECT_EQ(seen[0].name, "Banco 2");
  EXPECT_FALSE(seen[0].settings.language);
  EXPECT_FALSE(seen[0].settings.dpi);
  EXPECT_FALSE(seen[0].settings.darkness);
  EXPECT_FALSE(seen[0].settings.labelSize);
  EXPECT_TRUE(seen[0].settings.checkStatus);
  EXPECT_EQ(seen[0].changedBy, "bruno");
  const PrinterProfile& kept = seen[1];
  const PrinterProfile want = zt1();
  EXPECT_EQ(kept.destination, want.destination);
  EXPECT_EQ(kept.settings.language, want.settings.language);
  EXPECT_EQ(kept.settings.dpi, want.settings.dpi);
  EXPECT_EQ(kept.settings.media, Media::Mark);
  EXPECT_DOUBLE_EQ(kept.settings.gapMm, 2.5);
  ASSERT_TRUE(kept.settings.labelSize);
  EXPECT_DOUBLE_EQ(kept.settings.labelSize->widthMm, 100);
  EXPECT_DOUBLE_EQ(kept.settings.labelSize->heightMm, 50);
  EXPECT_EQ(kept.settings.darkness, 22);
  EXPECT_EQ(kept.settings.speed, 4);
  EXPECT_DOUBLE_EQ(kept.settings.offsetXMm, 1.25);
  EXPECT_DOUBLE_EQ(kept.settings.offsetYMm, 0.5);
  EXPECT_FALSE(kept.settings.checkStatus);
  EXPECT_EQ(kept.settings.name, "ZT1") << "messages name the printer by its profile";
  // Another company has profiles of its own.
  EXPECT_TRUE(PrinterProfiles(other, Value(int32_t{2})).list().empty());

  PrinterProfile changed = kept;
  changed.destination = "ipp://10.0.0.8/ipp/print";
  changed.settings.darkness.reset();
  profiles.update(changed, "carla");
  const std::optional<PrinterProfile> updated = profiles.find("ZT1");
  ASSERT_TRUE(updated);
  EXPECT_EQ(updated->destination, "ipp://10.0.0.8/ipp/print");
  EXPECT_FALSE(updated->settings.darkness);
  EXPECT_EQ(updated->changedBy, "carla");

  profiles.remove("ZT1");
  EXPECT_FALSE(profiles.find("ZT1"));
  EXPECT_EQ(profiles.list().size(), 1U);
}

TEST_P(PrinterProfileStores, WhatTheRulesRefuseStoresNothing) {
  PrinterProfiles profiles(connection_, kProfilesCompany);
  profiles.add(zt1(), "anna");
  const auto refused = [&](const char* what, auto change) {
    PrinterProfile p = zt1();
    p.name = "NEW";
    change(p);
    Error error(0, "", "");
    try {
      profiles.add(p, "anna");
    } catch (const Error& e) {
      error = e;
    }
    EXPECT_EQ(error.number(), err::kInvalidArgument) << what << ": " << error.description();
    // The profile of a name taken stays as it was: see below.
    if (p.name != "ZT1") {
      EXPECT_FALSE(profiles.find(p.name)) << what;
    }
  };
  refused("a name taken", [](PrinterProfile& p) { p.name = "ZT1"; });
  refused("no name", [](PrinterProfile& p) { p.name = ""; });
  refused("an address as a name", [](PrinterProfile& p) { p.name = "tcp://x"; });
  refused("a CUPS printer for pages", [](PrinterProfile& p) { p.destination = "Office"; });
  refused("a file", [](PrinterProfile& p) { p.destination = "labels.zpl"; });
  refused("a bad address", [](PrinterProfile& p) { p.destination = "tcp://host:70000"; });
  refused("dpi", [](PrinterProfile& p) { p.settings.dpi = 204; });
  refused("darkness", [](PrinterProfile& p) { p.settings.darkness = 31; });
  refused("speed", [](PrinterProfile& p) { p.settings.speed = 0; });
  refused("gap", [](PrinterProfile& p) { p.settings.gapMm = -1; });
  refused("label size", [](PrinterProfile& p) { p.settings.labelSize = LabelSize{100, 2000}; });
  refused("a negative offset", [](PrinterProfile& p) { p.settings.offsetYMm = -0.5; });
  refused("an offset past the label", [](PrinterProfile& p) { p.settings.offsetXMm = 100; });
  const std::optional<PrinterProfile> kept = profiles.find("ZT1");
  ASSERT_TRUE(kept);
  PrinterProfile bad = *kept;
  bad.settings.darkness = 40;
  EXPECT_THROW(profiles.update(bad, "anna"), Error);
  EXPECT_EQ(profiles.find("ZT1")->settings.darkness, 22);
}

// A database made by an earlier program, its host tables at version 3, has no profiles yet and
// gets their table at the first profile kept.
TEST_P(PrinterProfileStores, AnOlderDatabaseGetsTheTableWhenAProfileIsAdded) {
  ensureHostTables(connection_);
  connection_.execute("DROP TABLE BRISKAL_PRINTERS");
  connection_.execute("UPDATE BRISKAL_SCHEMA SET VERSION = 3");
  PrinterProfiles profiles(connection_, kProfilesCompany);
  EXPECT_TRUE(profiles.list().empty());
  EXPECT_FALSE(profiles.find("ZT1"));
  profiles.add(zt1(), "anna");
  EXPECT_TRUE(profiles.find("ZT1"));
  EXPECT_EQ(hostTablesVersion(connection_), kHostSchemaVersion);
}

INSTANTIATE_TEST_SUITE_P(Databases, PrinterProfileStores, ::testing::Values("sqlite", "postgresql"),
                         briskal::testing::backendTestName);

}  // namespace
}  // namespace briskal::hostkit
