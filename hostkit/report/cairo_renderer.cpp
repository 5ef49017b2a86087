#include "hostkit/report/cairo_renderer.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "hostkit/report/cairo_handles.h"
#include "hostkit/report/drawing_thread.h"
#include "hostkit/report/page_drawer.h"
#include "hostkit/report/pdf_document.h"
#include "hostkit/report/png_writer.h"
#include "hostkit/report/report_template.h"
#include "hostkit/report/staged_file.h"

namespace briskal::hostkit::report {
namespace {

constexpr double kMillimetresPerInch = 25.4;

void requirePages(size_t pages) {
  if (pages == 0) throwReportError("The report has no pages to print");
}

// A cairo surface over the image's own pixels; the image must outlive it.
CairoSurface imageSurface(PageImage& image) {
  CairoSurface surface(cairo_image_surface_create_for_data(image.pixels.data(), CAIRO_FORMAT_RGB24,
                                                           image.width, image.height, image.stride));
  checkCairo(cairo_surface_status(surface.get()), "Creating a page image");
  return surface;
}

// The part of the page from (x, y), `width` x `height` millimetres, at `dpi`.
PageImage drawImage(PageDrawer& drawer, const Page& page, double dpi, double x, double y, double width,
                    double height) {
  const double scale = dpi / kMillimetresPerInch;
  PageImage image;
  image.width = static_cast<int>(std::ceil(width * scale));
  image.height = static_cast<int>(std::ceil(height * scale));
  image.stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, image.width);
  if (image.stride < 0)
    throwReportError("A page of " + std::to_string(image.width) + " pixels cannot be drawn");
  image.pixels.resize(static_cast<size_t>(image.stride) * static_cast<size_t>(image.height));
  CairoSurface surface = imageSurface(image);
  CairoContext cr(cairo_create(surface.get()));
  cairo_scale(cr.get(), scale, scale);
  cairo_translate(cr.get(), -x, -y);
  drawer.draw(cr.get(), page);
  cr.reset();
  cairo_surface_flush(surface.get());
  return image;
}

std::filesystem::path numbered(const std::filesystem::path& file, size_t number) {
  std::filesystem::path name = file;
  name.replace_filename(file.stem().string() + "-" + std::to_string(number) + file.extension().string());
  return name;
}

// Whether `name` is one of the files a run of `pages` pages into `file` did not write but an
// earlier run into it could have: `file` itself after numbered pages, a numbered page after a
// single page, a page numbered beyond `pages` after numbered pages.
bool isEarlierPage(const std::string& name, const std::filesystem::path& file, size_t pages) {
  if (name == file.filename().string()) return pages > 1;
  const std::string stem = file.stem().string() + "-";
  const std::string extension = file.extension().string();
  if (name.size() <= stem.size() + extension.size() || !name.starts_with(stem) || !name.ends_with(extension))
    return false;
  const std::string number = name.substr(stem.size(), name.size() - stem.size() - extension.size());
  if (number[0] == '0' ||
      !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  if (pages == 1) return true;
  const std::string last = std::to_string(pages);
  return number.size() > last.size() || (number.size() == last.size() && number > last);
}

// The pages of a run replace the earlier run's of the same name as a whole: none of its pages is
// left beside them to pass for one of theirs.
void removeEarlierPages(const std::filesystem::path& file, size_t pages) {
  const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    const std::filesystem::path& earlier = entries->path();
    if (!isEarlierPage(earlier.filename().string(), file, pages)) continue;
    // Only files: a folder or a link of such a name is not a page a run wrote. One that is gone by
    // now needs no removing.
    std::error_code removal;
    if (!std::filesystem::is_regular_file(entries->symlink_status(removal))) continue;
    if (!std::filesystem::remove(earlier, removal) && removal)
      throwReportError(
          "Cannot remove " + earlier.string() + ", a page of an earlier run: " + removal.message(),
          fileErrorNumber(removal.value()));
  }
  if (error)
    throwReportError(
        "Cannot look through " + folder.string() + " for an earlier run's pages: " + error.message(),
        fileErrorNumber(error.value()));
}

}  // namespace

void renderPdf(const std::vector<Page>& pages, const std::filesystem::path& file, const std::string& title) {
  requirePages(pages.size());
  PdfFile pdf(file, title);
  for (const Page& page : pages) pdf.add(page);
  pdf.commit();
}

PageImage renderPageImage(const Page& page, double dpi) {
  PageDrawer drawer(PageDrawer::Target::Pixels);
  return drawImage(drawer, page, dpi, 0, 0, page.width, page.height);
}

PageImage renderPageRegion(const Page& page, double dpi, double x, double y, double width, double height) {
  PageDrawer drawer(PageDrawer::Target::Pixels);
  return drawImage(drawer, page, dpi, x, y, width, height);
}

std::vector<std::filesystem::path> renderPng(const std::vector<Page>& pages,
                                             const std::filesystem::path& file, double dpi) {
  requirePages(pages.size());
  PngFiles png(file, dpi);
  for (const Page& page : pages) png.add(page);
  return png.commit();
}

// One of the threads of a PngFiles, with the files it wrote. Of `count` drawers, the one that
// starts at page `first` (counted from 1) draws every count-th page from there.
struct PngFiles::Drawer {
  Drawer(const std::filesystem::path& file, double dpi, size_t first, size_t count)
      : next(first), thread([this, file, dpi, count](const Page& page) {
          const PageImage image = drawImage(drawer, page, dpi, 0, 0, page.width, page.height);
          written.emplace_back(next, StagedFile(numbered(file, next)));
          writePng(image, written.back().second.path(), written.back().second.destination());
          next += count;
        }) {}

  PageDrawer drawer{PageDrawer::Target::Pixels};
  size_t next;  // the number of the next page it draws
  std::vector<std::pair<size_t, StagedFile>> written;
  DrawingThread thread;  // last: it stops first
};

PngFiles::PngFiles(std::filesystem::path file, double dpi) : file_(std::move(file)) {
  const unsigned cores = std::max(1U, std::thread::hardware_concurrency());
  for (unsigned n = 0; n < cores; ++n) drawers_.push_back(std::make_unique<Drawer>(file_, dpi, n + 1, cores));
}

PngFiles::~PngFiles() = default;

void PngFiles::add(const Page& page) {
  drawers_[pages_ % drawers_.size()]->thread.add(page);
  ++pages_;
}

std::vector<std::filesystem::path> PngFiles::commit() {
  for (const std::unique_ptr<Drawer>& drawer : drawers_) drawer->thread.finish();
  requirePages(pages_);
  std::vector<StagedFile*> staged(pages_);
  for (const std::unique_ptr<Drawer>& drawer : drawers_)
    for (auto& [number, file] : drawer->written) staged[number - 1] = &file;
  // The only page takes the file's own name.
  if (pages_ == 1) staged.front()->setDestination(file_);
  // The pages take their places only once all of them are drawn.
  std::vector<std::filesystem::path> files;
  files.reserve(pages_);
  for (StagedFile* page : staged) {
    page->commit();
    files.push_back(page->destination());
  }
  removeEarlierPages(file_, pages_);
  return files;
}

}  // namespace briskal::hostkit::report
