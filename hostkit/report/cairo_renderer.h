#pragma once
// Renders laid-out pages with cairo: every page into one PDF file (see pdf_document.h for a run
// written as it is laid out), each page into a PNG file, or one page into memory for the screen.
// All throw briskal::Error when there is no page, when a file cannot be written or read
// (images), or when a barcode cannot encode its data.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "hostkit/report/drawing.h"

namespace briskal::hostkit::report {

// Resolutions that read well: labels carry small barcodes, A4 pages mostly text.
inline constexpr double kLabelDpi = 300;
inline constexpr double kReportDpi = 150;

// `title` goes into the document's properties.
void renderPdf(const std::vector<Page>& pages, const std::filesystem::path& file,
               const std::string& title = {});

// Writes `file` itself for a single page, and file-1.png, file-2.png... beside it for more, in
// place of all the pages an earlier run into `file` wrote; returns the files written, in page order.
std::vector<std::filesystem::path> renderPng(const std::vector<Page>& pages,
                                             const std::filesystem::path& file, double dpi);

// A page drawn into memory: `height` rows of `width` 32-bit pixels 0xffRRGGBB in the machine's
// byte order, each row starting `stride` bytes after the one before.
struct PageImage {
  int width = 0;
  int height = 0;
  int stride = 0;
  std::vector<uint8_t> pixels;
};

// Draws one page at `dpi`, its size rounded up to whole pixels: what renderPng writes to its files.
PageImage renderPageImage(const Page& page, double dpi);
// The part of the page from (x, y), `width` x `height` millimetres, as renderPageImage draws it:
// what a screen shows of a page larger than its window.
PageImage renderPageRegion(const Page& page, double dpi, double x, double y, double width, double height);

class DrawingThread;

// renderPng for pages that come one at a time: each is drawn and written as it comes, under a
// temporary name, by one of as many threads as the machine has cores; commit() puts all of them
// in their places at once. A page's file does not depend on the thread that drew it.
class PngFiles {
 public:
  PngFiles(std::filesystem::path file, double dpi);
  ~PngFiles();
  PngFiles(const PngFiles&) = delete;
  PngFiles& operator=(const PngFiles&) = delete;

  // Throws what drawing or writing an earlier page threw.
  void add(const Page& page);
  // Returns the files written, in page order. The pages of an earlier run into the same file that
  // these did not replace are removed; throws briskal::Error naming one that cannot be.
  std::vector<std::filesystem::path> commit();
  size_t pages() const { return pages_; }

 private:
  struct Drawer;

  std::filesystem::path file_;
  std::vector<std::unique_ptr<Drawer>> drawers_;
  size_t pages_ = 0;
};

}  // namespace briskal::hostkit::report
