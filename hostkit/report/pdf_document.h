#pragma once
// A PDF document drawn page by page and written out as it goes, so that a run of any length
// holds one page at a time. What pages share (see PageLayers) goes into the document once and
// every page that has it shows it from there: a run of labels takes a fraction of the room.

#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostkit/report/drawing.h"

namespace briskal::hostkit::report {

class PdfDocument {
 public:
  // `write` takes the document's bytes in order, in pieces of some tens of kilobytes; what it
  // throws fails the page or the finish() that wrote them. `title` goes into the properties.
  using Write = std::function<void(std::string_view bytes)>;
  PdfDocument(Write write, const std::string& title);
  ~PdfDocument();
  PdfDocument(const PdfDocument&) = delete;
  PdfDocument& operator=(const PdfDocument&) = delete;

  // Throws briskal::Error when a page cannot be drawn or written. A page is drawn once the page
  // after it has come, or at finish(), for what the two share.
  void add(const Page& page);
  // Draws the last page and writes the document's end. Throws briskal::Error when there was no
  // page.
  void finish();
  size_t pages() const { return pages_; }

 private:
  struct Parts;
  void draw(const Page& page, const Page* next);
  void check(const char* what);

  Write write_;
  std::string buffer_;
  std::exception_ptr failure_;
  bool closed_ = false;  // gone without finish(): what cairo still writes goes nowhere
  std::unique_ptr<Parts> parts_;
  std::optional<Page> waiting_;
  size_t pages_ = 0;
};

// A PDF file written page by page under a temporary name, put in its place by commit(): a run
// that fails leaves the earlier file as it was.
class PdfFile {
 public:
  PdfFile(std::filesystem::path file, const std::string& title);
  ~PdfFile();
  PdfFile(const PdfFile&) = delete;
  PdfFile& operator=(const PdfFile&) = delete;

  void add(const Page& page) { document_.add(page); }
  void commit();
  size_t pages() const { return document_.pages(); }

 private:
  struct Output;
  std::unique_ptr<Output> output_;
  PdfDocument document_;
};

}  // namespace briskal::hostkit::report
