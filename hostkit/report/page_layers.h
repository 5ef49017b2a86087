#pragma once
// Splits the pages of a run, one after another, into what they share with other pages and what
// is their own, so that a document can draw a shared part once and show it on every page that
// has it:
// - `common` is on every page since the page size last changed: the template's fixed parts;
// - `repeated` is on the page before or the page after too, and is three quarters or more of
//   what the page has beyond the common part: the page is a copy of its neighbour but for a
//   field or two (a label's copies, barcode included). Operations that neighbours share by chance
//   stay each page's own: a part shown on two pages only would cost more than it saves.
// Everything is black on white, so drawing the shared parts first shows the same page; a picture
// would cover what was drawn before it, so a page where that order would change keeps all of its
// operations as its own.

#include <unordered_set>
#include <vector>

#include "hostkit/report/drawing.h"

namespace briskal::hostkit::report {

class PageLayers {
 public:
  struct Split {
    std::vector<DrawingOp> common;
    std::vector<DrawingOp> repeated;
    std::vector<DrawingOp> own;  // in the page's order
  };
  // `next` is the page that follows, when there is one.
  Split split(const Page& page, const Page* next);

 private:
  using OpSet = std::unordered_set<DrawingOp, DrawingOpHash>;

  double width_ = 0, height_ = 0;
  bool started_ = false;
  OpSet common_;
  OpSet previous_;
};

}  // namespace briskal::hostkit::report
