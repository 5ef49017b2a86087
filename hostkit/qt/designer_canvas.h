#pragma once
// The label designer's drawing area: the label at true size with rulers and a grid, drawn from
// the same drawing list as the PDF, the PNG files and the preview (or, in the printer's view, from
// the label printer's stream drawn back to dots), with the items' frames and the chosen items'
// handles over it. Items are chosen, moved and sized with the mouse and moved with the arrow keys
// (0.1 mm, 1 mm with Shift); a field dropped from the palette becomes a text bound to it.

#include <QImage>
#include <QWidget>
#include <functional>
#include <optional>

#include "common/regional.h"
#include "data/recordset.h"
#include "hostkit/designer/design_document.h"
#include "hostkit/labelprinter/printer_settings.h"
#include "hostkit/report/report_layout.h"

namespace briskal::hostkit::qt {

// What the palette's drags carry: a print support field's name.
inline constexpr char kFieldMimeType[] = "application/x-briskal-field";

class DesignerCanvas final : public QWidget {
 public:
  DesignerCanvas(designer::DesignDocument& document, RegionalSettings regional, QWidget* parent = nullptr);

  // The record the label shows, borrowed; the run settings its captions and formulas print with.
  void setRecord(const data::Recordset* record, report::RunSettings run);
  // The label printer's view, or none for the drawing list's.
  void setPrinterView(std::optional<labelprinter::PrinterSettings> printer);
  double zoom() const { return zoom_; }
  // Pixels a millimetre.
  void setZoom(double pixelsPerMillimetre);
  void zoomToFit(QSize room);
  void setGrid(double millimetres, bool snap);
  // After the document changed: lays the label out and draws it again.
  void refresh();
  // Where the label's millimetre (x, y) is on the widget.
  QPointF toWidget(double x, double y) const;
  // The last drawing's error, empty when it drew.
  const QString& problem() const { return problem_; }

  // Told when the document changed through the canvas, or only its chosen items did.
  std::function<void()> changed;
  std::function<void()> selectionChanged;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  enum class Drag { None, Move, Resize };
  QPointF toLabel(QPointF widget) const;
  double snapped(double mm) const;
  QRectF itemRect(designer::ItemRef ref, const designer::Box& box) const;
  std::optional<int> handleAt(QPointF widget) const;
  bool chosenExists() const;
  void drawRulers(QPainter& painter) const;
  void render();
  // The drawing of the label's part that `visible` (widget pixels) shows, drawn again only when
  // the label changed or the part is not drawn yet: a label larger than the window is drawn no
  // larger than the window.
  void drawLabel(QPainter& painter, const QRectF& paper, const QRect& visible);

  designer::DesignDocument& document_;
  RegionalSettings regional_;
  const data::Recordset* record_ = nullptr;
  report::RunSettings run_;
  std::optional<labelprinter::PrinterSettings> printer_;
  double zoom_ = 4;
  double grid_ = 1;
  bool snap_ = true;
  std::optional<report::Page> page_;  // the label laid out
  QImage dots_;                       // the printer's view, dot for dot
  QImage drawn_;                      // the part of the label drawn last, and where it is
  QRectF drawnPart_;
  QString problem_;
  Drag drag_ = Drag::None;
  QPointF pressed_;     // in millimetres
  QPointF dragOffset_;  // the move so far, millimetres
  int handle_ = 0;      // the corner being dragged: 0 top left, clockwise
  designer::Box resized_;
};

}  // namespace briskal::hostkit::qt
