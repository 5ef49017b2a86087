#include "hostkit/qt/page_view.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScrollBar>
#include <algorithm>

#include "common/error.h"
#include "hostkit/qt/qt_control.h"
#include "hostkit/report/cairo_renderer.h"

namespace briskal::hostkit::qt {
namespace {

constexpr double kMillimetresPerInch = 25.4;
// The background shown around the page, in pixels.
constexpr int kMargin = 12;
// A larger zoom on a dense screen draws at this resolution and lets the screen scale it up, so
// that a page's image stays a few tens of megabytes at the most.
constexpr double kMaxRenderDpi = 600;

}  // namespace

const std::vector<double>& PageView::zoomSteps() {
  static const std::vector<double> steps{0.25, 0.5, 0.75, 1, 1.25, 1.5, 2, 3, 4};
  return steps;
}

PageView::PageView(const std::vector<report::Page>& pages, Fit fit, ScreenTexts texts, QWidget* parent)
    : QScrollArea(parent), pages_(pages), texts_(texts), canvas_(new QLabel), fit_(fit) {
  setObjectName("PageView");
  canvas_->setObjectName("Page");
  canvas_->setAlignment(Qt::AlignCenter);
  canvas_->setMargin(kMargin);
  canvas_->setWordWrap(true);
  setWidget(canvas_);
  setAlignment(Qt::AlignCenter);
  setBackgroundRole(QPalette::Dark);
}

void PageView::showPage(size_t index) {
  current_ = std::min(index, pages_.size() - 1);
  render();
  if (changed_) changed_();
}

void PageView::pagesReplaced() {
  shownDpi_ = -1;  // drawn anew, whatever page was shown before
  showPage(0);
}

void PageView::setFit(Fit fit) {
  fit_ = fit;
  render();
  if (changed_) changed_();
}

void PageView::setZoom(double zoom) {
  fit_ = Fit::None;
  zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
  render();
  if (changed_) changed_();
}

void PageView::zoomIn() {
  const auto& steps = zoomSteps();
  const auto next = std::find_if(steps.begin(), steps.end(), [this](double s) { return s > zoom_ + 1e-6; });
  setZoom(next == steps.end() ? kMaxZoom : *next);
}

void PageView::zoomOut() {
  const auto& steps = zoomSteps();
  const auto next = std::find_if(steps.rbegin(), steps.rend(), [this](double s) { return s < zoom_ - 1e-6; });
  setZoom(next == steps.rend() ? kMinZoom : *next);
}

void PageView::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  if (fit_ == Fit::None) return;
  render();
  if (changed_) changed_();
}

double PageView::fittedZoom() const {
  const report::Page& page = pages_[current_];
  const double width = page.width / kMillimetresPerInch * logicalDpiX();
  const double height = page.height / kMillimetresPerInch * logicalDpiY();
  // A pixel to spare: the page's size is rounded up to whole pixels.
  const QSize room = maximumViewportSize() - QSize(2 * kMargin + 1, 2 * kMargin + 1);
  double zoom = room.width() / width;
  if (fit_ == Fit::Page) zoom = std::min(zoom, room.height() / height);
  // A page taller than the window brings a scroll bar, which takes its width from the page.
  else if (height * zoom > room.height())
    zoom = (room.width() - verticalScrollBar()->sizeHint().width()) / width;
  return std::clamp(zoom, kMinZoom, kMaxZoom);
}

void PageView::render() {
  if (fit_ != Fit::None) zoom_ = fittedZoom();
  const double screenDpi = logicalDpiX() * zoom_;
  const double deviceDpi = std::min(screenDpi * devicePixelRatioF(), kMaxRenderDpi);
  if (current_ == shownPage_ && deviceDpi == shownDpi_) return;
  shownPage_ = current_;
  shownDpi_ = deviceDpi;
  ++rendered_;
  try {
    report::PageImage image = report::renderPageImage(pages_[current_], deviceDpi);
    const QImage pixels(image.pixels.data(), image.width, image.height, image.stride, QImage::Format_RGB32);
    // A copy: the pixmap must not keep the renderer's buffer, which goes with this block.
    QPixmap page = QPixmap::fromImage(pixels.copy());
    page.setDevicePixelRatio(deviceDpi / screenDpi);
    canvas_->setPixmap(page);
  } catch (const Error& e) {
    canvas_->setText(texts_("La pagina non può essere mostrata: %1").arg(toQt(e.description())));
  }
  canvas_->adjustSize();
}

}  // namespace briskal::hostkit::qt
