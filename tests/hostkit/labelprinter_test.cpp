#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "common/error.h"
#include "data/recordset.h"
#include "hostkit/labelprinter/destination.h"
#include "hostkit/labelprinter/epl2_writer.h"
#include "hostkit/labelprinter/file_device.h"
#include "hostkit/labelprinter/headless_label_printer.h"
#include "hostkit/labelprinter/label_writer.h"
#include "hostkit/labelprinter/tcp_device.h"
#include "hostkit/labelprinter/windows1252.h"
#include "support/files.h"
#include "support/memory_device.h"
#include "support/process.h"
#include "test_helpers.h"

namespace briskal::hostkit::labelprinter {
namespace {

namespace fs = std::filesystem;
using report::Align;
using report::BarcodeOp;
using report::BoxOp;
using report::ImageOp;
using report::LineOp;
using report::Page;
using report::Symbology;
using report::TextOp;

using testing::expectGolden;
using testing::readFile;

using testing::errorText;

using testing::MemoryDevice;

std::string job(const std::vector<Page>& pages, PrinterSettings settings = {}) {
  MemoryDevice device;
  const auto writer = makeLabelWriter(device, settings);
  writer->startJob();
  for (const Page& page : pages) writer->label(page);
  writer->endJob();
  EXPECT_TRUE(device.finished());
  EXPECT_EQ(writer->labels(), static_cast<int>(pages.size()));
  return device.bytes();
}

PrinterSettings inLanguage(PrinterLanguage language, PrinterSettings settings = {}) {
  settings.language = language;
  return settings;
}

// The job in both languages against the golden files epl2_NAME.epl and zpl_NAME.zpl.
void expectGoldenJobs(const std::string& name, const std::vector<Page>& pages,
                      PrinterSettings settings = {}) {
  expectGolden("epl2_" + name + ".epl", job(pages, inLanguage(PrinterLanguage::Epl2, settings)));
  expectGolden("zpl_" + name + ".zpl", job(pages, inLanguage(PrinterLanguage::Zpl, settings)));
}

class TempDir {
 public:
  TempDir() : path_(fs::temp_directory_path() / ("labelprinter_test_" + std::to_string(::getpid()))) {
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// A printer stand-in on 127.0.0.1: accepts one connection and keeps everything it reads.
class LoopbackPrinter {
 public:
  LoopbackPrinter() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener_, 1) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
      throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(addr.sin_port);
    reader_ = std::thread([this] { receive(); });
  }
  ~LoopbackPrinter() {
    if (reader_.joinable()) reader_.join();
    ::close(listener_);
  }
  uint16_t port() const { return port_; }
  // Waits for the sender to close the connection.
  std::string received() {
    reader_.join();
    return received_;
  }

 private:
  void receive() {
    // A bound against a hang only: the test connects before it asks for what was received.
    constexpr int kConnectedWithinMs = 60000;
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, kConnectedWithinMs) != 1) return;
    const int connection = ::accept(listener_, nullptr, nullptr);
    char buffer[4096];
    for (ssize_t n; (n = ::read(connection, buffer, sizeof buffer)) > 0;)
      received_.append(buffer, static_cast<size_t>(n));
    ::close(connection);
  }

  int listener_ = -1;
  uint16_t port_ = 0;
  std::thread reader_;
  std::string received_;
};

// A label as a work-order template would lay it out: a frame, the description, a rule and the
// item code as Code 128.
Page workOrderLabel(const data::Recordset& record) {
  Page page{.width = 100, .height = 50, .ops = {}};
  page.ops.emplace_back(BoxOp{.x = 1, .y = 1, .width = 98, .height = 48, .thickness = 0.5});
  page.ops.emplace_back(
      TextOp{.x = 3, .y = 3, .width = 94, .height = 6, .text = record.value("DESCART").asText(), .size = 12});
  page.ops.emplace_back(LineOp{.x1 = 1, .y1 = 11, .x2 = 99, .y2 = 11});
  page.ops.emplace_back(BarcodeOp{.x = 3,
                                  .y = 14,
                                  .width = 70,
                                  .height = 20,
                                  .symbology = Symbology::Code128,
                                  .data = record.value("CODART").asText()});
  page.ops.emplace_back(TextOp{.x = 3,
                               .y = 40,
                               .width = 94,
                               .height = 6,
                               .text = "Qta " + std::to_string(record.value("QTA").asInt32()),
                               .size = 10,
                               .align = Align::Right});
  return page;
}

// A layout that lays each record out with `label`.
HeadlessLabelPrinter::Layout eachRecord(std::function<Page(const data::Recordset&)> label) {
  return [label](const data::Recordset& records, const report::RunSettings&) {
    return [label, &records] { return label(records); };
  };
}

std::unique_ptr<data::Recordset> workOrderRows() {
  auto rs = std::make_unique<data::Recordset>();
  rs->setCursorLocation(data::cursor::kUseClient);
  rs->appendField("CODART", data::FieldType::VarWChar, 20);
  rs->appendField("DESCART", data::FieldType::VarWChar, 40);
  rs->appendField("QTA", data::FieldType::Integer);
  rs->open();
  const std::tuple<const char*, const char*, int32_t> rows[] = {{"PD-000123", "Flangia Ø 80 \"cieca\"", 12},
                                                                {"PD-000124", "Perno à tête", 4},
                                                                {"4711", "Dado M8", 250}};
  for (const auto& [code, description, quantity] : rows) {
    rs->addNew();
    rs->setValue("CODART", Value(code));
    rs->setValue("DESCART", Value(description));
    rs->setValue("QTA", Value(quantity));
    rs->update();
  }
  rs->moveFirst();
  return rs;
}

TEST(PrinterDots, MillimetresRoundToTheNearestDot) {
  struct Case {
    double mm;
    int at203;
    int at300;
  };
  for (const Case c : {Case{0, 0, 0}, Case{0.3, 2, 4}, Case{1, 8, 12}, Case{3, 24, 35}, Case{10, 80, 118},
                       Case{25.4, 203, 300}, Case{50, 400, 591}, Case{100, 799, 1181}, Case{-1, -8, -12}}) {
    EXPECT_EQ(toDots(c.mm, 203), c.at203) << c.mm << " mm";
    EXPECT_EQ(toDots(c.mm, 300), c.at300) << c.mm << " mm";
  }
}

TEST(PrinterDots, FarBeyondALabelStopAtTheLanguagesLargestNumber) {
  EXPECT_EQ(toDots(1e9, 203), kMaxDots);
  EXPECT_EQ(toDots(-1e9, 600), -kMaxDots);
  // A template's numbers have no upper bound: a text placed and sized kilometres out.
  Page page{.width = 100, .height = 50, .ops = {}};
  page.ops.emplace_back(TextOp{.x = 1e9, .y = 1e12, .width = 10, .height = 5, .text = "far", .size = 1e12});
  EXPECT_NE(job({page}, inLanguage(PrinterLanguage::Zpl)).find("^FO32000,32000^A0N,32000,32000^FH^FDfar^FS"),
            std::string::npos);
  EXPECT_NE(job({page}, inLanguage(PrinterLanguage::Epl2)).find("\nA32000,32000,0,4,6,6,N,\"far\"\n"),
            std::string::npos);
}

TEST(Epl2Text, Utf8BecomesWindows1252WithQuestionMarksForTheRest) {
  EXPECT_EQ(toWindows1252("Qta 12,5"), "Qta 12,5");
  EXPECT_EQ(toWindows1252("àèéìòù ÀÉ ß ÿ"), "\xE0\xE8\xE9\xEC\xF2\xF9 \xC0\xC9 \xDF \xFF");
  EXPECT_EQ(toWindows1252("€ 5 – “ok” … Œ ™"), "\x80 5 \x96 \x93ok\x94 \x85 \x8C \x99");
  EXPECT_EQ(toWindows1252("日本"), "??");
  EXPECT_EQ(toWindows1252("a😀b"), "a?b");
  EXPECT_EQ(toWindows1252("a\nb\tc"), "a?b?c");
  EXPECT_EQ(toWindows1252("bad \xC3 byte"), "bad ? byte");
  // One '?' for each maximal invalid subpart: an overlong '^', a surrogate, a code point past U+10FFFF.
  EXPECT_EQ(toWindows1252("\xE0\x81\x9E \xED\xA0\x80 \xF4\x90\x80\x80"), "??? ??? ????");
}

// The data of every ZPL field (^FD to ^FS), in order.
std::vector<std::string> zplFields(const std::string& stream) {
  std::vector<std::string> fields;
  for (size_t at = stream.find("^FD"); at != std::string::npos; at = stream.find("^FD", at)) {
    const size_t end = stream.find("^FS", at);
    fields.push_back(stream.substr(at + 3, end - at - 3));
    at = end;
  }
  return fields;
}

// The quoted string ending every EPL2 text line (A...), quotes included, in order.
std::vector<std::string> epl2Texts(const std::string& stream) {
  std::vector<std::string> texts;
  for (size_t at = stream.find("\nA"); at != std::string::npos; at = stream.find("\nA", at + 1)) {
    const size_t end = stream.find('\n', at + 1);
    const size_t open = stream.find('"', at);
    texts.push_back(stream.substr(open, end - open));
  }
  return texts;
}

std::string repeated(std::string_view text, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += text;
  return out;
}

TEST(LabelStreamText, InvalidUtf8BecomesOneReplacementPerInvalidSubpart) {
  struct Case {
    const char* bytes;
    size_t subparts;
  };
  const Case cases[] = {
      {"\xFF", 1}, {"\xC0\x80", 2}, {"\xE0\x81\x9E", 3}, {"\xED\xA0\x80", 3}, {"\xF4\x90\x80\x80", 4}};
  for (const Case& c : cases) {
    const std::string text = std::string("a") + c.bytes + "b";
    Page page{.width = 50, .height = 30, .ops = {}};
    page.ops.emplace_back(TextOp{.width = 40, .height = 5, .text = text});
    EXPECT_EQ(epl2Texts(job({page}, inLanguage(PrinterLanguage::Epl2))),
              std::vector<std::string>{"\"a" + std::string(c.subparts, '?') + "b\""})
        << ::testing::PrintToString(c.bytes);
    // ZPL prints UTF-8, the 2D barcodes included: U+FFFD for each invalid subpart.
    page.ops.emplace_back(
        BarcodeOp{.y = 10, .width = 20, .height = 20, .symbology = Symbology::DataMatrix, .data = text});
    const std::string valid = "a" + repeated("\xEF\xBF\xBD", c.subparts) + "b";
    EXPECT_EQ(zplFields(job({page}, inLanguage(PrinterLanguage::Zpl))),
              (std::vector<std::string>{valid, valid}))
        << ::testing::PrintToString(c.bytes);
  }
}

TEST(LabelStreamText, ZplFieldBlockWritesBackslashesTwice) {
  // In a field block (centred and right-aligned texts) a backslash starts a line break or a hyphen;
  // outside one it is a character like any other.
  Page page{.width = 50, .height = 30, .ops = {}};
  page.ops.emplace_back(TextOp{.width = 40, .height = 5, .text = R"(C:\&temp\\x_y)", .align = Align::Right});
  page.ops.emplace_back(TextOp{.y = 10, .width = 40, .height = 5, .text = R"(C:\&temp\\x_y)"});
  EXPECT_EQ(zplFields(job({page}, inLanguage(PrinterLanguage::Zpl))),
            (std::vector<std::string>{R"(C:\\&temp\\\\x_5Fy)", R"(C:\&temp\\x_5Fy)"}));
}

TEST(LabelStreamText, CommandsInTextStayData) {
  struct Case {
    std::string text;
    std::string zpl;   // the field's data
    std::string epl2;  // the quoted string
  };
  const Case cases[] = {
      {"^XA^FDx^FS^XZ", "_5EXA_5EFDx_5EFS_5EXZ", R"("^XA^FDx^FS^XZ")"},
      {"~JA cancel", "_7EJA cancel", R"("~JA cancel")"},
      {"a\"\nP9\nN\"", "a\"?P9?N\"", R"("a\"?P9?N\"")"},
      {"end\\", "end\\", R"("end\\")"},
      {std::string("nul\0cr\r", 7), "nul?cr?", R"("nul?cr?")"},
  };
  for (const Case& c : cases) {
    Page page{.width = 50, .height = 30, .ops = {}};
    page.ops.emplace_back(TextOp{.width = 40, .height = 5, .text = c.text});
    EXPECT_EQ(zplFields(job({page}, inLanguage(PrinterLanguage::Zpl))), std::vector<std::string>{c.zpl})
        << ::testing::PrintToString(c.text);
    EXPECT_EQ(epl2Texts(job({page}, inLanguage(PrinterLanguage::Epl2))), std::vector<std::string>{c.epl2})
        << ::testing::PrintToString(c.text);
  }
}

TEST(LabelGolden, TextsWithAccentsQuotesSizesAndAlignment) {
  Page page{.width = 100, .height = 60, .ops = {}};
  page.ops.emplace_back(
      TextOp{.x = 2, .y = 2, .width = 96, .height = 5, .text = "Flangia Ø 80 – perno àèìòù", .size = 8});
  page.ops.emplace_back(
      TextOp{.x = 2, .y = 9, .width = 96, .height = 5, .text = R"(Il "pezzo" in C:\temp)", .size = 10});
  page.ops.emplace_back(TextOp{
      .x = 2, .y = 16, .width = 96, .height = 8, .text = "€ 12,50 日本", .size = 14, .align = Align::Center});
  page.ops.emplace_back(TextOp{
      .x = 2, .y = 26, .width = 96, .height = 10, .text = "LOTTO 42", .size = 18, .align = Align::Right});
  page.ops.emplace_back(TextOp{.x = 2, .y = 38, .width = 96, .height = 16, .text = "Grande", .size = 40});
  page.ops.emplace_back(TextOp{.x = 2, .y = 56, .width = 96, .height = 3, .text = "", .size = 6});
  // The characters that start and escape ZPL commands, and a control character.
  page.ops.emplace_back(TextOp{
      .x = 50, .y = 56, .width = 40, .height = 3, .text = "a^b~c_d\x01e", .size = 6, .align = Align::Right});
  expectGoldenJobs("texts", {page});
}

TEST(LabelGolden, EveryBarcodeKind) {
  Page page{.width = 100, .height = 80, .ops = {}};
  page.ops.emplace_back(BarcodeOp{
      .x = 2, .y = 2, .width = 80, .height = 15, .symbology = Symbology::Code128, .data = R"(PD-"7"\A)"});
  page.ops.emplace_back(BarcodeOp{.x = 2,
                                  .y = 20,
                                  .width = 40,
                                  .height = 12,
                                  .symbology = Symbology::Code128,
                                  .data = "00123456",
                                  .showText = false});
  page.ops.emplace_back(BarcodeOp{
      .x = 50, .y = 20, .width = 40, .height = 15, .symbology = Symbology::Ean13, .data = "4006381333931"});
  page.ops.emplace_back(BarcodeOp{.x = 2,
                                  .y = 40,
                                  .width = 30,
                                  .height = 30,
                                  .symbology = Symbology::QrCode,
                                  .data = "https://example.com/wo?n=24&r=7"});
  page.ops.emplace_back(BarcodeOp{.x = 50,
                                  .y = 40,
                                  .width = 20,
                                  .height = 20,
                                  .symbology = Symbology::DataMatrix,
                                  .data = "WO 24/000123 L7"});
  // Beyond printable ASCII Code 128 goes as a graphic in both languages.
  page.ops.emplace_back(BarcodeOp{.x = 2,
                                  .y = 72,
                                  .width = 60,
                                  .height = 6,
                                  .symbology = Symbology::Code128,
                                  .data = "Ø80",
                                  .showText = false});
  expectGoldenJobs("barcodes", {page});
}

TEST(LabelGolden, LinesAndBoxes) {
  Page page{.width = 80, .height = 40, .ops = {}};
  page.ops.emplace_back(LineOp{.x1 = 70, .y1 = 10, .x2 = 5, .y2 = 10, .thickness = 0.5});
  page.ops.emplace_back(LineOp{.x1 = 40, .y1 = 2, .x2 = 40, .y2 = 30, .thickness = 1});
  page.ops.emplace_back(LineOp{.x1 = 5, .y1 = 35, .x2 = 75, .y2 = 15, .thickness = 0.3});
  page.ops.emplace_back(LineOp{.x1 = 0, .y1 = 0, .x2 = 20, .y2 = 0, .thickness = 0.5});
  page.ops.emplace_back(BoxOp{.x = 1, .y = 1, .width = 78, .height = 38, .thickness = 0.6});
  page.ops.emplace_back(BoxOp{.x = 60, .y = 25, .width = 15, .height = 10, .thickness = 0.3, .filled = true});
  page.ops.emplace_back(BoxOp{.x = 10, .y = 20, .width = 0.05, .height = 0.05, .thickness = 0});
  expectGoldenJobs("shapes", {page});
}

TEST(LabelGolden, ImageAsOneBitGraphic) {
  Page page{.width = 50, .height = 30, .ops = {}};
  // 12 x 6 pixels (black, transparent, white with a dark diagonal) drawn 3 mm x 1.5 mm.
  page.ops.emplace_back(ImageOp{
      .x = 5, .y = 5, .width = 3, .height = 1.5, .file = testing::goldenFile("label_logo.png").string()});
  expectGoldenJobs("image", {page});
  const std::string bytes = job({page});
  // 24 x 12 dots, 3 bytes a row, each pixel a 2 x 2 block: black is 0 bits, transparent is paper,
  // and the diagonal's first pixel darkens dots 16-17 of rows 0-1.
  const std::string header = "GW40,40,3,12,";
  const size_t at = bytes.find(header);
  ASSERT_NE(at, std::string::npos);
  ASSERT_GE(bytes.size(), at + header.size() + 36);
  const std::string rows = bytes.substr(at + header.size(), 6);
  EXPECT_EQ(rows, std::string("\x00\xFF\x3F\x00\xFF\x3F", 6));
  // ZPL prints its 1 bits: the same rows inverted, in hexadecimal.
  const std::string zpl = job({page}, inLanguage(PrinterLanguage::Zpl));
  EXPECT_NE(zpl.find("^FO40,40^GFA,36,36,3,FF00C0FF00C0"), std::string::npos) << zpl;
}

TEST(LabelGolden, JobAt300DpiSetsTheSizeOnlyWhenItChanges) {
  Page small{.width = 60, .height = 30, .ops = {}};
  small.ops.emplace_back(
      TextOp{.x = 2, .y = 2, .width = 50, .height = 5, .text = "Etichetta piccola", .size = 10});
  Page large{.width = 100, .height = 50, .ops = {}};
  large.ops.emplace_back(
      TextOp{.x = 2, .y = 2, .width = 90, .height = 5, .text = "Etichetta grande", .size = 10});
  expectGoldenJobs("job_300dpi", {small, small, large}, {.dpi = 300, .gapMm = 2});
  EXPECT_EQ(job({small}).find("\nI8,A,001\n"), 0u);
}

TEST(LabelGolden, MediaDarknessAndSpeed) {
  Page page{.width = 60, .height = 30, .ops = {}};
  page.ops.emplace_back(TextOp{.x = 2, .y = 2, .width = 50, .height = 5, .text = "Etichetta", .size = 10});
  expectGoldenJobs("black_mark", {page, page},
                   {.media = Media::Mark, .gapMm = 4, .darkness = 21, .speed = 4});
  expectGoldenJobs("continuous", {page}, {.dpi = 600, .media = Media::Continuous});
}

TEST(LabelErrors, BarcodeValuesTheSymbologyCannotCarry) {
  for (const char* bad : {"400638133393x", "4006381333932", "12345"}) {
    Page page;
    page.ops.emplace_back(BarcodeOp{.width = 40, .height = 15, .symbology = Symbology::Ean13, .data = bad});
    for (const PrinterLanguage language : {PrinterLanguage::Epl2, PrinterLanguage::Zpl}) {
      MemoryDevice device;
      const auto writer = makeLabelWriter(device, inLanguage(language));
      EXPECT_NE(errorText([&] { writer->label(page); }).find(bad), std::string::npos) << bad;
    }
  }
}

TEST(LabelErrors, ARefusedLabelLeavesTheNextOneItsSize) {
  Page small{.width = 60, .height = 30, .ops = {}};
  Page refused{.width = 100, .height = 50, .ops = {}};
  refused.ops.emplace_back(
      BarcodeOp{.width = 40, .height = 15, .symbology = Symbology::Ean13, .data = "12345"});
  const Page large{.width = 100, .height = 50, .ops = {}};
  // 100 x 50 mm at 203 dpi: only the refused label had said so, and it was never sent.
  const std::pair<PrinterLanguage, const char*> sizes[] = {{PrinterLanguage::Zpl, "^PW799^LL400"},
                                                           {PrinterLanguage::Epl2, "q799\nQ400,"}};
  for (const auto& [language, size] : sizes) {
    MemoryDevice device;
    const auto writer = makeLabelWriter(device, inLanguage(language));
    writer->label(small);
    EXPECT_THROW(writer->label(refused), Error);
    writer->label(large);
    EXPECT_NE(device.bytes().find(size), std::string::npos) << device.bytes();
    EXPECT_EQ(writer->labels(), 2);
  }
}

TEST(LabelErrors, MissingImageNamesTheFile) {
  Page page;
  page.ops.emplace_back(ImageOp{.width = 10, .height = 10, .file = "/nonexistent/logo.png"});
  MemoryDevice device;
  Epl2Writer writer(device);
  EXPECT_NE(errorText([&] { writer.label(page); }).find("/nonexistent/logo.png"), std::string::npos);
  EXPECT_EQ(testing::errorNumber([&] { writer.label(page); }), err::kFileNotFound);
  // A file that is no image is an invalid picture.
  page.ops[0] = ImageOp{.width = 10, .height = 10, .file = testing::goldenFile("epl2_texts.epl").string()};
  EXPECT_EQ(testing::errorNumber([&] { writer.label(page); }), err::kInvalidPicture);
}

TEST(LabelDevices, TcpJobArrivesAsTheFileHasIt) {
  TempDir dir;
  const auto rows = workOrderRows();
  HeadlessLabelPrinter toFile((dir.path() / "job.epl").string(), eachRecord(workOrderLabel));
  toFile.setRecordset(rows.get());
  toFile.start();

  LoopbackPrinter printer;
  HeadlessLabelPrinter toPrinter("tcp://127.0.0.1:" + std::to_string(printer.port()),
                                 eachRecord(workOrderLabel));
  toPrinter.setRecordset(rows.get());
  toPrinter.start();
  const std::string received = printer.received();
  EXPECT_EQ(received, readFile(dir.path() / "job.epl"));
  EXPECT_EQ(toPrinter.result(), Value(int32_t{3}));
}

TEST(LabelDevices, RefusedConnectionNamesTheAddress) {
  const testing::RefusingLoopbackPort closed;
  const auto port = static_cast<uint16_t>(closed.port());

  const std::string message = errorText([&] { TcpDevice device("127.0.0.1", port); });
  EXPECT_NE(message.find("127.0.0.1:" + std::to_string(port)), std::string::npos) << message;
  EXPECT_NE(message.find("refused"), std::string::npos) << message;
  EXPECT_EQ(testing::errorNumber([&] { TcpDevice device("127.0.0.1", port); }), err::kDeviceIoError);
}

TEST(LabelDevices, DestinationsOfUnknownFormAreRejected) {
  for (const char* bad : {"printer", "labels.txt", "tcp://", "tcp://host:0", "tcp://host:70000",
                          "tcp://host:91x", "tcp://[::1", "cups:", "lpd://host/queue"}) {
    Error error(0, "", "");
    try {
      openPrinter(bad, {}, "t");
    } catch (const Error& e) {
      error = e;
    }
    EXPECT_EQ(error.number(), err::kInvalidArgument) << bad << ": " << error.description();
  }
}

TEST(LabelDevices, AFileTakesItsExtensionsLanguage) {
  TempDir dir;
  const auto rows = workOrderRows();
  HeadlessLabelPrinter zpl((dir.path() / "labels.zpl").string(), eachRecord(workOrderLabel));
  zpl.setRecordset(rows.get());
  zpl.start();
  const std::string bytes = readFile(dir.path() / "labels.zpl");
  EXPECT_EQ(bytes.find("^XA^CI28\n"), 0u);
  EXPECT_EQ(bytes.find("I8,A"), std::string::npos);

  // The extension in any case, as the command line takes it.
  for (const auto& [name, language] :
       {std::pair{"UPPER.ZPL", PrinterLanguage::Zpl}, std::pair{"Mixed.Epl", PrinterLanguage::Epl2}}) {
    const OpenedPrinter printer = openPrinter((dir.path() / name).string(), {}, "t");
    EXPECT_EQ(printer.settings.language, language) << name;
  }

  const std::string conflict =
      errorText([&] { openPrinter((dir.path() / "x.epl").string(), inLanguage(PrinterLanguage::Zpl), "t"); });
  EXPECT_NE(conflict.find("holds epl2, not zpl"), std::string::npos) << conflict;
  EXPECT_FALSE(fs::exists(dir.path() / "x.epl"));
}

TEST(LabelDevices, FileAndCupsFailuresNameTheirTarget) {
  EXPECT_NE(errorText([] { FileDevice device("/nonexistent/dir/job.epl"); }).find("/nonexistent/dir/job.epl"),
            std::string::npos);
  // Either no CUPS server answers or it has no such queue: the job fails before anything is sent,
  // with the queue's name.
  EXPECT_NE(
      errorText([] { openPrinter("cups:briskal-no-such-queue", {}, "test"); }).find("briskal-no-such-queue"),
      std::string::npos);
  // Files fail with the file's own error numbers, not as a database would.
  EXPECT_EQ(testing::errorNumber([] { FileDevice missing("/nonexistent/dir/job.epl"); }), err::kFileNotFound);
}

TEST(HeadlessLabelPrinter, WritesOneLabelPerRecordInOneJob) {
  TempDir dir;
  const auto rows = workOrderRows();
  HeadlessLabelPrinter printer((dir.path() / "labels.epl").string(), eachRecord(workOrderLabel));
  EXPECT_EQ(printer.version(), Value("EPL2 1.0"));
  printer.setContext(Value("context"));
  printer.prepare();
  printer.setRecordset(rows.get());
  printer.start();
  printer.setRecordset(nullptr);
  EXPECT_EQ(printer.result(), Value(int32_t{3}));
  const std::string bytes = readFile(dir.path() / "labels.epl");
  expectGolden("work_order_job.epl", bytes);
  EXPECT_EQ(bytes.find("I8,A,001"), bytes.rfind("I8,A,001"));
}

TEST(HeadlessLabelPrinter, FollowsTheFilterAndLeavesTheCurrentRow) {
  TempDir dir;
  const auto rows = workOrderRows();
  rows->setFilter("QTA > 10");
  rows->setSort("QTA DESC");
  rows->moveLast();
  HeadlessLabelPrinter printer((dir.path() / "labels.epl").string(), eachRecord(workOrderLabel));
  printer.setRecordset(rows.get());
  printer.start();
  EXPECT_EQ(printer.result(), Value(int32_t{2}));
  EXPECT_EQ(rows->value("CODART"), Value("PD-000123"));
  const std::string bytes = readFile(dir.path() / "labels.epl");
  EXPECT_LT(bytes.find("\"4711\""), bytes.find("\"PD-000123\""));
  EXPECT_EQ(bytes.find("PD-000124"), std::string::npos);
}

TEST(HeadlessLabelPrinter, NoRecordsNoJobAndNoRecordsetAnError) {
  TempDir dir;
  const auto rows = workOrderRows();
  rows->setFilter("QTA > 1000");
  HeadlessLabelPrinter printer((dir.path() / "labels.epl").string(), eachRecord(workOrderLabel));
  printer.setRecordset(rows.get());
  printer.start();
  EXPECT_EQ(printer.result(), Value(int32_t{0}));
  EXPECT_FALSE(fs::exists(dir.path() / "labels.epl"));

  printer.setRecordset(nullptr);
  EXPECT_NE(errorText([&] { printer.start(); }), "no error");
}

TEST(HeadlessLabelPrinter, LayoutFailureStopsTheJobAndCountsWhatWasWritten) {
  TempDir dir;
  const auto rows = workOrderRows();
  // The second record's item code is no EAN-13.
  HeadlessLabelPrinter printer(
      (dir.path() / "labels.epl").string(), eachRecord([](const data::Recordset& record) {
        Page page = workOrderLabel(record);
        const bool first = record.value("QTA") == Value(int32_t{12});
        page.ops.emplace_back(BarcodeOp{.width = 40,
                                        .height = 15,
                                        .symbology = Symbology::Ean13,
                                        .data = first ? "4006381333931" : record.value("CODART").asText()});
        return page;
      }));
  { std::ofstream(dir.path() / "labels.epl") << "earlier job"; }
  printer.setRecordset(rows.get());
  EXPECT_NE(errorText([&] { printer.start(); }).find("PD-000124"), std::string::npos);
  EXPECT_EQ(printer.result(), Value(int32_t{1}));
  // The job did not finish: the earlier one stays, and nothing half-written lies beside it.
  EXPECT_EQ(readFile(dir.path() / "labels.epl"), "earlier job");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace briskal::hostkit::labelprinter
