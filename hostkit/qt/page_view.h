#pragma once
// One page of a laid-out run on screen, drawn by the same renderer as the PDF and PNG files when it
// is shown and only then: a run of ten thousand labels opens as fast as a run of one. The zoom
// follows the window (the page's width, or the whole page) or stays at a fixed factor, where 1
// shows the page at its real size.

#include <QScrollArea>
#include <functional>
#include <vector>

#include "hostkit/qt/screen_texts.h"
#include "hostkit/report/drawing.h"

class QLabel;

namespace briskal::hostkit::qt {

class PageView final : public QScrollArea {
 public:
  enum class Fit { Width, Page, None };

  // The zoom steps offered, and the limits of any zoom.
  static const std::vector<double>& zoomSteps();
  static constexpr double kMinZoom = 0.1;
  static constexpr double kMaxZoom = 4;

  // `pages` are borrowed and must not be empty.
  PageView(const std::vector<report::Page>& pages, Fit fit, ScreenTexts texts, QWidget* parent);

  size_t pageCount() const { return pages_.size(); }
  // The page shown, counted from 0.
  size_t current() const { return current_; }
  // Shows a page, the nearest one for an index beyond the last.
  void showPage(size_t index);
  // The pages were replaced: shows the first of the new ones.
  void pagesReplaced();
  Fit fit() const { return fit_; }
  void setFit(Fit fit);
  // The zoom in effect, fitted or fixed.
  double zoom() const { return zoom_; }
  // A fixed zoom, kept within the limits.
  void setZoom(double zoom);
  // The next zoom step above or below the zoom in effect.
  void zoomIn();
  void zoomOut();
  // The pages drawn since the view was made: one per page shown, at each zoom it was shown at.
  int rendered() const { return rendered_; }

  // Called after the page or the zoom changed.
  void onChange(std::function<void()> changed) { changed_ = std::move(changed); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void render();
  double fittedZoom() const;

  const std::vector<report::Page>& pages_;
  ScreenTexts texts_;
  QLabel* canvas_;
  Fit fit_;
  double zoom_ = 1;
  size_t current_ = 0;
  int rendered_ = 0;
  // What the canvas shows: a page at a resolution; -1 before the first.
  size_t shownPage_ = 0;
  double shownDpi_ = -1;
  std::function<void()> changed_;
};

}  // namespace briskal::hostkit::qt
