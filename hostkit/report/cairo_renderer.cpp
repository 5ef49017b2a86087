#include "hostkit/report/cairo_renderer.h"

#include <cmath>

#include "hostkit/report/cairo_handles.h"
#include "hostkit/report/page_drawer.h"
#include "hostkit/report/pdf_document.h"
#include "hostkit/report/png_writer.h"
#include "hostkit/report/report_template.h"

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

PageImage drawImage(PageDrawer& drawer, const Page& page, double dpi) {
  const double scale = dpi / kMillimetresPerInch;
  PageImage image;
  image.width = static_cast<int>(std::ceil(page.width * scale));
  image.height = static_cast<int>(std::ceil(page.height * scale));
  image.stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, image.width);
  if (image.stride < 0)
    throwReportError("A page of " + std::to_string(image.width) + " pixels cannot be drawn");
  image.pixels.resize(static_cast<size_t>(image.stride) * static_cast<size_t>(image.height));
  CairoSurface surface = imageSurface(image);
  CairoContext cr(cairo_create(surface.get()));
  cairo_scale(cr.get(), scale, scale);
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

}  // namespace

void renderPdf(const std::vector<Page>& pages, const std::filesystem::path& file, const std::string& title) {
  requirePages(pages.size());
  PdfFile pdf(file, title);
  for (const Page& page : pages) pdf.add(page);
  pdf.commit();
}

PageImage renderPageImage(const Page& page, double dpi) {
  PageDrawer drawer(PageDrawer::Target::Pixels);
  return drawImage(drawer, page, dpi);
}

std::vector<std::filesystem::path> renderPng(const std::vector<Page>& pages,
                                             const std::filesystem::path& file, double dpi) {
  requirePages(pages.size());
  PngFiles png(file, dpi);
  for (const Page& page : pages) png.add(page);
  return png.commit();
}

std::vector<std::filesystem::path> pngFileNames(const std::filesystem::path& file, size_t pageCount) {
  if (pageCount == 1) return {file};
  std::vector<std::filesystem::path> files;
  for (size_t n = 1; n <= pageCount; ++n) files.push_back(numbered(file, n));
  return files;
}

PngFiles::PngFiles(std::filesystem::path file, double dpi)
    : file_(std::move(file)), dpi_(dpi), drawer_(std::make_unique<PageDrawer>(PageDrawer::Target::Pixels)) {}

PngFiles::~PngFiles() = default;

void PngFiles::add(const Page& page) {
  PageImage image = drawImage(*drawer_, page, dpi_);
  ++pages_;
  if (pages_ == 1) {
    first_ = std::move(image);
    return;
  }
  if (first_) {
    write(*first_, 1);
    first_.reset();
  }
  write(image, pages_);
}

void PngFiles::write(const PageImage& image, size_t number) {
  staged_.emplace_back(number == 0 ? file_ : numbered(file_, number));
  writePng(image, staged_.back().path());
}

std::vector<std::filesystem::path> PngFiles::commit() {
  requirePages(pages_);
  if (first_) write(*first_, 0);  // the only page takes the file's own name
  first_.reset();
  // The pages take their places only once all of them are drawn.
  std::vector<std::filesystem::path> files;
  files.reserve(staged_.size());
  for (StagedFile& page : staged_) {
    page.commit();
    files.push_back(page.destination());
  }
  return files;
}

}  // namespace briskal::hostkit::report
