#include "hostkit/report/pdf_document.h"

#include <cairo-pdf.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/error.h"
#include "hostkit/report/cairo_handles.h"
#include "hostkit/report/page_drawer.h"
#include "hostkit/report/page_layers.h"
#include "hostkit/report/report_template.h"
#include "hostkit/report/staged_file.h"

namespace briskal::hostkit::report {
namespace {

constexpr double kPointsPerMillimetre = 72 / 25.4;
constexpr size_t kPieceSize = 64 * 1024;

}  // namespace

struct PdfDocument::Parts {
  // A shared part of the pages, recorded once and shown by every page that has it.
  struct Layer {
    std::vector<DrawingOp> ops;
    CairoSurface recording;
  };

  CairoSurface surface;
  CairoContext cr;
  PageDrawer drawer{PageDrawer::Target::Document};
  PageLayers layers;
  Layer common;
  Layer repeated;

  void show(Layer& layer, const std::vector<DrawingOp>& ops, const Page& page) {
    if (ops.empty()) return;
    if (!layer.recording || layer.ops != ops) {
      const cairo_rectangle_t extents{0, 0, page.width, page.height};
      layer.recording.reset(cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents));
      CairoContext recorder(cairo_create(layer.recording.get()));
      // Glyphs placed as the document places them, not fitted to the recording's units.
      cairo_font_options_t* options = cairo_font_options_create();
      cairo_surface_get_font_options(surface.get(), options);
      cairo_set_font_options(recorder.get(), options);
      cairo_font_options_destroy(options);
      drawer.drawOps(recorder.get(), page, ops);
      layer.ops = ops;
    }
    cairo_set_source_surface(cr.get(), layer.recording.get(), 0, 0);
    cairo_paint(cr.get());
  }
};

PdfDocument::PdfDocument(Write write, const std::string& title)
    : write_(std::move(write)), parts_(std::make_unique<Parts>()) {
  const auto take = [](void* closure, const unsigned char* data, unsigned int length) {
    auto* self = static_cast<PdfDocument*>(closure);
    if (self->failure_ || self->closed_) return CAIRO_STATUS_WRITE_ERROR;
    self->buffer_.append(reinterpret_cast<const char*>(data), length);
    if (self->buffer_.size() < kPieceSize) return CAIRO_STATUS_SUCCESS;
    try {
      self->write_(self->buffer_);
      self->buffer_.clear();
    } catch (...) {
      self->failure_ = std::current_exception();
      return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
  };
  // Each page sets its own size before it is drawn.
  parts_->surface.reset(cairo_pdf_surface_create_for_stream(take, this, 1, 1));
  checkCairo(cairo_surface_status(parts_->surface.get()), "Creating a PDF document");
  if (!title.empty())
    cairo_pdf_surface_set_metadata(parts_->surface.get(), CAIRO_PDF_METADATA_TITLE, title.c_str());
  parts_->cr.reset(cairo_create(parts_->surface.get()));
}

PdfDocument::~PdfDocument() {
  closed_ = true;
  parts_.reset();
}

void PdfDocument::add(const Page& page) {
  if (waiting_) draw(*waiting_, &page);
  waiting_ = page;
  ++pages_;
}

void PdfDocument::finish() {
  if (!waiting_) throwReportError("The report has no pages to print");
  draw(*waiting_, nullptr);
  waiting_.reset();
  parts_->cr.reset();
  cairo_surface_finish(parts_->surface.get());
  check("Writing a PDF document");
  if (!buffer_.empty()) write_(buffer_);
  buffer_.clear();
}

void PdfDocument::draw(const Page& page, const Page* next) {
  Parts& p = *parts_;
  cairo_t* cr = p.cr.get();
  try {
    cairo_pdf_surface_set_size(p.surface.get(), page.width * kPointsPerMillimetre,
                               page.height * kPointsPerMillimetre);
    cairo_save(cr);
    cairo_scale(cr, kPointsPerMillimetre, kPointsPerMillimetre);
    const PageLayers::Split split = p.layers.split(page, next);
    p.show(p.common, split.common, page);
    p.show(p.repeated, split.repeated, page);
    p.drawer.drawOps(cr, page, split.own);
    cairo_restore(cr);
    cairo_show_page(cr);
  } catch (const Error&) {
    // A document that could not be written (a full disk) fails every drawing step after it:
    // that is the cause to tell.
    check("Writing a PDF page");
    throw;
  }
  check("Writing a PDF page");
}

void PdfDocument::check(const char* what) {
  if (failure_) std::rethrow_exception(failure_);
  checkCairo(cairo_surface_status(parts_->surface.get()), what);
  if (parts_->cr) checkCairo(cairo_status(parts_->cr.get()), what);
}

struct PdfFile::Output {
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  explicit Output(std::filesystem::path file) : staged(std::move(file)) {
    stream.reset(std::fopen(staged.path().c_str(), "wb"));
    if (!stream) fail();
  }

  void write(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stream.get()) != bytes.size()) fail();
  }

  void commit() {
    // fclose reports the write errors that buffering kept back.
    if (std::fclose(stream.release()) != 0) fail();
    staged.commit();
  }

  [[noreturn]] void fail() const {
    const int code = errno;
    throwReportError("Cannot write " + staged.destination().string() + ": " + std::strerror(code),
                     fileErrorNumber(code));
  }

  StagedFile staged;
  std::unique_ptr<std::FILE, Closer> stream;
};

PdfFile::PdfFile(std::filesystem::path file, const std::string& title)
    : output_(std::make_unique<Output>(std::move(file))),
      document_([this](std::string_view bytes) { output_->write(bytes); }, title) {}

PdfFile::~PdfFile() = default;

void PdfFile::commit() {
  document_.finish();
  output_->commit();
}

}  // namespace briskal::hostkit::report
