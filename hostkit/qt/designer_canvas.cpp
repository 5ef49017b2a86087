#include "hostkit/qt/designer_canvas.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "common/error.h"
#include "hostkit/labelprinter/label_writer.h"
#include "hostkit/labelprinter/memory_device.h"
#include "hostkit/labelprinter/stream_raster.h"
#include "hostkit/report/cairo_renderer.h"

namespace briskal::hostkit::qt {
namespace {

constexpr int kRulerWidth = 22;    // pixels
constexpr int kCanvasMargin = 12;  // pixels between the rulers and the label
constexpr double kHandleSize = 4;
constexpr double kSmallestZoom = 1, kLargestZoom = 40;
constexpr double kSmallestItem = 0.5;  // millimetres

QImage fromDots(const labelprinter::LabelDots& dots) {
  QImage image(dots.width, dots.height, QImage::Format_RGB32);
  for (int y = 0; y < dots.height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < dots.width; ++x)
      row[x] = dots.black[static_cast<size_t>(y) * dots.width + x] ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
  }
  return image;
}

}  // namespace

DesignerCanvas::DesignerCanvas(designer::DesignDocument& document, RegionalSettings regional, QWidget* parent)
    : QWidget(parent), document_(document), regional_(std::move(regional)) {
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);
  setMouseTracking(true);
}

void DesignerCanvas::setRecord(const data::Recordset* record, report::RunSettings run) {
  record_ = record;
  run_ = std::move(run);
  refresh();
}

void DesignerCanvas::setPrinterView(std::optional<labelprinter::PrinterSettings> printer) {
  printer_ = std::move(printer);
  refresh();
}

void DesignerCanvas::setZoom(double pixelsPerMillimetre) {
  zoom_ = std::clamp(pixelsPerMillimetre, kSmallestZoom, kLargestZoom);
  drawn_ = QImage();
  refresh();
}

void DesignerCanvas::zoomToFit(QSize room) {
  const report::PageSetup& page = document_.current().page;
  const double across = (room.width() - kRulerWidth - 2 * kCanvasMargin) / page.width;
  const double down = (room.height() - kRulerWidth - 2 * kCanvasMargin) / page.height;
  setZoom(std::min(across, down));
}

void DesignerCanvas::setGrid(double millimetres, bool snap) {
  grid_ = millimetres;
  snap_ = snap;
  update();
}

QPointF DesignerCanvas::toWidget(double x, double y) const {
  return {kRulerWidth + kCanvasMargin + x * zoom_, kRulerWidth + kCanvasMargin + y * zoom_};
}

QPointF DesignerCanvas::toLabel(QPointF widget) const {
  return {(widget.x() - kRulerWidth - kCanvasMargin) / zoom_,
          (widget.y() - kRulerWidth - kCanvasMargin) / zoom_};
}

double DesignerCanvas::snapped(double mm) const {
  return snap_ && grid_ > 0 ? std::round(mm / grid_) * grid_ : mm;
}

void DesignerCanvas::refresh() {
  render();
  const report::PageSetup& page = document_.current().page;
  setMinimumSize(static_cast<int>(kRulerWidth + 2 * kCanvasMargin + page.width * zoom_),
                 static_cast<int>(kRulerWidth + 2 * kCanvasMargin + page.height * zoom_));
  update();
}

void DesignerCanvas::render() {
  problem_.clear();
  page_.reset();
  dots_ = QImage();
  drawn_ = QImage();
  if (!record_) return;
  try {
    report::RecordLayout layout(document_.current(), *record_, run_, regional_);
    page_ = layout.current();
    if (printer_) {
      labelprinter::MemoryDevice stream;
      const auto writer = labelprinter::makeLabelWriter(stream, *printer_);
      writer->startJob();
      writer->label(*page_);
      const auto dots = printer_->language == labelprinter::PrinterLanguage::Zpl
                            ? labelprinter::rasterizeZpl(stream.bytes())
                            : labelprinter::rasterizeEpl2(stream.bytes(), printer_->resolution());
      if (!dots.empty()) dots_ = fromDots(dots.front());
    }
  } catch (const Error& e) {
    problem_ = QString::fromStdString(e.description());
  }
}

void DesignerCanvas::drawLabel(QPainter& painter, const QRectF& paper, const QRect& visible) {
  if (!page_) return;
  if (printer_) {
    // Shown smaller than its dots, a dot-wide stroke would fall between the screen's pixels.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!dots_.isNull()) painter.drawImage(paper, dots_);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    return;
  }
  const QRectF part = paper.intersected(QRectF(visible));
  if (part.isEmpty()) return;
  if (drawn_.isNull() || !drawnPart_.contains(part)) {
    // The whole width of the window's part of the label, at the screen's own resolution.
    drawnPart_ = paper.intersected(QRectF(visibleRegion().boundingRect())).united(part);
    const report::PageImage image = report::renderPageRegion(
        *page_, zoom_ * 25.4, (drawnPart_.left() - paper.left()) / zoom_,
        (drawnPart_.top() - paper.top()) / zoom_, drawnPart_.width() / zoom_, drawnPart_.height() / zoom_);
    drawn_ =
        QImage(image.pixels.data(), image.width, image.height, image.stride, QImage::Format_RGB32).copy();
  }
  painter.drawImage(drawnPart_.topLeft(), drawn_);
}

QRectF DesignerCanvas::itemRect(designer::ItemRef ref, const designer::Box& box) const {
  const report::PageSetup& page = document_.current().page;
  const QPointF topLeft = toWidget(page.marginLeft + box.x, document_.sectionTop(ref.section) + box.y);
  return {topLeft, QSizeF(std::max(box.width * zoom_, 1.0), std::max(box.height * zoom_, 1.0))};
}

void DesignerCanvas::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  const report::ReportTemplate& t = document_.current();
  const QRectF paper(toWidget(0, 0), QSizeF(t.page.width * zoom_, t.page.height * zoom_));
  painter.fillRect(paper.translated(3, 3), QColor(0, 0, 0, 60));
  painter.fillRect(paper, Qt::white);
  drawLabel(painter, paper, event->rect());
  // The grid, where its lines are far enough apart to be of use.
  if (grid_ > 0 && grid_ * zoom_ >= 6) {
    painter.setPen(QColor(0, 120, 215, 40));
    for (double x = grid_; x < t.page.width; x += grid_)
      painter.drawLine(toWidget(x, 0), toWidget(x, t.page.height));
    for (double y = grid_; y < t.page.height; y += grid_)
      painter.drawLine(toWidget(0, y), toWidget(t.page.width, y));
  }
  // The margins and the sections' bottoms.
  painter.setPen(QPen(QColor(0, 120, 215, 120), 1, Qt::DashLine));
  painter.drawRect(QRectF(toWidget(t.page.marginLeft, t.page.marginTop),
                          toWidget(t.page.width - t.page.marginRight, t.page.height - t.page.marginBottom)));
  for (size_t s = 0; s < t.sections.size(); ++s) {
    const double bottom = document_.sectionTop(s) + t.sections[s].height;
    painter.drawLine(toWidget(0, bottom), toWidget(t.page.width, bottom));
  }
  // Every item's frame, the chosen ones' with handles.
  for (size_t s = 0; s < t.sections.size(); ++s) {
    for (size_t i = 0; i < t.sections[s].items.size(); ++i) {
      const designer::ItemRef ref{s, i};
      const auto& chosen = document_.selection();
      const bool selected = std::find(chosen.begin(), chosen.end(), ref) != chosen.end();
      designer::Box box = designer::boundsOf(t.sections[s].items[i]);
      if (selected && drag_ == Drag::Move) box.x += dragOffset_.x(), box.y += dragOffset_.y();
      if (selected && drag_ == Drag::Resize && chosen.size() == 1) box = resized_;
      const QRectF r = itemRect(ref, box);
      painter.setPen(QPen(selected ? QColor(0, 120, 215) : QColor(0, 120, 215, 70), 1,
                          selected ? Qt::SolidLine : Qt::DotLine));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(r);
      if (selected && chosen.size() == 1) {
        painter.setBrush(QColor(0, 120, 215));
        for (const QPointF& corner : {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()})
          painter.drawRect(
              QRectF(corner - QPointF(kHandleSize, kHandleSize), QSizeF(2 * kHandleSize, 2 * kHandleSize)));
      }
    }
  }
  drawRulers(painter);
}

void DesignerCanvas::drawRulers(QPainter& painter) const {
  const report::PageSetup& page = document_.current().page;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(245, 245, 245));
  painter.drawRect(QRectF(0, 0, width(), kRulerWidth));
  painter.drawRect(QRectF(0, 0, kRulerWidth, height()));
  painter.setPen(QColor(90, 90, 90));
  QFont small = font();
  small.setPointSizeF(7);
  painter.setFont(small);
  // A tick a millimetre where they are far enough apart, a number every 10 (or 50) millimetres.
  const int step = zoom_ >= 3 ? 1 : 5;
  const int numbered = zoom_ >= 2 ? 10 : 50;
  for (int mm = 0; mm <= static_cast<int>(page.width); mm += step) {
    const double x = toWidget(mm, 0).x();
    const int tick = mm % numbered == 0 ? kRulerWidth - 4 : (mm % 5 == 0 ? 8 : 4);
    painter.drawLine(QPointF(x, kRulerWidth), QPointF(x, kRulerWidth - tick));
    if (mm % numbered == 0) painter.drawText(QPointF(x + 2, 9), QString::number(mm));
  }
  for (int mm = 0; mm <= static_cast<int>(page.height); mm += step) {
    const double y = toWidget(0, mm).y();
    const int tick = mm % numbered == 0 ? kRulerWidth - 4 : (mm % 5 == 0 ? 8 : 4);
    painter.drawLine(QPointF(kRulerWidth, y), QPointF(kRulerWidth - tick, y));
    if (mm % numbered == 0) painter.drawText(QPointF(1, y - 2), QString::number(mm));
  }
}

bool DesignerCanvas::chosenExists() const {
  const report::ReportTemplate& t = document_.current();
  const auto& chosen = document_.selection();
  return !chosen.empty() && std::all_of(chosen.begin(), chosen.end(), [&](const designer::ItemRef& r) {
    return r.section < t.sections.size() && r.index < t.sections[r.section].items.size();
  });
}

std::optional<int> DesignerCanvas::handleAt(QPointF widget) const {
  if (document_.selection().size() != 1) return std::nullopt;
  const designer::ItemRef ref = document_.selection().front();
  const QRectF r = itemRect(ref, designer::boundsOf(document_.item(ref)));
  const QPointF corners[] = {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
  for (int c = 0; c < 4; ++c)
    if (std::abs(widget.x() - corners[c].x()) <= kHandleSize + 1 &&
        std::abs(widget.y() - corners[c].y()) <= kHandleSize + 1)
      return c;
  return std::nullopt;
}

void DesignerCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  setFocus();
  const QPointF at = event->position();
  pressed_ = toLabel(at);
  dragOffset_ = {};
  if (const std::optional<int> handle = handleAt(at)) {
    drag_ = Drag::Resize;
    handle_ = *handle;
    resized_ = designer::boundsOf(document_.item(document_.selection().front()));
    return;
  }
  const std::optional<designer::ItemRef> hit = document_.itemAt(pressed_.x(), pressed_.y());
  std::vector<designer::ItemRef> chosen = document_.selection();
  const bool adding = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
  if (!hit) {
    if (!adding) chosen.clear();
  } else if (adding) {
    const auto found = std::find(chosen.begin(), chosen.end(), *hit);
    found == chosen.end() ? chosen.push_back(*hit) : static_cast<void>(chosen.erase(found));
  } else if (std::find(chosen.begin(), chosen.end(), *hit) == chosen.end()) {
    chosen = {*hit};
  }
  document_.select(chosen);
  drag_ = hit && !adding ? Drag::Move : Drag::None;
  if (selectionChanged) selectionChanged();
  update();
}

void DesignerCanvas::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  if (drag_ == Drag::None) {
    setCursor(handleAt(at) ? Qt::SizeFDiagCursor : Qt::ArrowCursor);
    return;
  }
  // What was chosen may have gone meanwhile (a key undid it): the drag ends with it.
  if (!chosenExists()) {
    drag_ = Drag::None;
    return;
  }
  const QPointF now = toLabel(at);
  if (drag_ == Drag::Move) {
    // The first chosen item lands on the grid; the others keep their distance to it.
    const designer::Box first = designer::boundsOf(document_.item(document_.selection().front()));
    dragOffset_ = {snapped(first.x + now.x() - pressed_.x()) - first.x,
                   snapped(first.y + now.y() - pressed_.y()) - first.y};
  } else {
    const designer::ItemRef ref = document_.selection().front();
    const designer::Box box = designer::boundsOf(document_.item(ref));
    const double x = snapped(now.x() - document_.current().page.marginLeft);
    const double y = snapped(now.y() - document_.sectionTop(ref.section));
    double left = box.x, top = box.y, right = box.x + box.width, bottom = box.y + box.height;
    if (handle_ == 0 || handle_ == 3) left = std::clamp(x, 0.0, right - kSmallestItem);
    if (handle_ == 1 || handle_ == 2) right = std::max(x, left + kSmallestItem);
    if (handle_ == 0 || handle_ == 1) top = std::clamp(y, 0.0, bottom - kSmallestItem);
    if (handle_ == 2 || handle_ == 3) bottom = std::max(y, top + kSmallestItem);
    resized_ = {left, top, right - left, bottom - top};
  }
  update();
}

void DesignerCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || drag_ == Drag::None) return;
  const Drag drag = drag_;
  drag_ = Drag::None;
  if (!chosenExists()) return update();
  if (drag == Drag::Move && (dragOffset_.x() != 0 || dragOffset_.y() != 0))
    document_.moveSelection(dragOffset_.x(), dragOffset_.y());
  if (drag == Drag::Resize) document_.resize(document_.selection().front(), resized_);
  refresh();
  if (changed) changed();
}

void DesignerCanvas::keyPressEvent(QKeyEvent* event) {
  const double step = event->modifiers() & Qt::ShiftModifier ? 1.0 : 0.1;
  double dx = 0, dy = 0;
  switch (event->key()) {
    case Qt::Key_Left: dx = -step; break;
    case Qt::Key_Right: dx = step; break;
    case Qt::Key_Up: dy = -step; break;
    case Qt::Key_Down: dy = step; break;
    default: QWidget::keyPressEvent(event); return;
  }
  if (document_.selection().empty()) return;
  document_.moveSelection(dx, dy);
  refresh();
  if (changed) changed();
}

void DesignerCanvas::wheelEvent(QWheelEvent* event) {
  // The wheel scrolls as anywhere else; with Ctrl it zooms by steps of a fifth.
  if (!(event->modifiers() & Qt::ControlModifier)) return QWidget::wheelEvent(event);
  const int notches = event->angleDelta().y() / 120;
  if (notches == 0) return;
  setZoom(zoom_ * std::pow(1.2, notches));
  event->accept();
}

void DesignerCanvas::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasFormat(kFieldMimeType)) event->acceptProposedAction();
}

void DesignerCanvas::dropEvent(QDropEvent* event) {
  const std::string field = event->mimeData()->data(kFieldMimeType).toStdString();
  if (field.empty()) return;
  const QPointF at = toLabel(event->position());
  const size_t section = document_.sectionAt(at.y());
  report::TextItem text;
  text.x = std::max(0.0, snapped(at.x() - document_.current().page.marginLeft));
  text.y = std::max(0.0, snapped(at.y() - document_.sectionTop(section)));
  text.width = 40;
  text.height = 5;
  text.source = {report::ValueSource::Kind::Field, field};
  document_.add(std::move(text), section);
  event->acceptProposedAction();
  refresh();
  if (changed) changed();
}

}  // namespace briskal::hostkit::qt
