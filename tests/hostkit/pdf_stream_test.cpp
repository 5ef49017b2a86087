// Runs of any length: pages split into what they share and what is their own, PDF documents
// written as the pages come, pages drawn on a thread of their own, and CUPS jobs sent while they
// are drawn. Pages are compared as poppler draws them, when poppler's tools are installed.

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "hostkit/report/cairo_renderer.h"
#include "hostkit/report/cups_stream.h"
#include "hostkit/report/drawing_thread.h"
#include "hostkit/report/page_layers.h"
#include "hostkit/report/pdf_document.h"
#include "hostkit/report/report_template.h"
#include "support/database_backends.h"
#include "support/files.h"
#include "support/print_servers.h"
#include "support/process.h"
#include "test_helpers.h"

namespace briskal::hostkit::report {
namespace {

namespace fs = std::filesystem;

using testing::errorText;

// A label like the shipped customisable one: a frame, rules and captions that every label has,
// the article's texts and barcode, and the copy's number.
Page label(const std::string& article, int copy) {
  Page page{100, 50, {}};
  page.ops.emplace_back(BoxOp{1, 1, 98, 48, 0.4, false});
  page.ops.emplace_back(TextOp{3, 2, 60, 5, "Officine Brambilla", "DejaVu Sans", 7, false, Align::Left});
  page.ops.emplace_back(TextOp{80, 2, 17, 5, std::to_string(copy), "DejaVu Sans", 7, false, Align::Right});
  page.ops.emplace_back(LineOp{1, 8, 99, 8, 0.2});
  page.ops.emplace_back(TextOp{3, 9, 94, 7, article, "DejaVu Sans", 15, true, Align::Left});
  page.ops.emplace_back(TextOp{3, 16, 94, 5, "Piatto " + article, "DejaVu Sans", 9, false, Align::Left});
  page.ops.emplace_back(TextOp{3, 22, 20, 4, "Ordine", "DejaVu Sans", 7, false, Align::Left});
  page.ops.emplace_back(BarcodeOp{3, 30, 60, 17, Symbology::Code128, article, true});
  page.ops.emplace_back(TextOp{70, 30, 27, 6, "Quantità", "DejaVu Sans", 7, false, Align::Left});
  return page;
}

// `copies` labels of each article, one article after the other.
std::vector<Page> labelRun(int articles, int copies) {
  std::vector<Page> pages;
  for (int a = 0; a < articles; ++a)
    for (int c = 1; c <= copies; ++c) pages.push_back(label("ART-" + std::to_string(1000 + a), c));
  return pages;
}

std::string withoutCreationDate(std::string pdf) {
  const size_t at = pdf.find("/CreationDate");
  if (at != std::string::npos) pdf.erase(at, pdf.find('\n', at) - at);
  return pdf;
}

// ---------------------------------------------------------------------------------------------
// What pages share.

size_t countOps(const PageLayers::Split& s) { return s.common.size() + s.repeated.size() + s.own.size(); }

TEST(PageLayers, CopiesShareAllButTheirNumberAndChanceStaysOwn) {
  const std::vector<Page> run = labelRun(2, 3);
  PageLayers layers;
  std::vector<PageLayers::Split> splits;
  for (size_t n = 0; n < run.size(); ++n)
    splits.push_back(layers.split(run[n], n + 1 < run.size() ? &run[n + 1] : nullptr));
  for (size_t n = 0; n < run.size(); ++n) EXPECT_EQ(countOps(splits[n]), run[n].ops.size()) << n;

  // The first page knows only the next: all but its number goes into the shared part at once.
  EXPECT_TRUE(splits[0].common.empty());
  EXPECT_EQ(splits[0].repeated.size(), run[0].ops.size() - 1);
  EXPECT_EQ(splits[0].own, std::vector<DrawingOp>{run[0].ops[2]});
  // The second article's first page: what every page had so far is common; its own texts and
  // barcode are shared with the next copy.
  const PageLayers::Split& second = splits[3];
  EXPECT_EQ(second.common.size(), 5U);  // frame, company, rule, Ordine, Quantità
  EXPECT_EQ(second.repeated.size(), 3U);
  EXPECT_EQ(second.own.size(), 1U);
  EXPECT_EQ(splits[4].repeated, second.repeated) << "the copies show one shared part";

  // Two different labels that share a text by chance keep it as their own.
  PageLayers fresh;
  const Page a = label("ART-1", 1);
  const Page b = label("ART-2", 1);
  fresh.split(a, &b);
  const PageLayers::Split chance = fresh.split(b, nullptr);
  EXPECT_TRUE(chance.repeated.empty());
  EXPECT_EQ(chance.common.size(), 6U);  // the number 1 too: it is on every page so far
}

TEST(PageLayers, APictureKeepsItsPlaceAndANewSizeStartsAfresh) {
  Page first = label("ART-1", 1);
  first.ops.emplace_back(ImageOp{50, 20, 10, 10, "logo.png"});
  Page second = label("ART-2", 2);
  second.ops.emplace_back(ImageOp{50, 20, 10, 10, "logo.png"});
  PageLayers layers;
  layers.split(first, &second);
  // The picture is common, but the page's own texts come before it: drawing the common part
  // first would put the picture under them, so the page draws everything in its own order.
  const PageLayers::Split kept = layers.split(second, nullptr);
  EXPECT_TRUE(kept.common.empty());
  EXPECT_EQ(kept.own, second.ops);

  Page a4 = label("ART-2", 2);
  a4.width = 210;
  a4.height = 297;
  const PageLayers::Split fresh = layers.split(a4, nullptr);
  EXPECT_TRUE(fresh.common.empty());
  EXPECT_EQ(fresh.own, a4.ops);
}

// ---------------------------------------------------------------------------------------------
// The PDF document.

// A page of a PDF as poppler draws it, in grey levels; empty when pdftoppm is not installed.
struct Grey {
  int width = 0, height = 0;
  std::string pixels;
  unsigned char at(int x, int y) const { return static_cast<unsigned char>(pixels[size_t(y) * width + x]); }
};

std::optional<Grey> drawPage(const fs::path& pdf, int page) {
  const std::string pdftoppm = testing::findProgram("pdftoppm");
  if (pdftoppm.empty()) return std::nullopt;
  const fs::path out = pdf.parent_path() / (pdf.stem().string() + "-" + std::to_string(page));
  const auto drawn =
      testing::runProcess(pdftoppm, {"-gray", "-r", "150", "-f", std::to_string(page), "-l",
                                     std::to_string(page), "-singlefile", pdf.string(), out.string()});
  EXPECT_EQ(drawn.exitCode, 0) << drawn.err;
  const std::string pgm = testing::readFile(out.string() + ".pgm");
  // "P5\nWIDTH HEIGHT\n255\n" and the pixels.
  Grey grey;
  size_t at = 0;
  const auto next = [&] {
    at = pgm.find_first_not_of(" \n", at);
    const size_t end = pgm.find_first_of(" \n", at);
    std::string word = pgm.substr(at, end - at);
    at = end;
    return word;
  };
  EXPECT_EQ(next(), "P5");
  grey.width = std::stoi(next());
  grey.height = std::stoi(next());
  next();
  grey.pixels = pgm.substr(at + 1);
  EXPECT_EQ(grey.pixels.size(), size_t(grey.width) * grey.height);
  return grey;
}

// Pixels of `a` that no pixel of `b` within one pixel comes close to: what a shift below a pixel
// (glyphs placed to a quarter pixel, bars snapped to whole pixels) cannot explain.
int farPixels(const Grey& a, const Grey& b) {
  int far = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      int nearest = 255;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int bx = std::clamp(x + dx, 0, b.width - 1);
          const int by = std::clamp(y + dy, 0, b.height - 1);
          nearest = std::min(nearest, std::abs(a.at(x, y) - b.at(bx, by)));
        }
      far += nearest > 64 ? 1 : 0;
    }
  return far;
}

TEST(PdfDocument, SharedPartsAreWrittenOnceAndPagesLookAsAlone) {
  const fs::path folder = testing::temporaryFolder();
  const std::vector<Page> run = labelRun(3, 10);
  renderPdf(run, folder / "run.pdf");
  const std::string pdf = testing::readFile((folder / "run.pdf").string());
  EXPECT_NE(pdf.find("/Subtype /Form"), std::string::npos);
  // What a label adds, beyond the fonts every document holds once.
  renderPdf(labelRun(3, 20), folder / "longer.pdf");
  EXPECT_LT(fs::file_size(folder / "longer.pdf") - pdf.size(), 30 * 1000) << "at most 1 KB a label";

  for (const int page : {1, 2, 11, 30}) {
    renderPdf({run[size_t(page - 1)]}, folder / "alone.pdf");
    const std::optional<Grey> shared = drawPage(folder / "run.pdf", page);
    if (!shared) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed: pages are not compared";
    const std::optional<Grey> alone = drawPage(folder / "alone.pdf", 1);
    ASSERT_EQ(shared->width, alone->width);
    ASSERT_EQ(shared->height, alone->height);
    EXPECT_EQ(farPixels(*shared, *alone), 0) << "page " << page;
    EXPECT_EQ(farPixels(*alone, *shared), 0) << "page " << page;
  }
}

TEST(PdfDocument, BytesLeaveAsPagesComeAndAFailedWriteIsTheCause) {
  std::string written;
  size_t beforeTheEnd = 0;
  PdfDocument document([&](std::string_view bytes) { written += bytes; }, "run");
  const std::vector<Page> run = labelRun(300, 1);
  for (const Page& page : run) document.add(page);
  beforeTheEnd = written.size();
  document.finish();
  EXPECT_GT(beforeTheEnd, written.size() / 2) << "most of the document was written before its end";
  EXPECT_TRUE(written.starts_with("%PDF-"));
  EXPECT_EQ(document.pages(), run.size());

  int pieces = 0;
  PdfDocument failing(
      [&](std::string_view) {
        if (++pieces == 2) throwReportError("the disk is full");
      },
      "run");
  EXPECT_EQ(errorText([&] {
              for (const Page& page : run) failing.add(page);
              failing.finish();
            }),
            "the disk is full");
  EXPECT_EQ(errorText([] { PdfDocument({}, "empty").finish(); }), "The report has no pages to print");
}

// ---------------------------------------------------------------------------------------------
// The drawing thread.

TEST(DrawingThread, DrawsInOrderAndStopsAtTheFirstFailure) {
  std::vector<size_t> drawn;
  DrawingThread thread([&](const Page& page) { drawn.push_back(page.ops.size()); }, 4);
  for (size_t n = 0; n < 500; ++n) thread.add(Page{1, 1, std::vector<DrawingOp>(n, LineOp{})});
  thread.finish();
  ASSERT_EQ(drawn.size(), 500U);
  for (size_t n = 0; n < drawn.size(); ++n) ASSERT_EQ(drawn[n], n);

  drawn.clear();
  DrawingThread failing(
      [&](const Page& page) {
        if (page.ops.size() == 5) throwReportError("page 5 cannot be drawn");
        drawn.push_back(page.ops.size());
      },
      2);
  EXPECT_EQ(errorText([&] {
              for (size_t n = 0; n < 500; ++n) failing.add(Page{1, 1, std::vector<DrawingOp>(n, LineOp{})});
              failing.finish();
            }),
            "page 5 cannot be drawn");
  EXPECT_EQ(drawn, (std::vector<size_t>{0, 1, 2, 3, 4}));

  // Given up half-way, it stops without drawing the pages still waiting.
  size_t given = 0;
  {
    DrawingThread abandoned([&](const Page&) { ++given; }, 1000);
    for (int n = 0; n < 1000; ++n) abandoned.add(Page{});
  }
  EXPECT_LE(given, 1000U);
}

TEST(DrawingThread, TheDocumentIsTheSameAsDrawnInOneThread) {
  const fs::path folder = testing::temporaryFolder();
  const std::vector<Page> run = labelRun(20, 7);
  renderPdf(run, folder / "one.pdf", "run");
  {
    PdfFile pdf(folder / "two.pdf", "run");
    DrawingThread thread([&](const Page& page) { pdf.add(page); });
    for (const Page& page : run) thread.add(page);
    thread.finish();
    pdf.commit();
  }
  EXPECT_EQ(withoutCreationDate(testing::readFile((folder / "two.pdf").string())),
            withoutCreationDate(testing::readFile((folder / "one.pdf").string())));
}

// ---------------------------------------------------------------------------------------------
// CUPS jobs sent while they are drawn.

// The jobs of `queue` that `which` selects (CUPS_WHICHJOBS_ACTIVE or _ALL), with their states.
std::vector<ipp_jstate_t> jobStates(const std::string& queue, int which) {
  cups_job_t* jobs = nullptr;
  const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, which);
  std::vector<ipp_jstate_t> states;
  for (int n = 0; n < count; ++n) states.push_back(jobs[n].state);
  cupsFreeJobs(count, jobs);
  return states;
}

TEST(CupsStream, TheJobIsQueuedBeforeItsEndAndCancelledWhenGivenUp) {
  if (!testing::cupsdAvailable()) GTEST_SKIP() << "cupsd is not installed";
  testing::CupsTestServer cups;
  cups.addQueue("labels");
  cupsSetServer(cups.server().c_str());
  const std::string piece(100 * 1024, 'x');
  {
    CupsStream given("labels", "given up", CUPS_FORMAT_RAW, 1, "Test");
    given.write(piece);
    EXPECT_EQ(jobStates("labels", CUPS_WHICHJOBS_ACTIVE).size(), 1U)
        << "the queue has the job while it is sent";
  }
  EXPECT_EQ(jobStates("labels", CUPS_WHICHJOBS_ALL), std::vector<ipp_jstate_t>{IPP_JSTATE_CANCELED});

  CupsStream whole("labels", "whole", CUPS_FORMAT_RAW, 1, "Test");
  whole.write(piece);
  whole.write("end");
  const int job = whole.finish();
  const std::vector<testing::PrintedJob> printed = cups.waitForJobs("labels", 1);
  cupsSetServer(nullptr);
  ASSERT_EQ(printed.size(), 1U);
  EXPECT_EQ(printed[0].id, job);
  EXPECT_EQ(printed[0].bytes, piece + "end");
}

}  // namespace
}  // namespace briskal::hostkit::report
